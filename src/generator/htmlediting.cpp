// The content editor's text operations, free of any widget so that they can be checked alone.
#include "generator/htmlediting.h"

#include <QStringList>

#include "model/objectid.h"

using namespace Qt::StringLiterals;

namespace velmo::gen {

namespace {

struct Selection
{
    int start;
    int end;
};

Selection normalised(const QString &text, int start, int end)
{
    const int length = int(text.size());
    start = qBound(0, start, length);
    end = qBound(0, end, length);
    return start <= end ? Selection{start, end} : Selection{end, start};
}

// The new caret, kept inside the text the edit leaves.
HtmlEditing::Edit finished(const QString &text, HtmlEditing::Edit edit, qsizetype caret)
{
    const qsizetype length = text.size() - (edit.to - edit.from) + edit.replacement.size();
    edit.caret = int(qBound<qsizetype>(0, caret, length));
    return edit;
}

} // namespace

QString HtmlEditing::Edit::appliedTo(const QString &text) const
{
    return QString(text).replace(from, to - from, replacement);
}

QString HtmlEditing::editorText(const QString &fragment)
{
    return QString(fragment).replace(u"\r\n"_s, u"\n"_s).replace(u'\r', u'\n');
}

HtmlEditing::Edit HtmlEditing::insert(const QString &text, int start, int end,
                                      const QString &fragment)
{
    const Selection s = normalised(text, start, end);
    // The selection stays and the fragment follows it.
    Edit edit{s.end, s.end, editorText(fragment)};
    // The caret goes behind what was inserted, counted as the box holds it. Counting "\r\n"
    // as two and stepping one back, as the old editor did, put it right only for fragments
    // ending in a line break: before the last ">" of "<em></em>", or into the text after a
    // list.
    return finished(text, edit, s.end + edit.replacement.size());
}

HtmlEditing::Edit HtmlEditing::wrap(const QString &text, int start, int end, const QString &open,
                                    const QString &close)
{
    const Selection s = normalised(text, start, end);
    // With nothing selected the caret goes between the tags, where the text they enclose is
    // typed next; behind the closing tag the user would have to step back first.
    if (s.start == s.end)
        return finished(text, Edit{s.start, s.end, editorText(open + close)},
                        s.start + editorText(open).size());
    Edit edit{s.start, s.end,
              editorText(open) + text.mid(s.start, s.end - s.start) + editorText(close)};
    return finished(text, edit, s.start + edit.replacement.size());
}

HtmlEditing::Edit HtmlEditing::wrapLines(const QString &text, int start, int end,
                                         const QString &open, const QString &itemOpen,
                                         const QString &itemClose, const QString &close)
{
    const Selection s = normalised(text, start, end);
    // An empty list gets its first item, with the caret inside it.
    if (s.start == s.end)
        return finished(text, Edit{s.start, s.end, editorText(open + itemOpen + itemClose + close)},
                        s.start + editorText(open + itemOpen).size());
    QStringList lines = text.mid(s.start, s.end - s.start).split(u'\n');
    // A selection that ends with its line break has no further item; an empty line inside it
    // is an empty item.
    if (lines.last().isEmpty())
        lines.removeLast();
    QString built = open;
    for (const QString &line : std::as_const(lines))
        built += itemOpen + line + itemClose;
    built += close;
    Edit edit{s.start, s.end, editorText(built)};
    return finished(text, edit, s.start + edit.replacement.size());
}

HtmlEditing::Edit HtmlEditing::convert(const QString &text, int start, int end, const QString &from,
                                       const QString &to)
{
    const Selection s = normalised(text, start, end);
    if (s.start == s.end)
        return Edit{};
    Edit edit{s.start, s.end, text.mid(s.start, s.end - s.start).replace(from, to)};
    edit.selectionStart = s.start;
    return finished(text, edit, s.start + edit.replacement.size());
}

HtmlEditing::Edit HtmlEditing::escapeMarkup(const QString &text, int start, int end)
{
    // "&" first, so that the references made for "<" and ">" are not escaped again.
    Edit edit = convert(text, start, end, u"&"_s, u"&amp;"_s);
    if (!edit.changesText())
        return edit;
    edit.replacement.replace(u"<"_s, u"&lt;"_s).replace(u">"_s, u"&gt;"_s);
    edit.selectionStart = -1;
    return finished(text, edit, edit.from + edit.replacement.size());
}

QString HtmlEditing::fontColorOpen(const QString &color)
{
    return u"<font color=\""_s + color + u"\">"_s;
}

QString HtmlEditing::orderedListOpen(const QString &style)
{
    return style.isEmpty() ? u"<ol>\r\n"_s : u"<ol style=\""_s + style + u"\">\r\n"_s;
}

QString HtmlEditing::siteLinkOpen(const ObjectId &target)
{
    return u"<a href=\"_id_link(%1,%2)\">"_s.arg(target.time).arg(target.seq);
}

QString HtmlEditing::siteLinkClose(const QString &targetName, bool hasSelection)
{
    return (hasSelection ? QString() : targetName) + u"</a>\r\n"_s;
}

QString HtmlEditing::imageFragment(int kind, const QString &imagePath,
                                   const QString &userImageFolder, int width, int height,
                                   const QString &linkAddress, const QString &alternative)
{
    if (imagePath.isEmpty())
        return {};
    QString folder = QString(userImageFolder).replace(u'\\', u'/');
    while (folder.endsWith(u'/'))
        folder.chop(1);
    QString relative = QString(imagePath).replace(u'\\', u'/');
    if (!folder.isEmpty())
        relative.remove(folder);
    relative = relative.toLower();
    // The alternative text is the user's words inside an attribute value.
    const QString alt = QString(alternative)
                            .replace(u'&', u"&amp;"_s)
                            .replace(u'"', u"&quot;"_s)
                            .replace(u'<', u"&lt;"_s)
                            .replace(u'>', u"&gt;"_s);
    const QString image =
        u"<img src=\"_image(%1,%2,%3)\" width=\"%2\" height=\"%3\" alt=\"%4\">"_s.arg(
            relative, QString::number(width), QString::number(height), alt);
    switch (kind) {
    case Image:
        return image + u"\r\n"_s;
    case ImageLink:
        // Only the picture's path is lowered: a URL's path is case-sensitive.
        return u"<a href=\"%1\" target=\"_blank\">\r\n%2\r\n</a>\r\n"_s.arg(linkAddress, image);
    case ThumbnailLink:
        return u"<a href=\"_image(%1,0,0)\" target=\"_blank\">\r\n%2\r\n</a>\r\n"_s.arg(relative,
                                                                                        image);
    default:
        return {};
    }
}

} // namespace velmo::gen
