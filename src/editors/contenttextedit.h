// ContentTextEdit, the content editor's text box: one content's body as raw HTML, coloured,
// with the buttons' changes applied as single undo steps.
#pragma once

#include <QPlainTextEdit>

#include "generator/htmlediting.h"
#include "model/objectref.h"

namespace velmo {
class Content;
}

namespace velmo::ui {

class HtmlHighlighter;

class ContentTextEdit : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit ContentTextEdit(QWidget *parent = nullptr);

    // Shows content's value, or empties the box for none. Without a content the box is
    // read-only, so that nothing typed is silently lost.
    void load(Content *content);
    // The held content's value changed from outside the box (an undo or redo of the document):
    // the box shows it with the caret at the end of what changed, where the user was working,
    // not at the top.
    void showChangedValue();
    // The content loaded last while it exists.
    Content *content() const;

    // The text with "\n" line breaks; its indexes are the box's cursor positions.
    QString text() const;
    // The selection, start before end.
    int selectionStart() const;
    int selectionEnd() const;
    bool hasSelection() const { return selectionStart() != selectionEnd(); }

    // Applies edit as one undo step, places the caret or selection, and takes the focus.
    void applyEdit(const gen::HtmlEditing::Edit &edit);

Q_SIGNALS:
    // The text of the held content changed, by typing or by applyEdit; not while loading.
    void edited();

private:
    void onTextChanged();

    ObjectRef m_content;
    bool m_loading = true;
    HtmlHighlighter *m_highlighter = nullptr;
};

} // namespace velmo::ui
