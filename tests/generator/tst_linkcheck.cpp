// The link check on a small generated site: exactly the links that lead nowhere are listed,
// external ones are only noted, and markup a browser would forgive is read all the same.
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
    QVERIFY(write(dir, u"css/style.css"_s,
                  u"body { background: url('../img/ok.png'); }\n"
                  u"h1 { background: url(\"../img/gone.png\") }\n"_s));
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
    const LinkCheck::Result fromHanded = handed.finish(
        dir.path(), {dir.filePath(u"index.html"_s), dir.filePath(u"css/style.css"_s),
                     dir.filePath(u"img/ok.png"_s), dir.filePath(u"お知らせ/news.html"_s)});
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

QTEST_GUILESS_MAIN(TestLinkCheck)
#include "tst_linkcheck.moc"
