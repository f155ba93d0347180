// Page assembly on small page templates: value markers and their samples, keywords, the page
// path, the style sheet block, hidden sections, escape sequences, content blocks and the
// preview switches, and a whole-site output that ignores those switches.
#include <QDate>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include "generator/pageassembly.h"
#include "generator/pagecontext.h"
#include "generator/siteoutput.h"
#include "generator/templatecache.h"
#include "generator/templateprogram.h"
#include "model/category.h"
#include "model/classification.h"
#include "model/content.h"
#include "model/contentgroup.h"
#include "model/document.h"
#include "model/fileutil.h"
#include "model/page.h"
#include "model/site.h"
#include "recordingreporter.h"
#include "textfiles.h"

using namespace velmo;
using namespace Qt::StringLiterals;

namespace {

const QString kStyleBlock = u"<!--__スタイルシート指定メタ開始__-->"
                            u"<link rel=\"stylesheet\" href=\"old/x.css\">"
                            u"<!--__スタイルシート指定メタ終了__-->"_s;

// 商品 (home, with トップ) holding the link menu おすすめ, which holds パン with 食パン: the page
// assembled is 食パン, written two folders below the working folder.
struct Fixture
{
    explicit Fixture(const QString &root) : global(root)
    {
        global.setReporter(&reporter);
        const QString templates = root + u"/template/t"_s;
        writeFile(templates + u"/css/main.css"_s, u"body{}"_s);
        writeFile(templates + u"/コンテンツテンプレート/text.template"_s,
                  u"name(本文)\nreplace(コンテンツ.内容);\n"_s);
        site = global.createSite();
        site->name = u"bakery"_s;
        site->homeTitle = u"こむぎ堂"_s;
        site->summary = u"概要文"_s;
        site->author = u"作\\t者"_s;
        site->keywords = u"パン"_s;
        site->templatePath = templates;
        site->mainCss = u"main.css"_s;
        Classification *menu = site->classifications.at(0);
        auto *goods = addCategory(menu->categories, menu, u"商品"_s);
        top = addPage(goods, u"トップ"_s, u"top"_s);
        auto *featured = addCategory(goods->categories, goods, u"おすすめ"_s);
        featured->setLinkMenu(true);
        auto *bread = addCategory(featured->categories, featured, u"パン"_s);
        page = addPage(bread, u"食パン"_s, u"shokupan"_s);
        page->summary = u"要約"_s;
        global.setCurrentSite(site);

        working = root + u"/working"_s;
        context.global = &global;
        context.site = site;
        context.page = page;
        context.siteWorkingFolder = working;
        context.outputPath = working + u"/goods/bread/shokupan.html"_s;
        context.cache = &cache;
    }

    Category *addCategory(CategoryList &list, velmo::Object *parent, const QString &name)
    {
        auto *category = new Category;
        category->name = name;
        category->folderName = name;
        list.add(category, parent);
        return category;
    }

    Page *addPage(Category *category, const QString &name, const QString &file)
    {
        auto *created = new Page;
        created->name = name;
        created->title = name + u"のページ"_s;
        created->fileName = file;
        created->templateName = u"page.html"_s;
        category->pages.add(created, category);
        return created;
    }

    // Pages are written through their first content group: a page without one is skipped.
    ContentGroup *addContentGroup(Page *owner, const QString &text)
    {
        auto *group = new ContentGroup;
        group->templateName = u"text.template"_s;
        group->contents.at(0)->value = text;
        owner->contentGroups.add(group, owner);
        return group;
    }

    QString assemble(QString text)
    {
        gen::PageAssembly::assemble(context, text);
        return text;
    }

    RecordingReporter reporter;
    Document global;
    Site *site = nullptr;
    Page *top = nullptr;
    Page *page = nullptr;
    QString working;
    gen::TemplateCache cache;
    gen::PageContext context;
};

} // namespace

class TestPageAssembly : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void wholeSiteMarkers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        const QString year = QString::number(QDate::currentDate().year());
        // clang-format off
        QTest::newRow("site title, sample gone")    << u"<h1><!--__サイト名__-->(サイト)</h1>"_s << u"<h1>こむぎ堂</h1>"_s;
        QTest::newRow("sample ends at first )")     << u"<!--__サイト名__-->(a(b)c)"_s << u"こむぎ堂c)"_s;
        QTest::newRow("every occurrence")           << u"<!--__サイト名__-->(x)|<!--__サイト名__-->(y)"_s << u"こむぎ堂|こむぎ堂"_s;
        QTest::newRow("texts, escapes in values")   << u"<!--__サイト概要__-->(s)/<!--__サイト作者__-->(a)/<!--__ページタイトル__-->(t)/<!--__ページ概要__-->(p)"_s
                                                    << u"概要文/作\t者/食パンのページ/要約"_s;
        QTest::newRow("path skips link menus")      << u"<!--__ページパス__-->(p)"_s << u"商品 - パン - 食パン"_s;
        QTest::newRow("year")                       << u"©<!--__製作年__-->(2000)"_s << u"©"_s + year;
        QTest::newRow("no ( after marker")          << u"<!--__サイト名__--> (x)"_s << u"<!--__サイト名__--> (x)"_s;
        QTest::newRow("unknown marker")             << u"<!--__何か__-->(x)"_s << u"<!--__何か__-->(x)"_s;
        QTest::newRow("not-output sections")        << u"a<NOT_OUTPUT>x</NOT_OUTPUT>b<not_output>y</not_output>c<Not_Output>z</Not_Output>"_s
                                                    << u"abc<Not_Output>z</Not_Output>"_s;
        QTest::newRow("escape sequences")           << u"a\\rb\\nc\\td\\x"_s << u"a\rb\nc\td\\x"_s;
        QTest::newRow("removal forms a section")    << u"<NOT_<NOT_OUTPUT>x</NOT_OUTPUT>OUTPUT>y</NOT_OUTPUT>z"_s << u"z"_s;
        QTest::newRow("thousands of markers")       << u"<!--__サイト名__-->(x)|"_s.repeated(5000) << u"こむぎ堂|"_s.repeated(5000);
        // clang-format on
    }

    void wholeSiteMarkers()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QTemporaryDir root;
        Fixture f(root.path());
        QCOMPARE(f.assemble(text), expected);
        QVERIFY(f.reporter.messages.isEmpty());
    }

    // A value from the document written into an attribute value is escaped for it; in text it
    // stays as written, entities and markup included.
    void valuesInAttributesAreEscaped_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        // clang-format off
        QTest::newRow("site title")       << u"<a title=\"<!--__サイト名__-->(x)\"><!--__サイト名__-->(x)</a>"_s
                                          << u"<a title=\"%1\">%2</a>"_s;
        QTest::newRow("summary, author")  << u"<meta content=\"<!--__サイト概要__-->(s)\"><meta content=\"<!--__サイト作者__-->(a)\">"_s
                                          << u"<meta content=\"%1\"><meta content=\"%1\">"_s;
        QTest::newRow("page texts")       << u"<title><!--__ページタイトル__-->(t)</title><p data-t=\"<!--__ページタイトル__-->(t)\" data-s=\"<!--__ページ概要__-->(p)\"><!--__ページ概要__-->(p)</p>"_s
                                          << u"<title>%2</title><p data-t=\"%1\" data-s=\"%1\">%2</p>"_s;
        QTest::newRow("keywords, path")   << u"<meta content=\"<!--__ページキーワード__-->(k)\"><i title=\"<!--__ページパス__-->(p)\">"_s
                                          << u"<meta content=\"%1,%1\"><i title=\"%1 - %1 - %1\">"_s;
        QTest::newRow("single quotes")    << u"<a title='<!--__サイト名__-->(x)'>"_s
                                          << u"<a title='Ken &quot;K&quot; &amp; Co &lt;b&gt; &copy;'>"_s;
        QTest::newRow("unquoted")         << u"<a title=<!--__サイト名__-->(x)>"_s
                                          << u"<a title=Ken&#32;&quot;K&quot;&#32;&amp;&#32;Co&#32;&lt;b&gt;&#32;&copy;>"_s;
        QTest::newRow("after a comment")  << u"<!-- \" --><p><!--__サイト名__-->(x)</p>"_s
                                          << u"<!-- \" --><p>%2</p>"_s;
        QTest::newRow("script is text")   << u"<script>if (a<b) x = \"<!--__サイト名__-->(x)\";</script><i title=\"<!--__サイト名__-->(x)\">"_s
                                          << u"<script>if (a<b) x = \"%2\";</script><i title=\"%1\">"_s;
        QTest::newRow("menu in attribute")<< u"<a href=\"<!--__メニュー開始__-->m<!--__メニュー終了__-->\">"_s
                                          << u"<a href=\"%1\">"_s;
        QTest::newRow("menu values")      << u"<ul><!--__一覧開始__-->m<!--__一覧終了__--></ul>"_s
                                          << u"<ul><li title=\"%1\">%2</li></ul>"_s;
        QTest::newRow("content values")   << u"<main><!--__本文開始__-->b<!--__本文終了__--></main>"_s
                                          << u"<main><section id=\"Ken_&quot;K&quot;_&amp;_Co_&lt;b&gt;_&copy;\">%2</section></main>"_s;
        // clang-format on
    }

    void valuesInAttributesAreEscaped()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QTemporaryDir root;
        Fixture f(root.path());
        const QString value = u"Ken \"K\" & Co <b> &copy;"_s;
        const QString escaped = u"Ken &quot;K&quot; &amp; Co &lt;b&gt; &copy;"_s;
        f.site->homeTitle = f.site->summary = f.site->author = f.site->keywords = value;
        f.page->title = f.page->summary = f.page->keywords = f.page->name = value;
        auto *category = static_cast<Category *>(f.page->parent());
        category->name = value;
        f.site->classifications.at(0)->categories.first()->name = value;
        f.global.previewAreaFlag = 0;
        writeFile(f.site->templatePath + u"/メニューテンプレート/home.template"_s,
                  u"name(メニュー)\nreplace(レベル１[0].タイトル);\n"_s);
        writeFile(f.site->templatePath + u"/メニューテンプレート/list.template"_s,
                  u"name(一覧)\nput(<li title=\")replace(レベル１[0].タイトル)put(\">)"
                  u"replace(レベル１[0].タイトル)put(</li>);\n"_s);
        writeFile(f.site->templatePath + u"/コンテンツテンプレート/section.template"_s,
                  u"name(本文)\nput(<section id=\")_replace(コンテンツ.内容)put(\">)"
                  u"replace(コンテンツ.内容)put(</section>);\n"_s);
        f.addContentGroup(f.page, value)->templateName = u"section.template"_s;
        QCOMPARE(f.assemble(text), expected.replace(u"%1"_s, escaped).replace(u"%2"_s, value));
        QVERIFY2(f.reporter.messages.isEmpty(), qPrintable(f.reporter.messages.join(u'\n')));
    }

    void keywords_data()
    {
        QTest::addColumn<QString>("site");
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("expected");
        // clang-format off
        QTest::newRow("site only")  << u"パン"_s << QString()       << u"パン"_s;
        QTest::newRow("page only")  << QString() << u"x"_s          << u",x"_s;
        QTest::newRow("both")       << u"パン"_s << u"食パン,朝食"_s << u"パン,食パン,朝食"_s;
        QTest::newRow("neither")    << QString() << QString()       << QString();
        // clang-format on
    }

    void keywords()
    {
        QFETCH(QString, site);
        QFETCH(QString, page);
        QFETCH(QString, expected);
        QTemporaryDir root;
        Fixture f(root.path());
        f.site->keywords = site;
        f.page->keywords = page;
        QCOMPARE(f.assemble(u"[<!--__ページキーワード__-->(kw)]"_s), u'[' + expected + u']');
    }

    void styleSheetBlock()
    {
        QTemporaryDir root;
        Fixture f(root.path());
        // The link's closing quote and everything after ".css" come from the template.
        QCOMPARE(f.assemble(kStyleBlock + u"<p>href=\"keep.css\"</p>"_s),
                 u"<!--__スタイルシート指定メタ開始__-->"
                 u"<link rel=\"stylesheet\" href=\"../../css/style.css\">"
                 u"<!--__スタイルシート指定メタ終了__--><p>href=\"keep.css\"</p>"_s);
        QCOMPARE(readFile(f.working + u"/css/style.css"_s), u"body{}"_s);

        // A page in the working folder itself.
        f.context.outputPath = f.working + u"/index.html"_s;
        QVERIFY(f.assemble(kStyleBlock).contains(u"href=\"./css/style.css\""_s));

        // Switched off in a preview: the block goes, and the style sheet is not written.
        QTemporaryDir other;
        Fixture off(other.path());
        off.global.previewAreaFlag = 1;
        off.global.previewAreas = {{0, gen::PageAssembly::styleSheetBlockPattern()}};
        QCOMPARE(off.assemble(u"<head>"_s + kStyleBlock + u"</head>"_s), u"<head></head>"_s);
        QVERIFY(!QFileInfo::exists(off.working + u"/css/style.css"_s));
    }

    void previewSwitches()
    {
        QTemporaryDir root;
        Fixture f(root.path());
        f.global.previewAreaFlag = 1;
        f.global.previewAreas = {
            {0, u"<!--__サイト名__-->(*)"_s},
            {1, u"<!--__ページタイトル__-->(*)"_s},
            {0, u"<!--__補足開始__-->*<!--__補足終了__-->"_s},
        };
        // Off or unlisted: the marker and its sample vanish and nothing is inserted; a
        // switched-off block goes whole.
        QCOMPARE(f.assemble(u"<h1><!--__サイト名__-->(サイト)</h1>"
                            u"<title><!--__ページタイトル__-->(t)</title>"
                            u"<p><!--__サイト作者__-->(a)</p>"
                            u"<aside><!--__補足開始__-->extra<!--__補足終了__--></aside>"_s),
                 u"<h1></h1><title>食パンのページ</title><p></p><aside></aside>"_s);
    }

    void contentBlocks()
    {
        QTemporaryDir root;
        Fixture f(root.path());
        f.addContentGroup(f.page, u"一行目\\n二行目\\tタブ"_s);
        QCOMPARE(f.assemble(u"<main><!--__本文開始__-->body<!--__本文終了__--></main>"_s),
                 u"<main>一行目\n二行目\tタブ</main>"_s);
        // Without its end comment the block does not match and stays as written.
        const QString open = u"<main><!--__本文開始__-->body<!--__本文終了_--></main>"_s;
        QCOMPARE(f.assemble(open), open);
        QVERIFY2(f.reporter.messages.isEmpty(), qPrintable(f.reporter.messages.join(u'\n')));
    }

    void linksInContentText()
    {
        QTemporaryDir root;
        Fixture f(root.path());
        const QString link = u"_id_link(%1,%2)"_s.arg(f.page->id.time).arg(f.page->id.seq);
        ContentGroup *group = f.addContentGroup(f.page, QString());
        const QString block = u"<!--__本文開始__-->body<!--__本文終了__-->"_s;

        // Many calls in one text: every one expanded, none left behind.
        group->contents.at(0)->value = (link + u'|').repeated(2000);
        const QString many = f.assemble(block);
        QCOMPARE(many.count(u"shokupan.html|"_s), 2000);
        QVERIFY(!many.contains(u"_id_link"_s));

        // Without statistics to collect them in, failures are reported at once, and the calls
        // after them expanded.
        group->contents.at(0)->value = link + u" _image(none.png,0,0) "_s + link;
        const QString page = u"../../おすすめ/パン/shokupan.html"_s;
        QCOMPARE(f.assemble(block), page + u" ../../none.png "_s + page);
        QCOMPARE(f.reporter.messages.size(), 1);
        QVERIFY(f.reporter.messages.first().endsWith(
            u"_image() 指定の画像が見つかりません。\r\n_image(none.png,0,0)"_s));

        // A scaled size of more pixels than any picture may be decoded with is refused before
        // the picture is looked for: it would take minutes and gigabytes.
        f.reporter.messages.clear();
        group->contents.at(0)->value = u"_image(none.png,30000,30000)"_s;
        f.assemble(block);
        QCOMPARE(f.reporter.messages.size(), 1);
        QVERIFY(f.reporter.messages.first().endsWith(
            u"_image() 画像の大きさが不正です。\r\n_image(none.png,30000,30000)"_s));
    }

    void pageOutputIsCapped()
    {
        // Every group's run stays under the limit, together they pass it: the page says so and
        // leaves its content out instead of growing without end.
        QTemporaryDir root;
        Fixture f(root.path());
        const QString large(gen::TemplateProgram::kMaxOutputLength / 3 + 1024, u'x');
        for (int i = 0; i < 3; ++i)
            f.addContentGroup(f.page, large);
        const QString page = f.assemble(u"<!--__本文開始__-->body<!--__本文終了__-->"_s);
        QVERIFY(page.size() < 1024);
        QCOMPARE(f.reporter.messages.size(), 1);
        QVERIFY2(f.reporter.messages.first().contains(u"上限"_s),
                 qPrintable(f.reporter.messages.first()));
    }

    void wholeSiteOutputIgnoresSwitches()
    {
        QTemporaryDir root;
        Fixture f(root.path());
        writeFile(f.site->templatePath + u"/ページテンプレート/page.html"_s,
                  kStyleBlock + u"<h1><!--__サイト名__-->(サイト)</h1>"
                                u"<p><!--__ページキーワード__-->(kw)</p>"
                                u"<aside><!--__補足開始__-->extra<!--__補足終了__--></aside>"_s);
        f.global.previewAreaFlag = 1;
        f.global.previewAreas = {
            {0, gen::PageAssembly::styleSheetBlockPattern()},
            {0, u"<!--__サイト名__-->(*)"_s},
            {0, u"<!--__補足開始__-->*<!--__補足終了__-->"_s},
        };
        f.addContentGroup(f.top, QString());
        gen::SiteOutput output(f.global);
        QCOMPARE(output.outputSite(), gen::SiteOutput::Result::Done);
        const QString index =
            readFile(f.global.temporaryFolder() + u'/' + f.site->id.toText() + u"/index.html"_s);
        QVERIFY2(index.contains(u"href=\"./css/style.css\""_s), qPrintable(index));
        QVERIFY(index.contains(u"<h1>こむぎ堂</h1><p>パン</p>"_s));
        QVERIFY(index.contains(u"<aside><!--__補足開始__-->extra<!--__補足終了__--></aside>"_s));
    }
};

QTEST_GUILESS_MAIN(TestPageAssembly)
#include "tst_pageassembly.moc"
