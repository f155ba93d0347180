// Template function programs: the records and positions the parser produces, its two errors,
// and what runs produce for put, replace, for and if, including the language's quirks and the
// limits that keep hostile templates from hanging or exhausting the stack.
#include <QElapsedTimer>
#include <QTest>

#include "generator/templateprogram.h"
#include "model/category.h"
#include "model/classification.h"
#include "model/site.h"

using namespace velmo;
using velmo::gen::Instruction;
using velmo::gen::TemplateProgram;
using enum TemplateProgram::ParseResult;
using enum TemplateProgram::RunResult;
using namespace Qt::StringLiterals;

class TestTemplateProgram : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();

    void records_data();
    void records();
    void parseResults_data();
    void parseResults();
    void bracesInArguments();
    void nestingIsBounded();

    void runs_data();
    void runs();
    void nameAndDescription();
    void loopPassesAreCapped();
    void outputIsCapped();
    void refusesToStart();

private:
    // A program over the menu "メニュー" (A, then B on the chain), with the texts "title" and
    // "hx".
    void prepare(TemplateProgram &program);

    Site m_site;
};

void TestTemplateProgram::initTestCase()
{
    Classification *menu = m_site.classifications.at(0);
    for (const QString &name : {u"A"_s, u"B"_s}) {
        auto *category = new Category;
        category->name = name;
        menu->categories.add(category, menu);
    }
    menu->categories.at(1)->outputMark = 1;
}

void TestTemplateProgram::prepare(TemplateProgram &program)
{
    program.setSite(&m_site);
    program.bindObjects(u"メニュー"_s, m_site.classifications.at(0)->categories);
    program.bindText(u"title"_s, u"a b c"_s);
    program.bindText(u"hx"_s, u"h3"_s);
}

// Positions in "put(a) for(x){\nput(b)}name(m);":
//   put 0..5, for 7..12 with "{" at 13, put 15..20, "}" at 21, name 22..28.
void TestTemplateProgram::records_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QList<int>>("fields"); // code, endIndex, nameStart, nameLength,
                                            // argumentStart, argumentLength, bodyStart,
                                            // bodyLength
    // clang-format off
    QTest::newRow("put")     << 0 << QList<int>{3,           -1, 0,  3, 3,  3, -1, -1};
    QTest::newRow("for")     << 1 << QList<int>{1,            3, 7,  3, 10, 3, 13,  8};
    QTest::newRow("in body") << 2 << QList<int>{3,           -1, 15, 3, 18, 3, -1, -1};
    QTest::newRow("closing") << 3 << QList<int>{int(0x80000001), -1, 21, 0, 0, 0, -1, -1};
    QTest::newRow("name")    << 4 << QList<int>{16,          -1, 22, 4, 26, 3, -1, -1};
    // clang-format on
}

void TestTemplateProgram::records()
{
    QFETCH(int, index);
    QFETCH(QList<int>, fields);
    TemplateProgram program;
    QCOMPARE(program.parse(u"put(a) for(x){\nput(b)}name(m);"_s), Parsed);
    QCOMPARE(program.instructions().size(), 5);
    const Instruction &record = program.instructions().at(index);
    QCOMPARE(record.index, index);
    const QList<int> actual{record.code,       record.endIndex,      record.nameStart,
                            record.nameLength, record.argumentStart, record.argumentLength,
                            record.bodyStart,  record.bodyLength};
    QCOMPARE(actual, fields);
}

// A "{" inside an argument keeps brace counting from closing the body, though the parser's
// own "}" still ends it; a text full of such bodies must not take quadratic time to parse.
void TestTemplateProgram::bracesInArguments()
{
    TemplateProgram program;
    prepare(program);
    QCOMPARE(program.parse(u"if(1==1){\nput({)}put(a);if(1==1){\nput(b)}"_s), Parsed);
    QCOMPARE(program.instructions().at(0).bodyLength, -1);
    QCOMPARE(program.instructions().at(0).endIndex, 2);
    QCOMPARE(program.instructions().at(4).bodyLength, 8);
    QCOMPARE(program.run(), Completed);
    QCOMPARE(program.outputText(), u"{ab"_s);

    QElapsedTimer timer;
    timer.start();
    QCOMPARE(program.parse(u"if(x){\nput({)}"_s.repeated(50000)), Parsed);
    QVERIFY2(timer.elapsed() < 5000, "parsing took too long");
}

void TestTemplateProgram::parseResults_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<TemplateProgram::ParseResult>("result");

    // clang-format off
    QTest::newRow("empty")                 << u""_s                         << Parsed;
    QTest::newRow("only blanks")           << u" \t\r\n"_s                  << Parsed;
    QTest::newRow("ends with ;")           << u"put(a);"_s                  << Parsed;
    QTest::newRow("body closed at end")    << u"if(x){\nput(a)}"_s          << Parsed;
    QTest::newRow("body left open")        << u"if(x){\n"_s                 << Parsed;
    QTest::newRow("_replace")              << u"_replace(a);"_s             << Parsed;
    QTest::newRow("blank after {")         << u"for(x){ put(a)}"_s          << Parsed;
    QTest::newRow("call at end")           << u"put(a)"_s                   << CallAtEnd;
    QTest::newRow("line break at end")     << u"put(a)\r\n"_s              << Parsed;
    QTest::newRow("call, spaces at end")   << u"put(a)  "_s                 << CallAtEnd;
    QTest::newRow("{ on the next line")    << u"if(x)\n{\nput(a)}"_s        << NoFunction;
    QTest::newRow("unknown function")      << u"print(a);"_s                << NoFunction;
    QTest::newRow("case matters")          << u"Put(a);"_s                  << NoFunction;
    QTest::newRow("blank before (")        << u"put (a);"_s                 << NoFunction;
    QTest::newRow("no )")                  << u"put(a"_s                    << NoFunction;
    QTest::newRow("text after )")          << u"put(a(b)c);"_s              << NoFunction;
    QTest::newRow("stray }")               << u"}"_s                        << NoFunction;
    QTest::newRow("stray } after call")    << u"put(a);}"_s                 << NoFunction;
    QTest::newRow("one } too many")        << u"if(x){\nput(a)}}"_s         << NoFunction;
    QTest::newRow("{ without call")        << u"{put(a)}"_s                 << NoFunction;
    QTest::newRow("name right after {")    << u"for(x){put(a)}"_s           << NoFunction;
    // clang-format on
}

void TestTemplateProgram::parseResults()
{
    QFETCH(QString, text);
    QFETCH(TemplateProgram::ParseResult, result);
    TemplateProgram program;
    QCOMPARE(program.parse(text), result);
}

// Bodies run recursively, one level per nested body; a template nested deeper than the limit
// is refused instead of exhausting the stack.
void TestTemplateProgram::nestingIsBounded()
{
    auto nested = [](int depth) {
        return u"for(int i=0;i<1;i++){\n"_s.repeated(depth) + u"put(x)"_s + u"}"_s.repeated(depth);
    };
    TemplateProgram program;
    prepare(program);
    QCOMPARE(program.parse(nested(TemplateProgram::kMaxNesting)), Parsed);
    QCOMPARE(program.run(), Completed);
    QCOMPARE(program.outputText(), u"x"_s);

    QCOMPARE(program.parse(nested(TemplateProgram::kMaxNesting + 1)), NoFunction);
    QCOMPARE(program.parse(u"if(x){\n"_s.repeated(100000)), NoFunction);
    QCOMPARE(program.run(), NotStarted);
}

void TestTemplateProgram::runs_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("output");
    QTest::addColumn<TemplateProgram::RunResult>("result");

    // clang-format off
    QTest::newRow("put fragment")          << u"put(<li class=\"x\"><a href=\"y.html\">);"_s << u"<li class=\"x\"><a href=\"y.html\">"_s << Completed;
    QTest::newRow("put loses parentheses") << u"put(see (note);"_s << u"see note"_s << Completed;
    QTest::newRow("put trims")             << u"put(  a b  );"_s << u"a b"_s << Completed;

    QTest::newRow("for 0..2")              << u"for(int i=0;i<3;i++){\nreplace(i)}"_s << u"012"_s << Completed;
    QTest::newRow("for <= runs once")      << u"for(int i=0;i<=3;i++){\nreplace(i)}put(b);"_s << u"0b"_s << Completed;
    QTest::newRow("for two parts")         << u"for(int i=0;i<3){\nput(a)replace(i)}put(b);"_s << u"ab"_s << Completed;
    QTest::newRow("for empty third part")  << u"for(int i=0;i<3;){\nput(a)}"_s << u"a"_s << Completed;
    QTest::newRow("for step always +1")    << u"for(int i=1;i<4;i+=2){\nreplace(i)}"_s << u"123"_s << Completed;
    QTest::newRow("for condition's left")  << u"for(int i=0;j<2;i++){\nreplace(i)}"_s << u"01"_s << Completed;
    QTest::newRow("for negative start")    << u"for(int i=-2;i<1;i++){\nreplace(i)}"_s << u"-2-10"_s << Completed;
    QTest::newRow("for over a level")      << u"for(int i=0;i<メニュー.メニュー数;i++){\nreplace(メニュー[i].タイトル)}"_s << u"AB"_s << Completed;
    QTest::newRow("for text bound")        << u"for(int i=0;i<hx;i++){\nreplace(i)}put(z);"_s << u"0z"_s << Completed;
    QTest::newRow("for without int")       << u"put(a);for(i=0;i<3;i++){\nput(b)}put(c);"_s << u"a"_s << StoppedEarly;
    QTest::newRow("for failing bound")     << u"put(a);for(int i=0;i<nothing;i++){\nput(b)}put(c);"_s << u"a"_s << StoppedEarly;
    QTest::newRow("nested failure")        << u"for(int i=0;i<2;i++){\nput(a)for(j=0;j<2;j++){\nput(b)}put(c)}put(d);"_s << u"aad"_s << Completed;
    QTest::newRow("nested loops")          << u"for(int i=0;i<2;i++){\nfor(int j=0;j<3;j++){\nreplace(i)replace(j)}}"_s << u"000102101112"_s << Completed;
    QTest::newRow("plain name is oldest")  << u"for(int i=0;i<2;i++){\nfor(int i=5;i<7;i++){\nreplace(i)}}"_s << u"0011"_s << Completed;
    QTest::newRow("index is newest")       << u"for(int i=5;i<6;i++){\nfor(int i=0;i<2;i++){\nreplace(メニュー[i].タイトル)}}"_s << u"AB"_s << Completed;
    QTest::newRow("plain for ends w/ pass")<< u"for(int i=0;i<2;i++){\nreplace(メニュー[k].タイトル)for(int k=1;k<=0;k++){\n}}"_s << u""_s << Completed;
    QTest::newRow("plain for inside if")   << u"if(1==1){\nfor(int k=7;k<=1;k++){\nreplace(k)}put(b)}put(c);"_s << u"7bc"_s << Completed;

    QTest::newRow("if == equal")           << u"if(1==1){\nput(y)}put(z);"_s << u"yz"_s << Completed;
    QTest::newRow("if == unequal")         << u"if(1==2){\nput(y)}put(z);"_s << u"z"_s << Completed;
    QTest::newRow("if != never")           << u"if(1!=2){\nput(y)}put(z);"_s << u"z"_s << Completed;
    QTest::newRow("if < never")            << u"if(1<2){\nput(y)}"_s << u""_s << Completed;
    QTest::newRow("if < beats ==")         << u"if(2==2<3){\nput(y)}"_s << u""_s << Completed;
    QTest::newRow("if truth == integer")   << u"if(メニュー[1].選択==1){\nput(y)}"_s << u"y"_s << Completed;
    QTest::newRow("if texts equal")        << u"if(hx==hx){\nput(y)}"_s << u"y"_s << Completed;
    QTest::newRow("if text == integer")    << u"if(hx==3){\nput(y)}"_s << u""_s << Completed;
    QTest::newRow("if ! false")            << u"if(!メニュー[0].選択){\nput(y)}"_s << u"y"_s << Completed;
    QTest::newRow("if ! true")             << u"if(!メニュー[1].選択){\nput(y)}"_s << u""_s << Completed;
    QTest::newRow("if ! integer")          << u"if(!0){\nput(y)}"_s << u""_s << Completed;
    QTest::newRow("if truth")              << u"if(メニュー[1].選択){\nput(y)}"_s << u"y"_s << Completed;
    QTest::newRow("if false truth")        << u"if(メニュー[0].選択){\nput(y)}"_s << u""_s << Completed;
    QTest::newRow("if integer")            << u"if(1){\nput(y)}"_s << u""_s << Completed;
    QTest::newRow("if without body")       << u"if(1==2) put(a);put(b);"_s << u"ab"_s << Completed;
    QTest::newRow("if body left open")     << u"if(1==1){\nput(a);"_s << u"a"_s << Completed;
    QTest::newRow("nested for and if")     << u"for(int i=0;i<2;i++){\nif(メニュー[i].選択){\nput(*)}replace(メニュー[i].タイトル)}"_s << u"A*B"_s << Completed;

    QTest::newRow("replace kinds")         << u"replace(title);_replace(title);_replace(42);replace(nothing);replace(メニュー[1].選択);"_s << u"a b ca_b_c42"_s << Completed;
    // clang-format on
}

void TestTemplateProgram::runs()
{
    QFETCH(QString, text);
    QFETCH(QString, output);
    QFETCH(TemplateProgram::RunResult, result);
    TemplateProgram program;
    prepare(program);
    QCOMPARE(program.parse(text), Parsed);
    QCOMPARE(program.run(), result);
    QCOMPARE(program.outputText(), output);
    QVERIFY(program.messages().isEmpty());
}

void TestTemplateProgram::nameAndDescription()
{
    TemplateProgram program;
    prepare(program);
    QCOMPARE(program.parse(u"name( メニュー１ );description(説明 です);put(x);"_s), Parsed);
    QCOMPARE(program.run(), Completed);
    QCOMPARE(program.blockName(), u"メニュー１"_s);
    QCOMPARE(program.description(), u"説明 です"_s);
    QCOMPARE(program.outputText(), u"x"_s);
}

// A runaway bound stops its loop; the program goes on after it, and the caller learns why.
// Later loops of the same run share the spent budget.
void TestTemplateProgram::loopPassesAreCapped()
{
    TemplateProgram program;
    prepare(program);
    QCOMPARE(program.parse(u"for(int i=0;i<2000000000;i++){\nput(x)}put(y);"
                           u"for(int j=0;j<3;j++){\nput(z)}"_s),
             Parsed);
    QCOMPARE(program.run(), Completed);
    QCOMPARE(program.outputText(), QString(TemplateProgram::kMaxLoopPasses, u'x') + u'y');
    QCOMPARE(program.messages(),
             QStringList{u"for() の繰り返しが上限（100000 回）に達しました。"_s});

    // Each run starts with the whole budget and no messages.
    QCOMPARE(program.parse(u"for(int i=0;i<3;i++){\nput(x)}"_s), Parsed);
    QCOMPARE(program.run(), Completed);
    QCOMPARE(program.outputText(), u"xxx"_s);
    QVERIFY(program.messages().isEmpty());
}

void TestTemplateProgram::outputIsCapped()
{
    TemplateProgram program;
    prepare(program);
    program.bindText(u"big"_s, QString(1000, u'b'));
    QCOMPARE(program.parse(u"for(int i=0;i<99999;i++){\nreplace(big)}put(end);"_s), Parsed);
    QCOMPARE(program.run(), StoppedEarly);
    QVERIFY(program.outputText().size() <= TemplateProgram::kMaxOutputLength);
    QVERIFY(program.outputText().size() > TemplateProgram::kMaxOutputLength - 1000);
    QVERIFY(!program.outputText().endsWith(u"end"_s));
    QCOMPARE(program.messages(), QStringList{TemplateProgram::outputLimitMessage()});
}

void TestTemplateProgram::refusesToStart()
{
    TemplateProgram program;
    QCOMPARE(program.parse(u"put(x);"_s), Parsed);
    QCOMPARE(program.run(), NotStarted); // no site
    QCOMPARE(program.outputText(), QString());

    prepare(program);
    QCOMPARE(program.run(), Completed);
    QCOMPARE(program.outputText(), u"x"_s);

    QCOMPARE(program.parse(u"put(x)"_s), CallAtEnd);
    QCOMPARE(program.run(), NotStarted); // failed parse
    QCOMPARE(program.outputText(), QString());

    QCOMPARE(program.parse(u"replace(title);"_s), Parsed);
    program.reset();
    QCOMPARE(program.run(), NotStarted); // program forgotten
    QCOMPARE(program.parse(u"replace(title);replace(hx);"_s), Parsed);
    QCOMPARE(program.run(), Completed); // the site stays, the bindings are gone
    QCOMPARE(program.outputText(), QString());
}

QTEST_GUILESS_MAIN(TestTemplateProgram)
#include "tst_templateprogram.moc"
