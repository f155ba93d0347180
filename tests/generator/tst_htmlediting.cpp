// The content editor's text operations: the caret rules of insert, wrap, wrap lines and
// convert, and the image and site-link fragments.
#include <QTest>

#include "generator/htmlediting.h"
#include "model/objectid.h"

using velmo::gen::HtmlEditing;
using namespace Qt::StringLiterals;

class TestHtmlEditing : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void primitives_data();
    void primitives();
    void fragments();
    void imageFragment_data();
    void imageFragment();
};

void TestHtmlEditing::primitives_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("end");
    QTest::addColumn<QStringList>("parts");
    QTest::addColumn<QString>("result");
    QTest::addColumn<int>("caret");
    QTest::addColumn<int>("selectionStart");

    const QStringList br{u"<br />\r\n"_s};
    const QStringList p{u"<p>"_s, u"</p>\r\n"_s};
    const QStringList ul{u"<ul>\r\n"_s, u"<li>"_s, u"</li>\r\n"_s, u"</ul>\r\n"_s};
    // clang-format off
    QTest::newRow("br at 10: caret behind the line break")
        << u"insert"_s << u"0123456789abc"_s << 10 << 10 << br
        << u"0123456789<br />\nabc"_s << 17 << -1;
    QTest::newRow("insert keeps the selection before the fragment")
        << u"insert"_s << u"abcdef"_s << 1 << 3 << QStringList{u"X"_s}
        << u"abcXdef"_s << 4 << -1;
    QTest::newRow("insert of nothing at 0 leaves the caret at 0")
        << u"insert"_s << u"abc"_s << 0 << 0 << QStringList{QString()}
        << u"abc"_s << 0 << -1;
    QTest::newRow("p around 0..3: caret behind the wrapped text")
        << u"wrap"_s << u"abc def"_s << 0 << 3 << p
        << u"<p>abc</p>\n def"_s << 11 << -1;
    QTest::newRow("p around the whole text")
        << u"wrap"_s << u"abc"_s << 0 << 3 << p
        << u"<p>abc</p>\n"_s << 11 << -1;
    QTest::newRow("p on a backward selection")
        << u"wrap"_s << u"abc def"_s << 3 << 0 << p
        << u"<p>abc</p>\n def"_s << 11 << -1;
    QTest::newRow("em without selection: caret between the tags")
        << u"wrap"_s << u"abcd"_s << 2 << 2 << QStringList{u"<em>"_s, u"</em>"_s}
        << u"ab<em></em>cd"_s << 6 << -1;
    QTest::newRow("a href without selection: caret before </a>")
        << u"wrap"_s << u"x"_s << 1 << 1 << QStringList{u"<a href=\"\">"_s, u"</a>"_s}
        << u"x<a href=\"\"></a>"_s << 12 << -1;
    QTest::newRow("p without selection: caret before </p>, the line break counted once")
        << u"wrap"_s << u""_s << 0 << 0 << p
        << u"<p></p>\n"_s << 3 << -1;
    QTest::newRow("ul with trailing line break: two items")
        << u"wrapLines"_s << u"one\ntwo\n"_s << 0 << 8 << ul
        << u"<ul>\n<li>one</li>\n<li>two</li>\n</ul>\n"_s << 37 << -1;
    QTest::newRow("ul: empty middle line is an empty item")
        << u"wrapLines"_s << u"a\n\nb"_s << 0 << 4 << ul
        << u"<ul>\n<li>a</li>\n<li></li>\n<li>b</li>\n</ul>\n"_s << 43 << -1;
    QTest::newRow("ul without selection: caret in the first item")
        << u"wrapLines"_s << u"x"_s << 1 << 1 << ul
        << u"x<ul>\n<li></li>\n</ul>\n"_s << 10 << -1;
    QTest::newRow("convert keeps the result selected")
        << u"convert"_s << u"a<b>c"_s << 1 << 4 << QStringList{u"<"_s, u"&lt"_s}
        << u"a&ltb>c"_s << 6 << 1;
    QTest::newRow("escape a bold tag: references with semicolons, caret after it")
        << u"escape"_s << u"x<b>y</b>z"_s << 1 << 9 << QStringList{}
        << u"x&lt;b&gt;y&lt;/b&gt;z"_s << 21 << -1;
    QTest::newRow("escape & first, once")
        << u"escape"_s << u"a&b<c"_s << 0 << 5 << QStringList{}
        << u"a&amp;b&lt;c"_s << 12 << -1;
    QTest::newRow("escape without selection: caret 0")
        << u"escape"_s << u"x<b>y"_s << 3 << 3 << QStringList{}
        << u"x<b>y"_s << 0 << -1;
    // clang-format on
}

void TestHtmlEditing::primitives()
{
    QFETCH(QString, operation);
    QFETCH(QString, text);
    QFETCH(int, start);
    QFETCH(int, end);
    QFETCH(QStringList, parts);
    QFETCH(QString, result);
    QFETCH(int, caret);
    QFETCH(int, selectionStart);

    HtmlEditing::Edit edit;
    if (operation == u"insert"_s)
        edit = HtmlEditing::insert(text, start, end, parts.at(0));
    else if (operation == u"wrap"_s)
        edit = HtmlEditing::wrap(text, start, end, parts.at(0), parts.at(1));
    else if (operation == u"wrapLines"_s)
        edit = HtmlEditing::wrapLines(text, start, end, parts.at(0), parts.at(1), parts.at(2),
                                      parts.at(3));
    else if (operation == u"convert"_s)
        edit = HtmlEditing::convert(text, start, end, parts.at(0), parts.at(1));
    else
        edit = HtmlEditing::escapeMarkup(text, start, end);

    QCOMPARE(edit.appliedTo(text), result);
    QCOMPARE(edit.caret, caret);
    QCOMPARE(edit.selectionStart, selectionStart);
}

void TestHtmlEditing::fragments()
{
    QCOMPARE(HtmlEditing::orderedListOpen(QString()), u"<ol>\r\n"_s);
    QCOMPARE(HtmlEditing::orderedListOpen(u"list-style-type: disc"_s),
             u"<ol style=\"list-style-type: disc\">\r\n"_s);
    QCOMPARE(HtmlEditing::fontColorOpen(u"#ff0000"_s), u"<font color=\"#ff0000\">"_s);
    QCOMPARE(HtmlEditing::siteLinkOpen(velmo::ObjectId(1700000000, 42)),
             u"<a href=\"_id_link(1700000000,42)\">"_s);
    QCOMPARE(HtmlEditing::siteLinkClose(u"沿革"_s, false), u"沿革</a>\r\n"_s);
    QCOMPARE(HtmlEditing::siteLinkClose(u"沿革"_s, true), u"</a>\r\n"_s);
}

void TestHtmlEditing::imageFragment_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("link");
    QTest::addColumn<QString>("alt");
    QTest::addColumn<QString>("fragment");

    // clang-format off
    QTest::newRow("image in the folder, lowered, its alt text escaped")
        << 1 << u"/data/user_image/Photos/A.JPG"_s << QString() << u"窓辺の \"席\""_s
        << u"<img src=\"_image(/photos/a.jpg,120,90)\" width=\"120\" height=\"90\" alt=\"窓辺の &quot;席&quot;\">\r\n"_s;
    QTest::newRow("image link keeps its address as typed")
        << 2 << u"/data/user_image/B.png"_s << u"https://Example.org/Page.HTML"_s << QString()
        << u"<a href=\"https://Example.org/Page.HTML\" target=\"_blank\">\r\n"
           u"<img src=\"_image(/b.png,120,90)\" width=\"120\" height=\"90\" alt=\"\">\r\n</a>\r\n"_s;
    QTest::newRow("thumbnail link: two lowered calls")
        << 3 << u"/data/user_image/Sub/C.Gif"_s << QString() << QString()
        << u"<a href=\"_image(/sub/c.gif,0,0)\" target=\"_blank\">\r\n"
           u"<img src=\"_image(/sub/c.gif,120,90)\" width=\"120\" height=\"90\" alt=\"\">\r\n</a>\r\n"_s;
    QTest::newRow("outside the folder: whole path")
        << 1 << u"/home/Ken/Pics/D.png"_s << QString() << QString()
        << u"<img src=\"_image(/home/ken/pics/d.png,120,90)\" width=\"120\" height=\"90\" alt=\"\">\r\n"_s;
    QTest::newRow("backslashes become slashes")
        << 1 << u"\\data\\user_image\\E.png"_s << QString() << QString()
        << u"<img src=\"_image(/e.png,120,90)\" width=\"120\" height=\"90\" alt=\"\">\r\n"_s;
    QTest::newRow("no path, no fragment") << 1 << QString() << QString() << QString() << QString();
    // clang-format on
}

void TestHtmlEditing::imageFragment()
{
    QFETCH(int, kind);
    QFETCH(QString, path);
    QFETCH(QString, link);
    QFETCH(QString, alt);
    QFETCH(QString, fragment);
    QCOMPARE(HtmlEditing::imageFragment(kind, path, u"/data/user_image/"_s, 120, 90, link, alt),
             fragment);
}

QTEST_GUILESS_MAIN(TestHtmlEditing)
#include "tst_htmlediting.moc"
