// Modal message boxes with answers that tests can give in advance.
#include "app/messageboxwrapper.h"

#include <QAbstractButton>
#include <QWidget>

using namespace Qt::StringLiterals;

QString MessageBoxWrapper::displayText(const QString &text)
{
    QString shown = text;
    shown.replace(u"\r\n"_s, u"\n"_s);
    return shown;
}

QMessageBox::StandardButton MessageBoxWrapper::ask(const QString &text, QMessageBox::Icon icon,
                                                   QMessageBox::StandardButtons buttons,
                                                   QMessageBox::StandardButton defaultButton,
                                                   const ButtonTexts &buttonTexts)
{
    m_shown.append(text);
    // An answer meant for a question must not be eaten by an error box shown before it.
    if (!m_answers.isEmpty() && buttons.testFlag(m_answers.constFirst()))
        return m_answers.takeFirst();
    if (!m_interactive)
        return defaultButton;

    QMessageBox box(icon, u"Velmo"_s, displayText(text), buttons, m_parent.data());
    box.setDefaultButton(defaultButton);
    for (const auto &[button, caption] : buttonTexts) {
        if (QAbstractButton *shown = box.button(button))
            shown->setText(caption);
    }
    box.setObjectName(u"messageBox"_s);
    const int result = box.exec();
    return static_cast<QMessageBox::StandardButton>(result);
}

void MessageBoxWrapper::inform(const QString &text, QMessageBox::Icon icon)
{
    ask(text, icon, QMessageBox::Ok, QMessageBox::Ok);
}
