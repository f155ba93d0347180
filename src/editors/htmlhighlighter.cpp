// Colouring of the content editor's HTML, one line at a time.
#include "editors/htmlhighlighter.h"

#include <QStringView>

using namespace Qt::StringLiterals;

namespace velmo::ui {

namespace {

bool isNameChar(QChar c)
{
    return c.isLetterOrNumber() || c == u'-' || c == u'_' || c == u':' || c == u'.';
}

// The length of an _id_link(…) or _image(…) call starting at from, up to its ")" or the end of
// the line; 0 when none starts there.
int callLength(QStringView text, int from, int to)
{
    const QStringView rest = text.sliced(from, to - from);
    if (!rest.startsWith(u"_id_link(", Qt::CaseInsensitive) &&
        !rest.startsWith(u"_image(", Qt::CaseInsensitive))
        return 0;
    const qsizetype close = rest.indexOf(u')');
    return int(close < 0 ? rest.size() : close + 1);
}

QTextCharFormat makeFormat(const QColor &color, bool bold = false, bool italic = false)
{
    QTextCharFormat f;
    f.setForeground(color);
    if (bold)
        f.setFontWeight(QFont::Bold);
    f.setFontItalic(italic);
    return f;
}

} // namespace

HtmlHighlighter::HtmlHighlighter(QTextDocument *document)
    : QSyntaxHighlighter(document), m_tag(makeFormat(QColor(0, 0, 160), true)),
      m_attribute(makeFormat(QColor(150, 40, 0))), m_value(makeFormat(QColor(0, 110, 0))),
      m_comment(makeFormat(QColor(120, 120, 120), false, true)),
      m_entity(makeFormat(QColor(140, 0, 140))), m_call(makeFormat(QColor(180, 0, 90), true))
{}

void HtmlHighlighter::highlightCalls(const QString &text, int from, int to)
{
    for (int i = int(text.indexOf(u'_', from)); i >= 0 && i < to;
         i = int(text.indexOf(u'_', i + 1))) {
        const int length = callLength(text, i, to);
        if (length > 0) {
            setFormat(i, length, m_call);
            i += length - 1;
        }
    }
}

void HtmlHighlighter::highlightBlock(const QString &text)
{
    int state = qMax(previousBlockState(), 0);
    const int n = int(text.size());
    int i = 0;
    while (i < n) {
        switch (state) {
        case InComment: {
            const int close = int(text.indexOf(u"-->"_s, i));
            const int stop = close < 0 ? n : close + 3;
            setFormat(i, stop - i, m_comment);
            i = stop;
            if (close >= 0)
                state = Text;
            break;
        }
        case InDoubleQuoted:
        case InSingleQuoted: {
            const QChar quote = state == InDoubleQuoted ? u'"' : u'\'';
            const int close = int(text.indexOf(quote, i));
            const int stop = close < 0 ? n : close + 1;
            setFormat(i, stop - i, m_value);
            highlightCalls(text, i, stop);
            i = stop;
            if (close >= 0)
                state = InTag;
            break;
        }
        case InTag: {
            const QChar c = text.at(i);
            if (c == u'>') {
                setFormat(i, 1, m_tag);
                state = Text;
                ++i;
            } else if (c == u'"' || c == u'\'') {
                setFormat(i, 1, m_value);
                state = c == u'"' ? InDoubleQuoted : InSingleQuoted;
                ++i;
            } else if (isNameChar(c)) {
                int j = i;
                while (j < n && isNameChar(text.at(j)))
                    ++j;
                setFormat(i, j - i, m_attribute);
                i = j;
            } else {
                if (c == u'/')
                    setFormat(i, 1, m_tag);
                ++i;
            }
            break;
        }
        default: {
            while (i < n && text.at(i) != u'<' && text.at(i) != u'&' && text.at(i) != u'_')
                ++i;
            if (i >= n)
                break;
            const QChar c = text.at(i);
            const QChar next = i + 1 < n ? text.at(i + 1) : QChar();
            if (c == u'<' && QStringView(text).sliced(i).startsWith(u"<!--")) {
                state = InComment;
            } else if (c == u'<' && (next.isLetter() || next == u'/' || next == u'!')) {
                int j = i + 2;
                while (j < n && isNameChar(text.at(j)))
                    ++j;
                setFormat(i, j - i, m_tag);
                i = j;
                state = InTag;
            } else if (c == u'&') {
                // The editor's own conversion writes "&lt" without a semicolon.
                int j = next == u'#' ? i + 2 : i + 1;
                const int nameStart = j;
                while (j < n && text.at(j).isLetterOrNumber())
                    ++j;
                if (j > nameStart) {
                    if (j < n && text.at(j) == u';')
                        ++j;
                    setFormat(i, j - i, m_entity);
                    i = j;
                } else {
                    ++i;
                }
            } else if (c == u'_') {
                const int length = callLength(text, i, n);
                if (length > 0)
                    setFormat(i, length, m_call);
                i += qMax(length, 1);
            } else {
                ++i;
            }
        }
        }
    }
    setCurrentBlockState(state);
}

} // namespace velmo::ui
