// Parser and interpreter of template function texts.
#include "generator/templateprogram.h"

#include <limits>
#include <optional>

#include <QHash>

#include "generator/wildcardmatcher.h"

namespace velmo::gen {

namespace {

struct FunctionPattern
{
    QStringView prefix; // the name and its "("
    qint32 code;
};

// Table order decides between patterns; "replace(" before "_replace(" is harmless because a
// match counts only where it starts at the current position.
const FunctionPattern kFunctions[] = {
    {u"for(", TemplateProgram::For},
    {u"if(", TemplateProgram::If},
    {u"replace(", TemplateProgram::Replace},
    {u"_replace(", TemplateProgram::ReplaceSpaces},
    {u"put(", TemplateProgram::Put},
    {u"name(", TemplateProgram::Name},
    {u"description(", TemplateProgram::Description},
};

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

int skipBlanks(const QString &text, int i)
{
    while (i < text.size() && isBlank(text[i]))
        ++i;
    return i;
}

// Every "{" of the text paired with the "}" that counting braces from it reaches. Counting
// from each body's "{" separately would rescan the rest of the text whenever a "{" inside an
// argument keeps the count from returning to zero, which makes parsing quadratic.
QHash<int, int> pairBraces(const QString &text)
{
    QHash<int, int> pairs;
    QList<int> open;
    for (int i = 0; i < text.size(); ++i) {
        if (text[i] == u'{')
            open.append(i);
        else if (text[i] == u'}' && !open.isEmpty())
            pairs.insert(open.takeLast(), i);
    }
    return pairs;
}

bool carriesInteger(Expression::Kind kind)
{
    return kind == Expression::Integer || kind == Expression::Truth;
}

} // namespace

QString TemplateProgram::loopLimitMessage()
{
    return QStringLiteral("for() の繰り返しが上限（%1 回）に達しました。").arg(kMaxLoopPasses);
}

QString TemplateProgram::outputLimitMessage()
{
    return QStringLiteral("出力が上限（%1 文字）に達しました。").arg(kMaxOutputLength);
}

void TemplateProgram::reset()
{
    m_text.clear();
    m_instructions.clear();
    m_parsed = false;
    m_context.bindings.clear();
    m_context.loopVariables.clear();
    m_output.clear();
    m_blockName.clear();
    m_description.clear();
    m_messages.clear();
    m_startContext = HtmlContext();
}

TemplateProgram::ParseResult TemplateProgram::parse(const QString &text)
{
    m_text = text;
    m_instructions.clear();
    m_parsed = false;
    // Records hold 32-bit positions, and parsing looks two characters past a "{".
    if (text.size() > std::numeric_limits<qint32>::max() - 2)
        return ParseResult::NoFunction;
    const int length = int(text.size());

    QList<int> open;
    std::optional<QHash<int, int>> braces;
    int i = 0;
    for (;;) {
        i = skipBlanks(text, i);
        if (i >= length)
            break;
        if (text[i] == u'}') {
            if (open.isEmpty())
                return ParseResult::NoFunction;
            Instruction closing;
            closing.nameStart = i;
            const int opener = open.takeLast();
            closing.code = qint32(quint32(m_instructions[opener].code) | kClosingBit);
            m_instructions[opener].endIndex = qint32(m_instructions.size());
            m_instructions.append(closing);
            ++i;
            continue;
        }
        if (text[i] == u';') {
            ++i;
            continue;
        }

        // A call is its name, "(" and everything up to the first ")": an argument cannot
        // hold ")". Testing the prefix in place finds the same match as searching the
        // pattern from here would, without rescanning the rest of the text per pattern.
        const QStringView rest = QStringView(text).mid(i);
        Instruction call;
        int close = -1;
        for (const FunctionPattern &function : kFunctions) {
            if (!rest.startsWith(function.prefix))
                continue;
            const int argumentStart = i + int(function.prefix.size()) - 1;
            close = int(text.indexOf(u')', argumentStart + 1));
            if (close < 0)
                continue;
            call.code = function.code;
            call.nameStart = i;
            call.argumentStart = argumentStart;
            call.argumentLength = close - argumentStart + 1;
            call.nameLength = close + 1 - i - call.argumentLength;
            call.argument = text.mid(call.argumentStart, call.argumentLength);
            call.argument.remove(u'(');
            call.argument.remove(u')');
            call.argument = call.argument.trimmed();
            if (call.code == If)
                call.test = Expression::classify(call.argument);
            break;
        }
        if (close < 0)
            return ParseResult::NoFunction;

        // Only spaces may stand between a call and its "{": a line break there ends the
        // call, and a call followed by nothing but spaces is the last thing in the text.
        i = close + 1;
        while (i < length && text[i] == u' ')
            ++i;
        if (i >= length)
            return ParseResult::CallAtEnd;
        if (text[i] == u'{') {
            if (open.size() >= kMaxNesting)
                return ParseResult::NoFunction;
            call.bodyStart = i;
            if (!braces)
                braces = pairBraces(text);
            const int match = braces->value(i, -1);
            call.bodyLength = match < 0 ? -1 : match - i;
            open.append(int(m_instructions.size()));
            // Templates put a line break after "{", and the parser steps over it with the
            // brace, so a name written right after "{" loses its first character.
            i = qMin(i + 2, length);
        }
        m_instructions.append(call);
    }
    for (int k = 0; k < m_instructions.size(); ++k)
        m_instructions[k].index = k;
    m_parsed = true;
    return ParseResult::Parsed;
}

void TemplateProgram::bindObjects(const QString &name, const QList<velmo::Object *> &objects)
{
    Binding binding;
    binding.name = name;
    binding.objects = objects;
    m_context.bindings.append(binding);
}

void TemplateProgram::bindText(const QString &name, const QString &text)
{
    Binding binding;
    binding.name = name;
    binding.text = text;
    binding.isText = true;
    m_context.bindings.append(binding);
}

TemplateProgram::RunResult TemplateProgram::run()
{
    m_output.clear();
    m_blockName.clear();
    m_description.clear();
    m_messages.clear();
    m_context.loopVariables.clear();
    m_loopPasses = 0;
    m_halted = false;
    m_html = m_startContext;
    m_htmlRead = 0;
    if (!m_parsed || m_context.site == nullptr)
        return RunResult::NotStarted;
    const RunResult result = execute(0, -1);
    return result == RunResult::Completed && !m_halted ? RunResult::Completed
                                                       : RunResult::StoppedEarly;
}

TemplateProgram::Body TemplateProgram::bodyOf(int index) const
{
    const Instruction &opener = m_instructions[index];
    const int count = int(m_instructions.size());
    if (opener.endIndex >= 0)
        return {index + 1, opener.endIndex, opener.endIndex + 1};
    // A "{" left open at the end of the text holds the rest of the program.
    if (opener.bodyStart >= 0)
        return {index + 1, count, count};
    return {index + 1, index + 1, index + 1};
}

void TemplateProgram::append(const QString &text)
{
    if (m_output.size() + text.size() > kMaxOutputLength) {
        m_halted = true;
        m_messages << outputLimitMessage();
        return;
    }
    m_output += text;
}

void TemplateProgram::appendValue(const QString &text)
{
    m_html.scan(m_output, m_htmlRead, m_output.size());
    m_htmlRead = m_output.size();
    append(m_html.escaped(text));
}

TemplateProgram::RunResult TemplateProgram::execute(int first, int stop)
{
    int k = first;
    while (k < m_instructions.size() && k != stop && !m_halted) {
        const Instruction &instruction = m_instructions[k];
        // The closing record of a body that no loop or condition is running (a for that ran
        // its body as plain code, a body after put) is passed over like plain code.
        if ((quint32(instruction.code) & kClosingBit) != 0) {
            ++k;
            continue;
        }
        switch (instruction.code) {
        case For:
            k = executeFor(k);
            if (k < 0)
                return RunResult::StoppedEarly;
            continue;
        case If:
            k = executeIf(k);
            continue;
        case Put:
            append(argumentText(instruction));
            break;
        case Replace:
        case ReplaceSpaces: {
            QString text;
            int integer = 0;
            switch (Expression::evaluate(argumentText(instruction), m_context, text, integer)) {
            case Expression::Text:
                if (instruction.code == ReplaceSpaces)
                    text.replace(u' ', u'_');
                appendValue(text);
                break;
            case Expression::Integer:
                append(QString::number(integer));
                break;
            default:
                break;
            }
            break;
        }
        case Name:
            m_blockName = argumentText(instruction);
            break;
        case Description:
            m_description = argumentText(instruction);
            break;
        default:
            break;
        }
        ++k;
    }
    return RunResult::Completed;
}

int TemplateProgram::executeFor(int index)
{
    const QStringList parts =
        WildcardMatcher::split(argumentText(m_instructions[index]), QStringView(u";"));
    if (parts.size() != 3)
        return index + 1;

    const Expression::TextClass start = Expression::classify(parts[0]);
    const qsizetype intAt = start.left().indexOf(u"int");
    if (start.code != Expression::Assign || intAt < 0)
        return -1;
    const int variable = int(m_context.loopVariables.size());
    m_context.loopVariables.append(
        {QString(start.left()).remove(intAt, 3).trimmed(), Expression::toInteger(start.right())});

    const Expression::TextClass condition = Expression::classify(parts[1]);
    QString text;
    int bound = 0;
    const Expression::Kind kind = Expression::evaluate(condition.right(), m_context, text, bound);
    if (kind == Expression::Failed)
        return -1;
    if (kind != Expression::Integer || condition.code != Expression::Less)
        return index + 1;

    const Body body = bodyOf(index);
    while (m_context.loopVariables[variable].value < bound && !m_halted) {
        if (m_loopPasses >= kMaxLoopPasses) {
            if (!m_messages.contains(loopLimitMessage()))
                m_messages << loopLimitMessage();
            break;
        }
        ++m_loopPasses;
        // A stopped pass ends that pass only; the loop goes on with the next one.
        execute(body.first, body.stop);
        // Variables of for calls that ran their body as plain code inside this pass are not
        // popped by anything; dropping them here keeps the stack from growing with passes.
        m_context.loopVariables.resize(variable + 1);
        ++m_context.loopVariables[variable].value;
    }
    m_context.loopVariables.resize(variable);
    return body.next;
}

int TemplateProgram::executeIf(int index)
{
    const Expression::TextClass &test = m_instructions[index].test;
    bool taken = false;
    QString text;
    int integer = 0;
    switch (test.code) {
    case Expression::Equal: {
        QString rightText;
        int rightInteger = 0;
        const Expression::Kind left = Expression::evaluate(test.left(), m_context, text, integer);
        const Expression::Kind right =
            Expression::evaluate(test.right(), m_context, rightText, rightInteger);
        if (carriesInteger(left) && carriesInteger(right))
            taken = integer == rightInteger;
        else if (left == Expression::Text && right == Expression::Text)
            taken = text == rightText;
        break;
    }
    case Expression::Not:
        taken = Expression::evaluate(test.right(), m_context, text, integer) == Expression::Truth &&
                integer == 0;
        break;
    case Expression::None:
        taken = Expression::evaluate(test.left(), m_context, text, integer) == Expression::Truth &&
                integer != 0;
        break;
    default:
        break;
    }
    const Body body = bodyOf(index);
    if (taken)
        execute(body.first, body.stop);
    return body.next;
}

} // namespace velmo::gen
