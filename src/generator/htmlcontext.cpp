// The tokenizer states that tell text from attribute values, and escaping for each.
#include "generator/htmlcontext.h"

namespace velmo::gen {

namespace {

bool isSpace(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

bool isAsciiLetter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool isAsciiAlphanumeric(QChar c)
{
    return isAsciiLetter(c) || (c >= u'0' && c <= u'9');
}

bool isHexDigit(QChar c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

// Length of the character reference at the "&" at position at ("&amp;", "&#38;", "&#x26;"),
// or 0 when that "&" starts none. Only references closed by ";" count: the forms a browser
// also accepts without one are exactly the ones a stray "&" in user text resembles.
qsizetype referenceLength(QStringView text, qsizetype at)
{
    qsizetype i = at + 1;
    if (i < text.size() && text[i] == u'#') {
        ++i;
        const bool hex = i < text.size() && (text[i] == u'x' || text[i] == u'X');
        if (hex)
            ++i;
        const qsizetype digits = i;
        while (i < text.size() && (hex ? isHexDigit(text[i]) : text[i].isDigit()) &&
               text[i].unicode() < 128)
            ++i;
        if (i == digits)
            return 0;
    } else {
        if (i >= text.size() || !isAsciiLetter(text[i]))
            return 0;
        while (i < text.size() && isAsciiAlphanumeric(text[i]))
            ++i;
    }
    return i < text.size() && text[i] == u';' ? i + 1 - at : 0;
}

bool isRawTextElement(QStringView name)
{
    return name == u"script" || name == u"style" || name == u"textarea" || name == u"title";
}

} // namespace

void HtmlContext::addToTagName(QChar c)
{
    if (m_tagLength < kTagNameLength)
        m_tagName[m_tagLength++] = c.toLower().unicode();
}

void HtmlContext::endTag()
{
    const QStringView name(m_tagName, m_tagLength);
    if (!m_endTag && isRawTextElement(name))
        m_rawTextElement = name.toString();
    m_state = m_rawTextElement.isEmpty() ? State::Data : State::RawText;
}

void HtmlContext::scan(QStringView text, qsizetype from, qsizetype to)
{
    to = qMin(to, text.size());
    // Text, values and raw text run long between the characters that end them: those are
    // found at memory speed, not one character at a time.
    const auto skipTo = [&text, to](qsizetype i, char16_t stop) {
        const qsizetype at = text.sliced(i, to - i).indexOf(QChar(stop));
        return at < 0 ? to : i + at;
    };
    for (qsizetype i = from; i < to; ++i) {
        switch (m_state) {
        case State::Data:
        case State::RawText:
        case State::DoubleQuoted:
        case State::SingleQuoted:
        case State::BogusComment:
            i = skipTo(i, m_state == State::DoubleQuoted   ? u'"'
                          : m_state == State::SingleQuoted ? u'\''
                          : m_state == State::BogusComment ? u'>'
                                                           : u'<');
            if (i == to)
                return;
            break;
        default:
            break;
        }
        const QChar c = text[i];
        switch (m_state) {
        case State::Data:
            if (c == u'<')
                m_state = State::TagOpen;
            break;
        case State::RawText:
            // Only its own end tag closes a raw text element.
            if (c == u'<' && i + 1 < text.size() && text[i + 1] == u'/' &&
                text.mid(i + 2, m_rawTextElement.size())
                        .compare(m_rawTextElement, Qt::CaseInsensitive) == 0) {
                m_rawTextElement.clear();
                m_state = State::TagOpen;
            }
            break;
        case State::TagOpen:
            m_endTag = false;
            m_tagLength = 0;
            if (c == u'!') {
                m_state = State::MarkupDeclaration;
            } else if (c == u'/') {
                m_state = State::EndTagOpen;
            } else if (isAsciiLetter(c)) {
                addToTagName(c);
                m_state = State::TagName;
            } else if (c == u'?') {
                m_state = State::BogusComment;
            } else {
                m_state = c == u'<' ? State::TagOpen : State::Data;
            }
            break;
        case State::EndTagOpen:
            m_endTag = true;
            if (isAsciiLetter(c)) {
                addToTagName(c);
                m_state = State::TagName;
            } else {
                m_state = c == u'>' ? State::Data : State::BogusComment;
            }
            break;
        case State::TagName:
            if (isSpace(c) || c == u'/')
                m_state = State::BeforeAttributeName;
            else if (c == u'>')
                endTag();
            else
                addToTagName(c);
            break;
        case State::BeforeAttributeName:
            if (c == u'>')
                endTag();
            else if (!isSpace(c) && c != u'/')
                m_state = State::AttributeName;
            break;
        case State::AttributeName:
            if (isSpace(c) || c == u'/')
                m_state = State::AfterAttributeName;
            else if (c == u'=')
                m_state = State::BeforeAttributeValue;
            else if (c == u'>')
                endTag();
            break;
        case State::AfterAttributeName:
            if (c == u'=')
                m_state = State::BeforeAttributeValue;
            else if (c == u'>')
                endTag();
            else if (!isSpace(c) && c != u'/')
                m_state = State::AttributeName;
            break;
        case State::BeforeAttributeValue:
            if (c == u'"')
                m_state = State::DoubleQuoted;
            else if (c == u'\'')
                m_state = State::SingleQuoted;
            else if (c == u'>')
                endTag();
            else if (!isSpace(c))
                m_state = State::Unquoted;
            break;
        case State::DoubleQuoted:
            if (c == u'"')
                m_state = State::BeforeAttributeName;
            break;
        case State::SingleQuoted:
            if (c == u'\'')
                m_state = State::BeforeAttributeName;
            break;
        case State::Unquoted:
            if (isSpace(c))
                m_state = State::BeforeAttributeName;
            else if (c == u'>')
                endTag();
            break;
        case State::MarkupDeclaration:
            m_state = c == u'-' ? State::CommentStart : State::BogusComment;
            if (c == u'>')
                m_state = State::Data;
            break;
        case State::CommentStart:
            m_dashes = 0;
            m_state = c == u'-' ? State::Comment : State::BogusComment;
            break;
        case State::Comment:
            if (c == u'-') {
                ++m_dashes;
            } else {
                if (c == u'>' && m_dashes >= 2)
                    m_state = State::Data;
                m_dashes = 0;
            }
            break;
        case State::BogusComment:
            if (c == u'>')
                m_state = State::Data;
            break;
        }
    }
}

HtmlContext HtmlContext::at(QStringView text, qsizetype position)
{
    HtmlContext context;
    context.scan(text, 0, position);
    return context;
}

bool HtmlContext::inAttributeValue() const
{
    // Right after "=" the value has not begun, but whatever is put there becomes it.
    return m_state == State::DoubleQuoted || m_state == State::SingleQuoted ||
           m_state == State::Unquoted || m_state == State::BeforeAttributeValue;
}

QChar HtmlContext::key() const
{
    switch (m_state) {
    case State::DoubleQuoted:
        return u'"';
    case State::SingleQuoted:
        return u'\'';
    case State::Unquoted:
    case State::BeforeAttributeValue:
        return u'=';
    default:
        return u'-';
    }
}

QString HtmlContext::escaped(const QString &value) const
{
    if (!inAttributeValue() || !needsEscaping(value))
        return value;
    const QChar quote = key();
    return escapeAttribute(value, quote == u'=' ? QChar() : quote);
}

bool HtmlContext::needsEscaping(QStringView value)
{
    for (const QChar c : value) {
        if (c == u'&' || c == u'"' || c == u'\'' || c == u'<' || c == u'>' || c == u'=' ||
            c == u'`' || isSpace(c))
            return true;
    }
    return false;
}

bool HtmlContext::needsEscapingInQuotes(QStringView value)
{
    for (const QChar c : value) {
        if (c == u'&' || c == u'"' || c == u'\'' || c == u'<' || c == u'>')
            return true;
    }
    return false;
}

QString HtmlContext::escapeAttribute(QStringView value, QChar quote)
{
    const bool unquoted = quote.isNull();
    QString result;
    result.reserve(value.size() + 16);
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c == u'&') {
            const qsizetype reference = referenceLength(value, i);
            if (reference > 0) {
                result += value.mid(i, reference);
                i += reference - 1;
            } else {
                result += u"&amp;";
            }
        } else if (c == u'"') {
            result += u"&quot;";
        } else if (c == u'<') {
            result += u"&lt;";
        } else if (c == u'>') {
            result += u"&gt;";
        } else if (c == u'\'' && quote != u'"') {
            result += u"&#39;";
        } else if (unquoted && (c == u'=' || c == u'`' || isSpace(c))) {
            // Without quotes a space or one of these would end the value or make it invalid.
            result += QStringLiteral("&#%1;").arg(c.unicode());
        } else {
            result += c;
        }
    }
    return result;
}

} // namespace velmo::gen
