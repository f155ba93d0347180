// The object commands on the document, as the writer carries them out: which context menu an
// object gets, new categories, pages and content groups, moving into the storage box,
// reordering, and drops.
#include <functional>
#include <memory>

#include <QTemporaryDir>
#include <QTest>

#include "model/category.h"
#include "model/classification.h"
#include "model/condition.h"
#include "model/content.h"
#include "model/contentgroup.h"
#include "model/document.h"
#include "model/documentwriter.h"
#include "model/fileutil.h"
#include "model/genre.h"
#include "model/objectcommands.h"
#include "model/page.h"
#include "model/site.h"
#include "model/undohistory.h"
#include "recordingreporter.h"

using namespace Qt::StringLiterals;
using Command = velmo::ObjectCommands::Command;

namespace {

const QString kParentUnknown = u"選択メニューの Tree 親クラスが判定できませんでした。"_s;
const QString kNoStorage = u"選択サイトが見つからないか、一時保存場所へ登録できませんでした。\r\n"
                           u"オブジェクトは削除されます。"_s;

// A site with categories A (pages P1, P2, P3; sub-category A1 with page Q) and B, a plug-in
// page under the second hierarchy, and content group G (sub-group G1) on page P1.
struct Fixture
{
    explicit Fixture(bool makeCurrent = true)
    {
        global.setReporter(&reporter);
        site = global.createSite();
        menu = site->classifications.at(0);
        plugins = site->classifications.at(1);
        a = category(menu, u"A"_s);
        b = category(menu, u"B"_s);
        a1 = new velmo::Category;
        a1->name = u"A1"_s;
        a->categories.add(a1, a);
        p1 = page(a, u"P1"_s);
        p2 = page(a, u"P2"_s);
        p3 = page(a, u"P3"_s);
        q = page(a1, u"Q"_s);
        pluginPage = new velmo::Page;
        pluginPage->name = u"Plugin"_s;
        plugins->pages.add(pluginPage, plugins);
        g = new velmo::ContentGroup;
        g->name = u"G"_s;
        p1->contentGroups.add(g, p1);
        g1 = new velmo::ContentGroup;
        g1->name = u"G1"_s;
        g->subGroups.add(g1, g);
        if (makeCurrent)
            global.setCurrentSite(site);
    }

    static velmo::Category *category(velmo::Classification *parent, const QString &name)
    {
        auto *created = new velmo::Category;
        created->name = name;
        parent->categories.add(created, parent);
        return created;
    }

    static velmo::Page *page(velmo::Category *parent, const QString &name)
    {
        auto *created = new velmo::Page;
        created->name = name;
        parent->pages.add(created, parent);
        return created;
    }

    RecordingReporter reporter;
    velmo::Document global;
    velmo::UndoHistory history;
    velmo::DocumentWriter writer{global, history};
    velmo::Site *site = nullptr;
    velmo::Classification *menu = nullptr;
    velmo::Classification *plugins = nullptr;
    velmo::Category *a = nullptr;
    velmo::Category *a1 = nullptr;
    velmo::Category *b = nullptr;
    velmo::Page *p1 = nullptr;
    velmo::Page *p2 = nullptr;
    velmo::Page *p3 = nullptr;
    velmo::Page *q = nullptr;
    velmo::Page *pluginPage = nullptr;
    velmo::ContentGroup *g = nullptr;
    velmo::ContentGroup *g1 = nullptr;
};

template<class List>
QStringList names(const List &list)
{
    QStringList result;
    for (const auto *element : list)
        result << element->name;
    return result;
}

// Every identity in the subtree, depth first.
void collectIds(const velmo::Object *object, QList<velmo::ObjectId> &ids)
{
    ids << object->id;
    if (const auto *category = dynamic_cast<const velmo::Category *>(object)) {
        for (const auto *page : category->pages)
            collectIds(page, ids);
        for (const auto *sub : category->categories)
            collectIds(sub, ids);
    } else if (const auto *page = dynamic_cast<const velmo::Page *>(object)) {
        for (const auto *group : page->contentGroups)
            collectIds(group, ids);
    } else if (const auto *group = dynamic_cast<const velmo::ContentGroup *>(object)) {
        for (const auto *sub : group->subGroups)
            collectIds(sub, ids);
        for (const auto *content : group->contents)
            collectIds(content, ids);
    }
}

// The last object of like's class in target's list for it.
const velmo::Object *lastChildLike(const velmo::Object *target, const velmo::Object *like)
{
    if (const auto *category = dynamic_cast<const velmo::Category *>(target))
        return like->typeCode == velmo::kClassPage
                   ? static_cast<const velmo::Object *>(category->pages.last())
                   : category->categories.last();
    if (const auto *classification = dynamic_cast<const velmo::Classification *>(target))
        return classification->categories.last();
    if (const auto *page = dynamic_cast<const velmo::Page *>(target))
        return page->contentGroups.last();
    if (const auto *group = dynamic_cast<const velmo::ContentGroup *>(target))
        return group->subGroups.last();
    return nullptr;
}

using ObjectMaker = std::function<velmo::Object *(Fixture &)>;

} // namespace

Q_DECLARE_METATYPE(ObjectMaker)

class TestObjectCommands : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void contextMenu_data();
    void contextMenu();
    void newObjects();
    void newContentGroups();
    void newPagesAndGroupsTakeATemplate();
    void commandOnOtherClassChangesNothing_data();
    void commandOnOtherClassChangesNothing();
    void deleteToStorage();
    void deleteRefusedByParent();
    void deleteWithoutSiteTakesItOut();
    void upAndDownWrap();
    void drop_data();
    void drop();
    void dropRefusedByParentChangesNothing();
    void copyHasFreshIdentities();
    void dropOnItselfOrBelowRefused();
};

void TestObjectCommands::contextMenu_data()
{
    QTest::addColumn<ObjectMaker>("make");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("captions");

    const auto classification = [](qint32 kind) {
        return ObjectMaker([kind](Fixture &f) {
            f.menu->kind = kind;
            return f.menu;
        });
    };
    const auto category = [](qint32 kind) {
        return ObjectMaker([kind](Fixture &f) {
            f.a->kind = kind;
            return f.a;
        });
    };
    const QStringList categoryItems = {u"新規メニュー追加 (&W)"_s, u"新規ページ追加"_s, u"-"_s,
                                       u"メニュー項目削除 (&D)"_s};
    const int shown = int(velmo::ObjectCommands::MenuKind::Shown);
    const int none = int(velmo::ObjectCommands::MenuKind::None);
    const int unknown = int(velmo::ObjectCommands::MenuKind::Unknown);

    // clang-format off
    QTest::newRow("menu hierarchy") << classification(velmo::Classification::kKindMenu)
        << shown << u"class_category"_s << QStringList{u"新規メニュー追加 (&W)"_s};
    QTest::newRow("plug-in hierarchy") << classification(velmo::Classification::kKindPlugin)
        << shown << u"class_plugin"_s << QStringList{u"新規プラグインページ追加 (&W)"_s};
    QTest::newRow("data hierarchy") << classification(velmo::Classification::kKindData)
        << shown << u"class_data"_s << QStringList{u"新規データ追加 (&W)"_s};
    QTest::newRow("hierarchy of no kind") << classification(velmo::Classification::kKindDefault)
        << unknown << QString() << QStringList();
    QTest::newRow("category") << category(velmo::Category::kKindOrdinary)
        << shown << u"category"_s << categoryItems;
    QTest::newRow("link menu") << category(velmo::Category::kKindLinkMenu)
        << shown << u"category"_s << categoryItems;
    QTest::newRow("category of another kind") << category(0x20400000)
        << unknown << QString() << QStringList();
    QTest::newRow("page") << ObjectMaker([](Fixture &f) { return f.p1; })
        << shown << u"page"_s
        << QStringList{u"新規コンテンツ作成 (&W)"_s, u"-"_s, u"ページ削除 (&D)"_s};
    QTest::newRow("content group") << ObjectMaker([](Fixture &f) { return f.g; })
        << shown << u"content_group"_s
        << QStringList{u"新規コンテンツ追加 (&W)"_s, u"-"_s, u"コンテンツ削除 (&D)"_s};
    QTest::newRow("site") << ObjectMaker([](Fixture &f) { return f.site; })
        << none << QString() << QStringList();
    QTest::newRow("content") << ObjectMaker([](Fixture &f) { return f.g->contents.first(); })
        << none << QString() << QStringList();
    QTest::newRow("genre") << ObjectMaker([](Fixture &f) {
            auto *genre = new velmo::Genre;
            f.site->genres.add(genre, f.site);
            return genre; })
        << none << QString() << QStringList();
    QTest::newRow("condition") << ObjectMaker([](Fixture &f) {
            auto *condition = new velmo::Condition;
            f.p1->conditions.add(condition, f.p1);
            return condition; })
        << none << QString() << QStringList();
    QTest::newRow("storage box") << ObjectMaker([](Fixture &f) { return &f.site->objectBox; })
        << unknown << QString() << QStringList();
    // clang-format on
}

void TestObjectCommands::contextMenu()
{
    QFETCH(ObjectMaker, make);
    QFETCH(int, kind);
    QFETCH(QString, name);
    QFETCH(QStringList, captions);

    Fixture f;
    velmo::ObjectCommands::ContextMenu menu;
    QCOMPARE(int(velmo::ObjectCommands::contextMenuFor(make(f), &menu)), kind);
    QCOMPARE(menu.name, name);
    QStringList shown;
    for (const velmo::ObjectCommands::MenuItem &item : std::as_const(menu.items))
        shown << (item.command == 0 ? u"-"_s : item.caption);
    QCOMPARE(shown, captions);
}

void TestObjectCommands::newObjects()
{
    Fixture f;
    velmo::DocumentWriter &commands = f.writer;

    QVERIFY(commands.runMenuCommand(Command::NewCategory, f.menu) != nullptr);
    QCOMPARE(names(f.menu->categories), QStringList({u"A"_s, u"B"_s, u"メニュー"_s}));
    const velmo::Category *created = f.menu->categories.last();
    QCOMPARE(created->kind, velmo::Category::kKindOrdinary);
    QCOMPARE(created->parent(), f.menu);

    // Under a link menu the new category is an ordinary one too.
    f.b->kind = velmo::Category::kKindLinkMenu;
    QVERIFY(commands.runMenuCommand(Command::NewCategory, f.b) != nullptr);
    QCOMPARE(names(f.b->categories), QStringList{u"メニュー"_s});
    QCOMPARE(f.b->categories.first()->kind, velmo::Category::kKindOrdinary);

    QVERIFY(commands.runMenuCommand(Command::NewPage, f.b) != nullptr);
    QCOMPARE(names(f.b->pages), QStringList{u"ページ"_s});
    QCOMPARE(f.b->pages.first()->parent(), f.b);

    QVERIFY(commands.runMenuCommand(Command::NewPluginPage, f.plugins) != nullptr);
    QCOMPARE(names(f.plugins->pages), QStringList({u"Plugin"_s, u"プラグインページ"_s}));

    // Offered or defined, but without a handler.
    for (int command : {int(Command::NewData), int(Command::NewLinkData)})
        QCOMPARE(commands.runMenuCommand(command, f.menu), nullptr);
    QCOMPARE(f.history.count(), 4);
    QVERIFY(f.reporter.messages.isEmpty());
}

void TestObjectCommands::newContentGroups()
{
    Fixture f;
    velmo::DocumentWriter &commands = f.writer;
    f.g->kind = velmo::ContentGroup::kKindOther;

    QVERIFY(commands.runMenuCommand(Command::NewContentGroup, f.p2) != nullptr);
    const velmo::ContentGroup *onPage = f.p2->contentGroups.last();
    QCOMPARE(onPage->name, u"コンテンツ%1"_s.arg(onPage->id.seq));
    QCOMPARE(onPage->kind, velmo::ContentGroup::kKindDefault);
    QCOMPARE(onPage->groupOption & 0x11, 0x10);

    QVERIFY(commands.runMenuCommand(Command::NewContentGroup, f.pluginPage) != nullptr);
    QCOMPARE(f.pluginPage->contentGroups.last()->kind, velmo::ContentGroup::kKindPlugin);

    f.g->groupOption = 0x1;
    QVERIFY(commands.runMenuCommand(Command::NewContentGroup, f.g) != nullptr);
    QCOMPARE(names(f.g->subGroups), QStringList({u"G1"_s, f.g->subGroups.last()->name}));
    const velmo::ContentGroup *nested = f.g->subGroups.last();
    QCOMPARE(nested->kind, velmo::ContentGroup::kKindOther);
    QCOMPARE(nested->groupOption & 0x11, 0x10);
    QCOMPARE(nested->parent(), f.g);
    QVERIFY(nested->name != onPage->name);
}

void TestObjectCommands::newPagesAndGroupsTakeATemplate()
{
    QTemporaryDir dir;
    Fixture f;
    f.site->templatePath = dir.path();
    for (const QString &file :
         {u"/ページテンプレート/wide.html"_s, u"/ページテンプレート/page.html"_s,
          u"/コンテンツテンプレート/標準.template"_s}) {
        QVERIFY(velmo::createFolderPath(dir.path() + file));
        QVERIFY(velmo::writeTextFileIfChanged(u"x"_s, dir.path() + file) > 0);
    }
    velmo::DocumentWriter &commands = f.writer;
    // The previous sibling's template, else the first of the folder by name.
    f.p3->templateName = u"wide.html"_s;
    const velmo::Object *created = commands.runMenuCommand(Command::NewPage, f.a);
    QCOMPARE(created, f.a->pages.last());
    QCOMPARE(f.a->pages.last()->templateName, u"wide.html"_s);
    commands.runMenuCommand(Command::NewPage, f.b);
    QCOMPARE(f.b->pages.last()->templateName, u"page.html"_s);
    commands.runMenuCommand(Command::NewContentGroup, f.p2);
    QCOMPARE(f.p2->contentGroups.last()->templateName, u"標準.template"_s);
    // Plug-in pages merge into every page of their template: a default would merge them.
    commands.runMenuCommand(Command::NewPluginPage, f.plugins);
    QVERIFY(f.plugins->pages.last()->templateName.isEmpty());
}

void TestObjectCommands::commandOnOtherClassChangesNothing_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<ObjectMaker>("make");

    const ObjectMaker page([](Fixture &f) { return f.p1; });
    const ObjectMaker category([](Fixture &f) { return f.a; });
    const ObjectMaker site([](Fixture &f) { return f.site; });
    // clang-format off
    QTest::newRow("new category on a page") << int(Command::NewCategory) << page;
    QTest::newRow("new page on a hierarchy") << int(Command::NewPage)
                                             << ObjectMaker([](Fixture &f) { return f.menu; });
    QTest::newRow("new content on a category") << int(Command::NewContentGroup) << category;
    QTest::newRow("plug-in page on a category") << int(Command::NewPluginPage) << category;
    QTest::newRow("delete menu on a page") << int(Command::DeleteCategory) << page;
    QTest::newRow("delete page on a category") << int(Command::DeletePage) << category;
    QTest::newRow("delete content on the site") << int(Command::DeleteContentGroup) << site;
    // clang-format on
}

void TestObjectCommands::commandOnOtherClassChangesNothing()
{
    QFETCH(int, command);
    QFETCH(ObjectMaker, make);

    Fixture f;
    QCOMPARE(f.writer.runMenuCommand(command, make(f)), nullptr);
    QCOMPARE(f.history.count(), 0);
    QCOMPARE(names(f.a->pages), QStringList({u"P1"_s, u"P2"_s, u"P3"_s}));
    QCOMPARE(names(f.menu->categories), QStringList({u"A"_s, u"B"_s}));
    QVERIFY(f.site->objectBox.items.isEmpty());
    QVERIFY(f.reporter.messages.isEmpty());
}

void TestObjectCommands::deleteToStorage()
{
    Fixture f;
    velmo::DocumentWriter &commands = f.writer;

    commands.runMenuCommand(Command::DeleteCategory, f.a);
    QCOMPARE(names(f.menu->categories), QStringList{u"B"_s});
    QCOMPARE(f.site->objectBox.items.count(), 1);
    QCOMPARE(f.site->objectBox.items.first(), f.a);
    QCOMPARE(f.a->parent(), &f.site->objectBox);
    // Its pages and sub-categories went with it.
    QCOMPARE(names(f.a->pages), QStringList({u"P1"_s, u"P2"_s, u"P3"_s}));
    QCOMPARE(f.a1->parent(), f.a);

    commands.runMenuCommand(Command::DeleteContentGroup, f.g1);
    QVERIFY(f.g->subGroups.isEmpty());
    QCOMPARE(f.site->objectBox.items.count(), 2);
    QVERIFY(f.reporter.messages.isEmpty());
}

void TestObjectCommands::deleteRefusedByParent()
{
    Fixture f;
    velmo::DocumentWriter &commands = f.writer;

    // A plug-in page goes to the storage box like any page, and a drop brings it back.
    commands.runMenuCommand(Command::DeletePage, f.pluginPage);
    QVERIFY(f.reporter.messages.isEmpty());
    QCOMPARE(f.pluginPage->parent(), &f.site->objectBox);
    QVERIFY(f.plugins->pages.isEmpty());
    QVERIFY(f.writer.drop(f.pluginPage, f.plugins, false));
    QCOMPARE(f.pluginPage->parent(), f.plugins);

    // A page of the data hierarchy hangs where no page is deleted from.
    velmo::Classification *data = f.site->classifications.at(2);
    auto *dataPage = new velmo::Page;
    data->pages.add(dataPage, data);
    const int steps = f.history.count();
    commands.runMenuCommand(Command::DeletePage, dataPage);
    QCOMPARE(f.history.count(), steps);
    QCOMPARE(f.reporter.messages, QStringList{kParentUnknown});
    QCOMPARE(dataPage->parent(), data);
    QVERIFY(f.site->objectBox.items.isEmpty());
}

void TestObjectCommands::deleteWithoutSiteTakesItOut()
{
    // A category in the storage box belongs to no site: its page has no box to go to.
    Fixture f(false);
    f.writer.runMenuCommand(Command::DeleteCategory, f.a);
    f.writer.runMenuCommand(Command::DeletePage, f.p2);
    QCOMPARE(f.reporter.messages.last(), kNoStorage);
    QCOMPARE(names(f.a->pages), QStringList({u"P1"_s, u"P3"_s}));
    QCOMPARE(f.site->objectBox.items.count(), 1);
    // Taken out, not destroyed: undo puts it back.
    f.history.undo();
    QCOMPARE(names(f.a->pages), QStringList({u"P1"_s, u"P2"_s, u"P3"_s}));
}

void TestObjectCommands::upAndDownWrap()
{
    Fixture f;
    QVERIFY(f.writer.moveWithinList(f.p1, true));
    QCOMPARE(names(f.a->pages), QStringList({u"P2"_s, u"P3"_s, u"P1"_s}));
    QVERIFY(f.writer.moveWithinList(f.p1, false));
    QCOMPARE(names(f.a->pages), QStringList({u"P1"_s, u"P2"_s, u"P3"_s}));
    QVERIFY(f.writer.moveWithinList(f.p2, false));
    QCOMPARE(names(f.a->pages), QStringList({u"P1"_s, u"P3"_s, u"P2"_s}));
    QCOMPARE(f.p2->parent(), f.a);

    QCOMPARE(f.history.count(), 3);
    // A one-entry list counts as a move, and stays as it is, with no step.
    QVERIFY(f.writer.moveWithinList(f.q, true));
    QCOMPARE(names(f.a1->pages), QStringList{u"Q"_s});
    QVERIFY(f.writer.moveWithinList(f.a1, false));
    QCOMPARE(names(f.a->categories), QStringList{u"A1"_s});

    QCOMPARE(f.history.count(), 3);
    QVERIFY(f.writer.moveWithinList(f.b, true));
    QCOMPARE(names(f.menu->categories), QStringList({u"B"_s, u"A"_s}));
    // Hierarchies are in no list these buttons reorder.
    QVERIFY(!f.writer.moveWithinList(f.menu, true));
}

void TestObjectCommands::drop_data()
{
    QTest::addColumn<ObjectMaker>("source");
    QTest::addColumn<ObjectMaker>("target");
    QTest::addColumn<bool>("accepted");

    const ObjectMaker b([](Fixture &f) { return f.b; });
    const ObjectMaker a1([](Fixture &f) { return f.a1; });
    const ObjectMaker menu([](Fixture &f) { return f.menu; });
    const ObjectMaker p2([](Fixture &f) { return f.p2; });
    const ObjectMaker g1([](Fixture &f) { return f.g1; });
    const ObjectMaker g([](Fixture &f) { return f.g; });
    // clang-format off
    QTest::newRow("category on category")       << a1 << b    << true;
    QTest::newRow("category on hierarchy")      << a1 << menu << true;
    QTest::newRow("page on category")           << p2 << b    << true;
    QTest::newRow("group on page")              << g1 << p2   << true;
    QTest::newRow("group on group")             << g  << ObjectMaker([](Fixture &f) {
                                                           return f.p2->contentGroups.first(); })
                                                      << true;
    QTest::newRow("page on page")               << p2 << ObjectMaker([](Fixture &f) { return f.p3; })
                                                      << false;
    QTest::newRow("page on hierarchy")          << p2 << menu << false;
    QTest::newRow("category on page")           << a1 << p2   << false;
    QTest::newRow("group on category")          << g1 << b    << false;
    QTest::newRow("hierarchy on category")      << menu << b  << false;
    QTest::newRow("site on category")           << ObjectMaker([](Fixture &f) { return f.site; })
                                                      << b    << false;
    // clang-format on
}

void TestObjectCommands::drop()
{
    QFETCH(ObjectMaker, source);
    QFETCH(ObjectMaker, target);
    QFETCH(bool, accepted);

    for (bool copy : {false, true}) {
        Fixture f;
        auto *group = new velmo::ContentGroup;
        group->name = u"G2"_s;
        f.p2->contentGroups.add(group, f.p2);
        velmo::Object *s = source(f);
        velmo::Object *t = target(f);
        velmo::Object *oldParent = s->parent();

        QCOMPARE(velmo::ObjectCommands::canDrop(s, t), accepted);
        QCOMPARE(f.writer.drop(s, t, copy), accepted);
        if (!accepted) {
            QCOMPARE(s->parent(), oldParent);
            continue;
        }
        const velmo::Object *last = lastChildLike(t, s);
        QVERIFY(last != nullptr);
        QCOMPARE(last->name, s->name);
        QCOMPARE(last->parent(), t);
        if (copy) {
            // The original stays; a copy with an identity of its own comes last under the target.
            QCOMPARE(s->parent(), oldParent);
            QVERIFY(last != s);
            QVERIFY(last->id != s->id);
        } else {
            QCOMPARE(last, s);
            QCOMPARE(s->parent(), t);
            QCOMPARE(s->parentId, t->id);
            QVERIFY(oldParent->findById(s->id) == nullptr);
            QCOMPARE(t->findById(s->id), s);
        }
    }
}

void TestObjectCommands::dropRefusedByParentChangesNothing()
{
    Fixture f;
    // The data hierarchy does not let go of its pages.
    velmo::Classification *data = f.site->classifications.at(2);
    auto *dataPage = new velmo::Page;
    data->pages.add(dataPage, data);
    QVERIFY(!f.writer.drop(dataPage, f.b, false));
    QCOMPARE(dataPage->parent(), data);
    QCOMPARE(data->pages.count(), 1);
    QVERIFY(f.b->pages.isEmpty());
}

void TestObjectCommands::copyHasFreshIdentities()
{
    Fixture f;
    auto *nested = new velmo::ContentGroup;
    f.g1->subGroups.add(nested, f.g1);
    QVERIFY(f.writer.drop(f.p1, f.b, true));

    QCOMPARE(names(f.a->pages), QStringList({u"P1"_s, u"P2"_s, u"P3"_s}));
    QCOMPARE(f.b->pages.count(), 1);
    const velmo::Page *copy = f.b->pages.first();
    QCOMPARE(copy->name, u"P1"_s);
    QCOMPARE(copy->parent(), f.b);

    QList<velmo::ObjectId> original;
    QList<velmo::ObjectId> copied;
    collectIds(f.p1, original);
    collectIds(copy, copied);
    QCOMPARE(copied.size(), original.size());
    for (const velmo::ObjectId &id : std::as_const(copied))
        QVERIFY2(!original.contains(id), qPrintable(id.toText()));
    // Each copied child points at its copied parent.
    const velmo::ContentGroup *copiedGroup = copy->contentGroups.first();
    QCOMPARE(copiedGroup->parent(), copy);
    QCOMPARE(copiedGroup->parentId, copy->id);
    QCOMPARE(copiedGroup->subGroups.first()->parentId, copiedGroup->id);
    QCOMPARE(copiedGroup->subGroups.first()->subGroups.first()->parentId,
             copiedGroup->subGroups.first()->id);
}

void TestObjectCommands::dropOnItselfOrBelowRefused()
{
    Fixture f;
    auto *deeper = new velmo::Category;
    f.a1->categories.add(deeper, f.a1);
    for (bool copy : {false, true}) {
        QVERIFY(!f.writer.drop(f.a, f.a1, copy));
        QVERIFY(!f.writer.drop(f.a, deeper, copy));
        QVERIFY(!f.writer.drop(f.a, f.a, copy));
        QVERIFY(!f.writer.drop(f.g, f.g1, copy));
    }
    QCOMPARE(f.a->parent(), f.menu);
    QCOMPARE(names(f.a->categories), QStringList{u"A1"_s});
    QCOMPARE(names(f.a1->categories), QStringList{deeper->name});
    QVERIFY(f.g1->subGroups.isEmpty());
}

QTEST_GUILESS_MAIN(TestObjectCommands)
#include "tst_objectcommands.moc"
