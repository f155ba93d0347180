// Document objects: construction defaults, identities, parent links, copies with fresh
// identities, child removal and what each class shows in the navigation tree.
#include <memory>

#include <QSet>
#include <QTest>

#include "model/category.h"
#include "model/classification.h"
#include "model/clock.h"
#include "model/condition.h"
#include "model/content.h"
#include "model/contentgroup.h"
#include "model/document.h"
#include "model/fullwidthnumber.h"
#include "model/genre.h"
#include "model/objectbox.h"
#include "model/objectcopy.h"
#include "model/objectref.h"
#include "model/page.h"
#include "model/site.h"

using namespace velmo;

namespace {

// What the navigation tree shows below object, as "depth:name/icon" lines, depth first.
void collectShown(velmo::Object *object, int depth, QStringList &lines)
{
    lines << QStringLiteral("%1:%2/%3").arg(depth).arg(object->name).arg(object->getTreeIcon(0));
    QCOMPARE(object->getTreeIcon(0), object->getTreeIcon(1));
    object->forEachChild(Children::Shown, [depth, &lines](velmo::Object *child) {
        collectShown(child, depth + 1, lines);
        return true;
    });
}

// Every identity in a subtree, through the lists that a copy duplicates.
void collectIds(const velmo::Object *object, QList<ObjectId> &ids)
{
    ids << object->id;
    if (auto *category = dynamic_cast<const Category *>(object)) {
        for (auto *page : category->pages)
            collectIds(page, ids);
        for (auto *sub : category->categories)
            collectIds(sub, ids);
    } else if (auto *page = dynamic_cast<const Page *>(object)) {
        for (auto *group : page->contentGroups)
            collectIds(group, ids);
        for (auto *condition : page->conditions)
            collectIds(condition, ids);
    } else if (auto *group = dynamic_cast<const ContentGroup *>(object)) {
        for (auto *sub : group->subGroups)
            collectIds(sub, ids);
        for (auto *content : group->contents)
            collectIds(content, ids);
        for (auto *related : group->relatedGroups)
            collectIds(related, ids);
    }
}

// Every object's parentId equals the identity of the object that owns it.
void verifyParentIds(const velmo::Object *object)
{
    auto check = [object](const velmo::Object *child) {
        QCOMPARE(child->parent(), object);
        QCOMPARE(child->parentId, object->id);
        verifyParentIds(child);
    };
    if (auto *category = dynamic_cast<const Category *>(object)) {
        for (auto *page : category->pages)
            check(page);
        for (auto *sub : category->categories)
            check(sub);
    } else if (auto *page = dynamic_cast<const Page *>(object)) {
        for (auto *group : page->contentGroups)
            check(group);
        for (auto *condition : page->conditions)
            check(condition);
    } else if (auto *group = dynamic_cast<const ContentGroup *>(object)) {
        for (auto *sub : group->subGroups)
            check(sub);
        for (auto *content : group->contents)
            check(content);
        for (auto *related : group->relatedGroups)
            check(related);
    }
}

// A category with two pages, a sub-category, groups with sub-groups, related groups and a
// condition: every list that copies and re-identification walk.
std::unique_ptr<Category> makeCategoryTree()
{
    auto category = std::make_unique<Category>();
    category->name = QStringLiteral("商品");
    for (int i = 0; i < 2; ++i) {
        auto *page = new Page;
        page->title = QStringLiteral("ページ%1").arg(i);
        category->pages.add(page, category.get());
        auto *group = new ContentGroup;
        page->contentGroups.add(group, page);
        auto *sub = new ContentGroup;
        group->subGroups.add(sub, group);
        group->relatedGroups.add(new ContentGroup, group);
        auto *condition = new Condition;
        condition->targets << ObjectId(1, 2) << ObjectId(3, 4);
        page->conditions.add(condition, page);
    }
    auto *sub = new Category;
    sub->pages.add(new Page, sub);
    category->categories.add(sub, category.get());
    return category;
}

} // namespace

class TestObjects : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void walksAndReferences();
    void init() { setClockOverride(1700000000); }
    void cleanup() { setClockOverride(std::nullopt); }

    void identities()
    {
        Document global;
        QCOMPARE(sequenceCounter(), 0);
        Content a;
        Content b;
        // Identity and the initial parent identity each take a counter value.
        QCOMPARE(a.id, ObjectId(1700000000, 0));
        QCOMPARE(a.parentId, ObjectId(1700000000, 1));
        QCOMPARE(b.id.seq, 2);
        QVERIFY(a.id != b.id);
        QCOMPARE(ObjectId(0, 7).toText(), QStringLiteral("0_7"));
        QCOMPARE(ObjectId(-5, -1).toText(), QStringLiteral("-5_-1"));
        QVERIFY(ObjectId().isNull());

        // A category's link target takes one more value; a condition's reference likewise.
        const qint32 before = sequenceCounter();
        Category category;
        QCOMPARE(sequenceCounter(), before + 3);
        QVERIFY(category.linkTarget.isNull());
        Condition condition;
        QCOMPARE(sequenceCounter(), before + 6);
        QVERIFY(!condition.reference.isNull());

        // A document read into while another is open counts on its own from 0; once it goes,
        // the open document counts on where it was.
        const qint32 counted = sequenceCounter();
        {
            Document incoming;
            QCOMPARE(sequenceCounter(), 0);
            Content c;
            QCOMPARE(c.id.seq, 0);
        }
        QCOMPARE(sequenceCounter(), counted);
    }

    void constructionDefaults()
    {
        Document global;
        sequenceCounter() = 41;
        Category category;
        QCOMPARE(category.id.seq, 41);
        QCOMPARE(category.folderName, QStringLiteral("menu_41"));
        QCOMPARE(category.kind, Category::kKindOrdinary);
        QCOMPARE(category.typeCode, 30);
        QCOMPARE(category.enabled, 1);
        QCOMPARE(category.createdTime, qint64(1700000000));

        sequenceCounter() = 7;
        Page page;
        QCOMPARE(page.fileName, QStringLiteral("page_7_"));

        ContentGroup group;
        QCOMPARE(group.kind, ContentGroup::kKindDefault);
        QCOMPARE(group.contents.count(), 1);
        QCOMPARE(group.contents.at(0)->name, QStringLiteral("内容"));
        QCOMPARE(group.contents.at(0)->kind, Content::kKindLongText);
        QCOMPARE(group.contents.at(0)->parent(), &group);

        Site site;
        QCOMPARE(site.typeCode, 10);
        QCOMPARE(site.classifications.count(), 3);
        const QList<QPair<QString, qint32>> expected = {{QStringLiteral("メニュー"), 0x10200000},
                                                        {QStringLiteral("プラグイン"), 0x10400000},
                                                        {QStringLiteral("データ"), 0x10800000}};
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(site.classifications.at(i)->name, expected[i].first);
            QCOMPARE(site.classifications.at(i)->kind, expected[i].second);
            QCOMPARE(site.classifications.at(i)->parentId, site.id);
        }
        QCOMPARE(site.levelName(0), QStringLiteral("レベル１"));
        QCOMPARE(site.levelName(9), QStringLiteral("レベル１０"));
        site.setLevelName(10, QStringLiteral("x"));
        site.setLevelName(-1, QStringLiteral("x"));
        QCOMPARE(site.levelName(10), QString());
        QCOMPARE(site.objectBox.name, QStringLiteral("オブジェクトボックス"));
        QCOMPARE(site.objectBox.items.count(), 0);

        QCOMPARE(fullWidthNumber(0), QStringLiteral("０"));
        QCOMPARE(fullWidthNumber(10), QStringLiteral("１０"));
        QCOMPARE(fullWidthNumber(123), QStringLiteral("１２３"));
    }

    void listsOwnAndDetach()
    {
        Document global;
        Category owner;
        auto *a = new Page;
        auto *b = new Page;
        QCOMPARE(owner.pages.add(a, &owner), 1);
        QCOMPARE(owner.pages.add(b, &owner), 2);
        QCOMPARE(a->parentId, owner.id);
        QCOMPARE(owner.pages.indexOf(b->id), 1);
        QCOMPARE(owner.pages.indexOf(ObjectId(9, 9)), -1);
        QCOMPARE(owner.pages.at(2), nullptr);
        QCOMPARE(owner.pages.at(-1), nullptr);
        QCOMPARE(owner.pages.findInList(b->id), b);

        QCOMPARE(owner.pages.removeAt(-1), -1);
        QCOMPARE(owner.pages.removeAt(5), -1);
        QCOMPARE(owner.pages.removeAt(0), 1);
        std::unique_ptr<Page> detached(a);
        QCOMPARE(a->parent(), nullptr);
        QCOMPARE(a->parentId, ObjectId());

        owner.pages.release();
        QCOMPARE(owner.pages.count(), 0);
        std::unique_ptr<Page> released(b);
        QCOMPARE(b->parent(), &owner); // release does not touch the elements
    }

    void removeChildNeedsTheVeryObject()
    {
        Document global;
        Category category;
        auto *page = new Page;
        category.pages.add(page, &category);

        // Same identity, different object: refused, list unchanged.
        Page impostor;
        impostor.id = page->id;
        QCOMPARE(category.removeChild(&impostor), 0);
        QCOMPARE(category.pages.count(), 1);

        // A class the parent does not hold in that list.
        ContentGroup group;
        QCOMPARE(category.removeChild(&group), 0);
        QCOMPARE(category.removeChild(nullptr), 0);

        QCOMPARE(category.removeChild(page), 1);
        std::unique_ptr<Page> owned(page);
        QCOMPARE(category.pages.count(), 0);
        QCOMPARE(page->parentId, ObjectId());

        // A classification never gives up one of its own pages this way.
        Classification classification;
        auto *pluginPage = new Page;
        classification.pages.add(pluginPage, &classification);
        QCOMPARE(classification.removeChild(pluginPage), 0);
        QCOMPARE(classification.pages.count(), 1);

        // The page's own removal of a group.
        Page holder;
        auto *g1 = new ContentGroup;
        auto *g2 = new ContentGroup;
        holder.contentGroups.add(g1, &holder);
        holder.contentGroups.add(g2, &holder);
        ContentGroup stranger;
        QCOMPARE(holder.removeContentGroup(&stranger), -1);
        QCOMPARE(holder.removeContentGroup(g1), 1);
        delete g1;
        QCOMPARE(holder.contentGroups.at(0), g2);
    }

    void copyKeepsIdentitiesAndPointsChildrenAtTheSource()
    {
        Document global;
        auto source = makeCategoryTree();
        Category copy;
        copy.copyFrom(*source);
        QCOMPARE(copy.id, source->id);
        QCOMPARE(copy.pages.count(), 2);
        QCOMPARE(copy.pages.at(0)->id, source->pages.at(0)->id);
        QCOMPARE(copy.pages.at(1)->title, QStringLiteral("ページ1"));
        // A working copy's children point at the object that was copied.
        QCOMPARE(copy.pages.at(0)->parent(), source.get());
        QCOMPARE(copy.pages.at(0)->parentId, source->id);
        QVERIFY(copy.pages.at(0) != source->pages.at(0));
        const Condition *condition = copy.pages.at(0)->conditions.at(0);
        QCOMPARE(condition->targets, (QList<ObjectId>{ObjectId(1, 2), ObjectId(3, 4)}));
        QCOMPARE(copy.pages.at(0)->contentGroups.at(0)->relatedGroups.count(), 1);
    }

    void assignFreshIdsSharesNothingWithTheSource()
    {
        Document global;
        auto source = makeCategoryTree();
        QList<ObjectId> sourceIds;
        collectIds(source.get(), sourceIds);

        std::unique_ptr<velmo::Object> duplicate = duplicateSubtree(*source);
        QList<ObjectId> copyIds;
        collectIds(duplicate.get(), copyIds);
        QCOMPARE(copyIds.size(), sourceIds.size());
        const QSet<ObjectId> sourceSet(sourceIds.begin(), sourceIds.end());
        for (const ObjectId &id : copyIds)
            QVERIFY2(!sourceSet.contains(id), qPrintable(id.toText()));
        const QSet<ObjectId> copySet(copyIds.begin(), copyIds.end());
        QCOMPARE(copySet.size(), copyIds.size());
        verifyParentIds(duplicate.get());
        // The source is untouched.
        verifyParentIds(source.get());
        QList<ObjectId> again;
        collectIds(source.get(), again);
        QCOMPARE(again, sourceIds);
    }

    void treeShowsWhatEachClassShows()
    {
        Document global;
        Site site;
        site.name = QStringLiteral("サイト");
        // A fourth hierarchy and the data hierarchy are never shown.
        auto *extra = new Classification;
        extra->name = QStringLiteral("追加");
        site.classifications.add(extra, &site);
        auto *category = new Category;
        category->name = QStringLiteral("カテゴリ");
        site.classifications.at(0)->categories.add(category, site.classifications.at(0));
        auto *link = new Category;
        link->name = QStringLiteral("リンク");
        link->setLinkMenu(true);
        category->categories.add(link, category);
        auto *page = new Page;
        page->name = QStringLiteral("ページ");
        category->pages.add(page, category);
        auto *group = new ContentGroup;
        group->name = QStringLiteral("コンテンツ");
        page->contentGroups.add(group, page);
        auto *sub = new ContentGroup;
        sub->name = QStringLiteral("サブ");
        group->subGroups.add(sub, group);
        group->contents.at(0)->name = QStringLiteral("内容");
        auto *plugin = new Page;
        plugin->name = QStringLiteral("プラグインページ");
        site.classifications.at(1)->pages.add(plugin, site.classifications.at(1));
        page->conditions.add(new Condition, page);

        QStringList lines;
        collectShown(&site, 0, lines);
        // Pages before sub-categories; contents before sub-groups; conditions never.
        const QStringList expected = {
            QStringLiteral("0:サイト/0"),
            QStringLiteral("1:メニュー/1"),
            QStringLiteral("2:カテゴリ/2"),
            QStringLiteral("3:ページ/4"),
            QStringLiteral("4:コンテンツ/5"),
            QStringLiteral("5:内容/0"),
            QStringLiteral("5:サブ/6"),
            QStringLiteral("6:内容/0"),
            QStringLiteral("3:リンク/3"),
            QStringLiteral("1:プラグイン/1"),
            QStringLiteral("2:プラグインページ/4"),
        };
        QCOMPARE(lines, expected);

        // The box shows its categories, pages and groups only.
        site.objectBox.putInBox(new Genre);
        auto *boxed = new Page;
        boxed->name = QStringLiteral("保管");
        site.objectBox.putInBox(boxed);
        QStringList boxLines;
        collectShown(&site.objectBox, 0, boxLines);
        QCOMPARE(boxLines, (QStringList{QStringLiteral("0:オブジェクトボックス/1"),
                                             QStringLiteral("1:保管/4")}));
    }

    void outputMarksAreClearedThroughTheTree()
    {
        Document global;
        Site site;
        auto *category = new Category;
        site.classifications.at(0)->categories.add(category, site.classifications.at(0));
        auto *page = new Page;
        category->pages.add(page, category);
        auto *group = new ContentGroup;
        page->contentGroups.add(group, page);
        for (velmo::Object *o : std::initializer_list<velmo::Object *>{
                 &site, site.classifications.at(0), category, page, group, group->contents.at(0)})
            o->outputMark = 1;
        page->outputFlags = Page::kOutputHomePage;
        site.clearOutputMarks();
        QCOMPARE(site.outputMark, 0);
        QCOMPARE(category->outputMark, 0);
        QCOMPARE(page->outputMark, 0);
        QCOMPARE(page->outputFlags, 0);
        QCOMPARE(group->outputMark, 0);
        QCOMPARE(group->contents.at(0)->outputMark, 0);
    }
};

// The one child walk: owned objects beyond the menu hierarchy, order, early stop, and lookups
// and references built on it.
void TestObjects::walksAndReferences()
{
    velmo::Site site;
    velmo::Classification *menu = site.classifications.first();
    auto *category = new velmo::Category;
    menu->categories.add(category, menu);
    auto *page = new velmo::Page;
    category->pages.add(page, category);
    auto *group = new velmo::ContentGroup;
    page->contentGroups.add(group, page);
    auto *boxed = new velmo::Page;
    site.objectBox.putInBox(boxed);

    QList<velmo::Object *> owned;
    site.forEachBelow(velmo::Children::Owned, [&owned](velmo::Object *object) {
        owned.append(object);
        return true;
    });
    // Site, menu, category, page, group and its content, the two other hierarchies, the box.
    QCOMPARE(owned.size(), 10);
    QCOMPARE(owned.mid(0, 6),
             (QList<velmo::Object *>{&site, menu, category, page, group, group->contents.first()}));
    QCOMPARE(owned.last(), boxed);
    int visited = 0;
    QVERIFY(!site.forEachBelow(velmo::Children::Owned,
                               [&visited](velmo::Object *) { return ++visited < 3; }));
    QCOMPARE(visited, 3);

    // Lookups follow the menu hierarchy only: the storage box is not searched from the site.
    QCOMPARE(site.findById(group->id), group);
    QCOMPARE(site.findById(boxed->id), nullptr);
    QCOMPARE(site.objectBox.findById(boxed->id), boxed);
    QCOMPARE(velmo::ancestorOf<velmo::Category>(group), category);
    QCOMPARE(velmo::ancestorOf<velmo::Page>(page), page);
    QCOMPARE(velmo::ancestorOf<velmo::Site>(boxed), nullptr);

    const velmo::ObjectRef ref(page);
    const velmo::ObjectRef again(page);
    QCOMPARE(ref.get(), page);
    QVERIFY(ref == again);
    QCOMPARE(ref.as<velmo::Category>(), nullptr);
    category->pages.removeAt(0);
    // Detached, not destroyed: still there.
    QCOMPARE(ref.as<velmo::Page>(), page);
    delete page;
    QVERIFY(ref.isNull());
    QVERIFY(again.isNull());
}

QTEST_GUILESS_MAIN(TestObjects)
#include "tst_objects.moc"
