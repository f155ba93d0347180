// StringInputDialog ("文字入力ダイアログ"): asks for one line of text under a prompt.
#pragma once

#include <QDialog>

class QLineEdit;
class QPlainTextEdit;

namespace velmo::ui {

class StringInputDialog : public QDialog
{
    Q_OBJECT

public:
    explicit StringInputDialog(QWidget *parent = nullptr);

    // The caller sets these before exec(); after Accepted, text() is what the user typed.
    void setTitle(const QString &title);
    void setPrompt(const QString &prompt);
    void setText(const QString &text);
    QString title() const { return windowTitle(); }
    QString prompt() const;
    QString text() const { return m_text; }

    void accept() override;

private:
    QPlainTextEdit *m_prompt = nullptr;
    QLineEdit *m_edit = nullptr;
    QString m_text;
};

} // namespace velmo::ui
