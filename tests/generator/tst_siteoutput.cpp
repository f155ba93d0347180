// Whole sites generated end to end from small template folders written by the tests: file
// layout, the home page, menus, content blocks, links, preview areas and unsafe names.
#include <filesystem>

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "generator/levelnameuse.h"
#include "generator/linkcheck.h"
#include "generator/pagefiles.h"
#include "generator/previewareas.h"
#include "generator/siteoutput.h"
#include "model/category.h"
#include "model/classification.h"
#include "model/clock.h"
#include "model/content.h"
#include "model/contentgroup.h"
#include "model/document.h"
#include "model/fileutil.h"
#include "model/folderlock.h"
#include "model/objectcopy.h"
#include "model/objectid.h"
#include "model/page.h"
#include "model/site.h"
#include "recordingreporter.h"
#include "textfiles.h"

using namespace velmo;
using velmo::gen::SiteOutput;
using namespace Qt::StringLiterals;

namespace {

const QString kPageTemplate = QStringLiteral(
    "<html><head>"
    "<!--__スタイルシート指定メタ開始__--><link rel=\"stylesheet\" href=\"old/x.css\">"
    "<!--__スタイルシート指定メタ終了__-->"
    "<title><!--__ページタイトル__-->(見本)</title>"
    "<meta name=\"keywords\" content=\"<!--__ページキーワード__-->(kw)\"></head><body>"
    "<h1><!--__サイト名__-->(サイト)</h1>"
    "<p id=\"path\"><!--__ページパス__-->(パス)</p>"
    "<nav><!--__メニュー開始__-->menu<!--__メニュー終了__--></nav>"
    "<main><!--__本文開始__-->body<!--__本文終了__--></main>"
    "<aside><!--__補足開始__-->extra<!--__補足終了__--></aside>"
    "<NOT_OUTPUT>作者へのメモ</NOT_OUTPUT><footer>\\t©<!--__製作年__-->(2000)</footer>"
    "</body></html>");

const QString kMenuTemplate = QStringLiteral(
    "name(メニュー)\n"
    "for(int i=0; i<レベル１.メニュー数; i++){\n"
    "put(<a href=\")replace(レベル１[i].相対パス)put(\">)replace(レベル１[i].タイトル)put(</a>)\n"
    "}\n");

const QString kTextTemplate = QStringLiteral("name(本文)\n"
                                             "put(<section><)replace(hx)put(>)\n"
                                             "replace(コンテンツ.内容)\n"
                                             "put(</section>);\n");

const QString kAsideTemplate = QStringLiteral("name(補足)\nreplace(コンテンツ.内容);\n");

// A bakery site: 商品 (home, two pages, sub-category パン with one page) and 店舗 (one page).
struct SiteFixture
{
    explicit SiteFixture(const QString &root) : global(root)
    {
        global.setReporter(&reporter);
        const QString templates = root + QStringLiteral("/template/test");
        writeFile(templates + QStringLiteral("/ページテンプレート/page.html"), kPageTemplate);
        writeFile(templates + QStringLiteral("/メニューテンプレート/menu.template"), kMenuTemplate);
        writeFile(templates + QStringLiteral("/コンテンツテンプレート/text.template"),
                  kTextTemplate);
        writeFile(templates + QStringLiteral("/コンテンツテンプレート/aside.template"),
                  kAsideTemplate);
        writeFile(templates + QStringLiteral("/css/main.css"), QStringLiteral("body{color:#333}"));
        writeFile(templates + QStringLiteral("/template_image/logo.png"), QStringLiteral("png"));

        site = global.createSite();
        site->name = QStringLiteral("bakery");
        site->homeTitle = QStringLiteral("こむぎ堂");
        site->keywords = QStringLiteral("パン");
        site->templatePath = templates;
        site->mainCss = QStringLiteral("main.css");
        site->imageFolder = QStringLiteral("image");
        Classification *menu = site->classifications.at(0);
        goods = addCategory(menu, QStringLiteral("商品"), QStringLiteral("goods"));
        home = addPage(goods, QStringLiteral("トップ"), QStringLiteral("top"));
        second = addPage(goods, QStringLiteral("お知らせ"), QStringLiteral("news"));
        bread = addCategory(goods, QStringLiteral("パン"), QStringLiteral("bread"));
        breadPage = addPage(bread, QStringLiteral("食パン"), QStringLiteral("shokupan"));
        breadPage->keywords = QStringLiteral("食パン");
        shop = addCategory(menu, QStringLiteral("店舗"), QStringLiteral("shop"));
        shopPage = addPage(shop, QStringLiteral("アクセス"), QStringLiteral("access"));
        global.setCurrentSite(site);
    }

    Category *addCategory(velmo::Object *parent, const QString &name, const QString &folder)
    {
        auto *category = new Category;
        category->name = name;
        category->folderName = folder;
        if (auto *c = object_cast<Classification>(parent))
            c->categories.add(category, c);
        else
            static_cast<Category *>(parent)->categories.add(category, parent);
        return category;
    }

    Page *addPage(Category *category, const QString &name, const QString &file)
    {
        auto *page = new Page;
        page->name = name;
        page->title = name + QStringLiteral("のページ");
        page->fileName = file;
        page->templateName = QStringLiteral("page.html");
        category->pages.add(page, category);
        ContentGroup *group = addGroup(page, QStringLiteral("text.template"),
                                       QStringLiteral("<p>") + name + QStringLiteral("</p>"));
        group->name = QStringLiteral("本文 1");
        return page;
    }

    ContentGroup *addGroup(Page *page, const QString &templateName, const QString &text)
    {
        auto *group = new ContentGroup;
        group->templateName = templateName;
        group->contents.at(0)->value = text;
        page->contentGroups.add(group, page);
        return group;
    }

    QString working() const { return global.temporaryFolder() + u'/' + site->id.toText(); }

    RecordingReporter reporter;
    Document global;
    Site *site = nullptr;
    Category *goods = nullptr, *bread = nullptr, *shop = nullptr;
    Page *home = nullptr, *second = nullptr, *breadPage = nullptr, *shopPage = nullptr;
};

// Every file below folder, by its path there.
QHash<QString, QByteArray> filesBelow(const QString &folder)
{
    QHash<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            files.insert(path.mid(folder.size()), file.readAll());
    }
    return files;
}

// Reads every binding and property a menu can: both levels' titles, links, selection, image
// paths and counts, and the third level that only a deep chain binds.
const QString kTwoLevelMenu = QStringLiteral(
    "name(メニュー)\n"
    "put(<h2>)replace(レベル１.タイトル)put(</h2>)replace(レベル３.メニュー数)\n"
    "for(int i=0; i<レベル１.メニュー数; i++){\n"
    "put(<a href=\")replace(レベル１[i].相対パス)put(\">)_replace(レベル１[i].タイトル)"
    "put(</a>)\n"
    "if(レベル１[i].選択){\n"
    "put(<ul title=\")replace(レベル２.画像パス)put(\">)replace(レベル２.タイトル)\n"
    "for(int j=0; j<レベル２.メニュー数; j++){\n"
    "if(レベル２[j].選択){\n"
    "put(*)\n"
    "}\n"
    "put(<a href=\")replace(レベル２[j].相対パス)put(\">)replace(レベル２[j].タイトル)"
    "put(</a>)\n"
    "}\n"
    "put(</ul>)\n"
    "}\n"
    "}\n");

} // namespace

class TestSiteOutput : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void wholeSite()
    {
        QTemporaryDir root;
        SiteFixture f(root.path());
        SiteOutput output(f.global);
        QString published;
        QCOMPARE(output.outputSite(&published), SiteOutput::Result::Done);
        QVERIFY2(f.reporter.messages.isEmpty(), qPrintable(f.reporter.messages.join(u'\n')));
        QCOMPARE(f.global.previewAreaFlag, 1);
        QCOMPARE(published, root.path() + QStringLiteral("/web/bakery"));

        // The home category's pages sit in the working folder itself; the home page is index.
        const QString w = f.working();
        QVERIFY(QFileInfo::exists(w + QStringLiteral("/index.html")));
        QVERIFY(QFileInfo::exists(w + QStringLiteral("/news.html")));
        QVERIFY(QFileInfo::exists(w + QStringLiteral("/bread/shokupan.html")));
        QVERIFY(QFileInfo::exists(w + QStringLiteral("/shop/access.html")));
        QVERIFY(!QFileInfo::exists(w + QStringLiteral("/top.html")));
        QCOMPARE(readFile(w + QStringLiteral("/css/style.css")),
                 QStringLiteral("body{color:#333}"));
        QVERIFY(QFileInfo::exists(w + QStringLiteral("/css/main.css")));
        QVERIFY(QFileInfo::exists(w + QStringLiteral("/template_image/logo.png")));
        QCOMPARE(output.statistics().pagesWritten, 4);
        // The home page's own name came back afterwards.
        QCOMPARE(f.home->fileName, QStringLiteral("top"));
        QCOMPARE(f.home->outputFlags, 0);

        const QString index = readFile(w + QStringLiteral("/index.html"));
        QVERIFY2(index.contains(QStringLiteral("href=\"./css/style.css\"")), qPrintable(index));
        QVERIFY(index.contains(QStringLiteral("<title>トップのページ</title>")));
        QVERIFY(index.contains(QStringLiteral("<h1>こむぎ堂</h1>")));
        QVERIFY(index.contains(QStringLiteral("<p id=\"path\">商品 - トップ</p>")));
        QVERIFY(index.contains(QStringLiteral("content=\"パン\"")));
        QVERIFY(
            index.contains(QStringLiteral("<main><section><h3><p>トップ</p></section></main>")));
        QVERIFY(!index.contains(QStringLiteral("NOT_OUTPUT")));
        QVERIFY(index.contains(QStringLiteral("<footer>\t©")));
        // Menu links: the home category leads to index.html, the others to their first page.
        QVERIFY2(index.contains(QStringLiteral("<a href=\"./index.html\">商品</a>"
                                               "<a href=\"./shop/access.html\">店舗</a>")),
                 qPrintable(index));

        const QString bread = readFile(w + QStringLiteral("/bread/shokupan.html"));
        QVERIFY(bread.contains(QStringLiteral("href=\"../css/style.css\"")));
        QVERIFY(bread.contains(QStringLiteral("商品 - パン - 食パン")));
        QVERIFY(bread.contains(QStringLiteral("content=\"パン,食パン\"")));
        QVERIFY2(bread.contains(QStringLiteral("<a href=\"../index.html\">商品</a>"
                                               "<a href=\"../shop/access.html\">店舗</a>")),
                 qPrintable(bread));

        // Published copy.
        QCOMPARE(readFile(published + QStringLiteral("/bread/shokupan.html")), bread);
    }

    void linksSharedBlocksAndSubGroups()
    {
        QTemporaryDir root;
        SiteFixture f(root.path());
        ContentGroup *target = f.breadPage->contentGroups.first();
        target->name = QStringLiteral("焼き 時間");
        f.addGroup(
            f.shopPage, QStringLiteral("aside.template"),
            QStringLiteral("[_id_link(%1,%2)]").arg(f.breadPage->id.time).arg(f.breadPage->id.seq));
        f.addGroup(f.shopPage, QStringLiteral("aside.template"),
                   QStringLiteral("[_id_link(%1,%2)]").arg(target->id.time).arg(target->id.seq));
        ContentGroup *sub = f.addGroup(f.second, QStringLiteral("text.template"), QString());
        f.second->removeContentGroup(sub);
        f.second->contentGroups.first()->subGroups.add(sub, f.second->contentGroups.first());
        sub->contents.at(0)->value = QStringLiteral("<p>入れ子</p>");

        SiteOutput output(f.global);
        QCOMPARE(output.outputSite(), SiteOutput::Result::Done);
        QVERIFY2(f.reporter.messages.isEmpty(), qPrintable(f.reporter.messages.join(u'\n')));
        const QString access = readFile(f.working() + QStringLiteral("/shop/access.html"));
        // Two groups with one block name: one block, in page order.
        QVERIFY2(access.contains(QStringLiteral("<aside>[../bread/shokupan.html]"
                                                "[../bread/shokupan.html#焼き_時間]</aside>")),
                 qPrintable(access));
        // A sub-group is one heading level deeper and joins its parent's block.
        const QString news = readFile(f.working() + QStringLiteral("/news.html"));
        QVERIFY2(news.contains(QStringLiteral("<section><h3><p>お知らせ</p></section>"
                                              "<section><h4><p>入れ子</p></section>")),
                 qPrintable(news));
        // A block that no group of the page fills stays as the template wrote it.
        QVERIFY2(news.contains(QStringLiteral("<aside><!--__補足開始__-->extra<!--__補足終了__-->"
                                              "</aside>")),
                 qPrintable(news));
    }

    void linkMenuFirstMakesItsTargetTheHomePage()
    {
        QTemporaryDir root;
        SiteFixture f(root.path());
        Classification *menu = f.site->classifications.at(0);
        auto *link = new Category;
        link->name = QStringLiteral("ようこそ");
        link->setLinkMenu(true);
        link->linkTarget = f.shopPage->id;
        menu->categories.insertAt(0, link);
        link->setParent(menu);
        SiteOutput output(f.global);
        QCOMPARE(output.outputSite(), SiteOutput::Result::Done);
        QVERIFY(QFileInfo::exists(f.working() + QStringLiteral("/index.html")));
        QVERIFY(!QFileInfo::exists(f.working() + QStringLiteral("/shop/access.html")));
        QVERIFY(QFileInfo::exists(f.working() + QStringLiteral("/goods/top.html")));
        QCOMPARE(readFile(f.working() + QStringLiteral("/index.html")).count(u"アクセスのページ"),
                 1);
    }

    void regeneratingAnUnchangedSiteTouchesNothing()
    {
        QTemporaryDir root;
        SiteFixture f(root.path());
        SiteOutput first(f.global);
        QCOMPARE(first.outputSite(), SiteOutput::Result::Done);
        const QString page = f.working() + QStringLiteral("/bread/shokupan.html");
        const QDateTime before = QFileInfo(page).lastModified();
        QTest::qWait(1100);
        f.global.previewAreaFlag = 0;
        const QStringList firstMessages = f.reporter.messages;
        SiteOutput again(f.global);
        QCOMPARE(again.regenerateAll(), SiteOutput::Result::Done);
        QCOMPARE(again.statistics().pagesWritten, 0);
        QCOMPARE(again.statistics().pagesUnchanged, 4);
        QCOMPARE(QFileInfo(page).lastModified(), before);
    }

    void switchedOffAreasVanishInPreviews()
    {
        QTemporaryDir root;
        SiteFixture f(root.path());
        QVERIFY(gen::PreviewAreas::collectMarkers(f.global) > 0);
        for (PreviewArea &area : f.global.previewAreas) {
            if (area.pattern.contains(u"サイト名") || area.pattern.contains(u"メニュー開始"))
                area.on = 0;
        }
        f.global.previewAreaFlag = 1;
        SiteOutput output(f.global);
        const SiteOutput::PreviewOutput preview =
            output.outputObject(f.breadPage->contentGroups.first());
        QCOMPARE(preview.result, SiteOutput::PreviewResult::Written);
        const QString &path = preview.path;
        QCOMPARE(path, f.working() + QStringLiteral("/bread/shokupan.html"));
        const QString text = readFile(path);
        QVERIFY2(text.contains(QStringLiteral("<h1></h1>")), qPrintable(text));
        QVERIFY(text.contains(QStringLiteral("<nav></nav>")));
        QVERIFY(text.contains(QStringLiteral("<main><section>")));

        // A whole-site output ignores the switches.
        QCOMPARE(output.outputSite(), SiteOutput::Result::Done);
        QVERIFY(readFile(path).contains(QStringLiteral("<h1>こむぎ堂</h1>")));
    }

    void namesFromTheDocumentStayInsideTheSite()
    {
        QTemporaryDir root;
        SiteFixture f(root.path());
        f.shopPage->fileName = QStringLiteral("../../../escaped");
        f.bread->folderName = QStringLiteral("/tmp");
        f.site->name = QStringLiteral("../outside");
        SiteOutput output(f.global);
        QString published;
        QCOMPARE(output.outputSite(&published), SiteOutput::Result::Done);
        QVERIFY(published.isEmpty());
        QCOMPARE(f.reporter.messages.size(), 3);
        QVERIFY(f.reporter.messages[0].contains(QStringLiteral("出力できません")));
        QVERIFY(!QFileInfo::exists(root.path() + QStringLiteral("/escaped.html")));
        QVERIFY(!QFileInfo::exists(QStringLiteral("/tmp/shokupan.html")));
        QVERIFY(!QFileInfo::exists(root.path() + QStringLiteral("/outside")));
        // The other pages are still written.
        QVERIFY(QFileInfo::exists(f.working() + QStringLiteral("/index.html")));
    }

    void imagesAndStaleFiles()
    {
        QTemporaryDir root;
        SiteFixture f(root.path());
        const QString source = root.path() + QStringLiteral("/user_image/shop/Front.JPG");
        QVERIFY(createFolderPath(source));
        QImage picture(40, 30, QImage::Format_RGB32);
        picture.fill(Qt::darkCyan);
        QVERIFY(picture.save(source, "JPEG"));
        f.addGroup(f.shopPage, QStringLiteral("aside.template"),
                   QStringLiteral("<img src=\"_image(shop/front.jpg,0,0)\">"
                                  "<img src=\"_image(shop/front.jpg,20,15)\">"
                                  "<img src=\"_image(../secret.txt,0,0)\">"));
        const QString stale = f.working() + QStringLiteral("/old/removed.html");
        writeFile(stale, QStringLiteral("古いページ"));
        SiteOutput output(f.global);
        QCOMPARE(output.outputSite(), SiteOutput::Result::Done);
        // Found without regard to case, placed under the site's image folder by its own name.
        const QString access = readFile(f.working() + QStringLiteral("/shop/access.html"));
        QVERIFY2(access.contains(QStringLiteral("<img src=\"../image/shop/Front.JPG\">"
                                                "<img src=\"../image/shop/Front_w20_h15.JPG\">")),
                 qPrintable(access));
        const QString copy = f.working() + QStringLiteral("/image/shop/Front.JPG");
        const QString scaled = f.working() + QStringLiteral("/image/shop/Front_w20_h15.JPG");
        QCOMPARE(QImage(copy).size(), QSize(40, 30));
        QCOMPARE(QImage(scaled).size(), QSize(20, 15));
        QCOMPARE(output.statistics().picturesScaled, 1);

        // Regenerating with unchanged pictures decodes and copies nothing and leaves the
        // pictures' times alone.
        const QDateTime copyTime = QFileInfo(copy).lastModified();
        const QDateTime scaledTime = QFileInfo(scaled).lastModified();
        const QStringList firstMessages = f.reporter.messages;
        SiteOutput again(f.global);
        QCOMPARE(again.regenerateAll(), SiteOutput::Result::Done);
        QCOMPARE(again.statistics().picturesScaled + again.statistics().picturesFromCache, 0);
        QCOMPARE(again.statistics().filesCopied, 0);
        QCOMPARE(QFileInfo(copy).lastModified(), copyTime);
        QCOMPARE(QFileInfo(scaled).lastModified(), scaledTime);
        QCOMPARE(f.reporter.messages, firstMessages + firstMessages);
        f.reporter.messages = firstMessages;
        // A path out of the user image folder is refused and leads nowhere.
        QVERIFY(access.contains(QStringLiteral("<img src=\"#velmo-missing-link\">")));
        QCOMPARE(f.reporter.messages.size(), 1);
        QVERIFY(f.reporter.messages.first().endsWith(
            QStringLiteral("_image() 指定の画像が見つかりません。\r\n_image(../secret.txt,0,0)")));
        // Nothing of an earlier output survives in the working folder.
        QVERIFY(!QFileInfo::exists(stale));
        QVERIFY(!QFileInfo::exists(f.working() + QStringLiteral("/old")));

        // An image folder name that climbs out of the working folder is refused.
        f.reporter.messages.clear();
        f.site->imageFolder = QStringLiteral("../../escape");
        QCOMPARE(output.outputSite(), SiteOutput::Result::Done);
        QVERIFY(!QFileInfo::exists(root.path() + QStringLiteral("/escape")));
        QVERIFY(f.reporter.messages.value(0).contains(
            QStringLiteral("_image() 画像フォルダ名が不正です。")));
    }

    void expansionGoesOnAfterFailures()
    {
        QTemporaryDir root;
        SiteFixture f(root.path());
        QImage picture(8, 6, QImage::Format_RGB32);
        picture.fill(Qt::red);
        QVERIFY(createFolderPath(root.path() + u"/user_image/a.png"_s));
        QVERIFY(picture.save(root.path() + u"/user_image/a.png"_s));
        // お知らせ is deleted: the menu tree's Delete puts it into the storage box.
        f.goods->pages.removeAt(f.goods->pages.indexOfObject(f.second));
        f.site->objectBox.putInBox(f.second);
        ContentGroup *group = f.shopPage->contentGroups.first();
        group->contents.at(0)->value =
            u"<img src=\"_image(gone.png,20,10)\">\n<a href=\"_id_link(%1,%2)\">old</a>\n"
            u"<img src=\"_image(a.png,0,0)\"><a href=\"_id_link(%3,%4)\">bread</a>"_s
                .arg(f.second->id.time)
                .arg(f.second->id.seq)
                .arg(f.breadPage->id.time)
                .arg(f.breadPage->id.seq);

        SiteOutput output(f.global);
        gen::LinkCheck check;
        output.setLinkCheck(&check);
        QCOMPARE(output.outputSite(), SiteOutput::Result::Done);
        const QString access = readFile(f.working() + u"/shop/access.html"_s);
        // Where the missing picture would be, a link that leads nowhere, then the good ones.
        QVERIFY2(access.contains(u"<img src=\"../image/gone_w20_h10.png\">\n"
                                 u"<a href=\"#velmo-missing-link\">old</a>\n"
                                 u"<img src=\"../image/a.png\">"
                                 u"<a href=\"../bread/shokupan.html\">bread</a>"_s),
                 qPrintable(access));
        QVERIFY(QFileInfo::exists(f.working() + u"/image/a.png"_s));

        // Both failures in one message, each naming page, group and call; each a broken link
        // of its page with its line, not a second entry.
        QCOMPARE(f.reporter.messages.size(), 1);
        const QString message = f.reporter.messages.first();
        QVERIFY2(message.contains(u"「アクセス」の「本文 1」: _image() 指定の画像が見つかりません。"
                                  u"\r\n_image(gone.png,20,10)"_s),
                 qPrintable(message));
        QVERIFY2(message.contains(u"リンク先のページ「お知らせ」が見つかりません\r\n_id_link("_s),
                 qPrintable(message));
        QStringList broken;
        for (const gen::LinkCheck::Broken &b : output.linkCheck().broken)
            broken << u"%1:%2 %3"_s.arg(b.file).arg(b.link.line).arg(b.reason.section(u' ', 0, 0));
        QCOMPARE(
            broken,
            (QStringList{u"shop/access.html:1 _image()"_s,
                         u"shop/access.html:2 リンク先のページ「お知らせ」が見つかりません"_s}));
    }

    void sitemapAndFeed()
    {
        QTemporaryDir root;
        SiteFixture f(root.path());
        f.site->siteUrl = u"https://example.com/こむぎ"_s;
        writeFile(f.site->templatePath + u"/ページテンプレート/page.html"_s,
                  u"<head><!--__フィード指定メタ開始__--><link rel=\"alternate\" "
                  u"href=\"<!--__ルートパス__-->(./)feed.xml\"><!--__フィード指定メタ終了__-->"
                  u"</head><main><!--__本文開始__--><!--__本文終了__--></main>"_s);
        f.site->forEachBelow(Children::Hierarchy, [](velmo::Object *object) {
            object->updatedTime = 0;
            return true;
        });
        f.home->updatedTime = 100;
        f.second->updatedTime = 300;
        f.breadPage->updatedTime = 200;
        f.shopPage->updatedTime = 400;
        // Editing a content updates its page.
        f.breadPage->contentGroups.first()->contents.at(0)->updatedTime = 500;
        f.breadPage->summary = u"<b>焼きたて</b> & 毎朝"_s;
        SiteOutput output(f.global);
        gen::LinkCheck check;
        output.setLinkCheck(&check);
        QCOMPARE(output.outputSite(), SiteOutput::Result::Done);
        QVERIFY2(f.reporter.messages.isEmpty(), qPrintable(f.reporter.messages.join(u'\n')));
        QVERIFY(output.linkCheck().broken.isEmpty());
        QVERIFY(
            readFile(f.working() + u"/bread/shokupan.html"_s).contains(u"href=\"../feed.xml\""_s));

        const QString base = u"https://example.com/%E3%81%93%E3%82%80%E3%81%8E/"_s;
        // Every page once, the home page first as the root, each with its time.
        QXmlStreamReader sitemap(readFile(root.path() + u"/web/bakery/sitemap.xml"_s));
        QStringList urls;
        while (!sitemap.atEnd()) {
            sitemap.readNext();
            if (sitemap.isStartElement() && sitemap.name() == u"loc")
                urls << sitemap.readElementText();
            else if (sitemap.isStartElement() && sitemap.name() == u"lastmod")
                urls.last() += u' ' + sitemap.readElementText();
        }
        QVERIFY2(!sitemap.hasError(), qPrintable(sitemap.errorString()));
        QCOMPARE(urls, (QStringList{base + u" 1970-01-01T00:01:40Z"_s,
                                    base + u"news.html 1970-01-01T00:05:00Z"_s,
                                    base + u"bread/shokupan.html 1970-01-01T00:08:20Z"_s,
                                    base + u"shop/access.html 1970-01-01T00:06:40Z"_s}));

        // Newest first, each with title, link, id, time and summary.
        QXmlStreamReader feed(readFile(root.path() + u"/web/bakery/feed.xml"_s));
        QStringList entries;
        QSet<QString> ids;
        while (!feed.atEnd()) {
            feed.readNext();
            if (!feed.isStartElement())
                continue;
            if (feed.name() == u"entry")
                entries << QString();
            else if (entries.isEmpty())
                continue;
            else if (feed.name() == u"link")
                entries.last() += feed.attributes().value(u"href"_s).toString().mid(base.size());
            else if (feed.name() == u"id")
                ids.insert(feed.readElementText());
            else if (feed.name() == u"title" || feed.name() == u"summary")
                entries.last() += u'|' + feed.readElementText();
        }
        QVERIFY2(!feed.hasError(), qPrintable(feed.errorString()));
        QCOMPARE(entries,
                 (QStringList{u"|食パンのページbread/shokupan.html|<b>焼きたて</b> & 毎朝"_s,
                              u"|アクセスのページshop/access.html"_s,
                              u"|お知らせのページnews.html"_s, u"|トップのページ"_s}));
        QCOMPARE(ids.size(), 4);

        // A template's own file is published instead.
        writeFile(f.site->templatePath + u"/site_root/feed.xml"_s, u"<feed/>"_s);
        QCOMPARE(output.outputSite(), SiteOutput::Result::Done);
        QCOMPARE(readFile(root.path() + u"/web/bakery/feed.xml"_s), u"<feed/>"_s);

        // Without an address neither is written, nor the feed's link, and nothing is said.
        f.site->siteUrl = u"example.com"_s;
        QFile::remove(f.site->templatePath + u"/site_root/feed.xml"_s);
        QCOMPARE(output.outputSite(), SiteOutput::Result::Done);
        QVERIFY(!QFileInfo::exists(root.path() + u"/web/bakery/sitemap.xml"_s));
        QVERIFY(!QFileInfo::exists(root.path() + u"/web/bakery/feed.xml"_s));
        QCOMPARE(readFile(f.working() + u"/index.html"_s),
                 u"<head></head><main><section><h3><p>トップ</p></section></main>"_s);
        QVERIFY(f.reporter.messages.isEmpty());
    }

    void pluginMergeKeepsThePagesOwnGroups()
    {
        // The page's own group carries the identity the plug-in group's copy will get: undoing
        // the merge must still remove only the copy.
        QTemporaryDir root;
        SiteFixture f(root.path());
        auto *plugin = new Page;
        plugin->name = QStringLiteral("告知");
        plugin->templateName = f.home->templateName;
        f.site->classifications.at(1)->pages.add(plugin, f.site->classifications.at(1));
        ContentGroup *pluginGroup =
            f.addGroup(plugin, QStringLiteral("text.template"), QStringLiteral("<p>告知</p>"));
        // The identity the merge's copy will receive, found by copying the same way first.
        setClockOverride(1'000'000);
        sequenceCounter() = 7000;
        const ObjectId copyId = duplicateSubtree(*pluginGroup)->id;
        sequenceCounter() = 7000;
        ContentGroup *own = f.home->contentGroups.first();
        own->id = copyId;
        const int groups = f.home->contentGroups.count();

        SiteOutput output(f.global);
        QCOMPARE(output.outputSite(), SiteOutput::Result::Done);
        setClockOverride(std::nullopt);
        const QString page = readFile(f.working() + QStringLiteral("/index.html"));
        QVERIFY2(page.contains(QStringLiteral("<p>トップ</p>")) &&
                     page.contains(QStringLiteral("<p>告知</p>")),
                 qPrintable(page));
        QCOMPARE(f.home->contentGroups.count(), groups);
        QCOMPARE(f.home->contentGroups.first(), own);
    }

    void unusableStyleSheetIsNamed_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("reason");
        // clang-format off
        QTest::newRow("outside the template's css folder")
            << u"../../../secret.txt"_s << u"css フォルダの外を指しています"_s;
        QTest::newRow("a folder")     << u"folder.css"_s << u"通常のファイルではありません"_s;
        QTest::newRow("a FIFO")       << u"pipe.css"_s   << u"通常のファイルではありません"_s;
        QTest::newRow("missing")      << u"gone.css"_s   << u"css フォルダにありません"_s;
        // clang-format on
    }

    void unusableStyleSheetIsNamed()
    {
        QFETCH(QString, name);
        QFETCH(QString, reason);
        QTemporaryDir root;
        SiteFixture f(root.path());
        const QString css = f.site->templatePath + u"/css/"_s;
        QVERIFY(writeTextFile(u"secret"_s, root.path() + u"/secret.txt"_s));
        QVERIFY(QDir().mkpath(css + u"folder.css"_s));
        QCOMPARE(::mkfifo(QFile::encodeName(css + u"pipe.css"_s).constData(), 0600), 0);
        f.site->mainCss = name;
        SiteOutput output(f.global);
        QString published;
        QCOMPARE(output.outputSite(&published), SiteOutput::Result::Done);
        // Nothing of the file is published; the pages link an empty style sheet, and the user
        // hears why once for the whole run.
        QCOMPARE(readFile(published + u"/css/style.css"_s), QString());
        QCOMPARE(f.reporter.messages.size(), 1);
        QVERIFY2(f.reporter.messages.first().startsWith(
                     u"スタイルシート「%1」を使えません。"_s.arg(name)) &&
                     f.reporter.messages.first().contains(reason),
                 qPrintable(f.reporter.messages.first()));
    }

    void deletedPagesLeaveThePublishedFolder()
    {
        QTemporaryDir root;
        SiteFixture f(root.path());
        SiteOutput output(f.global);
        QString published;
        QCOMPARE(output.outputSite(&published), SiteOutput::Result::Done);
        const QString page = published + QStringLiteral("/bread/shokupan.html");
        QVERIFY(QFileInfo::exists(page));
        // The user's own files, and one the list names although it lies outside.
        QVERIFY(writeTextFile(QStringLiteral("Deny from all"),
                              published + QStringLiteral("/.htaccess")));
        const QString outside = root.path() + QStringLiteral("/web/keep.txt");
        QVERIFY(writeTextFile(QStringLiteral("mine"), outside));
        const QString list = published + u'/' + SiteOutput::publishedListName();
        QVERIFY(writeTextFile(readFile(list) + QStringLiteral("../keep.txt\n"), list));

        f.bread->pages.removeAt(0);
        delete f.breadPage;
        QCOMPARE(output.outputSite(&published), SiteOutput::Result::Done);
        QVERIFY(!QFileInfo::exists(page));
        QVERIFY(!QFileInfo::exists(published + QStringLiteral("/bread")));
        QVERIFY(QFileInfo::exists(published + QStringLiteral("/index.html")));
        QVERIFY(QFileInfo::exists(published + QStringLiteral("/.htaccess")));
        QVERIFY(QFileInfo::exists(outside));
        QVERIFY(!readFile(list).contains(QStringLiteral("shokupan")));
    }

    void publishingKeepsToItsOwnFiles_data()
    {
        // What is put into the published folder, and when: a folder of it or a page turned
        // into a link to outside/ (after the first publication, and the page renamed
        // meanwhile), a link at the name a copy once went through, or a file of the user's
        // before Velmo ever wrote one there. outside/ and the user's file must keep "mine".
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("kept");
        QTest::addColumn<QString>("named");
        QTest::addColumn<QString>("reason");
        const QString link = u"シンボリックリンクを通しては書き込みません"_s;
        // clang-format off
        QTest::newRow("folder is a link") << u"folder"_s << u"outside/shokupan.html"_s
                                          << u"bread/bread.html"_s << link;
        QTest::newRow("page is a link")   << u"page"_s << u"outside/news.html"_s
                                          << u"news.html"_s << link;
        QTest::newRow("temporary name")   << u"part"_s << u"outside/news.html"_s
                                          << QString() << QString();
        QTest::newRow("user's own file")  << u"user"_s << u"web/bakery/news.html"_s
                                          << u"news.html"_s << u"Velmo が書いたものではない"_s;
        // clang-format on
    }

    void publishingKeepsToItsOwnFiles()
    {
        QFETCH(QString, kind);
        QFETCH(QString, kept);
        QFETCH(QString, named);
        QFETCH(QString, reason);
        QTemporaryDir root;
        SiteFixture f(root.path());
        SiteOutput output(f.global);
        const QString web = root.path() + u"/web/bakery"_s;
        const QString outside = root.path() + u"/outside"_s;
        writeFile(outside + u"/shokupan.html"_s, u"mine"_s);
        writeFile(outside + u"/news.html"_s, u"mine"_s);
        if (kind == u"user")
            writeFile(web + u"/news.html"_s, u"mine"_s);
        else
            QCOMPARE(output.outputSite(), SiteOutput::Result::Done);
        if (kind == u"folder") {
            QVERIFY(QDir(web + u"/bread"_s).removeRecursively());
            QVERIFY(QFile::link(outside, web + u"/bread"_s));
            // Publishing writes the new name and prunes the old one: neither through the link.
            f.breadPage->fileName = u"bread"_s;
        } else if (kind == u"page") {
            QVERIFY(QFile::remove(web + u"/news.html"_s));
            QVERIFY(QFile::link(outside + u"/news.html"_s, web + u"/news.html"_s));
        } else if (kind == u"part") {
            QVERIFY(QFile::link(outside + u"/news.html"_s, web + u"/news.html.part"_s));
        }
        f.site->homeTitle = u"こむぎ堂 本店"_s;
        f.reporter.messages.clear();
        QCOMPARE(output.outputSite(),
                 named.isEmpty() ? SiteOutput::Result::Done : SiteOutput::Result::Incomplete);

        QCOMPARE(readFile(root.path() + u'/' + kept), u"mine"_s);
        QVERIFY(!QFileInfo::exists(outside + u"/bread.html"_s));
        const QString message = f.reporter.messages.join(u'\n');
        if (!named.isEmpty())
            QVERIFY2(message.contains(web + u'/' + named) && message.contains(reason),
                     qPrintable(message));
        QVERIFY(readFile(web + u"/index.html"_s).contains(u"本店"_s));
        // What Velmo did not write there never becomes its own: renamed, the page leaves the
        // user's file where it is.
        QVERIFY(named.isEmpty() ||
                !readFile(web + u'/' + SiteOutput::publishedListName()).contains(named + u'\n'));
        if (kind == u"user") {
            f.second->fileName = u"notice"_s;
            QCOMPARE(output.outputSite(), SiteOutput::Result::Done);
            QCOMPARE(readFile(web + u"/news.html"_s), u"mine"_s);
        }
    }

    void templateFilesStayInTheTemplate_data()
    {
        // A file of the template (below its folder) that is a link to secret.txt outside it,
        // or to a file of the template itself; or a template image whose name is not UTF-8.
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("words");
        const QString out = u"外を指すリンク"_s;
        // clang-format off
        QTest::newRow("template image")   << u"template_image/leak.png"_s << u"secret"_s << out;
        QTest::newRow("site root file")   << u"site_root/robots.txt"_s << u"secret"_s << out;
        QTest::newRow("style sheet")      << u"css/main.css"_s << u"secret"_s << out;
        QTest::newRow("page template")    << u"ページテンプレート/page.html"_s << u"secret"_s << out;
        QTest::newRow("menu template")    << u"メニューテンプレート/menu.template"_s << u"secret"_s
                                          << out;
        QTest::newRow("content template") << u"コンテンツテンプレート/text.template"_s
                                          << u"secret"_s << out;
        QTest::newRow("link inside")      << u"template_image/same.png"_s << u"inside"_s
                                          << QString();
        QTest::newRow("name not UTF-8")   << u"template_image/\xff.png"_s << u"none"_s
                                          << u"UTF-8 ではありません"_s;
        // clang-format on
    }

    void templateFilesStayInTheTemplate()
    {
        QFETCH(QString, file);
        QFETCH(QString, target);
        QFETCH(QString, words);
        QTemporaryDir root;
        SiteFixture f(root.path());
        const QString secret = root.path() + u"/secret.txt"_s;
        writeFile(secret, u"name(本文)\nput(SECRET);\n"_s);
        const QString path = f.site->templatePath + u'/' + file;
        QVERIFY(createFolderPath(path));
        if (target == u"none") {
            QByteArray name = QFile::encodeName(path);
            name.replace("\xc3\xbf", "\xff");
            QVERIFY(::close(::open(name.constData(), O_CREAT | O_WRONLY, 0644)) == 0);
        } else {
            QFile::remove(path);
            QVERIFY(QFile::link(
                target == u"secret" ? secret : f.site->templatePath + u"/css/main.css"_s, path));
        }
        SiteOutput output(f.global);
        QString published;
        output.outputSite(&published);

        const QHash<QString, QByteArray> files = filesBelow(published);
        for (auto it = files.cbegin(); it != files.cend(); ++it)
            QVERIFY2(!it.value().contains("SECRET"), qPrintable(it.key()));
        const QString message = f.reporter.messages.join(u'\n');
        if (words.isEmpty()) {
            QVERIFY2(message.isEmpty(), qPrintable(message));
            QCOMPARE(files.value(u"/template_image/same.png"_s), QByteArray("body{color:#333}"));
        } else {
            QVERIFY2(message.contains(words), qPrintable(message));
        }
    }

    void interruptedAndConcurrentOutputs()
    {
        QTemporaryDir root;
        SiteFixture f(root.path());
        SiteOutput output(f.global);
        QCOMPARE(output.outputSite(), SiteOutput::Result::Done);
        const QString web = root.path() + u"/web/bakery"_s;
        // What a publication killed half way leaves: its mark, its temporary copies and one an
        // earlier version made beside a page; and a file of the user's that only looks alike.
        writeFile(web + u'/' + SiteOutput::publishingMarkName(), u"12345"_s);
        const QString leftovers[] = {web + u"/bread/.velmo-999999999-7.part"_s,
                                     web + u"/news.html.part"_s};
        for (const QString &path : leftovers)
            writeFile(path, u"half"_s);
        writeFile(web + u"/notes.part"_s, u"mine"_s);

        // Another program outputting the same site holds its working folder.
        {
            const FolderLock other(f.working());
            QVERIFY(!other.isHeldElsewhere());
            f.reporter.messages.clear();
            QCOMPARE(output.outputSite(), SiteOutput::Result::Busy);
            QCOMPARE(output.regenerateAll(), SiteOutput::Result::Busy);
            QVERIFY(f.reporter.messages.constFirst().contains(u"別の出力が実行中です"_s));
        }
        QCOMPARE(output.outputSite(), SiteOutput::Result::Done);
        for (const QString &path : leftovers)
            QVERIFY2(!QFileInfo::exists(path), qPrintable(path));
        QVERIFY(!QFileInfo::exists(web + u'/' + SiteOutput::publishingMarkName()));
        QCOMPARE(readFile(web + u"/notes.part"_s), u"mine"_s);

        // Asked to stop (SIGINT or SIGTERM to velmo-cli): the run ends before its next page,
        // says so, and publishes nothing half made.
        f.site->homeTitle = u"こむぎ堂 本店"_s;
        SiteOutput::requestStop();
        QCOMPARE(output.outputSite(), SiteOutput::Result::Stopped);
        SiteOutput::clearStopRequest();
        QVERIFY(!readFile(web + u"/index.html"_s).contains(u"本店"_s));
        QVERIFY(f.reporter.messages.constLast().contains(u"中断"_s));
        QVERIFY(!QFileInfo::exists(web + u'/' + SiteOutput::publishingMarkName()));
    }

    void checkSeesOnlyThisOutput()
    {
        // A page links to news.html, which a rename takes away after a first output: the
        // check must not find the copy that output left in the working folder.
        QTemporaryDir root;
        SiteFixture f(root.path());
        f.addGroup(f.shopPage, u"text.template"_s, u"<a href=\"../news.html\">お知らせ</a>"_s);
        SiteOutput output(f.global);
        QCOMPARE(output.outputSite(), SiteOutput::Result::Done);
        f.second->fileName = u"notice"_s;
        gen::LinkCheck check;
        output.setLinkCheck(&check);
        QCOMPARE(output.checkSite(), SiteOutput::Result::Done);
        QStringList broken;
        for (const gen::LinkCheck::Broken &link : output.linkCheck().broken)
            broken << link.file + u' ' + link.link.url;
        QCOMPARE(broken, QStringList{u"shop/access.html ../news.html"_s});
        // Nothing published: the published folder still has the page under its old name.
        QVERIFY(QFileInfo::exists(root.path() + u"/web/bakery/news.html"_s));
    }

    void writeFailuresAreReportedAndNotPublished_data()
    {
        // Where the fault is put, below the working folder (w/) or the published one (p/); what
        // stands there (/dev/full, a plain file where a folder must be, or an over-long page
        // name, a folder where a file goes); the file the message must name; the published file
        // that keeps its earlier version.
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("named");
        QTest::addColumn<QString>("kept");
        QTest::addColumn<QString>("reason");
        const QString full = QStringLiteral("ディスクがいっぱいです");
        const QString tooLong = QStringLiteral("名前が長すぎます");
        const QString longPage = QString(300, u'x');
        // clang-format off
        QTest::newRow("page") << u"w/news.html"_s << u"full"_s << u"w/news.html"_s
                              << u"news.html"_s << full;
        QTest::newRow("style sheet") << u"w/css/style.css"_s << u"full"_s << u"w/css/style.css"_s
                                     << u"css/style.css"_s << full;
        QTest::newRow("template image") << u"w/template_image/logo.png"_s << u"folder"_s
                                        << u"w/template_image/logo.png"_s
                                        << u"template_image/logo.png"_s << u"同じ名前のフォルダがあります"_s;
        QTest::newRow("published copy") << u"p/shop/access.html"_s << u"folder"_s
                                        << u"p/shop/access.html"_s << QString()
                                        << u"同じ名前のフォルダがあります"_s;
        QTest::newRow("file where a folder goes") << u"w/bread"_s << u"file"_s
                                                  << u"w/bread/shokupan.html"_s
                                                  << u"bread/shokupan.html"_s
                                                  << u"同じ名前のファイルがあります"_s;
        QTest::newRow("name too long") << QString() << u"long"_s
                                       << u"w/bread/"_s + longPage + u".html"_s << QString()
                                       << tooLong;
        // clang-format on
    }

    void writeFailuresAreReportedAndNotPublished()
    {
        QFETCH(QString, fault);
        QFETCH(QString, how);
        QFETCH(QString, named);
        QFETCH(QString, kept);
        QFETCH(QString, reason);
        QTemporaryDir root;
        SiteFixture f(root.path());
        SiteOutput output(f.global);
        QString published;
        QCOMPARE(output.outputSite(&published), SiteOutput::Result::Done);
        const QString before = kept.isEmpty() ? QString() : readFile(published + u'/' + kept);
        const auto place = [&](const QString &path) {
            return (path.startsWith(u'w') ? f.working() : published) + path.mid(1);
        };

        // Everything changes, so that every file is written again.
        f.site->homeTitle = QStringLiteral("こむぎ堂 本店");
        writeFile(f.site->templatePath + QStringLiteral("/css/main.css"), u"body{}"_s);
        writeFile(f.site->templatePath + QStringLiteral("/template_image/logo.png"), u"png2"_s);
        if (how == u"full") {
            QFile::remove(place(fault));
            QVERIFY(QFile::link(QStringLiteral("/dev/full"), place(fault)));
        } else if (how == u"file") {
            QVERIFY(QDir(place(fault)).removeRecursively());
            writeFile(place(fault), u"x"_s);
        } else if (how == u"folder") {
            QFile::remove(place(fault));
            writeFile(place(fault) + u"/inside"_s, u"x"_s);
        } else {
            f.breadPage->fileName = QString(300, u'x');
        }
        f.reporter.messages.clear();
        QCOMPARE(output.outputSite(&published), SiteOutput::Result::Incomplete);

        const QString message = f.reporter.messages.join(u'\n');
        QVERIFY2(
            message.contains(place(named)) && message.contains(reason) &&
                message.endsWith(QStringLiteral("書き込めなかったファイルは公開されていません。")),
            qPrintable(message));
        if (!kept.isEmpty())
            QCOMPARE(readFile(published + u'/' + kept), before);
        // Nothing cut short reached the published folder, and the rest of the site did.
        QDirIterator it(published, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext())
            QVERIFY2(it.nextFileInfo().size() > 0, qPrintable(it.fileInfo().filePath()));
        QVERIFY(readFile(published + QStringLiteral("/index.html")).contains(u"本店"_s));
    }

    void cachedMenusGiveTheSameBytes()
    {
        QTemporaryDir root;
        SiteFixture f(root.path());
        writeFile(f.site->templatePath + QStringLiteral("/メニューテンプレート/menu.template"),
                  kTwoLevelMenu);
        // A generated two-level section as the benchmark has, with a folder shared by two
        // categories and a third level.
        Classification *menu = f.site->classifications.at(0);
        for (int t = 0; t < 3; ++t) {
            Category *top =
                f.addCategory(menu, QStringLiteral("部門 %1").arg(t), QStringLiteral("d%1").arg(t));
            f.addPage(top, QStringLiteral("部門%1の案内").arg(t), QStringLiteral("about%1").arg(t));
            for (int s = 0; s < 3; ++s) {
                Category *sub = f.addCategory(top, QStringLiteral("棚%1").arg(s),
                                              s == 2 ? QString() : QStringLiteral("s%1").arg(s));
                for (int p = 0; p < 2; ++p)
                    f.addPage(sub, QStringLiteral("品%1-%2-%3").arg(t).arg(s).arg(p),
                              QStringLiteral("p%1%2%3").arg(t).arg(s).arg(p));
            }
        }
        f.addPage(f.bread, QStringLiteral("バゲット"), QStringLiteral("baguette"));
        Category *deep = f.addCategory(f.bread, QStringLiteral("角食"), QStringLiteral("kaku"));
        f.addPage(deep, QStringLiteral("角食パン"), QStringLiteral("kakushoku"));

        // Link menus: to a page, to a content group (an anchor on its own page only), a
        // written link, a missing target, and the identity a plug-in group's copy takes on the
        // first page it is merged into.
        const auto addLink = [&](velmo::Object *parent, const QString &name, ObjectId target) {
            Category *link = f.addCategory(parent, name, QString());
            link->setLinkMenu(true);
            link->linkTarget = target;
            return link;
        };
        ContentGroup *anchor = f.breadPage->contentGroups.first();
        anchor->name = QStringLiteral("焼き 時間");
        addLink(menu, QStringLiteral("店へ"), f.shopPage->id);
        addLink(f.goods, QStringLiteral("焼き時間へ"), anchor->id);
        addLink(menu, QStringLiteral("外へ"), ObjectId())->linkTitle =
            QStringLiteral("https://example.com/");
        addLink(menu, QStringLiteral("迷子"), ObjectId(9, 9));
        auto *plugin = new Page;
        plugin->name = QStringLiteral("告知");
        plugin->templateName = f.home->templateName;
        f.site->classifications.at(1)->pages.add(plugin, f.site->classifications.at(1));
        ContentGroup *pluginGroup =
            f.addGroup(plugin, QStringLiteral("text.template"), QStringLiteral("<p>告知</p>"));
        pluginGroup->name = QStringLiteral("告知 欄");
        setClockOverride(1'000'000);
        sequenceCounter() = 7000;
        addLink(menu, QStringLiteral("告知へ"), duplicateSubtree(*pluginGroup)->id);

        QHash<QString, QByteArray> outputs[2];
        QStringList messages[2];
        for (const bool cached : {false, true}) {
            QVERIFY(QDir(f.working()).removeRecursively());
            f.reporter.messages.clear();
            sequenceCounter() = 7000;
            SiteOutput output(f.global);
            output.setMenuCaching(cached);
            QCOMPARE(output.outputSite(), SiteOutput::Result::Done);
            outputs[cached] = filesBelow(f.working());
            messages[cached] = f.reporter.messages;
        }
        setClockOverride(std::nullopt);
        QCOMPARE(messages[true], messages[false]);
        QCOMPARE(outputs[true].size(), outputs[false].size());
        for (auto it = outputs[false].cbegin(); it != outputs[false].cend(); ++it)
            QVERIFY2(outputs[true].value(it.key()) == it.value(), qPrintable(it.key()));
        // The output exercised what the key has to tell apart.
        const QString index =
            QString::fromUtf8(outputs[false].value(QStringLiteral("/index.html")));
        const QString news = QString::fromUtf8(outputs[false].value(QStringLiteral("/news.html")));
        QVERIFY2(index.contains(QStringLiteral("href=\"#告知_欄\">告知へ")), qPrintable(index));
        QVERIFY2(news.contains(QStringLiteral("href=\"#\">告知へ")), qPrintable(news));
        const QString bread =
            QString::fromUtf8(outputs[false].value(QStringLiteral("/bread/shokupan.html")));
        const QString baguette =
            QString::fromUtf8(outputs[false].value(QStringLiteral("/bread/baguette.html")));
        QVERIFY2(bread.contains(QStringLiteral("href=\"#焼き_時間\"")), qPrintable(bread));
        QVERIFY2(baguette.contains(QStringLiteral("href=\"./shokupan.html#焼き_時間\"")),
                 qPrintable(baguette));
    }

    void publishingReadsOnlyWhatMayDiffer()
    {
        QTemporaryDir root;
        SiteFixture f(root.path());
        SiteOutput output(f.global);
        QString published;
        QCOMPARE(output.outputSite(&published), SiteOutput::Result::Done);
        // Published copies spoilt without changing their size: one keeps its source's time,
        // as the copy made then had, the other gets the time of the spoiling.
        const auto spoil = [](const QString &path) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.seek(1));
            QVERIFY(file.write("X") == 1);
        };
        const auto pathOf = [](const QString &path) {
            return std::filesystem::path(path.toStdString());
        };
        const QString trusted = QStringLiteral("/bread/shokupan.html");
        const QString checked = QStringLiteral("/shop/access.html");
        spoil(published + trusted);
        std::filesystem::last_write_time(
            pathOf(published + trusted),
            std::filesystem::last_write_time(pathOf(f.working() + trusted)));
        spoil(published + checked);
        // A page rewritten with a text of the same size.
        f.home->title = QStringLiteral("ボトムのページ");

        QCOMPARE(output.outputSite(&published), SiteOutput::Result::Done);
        QVERIFY(readFile(published + trusted) != readFile(f.working() + trusted));
        QCOMPARE(readFile(published + checked), readFile(f.working() + checked));
        const QString index = readFile(published + QStringLiteral("/index.html"));
        QVERIFY2(index.contains(QStringLiteral("ボトムのページ")), qPrintable(index));
    }

    void previewNamesAnUnreadableTemplate_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("words");
        // clang-format off
        QTest::newRow("missing")       << u"missing"_s << u"が見つかりません"_s;
        QTest::newRow("folder")        << u"folder"_s  << u"を読み込めません"_s;
        QTest::newRow("dangling link") << u"link"_s    << u"を読み込めません"_s;
        QTest::newRow("FIFO")          << u"fifo"_s    << u"を読み込めません"_s;
        QTest::newRow("link out")      << u"device"_s  << u"はテンプレートフォルダの外を指すリンク"_s;
        // clang-format on
    }

    void previewNamesAnUnreadableTemplate()
    {
        QFETCH(QString, kind);
        QFETCH(QString, words);
        QTemporaryDir root;
        SiteFixture f(root.path());
        const QString path =
            f.site->templatePath + Document::pageTemplateFolderName() + u"/bad.html"_s;
        if (kind == u"folder")
            QVERIFY(QDir().mkpath(path));
        else if (kind == u"link")
            QVERIFY(QFile::link(path + u".gone"_s, path));
        else if (kind == u"fifo")
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        else if (kind == u"device")
            QVERIFY(QFile::link(u"/dev/zero"_s, path));
        f.breadPage->templateName = u"bad.html"_s;

        // Said once and the page still shown; refreshing it (the live preview) says nothing
        // more, coming back to it from another page says it again.
        SiteOutput output(f.global);
        for (Page *page : {f.breadPage, f.breadPage, f.shopPage, f.breadPage})
            QCOMPARE(output.outputObject(page->contentGroups.first()).result,
                     SiteOutput::PreviewResult::Written);
        QCOMPARE(f.reporter.messages.size(), 2);
        QCOMPARE(f.reporter.messages.at(1), f.reporter.messages.at(0));
        const QString message = f.reporter.messages.first();
        QVERIFY2(message.contains(u"「パン / 食パン」"_s) &&
                     message.contains(u"テンプレート「bad.html」"_s + words),
                 qPrintable(message));
    }

    void pagesWithOneFileKeepTheFirst_data()
    {
        QTest::addColumn<int>("clash");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("kept");
        QTest::newRow("two pages of one category") << 0 << u"/news.html"_s << u"商品 / お知らせ"_s;
        QTest::newRow("two categories with one folder")
            << 1 << u"/shop/access.html"_s << u"店舗 / アクセス"_s;
        QTest::newRow("a page named like the home page")
            << 2 << u"/index.html"_s << u"商品 / トップ"_s;
    }

    void pagesWithOneFileKeepTheFirst()
    {
        QFETCH(int, clash);
        QFETCH(QString, file);
        QFETCH(QString, kept);
        QTemporaryDir root;
        SiteFixture f(root.path());
        Category *owner = f.goods;
        if (clash == 1)
            owner = f.addCategory(f.site->classifications.at(0), u"支店"_s, u"shop"_s);
        const QString names[] = {u"news"_s, u"access"_s, u"index"_s};
        Page *late = f.addPage(owner, u"重複"_s, names[clash]);

        SiteOutput output(f.global);
        QCOMPARE(output.outputSite(), SiteOutput::Result::Done);
        // The first in menu order keeps the file; the other is left out, and both are named.
        const QString written = readFile(f.working() + file);
        QVERIFY2(written.contains(kept.section(u" / "_s, 1) + u"のページ"_s), qPrintable(written));
        QVERIFY(!written.contains(u"重複のページ"_s));
        QCOMPARE(f.reporter.messages.size(), 1);
        const QString message = f.reporter.messages.first();
        QVERIFY2(message.contains(
                     u"「%1」は「%2」と同じファイル"_s.arg(gen::PageFiles::pageLabel(*late), kept)),
                 qPrintable(message));
        QCOMPARE(gen::PageFiles(*f.site).keptInsteadOf(late)->name, kept.section(u" / "_s, 1));
    }

    void renamedLevelIsNamedWithTheTemplatesReadingIt()
    {
        QTemporaryDir root;
        SiteFixture f(root.path());
        const QString menu = u"メニューテンプレート/menu.template"_s;
        QCOMPARE(gen::LevelNameUse::templatesReading(*f.site, u"レベル１"_s), QStringList{menu});
        f.site->levelNames[0] = u"第一階層"_s;
        SiteOutput output(f.global);
        QCOMPARE(output.outputSite(), SiteOutput::Result::Done);
        QCOMPARE(f.reporter.messages.size(), 1);
        QVERIFY2(f.reporter.messages.first().contains(menu + u": 「レベル１」"_s),
                 qPrintable(f.reporter.messages.first()));
        // The names a template reads as lists; put() texts and loop variables are not names.
        QCOMPARE(gen::LevelNameUse::namesReadBy(kTwoLevelMenu),
                 QStringList({u"レベル１"_s, u"レベル３"_s, u"レベル２"_s}));
    }

    void summaryCountsWhatWasPublished()
    {
        QTemporaryDir root;
        SiteFixture f(root.path());
        SiteOutput first(f.global);
        QCOMPARE(first.outputSite(), SiteOutput::Result::Done);
        QCOMPARE(first.statistics().pagesPublished, 4);
        QCOMPARE(first.statistics().picturesPublished, 1);

        // A preview writes the changed page into the working folder before the output does: the
        // output finds it done, and still publishes it.
        f.shopPage->title = u"アクセスと地図"_s;
        SiteOutput preview(f.global);
        QCOMPARE(preview.outputObject(f.shopPage->contentGroups.first()).result,
                 SiteOutput::PreviewResult::Written);
        SiteOutput again(f.global);
        QCOMPARE(again.outputSite(), SiteOutput::Result::Done);
        QCOMPARE(again.statistics().pagesWritten, 0);
        QCOMPARE(again.statistics().pagesPublished, 1);
        QCOMPARE(again.statistics().pagesAlreadyPublished, 3);
        QCOMPARE(again.statistics().picturesPublished, 0);
        QVERIFY(readFile(root.path() + u"/web/bakery/shop/access.html"_s)
                    .contains(u"アクセスと地図"_s));
    }

    void pagesWithoutTemplateAreReportedNotPublished()
    {
        QTemporaryDir root;
        SiteFixture f(root.path());
        f.second->templateName.clear();
        f.breadPage->templateName = QStringLiteral("gone.html");
        SiteOutput output(f.global);
        QCOMPARE(output.outputSite(), SiteOutput::Result::Done);
        // One message names both pages; neither is published as an empty file, the rest are.
        QCOMPARE(f.reporter.messages.size(), 1);
        const QString message = f.reporter.messages.first();
        QVERIFY2(message.startsWith(QStringLiteral("次のページはテンプレートがないため")) &&
                     message.contains(QStringLiteral("テンプレートが設定されていません")) &&
                     message.contains(QStringLiteral("テンプレート「gone.html」が見つかりません")),
                 qPrintable(message));
        QVERIFY(!QFileInfo::exists(f.working() + QStringLiteral("/news.html")));
        QVERIFY(!QFileInfo::exists(f.working() + QStringLiteral("/bread/shokupan.html")));
        QVERIFY(QFileInfo(f.working() + QStringLiteral("/index.html")).size() > 0);
        QCOMPARE(output.statistics().messages.size(), 1);

        // Without a current site nothing starts.
        f.global.newDocument();
        QCOMPARE(output.outputSite(), SiteOutput::Result::NoSite);
        QVERIFY(f.reporter.messages.contains(
            QStringLiteral("SiteOutput() 指定のサイト情報が取得できませんでした。")));
    }

    // A run takes from disk the pages whose inputs are all as the last run found them, with the
    // pictures they place, and makes every page again once anything they are made from changes:
    // the site's data, a template, the page's file on disk, or a record that cannot be read.
    void unchangedPagesAreNotAssembledAgain()
    {
        QTemporaryDir root;
        SiteFixture f(root.path());
        const QString source = root.path() + u"/user_image/front.png"_s;
        QVERIFY(createFolderPath(source));
        QImage picture(40, 30, QImage::Format_RGB32);
        picture.fill(Qt::darkCyan);
        QVERIFY(picture.save(source, "PNG"));
        f.addGroup(f.shopPage, u"aside.template"_s,
                   u"<img src=\"_image(front.png,20,15)\"><a href=\"gone.html\">x</a>"_s);
        const QString record = root.path() + u"/cache/site.pages"_s;
        QStringList broken;
        const auto run = [&f, &root, &record, &broken](int *kept = nullptr) {
            SiteOutput output(f.global);
            output.setAssemblyRecordFile(record);
            gen::LinkCheck check;
            check.setCacheFile(root.path() + u"/cache/site.links"_s);
            output.setLinkCheck(&check);
            QString published;
            if (output.outputSite(&published) != SiteOutput::Result::Done)
                return QHash<QString, QByteArray>();
            if (kept != nullptr)
                *kept = output.statistics().pagesKept;
            broken.clear();
            for (const gen::LinkCheck::Broken &link : output.linkCheck().broken)
                broken << link.file + u' ' + link.link.url;
            return filesBelow(published);
        };
        int kept = -1;
        const QHash<QString, QByteArray> first = run(&kept);
        QCOMPARE(kept, 0);
        QVERIFY(first.contains(u"/image/front_w20_h15.png"_s));
        QVERIFY(QFile::exists(record));
        // The scaled picture is placed again by the page taken from disk, not swept away.
        QVERIFY(QFile::remove(f.working() + u"/image/front_w20_h15.png"_s));
        QCOMPARE(broken, QStringList{u"shop/access.html gone.html"_s});
        QCOMPARE(run(&kept), first);
        QCOMPARE(kept, 4);
        // Links of pages taken from disk are resolved all the same.
        QCOMPARE(broken, QStringList{u"shop/access.html gone.html"_s});

        f.second->contentGroups.first()->contents.first()->value = u"<p>新しいお知らせ</p>"_s;
        QHash<QString, QByteArray> changed = run(&kept);
        QCOMPARE(kept, 0);
        QVERIFY(changed.value(u"/news.html"_s).contains("新しいお知らせ"));
        QCOMPARE(run(&kept), changed);
        QCOMPARE(kept, 4);

        writeFile(f.site->templatePath + u"/ページテンプレート/page.html"_s,
                  kPageTemplate + u"<!-- v2 -->"_s);
        changed = run(&kept);
        QCOMPARE(kept, 0);
        QVERIFY(changed.value(u"/news.html"_s).contains("<!-- v2 -->"));

        // A page file changed on disk is made again; the others are taken.
        writeFile(f.working() + u"/news.html"_s, u"壊れたページ"_s);
        QCOMPARE(run(&kept), changed);
        QCOMPARE(kept, 3);

        QFile damaged(record);
        QVERIFY(damaged.open(QIODevice::ReadWrite));
        damaged.seek(damaged.size() / 2);
        damaged.write("\xff\xff\xff\xff");
        damaged.close();
        QCOMPARE(run(&kept), changed);
        QCOMPARE(kept, 0);

        // A run that had something to say keeps no record: the next one says it again.
        f.addGroup(f.home, u"aside.template"_s, u"<img src=\"_image(gone.png,0,0)\">"_s);
        f.reporter.messages.clear();
        run();
        const qsizetype said = f.reporter.messages.size();
        QVERIFY(said > 0);
        run(&kept);
        QCOMPARE(kept, 0);
        QCOMPARE(f.reporter.messages.size(), 2 * said);
    }
};

QTEST_GUILESS_MAIN(TestSiteOutput)
#include "tst_siteoutput.moc"
