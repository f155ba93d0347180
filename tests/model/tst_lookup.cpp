// The root's shared operations and the lookups over a site: finding by identity, the first
// content group, the owning category, the current site, the output walk and the built-in
// catalogue.
#include <QDateTime>
#include <QSignalSpy>
#include <QTest>

#include "model/category.h"
#include "model/classification.h"
#include "model/condition.h"
#include "model/content.h"
#include "model/contentgroup.h"
#include "model/document.h"
#include "model/genre.h"
#include "model/lookup.h"
#include "model/objectbox.h"
#include "model/objectlistdisplay.h"
#include "model/page.h"
#include "model/site.h"
#include "recordingreporter.h"

using namespace velmo;

namespace {

const QString kNoCurrentSite = QStringLiteral("選択サイトが取得できませんでした。");
const QString kCannotSelect = QStringLiteral("サイトが選択できませんでした。");

template<class T>
T *addTo(auto &list, velmo::Object *owner, const QString &name = QString())
{
    auto *object = new T;
    object->name = name;
    list.add(object, owner);
    return object;
}

// A site of the document with:
//   メニュー: A (folder menu_a) { pageA1 { g1 { g1sub }, g2 }, B (menu_b) { pageB1 { gB } } }
//             Empty (no pages) { Deep { pageDeep { gDeep } } }
//   プラグイン: pluginPage { gPlugin }
struct Fixture
{
    explicit Fixture(Document &global)
    {
        site = global.createSite();
        menu = site->classifications.at(0);
        plugin = site->classifications.at(1);
        a = addTo<Category>(menu->categories, menu, QStringLiteral("A"));
        a->folderName = QStringLiteral("menu_a");
        pageA1 = addTo<Page>(a->pages, a, QStringLiteral("A1"));
        g1 = addTo<ContentGroup>(pageA1->contentGroups, pageA1);
        g1sub = addTo<ContentGroup>(g1->subGroups, g1);
        g2 = addTo<ContentGroup>(pageA1->contentGroups, pageA1);
        b = addTo<Category>(a->categories, a, QStringLiteral("B"));
        b->folderName = QStringLiteral("menu_b");
        pageB1 = addTo<Page>(b->pages, b);
        gB = addTo<ContentGroup>(pageB1->contentGroups, pageB1);
        empty = addTo<Category>(menu->categories, menu);
        deep = addTo<Category>(empty->categories, empty);
        pageDeep = addTo<Page>(deep->pages, deep);
        gDeep = addTo<ContentGroup>(pageDeep->contentGroups, pageDeep);
        pluginPage = addTo<Page>(plugin->pages, plugin);
        gPlugin = addTo<ContentGroup>(pluginPage->contentGroups, pluginPage);
    }

    Site *site;
    Classification *menu, *plugin;
    Category *a, *b, *empty, *deep;
    Page *pageA1, *pageB1, *pageDeep, *pluginPage;
    ContentGroup *g1, *g1sub, *g2, *gB, *gDeep, *gPlugin;
};

// Remembers the chain and path handed to it by the site.
class RecordingGenerator : public PageGenerator
{
public:
    int generatePage(Site &target, OutputContext &context, const QString &subFolder,
                     ObjectChain &chain) override
    {
        ++calls;
        site = &target;
        path = subFolder;
        names.clear();
        for (velmo::Object *o : chain) {
            names << o->name;
            marked &= o->outputMark == 1;
        }
        context.outputPath = QStringLiteral("/out/") + subFolder;
        return 1;
    }
    int calls = 0;
    Site *site = nullptr;
    QString path;
    QStringList names;
    bool marked = true;
};

} // namespace

class TestLookup : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void findById()
    {
        Document global;
        Fixture f(global);
        QCOMPARE(f.site->findById(f.site->id), f.site);
        QCOMPARE(f.site->findById(f.gDeep->id), f.gDeep);
        QCOMPARE(f.site->findById(f.g1sub->id), f.g1sub);
        QCOMPARE(f.site->findById(f.g1->contents.at(0)->id), f.g1->contents.at(0));
        QCOMPARE(f.site->findById(ObjectId(123, 456)), nullptr);
        // A hierarchy does not search its own pages.
        QCOMPARE(f.plugin->findById(f.pluginPage->id), nullptr);
        QCOMPARE(f.site->findById(f.gPlugin->id), nullptr);
        // Related groups and conditions are not searched.
        auto *related = addTo<ContentGroup>(f.g2->relatedGroups, f.g2);
        QCOMPARE(f.site->findById(related->id), nullptr);
        auto *condition = addTo<Condition>(f.pageA1->conditions, f.pageA1);
        QCOMPARE(f.site->findById(condition->id), nullptr);
        // The first match wins when two objects share an identity.
        f.gB->id = f.g2->id;
        QCOMPARE(f.site->findById(f.g2->id), f.g2);

        // The box: the site does not search it; the box searches its elements' subtrees and
        // compares other elements by identity only.
        QCOMPARE(global.setCurrentSite(f.site), 1);
        QVERIFY(global.moveObject(f.pageB1, &f.site->objectBox, -1));
        QCOMPARE(f.site->findById(f.pageB1->id), nullptr);
        QCOMPARE(f.site->objectBox.findById(f.pageB1->id), f.pageB1);
        QCOMPARE(f.site->objectBox.findById(f.gB->id), f.gB);
        QCOMPARE(f.pageB1->parent(), &f.site->objectBox);
        auto *content = new Content;
        f.site->objectBox.putInBox(content);
        QCOMPARE(f.site->objectBox.findById(content->id), content);
        QCOMPARE(f.site->objectBox.findById(f.site->objectBox.id), &f.site->objectBox);
    }

    void firstContentGroupAndOwningCategory()
    {
        Document global;
        Fixture f(global);
        QCOMPARE(firstContentGroup(f.site), f.g1);
        QCOMPARE(firstContentGroup(f.b), f.gB);
        QCOMPARE(firstContentGroup(f.g1sub), f.g1sub);
        // A category without pages descends into its first sub-category.
        QCOMPARE(firstContentGroup(f.empty), f.gDeep);
        QCOMPARE(firstContentGroup(f.site->classifications.at(2)), nullptr);
        QCOMPARE(firstContentGroup(f.g1->contents.at(0)), nullptr);
        QCOMPARE(firstContentGroup(nullptr), nullptr);

        QCOMPARE(owningCategory(f.site), f.a);
        QCOMPARE(owningCategory(f.menu), f.a);
        QCOMPARE(owningCategory(f.b), f.b);
        QCOMPARE(owningCategory(f.pageB1), f.b);
        QCOMPARE(owningCategory(f.g1sub), f.a);
        // Plug-in pages hang under a hierarchy, not a category.
        QCOMPARE(owningCategory(f.gPlugin), nullptr);
        QCOMPARE(owningCategory(f.pluginPage), nullptr);
        QCOMPARE(owningCategory(f.plugin), nullptr);

        QVERIFY(f.a->isHomeCategory());
        QVERIFY(!f.b->isHomeCategory());
        QVERIFY(!f.empty->isHomeCategory());
        Category loose;
        QVERIFY(!loose.isHomeCategory());
    }

    void currentSite()
    {
        Document global;
        RecordingReporter reporter;
        global.setReporter(&reporter);
        Fixture f(global);

        QCOMPARE(global.getCurrentSite(), nullptr);
        QCOMPARE(reporter.messages, QStringList{kNoCurrentSite});

        // Not a site, a site of no document, a copy with the same identity.
        QCOMPARE(global.setCurrentSite(f.a), 0);
        Site stranger;
        QCOMPARE(global.setCurrentSite(&stranger), 0);
        QCOMPARE(global.setCurrentSite(nullptr), 0);
        QCOMPARE(reporter.messages.count(kCannotSelect), 3);

        QCOMPARE(global.setCurrentSite(f.site), 1);
        QCOMPARE(global.getCurrentSite(), f.site);

        // A site taken out of the document is no longer current, even behind its back.
        QCOMPARE(global.sites.removeAt(0), 0);
        QCOMPARE(global.getCurrentSite(), nullptr);
        QVERIFY(global.insertObject(nullptr, f.site));
        QCOMPARE(global.setCurrentSite(f.site), 1);
        QCOMPARE(global.takeObject(f.site), 0);
        std::unique_ptr<Site> removed(f.site);
        QCOMPARE(global.currentSiteUnchecked(), nullptr);

        // "New" forgets the selection and the preview areas, keeps the catalogues.
        global.addBuiltInCatalogue();
        global.previewAreas.append({0, QStringLiteral("<!--__x__-->(*)")});
        global.previewAreaFlag = 1;
        QSignalSpy aboutToReset(&global, &Document::aboutToReset);
        global.createSite();
        global.newDocument();
        QCOMPARE(aboutToReset.count(), 1);
        QCOMPARE(global.sites.count(), 0);
        QCOMPARE(global.currentSiteUnchecked(), nullptr);
        QVERIFY(global.previewAreas.isEmpty());
        QCOMPARE(global.previewAreaFlag, 0);
        QCOMPARE(global.partTypes.count(), 12);
    }


    void editOperationsAnnounceWhatTheyDo()
    {
        Document global;
        Fixture f(global);
        QSignalSpy inserted(&global, &Document::objectInserted);
        QSignalSpy removed(&global, &Document::objectRemoved);
        QSignalSpy moved(&global, &Document::objectMoved);
        QSignalSpy changed(&global, &Document::objectChanged);

        // Within the list: the index is where the entry goes among the others.
        QVERIFY(global.moveObject(f.g1, f.pageA1, 1));
        QCOMPARE(f.pageA1->contentGroups.at(1), f.g1);
        QCOMPARE(moved.count(), 1);
        QCOMPARE(moved.at(0).at(1).value<velmo::Object *>(), f.pageA1);
        // Into another owner's list for the class; a pair without such a list changes nothing.
        QVERIFY(global.moveObject(f.pageB1, &f.site->objectBox, -1));
        QCOMPARE(f.pageB1->parent(), &f.site->objectBox);
        QVERIFY(!global.moveObject(f.pageB1, f.menu->categories.at(0)->pages.at(0), -1));
        QVERIFY(!global.moveObject(f.a, f.pageA1, 0));
        QCOMPARE(moved.count(), 2);

        const int index = global.takeObject(f.b);
        QCOMPARE(index, 0);
        QCOMPARE(f.b->parent(), nullptr);
        QCOMPARE(removed.count(), 1);
        QCOMPARE(removed.at(0).at(1).value<velmo::Object *>(), f.a);
        QCOMPARE(global.takeObject(f.b), -1);
        // A detached object goes back; one still in a list never goes into a second.
        QVERIFY(!global.insertObject(f.menu, f.pageA1));
        QVERIFY(global.insertObject(f.a, f.b, index));
        QCOMPARE(f.a->categories.at(0), f.b);
        QCOMPARE(inserted.count(), 1);

        QVERIFY(global.setField(f.pageA1, Field::Title, QStringLiteral("題")));
        QVERIFY(global.setField(f.pageA1, Field::Title, QStringLiteral("題")));
        QCOMPARE(changed.count(), 1);
        QVERIFY(!global.setField(f.pageA1, Field::FolderName, QStringLiteral("x")));
        QVERIFY(!global.setField(f.pageA1, Field::Title, qint32(1)));
        QCOMPARE(f.pageA1->title, QStringLiteral("題"));
    }

    void outputWalk()
    {
        Document global;
        Fixture f(global);
        RecordingGenerator generator;
        OutputContext context{&generator, {}};
        QString path = QStringLiteral("leftover");
        ObjectChain chain;
        f.g1sub->name = QStringLiteral("sub");
        f.g1->name = QStringLiteral("g1");
        f.pageA1->name = QStringLiteral("A1");
        QCOMPARE(f.g1sub->contents.at(0)->outputThroughSite(context, path, chain), 1);
        // From a page under A (menu_a) and B (menu_b)…
        chain.clear();
        f.pageB1->name = QStringLiteral("B1");
        QCOMPARE(f.pageB1->outputThroughSite(context, path, chain), 1);
        QCOMPARE(generator.path, QStringLiteral("menu_a/menu_b"));
        QCOMPARE(generator.names,
                 (QStringList{QStringLiteral("B1"), QStringLiteral("B"), QStringLiteral("A"),
                              QStringLiteral("メニュー"), QString()}));
        QCOMPARE(generator.site, f.site);
        QVERIFY(generator.marked);
        QCOMPARE(context.outputPath, QStringLiteral("/out/menu_a/menu_b"));
        // The previous walk's marks were cleared before this one was marked.
        QCOMPARE(f.g1sub->outputMark, 0);
        QCOMPARE(f.b->outputMark, 1);

        // A content walks through its groups; the page empties the path first.
        chain.clear();
        path = QStringLiteral("junk");
        QCOMPARE(f.g1sub->contents.at(0)->outputThroughSite(context, path, chain), 1);
        QCOMPARE(generator.path, QStringLiteral("menu_a"));
        QCOMPARE(chain.size(), 7);

        // A group hanging under a category, or an object in the box, ends the walk.
        const int calls = generator.calls;
        auto *stray = addTo<ContentGroup>(f.gB->subGroups, f.gB);
        QCOMPARE(f.b->removeChild(f.pageB1), 1);
        std::unique_ptr<Page> detached(f.pageB1);
        chain.clear();
        QCOMPARE(stray->outputThroughSite(context, path, chain), 0);
        QCOMPARE(chain.size(), 3);
        QCOMPARE(generator.calls, calls);

        // Plug-in pages walk through their hierarchy; without a generator nothing is written.
        chain.clear();
        OutputContext bare;
        QCOMPARE(f.gPlugin->outputThroughSite(bare, path, chain), 0);
        QCOMPARE(chain.last(), f.site);
        QCOMPARE(path, QString());
        QCOMPARE(f.pluginPage->outputMark, 1);
    }

    void objectListDisplay()
    {
        Document global;
        Fixture f(global);
        f.site->author = QStringLiteral("山田");
        f.site->createdTime = QDateTime(QDate(2024, 3, 5), QTime(7, 8, 9)).toSecsSinceEpoch();
        GenreList genres;
        QCOMPARE(ObjectListDisplay::headers(genres.first()).last(), QStringLiteral("..."));

        const QList<ObjectListDisplay::Row> sites = ObjectListDisplay::rows(global.sites);
        QCOMPARE(ObjectListDisplay::headers(global.sites.first()),
                 (QStringList{QStringLiteral("ＩＤ"), QStringLiteral("名称"),
                              QStringLiteral("作成日時"), QStringLiteral("製作者")}));
        QCOMPARE(sites.size(), 1);
        QCOMPARE(sites[0].cells,
                 (QStringList{f.site->id.toText(), QString(), QStringLiteral("2024/03/05 07:08:09"),
                              QStringLiteral("山田")}));
        // Pages and conditions repeat their header; categories show their update time.
        QCOMPARE(ObjectListDisplay::row(f.pageA1).cells.last(), QStringLiteral("タイトル"));
        f.a->updatedTime = f.site->createdTime;
        QCOMPARE(ObjectListDisplay::row(f.a).cells.last(), QStringLiteral("2024/03/05 07:08:09"));
        QCOMPARE(ObjectListDisplay::headers(f.g1).last(), QStringLiteral("タイプｓ"));
        QCOMPARE(ObjectListDisplay::row(f.site->classifications.at(0)).cells.last(), QString());
    }

    void builtInCatalogue()
    {
        Document global;
        global.addBuiltInCatalogue();
        QCOMPARE(global.partTypes.count(), 12);
        const qint32 codes[] = {0x40000001, 0x40000002, 0x40000004, 0x40000008,
                                0x40000010, 0x40000020, 0x40000100, 0x40000200,
                                0x40000400, 0x40001000, 0x40010000, 0x40020000};
        for (int i = 0; i < 12; ++i) {
            QCOMPARE(global.partTypes.at(i)->id, ObjectId(0, codes[i]));
            QCOMPARE(global.partTypes.at(i)->kind, codes[i]);
            QCOMPARE(global.partTypes.at(i)->parent(), nullptr);
        }
        QCOMPARE(global.partTypes.at(0)->name, QStringLiteral("短い文字列(255)"));
        QCOMPARE(global.partTypes.at(11)->name, QStringLiteral("画像リンク"));
        QCOMPARE(global.contentTypes.count(), 1);
        const ContentGroup *type = global.contentTypes.at(0);
        QCOMPARE(type->id, ObjectId(0, qint32(0x80001000u)));
        QCOMPARE(type->name, QStringLiteral("文章(通常)"));
        QCOMPARE(type->parentId, ObjectId());
        QStringList parts;
        for (const Content *c : type->contents) {
            parts << c->name;
            QCOMPARE(c->kind, Content::kKindLongText);
            QCOMPARE(c->parent(), type);
            QCOMPARE(c->parentId, type->id);
        }
        QCOMPARE(parts, (QStringList{QStringLiteral("内容"), QStringLiteral("章のタイトル"),
                                     QStringLiteral("章の内容")}));

        // Once per run, and never over entries a document already holds.
        global.addBuiltInCatalogue();
        QCOMPARE(global.partTypes.count(), 12);
        Document nextRun;
        auto *userType = new Content;
        userType->name = QStringLiteral("利用者の型");
        nextRun.partTypes.add(userType, nullptr);
        auto *kept = new Content;
        kept->id = ObjectId(0, 0x40000004);
        kept->name = QStringLiteral("リンク（文書の）");
        nextRun.partTypes.add(kept, nullptr);
        nextRun.addBuiltInCatalogue();
        QCOMPARE(nextRun.partTypes.count(), 13);
        QCOMPARE(nextRun.partTypes.at(0), userType);
        QCOMPARE(nextRun.partTypes.at(1)->name, QStringLiteral("リンク（文書の）"));
    }
};

QTEST_GUILESS_MAIN(TestLookup)
#include "tst_lookup.moc"
