// The content editor's text box.
#include "editors/contenttextedit.h"

#include <QFontDatabase>
#include <QTextCursor>

#include "editors/htmlhighlighter.h"
#include "model/content.h"

using namespace Qt::StringLiterals;

namespace velmo::ui {

ContentTextEdit::ContentTextEdit(QWidget *parent) : QPlainTextEdit(parent)
{
    setObjectName(u"contentTextEdit"_s);
    QPalette colours = palette();
    colours.setColor(QPalette::Base, QColor(240, 240, 240));
    colours.setColor(QPalette::Text, Qt::black);
    setPalette(colours);
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    // HTML lines are long; wrapping them at the box's edge keeps the markup readable.
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_highlighter = new HtmlHighlighter(document());
    connect(this, &QPlainTextEdit::textChanged, this, &ContentTextEdit::onTextChanged);
    setReadOnly(true);
    m_loading = false;
}

void ContentTextEdit::load(Content *content)
{
    m_loading = true;
    m_content = ObjectRef(content);
    // Replaced, not edited: what undo could bring back belongs to the content shown before.
    setPlainText(content != nullptr ? gen::HtmlEditing::editorText(content->value) : QString());
    setReadOnly(content == nullptr);
    m_loading = false;
}

void ContentTextEdit::showChangedValue()
{
    Content *held = content();
    if (held == nullptr)
        return;
    const QString before = text();
    const QString after = gen::HtmlEditing::editorText(held->value);
    if (before == after)
        return;
    // What both texts share at the start and the end is unchanged; the caret goes behind the
    // changed middle as the new text has it.
    qsizetype prefix = 0;
    const qsizetype shorter = std::min(before.size(), after.size());
    while (prefix < shorter && before[prefix] == after[prefix])
        ++prefix;
    qsizetype suffix = 0;
    while (suffix < shorter - prefix &&
           before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix])
        ++suffix;
    load(held);
    QTextCursor cursor = textCursor();
    cursor.setPosition(int(after.size() - suffix));
    setTextCursor(cursor);
    ensureCursorVisible();
}

Content *ContentTextEdit::content() const
{
    return m_content.as<Content>();
}

QString ContentTextEdit::text() const
{
    // toPlainText would turn no-break spaces into blanks; the raw text keeps them and has the
    // same length, its paragraph and line separators standing for line breaks.
    QString raw = document()->toRawText();
    raw.replace(QChar::ParagraphSeparator, u'\n').replace(QChar::LineSeparator, u'\n');
    return raw;
}

int ContentTextEdit::selectionStart() const
{
    return textCursor().selectionStart();
}

int ContentTextEdit::selectionEnd() const
{
    return textCursor().selectionEnd();
}

void ContentTextEdit::applyEdit(const gen::HtmlEditing::Edit &edit)
{
    QTextCursor cursor(document());
    if (edit.changesText()) {
        // One insertion over the selection is one undo step already. An explicit edit block
        // would make the box's undo put the caret at the very start, where the next letter
        // typed would land.
        cursor.setPosition(edit.from);
        cursor.setPosition(edit.to, QTextCursor::KeepAnchor);
        cursor.insertText(edit.replacement);
    }
    const int end = document()->characterCount() - 1;
    if (edit.selectionStart >= 0)
        cursor.setPosition(qBound(0, edit.selectionStart, end));
    cursor.setPosition(qBound(0, edit.caret, end), edit.selectionStart >= 0
                                                       ? QTextCursor::KeepAnchor
                                                       : QTextCursor::MoveAnchor);
    setTextCursor(cursor);
    setFocus(Qt::OtherFocusReason);
}

void ContentTextEdit::onTextChanged()
{
    if (m_loading)
        return;
    if (content() == nullptr) {
        // The content went away while it was shown: stop taking keystrokes that have nowhere
        // to go.
        setReadOnly(true);
        return;
    }
    Q_EMIT edited();
}

} // namespace velmo::ui
