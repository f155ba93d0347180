// HtmlEditing, the text side of the content editor's buttons: inserting a fragment, wrapping the
// selection or its lines in tags, converting characters, and the image and site-link fragments.
#pragma once

#include <QString>

namespace velmo {
class ObjectId;
}

namespace velmo::gen {

class HtmlEditing
{
public:
    // One change to the editor's text: [from, to) is replaced by replacement (line breaks as
    // "\n", as the editor holds them), then the caret goes to caret, or the range
    // [selectionStart, caret) is selected when selectionStart is not -1.
    struct Edit
    {
        int from = 0;
        int to = 0;
        QString replacement;
        int caret = 0;
        int selectionStart = -1;

        bool changesText() const { return from != to || !replacement.isEmpty(); }
        QString appliedTo(const QString &text) const;
    };

    // The four primitives on text (line breaks "\n") with the selection [start, end); start and
    // end may come in either order. Fragments carry "\r\n" line breaks, which the editor holds
    // as one; the caret goes behind the inserted or wrapped text, except that a wrap with
    // nothing selected leaves it between the tags (in the first item of an empty list).
    static Edit insert(const QString &text, int start, int end, const QString &fragment);
    static Edit wrap(const QString &text, int start, int end, const QString &open,
                     const QString &close);
    static Edit wrapLines(const QString &text, int start, int end, const QString &open,
                          const QString &itemOpen, const QString &itemClose, const QString &close);
    // Every from in the selection becomes to and the result stays selected. Without a
    // selection nothing changes and the caret goes to 0.
    static Edit convert(const QString &text, int start, int end, const QString &from,
                        const QString &to);
    // "&" to "&amp;", "<" to "&lt;" and ">" to "&gt;" in the selection, leaving the caret after
    // the result.
    static Edit escapeMarkup(const QString &text, int start, int end);

    static QString fontColorOpen(const QString &color);
    // An empty style gives a plain "<ol>".
    static QString orderedListOpen(const QString &style);
    static QString siteLinkOpen(const ObjectId &target);
    // Without a selection the target's name becomes the link text.
    static QString siteLinkClose(const QString &targetName, bool hasSelection);

    enum ImageKind { Image = 1, ImageLink = 2, ThumbnailLink = 3 };
    // The fragment for a picture at imagePath, relative to userImageFolder when it lies there,
    // with "/" separators and in lower case. linkAddress (ImageLink only) is a URL and is kept
    // as typed; alternative is the picture's alt text. Empty for an empty path or an unknown
    // kind.
    static QString imageFragment(int kind, const QString &imagePath, const QString &userImageFolder,
                                 int width, int height, const QString &linkAddress = QString(),
                                 const QString &alternative = QString());

    // A fragment as the editor holds it: "\r\n" and lone "\r" become "\n".
    static QString editorText(const QString &fragment);
};

} // namespace velmo::gen
