// The object tree on its own: what it shows of a root, rows and icons that follow the document's
// commands without a refill, expansion that survives objects going and coming back, selection
// reports and previews, objects taken out while selected, and names that are not edited in place.
#include <QLineEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "app/documentcontroller.h"
#include "app/objecttree.h"
#include "app/objecttreemodel.h"
#include "app/treeimagelist.h"
#include "model/category.h"
#include "model/classification.h"
#include "model/contentgroup.h"
#include "model/document.h"
#include "model/objectcommands.h"
#include "model/page.h"
#include "model/site.h"
#include "navtestsupport.h"
#include "recordingreporter.h"
#include "textfiles.h"

using namespace Qt::StringLiterals;
using navtest::childLabels;
using navtest::findItem;

namespace {

QImage iconImage(const QModelIndex &index)
{
    return index.data(Qt::DecorationRole).value<QIcon>().pixmap(16, 16).toImage();
}

QImage listImage(int index)
{
    return TreeImageList::shared().icon(index).pixmap(16, 16).toImage();
}

const QStringList kMenu = {u"テストサイト"_s, u"メニュー"_s};
const QStringList kNews = kMenu + QStringList{u"お知らせ"_s};
const QStringList kAbout = kMenu + QStringList{u"会社概要"_s};

} // namespace

class TestObjectTree : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void rootShowsTheHierarchy();
    void iconsFollowTheObjects();
    void rowsFollowCommandsWithoutRefill();
    void expansionSurvivesCommandsAndRoots();
    void selectionIsReportedAndPreviewed_data();
    void selectionIsReportedAndPreviewed();
    void untrackedTreeReportsNothing();
    void objectsTakenOutLeaveTheTree();
    void anyObjectMayBeTheRoot();
    void namesAreNotEditedInPlace();

private:
    QTemporaryDir m_dir;
    RecordingReporter m_reporter;
    std::unique_ptr<velmo::Document> m_global;
    std::unique_ptr<DocumentController> m_controller;
    std::unique_ptr<ObjectTree> m_tree;
    navtest::SampleSite m_site;
};

void TestObjectTree::init()
{
    m_reporter.messages.clear();
    m_global = std::make_unique<velmo::Document>(m_dir.path());
    m_global->setReporter(&m_reporter);
    navtest::writeTemplate(m_dir.filePath(u"tpl"_s));
    m_site = navtest::makeSampleSite(*m_global, m_dir.filePath(u"tpl"_s));
    m_global->setCurrentSite(m_site.site);
    m_controller = std::make_unique<DocumentController>(*m_global);
    m_tree = std::make_unique<ObjectTree>(*m_global);
    m_tree->connectController(*m_controller);
    m_tree->resize(300, 500);
    m_tree->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_tree.get()));
}

void TestObjectTree::cleanup()
{
    m_tree.reset();
    m_controller.reset();
    m_global.reset();
}

void TestObjectTree::rootShowsTheHierarchy()
{
    m_tree->setRoot(m_site.site);
    QCOMPARE(m_tree->model()->rowCount(), 1);
    const QModelIndex site = m_tree->model()->index(0, 0);
    QCOMPARE(site.data().toString(), u"テストサイト"_s);
    // The site shows two hierarchies of its three, and expands itself.
    QCOMPARE(childLabels(site), QStringList({u"メニュー"_s, u"プラグイン"_s}));
    QVERIFY(m_tree->isExpanded(site));
    // A category shows its pages before its sub-categories.
    QCOMPARE(childLabels(findItem(m_tree.get(), kNews)),
             QStringList({u"ニュース1"_s, u"ニュース2"_s, u"過去ログ"_s}));
    const QModelIndex body =
        findItem(m_tree.get(), kNews + QStringList{u"ニュース2"_s, u"本文2"_s});
    QVERIFY(body.isValid());
    QCOMPARE(m_tree->objectAt(body), m_site.news2Body);
    QCOMPARE(m_tree->rootObject(), m_site.site);
    // Every object shown has its row, and each object leads to it.
    QCOMPARE(m_tree->objectModel()->nodeCount(), 15);
    QCOMPARE(m_tree->indexOf(m_site.site), site);
    QCOMPARE(m_tree->indexOf(m_site.news2Body), body);
}

void TestObjectTree::iconsFollowTheObjects()
{
    m_site.about->setLinkMenu(true);
    auto *nested = new velmo::ContentGroup;
    nested->name = u"入れ子"_s;
    m_site.news1Body->subGroups.add(nested, m_site.news1Body);
    m_tree->setRoot(m_site.site);

    QCOMPARE(iconImage(m_tree->model()->index(0, 0)), listImage(TreeImageList::kSite));
    QCOMPARE(iconImage(findItem(m_tree.get(), kMenu)), listImage(TreeImageList::kHierarchy));
    QCOMPARE(iconImage(findItem(m_tree.get(), kNews)), listImage(TreeImageList::kCategory));
    QCOMPARE(iconImage(findItem(m_tree.get(), kAbout)), listImage(TreeImageList::kLinkMenu));
    QCOMPARE(iconImage(findItem(m_tree.get(), kNews + QStringList{u"ニュース1"_s})),
             listImage(TreeImageList::kPage));
    QCOMPARE(iconImage(findItem(m_tree.get(), kNews + QStringList{u"ニュース1"_s, u"本文"_s})),
             listImage(TreeImageList::kPageGroup));
    QCOMPARE(iconImage(findItem(m_tree.get(),
                                kNews + QStringList{u"ニュース1"_s, u"本文"_s, u"入れ子"_s})),
             listImage(TreeImageList::kNestedGroup));
    // The link-menu box changes the icon of the row in place.
    m_controller->setLinkMenu(m_site.about, false);
    QCOMPARE(iconImage(findItem(m_tree.get(), kAbout)), listImage(TreeImageList::kCategory));
    // A group dropped onto a page becomes a page's group.
    QVERIFY(m_controller->drop(nested, m_site.history, false));
    QCOMPARE(iconImage(m_tree->indexOf(nested)), listImage(TreeImageList::kPageGroup));
    // Ten distinct drawings.
    QCOMPARE(TreeImageList::shared().count(), 10);
    for (int i = 0; i < TreeImageList::kCount; ++i) {
        QVERIFY(!TreeImageList::shared().icon(i).isNull());
        for (int j = i + 1; j < TreeImageList::kCount; ++j)
            QVERIFY2(listImage(i) != listImage(j), qPrintable(u"%1 %2"_s.arg(i).arg(j)));
    }
}

void TestObjectTree::rowsFollowCommandsWithoutRefill()
{
    m_tree->setRoot(m_site.site);
    const QPersistentModelIndex news1 = findItem(m_tree.get(), kNews + QStringList{u"ニュース1"_s});
    QSignalSpy resets(m_tree->model(), &QAbstractItemModel::modelReset);

    m_controller->renameObject(m_site.news1, u"改名"_s);
    QCOMPARE(news1.data().toString(), u"改名"_s);
    // A new page comes in after the category's pages, before its sub-categories.
    m_controller->runCommand(velmo::ObjectCommands::NewPage, m_site.news);
    QCOMPARE(childLabels(findItem(m_tree.get(), kNews)),
             QStringList({u"改名"_s, u"ニュース2"_s, u"ページ"_s, u"過去ログ"_s}));
    QCOMPARE(m_site.news->pages.count(), 3);
    m_controller->undo();
    QCOMPARE(childLabels(findItem(m_tree.get(), kNews)),
             QStringList({u"改名"_s, u"ニュース2"_s, u"過去ログ"_s}));
    // The rows were changed one by one: the row taken before is still the page's.
    QCOMPARE(resets.count(), 0);
    QVERIFY(news1.isValid());
    QCOMPARE(m_tree->objectAt(news1), m_site.news1);
    QCOMPARE(m_tree->objectModel()->nodeCount(), 15);

    QVERIFY(m_tree->selectObject(m_site.history));
    QCOMPARE(m_tree->selectedObject(), m_site.history);
}

void TestObjectTree::expansionSurvivesCommandsAndRoots()
{
    m_tree->setRoot(m_site.site);
    m_tree->expand(findItem(m_tree.get(), kMenu));
    m_tree->expand(findItem(m_tree.get(), kNews));
    m_tree->expand(findItem(m_tree.get(), kNews + QStringList{u"ニュース2"_s}));
    navtest::leftClick(m_tree.get(), findItem(m_tree.get(), kNews + QStringList{u"ニュース1"_s}));
    QCOMPARE(m_tree->selectedObject(), m_site.news1);
    const auto expanded = [this](const velmo::Object *object) {
        return m_tree->isExpanded(m_tree->indexOf(object));
    };

    // The category goes to the storage box with what it holds, and comes back with undo.
    m_controller->runCommand(velmo::ObjectCommands::DeleteCategory, m_site.news);
    QVERIFY(!m_tree->indexOf(m_site.news).isValid());
    m_controller->undo();
    QVERIFY(m_tree->indexOf(m_site.news).isValid());
    QVERIFY(expanded(m_site.news));
    QVERIFY(expanded(m_site.news2));
    QVERIFY(!expanded(m_site.news1));
    QVERIFY(!expanded(m_site.about));

    // Expanded and collapsed rows stay so when their objects move.
    QVERIFY(m_controller->drop(m_site.news2, m_site.about, false));
    QVERIFY(expanded(m_site.news2));
    m_tree->collapse(m_tree->indexOf(m_site.news2));
    m_tree->collapse(m_tree->indexOf(m_site.news));
    m_controller->undo();
    QCOMPARE(m_site.news2->parent(), m_site.news);
    QVERIFY(!expanded(m_site.news));
    QVERIFY(!expanded(m_site.news2));

    // Another root and back, as when another site was chosen for a while.
    m_tree->expand(m_tree->indexOf(m_site.news));
    m_tree->setRoot(&m_site.site->objectBox);
    m_tree->setRoot(m_site.site);
    QVERIFY(expanded(m_site.menu));
    QVERIFY(expanded(m_site.news));
    QVERIFY(!expanded(m_site.about));
}

void TestObjectTree::selectionIsReportedAndPreviewed_data()
{
    QTest::addColumn<QStringList>("path");
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("title");

    // clang-format off
    // The first category is the home category, whose pages lie in the site's top folder.
    QTest::newRow("page") << kNews + QStringList{u"ニュース2"_s}
                          << u"news2.html"_s << u"ニュース2のタイトル"_s;
    QTest::newRow("content group") << kNews + QStringList{u"ニュース2"_s, u"本文2"_s}
                                   << u"news2.html"_s << u"ニュース2のタイトル"_s;
    QTest::newRow("category: its first page") << kAbout
                                              << u"about/history.html"_s << u"沿革のタイトル"_s;
    QTest::newRow("site: the home page") << QStringList{u"テストサイト"_s}
                                         << u"index.html"_s << u"ニュース1のタイトル"_s;
    // clang-format on
}

void TestObjectTree::selectionIsReportedAndPreviewed()
{
    QFETCH(QStringList, path);
    QFETCH(QString, page);
    QFETCH(QString, title);

    m_tree->setRoot(m_site.site);
    QSignalSpy selected(m_controller.get(), &DocumentController::selectionChanged);
    QSignalSpy previews(m_controller.get(), &DocumentController::previewRequested);
    const QModelIndex index = findItem(m_tree.get(), path);
    navtest::leftClick(m_tree.get(), index);

    QCOMPARE(previews.count(), 1);
    const QString file = previews.first().first().toString();
    QVERIFY2(file.endsWith(u'/' + page), qPrintable(file));
    QVERIFY(readFile(file).contains(u"<h1>"_s + title + u"</h1>"_s));
    // The selection reaches the form through the event queue, after the preview.
    QCOMPARE(selected.count(), 0);
    QTRY_COMPARE(selected.count(), 1);
    QCOMPARE(selected.first().first().value<velmo::Object *>(), m_tree->objectAt(index));
    QVERIFY(m_reporter.messages.isEmpty());
}

void TestObjectTree::untrackedTreeReportsNothing()
{
    m_tree->setTracksState(false);
    m_tree->setRoot(m_site.site);
    QSignalSpy selected(m_controller.get(), &DocumentController::selectionChanged);
    QSignalSpy previews(m_controller.get(), &DocumentController::previewRequested);
    navtest::leftClick(m_tree.get(), findItem(m_tree.get(), kMenu));
    QCOMPARE(m_tree->selectedObject(), m_site.menu);
    QTest::qWait(20);
    QCOMPARE(selected.count(), 0);
    QCOMPARE(previews.count(), 0);
}

void TestObjectTree::objectsTakenOutLeaveTheTree()
{
    m_tree->setRoot(m_site.site);
    navtest::leftClick(m_tree.get(), findItem(m_tree.get(), kNews + QStringList{u"ニュース2"_s}));
    QTRY_COMPARE(m_controller->routedObject(), m_site.news2);
    QSignalSpy selected(m_controller.get(), &DocumentController::selectionChanged);

    // The page leaves the menu while its row is selected: the selection goes with it.
    QVERIFY(m_controller->writer().deleteToStorage(m_site.news2));
    QVERIFY(!m_tree->indexOf(m_site.news2).isValid());
    QVERIFY(m_tree->selectedObject() == nullptr);
    QCOMPARE(childLabels(findItem(m_tree.get(), kNews)),
             QStringList({u"ニュース1"_s, u"過去ログ"_s}));
    QTRY_VERIFY(!selected.isEmpty());
    QVERIFY(selected.last().first().value<velmo::Object *>() == nullptr);
    // Commands on the selection find nothing to act on.
    const int steps = m_controller->history().count();
    m_tree->runCommand(velmo::ObjectCommands::NewContentGroup);
    m_tree->runCommand(velmo::ObjectCommands::DeletePage);
    QCOMPARE(m_controller->history().count(), steps);

    // The whole site goes: the tree is empty and has no root.
    QVERIFY(m_controller->writer().deleteSite(m_site.site));
    QVERIFY(m_tree->rootObject() == nullptr);
    QCOMPARE(m_tree->model()->rowCount(), 0);
    QCOMPARE(m_tree->objectModel()->nodeCount(), 0);
}

void TestObjectTree::anyObjectMayBeTheRoot()
{
    // Any document object may be the root, a storage box too.
    m_tree->setRoot(m_site.news2);
    QCOMPARE(m_tree->model()->index(0, 0).data().toString(), u"ニュース2"_s);
    QCOMPARE(childLabels(m_tree->model()->index(0, 0)), QStringList{u"本文2"_s});
    m_tree->setRoot(&m_site.site->objectBox);
    QCOMPARE(m_tree->model()->rowCount(), 1);
    m_tree->clearTree();
    QCOMPARE(m_tree->model()->rowCount(), 0);

    // An object whose class the file named wrongly is shown as a root; its menu only says so.
    m_site.archive->typeCode = 12345;
    m_tree->setRoot(m_site.archive);
    QCOMPARE(m_tree->model()->index(0, 0).data().toString(), u"過去ログ"_s);
    QVERIFY(m_reporter.messages.isEmpty());
    const navtest::MenuResult shown =
        navtest::rightClickAndChoose(m_tree.get(), m_tree->model()->index(0, 0), QString());
    QVERIFY(!shown.shown);
    QCOMPARE(m_reporter.messages, QStringList{velmo::ObjectCommands::unknownClassMessage()});
    m_site.archive->typeCode = velmo::kClassCategory;
}

void TestObjectTree::namesAreNotEditedInPlace()
{
    m_tree->setRoot(m_site.site);
    QSignalSpy nameEdits(m_tree.get(), &ObjectTree::nameEditRequested);
    navtest::leftClick(m_tree.get(), findItem(m_tree.get(), kMenu));
    // F2 leads to the property form's name box; no editor opens in the tree.
    QTest::keyClick(m_tree.get(), Qt::Key_F2);
    QCOMPARE(nameEdits.count(), 1);
    QCOMPARE(nameEdits.first().first().value<velmo::Object *>(), m_site.menu);
    const QLineEdit *editor = m_tree->viewport()->findChild<QLineEdit *>();
    QVERIFY(editor == nullptr || !editor->isVisible());
    QCOMPARE(findItem(m_tree.get(), kMenu).data().toString(), u"メニュー"_s);
}

QTEST_MAIN(TestObjectTree)
#include "tst_objecttree.moc"
