// MarkupScanner: a one-pass reader of pages whose tree is the markup as written.
#include "generator/markupscanner.h"

#include <array>
#include <cstring>
#include <initializer_list>
#include <vector>

#include <gumbo.h>

namespace velmo::gen {

namespace {

enum Flag : quint16 {
    // May stand in the body, where the parser inserts it as written and its own end tag
    // closes it.
    kPlain = 1,
    kVoid = 2,
    // Leaves an open <p> open; every other element closes it first.
    kPhrasing = 4,
    // Belongs in <head>.
    kHead = 8,
    // Holds text up to its own end tag, tags and all.
    kRaw = 16,
    kHeading = 32,
    kTablePart = 64,
};

using Flags = std::array<quint16, GUMBO_TAG_LAST + 1>;

Flags makeFlags()
{
    Flags flags{};
    const auto set = [&flags](std::initializer_list<GumboTag> tags, quint16 flag) {
        for (const GumboTag tag : tags)
            flags[tag] |= flag;
    };
    set({GUMBO_TAG_ADDRESS, GUMBO_TAG_ARTICLE, GUMBO_TAG_ASIDE,    GUMBO_TAG_BLOCKQUOTE,
         GUMBO_TAG_CENTER,  GUMBO_TAG_DETAILS, GUMBO_TAG_DIV,      GUMBO_TAG_DL,
         GUMBO_TAG_DD,      GUMBO_TAG_DT,      GUMBO_TAG_FIELDSET, GUMBO_TAG_FIGCAPTION,
         GUMBO_TAG_FIGURE,  GUMBO_TAG_FOOTER,  GUMBO_TAG_FORM,     GUMBO_TAG_HEADER,
         GUMBO_TAG_HGROUP,  GUMBO_TAG_LI,      GUMBO_TAG_MAIN,     GUMBO_TAG_MENU,
         GUMBO_TAG_NAV,     GUMBO_TAG_OL,      GUMBO_TAG_P,        GUMBO_TAG_PRE,
         GUMBO_TAG_SECTION, GUMBO_TAG_SUMMARY, GUMBO_TAG_UL,       GUMBO_TAG_LEGEND,
         GUMBO_TAG_TABLE,   GUMBO_TAG_H1,      GUMBO_TAG_H2,       GUMBO_TAG_H3,
         GUMBO_TAG_H4,      GUMBO_TAG_H5,      GUMBO_TAG_H6,       GUMBO_TAG_HR},
        kPlain);
    set({GUMBO_TAG_H1, GUMBO_TAG_H2, GUMBO_TAG_H3, GUMBO_TAG_H4, GUMBO_TAG_H5, GUMBO_TAG_H6},
        kHeading);
    set({GUMBO_TAG_A,        GUMBO_TAG_ABBR,  GUMBO_TAG_AUDIO,  GUMBO_TAG_B,      GUMBO_TAG_BDI,
         GUMBO_TAG_BDO,      GUMBO_TAG_BIG,   GUMBO_TAG_BUTTON, GUMBO_TAG_CANVAS, GUMBO_TAG_CITE,
         GUMBO_TAG_CODE,     GUMBO_TAG_DATA,  GUMBO_TAG_DEL,    GUMBO_TAG_DFN,    GUMBO_TAG_EM,
         GUMBO_TAG_FONT,     GUMBO_TAG_I,     GUMBO_TAG_INS,    GUMBO_TAG_KBD,    GUMBO_TAG_LABEL,
         GUMBO_TAG_MAP,      GUMBO_TAG_MARK,  GUMBO_TAG_METER,  GUMBO_TAG_OBJECT, GUMBO_TAG_OUTPUT,
         GUMBO_TAG_PROGRESS, GUMBO_TAG_Q,     GUMBO_TAG_RUBY,   GUMBO_TAG_S,      GUMBO_TAG_SAMP,
         GUMBO_TAG_SMALL,    GUMBO_TAG_SPAN,  GUMBO_TAG_STRIKE, GUMBO_TAG_STRONG, GUMBO_TAG_SUB,
         GUMBO_TAG_SUP,      GUMBO_TAG_TIME,  GUMBO_TAG_TT,     GUMBO_TAG_U,      GUMBO_TAG_VAR,
         GUMBO_TAG_VIDEO,    GUMBO_TAG_AREA,  GUMBO_TAG_BR,     GUMBO_TAG_EMBED,  GUMBO_TAG_IMG,
         GUMBO_TAG_INPUT,    GUMBO_TAG_PARAM, GUMBO_TAG_SOURCE, GUMBO_TAG_TRACK,  GUMBO_TAG_WBR,
         GUMBO_TAG_META,     GUMBO_TAG_LINK,  GUMBO_TAG_BASE,   GUMBO_TAG_STYLE,  GUMBO_TAG_SCRIPT},
        kPlain | kPhrasing);
    set({GUMBO_TAG_AREA, GUMBO_TAG_BR, GUMBO_TAG_EMBED, GUMBO_TAG_IMG, GUMBO_TAG_INPUT,
         GUMBO_TAG_PARAM, GUMBO_TAG_SOURCE, GUMBO_TAG_TRACK, GUMBO_TAG_WBR, GUMBO_TAG_HR,
         GUMBO_TAG_META, GUMBO_TAG_LINK, GUMBO_TAG_BASE},
        kVoid);
    set({GUMBO_TAG_META, GUMBO_TAG_LINK, GUMBO_TAG_BASE, GUMBO_TAG_STYLE, GUMBO_TAG_SCRIPT,
         GUMBO_TAG_TITLE},
        kHead);
    set({GUMBO_TAG_STYLE, GUMBO_TAG_SCRIPT, GUMBO_TAG_TITLE}, kRaw);
    set({GUMBO_TAG_TBODY, GUMBO_TAG_THEAD, GUMBO_TAG_TFOOT, GUMBO_TAG_TR, GUMBO_TAG_TD,
         GUMBO_TAG_TH},
        kTablePart);
    return flags;
}

const Flags &flagsOf()
{
    static const Flags flags = makeFlags();
    return flags;
}

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r';
}

bool isAlpha(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isAlnum(char c)
{
    return isAlpha(c) || (c >= '0' && c <= '9');
}

char lower(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c + ('a' - 'A')) : c;
}

bool isTableContext(int tag)
{
    return tag == GUMBO_TAG_TABLE || tag == GUMBO_TAG_TBODY || tag == GUMBO_TAG_THEAD ||
           tag == GUMBO_TAG_TFOOT || tag == GUMBO_TAG_TR;
}

void appendUtf8(QByteArray &out, char32_t c)
{
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

// A code point a numeric reference gives as written; the parser replaces or remaps the rest.
bool isPlainCodePoint(char32_t c)
{
    if (c == '\t' || c == '\n')
        return true;
    if (c < 0x20 || (c >= 0x7F && c < 0xA0) || (c >= 0xD800 && c < 0xE000) || c > 0x10FFFF)
        return false;
    return !(c >= 0xFDD0 && c <= 0xFDEF) && (c & 0xFFFE) != 0xFFFE;
}

// Appends the character reference at text[at] ("&…") decoded to out and moves at past it. A
// "&" that starts no reference is itself. False for a reference outside those the scanner
// knows: named ones are matched by the parser against a table of two thousand, some of them
// without the ";", and only the common ones written with it are read here.
bool decodeReference(QByteArrayView text, qsizetype &at, QByteArray &out)
{
    const qsizetype size = text.size();
    qsizetype next = at + 1;
    if (next >= size || (!isAlnum(text[next]) && text[next] != '#')) {
        out += '&';
        at = next;
        return true;
    }
    if (text[next] == '#') {
        ++next;
        const bool hex = next < size && (text[next] == 'x' || text[next] == 'X');
        if (hex)
            ++next;
        char32_t value = 0;
        const qsizetype digits = next;
        for (; next < size && next - digits < 8; ++next) {
            const char c = text[next];
            int digit;
            if (c >= '0' && c <= '9')
                digit = c - '0';
            else if (hex && lower(c) >= 'a' && lower(c) <= 'f')
                digit = lower(c) - 'a' + 10;
            else
                break;
            value = value * (hex ? 16 : 10) + char32_t(digit);
        }
        if (next == digits || next >= size || text[next] != ';' || !isPlainCodePoint(value))
            return false;
        appendUtf8(out, value);
        at = next + 1;
        return true;
    }
    struct Named
    {
        const char *name;
        char32_t value;
    };
    static constexpr Named kNamed[] = {
        {"amp", '&'},      {"lt", '<'},       {"gt", '>'},       {"quot", '"'},
        {"apos", '\''},    {"nbsp", 0xA0},    {"copy", 0xA9},    {"reg", 0xAE},
        {"yen", 0xA5},     {"laquo", 0xAB},   {"raquo", 0xBB},   {"middot", 0xB7},
        {"times", 0xD7},   {"ndash", 0x2013}, {"mdash", 0x2014}, {"hellip", 0x2026},
        {"trade", 0x2122}, {"larr", 0x2190},  {"rarr", 0x2192},
    };
    qsizetype end = next;
    while (end < size && isAlnum(text[end]))
        ++end;
    if (end >= size || text[end] != ';')
        return false;
    const QByteArrayView name = text.sliced(next, end - next);
    for (const Named &named : kNamed) {
        if (name == named.name) {
            appendUtf8(out, named.value);
            at = end + 1;
            return true;
        }
    }
    return false;
}

// Text as the parser keeps it: references decoded (when decode), line ends as "\n".
bool normalize(QByteArrayView text, bool decode, QByteArray &out)
{
    out.clear();
    for (qsizetype at = 0; at < text.size();) {
        const char c = text[at];
        if (c == '\r') {
            out += '\n';
            at += at + 1 < text.size() && text[at + 1] == '\n' ? 2 : 1;
        } else if (c == '&' && decode) {
            if (!decodeReference(text, at, out))
                return false;
        } else {
            out += c;
            ++at;
        }
    }
    return true;
}

bool needsNormalizing(QByteArrayView text, bool decode)
{
    return text.contains('\r') || (decode && text.contains('&'));
}

// Whether the parser keeps every character of text as it is: valid UTF-8 without NUL, without
// the control characters and noncharacters it replaces with U+FFFD.
bool keepsEveryCharacter(QByteArrayView text)
{
    const auto *bytes = reinterpret_cast<const unsigned char *>(text.data());
    const qsizetype size = text.size();
    constexpr quint64 kOnes = 0x0101010101010101;
    constexpr quint64 kHigh = 0x8080808080808080;
    qsizetype at = 0;
    while (at < size) {
        // Eight ASCII characters at a time when none is a control character.
        if (at + 8 <= size) {
            quint64 word;
            std::memcpy(&word, bytes + at, 8);
            const quint64 del = word ^ (0x7F * kOnes);
            if ((word & kHigh) == 0 && ((word - 0x20 * kOnes) & ~word & kHigh) == 0 &&
                ((del - kOnes) & ~del & kHigh) == 0) {
                at += 8;
                continue;
            }
        }
        const unsigned char c = bytes[at];
        if (c < 0x80) {
            if ((c < 0x20 && c != '\t' && c != '\n' && c != '\f' && c != '\r') || c == 0x7F)
                return false;
            ++at;
            continue;
        }
        // One character of two to four bytes, checked as the parser decodes it.
        int length;
        char32_t code;
        if (c >= 0xC2 && c <= 0xDF) {
            length = 2;
            code = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            length = 3;
            code = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4;
            code = c & 0x07;
        } else {
            return false;
        }
        if (at + length > size)
            return false;
        for (int i = 1; i < length; ++i) {
            const unsigned char next = bytes[at + i];
            if ((next & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (next & 0x3F);
        }
        const char32_t shortest = length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
        if (code < shortest || code > 0x10FFFF || (code >= 0xD800 && code < 0xE000) ||
            code < 0xA0 || (code >= 0xFDD0 && code <= 0xFDEF) || (code & 0xFFFE) == 0xFFFE)
            return false;
        at += length;
    }
    return true;
}

class Scanner
{
public:
    Scanner(QByteArrayView html, MarkupScanner::Handler &handler, int maxDepth)
        : m_html(html), m_size(html.size()), m_handler(handler), m_maxDepth(maxDepth),
          m_flags(flagsOf())
    {}

    bool run();

private:
    enum class Mode { Initial, BeforeHead, InHead, InHeadImplicit, AfterHead, InBody, AfterBody };

    bool flushText(qsizetype end);
    bool comment(qsizetype at);
    // Reads a tag's name from at; the parser's number for it, GUMBO_TAG_UNKNOWN if none.
    int tagName(qsizetype &at);
    bool attributes(qsizetype at);
    bool startTag(qsizetype at);
    bool endTag(qsizetype at);
    bool headElement(int tag);
    bool bodyElement(int tag);
    bool rawContent(int tag);
    void push(int tag);
    void pop();
    bool startsWith(qsizetype at, const char *what, bool noCase = false) const;

    QByteArrayView m_html;
    qsizetype m_size;
    MarkupScanner::Handler &m_handler;
    int m_maxDepth;
    const Flags &m_flags;
    Mode m_mode = Mode::Initial;
    bool m_doctype = false;
    qsizetype m_at = 0;
    // Where the text since the last tag or comment starts.
    qsizetype m_textStart = 0;
    std::vector<int> m_stack;
    int m_openP = 0;
    bool m_openA = false;
    bool m_openForm = false;
    bool m_openButton = false;
    MarkupScanner::Attributes m_attributes;
    // Names in lower case and decoded values of the tag being read, when not as written.
    QByteArray m_scratch;
    QByteArray m_text;
};

bool Scanner::startsWith(qsizetype at, const char *what, bool noCase) const
{
    const qsizetype length = qsizetype(std::strlen(what));
    if (at + length > m_size)
        return false;
    for (qsizetype i = 0; i < length; ++i) {
        const char c = m_html[at + i];
        if ((noCase ? lower(c) : c) != what[i])
            return false;
    }
    return true;
}

bool Scanner::run()
{
    if (!keepsEveryCharacter(m_html) || startsWith(0, "\xEF\xBB\xBF"))
        return false;
    while (m_at < m_size) {
        const void *found = std::memchr(m_html.data() + m_at, '<', size_t(m_size - m_at));
        if (found == nullptr)
            break;
        const qsizetype lt = static_cast<const char *>(found) - m_html.data();
        const char next = lt + 1 < m_size ? m_html[lt + 1] : '\0';
        bool read = true;
        if (next == '!') {
            if (startsWith(lt, "<!--")) {
                read = flushText(lt) && comment(lt);
            } else if (m_mode == Mode::Initial && !m_doctype && startsWith(lt, "<!doctype", true)) {
                // Up to the first ">", even one inside a quoted identifier.
                const qsizetype close = m_html.indexOf('>', lt);
                read = close >= 0 && flushText(lt);
                m_at = close + 1;
                m_doctype = true;
            } else {
                read = false;
            }
        } else if (next == '/') {
            read = lt + 2 < m_size && isAlpha(m_html[lt + 2]) && flushText(lt) && endTag(lt + 2);
        } else if (isAlpha(next)) {
            read = flushText(lt) && startTag(lt + 1);
        } else if (next == '?') {
            read = false;
        } else {
            // A "<" that starts nothing is text.
            m_at = lt + 1;
            continue;
        }
        if (!read)
            return false;
        m_textStart = m_at;
    }
    return flushText(m_size);
}

bool Scanner::flushText(qsizetype end)
{
    if (end <= m_textStart)
        return true;
    const QByteArrayView text = m_html.sliced(m_textStart, end - m_textStart);
    const bool inTable = m_mode == Mode::InBody && isTableContext(m_stack.back());
    if (m_mode != Mode::InBody || inTable) {
        // Text outside the body's elements moves: only white space stays where it is, and in
        // a table inside a link it is part of the link's text.
        for (const char c : text) {
            if (!isSpace(c))
                return false;
        }
        if (!inTable)
            return true;
    }
    if (!m_handler.wantsText())
        return true;
    if (!needsNormalizing(text, true)) {
        m_handler.text(text);
        return true;
    }
    if (!normalize(text, true, m_text))
        return false;
    m_handler.text(m_text);
    return true;
}

bool Scanner::comment(qsizetype at)
{
    const qsizetype start = at + 4;
    // "<!-->" and "<!--->" end where they start.
    if (startsWith(start, ">") || startsWith(start, "->"))
        return false;
    const qsizetype close = m_html.indexOf("-->", start);
    if (close < 0)
        return false;
    // "--!>" ends a comment too.
    if (m_html.sliced(start, close + 3 - start).contains("--!>"))
        return false;
    m_at = close + 3;
    return true;
}

int Scanner::tagName(qsizetype &at)
{
    constexpr qsizetype kLongest = 16;
    char name[kLongest];
    qsizetype length = 0;
    for (; at < m_size && !isSpace(m_html[at]) && m_html[at] != '/' && m_html[at] != '>'; ++at) {
        if (length == kLongest)
            return GUMBO_TAG_UNKNOWN;
        name[length++] = lower(m_html[at]);
    }
    return gumbo_tagn_enum(name, unsigned(length));
}

bool Scanner::attributes(qsizetype at)
{
    m_attributes.clear();
    m_scratch.clear();
    // Where each name and value lies: in the page, or (negative, less one) in the scratch,
    // which may move while it grows.
    struct Piece
    {
        qsizetype from;
        qsizetype size;
    };
    QVarLengthArray<std::pair<Piece, Piece>, 8> pieces;
    const auto toScratch = [this](QByteArrayView text) {
        const Piece piece{-1 - m_scratch.size(), 0};
        m_scratch += text;
        return Piece{piece.from, m_scratch.size() + 1 + piece.from};
    };
    const auto value = [&](qsizetype from, qsizetype to, Piece &piece) {
        const QByteArrayView text = m_html.sliced(from, to - from);
        piece = {from, to - from};
        if (!needsNormalizing(text, true))
            return true;
        if (!normalize(text, true, m_text))
            return false;
        piece = toScratch(m_text);
        return true;
    };
    for (;;) {
        while (at < m_size && (isSpace(m_html[at]) || m_html[at] == '/'))
            ++at;
        if (at >= m_size)
            return false;
        if (m_html[at] == '>')
            break;
        const char first = m_html[at];
        if (first == '=' || first == '"' || first == '\'' || first == '<')
            return false;
        const qsizetype nameStart = at;
        bool upper = false;
        for (; at < m_size; ++at) {
            const char c = m_html[at];
            if (isSpace(c) || c == '/' || c == '>' || c == '=')
                break;
            if (c == '"' || c == '\'' || c == '<')
                return false;
            upper = upper || (c >= 'A' && c <= 'Z');
        }
        Piece name{nameStart, at - nameStart};
        if (upper) {
            QByteArray lowered = m_html.sliced(nameStart, at - nameStart).toByteArray().toLower();
            name = toScratch(lowered);
        }
        while (at < m_size && isSpace(m_html[at]))
            ++at;
        Piece text{at, 0};
        Piece raw{at, 0};
        if (at < m_size && m_html[at] == '=') {
            ++at;
            while (at < m_size && isSpace(m_html[at]))
                ++at;
            if (at >= m_size)
                return false;
            const char quote = m_html[at];
            if (quote == '"' || quote == '\'') {
                const qsizetype close = m_html.indexOf(quote, at + 1);
                if (close < 0 || !value(at + 1, close, text))
                    return false;
                raw = {at, close + 1 - at};
                at = close + 1;
            } else if (quote != '>') {
                const qsizetype start = at;
                for (; at < m_size && !isSpace(m_html[at]) && m_html[at] != '>'; ++at) {
                    const char c = m_html[at];
                    if (c == '"' || c == '\'' || c == '<' || c == '=' || c == '`')
                        return false;
                }
                if (at >= m_size || !value(start, at, text))
                    return false;
                raw = {start, at - start};
            }
        }
        // Telling repeated names apart costs the square of their number: a tag of hundreds
        // is left to the parser.
        if (pieces.size() == 256)
            return false;
        pieces.append({name, text});
        m_attributes.append({{}, {}, m_html.sliced(raw.from, raw.size), nameStart});
    }
    m_at = at + 1;
    const auto view = [this](const Piece &piece) {
        return piece.from >= 0 ? m_html.sliced(piece.from, piece.size)
                               : QByteArrayView(m_scratch).sliced(-1 - piece.from, piece.size);
    };
    // A name given twice keeps its first value.
    qsizetype kept = 0;
    for (qsizetype i = 0; i < m_attributes.size(); ++i) {
        const QByteArrayView name = view(pieces[i].first);
        bool repeated = false;
        for (qsizetype j = 0; j < kept && !repeated; ++j)
            repeated = m_attributes[j].name == name;
        if (repeated) {
            // The parser then also drops the attribute after a repeated one without a value.
            if (m_attributes[i].raw.isEmpty())
                return false;
            continue;
        }
        MarkupScanner::Attribute attribute = m_attributes[i];
        attribute.name = name;
        attribute.value = view(pieces[i].second);
        m_attributes[kept++] = attribute;
    }
    m_attributes.resize(kept);
    return true;
}

bool Scanner::startTag(qsizetype at)
{
    const int tag = tagName(at);
    if (tag == GUMBO_TAG_UNKNOWN || !attributes(at))
        return false;
    const quint16 flags = m_flags[size_t(tag)];
    switch (m_mode) {
    case Mode::Initial:
    case Mode::BeforeHead:
    case Mode::InHeadImplicit:
    case Mode::AfterHead:
        if (tag == GUMBO_TAG_HTML) {
            if (m_mode != Mode::Initial)
                return false;
            m_mode = Mode::BeforeHead;
        } else if (tag == GUMBO_TAG_HEAD) {
            if (m_mode != Mode::Initial && m_mode != Mode::BeforeHead)
                return false;
            m_mode = Mode::InHead;
        } else if (tag == GUMBO_TAG_BODY) {
            m_mode = Mode::InBody;
            m_stack.push_back(GUMBO_TAG_BODY);
        } else if ((flags & kHead) != 0) {
            // After </head> the parser puts it back into the head, out of the page's order.
            if (m_mode == Mode::AfterHead)
                return false;
            m_mode = Mode::InHeadImplicit;
            return headElement(tag);
        } else {
            m_mode = Mode::InBody;
            m_stack.push_back(GUMBO_TAG_BODY);
            return bodyElement(tag);
        }
        m_handler.startElement(tag, m_attributes);
        m_handler.endElement(tag);
        return true;
    case Mode::InHead:
        return (flags & kHead) != 0 && headElement(tag);
    case Mode::InBody:
        return bodyElement(tag);
    case Mode::AfterBody:
        return false;
    }
    return false;
}

bool Scanner::headElement(int tag)
{
    m_handler.startElement(tag, m_attributes);
    if ((m_flags[size_t(tag)] & kRaw) != 0 && !rawContent(tag))
        return false;
    m_handler.endElement(tag);
    return true;
}

bool Scanner::bodyElement(int tag)
{
    const quint16 flags = m_flags[size_t(tag)];
    const int top = m_stack.back();
    if (isTableContext(top)) {
        // Anything else there the parser moves out of the table.
        const bool section =
            tag == GUMBO_TAG_TBODY || tag == GUMBO_TAG_THEAD || tag == GUMBO_TAG_TFOOT;
        if (top == GUMBO_TAG_TABLE && tag == GUMBO_TAG_TR) {
            // The parser puts rows into a body of their own.
            push(GUMBO_TAG_TBODY);
            m_handler.startElement(GUMBO_TAG_TBODY, {});
        } else if (!(top == GUMBO_TAG_TABLE && section) &&
                   !(top != GUMBO_TAG_TR && top != GUMBO_TAG_TABLE && tag == GUMBO_TAG_TR) &&
                   !(top == GUMBO_TAG_TR && (tag == GUMBO_TAG_TD || tag == GUMBO_TAG_TH))) {
            return false;
        }
        push(tag);
        m_handler.startElement(tag, m_attributes);
        return int(m_stack.size()) <= m_maxDepth;
    }
    if ((flags & kPlain) == 0) {
        // Ruby text, right inside its ruby; everything else the parser treats its own way.
        if ((tag != GUMBO_TAG_RT && tag != GUMBO_TAG_RP) || top != GUMBO_TAG_RUBY)
            return false;
    } else if ((m_openP > 0 && (flags & kPhrasing) == 0) || (tag == GUMBO_TAG_A && m_openA) ||
               (tag == GUMBO_TAG_FORM && m_openForm) || (tag == GUMBO_TAG_BUTTON && m_openButton) ||
               ((flags & kHeading) != 0 && (m_flags[size_t(top)] & kHeading) != 0) ||
               (tag == GUMBO_TAG_LI && top != GUMBO_TAG_UL && top != GUMBO_TAG_OL &&
                top != GUMBO_TAG_MENU) ||
               ((tag == GUMBO_TAG_DD || tag == GUMBO_TAG_DT) && top != GUMBO_TAG_DL)) {
        // The parser would close an element first.
        return false;
    }
    m_handler.startElement(tag, m_attributes);
    if ((flags & kVoid) != 0) {
        m_handler.endElement(tag);
        return true;
    }
    if ((flags & kRaw) != 0) {
        if (!rawContent(tag))
            return false;
        m_handler.endElement(tag);
        return true;
    }
    push(tag);
    // The parser drops a line feed right after <pre>.
    if (tag == GUMBO_TAG_PRE && m_at < m_size && (m_html[m_at] == '\n' || m_html[m_at] == '\r'))
        m_at += startsWith(m_at, "\r\n") ? 2 : 1;
    return int(m_stack.size()) <= m_maxDepth;
}

bool Scanner::rawContent(int tag)
{
    const char *name = gumbo_normalized_tagname(GumboTag(tag));
    const qsizetype length = qsizetype(std::strlen(name));
    qsizetype close = m_at;
    for (;; close += 2) {
        close = m_html.indexOf("</", close);
        if (close < 0)
            return false;
        const qsizetype after = close + 2 + length;
        if (startsWith(close + 2, name, true) && after < m_size &&
            (isSpace(m_html[after]) || m_html[after] == '/' || m_html[after] == '>'))
            break;
    }
    const QByteArrayView content = m_html.sliced(m_at, close - m_at);
    // Script text changes how it is read after "<!--".
    if (tag == GUMBO_TAG_SCRIPT && content.contains("<!--"))
        return false;
    if (tag != GUMBO_TAG_TITLE) {
        m_handler.rawText(tag, content, m_at);
        // Inside a link it is also text the link shows, without references.
        if (m_handler.wantsText() && !content.isEmpty()) {
            if (!needsNormalizing(content, false)) {
                m_handler.text(content);
            } else {
                normalize(content, false, m_text);
                m_handler.text(m_text);
            }
        }
    }
    return attributes(close + 2 + length);
}

bool Scanner::endTag(qsizetype at)
{
    const int tag = tagName(at);
    if (tag == GUMBO_TAG_UNKNOWN || !attributes(at))
        return false;
    switch (m_mode) {
    case Mode::InHead:
    case Mode::InHeadImplicit:
        if (tag != GUMBO_TAG_HEAD)
            return false;
        m_mode = Mode::AfterHead;
        return true;
    case Mode::InBody:
        if (tag == GUMBO_TAG_BODY || tag == GUMBO_TAG_HTML) {
            if (m_stack.size() != 1)
                return false;
            m_mode = Mode::AfterBody;
            return true;
        }
        if (tag == GUMBO_TAG_TABLE) {
            // Closes the table's rows and row groups left open.
            while (m_stack.back() == GUMBO_TAG_TR || m_stack.back() == GUMBO_TAG_TBODY ||
                   m_stack.back() == GUMBO_TAG_THEAD || m_stack.back() == GUMBO_TAG_TFOOT)
                pop();
        }
        if (m_stack.back() != tag)
            return false;
        pop();
        return true;
    case Mode::AfterBody:
        return tag == GUMBO_TAG_HTML;
    default:
        return false;
    }
}

void Scanner::push(int tag)
{
    m_stack.push_back(tag);
    m_openP += tag == GUMBO_TAG_P ? 1 : 0;
    m_openA = m_openA || tag == GUMBO_TAG_A;
    m_openForm = m_openForm || tag == GUMBO_TAG_FORM;
    m_openButton = m_openButton || tag == GUMBO_TAG_BUTTON;
}

void Scanner::pop()
{
    const int tag = m_stack.back();
    m_stack.pop_back();
    m_openP -= tag == GUMBO_TAG_P ? 1 : 0;
    m_openA = m_openA && tag != GUMBO_TAG_A;
    m_openForm = m_openForm && tag != GUMBO_TAG_FORM;
    m_openButton = m_openButton && tag != GUMBO_TAG_BUTTON;
    m_handler.endElement(tag);
}

} // namespace

bool MarkupScanner::scan(QByteArrayView html, Handler &handler, int maxDepth)
{
    return Scanner(html, handler, maxDepth).run();
}

} // namespace velmo::gen
