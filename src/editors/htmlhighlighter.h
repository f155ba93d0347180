// HtmlHighlighter: colours the raw HTML of the content editor — tags, attributes and their
// values, comments, character references and the generator's _id_link / _image calls.
#pragma once

#include <QSyntaxHighlighter>
#include <QTextCharFormat>

namespace velmo::ui {

class HtmlHighlighter : public QSyntaxHighlighter
{
    Q_OBJECT

public:
    explicit HtmlHighlighter(QTextDocument *document);

protected:
    void highlightBlock(const QString &text) override;

private:
    // Carried from one line to the next, so that a comment or a tag may span lines while each
    // keystroke re-reads only the lines whose starting state changed.
    enum State { Text = 0, InComment, InTag, InDoubleQuoted, InSingleQuoted };

    void highlightCalls(const QString &text, int from, int to);

    QTextCharFormat m_tag;
    QTextCharFormat m_attribute;
    QTextCharFormat m_value;
    QTextCharFormat m_comment;
    QTextCharFormat m_entity;
    QTextCharFormat m_call;
};

} // namespace velmo::ui
