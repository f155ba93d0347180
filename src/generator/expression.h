// The expressions of template function arguments: splitting an argument at its one operator,
// offsets such as i+1, and the operands (integers, loop variables, named texts and the
// properties of menu levels and content lists) with the links of menu entries.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace velmo {
class Object;
class Site;
} // namespace velmo

namespace velmo::gen {

// A named object list (a menu level, a content group's contents) or a named text ("hx").
struct Binding
{
    QString name;
    QList<velmo::Object *> objects;
    QString text;
    bool isText = false;
};

struct LoopVariable
{
    QString name;
    int value = 0;
};

struct ExpressionContext
{
    velmo::Site *site = nullptr;
    QString siteWorkingFolder; // absolute, "/" separators
    QString pageOutputPath;    // absolute path of the page being written
    QList<Binding> bindings;   // looked up from the most recent backwards
    QList<LoopVariable> loopVariables;
};

class Expression
{
public:
    enum Operator {
        None = 0,
        LessEqual = 10,
        Less = 11,
        GreaterEqual = 12,
        Greater = 13,
        Equal = 14,
        NotEqual = 15,
        Assign = 16,
        Not = 100,
        Increment = 200,
        Decrement = 201,
    };

    // operands[0] is the operator text (empty for None), operands[1] the left operand (the
    // whole text for None), operands[2] the right operand for codes below 200.
    struct TextClass
    {
        int code = None;
        QStringList operands;

        QString left() const { return operands.value(1); }
        QString right() const { return operands.value(2); }
    };

    enum Kind { Failed = 0, Text = 1, Integer = 2, Truth = 3 };

    // The first operator of the fixed order that occurs anywhere in text wins, whatever its
    // position: "a<b==c" is a "<" comparison.
    static TextClass classify(QStringView text);
    // Takes a trailing "+n", "-n", "+name" or "-name" off part and returns it as a number.
    static int offsetOf(QStringView &part, const QList<LoopVariable> &loopVariables);
    static Kind evaluate(QStringView operand, const ExpressionContext &context, QString &text,
                         int &integer);

    // Reads a decimal integer the way template texts write them: leading blanks, an optional
    // sign, then digits up to the first other character; 0 without digits. Values beyond the
    // int range are clamped.
    static int toInteger(QStringView text);
    static bool startsWithDigit(QStringView text);
};

} // namespace velmo::gen
