// HtmlContext: where a place in generated HTML falls, as a browser's tokenizer reads it — in
// text or inside an attribute value — so that a value put there is written safely for it.
#pragma once

#include <QString>
#include <QStringView>

namespace velmo::gen {

class HtmlContext
{
public:
    // Reads text from `from` up to `to` (exclusive) and stands at `to` afterwards. The text
    // before `from` must be what earlier calls read: an end tag of a script or style element
    // is looked for across the calls' edges.
    void scan(QStringView text, qsizetype from, qsizetype to);

    // The context at position of text, read from its start.
    static HtmlContext at(QStringView text, qsizetype position);

    bool inAttributeValue() const;
    // value as it must be written here: inside an attribute value with "&", quotes, "<" and
    // ">" as character references; in text unchanged, since authors put markup and entities
    // into titles and texts on purpose.
    QString escaped(const QString &value) const;

    // value for an attribute value delimited by quote ('"', '\'', or a null QChar for an
    // unquoted one). An "&" that already starts a character reference is left as it is.
    static QString escapeAttribute(QStringView value, QChar quote);
    // True when value holds a character that escaping could change anywhere, and inside a
    // quoted value.
    static bool needsEscaping(QStringView value);
    static bool needsEscapingInQuotes(QStringView value);

    // A key for caches of output that depends on the context.
    QChar key() const;

private:
    enum class State : unsigned char {
        Data,
        TagOpen,
        EndTagOpen,
        TagName,
        BeforeAttributeName,
        AttributeName,
        AfterAttributeName,
        BeforeAttributeValue,
        DoubleQuoted,
        SingleQuoted,
        Unquoted,
        MarkupDeclaration,
        CommentStart,
        Comment,
        BogusComment,
        RawText,
    };
    void endTag();
    void addToTagName(QChar c);

    State m_state = State::Data;
    bool m_endTag = false;
    int m_dashes = 0;
    // The name of the tag being read, lower case, as far as it can name a raw text element
    // (script, style, textarea, title), whose content holds no tags; and the one it opened.
    // Every tag of a page passes through here: no allocation for its name.
    static constexpr int kTagNameLength = 16;
    char16_t m_tagName[kTagNameLength] = {};
    unsigned char m_tagLength = 0;
    QString m_rawTextElement;
};

} // namespace velmo::gen
