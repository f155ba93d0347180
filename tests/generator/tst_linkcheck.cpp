// The link check on a small generated site: exactly the links that lead nowhere are listed,
// external ones are only noted, and markup a browser would forgive is read all the same.
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include "generator/linkcheck.h"
#include "model/fileutil.h"

using namespace Qt::StringLiterals;
using velmo::gen::LinkCheck;

class TestLinkCheck : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void listsExactlyTheBrokenLinks();
    void readsMarkupAsABrowserDoes();
    void scannerReadsAsTheParserDoes();
    void verdicts_data();
    void verdicts();
    void worstCasesStayBounded();
};

namespace {

bool write(const QTemporaryDir &dir, const QString &name, const QString &text)
{
    const QString path = dir.filePath(name);
    return velmo::createFolderPath(path) && velmo::writeTextFile(text, path);
}

} // namespace

void TestLinkCheck::listsExactlyTheBrokenLinks()
{
    QTemporaryDir dir;
    const QString css = u"body { background: url('../img/ok.png'); }\n"
                        u"h1 { background: url(\"../img/gone.png\") }\n"_s;
    QVERIFY(write(dir, u"css/style.css"_s, css));
    // The template's sheet that style.css was made from: its faults are those of style.css,
    // which the page links, and are reported once.
    QVERIFY(write(dir, u"css/main.css"_s, css));
    QVERIFY(write(dir, u"img/ok.png"_s, u"x"_s));
    QVERIFY(write(dir, u"お知らせ/news.html"_s,
                  u"<html><body><a name=\"本文_1\"></a><a href=\"../index.html#top\">top</a>"
                  u"</body></html>"_s));
    QVERIFY(
        write(dir, u"index.html"_s,
              u"<!DOCTYPE html>\n<html><head><link rel=\"stylesheet\" href=\"css/style.css\">"
              u"</head>\n<body id=\"top\">\n"
              u"<a href=\"%E3%81%8A%E7%9F%A5%E3%82%89%E3%81%9B/news.html#本文_1\">ok</a>\n"
              u"<a href=\"missing.html\">missing page</a>\n"
              u"<img src=\"img/ok.png\" srcset=\"img/ok.png 1x, img/none.png 2x\">\n"
              u"<a href=\"お知らせ/news.html#nowhere\">wrong anchor</a>\n"
              u"<a href=\"#top\">here</a> <a href=\"https://example.com/\">out</a>\n"
              u"<a href=\"mailto:a@example.com\">mail</a> <a href=\"javascript:void(0)\">js</a>\n"
              u"<a href=\"../../etc/passwd\">escape</a>\n"
              u"</body></html>\n"_s));

    const LinkCheck::Result result = LinkCheck::checkFolder(dir.path());
    QCOMPARE(result.pagesChecked, 2);
    QStringList broken;
    for (const LinkCheck::Broken &b : result.broken)
        broken << u"%1:%2 %3"_s.arg(b.file).arg(b.link.line).arg(b.link.url);
    QCOMPARE(broken, (QStringList{u"css/style.css:2 ../img/gone.png"_s,
                                  u"index.html:5 missing.html"_s, u"index.html:6 img/none.png"_s,
                                  u"index.html:7 お知らせ/news.html#nowhere"_s,
                                  u"index.html:10 ../../etc/passwd"_s}));
    QCOMPARE(result.unchecked.size(), 2);

    // Pages handed over while the output runs give the same list as pages read from the
    // folder, however many the parsers took: an outdated version of a page never counts.
    LinkCheck handed;
    handed.addPage(dir.filePath(u"index.html"_s), "<a href=\"gone.html\">old</a>");
    for (const QString &name : {u"index.html"_s, u"お知らせ/news.html"_s}) {
        for (int i = 0; i < 40; ++i)
            handed.addPage(dir.filePath(u"./"_s + name),
                           *velmo::readTextFileBytes(dir.filePath(name)));
    }
    const LinkCheck::Result fromHanded =
        handed.finish(dir.path(), {dir.filePath(u"index.html"_s), dir.filePath(u"css/style.css"_s),
                                   dir.filePath(u"css/main.css"_s), dir.filePath(u"img/ok.png"_s),
                                   dir.filePath(u"お知らせ/news.html"_s)});
    QStringList handedBroken;
    for (const LinkCheck::Broken &b : fromHanded.broken)
        handedBroken << u"%1:%2 %3"_s.arg(b.file).arg(b.link.line).arg(b.link.url);
    QCOMPARE(handedBroken, broken);

    // The parser busy with a long page: an old version of a page is taken, and the current one,
    // handed over next, is left to be read.
    LinkCheck busy(2);
    busy.addPage(dir.filePath(u"long.html"_s), QByteArray("<p>x</p>\n").repeated(50000));
    busy.addPage(dir.filePath(u"index.html"_s), "<a href=\"gone.html\">old</a>");
    busy.addPage(dir.filePath(u"index.html"_s),
                 *velmo::readTextFileBytes(dir.filePath(u"index.html"_s)));
    QCOMPARE(busy.finish(dir.path(), {dir.filePath(u"index.html"_s)}).broken.size(), 4);
}

void TestLinkCheck::readsMarkupAsABrowserDoes()
{
    // Unclosed tags, an unquoted attribute, a stray end tag, an attribute without a value.
    const LinkCheck::PageLinks page = LinkCheck::extractPageLinks(
        "<p><a href=one.html>one<div></span><img src='two.png' alt><a id=x href=\"three.html\">");
    QStringList urls;
    for (const LinkCheck::Link &link : page.links)
        urls << link.url;
    QCOMPARE(urls, (QStringList{u"one.html"_s, u"two.png"_s, u"three.html"_s}));
    QVERIFY(page.anchors.contains(u"x"_s));
    // A link attribute without a value still has the line it was written on.
    const LinkCheck::PageLinks bare = LinkCheck::extractPageLinks("<p>\n\n<a href>x</a>");
    QCOMPARE(bare.links.size(), 1);
    QCOMPARE(bare.links.constFirst().line, 3);

    // Nesting as deep as a page may go is read; deeper, where the parser would take minutes,
    // the page is left unread, and void elements never count as nesting.
    QByteArray deep;
    for (int i = 0; i < LinkCheck::kMaxNesting - 1; ++i)
        deep += "<div><br><img src=x.png>";
    deep += "<a href=\"deep.html\">";
    QVERIFY(LinkCheck::extractPageLinks(deep).readable);
    QVERIFY(!LinkCheck::extractPageLinks("<div><div>" + deep).readable);
}

namespace {

// A page of random elements, text and references: a third nested as the scanner reads pages,
// a third as well but for blocks inside paragraphs, the rest anyhow.
QByteArray randomPage(QRandomGenerator &random)
{
    static const QList<QByteArray> kPlainOpen = {"<div id=d%>",
                                                 "<span>",
                                                 "<b>",
                                                 "<i>",
                                                 "<section>",
                                                 "<nav>",
                                                 "<h2 id=\"見出し%\">",
                                                 "<ul><li>",
                                                 "<dl><dd>",
                                                 "<a href=\"p%.html#x\">",
                                                 "<A HREF='U%.html' href=dup.html name=n%>",
                                                 "<p class=x>",
                                                 "<pre>\n",
                                                 "<ruby>"};
    static const QList<QByteArray> kOpen = {"<table><tr><td>",
                                            "<li>",
                                            "<tr>",
                                            "<td>",
                                            "<tbody>",
                                            "<button>",
                                            "<form action=f%.html>",
                                            "<rt>",
                                            "<dt>",
                                            "<font>",
                                            "<object data=o%.swf>",
                                            "<select>",
                                            "<svg>",
                                            "<template>",
                                            "<x-y>",
                                            "<textarea>",
                                            "<noscript>",
                                            "<listing>",
                                            "<nobr>",
                                            "<caption>"};
    static const QList<QByteArray> kPlainLeaves = {
        "text ",
        "テキスト",
        " ",
        "\n",
        "\r\n",
        "\r",
        "&amp;",
        "&copy;",
        "&#x41;",
        "&#65;",
        "&",
        " < ",
        "<!-- c -->",
        "<img src=i%.png alt=\"画像 &amp; 絵\">",
        "<img alt='' src=j%.png>",
        "<br>",
        "<script>var a = '<b>';</script>",
        "<style>.x{background:url('s%.png')}\r\n</style>",
        "<input type=image src=k%.png alt=x>",
        "<img srcset=\"a%.png 1x, b.png 2x\">",
        "<meta http-equiv=refresh content=\"0; url=r%.html\">",
        "<link rel=preconnect href=h.html>",
        "<link rel=icon href=\"i%.svg\"/>",
        "<img src=a\rb.png>",
        QByteArray("長い文章。").repeated(20),
        "<area href=m%.html alt=地図>",
        "<span style=\"background:url(st%.png)\">x</span>",
        "<table>\n<tr><td>セル <a href=t%.html>t</a></td></tr></table>",
        "<a href=tl%.html><table>\n<tr><td>x</td>\n<td>y</td></tr></table></a>",
        "<a style=\"background:url(as%.png)\" href=h%.html>text</a>"};
    static const QList<QByteArray> kLeaves = {"&foo;",
                                              "&lt",
                                              "<!-->",
                                              "<!-- a --!> b -->",
                                              "<hr>",
                                              "<script><!--</script>",
                                              "</br>",
                                              "</p>",
                                              "</span>",
                                              "<a href='x'y=1>",
                                              "<img alt alt src=v%.png>",
                                              "<?x?>",
                                              "<!x>",
                                              "</ >",
                                              "<a href=\"a&amp;b%.html\">"};
    const int kind = random.bounded(3);
    const bool plain = kind < 2;
    QByteArray page;
    if (random.bounded(4) != 0)
        page = "<!DOCTYPE html>\n<html lang=ja><head><meta charset=utf-8>"
               "<title>t &amp; x</title>\n<link rel=stylesheet href=\"a.css\"></head>\n"
               "<body id=top>";
    QList<QByteArray> open;
    const auto isOpen = [&open](const QByteArray &name) { return open.contains(name); };
    const int pieces = 10 + random.bounded(60);
    for (int i = 0; i < pieces; ++i) {
        QByteArray piece;
        const int what = random.bounded(10);
        if (what < 3) {
            piece = plain || random.bounded(2) == 0 ? kPlainOpen[random.bounded(kPlainOpen.size())]
                                                    : kOpen[random.bounded(kOpen.size())];
            for (qsizetype at = 0; (at = piece.indexOf('<', at)) >= 0; ++at) {
                qsizetype end = at + 1;
                while (end < piece.size() && std::isalnum(static_cast<unsigned char>(piece[end])))
                    ++end;
                open << piece.mid(at + 1, end - at - 1).toLower();
            }
            const QByteArray &name = open.constLast();
            if (plain && (open.count(name) > 1 ||
                          (kind == 0 && isOpen("p") && piece != "<span>" && piece != "<b>" &&
                           piece != "<i>" && !piece.startsWith("<a")))) {
                open.remove(open.size() - piece.count('<'), piece.count('<'));
                continue;
            }
        } else if (what < 5 && !open.isEmpty()) {
            // The element last opened; in the other half now and then one further out, or none.
            const bool odd = !plain && random.bounded(6) == 0;
            const qsizetype at = odd ? random.bounded(open.size()) : open.size() - 1;
            piece = "</" + open.takeAt(at) + ">";
            if (odd && random.bounded(2) == 0)
                piece.clear();
        } else {
            piece = plain || random.bounded(3) != 0
                        ? kPlainLeaves[random.bounded(kPlainLeaves.size())]
                        : kLeaves[random.bounded(kLeaves.size())];
        }
        page += piece.replace("%", QByteArray::number(i));
    }
    while (!open.isEmpty() && random.bounded(6) != 0)
        page += "</" + open.takeLast() + ">";
    if (random.bounded(2) == 0)
        page += "</body></html>\n<!-- end -->";
    return page;
}

} // namespace

// Pages the scanner reads give what the full parser gives, link by link: places, texts (up
// to the parser's limits), anchors. Pages it would read otherwise it leaves to the parser.
void TestLinkCheck::scannerReadsAsTheParserDoes()
{
    QRandomGenerator random(20261209);
    int scanned = 0;
    constexpr int kPages = 4000;
    const auto describe = [](const LinkCheck::PageLinks &page) {
        QStringList lines;
        for (const LinkCheck::Link &link : page.links)
            lines << u"%1 %2:%3 %4"_s.arg(link.url).arg(link.line).arg(link.column).arg(link.text);
        QStringList anchors(page.anchors.cbegin(), page.anchors.cend());
        anchors.sort();
        return lines.join(u'\n') + u"\nanchors: "_s + anchors.join(u' ');
    };
    for (int i = 0; i < kPages; ++i) {
        const QByteArray html = randomPage(random);
        const std::optional<LinkCheck::PageLinks> fast = LinkCheck::scanPageLinks(html);
        if (!fast)
            continue;
        ++scanned;
        const LinkCheck::PageLinks full =
            LinkCheck::extractPageLinks(html, LinkCheck::Reader::Parser);
        QVERIFY2(describe(*fast) == describe(full),
                 qPrintable(QString(QString::fromUtf8(html) + u"\n--- scanned:\n"_s +
                                    describe(*fast) + u"\n--- parsed:\n"_s + describe(full))
                                .replace(u'\r', u"\\r"_s)));
    }
    // Both kinds are well represented, or the comparison proves little.
    QVERIFY2(scanned > kPages / 5 && scanned < kPages * 4 / 5,
             qPrintable(QString::number(scanned)));

    // A page as the generator writes it is read by the scanner, not left to the parser.
    QVERIFY(LinkCheck::scanPageLinks(
        "<!DOCTYPE html>\n<html><head><meta charset=utf-8><title>a</title><style>p{}</style>"
        "</head><body><nav><ul><li><a href=\"a.html\">a</a></li></ul></nav><main><p>x<br>"
        "<img src=i.png alt=\"\"></p><table><tr><td>1</td></tr></table></main></body></html>"));
}

// Each row is a page holding one snippet on its second line, beside ok.png and other.html;
// the verdict is "ok", "external" (listed, not fetched), "none" (not a link to check) or the
// broken link's line, column and text.
void TestLinkCheck::verdicts_data()
{
    QTest::addColumn<QString>("snippet");
    QTest::addColumn<QString>("verdict");
    // clang-format off
    QTest::newRow("style attribute")      << u"<div style=\"background: url(gone.png)\">"_s << u"2:29 "_s;
    QTest::newRow("style attribute, ok")  << u"<div style=\"background:url('ok.png')\">"_s << u"ok"_s;
    QTest::newRow("style element")        << u"<style>p { background: url(gone.png) }</style>"_s << u"2:28 "_s;
    QTest::newRow("@import string")       << u"<style>@import \"gone.css\";</style>"_s << u"2:17 "_s;
    QTest::newRow("@import url()")        << u"<style>@import url(ok.png);</style>"_s << u"ok"_s;
    QTest::newRow("CSS comment")          << u"<style>/* url(gone.png) */ p {}</style>"_s << u"none"_s;
    QTest::newRow("video poster")         << u"<video poster=\"gone.png\"></video>"_s << u"2:8 "_s;
    QTest::newRow("object data")          << u"<object data=\"gone.svg\">図</object>"_s << u"2:9 "_s;
    QTest::newRow("form action")          << u"<form action=\"gone.html\"></form>"_s << u"2:7 "_s;
    QTest::newRow("form action, outside") << u"<form action=\"https://example.com/send\"></form>"_s << u"none"_s;
    QTest::newRow("icon")                 << u"<link rel=\"icon\" href=\"gone.ico\">"_s << u"2:18 "_s;
    QTest::newRow("refresh")              << u"<meta http-equiv=\"refresh\" content=\"0; url=gone.html\">"_s << u"2:44 "_s;
    QTest::newRow("empty fragment")       << u"<a href=\"#\">up</a>"_s << u"ok"_s;
    QTest::newRow("#top")                 << u"<a href=\"other.html#top\">up</a>"_s << u"ok"_s;
    QTest::newRow("id anywhere")          << u"<a href=\"other.html#i1\">x</a>"_s << u"ok"_s;
    QTest::newRow("name of <a>")          << u"<a href=\"other.html#a1\">x</a>"_s << u"ok"_s;
    QTest::newRow("name of <span>")       << u"<a href=\"other.html#s1\">へ\n行く</a>"_s << u"2:4 へ 行く"_s;
    QTest::newRow("picture's text")       << u"<a href=\"gone.html\"><img src=\"ok.png\" alt=\"地図\"></a>"_s << u"2:4 地図"_s;
    QTest::newRow("column in code units") << u"<p>日本語😀<img alt=\"x\" src=\"gone.png\">"_s << u"2:22 x"_s;
    QTest::newRow("external")             << u"<a href=\"https://example.com/\">out</a>"_s << u"external"_s;
    QTest::newRow("host hint")            << u"<link rel=\"preconnect\" href=\"https://example.com\">"_s << u"none"_s;
    QTest::newRow("data: URL in srcset")  << u"<img srcset=\"data:image/png;base64,AA,BB 1x, ok.png 2x\">"_s << u"ok"_s;
    QTest::newRow("srcset, no space")     << u"<img srcset=\"ok.png,gone.png 2x\">"_s << u"2:14 "_s;
    QTest::newRow("escaped fragment")     << u"<a href=\"other.html#c%20d\">x</a>"_s << u"ok"_s;
    QTest::newRow("decoded fragment")     << u"<a href=\"other.html#e%20f\">x</a>"_s << u"ok"_s;
    QTest::newRow("#top of this page")    << u"<a href=\"#TOP\">up</a>"_s << u"ok"_s;
    QTest::newRow("name of <input>")      << u"<a href=\"other.html#n1\">x</a>"_s << u"2:4 x"_s;
    // clang-format on
}

void TestLinkCheck::verdicts()
{
    QFETCH(QString, snippet);
    QFETCH(QString, verdict);
    QTemporaryDir dir;
    QVERIFY(write(dir, u"ok.png"_s, u"x"_s));
    QVERIFY(write(dir, u"other.html"_s,
                  u"<p id=\"i1\"><span name=\"s1\"></span><a name=\"a1\"></a></p>"
                  u"<p id=\"c%20d\"></p><p id=\"e f\"></p><input name=\"n1\">"_s));
    QVERIFY(write(dir, u"index.html"_s, u"<!DOCTYPE html>\n"_s + snippet + u'\n'));
    const LinkCheck::Result result = LinkCheck::checkFolder(dir.path());
    QString found = result.unchecked.isEmpty() ? u"none"_s : u"external"_s;
    if (result.broken.size() == 1) {
        const LinkCheck::Link &link = result.broken.first().link;
        found = u"%1:%2 %3"_s.arg(link.line).arg(link.column).arg(link.text);
    } else if (result.broken.isEmpty() && result.unchecked.isEmpty()) {
        found = LinkCheck::extractPageLinks(snippet.toUtf8()).links.isEmpty() ? u"none"_s : u"ok"_s;
    }
    QCOMPARE(found, verdict);
}

void TestLinkCheck::worstCasesStayBounded()
{
    // End tags of elements never opened close nothing: the parser would nest these divs as
    // deep as they go, and so does the guard's count.
    QVERIFY(!LinkCheck::extractPageLinks(QByteArray("<div></x>").repeated(100000)).readable);
    // Unclosed list items and cells, closed by their list and row, are ordinary pages.
    QVERIFY(
        LinkCheck::extractPageLinks(
            QByteArray("<ul><li>a<li>b</ul><table><tr><td>1<td>2</tr></table><p>x").repeated(5000))
            .readable);

    // A style value of many addresses: each is placed once, in order, without searching the
    // value again from its start.
    QByteArray style;
    constexpr int kAddresses = 40000;
    for (int i = 0; i < kAddresses; ++i)
        style += "url(a" + QByteArray::number(i) + ".png) ";
    const LinkCheck::PageLinks styled =
        LinkCheck::extractPageLinks("<div style=\"" + style + "\">");
    QCOMPARE(styled.links.size(), kAddresses);
    QCOMPARE(styled.links.constLast().column,
             18 + style.lastIndexOf("a" + QByteArray::number(kAddresses - 1)) - 5);

    // Links past the limit of one page are counted, and the check says they went unchecked.
    QTemporaryDir dir;
    QByteArray many = QByteArray("<a href=\"ok.html\">x</a>").repeated(LinkCheck::kMaxLinksPerPage);
    many += QByteArray("<a href=\"gone.html\">x</a>").repeated(10);
    QCOMPARE(LinkCheck::extractPageLinks(many).droppedLinks, 10);
    QVERIFY(write(dir, u"ok.html"_s, QString::fromUtf8(many)));
    // A page over the limit of any text file is not read; links into it are not judged.
    const QString huge = dir.filePath(u"huge.html"_s);
    QVERIFY(velmo::writeFileBytes(huge, QByteArray(velmo::kMaxTextFileBytes + 1, ' ')));
    QVERIFY(write(dir, u"index.html"_s, u"<a href=\"huge.html#somewhere\">x</a>"_s));
    const LinkCheck::Result result = LinkCheck::checkFolder(dir.path());
    QStringList reasons;
    for (const LinkCheck::Broken &broken : result.broken)
        reasons << broken.file + u": "_s + broken.reason;
    QCOMPARE(reasons.size(), 2);
    QVERIFY2(reasons.contains(
                 u"huge.html: 16 MB を超えるため、このファイルのリンクは確認していません"_s),
             qPrintable(reasons.join(u'\n')));
    QVERIFY2(reasons.contains(u"ok.html: リンクが多すぎるため、最初の 50000 件だけ確認しました"
                              u"（残り 10 件は確認していません）"_s),
             qPrintable(reasons.join(u'\n')));
}

QTEST_GUILESS_MAIN(TestLinkCheck)
#include "tst_linkcheck.moc"
