// The link check with its cache of parsed pages: a page is taken from the cache only while its
// bytes are the same, links are resolved on every run, and a damaged cache is no cache.
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "generator/linkcheck.h"
#include "generator/pagelinkcache.h"
#include "model/fileutil.h"

using namespace Qt::StringLiterals;
using velmo::gen::LinkCheck;
using velmo::gen::PageLinkCache;

class TestPageLinkCache : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void aChangedPageIsParsedAgain();
    void resolutionIsNeverCached();
    void pagesKnownByTheirKeyKeepTheLatest();
    void aDamagedCacheIsNone_data();
    void aDamagedCacheIsNone();
};

namespace {

const QString kIndex = u"<html><body>\n<a href=\"a.html#sec\">to a</a>\n"
                       u"<a href=\"missing.html\">nowhere</a>\n</body></html>\n"_s;
const QString kTarget = u"<html><body><h2 id=\"sec\">A</h2></body></html>\n"_s;

bool write(const QTemporaryDir &dir, const QString &name, const QString &text)
{
    return velmo::writeTextFile(text, dir.filePath(name));
}

// The broken links of the pages of dir, one line each, checked with cacheFile (none if empty).
QStringList brokenLinks(const QTemporaryDir &dir, const QString &cacheFile)
{
    LinkCheck check;
    check.setCacheFile(cacheFile);
    const LinkCheck::Result result =
        check.finish(dir.path(), {dir.filePath(u"index.html"_s), dir.filePath(u"a.html"_s)});
    QStringList lines;
    for (const LinkCheck::Broken &broken : result.broken)
        lines << u"%1:%2:%3 %4 %5 %6"_s.arg(broken.file)
                     .arg(broken.link.line)
                     .arg(broken.link.column)
                     .arg(broken.link.url, broken.link.text, broken.reason);
    return lines;
}

PageLinkCache::Key keyOfFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? PageLinkCache::keyOf(file.readAll())
                                          : PageLinkCache::Key();
}

} // namespace

void TestPageLinkCache::aChangedPageIsParsedAgain()
{
    QTemporaryDir dir;
    const QString cache = dir.filePath(u"cache/site.links"_s);
    QVERIFY(write(dir, u"a.html"_s, kTarget));
    QVERIFY(write(dir, u"index.html"_s, u"<a href=\"a.html#sec\">to a</a>"_s));
    QCOMPARE(brokenLinks(dir, cache), QStringList());
    const PageLinkCache::Key before = keyOfFile(dir.filePath(u"index.html"_s));
    QVERIFY(PageLinkCache(cache).find(before).has_value());

    QVERIFY(
        write(dir, u"index.html"_s, u"<a href=\"a.html#sec\">to a</a> <a href=\"b.html\">b</a>"_s));
    const QStringList broken = brokenLinks(dir, cache);
    QCOMPARE(broken.size(), 1);
    QVERIFY(broken.first().startsWith(u"index.html:1:34 b.html b "_s));
    // The page's old parse went with the page's old bytes.
    const PageLinkCache kept(cache);
    QCOMPARE(kept.size(), 2);
    QVERIFY(!kept.find(before).has_value());
}

void TestPageLinkCache::resolutionIsNeverCached()
{
    QTemporaryDir dir;
    const QString cache = dir.filePath(u"site.links"_s);
    QVERIFY(write(dir, u"a.html"_s, kTarget));
    QVERIFY(write(dir, u"index.html"_s, kIndex));
    QCOMPARE(brokenLinks(dir, cache).size(), 1);
    QVERIFY(PageLinkCache(cache).find(keyOfFile(dir.filePath(u"index.html"_s))).has_value());

    QVERIFY(QFile::remove(dir.filePath(u"a.html"_s)));
    const QStringList broken = brokenLinks(dir, cache);
    QCOMPARE(broken.size(), 2);
    QVERIFY(broken.first().startsWith(u"index.html:2:4 a.html#sec to a "_s));
}

void TestPageLinkCache::pagesKnownByTheirKeyKeepTheLatest()
{
    // More pages than go to the parsers at once, each linking to the next; one nowhere.
    QTemporaryDir dir;
    const QString cache = dir.filePath(u"site.links"_s);
    constexpr int kPages = 70;
    QStringList files;
    for (int i = 0; i < kPages; ++i) {
        const QString name = u"p%1.html"_s.arg(i);
        const QString next = i == 40 ? u"missing.html"_s : u"p%1.html"_s.arg((i + 1) % kPages);
        QVERIFY(write(dir, name, u"<a href=\"%1\">next</a>"_s.arg(next)));
        files << dir.filePath(name);
    }
    {
        LinkCheck first;
        first.setCacheFile(cache);
        QCOMPARE(first.finish(dir.path(), files).broken.size(), 1);
    }

    // Every page handed over as known; one of them is then written again, and its new page
    // handed over after: its new link counts, whichever parse ends first.
    LinkCheck check;
    check.setCacheFile(cache);
    for (const QString &file : std::as_const(files))
        check.addKnownPage(file, keyOfFile(file));
    const QString changed = u"<a href=\"gone.html\">next</a>"_s;
    QVERIFY(write(dir, u"p10.html"_s, changed));
    check.addPage(dir.filePath(u"p10.html"_s), changed.toUtf8());
    const LinkCheck::Result result = check.finish(dir.path(), files);
    QCOMPARE(result.pagesChecked, kPages);
    QStringList broken;
    for (const LinkCheck::Broken &link : result.broken)
        broken << link.file + u' ' + link.link.url;
    broken.sort();
    QCOMPARE(broken, (QStringList{u"p10.html gone.html"_s, u"p40.html missing.html"_s}));
}

void TestPageLinkCache::aDamagedCacheIsNone_data()
{
    QTest::addColumn<QString>("damage");
    // clang-format off
    QTest::newRow("cut inside an entry")    << u"cut"_s;
    QTest::newRow("a changed byte")         << u"flip"_s;
    QTest::newRow("an entry claiming 4 GB") << u"claim"_s;
    QTest::newRow("another version")        << u"version"_s;
    QTest::newRow("not a cache")            << u"text"_s;
    QTest::newRow("empty")                  << u"empty"_s;
    QTest::newRow("over the size limit")    << u"large"_s;
    // clang-format on
}

void TestPageLinkCache::aDamagedCacheIsNone()
{
    QFETCH(QString, damage);
    QTemporaryDir dir;
    const QString cache = dir.filePath(u"site.links"_s);
    QVERIFY(write(dir, u"a.html"_s, kTarget));
    QVERIFY(write(dir, u"index.html"_s, kIndex));
    const QStringList expected = brokenLinks(dir, QString());
    QCOMPARE(expected.size(), 1);
    QCOMPARE(brokenLinks(dir, cache), expected);

    QFile file(cache);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QByteArray bytes = file.readAll();
    // Where the page's broken address is written, as UTF-16.
    const qsizetype address = bytes.indexOf(QByteArray("m\0i\0s\0s\0i\0n\0g\0", 14));
    QVERIFY(address > 0);
    if (damage == u"cut")
        bytes.chop(3);
    else if (damage == u"flip")
        bytes[address] = 'n';
    else if (damage == u"claim")
        bytes.replace(16 + 16, 4, QByteArray(4, '\xff'));
    else if (damage == u"version")
        bytes[12] = char(bytes[12] + 1);
    else if (damage == u"text")
        bytes = "not a cache\n";
    else if (damage == u"empty")
        bytes.clear();
    QVERIFY(file.resize(0) && file.seek(0) && file.write(bytes) == bytes.size());
    if (damage == u"large")
        QVERIFY(file.resize(PageLinkCache::kMaxFileBytes + 1));
    file.close();

    QCOMPARE(brokenLinks(dir, cache), expected);
    // Written anew from this run.
    QCOMPARE(PageLinkCache(cache).size(), 2);
}

QTEST_GUILESS_MAIN(TestPageLinkCache)
#include "tst_pagelinkcache.moc"
