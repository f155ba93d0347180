// libFuzzer entry over the template language: any bytes run as a menu or content template
// program, and go through link expansion and the whole page assembly as a page template.
#include <cstdint>
#include <cstdlib>

#include <QByteArrayView>
#include <QDir>
#include <QList>
#include <QString>
#include <QTemporaryDir>

#include "generator/menuoutputcache.h"
#include "generator/outputstatistics.h"
#include "generator/pageassembly.h"
#include "generator/pagecontext.h"
#include "generator/previewareas.h"
#include "generator/templatecache.h"
#include "generator/templateexpansion.h"
#include "generator/templateprogram.h"
#include "model/category.h"
#include "model/classification.h"
#include "model/content.h"
#include "model/contentgroup.h"
#include "model/document.h"
#include "model/fileutil.h"
#include "model/messagereporter.h"
#include "model/page.h"
#include "model/site.h"

using namespace velmo;

namespace {

class DroppingReporter : public MessageReporter
{
public:
    void showMessage(const QString &) override {}
};

void writeFile(const QString &path, const QString &text)
{
    createFolderPath(path);
    writeTextFileIfChanged(text, path);
}

// Fixed, small identities: the dictionary can then spell "_id_link(1,n)" calls that reach
// real objects, which clock-based identities would never let the fuzzer guess.
qint32 nextNumber = 1;

template<class T>
T *numbered(T *object)
{
    object->id = ObjectId(1, nextNumber++);
    return object;
}

// One site, built once: ホーム and 製品 at the top, 製品 holding 新製品 and 旧製品 and a link
// menu; the chain 製品 → 新製品 is marked, as while a page of 新製品 is generated. The page
// generated has a content group with 内容 and 章のタイトル and a nested group.
struct Fixture
{
    Fixture() : global(root.path())
    {
        global.setReporter(&silent);
        const QString templates = root.path() + QStringLiteral("/template/fuzz");
        writeFile(templates + Document::pageTemplateFolderName() + QStringLiteral("/page.html"),
                  QStringLiteral("<!--__スタイルシート指定メタ開始__--><link href=\"x.css\">"
                                 "<!--__スタイルシート指定メタ終了__-->"
                                 "<h1><!--__サイト名__-->(名)</h1><!--__サイト概要__-->(概要)"
                                 "<!--__メニュー開始__-->m<!--__メニュー終了__-->"
                                 "<!--__本文開始__-->b<!--__本文終了__-->"));
        writeFile(templates + Document::menuTemplateFolderName() + QStringLiteral("/menu.template"),
                  QStringLiteral("name(メニュー)\nfor(int i=0; i<レベル１.メニュー数; i++){\n"
                                 "if(レベル１[i].選択){\nput(<b>)\n}\n"
                                 "put(<a href=\")replace(レベル１[i].相対パス)put(\">)"
                                 "replace(レベル１[i].タイトル)put(</a>)\n}\n"));
        writeFile(templates + Document::contentTemplateFolderName() +
                      QStringLiteral("/text.template"),
                  QStringLiteral("name(本文)\nput(<)replace(hx)put(>)"
                                 "replace(コンテンツ.章のタイトル)put(</)replace(hx)put(>)\n"
                                 "replace(コンテンツ.内容);\n"));
        writeFile(templates + Document::cssFolderName() + QStringLiteral("/main.css"),
                  QStringLiteral("body{}"));
        writeFile(root.path() + QStringLiteral("/user_image/photo.jpg"), QStringLiteral("jpg"));

        site = numbered(global.createSite());
        site->name = QStringLiteral("fuzz");
        site->homeTitle = QStringLiteral("ファズ\\n堂");
        site->keywords = QStringLiteral("a,b");
        site->templatePath = templates;
        site->mainCss = QStringLiteral("main.css");
        site->imageFolder = QStringLiteral("image");
        Classification *menu = numbered(site->classifications.at(0));

        Category *home = addCategory(menu->categories, menu, QStringLiteral("ホーム"), u"home");
        Page *top = addPage(home, QStringLiteral("トップ"), QStringLiteral("index"));
        top->outputFlags = Page::kOutputHomePage;
        Category *products = addCategory(menu->categories, menu, QStringLiteral("製品"), u"p");
        Category *fresh =
            addCategory(products->categories, products, QStringLiteral("新製品"), u"new");
        addCategory(products->categories, products, QStringLiteral("旧製品"), u"old");
        page = addPage(fresh, QStringLiteral("春の新作"), QStringLiteral("spring"));
        sibling = addPage(fresh, QStringLiteral("夏の新作"), QStringLiteral("summer"));
        page->keywords = QStringLiteral("春");

        auto *group = numbered(new ContentGroup);
        group->name = QStringLiteral("新作 一覧");
        group->templateName = QStringLiteral("text.template");
        group->contents.at(0)->value =
            QStringLiteral("<p>_id_link(1,4)\\t_image(photo.jpg,0,0)</p>");
        numbered(group->contents.at(0));
        auto *title = numbered(new Content);
        title->name = QStringLiteral("章のタイトル");
        title->value = QStringLiteral("新作");
        group->addContent(title);
        page->contentGroups.add(group, page);
        auto *nested = numbered(new ContentGroup);
        nested->templateName = QStringLiteral("text.template");
        numbered(nested->contents.at(0))->value = QStringLiteral("入れ子");
        group->subGroups.add(nested, group);

        Category *link = addCategory(products->categories, products, QStringLiteral("一覧へ"), u"");
        link->setLinkMenu(true);
        link->linkTarget = group->id;
        Category *dangling = addCategory(menu->categories, menu, QStringLiteral("行方不明"), u"");
        dangling->setLinkMenu(true);
        dangling->linkTarget = ObjectId(9, 9);

        // The chain of the page being generated, with the links page generation leaves on it.
        for (velmo::Object *up = page; up != nullptr; up = up->parent())
            up->outputMark = 1;
        home->auxText = QStringLiteral("../../");
        products->auxText = QStringLiteral("../");
        fresh->auxText = QStringLiteral("./");
        global.setCurrentSite(site);

        working = root.path() + QStringLiteral("/working");
        QDir().mkpath(working);
        context.global = &global;
        context.site = site;
        context.page = page;
        context.siteWorkingFolder = working;
        context.outputPath = working + QStringLiteral("/p/new/spring.html");
        context.cache = &cache;

        menus.begin(*site);

        // Preview areas from the page template, two of them switched off.
        gen::PreviewAreas::collectMarkers(global);
        for (PreviewArea &area : global.previewAreas) {
            if (area.pattern.contains(u"サイト概要") || area.pattern.contains(u"本文"))
                area.on = 0;
        }
    }

    Category *addCategory(CategoryList &list, velmo::Object *parent, const QString &name,
                          QStringView folder)
    {
        auto *category = numbered(new Category);
        category->name = name;
        category->folderName = folder.toString();
        list.add(category, parent);
        return category;
    }

    Page *addPage(Category *category, const QString &name, const QString &file)
    {
        auto *created = numbered(new Page);
        created->name = name;
        created->title = name + QStringLiteral("\\r\\n");
        created->fileName = file;
        created->templateName = QStringLiteral("page.html");
        category->pages.add(created, category);
        return created;
    }

    QTemporaryDir root;
    DroppingReporter silent;
    Document global;
    Site *site = nullptr;
    Page *page = nullptr;
    // On the marked chain but holding nothing a link menu points at: its menus may be kept.
    Page *sibling = nullptr;
    QString working;
    gen::TemplateCache cache;
    gen::MenuOutputCache menus;
    gen::PageContext context;
};

// Qt warns about every file name holding a NUL character that an "_image(…)" call asks for;
// the warnings would bury the fuzzer's own output.
void dropQtMessages(QtMsgType, const QMessageLogContext &, const QString &) {}

Fixture &fixture()
{
    static Fixture f;
    return f;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    qInstallMessageHandler(dropQtMessages);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    Fixture &f = fixture();
    const QString text =
        QString::fromUtf8(QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)));
    // Statistics gather every message and file of an output; per input, or a long run would
    // grow them without end.
    gen::OutputStatistics statistics;
    gen::PageContext context = f.context;
    context.statistics = &statistics;

    // As a content template: the levels and bindings expandGroup gives a page's own group.
    gen::TemplateProgram program;
    program.setSite(f.site);
    program.setSiteWorkingFolder(f.working);
    program.setPageOutputPath(context.outputPath);
    if (program.parse(text) == gen::TemplateProgram::ParseResult::Parsed) {
        const QList<QList<velmo::Object *>> levels = gen::TemplateExpansion::menuLevels(context);
        for (int k = 0; k < levels.size(); ++k)
            program.bindObjects(f.site->levelName(k), levels[k]);
        program.bindText(QStringLiteral("hx"), QStringLiteral("h3"));
        program.bindObjects(QStringLiteral("コンテンツ"), f.page->contentGroups.first()->contents);
        // Its output then goes through the rest of the page as a content block would: the
        // markers a repeated content text brings along reach the page's replacements.
        if (program.run() != gen::TemplateProgram::RunResult::NotStarted) {
            QString block = gen::TemplateExpansion::expandLinksAndImages(
                context, program.outputText(), QStringLiteral("fuzz"));
            f.global.previewAreaFlag = 0;
            gen::PageAssembly::assemble(context, block);
        }
    }

    gen::TemplateExpansion::expandLinksAndImages(context, text, QStringLiteral("fuzz"));

    // As a page template whose menus are taken from the outputs kept for the sibling's key
    // (filled by the first input): they must be what running the menus gives.
    f.global.previewAreaFlag = 0;
    gen::PageContext sibling = context;
    sibling.page = f.sibling;
    QString ran = text;
    gen::TemplateExpansion::expandMenus(sibling, ran);
    sibling.menus = &f.menus;
    for (int pass = 0; pass < 2; ++pass) {
        QString kept = text;
        gen::TemplateExpansion::expandMenus(sibling, kept);
        if (kept != ran)
            std::abort();
    }

    // As a page template, once as in a whole-site output and once as a preview with areas
    // switched off.
    for (const int flag : {0, 1}) {
        f.global.previewAreaFlag = flag;
        QString page = text;
        gen::PageAssembly::assemble(context, page);
    }
    return 0;
}
