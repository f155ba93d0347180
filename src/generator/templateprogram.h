// The template function language: the parser that turns a menu or content template into
// instruction records, and the interpreter that runs them into an output text.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "generator/expression.h"
#include "generator/htmlcontext.h"
#include "model/objectlist.h"

namespace velmo::gen {

// One parsed function call, or one closing brace.
struct Instruction
{
    // Function code; a closing brace carries its opener's code with bit 31 set.
    qint32 code = 0;
    qint32 index = -1;
    // For a call that opened a body: the index of its closing record; -1 otherwise, and for a
    // body left open at the end of the text.
    qint32 endIndex = -1;
    qint32 nameStart = 0;
    qint32 nameLength = 0;
    // Position of "(" and the length up to the first ")" inclusive.
    qint32 argumentStart = 0;
    qint32 argumentLength = 0;
    // Position of "{" and the distance to its matching "}"; -1 without a body (bodyLength is
    // also -1 when the "{" is never matched).
    qint32 bodyStart = -1;
    qint32 bodyLength = -1;
    // The argument as the interpreter uses it, cut once when parsing: a menu template runs
    // the same calls for every entry of every page.
    QString argument;
    // For an if, the argument's operator and operands, classified once too.
    Expression::TextClass test;
};

class TemplateProgram
{
public:
    enum Function : qint32 {
        For = 1,
        If = 2,
        Put = 3,
        Replace = 4,
        ReplaceSpaces = 5,
        Name = 16,
        Description = 17,
    };
    static constexpr quint32 kClosingBit = 0x80000000u;

    enum class ParseResult { Parsed = 1, CallAtEnd = -1, NoFunction = -2 };
    enum class RunResult { NotStarted = 0, Completed = 1, StoppedEarly = -10 };

    // Bodies nested deeper than this are refused by parse(): the interpreter runs bodies
    // recursively, and a template must not be able to exhaust the stack.
    static constexpr int kMaxNesting = 200;
    // Passes of all for loops of one run together; nested loops share the budget so that
    // they cannot multiply it.
    static constexpr int kMaxLoopPasses = 100000;
    // The whole output of a run is held in memory; a loop over a large content text could
    // otherwise grow it until allocation fails. Reaching it ends the run.
    static constexpr qsizetype kMaxOutputLength = 64 * 1024 * 1024;

    static QString loopLimitMessage();
    static QString outputLimitMessage();

    // Forgets the program, its output and the bindings; the site and the two paths belong to
    // the page being generated and stay.
    void reset();
    ParseResult parse(const QString &text);
    RunResult run();

    const QString &programText() const { return m_text; }
    const QList<Instruction> &instructions() const { return m_instructions; }
    // The argument part of a call as the interpreter uses it: every "(" and ")" removed, then
    // trimmed.
    const QString &argumentText(const Instruction &instruction) const
    {
        return instruction.argument;
    }

    const QString &outputText() const { return m_output; }
    const QString &blockName() const { return m_blockName; }
    const QString &description() const { return m_description; }
    // Problems met by the last run that the caller may show; the run itself goes on.
    const QStringList &messages() const { return m_messages; }

    void setSite(velmo::Site *site) { m_context.site = site; }
    void setSiteWorkingFolder(const QString &folder) { m_context.siteWorkingFolder = folder; }
    void setPageOutputPath(const QString &path) { m_context.pageOutputPath = path; }
    void bindObjects(const QString &name, const QList<velmo::Object *> &objects);
    template<class T>
    void bindObjects(const QString &name, const ObjectListOf<T> &list)
    {
        QList<velmo::Object *> objects;
        objects.reserve(list.count());
        for (T *element : list)
            objects << element;
        bindObjects(name, objects);
    }
    void bindText(const QString &name, const QString &text);
    const ExpressionContext &context() const { return m_context; }
    // Where the output will stand in the page: a value that replace() writes into an attribute
    // value is escaped for it, and the output may begin inside one (a menu in an href).
    void setStartContext(const HtmlContext &context) { m_startContext = context; }

private:
    // The records of a body: run from first until stop, then go on at next.
    struct Body
    {
        int first;
        int stop;
        int next;
    };
    Body bodyOf(int index) const;
    void append(const QString &text);
    // Appends a value from the document, escaped for where the output stands.
    void appendValue(const QString &text);
    // Runs records from first until the closing record at stop or the end of the list;
    // returns Completed, or StoppedEarly when a for stopped this body level.
    RunResult execute(int first, int stop);
    // Run the call at index; return the index to continue with, or -1 when the current body
    // level stops.
    int executeFor(int index);
    int executeIf(int index);

    QString m_text;
    QList<Instruction> m_instructions;
    bool m_parsed = false;
    ExpressionContext m_context;
    QString m_output;
    QString m_blockName;
    QString m_description;
    QStringList m_messages;
    int m_loopPasses = 0;
    bool m_halted = false;
    HtmlContext m_startContext;
    // The context at the end of the part of the output read so far.
    HtmlContext m_html;
    qsizetype m_htmlRead = 0;
};

} // namespace velmo::gen
