// The object tree on its own: what a fill shows, states kept in the objects across refills,
// selection reports and previews, objects that went away behind the tree's back, label editing.
#include <QLineEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "app/documentcontroller.h"
#include "app/objecttree.h"
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

QImage iconImage(const QTreeWidgetItem *item)
{
    return item->icon(0).pixmap(16, 16).toImage();
}

QImage listImage(int index)
{
    return TreeImageList::shared().icon(index).pixmap(16, 16).toImage();
}

} // namespace

class TestObjectTree : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void fillShowsTheHierarchy();
    void iconsFollowTheObjects();
    void expandedStatesSurviveRefills();
    void checkStatesSurviveRefills();
    void handlesBelongToOneFill();
    void selectionIsReportedAndPreviewed_data();
    void selectionIsReportedAndPreviewed();
    void untrackedTreeReportsNothing();
    void objectsGoneBehindTheTreeAreNotFollowed();
    void fillWithoutRoot();
    void unknownRootClass();
    void labelsCannotBeEdited();

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

void TestObjectTree::fillShowsTheHierarchy()
{
    QVERIFY(m_tree->fill(m_site.site));
    QCOMPARE(m_tree->topLevelItemCount(), 1);
    QTreeWidgetItem *site = m_tree->topLevelItem(0);
    QCOMPARE(site->text(0), u"テストサイト"_s);
    // The site shows two hierarchies of its three, and expands itself.
    QCOMPARE(childLabels(site), QStringList({u"メニュー"_s, u"プラグイン"_s}));
    QVERIFY(site->isExpanded());
    // A category shows its pages before its sub-categories.
    QCOMPARE(childLabels(findItem(m_tree.get(), {u"テストサイト"_s, u"メニュー"_s, u"お知らせ"_s})),
             QStringList({u"ニュース1"_s, u"ニュース2"_s, u"過去ログ"_s}));
    QTreeWidgetItem *body = findItem(m_tree.get(), {u"テストサイト"_s, u"メニュー"_s, u"お知らせ"_s,
                                                    u"ニュース2"_s, u"本文2"_s});
    QVERIFY(body != nullptr);
    QCOMPARE(m_tree->objectAt(body), m_site.news2Body);
    QCOMPARE(m_tree->rootObject(), m_site.site);
    // Every item, in insertion order, and the objects know their items.
    QCOMPARE(m_tree->itemHandles().size(), 15);
    QCOMPARE(m_tree->itemForHandle(m_tree->itemHandles().first()), site);
    QCOMPARE(m_tree->itemForHandle(m_site.news2Body->treeItem), body);
}

void TestObjectTree::iconsFollowTheObjects()
{
    m_site.about->setLinkMenu(true);
    auto *nested = new velmo::ContentGroup;
    nested->name = u"入れ子"_s;
    m_site.news1Body->subGroups.add(nested, m_site.news1Body);
    QVERIFY(m_tree->fill(m_site.site));

    const QStringList news = {u"テストサイト"_s, u"メニュー"_s, u"お知らせ"_s};
    QCOMPARE(iconImage(m_tree->topLevelItem(0)), listImage(TreeImageList::kSite));
    QCOMPARE(iconImage(findItem(m_tree.get(), {u"テストサイト"_s, u"メニュー"_s})),
             listImage(TreeImageList::kHierarchy));
    QCOMPARE(iconImage(findItem(m_tree.get(), news)), listImage(TreeImageList::kCategory));
    QCOMPARE(iconImage(findItem(m_tree.get(), {u"テストサイト"_s, u"メニュー"_s, u"会社概要"_s})),
             listImage(TreeImageList::kLinkMenu));
    QCOMPARE(iconImage(findItem(m_tree.get(), news + QStringList{u"ニュース1"_s})),
             listImage(TreeImageList::kPage));
    QCOMPARE(iconImage(findItem(m_tree.get(), news + QStringList{u"ニュース1"_s, u"本文"_s})),
             listImage(TreeImageList::kPageGroup));
    QCOMPARE(iconImage(findItem(m_tree.get(),
                                news + QStringList{u"ニュース1"_s, u"本文"_s, u"入れ子"_s})),
             listImage(TreeImageList::kNestedGroup));
    // Ten distinct drawings.
    QCOMPARE(TreeImageList::shared().count(), 10);
    for (int i = 0; i < TreeImageList::kCount; ++i) {
        QVERIFY(!TreeImageList::shared().icon(i).isNull());
        for (int j = i + 1; j < TreeImageList::kCount; ++j)
            QVERIFY2(listImage(i) != listImage(j), qPrintable(u"%1 %2"_s.arg(i).arg(j)));
    }
}

void TestObjectTree::expandedStatesSurviveRefills()
{
    QVERIFY(m_tree->fill(m_site.site));
    const QStringList news = {u"テストサイト"_s, u"メニュー"_s, u"お知らせ"_s};
    findItem(m_tree.get(), {u"テストサイト"_s, u"メニュー"_s})->setExpanded(true);
    findItem(m_tree.get(), news)->setExpanded(true);
    findItem(m_tree.get(), news + QStringList{u"ニュース2"_s})->setExpanded(true);
    navtest::leftClick(m_tree.get(), findItem(m_tree.get(), news + QStringList{u"ニュース1"_s}));
    QCOMPARE(m_tree->selectedObject(), m_site.news1);

    QVERIFY(m_tree->fill(m_site.site));
    QVERIFY(findItem(m_tree.get(), news)->isExpanded());
    QVERIFY(findItem(m_tree.get(), news + QStringList{u"ニュース2"_s})->isExpanded());
    QVERIFY(!findItem(m_tree.get(), news + QStringList{u"ニュース1"_s})->isExpanded());
    QVERIFY(
        !findItem(m_tree.get(), {u"テストサイト"_s, u"メニュー"_s, u"会社概要"_s})->isExpanded());
    QCOMPARE(m_site.news->treeItemState, velmo::TreeSink::kStateExpanded);
    // A refill drops the selection; the saved state keeps only the expanded bit.
    QCOMPARE(m_site.news1->treeItemState, 0);
    QVERIFY(m_tree->selectedItems().isEmpty());

    // Collapsing is saved as well, and the states stay with the objects when they move.
    findItem(m_tree.get(), news + QStringList{u"ニュース2"_s})->setExpanded(false);
    m_site.news->pages.removeAt(1);
    m_site.about->pages.add(m_site.news2, m_site.about);
    findItem(m_tree.get(), news)->setExpanded(false);
    QVERIFY(m_tree->fill(m_site.site));
    QVERIFY(!findItem(m_tree.get(), news)->isExpanded());
    QVERIFY(
        !findItem(m_tree.get(), {u"テストサイト"_s, u"メニュー"_s, u"会社概要"_s, u"ニュース2"_s})
             ->isExpanded());
}

void TestObjectTree::checkStatesSurviveRefills()
{
    m_tree->setCheckBoxes(true);
    QVERIFY(m_tree->fill(m_site.site));
    const QStringList path = {u"テストサイト"_s, u"メニュー"_s, u"お知らせ"_s, u"ニュース2"_s};
    findItem(m_tree.get(), path)->setCheckState(0, Qt::Checked);
    QVERIFY(m_tree->fill(m_site.site));
    QCOMPARE(findItem(m_tree.get(), path)->checkState(0), Qt::Checked);
    QCOMPARE(m_site.news2->treeCheckState, 1);
    QCOMPARE(findItem(m_tree.get(), {u"テストサイト"_s, u"メニュー"_s})->checkState(0),
             Qt::Unchecked);

    // A tree without check boxes shows none, whatever the objects saved.
    m_tree->setCheckBoxes(false);
    QVERIFY(m_tree->fill(m_site.site));
    QVERIFY(!findItem(m_tree.get(), path)->data(0, Qt::CheckStateRole).isValid());
}

void TestObjectTree::handlesBelongToOneFill()
{
    QVERIFY(m_tree->fill(m_site.site));
    const velmo::TreeItemHandle before = m_site.news1->treeItem;
    QVERIFY(m_tree->itemForHandle(before) != nullptr);
    QVERIFY(m_tree->fill(m_site.site));
    QVERIFY(m_tree->itemForHandle(before) == nullptr);
    QVERIFY(m_site.news1->treeItem != before);
    QCOMPARE(m_tree->objectAt(m_tree->itemForHandle(m_site.news1->treeItem)), m_site.news1);

    QVERIFY(m_tree->setItemText(m_site.news1->treeItem, u"改名"_s));
    QCOMPARE(m_tree->itemForHandle(m_site.news1->treeItem)->text(0), u"改名"_s);
    QVERIFY(!m_tree->setItemText(before, u"古い"_s));
    QVERIFY(m_tree->selectHandle(m_site.history->treeItem));
    QCOMPARE(m_tree->selectedObject(), m_site.history);
}

void TestObjectTree::selectionIsReportedAndPreviewed_data()
{
    QTest::addColumn<QStringList>("path");
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("title");

    const QStringList news = {u"テストサイト"_s, u"メニュー"_s, u"お知らせ"_s};
    // clang-format off
    // The first category is the home category, whose pages lie in the site's top folder.
    QTest::newRow("page") << news + QStringList{u"ニュース2"_s}
                          << u"news2.html"_s << u"ニュース2のタイトル"_s;
    QTest::newRow("content group") << news + QStringList{u"ニュース2"_s, u"本文2"_s}
                                   << u"news2.html"_s << u"ニュース2のタイトル"_s;
    QTest::newRow("category: its first page")
        << QStringList{u"テストサイト"_s, u"メニュー"_s, u"会社概要"_s}
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

    QVERIFY(m_tree->fill(m_site.site));
    for (int i = 1; i < path.size(); ++i)
        findItem(m_tree.get(), path.mid(0, i))->setExpanded(true);
    QSignalSpy selected(m_controller.get(), &DocumentController::selectionChanged);
    QSignalSpy previews(m_controller.get(), &DocumentController::previewRequested);
    QTreeWidgetItem *item = findItem(m_tree.get(), path);
    navtest::leftClick(m_tree.get(), item);

    QCOMPARE(previews.count(), 1);
    const QString file = previews.first().first().toString();
    QVERIFY2(file.endsWith(u'/' + page), qPrintable(file));
    QVERIFY(readFile(file).contains(u"<h1>"_s + title + u"</h1>"_s));
    // The selection reaches the form through the event queue, after the preview.
    QCOMPARE(selected.count(), 0);
    QTRY_COMPARE(selected.count(), 1);
    QCOMPARE(selected.first().first().value<velmo::Object *>(), m_tree->objectAt(item));
    QVERIFY(m_reporter.messages.isEmpty());
}

void TestObjectTree::untrackedTreeReportsNothing()
{
    m_tree->setTracksState(false);
    QVERIFY(m_tree->fill(m_site.site));
    QSignalSpy selected(m_controller.get(), &DocumentController::selectionChanged);
    QSignalSpy previews(m_controller.get(), &DocumentController::previewRequested);
    navtest::leftClick(m_tree.get(), findItem(m_tree.get(), {u"テストサイト"_s, u"メニュー"_s}));
    QTest::qWait(20);
    QCOMPARE(selected.count(), 0);
    QCOMPARE(previews.count(), 0);
    QCOMPARE(m_site.menu->treeItem, velmo::TreeItemHandle(0));
}

void TestObjectTree::objectsGoneBehindTheTreeAreNotFollowed()
{
    QVERIFY(m_tree->fill(m_site.site));
    const QStringList news = {u"テストサイト"_s, u"メニュー"_s, u"お知らせ"_s};
    findItem(m_tree.get(), news)->setExpanded(true);
    QTreeWidgetItem *item = findItem(m_tree.get(), news + QStringList{u"ニュース2"_s});
    navtest::leftClick(m_tree.get(), item);
    QSignalSpy selected(m_controller.get(), &DocumentController::selectionChanged);
    QSignalSpy rebuilds(m_controller.get(), &DocumentController::menuTreeRebuildRequested);

    // The page goes while its item is still selected.
    m_site.news->pages.removeAt(1);
    delete m_site.news2;
    QVERIFY(m_tree->objectAt(item) == nullptr);
    QVERIFY(m_tree->selectedObject() == nullptr);
    m_tree->runCommand(velmo::ObjectCommands::NewContentGroup);
    m_tree->runCommand(velmo::ObjectCommands::DeletePage);
    QTest::qWait(20);
    QCOMPARE(rebuilds.count(), 0);
    // The queued report of the earlier click arrives as "nothing".
    QVERIFY(selected.isEmpty() || selected.last().first().value<velmo::Object *>() == nullptr);

    // A refill saves states only into objects that are still there.
    QVERIFY(m_tree->fill(m_site.site));
    QCOMPARE(childLabels(findItem(m_tree.get(), news)),
             QStringList({u"ニュース1"_s, u"過去ログ"_s}));

    // A whole site that goes empties the tree at its next refill.
    m_global->sites.clear();
    QVERIFY(m_tree->rootObject() == nullptr);
    QVERIFY(!m_tree->refill());
    QCOMPARE(m_tree->topLevelItemCount(), 0);
}

void TestObjectTree::fillWithoutRoot()
{
    QVERIFY(m_tree->fill());
    QCOMPARE(m_tree->rootObject(), m_site.site);

    velmo::Document other(m_dir.path());
    RecordingReporter reporter;
    other.setReporter(&reporter);
    ObjectTree tree(other);
    QVERIFY(!tree.fill());
    QCOMPARE(reporter.messages, QStringList{u"選択サイトが取得できませんでした。"_s});
    QCOMPARE(tree.topLevelItemCount(), 0);
}

void TestObjectTree::unknownRootClass()
{
    QVERIFY(m_tree->fill(m_site.site));
    m_site.archive->typeCode = 12345;
    QVERIFY(m_tree->fill(m_site.archive));
    QCOMPARE(m_reporter.messages,
             QStringList{u"判定できないクラスがTreeCtrlの先頭として配置されました。"_s});
    QCOMPARE(m_tree->topLevelItemCount(), 0);
    m_site.archive->typeCode = velmo::kClassCategory;

    // Any document object may be the root, a storage box too.
    QVERIFY(m_tree->fill(m_site.news2));
    QCOMPARE(m_tree->topLevelItem(0)->text(0), u"ニュース2"_s);
    QVERIFY(m_tree->fill(&m_site.site->objectBox));
    QCOMPARE(m_tree->topLevelItemCount(), 1);
    QCOMPARE(m_reporter.messages.size(), 1);
}

void TestObjectTree::labelsCannotBeEdited()
{
    m_tree->setLabelEditing(true);
    QVERIFY(m_tree->fill(m_site.site));
    QTreeWidgetItem *item = findItem(m_tree.get(), {u"テストサイト"_s, u"メニュー"_s});
    m_tree->setCurrentItem(item);
    QTest::keyClick(m_tree.get(), Qt::Key_F2);
    QLineEdit *editor = m_tree->viewport()->findChild<QLineEdit *>();
    QVERIFY(editor != nullptr);
    editor->selectAll();
    QTest::keyClicks(editor, u"renamed"_s);
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_VERIFY(m_tree->viewport()->findChild<QLineEdit *>() == nullptr ||
                !m_tree->viewport()->findChild<QLineEdit *>()->isVisible());
    QCOMPARE(item->text(0), u"メニュー"_s);
    QCOMPARE(m_site.menu->name, u"メニュー"_s);
}

QTEST_MAIN(TestObjectTree)
#include "tst_objecttree.moc"
