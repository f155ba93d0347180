// The wildcard matcher: splitting, first-occurrence matching without backtracking, and the
// replace operations that page assembly runs for every marker.
#include <QRandomGenerator>
#include <QTest>

#include "generator/markedtext.h"
#include "generator/wildcardmatcher.h"

using velmo::gen::MarkedText;
using velmo::gen::WildcardMatcher;
using namespace Qt::StringLiterals;

class TestWildcardMatcher : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void split_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("separator");
        QTest::addColumn<QStringList>("pieces");
        // clang-format off
        QTest::newRow("a*b")       << u"a*b"_s   << u"*"_s  << QStringList{u"a"_s, u"b"_s};
        QTest::newRow("*b")        << u"*b"_s    << u"*"_s  << QStringList{u""_s, u"b"_s};
        QTest::newRow("a*")        << u"a*"_s    << u"*"_s  << QStringList{u"a"_s};
        QTest::newRow("a**b")      << u"a**b"_s  << u"*"_s  << QStringList{u"a"_s, u""_s, u"b"_s};
        QTest::newRow("none")      << u"abc"_s   << u"*"_s  << QStringList{u"abc"_s};
        QTest::newRow("empty")     << u""_s      << u"*"_s  << QStringList{};
        QTest::newRow("only sep")  << u"*"_s     << u"*"_s  << QStringList{u""_s};
        QTest::newRow("long sep")  << u"i<=3"_s  << u"<="_s << QStringList{u"i"_s, u"3"_s};
        // clang-format on
    }

    void split()
    {
        QFETCH(QString, text);
        QFETCH(QString, separator);
        QFETCH(QStringList, pieces);
        QCOMPARE(WildcardMatcher::split(text, separator), pieces);
    }

    void find_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("matched");
        // clang-format off
        QTest::newRow("shortest at first start")
            << u"x<!--__a__--> <!--__b__-->"_s << u"<!--__*__-->"_s << 0 << 1 << u"<!--__a__-->"_s;
        QTest::newRow("from start")
            << u"x<!--__a__--> <!--__b__-->"_s << u"<!--__*__-->"_s << 2 << 14 << u"<!--__b__-->"_s;
        QTest::newRow("value marker ends at first )")
            << u"<!--__T__-->(a(b)c)"_s << u"<!--__T__-->(*)"_s << 0 << 0 << u"<!--__T__-->(a(b)"_s;
        QTest::newRow("no backtracking")
            << u"b a"_s << u"a*b"_s << 0 << -1 << u""_s;
        QTest::newRow("first piece first occurrence")
            << u"aXaYb"_s << u"a*b"_s << 0 << 0 << u"aXaYb"_s;
        QTest::newRow("leading star") << u"abc"_s << u"*c"_s << 1 << 1 << u"bc"_s;
        QTest::newRow("trailing star") << u"abc"_s << u"b*"_s << 0 << 1 << u"b"_s;
        QTest::newRow("only stars") << u"abc"_s << u"**"_s << 1 << 1 << u""_s;
        QTest::newRow("empty pattern") << u"abc"_s << u""_s << 0 << -1 << u""_s;
        QTest::newRow("start past end") << u"abc"_s << u"a"_s << 4 << -1 << u""_s;
        QTest::newRow("negative start") << u"abc"_s << u"a"_s << -1 << -1 << u""_s;
        QTest::newRow("japanese block")
            << u"前<!--__メニュー開始__-->中<!--__メニュー終了__-->後"_s
            << u"<!--__メニュー開始__-->*<!--__メニュー終了__-->"_s << 0 << 1
            << u"<!--__メニュー開始__-->中<!--__メニュー終了__-->"_s;
        // clang-format on
    }

    void find()
    {
        QFETCH(QString, text);
        QFETCH(QString, pattern);
        QFETCH(int, start);
        QFETCH(int, index);
        QFETCH(QString, matched);
        QString actual;
        QCOMPARE(WildcardMatcher::find(text, pattern, start, &actual), index);
        if (index >= 0)
            QCOMPARE(actual, matched);
    }

    void replaceOperations()
    {
        WildcardMatcher matcher(QStringLiteral("a<x>b<x>c"));
        QCOMPARE(matcher.replaceFirst(u"<x>", u"1"), 1);
        QCOMPARE(matcher.text(), QStringLiteral("a1b<x>c"));
        QCOMPARE(matcher.replaceFirst(u"<y>", u"1"), 0);

        QCOMPARE(matcher.replaceMatch(u"<*>", u"[2]", 0), 3);
        QCOMPARE(matcher.text(), QStringLiteral("a1b[2]c"));
        QCOMPARE(matcher.replaceMatch(u"<*>", u"z", 0), -1);

        QString separate = QStringLiteral("<link href=\"old/x.css\">");
        QCOMPARE(WildcardMatcher::replaceMatch(separate, u"href*.css", u"href=\"css/style.css", 0),
                 6);
        QCOMPARE(separate, QStringLiteral("<link href=\"css/style.css\">"));
    }

    void replaceAll()
    {
        QString text = QStringLiteral("<h1><!--__T__-->(見本)</h1><p><!--__T__-->(x)</p>");
        QCOMPARE(WildcardMatcher::replaceAll(text, u"<!--__T__-->(*)", u"題名"), 2);
        QCOMPARE(text, QStringLiteral("<h1>題名</h1><p>題名</p>"));

        QString hidden = QStringLiteral("a<NOT_OUTPUT>1</NOT_OUTPUT>b<NOT_OUTPUT>2</NOT_OUTPUT>");
        QCOMPARE(WildcardMatcher::replaceAll(hidden, u"<NOT_OUTPUT>*</NOT_OUTPUT>", u""), 2);
        QCOMPARE(hidden, QStringLiteral("ab"));
    }

    void replaceAllEndsWhenTheValueHoldsItsOwnMarker()
    {
        // A title that contains the title marker would otherwise be replaced forever.
        QString text = QStringLiteral("<!--__T__-->(a) and <!--__T__-->(b)");
        const QString value = QStringLiteral("<!--__T__-->(loop)");
        QCOMPARE(WildcardMatcher::replaceAll(text, u"<!--__T__-->(*)", value), 2);
        QVERIFY(text.size() < 200);

        QString growing = QStringLiteral("<!--__T__-->()");
        QVERIFY(WildcardMatcher::replaceAll(growing, u"<!--__T__-->(*)",
                                            u"<!--__T__-->(<!--__T__-->())") <= 1);
    }

    // Page assembly finds markers through MarkedText, which must give what the matcher gives
    // on the same text after any sequence of edits: values that hold markers or pieces of
    // them, markers that overlap, nest or touch, edits that make or break a marker's start.
    void markedTextAgreesWithTheMatcher()
    {
        const QStringList pieces = {u"<!--__"_s,
                                    u"<!--__A__-->("_s,
                                    u"<!--__B__-->("_s,
                                    u")"_s,
                                    u"x"_s,
                                    u"<"_s,
                                    u"!--"_s,
                                    u"_"_s,
                                    u"__-->"_s,
                                    u"<!--__A開始__-->"_s,
                                    u"<!--__A終了__-->"_s,
                                    u"<NOT_OUTPUT>"_s,
                                    u"</NOT_OUTPUT>"_s,
                                    u"<not_output>"_s,
                                    u"NOT_OUTPUT>"_s};
        const QStringList patterns = {u"<!--__A__-->(*)"_s,
                                      u"<!--__B__-->(*)"_s,
                                      u"<!--__A開始__-->*<!--__A終了__-->"_s,
                                      u"<!--__"_s,
                                      u"<NOT_OUTPUT>*</NOT_OUTPUT>"_s,
                                      u"<!--__A__-->(**)"_s,
                                      u"<not_output>*)"_s,
                                      u"x*)"_s};
        QRandomGenerator random(26);
        const auto some = [&](int most) {
            QString text;
            for (int n = random.bounded(most + 1); n > 0; --n)
                text += pieces[random.bounded(pieces.size())];
            return text;
        };
        for (int round = 0; round < 3000; ++round) {
            QString plain = some(12);
            MarkedText marked(plain);
            for (int step = 0; step < 6; ++step) {
                const QString &pattern = patterns[random.bounded(patterns.size())];
                const QString value = some(2);
                const int start = random.bounded(int(plain.size()) + 2);
                QString matched;
                QString markedMatch;
                QCOMPARE(marked.find(pattern, start, &markedMatch),
                         WildcardMatcher::find(plain, pattern, start, &matched));
                QCOMPARE(markedMatch, matched);
                switch (random.bounded(3)) {
                case 0:
                    QCOMPARE(marked.replaceAll(pattern, value),
                             WildcardMatcher::replaceAll(plain, pattern, value));
                    break;
                case 1:
                    QCOMPARE(marked.replaceMatch(pattern, value, start),
                             WildcardMatcher::replaceMatch(plain, pattern, value, start));
                    break;
                default: {
                    const int at = random.bounded(int(plain.size()) + 1);
                    const int length = random.bounded(int(plain.size()) - at + 1);
                    marked.replace(at, length, value);
                    plain.replace(at, length, value);
                }
                }
                QCOMPARE(marked.text(), plain);
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestWildcardMatcher)
#include "tst_wildcardmatcher.moc"
