// Document objects: construction defaults, identities, parent links, copies with fresh
// identities, child removal and what each class shows in the navigation tree.
#include "model/clock.h"
#include "model/fullwidthnumber.h"
#include "model/objectcopy.h"
#include "model/qcategory.h"
#include "model/qclassification.h"
#include "model/qcondition.h"
#include "model/qcontent.h"
#include "model/qcontentgroup.h"
#include "model/qgenre.h"
#include "model/qglobal.h"
#include "model/qobjectbox.h"
#include "model/qpage.h"
#include "model/qsite.h"

#include <QSet>
#include <QTest>

#include <memory>

using namespace velmo;

namespace {

// Records what AddToTree inserts, as "depth:name/icon" lines.
class RecordingTree : public QTreeSink
{
public:
    TreeItemHandle insertItem(TreeItemHandle parent, const QString &text, int image,
                              int selectedImage, velmo::QObject *) override
    {
        const int depth = parent == 0 ? 0 : depths.value(parent) + 1;
        const TreeItemHandle item = ++lastHandle;
        depths.insert(item, depth);
        lines << QStringLiteral("%1:%2/%3").arg(depth).arg(text).arg(image);
        Q_ASSERT(image == selectedImage);
        return item;
    }
    void restoreItemState(TreeItemHandle item, int state, int checkState) override
    {
        restored << QStringLiteral("%1:%2:%3").arg(item).arg(state).arg(checkState);
    }
    void expandItem(TreeItemHandle item) override { expanded << item; }

    QStringList lines;
    QStringList restored;
    QList<TreeItemHandle> expanded;
    QHash<TreeItemHandle, int> depths;
    TreeItemHandle lastHandle = 0;
};

// Every identity in a subtree, through the lists that a copy duplicates.
void collectIds(const velmo::QObject *object, QList<QID> &ids)
{
    ids << object->id;
    if (auto *category = dynamic_cast<const QCategory *>(object)) {
        for (auto *page : category->pages)
            collectIds(page, ids);
        for (auto *sub : category->categories)
            collectIds(sub, ids);
    } else if (auto *page = dynamic_cast<const QPage *>(object)) {
        for (auto *group : page->contentGroups)
            collectIds(group, ids);
        for (auto *condition : page->conditions)
            collectIds(condition, ids);
    } else if (auto *group = dynamic_cast<const QContentGroup *>(object)) {
        for (auto *sub : group->subGroups)
            collectIds(sub, ids);
        for (auto *content : group->contents)
            collectIds(content, ids);
        for (auto *related : group->relatedGroups)
            collectIds(related, ids);
    }
}

// Every object's parentId equals the identity of the object that owns it.
void verifyParentIds(const velmo::QObject *object)
{
    auto check = [object](const velmo::QObject *child) {
        QCOMPARE(child->parent(), object);
        QCOMPARE(child->parentId, object->id);
        verifyParentIds(child);
    };
    if (auto *category = dynamic_cast<const QCategory *>(object)) {
        for (auto *page : category->pages)
            check(page);
        for (auto *sub : category->categories)
            check(sub);
    } else if (auto *page = dynamic_cast<const QPage *>(object)) {
        for (auto *group : page->contentGroups)
            check(group);
        for (auto *condition : page->conditions)
            check(condition);
    } else if (auto *group = dynamic_cast<const QContentGroup *>(object)) {
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
std::unique_ptr<QCategory> makeCategoryTree()
{
    auto category = std::make_unique<QCategory>();
    category->name = QStringLiteral("商品");
    for (int i = 0; i < 2; ++i) {
        auto *page = new QPage;
        page->title = QStringLiteral("ページ%1").arg(i);
        category->pages.Add(page, category.get());
        auto *group = new QContentGroup;
        page->contentGroups.Add(group, page);
        auto *sub = new QContentGroup;
        group->subGroups.Add(sub, group);
        group->relatedGroups.Add(new QContentGroup, group);
        auto *condition = new QCondition;
        condition->targets << QID(1, 2) << QID(3, 4);
        page->conditions.Add(condition, page);
    }
    auto *sub = new QCategory;
    sub->pages.Add(new QPage, sub);
    category->categories.Add(sub, category.get());
    return category;
}

} // namespace

class TestObjects : public ::QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { setClockOverride(1700000000); }
    void cleanup() { setClockOverride(std::nullopt); }

    void identities()
    {
        QGlobal global;
        QCOMPARE(sequenceCounter, 0);
        QContent a;
        QContent b;
        // Identity and the initial parent identity each take a counter value.
        QCOMPARE(a.id, QID(1700000000, 0));
        QCOMPARE(a.parentId, QID(1700000000, 1));
        QCOMPARE(b.id.seq, 2);
        QVERIFY(a.id != b.id);
        QCOMPARE(QID(0, 7).ToText(), QStringLiteral("0_7"));
        QCOMPARE(QID(-5, -1).ToText(), QStringLiteral("-5_-1"));
        QVERIFY(QID().isNull());

        // A category's link target takes one more value; a condition's reference likewise.
        const qint32 before = sequenceCounter;
        QCategory category;
        QCOMPARE(sequenceCounter, before + 3);
        QVERIFY(category.linkTarget.isNull());
        QCondition condition;
        QCOMPARE(sequenceCounter, before + 6);
        QVERIFY(!condition.reference.isNull());

        // A new QGlobal starts the count again.
        QGlobal again;
        QCOMPARE(sequenceCounter, 0);
    }

    void constructionDefaults()
    {
        QGlobal global;
        sequenceCounter = 41;
        QCategory category;
        QCOMPARE(category.id.seq, 41);
        QCOMPARE(category.folderName, QStringLiteral("menu_41"));
        QCOMPARE(category.kind, QCategory::kKindOrdinary);
        QCOMPARE(category.typeCode, 30);
        QCOMPARE(category.enabled, 1);
        QCOMPARE(category.createdTime, qint64(1700000000));

        sequenceCounter = 7;
        QPage page;
        QCOMPARE(page.fileName, QStringLiteral("page_7_"));

        QContentGroup group;
        QCOMPARE(group.kind, QContentGroup::kKindDefault);
        QCOMPARE(group.contents.count(), 1);
        QCOMPARE(group.contents.at(0)->name, QStringLiteral("内容"));
        QCOMPARE(group.contents.at(0)->kind, QContent::kKindLongText);
        QCOMPARE(group.contents.at(0)->parent(), &group);

        QSite site;
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

        QCOMPARE(FullWidthNumber(0), QStringLiteral("０"));
        QCOMPARE(FullWidthNumber(10), QStringLiteral("１０"));
        QCOMPARE(FullWidthNumber(123), QStringLiteral("１２３"));
    }

    void listsOwnAndDetach()
    {
        QGlobal global;
        QCategory owner;
        auto *a = new QPage;
        auto *b = new QPage;
        QCOMPARE(owner.pages.Add(a, &owner), 1);
        QCOMPARE(owner.pages.Add(b, &owner), 2);
        QCOMPARE(a->parentId, owner.id);
        QCOMPARE(owner.pages.IndexOf(b->id), 1);
        QCOMPARE(owner.pages.IndexOf(QID(9, 9)), -1);
        QCOMPARE(owner.pages.at(2), nullptr);
        QCOMPARE(owner.pages.at(-1), nullptr);
        QCOMPARE(owner.pages.FindInList(b->id), b);

        QCOMPARE(owner.pages.RemoveAt(-1), -1);
        QCOMPARE(owner.pages.RemoveAt(5), -1);
        QCOMPARE(owner.pages.RemoveAt(0), 1);
        std::unique_ptr<QPage> detached(a);
        QCOMPARE(a->parent(), nullptr);
        QCOMPARE(a->parentId, QID());

        owner.pages.Release();
        QCOMPARE(owner.pages.count(), 0);
        std::unique_ptr<QPage> released(b);
        QCOMPARE(b->parent(), &owner); // release does not touch the elements
    }

    void removeChildNeedsTheVeryObject()
    {
        QGlobal global;
        QCategory category;
        auto *page = new QPage;
        category.pages.Add(page, &category);

        // Same identity, different object: refused, list unchanged.
        QPage impostor;
        impostor.id = page->id;
        QCOMPARE(category.RemoveChild(&impostor), 0);
        QCOMPARE(category.pages.count(), 1);

        // A class the parent does not hold in that list.
        QContentGroup group;
        QCOMPARE(category.RemoveChild(&group), 0);
        QCOMPARE(category.RemoveChild(nullptr), 0);

        QCOMPARE(category.RemoveChild(page), 1);
        std::unique_ptr<QPage> owned(page);
        QCOMPARE(category.pages.count(), 0);
        QCOMPARE(page->parentId, QID());

        // A classification never gives up one of its own pages this way.
        QClassification classification;
        auto *pluginPage = new QPage;
        classification.pages.Add(pluginPage, &classification);
        QCOMPARE(classification.RemoveChild(pluginPage), 0);
        QCOMPARE(classification.pages.count(), 1);

        // The page's own removal of a group.
        QPage holder;
        auto *g1 = new QContentGroup;
        auto *g2 = new QContentGroup;
        holder.contentGroups.Add(g1, &holder);
        holder.contentGroups.Add(g2, &holder);
        QContentGroup stranger;
        QCOMPARE(holder.RemoveContentGroup(&stranger), -1);
        QCOMPARE(holder.RemoveContentGroup(g1), 1);
        delete g1;
        QCOMPARE(holder.contentGroups.at(0), g2);
    }

    void copyKeepsIdentitiesAndPointsChildrenAtTheSource()
    {
        QGlobal global;
        auto source = makeCategoryTree();
        QCategory copy;
        copy.CopyFrom(*source);
        QCOMPARE(copy.id, source->id);
        QCOMPARE(copy.pages.count(), 2);
        QCOMPARE(copy.pages.at(0)->id, source->pages.at(0)->id);
        QCOMPARE(copy.pages.at(1)->title, QStringLiteral("ページ1"));
        // A working copy's children point at the object that was copied.
        QCOMPARE(copy.pages.at(0)->parent(), source.get());
        QCOMPARE(copy.pages.at(0)->parentId, source->id);
        QVERIFY(copy.pages.at(0) != source->pages.at(0));
        const QCondition *condition = copy.pages.at(0)->conditions.at(0);
        QCOMPARE(condition->targets, (QList<QID>{QID(1, 2), QID(3, 4)}));
        QCOMPARE(copy.pages.at(0)->contentGroups.at(0)->relatedGroups.count(), 1);
    }

    void assignFreshIdsSharesNothingWithTheSource()
    {
        QGlobal global;
        auto source = makeCategoryTree();
        QList<QID> sourceIds;
        collectIds(source.get(), sourceIds);

        std::unique_ptr<velmo::QObject> duplicate = duplicateSubtree(*source);
        QList<QID> copyIds;
        collectIds(duplicate.get(), copyIds);
        QCOMPARE(copyIds.size(), sourceIds.size());
        const QSet<QID> sourceSet(sourceIds.begin(), sourceIds.end());
        for (const QID &id : copyIds)
            QVERIFY2(!sourceSet.contains(id), qPrintable(id.ToText()));
        const QSet<QID> copySet(copyIds.begin(), copyIds.end());
        QCOMPARE(copySet.size(), copyIds.size());
        verifyParentIds(duplicate.get());
        // The source is untouched.
        verifyParentIds(source.get());
        QList<QID> again;
        collectIds(source.get(), again);
        QCOMPARE(again, sourceIds);
    }

    void treeShowsWhatEachClassShows()
    {
        QGlobal global;
        QSite site;
        site.name = QStringLiteral("サイト");
        // A fourth hierarchy and the data hierarchy are never shown.
        auto *extra = new QClassification;
        extra->name = QStringLiteral("追加");
        site.classifications.Add(extra, &site);
        auto *category = new QCategory;
        category->name = QStringLiteral("カテゴリ");
        site.classifications.at(0)->categories.Add(category, site.classifications.at(0));
        auto *link = new QCategory;
        link->name = QStringLiteral("リンク");
        link->setLinkMenu(true);
        category->categories.Add(link, category);
        auto *page = new QPage;
        page->name = QStringLiteral("ページ");
        category->pages.Add(page, category);
        auto *group = new QContentGroup;
        group->name = QStringLiteral("コンテンツ");
        page->contentGroups.Add(group, page);
        auto *sub = new QContentGroup;
        sub->name = QStringLiteral("サブ");
        group->subGroups.Add(sub, group);
        group->contents.at(0)->name = QStringLiteral("内容");
        auto *plugin = new QPage;
        plugin->name = QStringLiteral("プラグインページ");
        site.classifications.at(1)->pages.Add(plugin, site.classifications.at(1));
        page->conditions.Add(new QCondition, page);

        RecordingTree tree;
        QList<TreeItemHandle> inserted;
        category->treeItemState = QTreeSink::kStateExpanded | 0x1000;
        QCOMPARE(site.AddToTree(0, tree, &inserted, true), 1);
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
        QCOMPARE(tree.lines, expected);
        QCOMPARE(inserted.size(), expected.size());
        QCOMPARE(tree.expanded, QList<TreeItemHandle>{1});
        QCOMPARE(category->treeItem, TreeItemHandle(3));
        // Only the expanded and selected bits are restored.
        QVERIFY(tree.restored.contains(QStringLiteral("3:32:0")));

        // The box shows its categories, pages and groups only.
        site.objectBox.PutInBox(new QGenre);
        auto *boxed = new QPage;
        boxed->name = QStringLiteral("保管");
        site.objectBox.PutInBox(boxed);
        RecordingTree boxTree;
        site.objectBox.AddToTree(0, boxTree, nullptr, false);
        QCOMPARE(boxTree.lines, (QStringList{QStringLiteral("0:オブジェクトボックス/1"),
                                             QStringLiteral("1:保管/4")}));
    }

    void outputMarksAreClearedThroughTheTree()
    {
        QGlobal global;
        QSite site;
        auto *category = new QCategory;
        site.classifications.at(0)->categories.Add(category, site.classifications.at(0));
        auto *page = new QPage;
        category->pages.Add(page, category);
        auto *group = new QContentGroup;
        page->contentGroups.Add(group, page);
        for (velmo::QObject *o : std::initializer_list<velmo::QObject *>{
                 &site, site.classifications.at(0), category, page, group, group->contents.at(0)})
            o->outputMark = 1;
        page->outputFlags = QPage::kOutputHomePage;
        site.ClearOutputMarks();
        QCOMPARE(site.outputMark, 0);
        QCOMPARE(category->outputMark, 0);
        QCOMPARE(page->outputMark, 0);
        QCOMPARE(page->outputFlags, 0);
        QCOMPARE(group->outputMark, 0);
        QCOMPARE(group->contents.at(0)->outputMark, 0);
    }
};

QTEST_GUILESS_MAIN(TestObjects)
#include "tst_objects.moc"
