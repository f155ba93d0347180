// Every modal message box of the program goes through here, so that tests can answer it in
// advance and read what the user would have been told.
#pragma once

#include <utility>

#include <QList>
#include <QMessageBox>
#include <QPointer>
#include <QStringList>

class QWidget;

class MessageBoxWrapper
{
public:
    // Shows text ("\r\n" starts a new line) and returns the chosen button. A queued answer that
    // is one of buttons is taken instead and nothing is shown; without one, a non-interactive
    // wrapper answers defaultButton.
    // buttonTexts replaces the captions of some of the buttons.
    using ButtonTexts = QList<std::pair<QMessageBox::StandardButton, QString>>;
    QMessageBox::StandardButton ask(const QString &text, QMessageBox::Icon icon,
                                    QMessageBox::StandardButtons buttons,
                                    QMessageBox::StandardButton defaultButton,
                                    const ButtonTexts &buttonTexts = {});
    // A message with an OK button only.
    void inform(const QString &text, QMessageBox::Icon icon = QMessageBox::Warning);

    // Boxes are centred on this window (the main frame once it exists).
    void setParentWidget(QWidget *parent) { m_parent = parent; }

    // The next box whose buttons include answer returns it; answers are taken in order.
    void queueAnswer(QMessageBox::StandardButton answer) { m_answers.append(answer); }
    qsizetype queuedAnswers() const { return m_answers.size(); }
    // Off in tests: no box is ever shown, so nothing can block.
    void setInteractive(bool interactive) { m_interactive = interactive; }

    // Every text asked or shown, as given (with "\r\n").
    const QStringList &shownTexts() const { return m_shown; }
    void clearShownTexts() { m_shown.clear(); }

    static QString displayText(const QString &text);

private:
    QPointer<QWidget> m_parent;
    QList<QMessageBox::StandardButton> m_answers;
    QStringList m_shown;
    bool m_interactive = true;
};
