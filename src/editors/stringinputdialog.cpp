// StringInputDialog: a read-only prompt above one edit line, OK and Cancel.
#include "editors/stringinputdialog.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/okcancelbuttons.h"

using namespace Qt::StringLiterals;

namespace velmo::ui {

StringInputDialog::StringInputDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(u"stringInputDialog"_s);
    setWindowTitle(u"文字入力ダイアログ"_s);

    m_prompt = new QPlainTextEdit(this);
    m_prompt->setObjectName(u"promptText"_s);
    m_prompt->setReadOnly(true);
    m_prompt->setFocusPolicy(Qt::NoFocus);
    // A prompt is a line or two; the box should not claim the height of a text editor.
    m_prompt->setFixedHeight(m_prompt->fontMetrics().lineSpacing() * 3 + 12);

    m_edit = new QLineEdit(this);
    m_edit->setObjectName(u"textEdit"_s);

    QDialogButtonBox *buttons = makeOkCancelButtons(this);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_prompt);
    layout->addWidget(m_edit);
    layout->addWidget(buttons);
    setMinimumWidth(420);
    m_edit->setFocus();
}

void StringInputDialog::setTitle(const QString &title)
{
    setWindowTitle(title);
}

void StringInputDialog::setPrompt(const QString &prompt)
{
    m_prompt->setPlainText(prompt);
}

QString StringInputDialog::prompt() const
{
    return m_prompt->toPlainText();
}

void StringInputDialog::setText(const QString &text)
{
    m_text = text;
    m_edit->setText(text);
    m_edit->selectAll();
}

void StringInputDialog::accept()
{
    m_text = m_edit->text();
    QDialog::accept();
}

} // namespace velmo::ui
