// Taking a template's style sheet into a site's working folder: the copies, the start page's
// rewritten link, and the two refusals that leave the main style sheet alone.
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "generator/sitepaths.h"
#include "generator/sitestylesheet.h"
#include "model/document.h"
#include "model/site.h"
#include "recordingreporter.h"
#include "textfiles.h"

using namespace Qt::StringLiterals;
using velmo::gen::SiteStyleSheet;

namespace {

const QString kStartPage = u"<html><head><link rel=\"icon\" href=\"i.ico\">"
                           u"<link rel=\"stylesheet\" href=\"css/style.css\"></head>"
                           u"<body>見本</body></html>"_s;

struct Fixture
{
    QTemporaryDir dir;
    RecordingReporter reporter;
    velmo::Document global{dir.path()};
    velmo::Site *site = nullptr;
    QString tpl = dir.filePath(u"tpl"_s);

    Fixture()
    {
        global.setReporter(&reporter);
        site = global.createSite();
        site->templatePath = tpl;
        site->mainCss = u"old.css"_s;
        writeFile(tpl + u"/css/青.css"_s, u"body{color:blue}"_s);
        writeFile(tpl + u"/template_image/logo.svg"_s, u"<svg/>"_s);
        writeFile(tpl + u"/template_image/back"_s, u"no extension"_s);
    }
    QString working() const { return velmo::gen::SitePaths::workingFolder(global, *site); }
};

} // namespace

class TestSiteStyleSheet : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void copiesAndRewritesTheStartPage();
    void templateWithoutLinkCopiesButKeepsMainCss();
    void unusableNameChangesNothing();
};

void TestSiteStyleSheet::copiesAndRewritesTheStartPage()
{
    Fixture f;
    writeFile(f.tpl + u"/index.html"_s, kStartPage);
    // An old start page is replaced, not kept because it exists.
    writeFile(f.working() + u"/index.html"_s, u"old"_s);

    QCOMPARE(SiteStyleSheet::apply(f.global, *f.site, u"青.css"_s),
             SiteStyleSheet::Result::Applied);
    QVERIFY(f.reporter.messages.isEmpty());
    // The choice itself is the caller's to store, as an edit of the document.
    QCOMPARE(f.site->mainCss, u"old.css"_s);
    QCOMPARE(readFile(f.working() + u"/css/青.css"_s), u"body{color:blue}"_s);
    QCOMPARE(readFile(f.working() + u"/template_image/logo.svg"_s), u"<svg/>"_s);
    QCOMPARE(readFile(f.working() + u"/template_image/back"_s), u"no extension"_s);
    // The match starts at the icon's href (no backtracking); only "style.css" in it changes.
    QString expected = kStartPage;
    expected.replace(u"css/style.css"_s, u"css/青.css"_s);
    QCOMPARE(readFile(SiteStyleSheet::startPage(f.global, *f.site)), expected);
    QCOMPARE(SiteStyleSheet::previewPicture(f.global, *f.site), f.working() + u"/preview.jpg"_s);
}

void TestSiteStyleSheet::templateWithoutLinkCopiesButKeepsMainCss()
{
    // No start page at all, and one whose only link is no style sheet.
    for (const QString &page : {QString(), u"<html><a href=\"x.html\">x</a></html>"_s}) {
        Fixture f;
        if (!page.isEmpty())
            writeFile(f.tpl + u"/index.html"_s, page);
        QCOMPARE(SiteStyleSheet::apply(f.global, *f.site, u"青.css"_s),
                 SiteStyleSheet::Result::NoLink);
        QCOMPARE(f.reporter.messages,
                 QStringList{u"HTML ファイルに CSS Meta 置き換え部分が見つかりません。"_s});
        QCOMPARE(f.site->mainCss, u"old.css"_s);
        QVERIFY(QFile::exists(f.working() + u"/css/青.css"_s));
        QVERIFY(QFile::exists(f.working() + u"/template_image/logo.svg"_s));
        QVERIFY(!QFile::exists(f.working() + u"/index.html"_s));
    }
}

void TestSiteStyleSheet::unusableNameChangesNothing()
{
    for (const QString &name : {QString(), u"../青.css"_s, u".."_s}) {
        Fixture f;
        writeFile(f.tpl + u"/index.html"_s, kStartPage);
        QCOMPARE(SiteStyleSheet::apply(f.global, *f.site, name), SiteStyleSheet::Result::NoName);
        QCOMPARE(f.reporter.messages,
                 QStringList{u"テンプレート画像フォルダ名が取得できませんでした。\r\n"
                             u"サイト情報は更新されません。"_s});
        QCOMPARE(f.site->mainCss, u"old.css"_s);
        QVERIFY(!QFile::exists(f.working()));
    }
}

QTEST_GUILESS_MAIN(TestSiteStyleSheet)
#include "tst_sitestylesheet.moc"
