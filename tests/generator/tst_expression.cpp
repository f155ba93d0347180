// Template expressions: operator classification, offsets, and operands evaluated against a
// small site (integers, loop variables, named texts, menu level and content properties, and
// the links of ordinary and link menu entries).
#include <limits>
#include <memory>

#include <QTest>

#include "generator/expression.h"
#include "model/category.h"
#include "model/classification.h"
#include "model/content.h"
#include "model/contentgroup.h"
#include "model/page.h"
#include "model/site.h"

using namespace velmo;
using velmo::gen::Expression;
using velmo::gen::ExpressionContext;
using velmo::gen::LoopVariable;
using namespace Qt::StringLiterals;

namespace {

template<class T>
T *addTo(auto &list, velmo::Object *owner, const QString &name)
{
    auto *object = new T;
    object->name = name;
    list.add(object, owner);
    return object;
}

template<class T>
QList<velmo::Object *> objectsOf(const ObjectListOf<T> &list)
{
    QList<velmo::Object *> objects;
    for (T *element : list)
        objects << element;
    return objects;
}

// "i=2,j=5" → loop variables, oldest first.
QList<LoopVariable> variablesFrom(const QString &text)
{
    QList<LoopVariable> variables;
    for (const QString &pair : text.split(u',', Qt::SkipEmptyParts)) {
        const QStringList nameValue = pair.split(u'=');
        variables.append({nameValue[0], nameValue[1].toInt()});
    }
    return variables;
}

} // namespace

class TestExpression : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();

    void classify_data();
    void classify();
    void offsetOf_data();
    void offsetOf();
    void evaluate_data();
    void evaluate();
    void homePageLinkFollowsOutputFolder();

private:
    std::unique_ptr<Site> m_site;
    ExpressionContext m_context;
    Category *m_home = nullptr;
};

// The page being generated is page_b in menu_b. Level 1 of the menu:
//   0 Home (home page)   1 B (on the chain)   2 Empty (no pages)   3 C (page_c)
//   4..10 link menus: by title, missing target, page_c, home page, group on the chain,
//         group off the chain, a classification
// Level 2 is B's B1 and B2; the contents are those of page_b's group "Group One".
void TestExpression::initTestCase()
{
    m_site = std::make_unique<Site>();
    m_site->imageFolder = QStringLiteral("image");
    Classification *menu = m_site->classifications.at(0);

    m_home = addTo<Category>(menu->categories, menu, QStringLiteral("Home"));
    // Links to the home page must not use the home category's folder.
    m_home->auxText = QStringLiteral("WRONG/");
    Page *homePage = addTo<Page>(m_home->pages, m_home, QStringLiteral("ホーム"));
    homePage->fileName = QStringLiteral("index");
    homePage->outputFlags |= Page::kOutputHomePage;

    Category *b = addTo<Category>(menu->categories, menu, QStringLiteral("B"));
    b->auxText = QStringLiteral("./");
    Page *pageB = addTo<Page>(b->pages, b, QStringLiteral("B page"));
    pageB->fileName = QStringLiteral("page_b");
    ContentGroup *groupOn =
        addTo<ContentGroup>(pageB->contentGroups, pageB, QStringLiteral("Group One"));
    for (const auto &[name, value] :
         {std::pair{u"本文", u"hello"}, std::pair{u"本文", u"second"}}) {
        auto *content = new Content;
        content->name = QString::fromUtf16(name);
        content->value = QString::fromUtf16(value);
        groupOn->addContent(content);
    }
    addTo<Category>(b->categories, b, QStringLiteral("B1"));
    addTo<Category>(b->categories, b, QStringLiteral("B2"));
    m_site->outputMark = menu->outputMark = b->outputMark = pageB->outputMark =
        groupOn->outputMark = 1;

    addTo<Category>(menu->categories, menu, QStringLiteral("Empty"))->auxText =
        QStringLiteral("../menu_e/");
    Category *c = addTo<Category>(menu->categories, menu, QStringLiteral("C"));
    c->auxText = QStringLiteral("../menu_c/");
    Page *pageC = addTo<Page>(c->pages, c, QStringLiteral("C page"));
    pageC->fileName = QStringLiteral("page_c");
    ContentGroup *groupOff =
        addTo<ContentGroup>(pageC->contentGroups, pageC, QStringLiteral("Other Group"));

    auto addLink = [menu](const QString &name, const ObjectId &target) {
        Category *link = addTo<Category>(menu->categories, menu, name);
        link->setLinkMenu(true);
        link->linkTarget = target;
        return link;
    };
    addLink(QStringLiteral("ByTitle"), pageC->id)->linkTitle =
        QStringLiteral("https://example.com/");
    addLink(QStringLiteral("Missing"), ObjectId(-5, -5));
    addLink(QStringLiteral("ToPage"), pageC->id);
    addLink(QStringLiteral("ToHome"), homePage->id);
    addLink(QStringLiteral("ToGroupOn"), groupOn->id);
    addLink(QStringLiteral("ToGroupOff"), groupOff->id);
    addLink(QStringLiteral("ToOther"), menu->id);

    m_context.site = m_site.get();
    m_context.siteWorkingFolder = QStringLiteral("/w/site");
    m_context.pageOutputPath = QStringLiteral("/w/site/menu_b/page_b.html");
    // Older bindings of the same names come first: lookups take the most recent.
    m_context.bindings = {
        {QStringLiteral("レベル２"), {}, {}, false},
        {QStringLiteral("hx"), {}, QStringLiteral("h3"), true},
        {QStringLiteral("レベル１"), objectsOf(menu->categories), {}, false},
        {QStringLiteral("レベル２"), objectsOf(b->categories), {}, false},
        {QStringLiteral("コンテンツ"), objectsOf(groupOn->contents), {}, false},
        {QStringLiteral("空"), {}, {}, false},
        {QStringLiteral("hx"), {}, QStringLiteral("h4"), true},
    };
}

void TestExpression::classify_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("code");
    QTest::addColumn<QStringList>("operands");

    // clang-format off
    QTest::newRow("less equal")     << u"i<=3"_s     << 10  << QStringList{u"<="_s, u"i"_s, u"3"_s};
    QTest::newRow("less")           << u"i < 3"_s    << 11  << QStringList{u"<"_s, u"i"_s, u"3"_s};
    QTest::newRow("greater equal")  << u"a>=b"_s     << 12  << QStringList{u">="_s, u"a"_s, u"b"_s};
    QTest::newRow("greater")        << u"a>b"_s      << 13  << QStringList{u">"_s, u"a"_s, u"b"_s};
    QTest::newRow("equal")          << u"a == b"_s   << 14  << QStringList{u"=="_s, u"a"_s, u"b"_s};
    QTest::newRow("not equal")      << u"a!=b"_s     << 15  << QStringList{u"!="_s, u"a"_s, u"b"_s};
    QTest::newRow("assign")         << u"int i=0"_s  << 16  << QStringList{u"="_s, u"int i"_s, u"0"_s};
    QTest::newRow("not")            << u"!x.選択"_s  << 100 << QStringList{u"!"_s, u""_s, u"x.選択"_s};
    QTest::newRow("increment")      << u"i++"_s      << 200 << QStringList{u"++"_s, u"i"_s};
    QTest::newRow("decrement")      << u" i-- "_s    << 201 << QStringList{u"--"_s, u"i"_s};
    QTest::newRow("none")           << u" i+1 "_s    << 0   << QStringList{u""_s, u" i+1 "_s};
    QTest::newRow("< beats ==")     << u"a==b<c"_s   << 11  << QStringList{u"<"_s, u"a==b"_s, u"c"_s};
    QTest::newRow("< beats >=")     << u"a>=b<c"_s   << 11  << QStringList{u"<"_s, u"a>=b"_s, u"c"_s};
    QTest::newRow("<= before <")    << u"a<=b<c"_s   << 10  << QStringList{u"<="_s, u"a"_s, u"b<c"_s};
    QTest::newRow("== before =")    << u"a==b=c"_s   << 14  << QStringList{u"=="_s, u"a"_s, u"b=c"_s};
    QTest::newRow("=! is assign")   << u"a=!b"_s     << 16  << QStringList{u"="_s, u"a"_s, u"!b"_s};
    QTest::newRow("second piece")   << u"a==b==c"_s  << 14  << QStringList{u"=="_s, u"a"_s, u"b"_s};
    QTest::newRow("no right")       << u"a<"_s       << 11  << QStringList{u"<"_s, u"a"_s, u""_s};
    // clang-format on
}

void TestExpression::classify()
{
    QFETCH(QString, text);
    QFETCH(int, code);
    QFETCH(QStringList, operands);
    const Expression::TextClass result = Expression::classify(text);
    QCOMPARE(result.code, code);
    QCOMPARE(result.operands, operands);
}

void TestExpression::offsetOf_data()
{
    QTest::addColumn<QString>("part");
    QTest::addColumn<QString>("variables");
    QTest::addColumn<int>("offset");
    QTest::addColumn<QString>("rest");

    // clang-format off
    QTest::newRow("none")             << u"選択"_s      << u""_s        << 0  << u"選択"_s;
    QTest::newRow("plus number")      << u"選択 + 12"_s << u""_s        << 12 << u"選択"_s;
    QTest::newRow("minus number")     << u"i-2"_s       << u""_s        << -2 << u"i"_s;
    QTest::newRow("plus variable")    << u"i+j"_s       << u"j=4"_s     << 4  << u"i"_s;
    QTest::newRow("minus variable")   << u"i-j"_s       << u"j=4"_s     << -4 << u"i"_s;
    QTest::newRow("oldest variable")  << u"i-j"_s       << u"j=4,j=9"_s << -4 << u"i"_s;
    QTest::newRow("unknown is one")   << u"i+k"_s       << u""_s        << 1  << u"i"_s;
    QTest::newRow("unknown minus")    << u"i-k"_s       << u""_s        << -1 << u"i"_s;
    QTest::newRow("empty right")      << u"i+"_s        << u""_s        << 1  << u"i"_s;
    QTest::newRow("+ before -")       << u"a-b+2"_s     << u""_s        << 2  << u"a-b"_s;
    QTest::newRow("leading sign")     << u"-3"_s        << u""_s        << -3 << u""_s;
    // clang-format on
}

void TestExpression::offsetOf()
{
    QFETCH(QString, part);
    QFETCH(QString, variables);
    QFETCH(int, offset);
    QFETCH(QString, rest);
    QStringView view = part;
    QCOMPARE(Expression::offsetOf(view, variablesFrom(variables)), offset);
    QCOMPARE(view.toString(), rest);
}

void TestExpression::evaluate_data()
{
    QTest::addColumn<QString>("operand");
    QTest::addColumn<QString>("variables");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("integer");

    constexpr int F = Expression::Failed, T = Expression::Text, I = Expression::Integer,
                  B = Expression::Truth;
    constexpr int kMax = std::numeric_limits<int>::max();

    // clang-format off
    QTest::newRow("integer")            << u"42"_s            << u""_s          << I << u""_s << 42;
    QTest::newRow("leading zeros")      << u" 007 "_s         << u""_s          << I << u""_s << 7;
    QTest::newRow("digits then text")   << u"12abc"_s         << u""_s          << I << u""_s << 12;
    QTest::newRow("huge clamps")        << u"99999999999"_s   << u""_s          << I << u""_s << kMax;
    QTest::newRow("negative literal")   << u"-1"_s            << u""_s          << F << u""_s << 0;
    QTest::newRow("full-width digit")   << u"３"_s            << u""_s          << F << u""_s << 0;
    QTest::newRow("empty")              << u""_s              << u""_s          << F << u""_s << 0;
    QTest::newRow("unknown name")       << u"nothing"_s       << u""_s          << F << u""_s << 0;
    QTest::newRow("loop variable")      << u"i"_s             << u"i=2"_s       << I << u""_s << 2;
    QTest::newRow("i+1")                << u"i+1"_s           << u"i=2"_s       << I << u""_s << 3;
    QTest::newRow("i-j")                << u"i-j"_s           << u"i=5,j=2"_s   << I << u""_s << 3;
    QTest::newRow("oldest of a name")   << u"i"_s             << u"i=1,i=7"_s   << I << u""_s << 1;
    QTest::newRow("sum saturates")      << u"i+2147483647"_s  << u"i=5"_s       << I << u""_s << kMax;
    QTest::newRow("minus INT_MIN")      << u"i-j"_s           << u"i=0,j=-2147483648"_s << I << u""_s << kMax;
    QTest::newRow("named text")         << u"hx"_s            << u"hx=1"_s      << T << u"h4"_s << 0;

    QTest::newRow("entry title")        << u"レベル１[1].タイトル"_s << u""_s        << T << u"B"_s << 0;
    QTest::newRow("index newest var")   << u"レベル１[i].タイトル"_s << u"i=0,i=1"_s << T << u"B"_s << 0;
    QTest::newRow("index unknown var")  << u"レベル１[k].タイトル"_s << u""_s        << F << u""_s << 0;
    QTest::newRow("index too large")    << u"レベル１[99].タイトル"_s << u""_s       << F << u""_s << 0;
    QTest::newRow("index negative")     << u"レベル１[i].タイトル"_s << u"i=-1"_s    << F << u""_s << 0;
    QTest::newRow("four pieces")        << u"レベル１[0].タイトル.x"_s << u""_s      << F << u""_s << 0;
    QTest::newRow("unknown property")   << u"レベル１[0].色"_s       << u""_s        << F << u""_s << 0;
    QTest::newRow("unknown level")      << u"未知[0].タイトル"_s      << u""_s       << F << u""_s << 0;
    QTest::newRow("entry no category")  << u"コンテンツ[0].タイトル"_s << u""_s      << F << u""_s << 0;
    QTest::newRow("selected")           << u"レベル１[1].選択"_s     << u""_s        << B << u""_s << 1;
    QTest::newRow("not selected")       << u"レベル１[0].選択"_s     << u""_s        << B << u""_s << 0;
    QTest::newRow("selected offset")    << u"レベル１[0].選択+1"_s   << u""_s        << B << u""_s << 1;
    QTest::newRow("selected var offset")<< u"レベル１[2].選択-i"_s   << u"i=1"_s     << B << u""_s << 1;
    QTest::newRow("no selection")       << u"レベル２[0].選択"_s     << u""_s        << B << u""_s << 0;
    QTest::newRow("no selection, -1")   << u"レベル２[0].選択-1"_s   << u""_s        << B << u""_s << 0;

    QTest::newRow("link home page")     << u"レベル１[0].相対パス"_s << u""_s << T << u"../index.html"_s << 0;
    QTest::newRow("link category")      << u"レベル１[1].相対パス"_s << u""_s << T << u"./page_b.html"_s << 0;
    QTest::newRow("link no pages")      << u"レベル１[2].相対パス"_s << u""_s << T << u"../menu_e/"_s << 0;
    QTest::newRow("link other folder")  << u"レベル１[3].相対パス"_s << u""_s << T << u"../menu_c/page_c.html"_s << 0;
    QTest::newRow("link title")         << u"レベル１[4].相対パス"_s << u""_s << T << u"https://example.com/"_s << 0;
    QTest::newRow("link missing")       << u"レベル１[5].相対パス"_s << u""_s << T << u"#"_s << 0;
    QTest::newRow("link to page")       << u"レベル１[6].相対パス"_s << u""_s << T << u"../menu_c/page_c.html"_s << 0;
    QTest::newRow("link to home page")  << u"レベル１[7].相対パス"_s << u""_s << T << u"../index.html"_s << 0;
    QTest::newRow("link group on chain")<< u"レベル１[8].相対パス"_s << u""_s << T << u"#Group_One"_s << 0;
    QTest::newRow("link group off")     << u"レベル１[9].相対パス"_s << u""_s << T << u"../menu_c/page_c.html#Other_Group"_s << 0;
    QTest::newRow("link to other")      << u"レベル１[10].相対パス"_s << u""_s << T << u"#"_s << 0;

    QTest::newRow("menu count")         << u"レベル１.メニュー数"_s   << u""_s    << I << u""_s << 11;
    QTest::newRow("menu count -1")      << u"レベル１.メニュー数-1"_s << u""_s    << I << u""_s << 10;
    QTest::newRow("menu count +i")      << u"レベル１.メニュー数+i"_s << u"i=2"_s << I << u""_s << 13;
    QTest::newRow("! before level")     << u"!レベル２.メニュー数"_s  << u""_s    << I << u""_s << 2;
    QTest::newRow("most recent level")  << u"レベル２.タイトル"_s     << u""_s    << T << u"B"_s << 0;
    QTest::newRow("empty level count")  << u"空.メニュー数"_s         << u""_s    << I << u""_s << 0;
    QTest::newRow("empty level title")  << u"空.タイトル"_s           << u""_s    << F << u""_s << 0;
    QTest::newRow("unknown level count")<< u"未知.メニュー数"_s       << u""_s    << F << u""_s << 0;
    QTest::newRow("three pieces")       << u"レベル１.メニュー数.x"_s << u""_s    << F << u""_s << 0;
    QTest::newRow("level title")        << u"レベル１.タイトル"_s     << u""_s    << T << u"メニュー"_s << 0;
    QTest::newRow("image path level 1") << u"レベル１.画像パス"_s     << u""_s    << T << u"../image/"_s << 0;
    QTest::newRow("image path level 2") << u"レベル２.画像パス"_s     << u""_s    << T << u"../../image/"_s << 0;
    QTest::newRow("image path contents")<< u"コンテンツ.画像パス"_s   << u""_s    << T << u"../image/"_s << 0;
    QTest::newRow("content by name")    << u"コンテンツ.本文"_s       << u""_s    << T << u"hello"_s << 0;
    QTest::newRow("content missing")    << u"コンテンツ.結び"_s       << u""_s    << F << u""_s << 0;
    QTest::newRow("category not content")<< u"レベル１.B"_s           << u""_s    << F << u""_s << 0;
    // clang-format on
}

void TestExpression::evaluate()
{
    QFETCH(QString, operand);
    QFETCH(QString, variables);
    QFETCH(int, kind);
    QFETCH(QString, text);
    QFETCH(int, integer);

    ExpressionContext context = m_context;
    context.loopVariables = variablesFrom(variables);
    QString gotText;
    int gotInteger = 0;
    QCOMPARE(int(Expression::evaluate(operand, context, gotText, gotInteger)), kind);
    if (kind == Expression::Text)
        QCOMPARE(gotText, text);
    else if (kind != Expression::Failed)
        QCOMPARE(gotInteger, integer);
}

// The home page is the working folder's index file, so its link depends on where the page
// being written lies, not on the home category's folder.
void TestExpression::homePageLinkFollowsOutputFolder()
{
    ExpressionContext context = m_context;
    QString text;
    int integer = 0;
    context.pageOutputPath = QStringLiteral("/w/site/index.html");
    QCOMPARE(Expression::evaluate(u"レベル１[0].相対パス", context, text, integer),
             Expression::Text);
    QCOMPARE(text, QStringLiteral("./index.html"));

    context.pageOutputPath = QStringLiteral("/w/site/menu_1/menu_2/page.html");
    QCOMPARE(Expression::evaluate(u"レベル１[7].相対パス", context, text, integer),
             Expression::Text);
    QCOMPARE(text, QStringLiteral("../../index.html"));
}

QTEST_GUILESS_MAIN(TestExpression)
#include "tst_expression.moc"
