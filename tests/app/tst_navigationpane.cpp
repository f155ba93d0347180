// The navigation form in the real main window: the site combo, the context-menu commands,
// "上へ"/"下へ", the storage area with drag and drop back and forth, copies by Ctrl-drag,
// commands on a selection that went stale, "空にする", "HTML出力" and the keyboard.
#include <memory>

#include <QAction>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidget>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineView>

#include "app/brokenlinkswindow.h"
#include "app/documentcontroller.h"
#include "app/mainwindow.h"
#include "app/navigationpane.h"
#include "app/objecttree.h"
#include "app/previewbrowser.h"
#include "app/previewpane.h"
#include "app/treedragdata.h"
#include "app/webbrowser.h"
#include "apptestsupport.h"
#include "model/category.h"
#include "model/classification.h"
#include "model/content.h"
#include "model/contentgroup.h"
#include "model/fileutil.h"
#include "model/page.h"
#include "model/site.h"
#include "navtestsupport.h"

using namespace Qt::StringLiterals;
using apptest::AppFixture;
using navtest::childLabels;
using navtest::findItem;
using navtest::rightClickAndChoose;

namespace {

const QStringList kMenu = {u"テストサイト"_s, u"メニュー"_s};
const QStringList kNews = kMenu + QStringList{u"お知らせ"_s};
const QStringList kAbout = kMenu + QStringList{u"会社概要"_s};

// The started application with the navigation form in its left pane and a sample site.
struct Navigation
{
    bool start(int sites = 1)
    {
        if (!f.start())
            return false;
        view = f.navigation();
        if (view == nullptr)
            return false;
        view->setFolderOpener([this](const QUrl &url) {
            openedFolders << url;
            return true;
        });
        navtest::writeTemplate(f.path(u"tpl"_s));
        if (sites >= 1)
            site = navtest::makeSampleSite(f.global(), f.path(u"tpl"_s));
        if (sites >= 2)
            second = navtest::makeSampleSite(f.global(), f.path(u"tpl"_s), u"第二サイト"_s);
        f.frame()->initialUpdateFrame();
        return true;
    }

    ObjectTree *menu() const { return view->menuTree(); }
    ObjectTree *storage() const { return view->storageTree(); }
    QPushButton *button(const QString &name) const { return view->findChild<QPushButton *>(name); }
    // Expands the items along path and returns its last one.
    QTreeWidgetItem *show(const QStringList &path) const
    {
        for (int i = 1; i < path.size(); ++i) {
            if (QTreeWidgetItem *item = findItem(menu(), path.mid(0, i)))
                item->setExpanded(true);
        }
        return findItem(menu(), path);
    }

    AppFixture f;
    NavigationPane *view = nullptr;
    navtest::SampleSite site;
    navtest::SampleSite second;
    QList<QUrl> openedFolders;
};

template<class List>
QStringList names(const List &list)
{
    QStringList result;
    for (const auto *element : list)
        result << element->name;
    return result;
}

} // namespace

class TestNavigationPane : public QObject
{
    Q_OBJECT

public:
    static void initMain() { apptest::initMain(); }

private Q_SLOTS:
    void withoutSitesEverythingIsEmpty();
    void combo();
    void contextMenusBuildTheMenu();
    void noContextMenuForSitesOrInStorage();
    void upAndDownButtons();
    void deleteToStorageAndDragBack();
    void ctrlDragCopies();
    void dropsThatDoNothing();
    void staleSelection();
    void emptyStorage();
    void selectionReachesPanesAndPreview();
    void htmlOutput();
    void previewFollowsLinks();
    void enterAndEscapeAreConsumed();
};

void TestNavigationPane::withoutSitesEverythingIsEmpty()
{
    Navigation n;
    QVERIFY(n.start(0));
    QCOMPARE(n.view->siteCombo()->count(), 0);
    QCOMPARE(n.menu()->topLevelItemCount(), 0);
    QCOMPARE(n.storage()->topLevelItemCount(), 0);
    QVERIFY(n.f.messageBoxes().shownTexts().isEmpty());

    // A new document empties the trees before its sites go.
    n.site = navtest::makeSampleSite(n.f.global(), n.f.path(u"tpl"_s));
    n.view->fillSiteCombo();
    n.view->rebuildMenuTree();
    QCOMPARE(n.menu()->topLevelItemCount(), 1);
    n.f.messageBoxes().queueAnswer(QMessageBox::No);
    n.f.frame()->fileNewAction()->trigger();
    QCOMPARE(n.f.global().sites.count(), 0);
    QCOMPARE(n.menu()->topLevelItemCount(), 0);
    QCOMPARE(n.storage()->topLevelItemCount(), 0);
    QCOMPARE(n.view->siteCombo()->count(), 0);
}

void TestNavigationPane::combo()
{
    Navigation n;
    QVERIFY(n.start(2));
    QComboBox *combo = n.view->siteCombo();
    QCOMPARE(combo->count(), 2);
    QCOMPARE(combo->currentText(), u"テストサイト"_s);
    QCOMPARE(n.f.global().getCurrentSite(), n.site.site);
    QCOMPARE(n.menu()->rootObject(), n.site.site);
    QCOMPARE(n.storage()->rootObject(), &n.site.site->objectBox);
    // The working folder was prepared for the chosen site.
    QVERIFY(QFileInfo::exists(n.f.path(u"temporary"_s)));

    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Down);
    QCOMPARE(combo->currentIndex(), 1);
    QCOMPARE(n.menu()->topLevelItem(0)->text(0), u"第二サイト"_s);
    QCOMPARE(n.f.global().getCurrentSite(), n.second.site);
    QCOMPARE(n.second.site->listItemState & 2, 2);
    QCOMPARE(n.site.site->listItemState & 2, 0);
    // The storage tree follows at the next rebuild only.
    QCOMPARE(n.storage()->rootObject(), &n.site.site->objectBox);
    n.view->rebuildMenuTree();
    QCOMPARE(n.storage()->rootObject(), &n.second.site->objectBox);

    // The site chosen last wins when the combo is filled again.
    combo->setCurrentIndex(0);
    n.view->fillSiteCombo();
    QCOMPARE(combo->currentIndex(), 1);

    // A combo entry that names no site any more.
    n.f.global().sites.removeAt(1);
    n.view->rebuildMenuTree();
    QCOMPARE(n.f.messageBoxes().shownTexts().last(), u"サイトを変更できませんでした。"_s);
    delete n.second.site;
    n.view->fillSiteCombo();
    QCOMPARE(combo->count(), 1);
}

void TestNavigationPane::contextMenusBuildTheMenu()
{
    Navigation n;
    QVERIFY(n.start());
    n.f.doc().setModifiedFlag(false);
    n.show(kNews)->setExpanded(true);

    navtest::MenuResult shown =
        rightClickAndChoose(n.menu(), findItem(n.menu(), kMenu), u"新規メニュー追加 (&W)"_s);
    QVERIFY(shown.shown && shown.chosen);
    QCOMPARE(shown.title, u"class_category"_s);
    QCOMPARE(shown.captions, QStringList{u"新規メニュー追加 (&W)"_s});
    QTRY_COMPARE(childLabels(findItem(n.menu(), kMenu)),
                 QStringList({u"お知らせ"_s, u"会社概要"_s, u"メニュー"_s}));
    QCOMPARE(names(n.site.menu->categories),
             QStringList({u"お知らせ"_s, u"会社概要"_s, u"メニュー"_s}));
    QVERIFY(n.f.doc().isModified());
    // The rebuild kept what was expanded.
    QVERIFY(findItem(n.menu(), kMenu)->isExpanded());
    QVERIFY(findItem(n.menu(), kNews)->isExpanded());
    QVERIFY(!findItem(n.menu(), kAbout)->isExpanded());

    const QStringList created = kMenu + QStringList{u"メニュー"_s};
    shown = rightClickAndChoose(n.menu(), n.show(created), u"新規ページ追加"_s);
    QCOMPARE(shown.title, u"category"_s);
    QCOMPARE(shown.captions, QStringList({u"新規メニュー追加 (&W)"_s, u"新規ページ追加"_s, u"-"_s,
                                          u"メニュー項目削除 (&D)"_s}));
    QTRY_COMPARE(childLabels(n.show(created)), QStringList{u"ページ"_s});
    velmo::Page *page = n.site.menu->categories.last()->pages.first();
    QVERIFY(page != nullptr);
    // The new object is selected and in view, ready for the next command.
    QTRY_COMPARE(n.menu()->selectedObject(), page);
    QTRY_COMPARE(n.f.frame()->controller().routedObject(), page);

    shown = rightClickAndChoose(n.menu(), n.show(created + QStringList{u"ページ"_s}),
                                u"新規コンテンツ作成 (&W)"_s);
    QCOMPARE(shown.title, u"page"_s);
    QTRY_COMPARE(page->contentGroups.count(), 1);
    const QString groupName = page->contentGroups.first()->name;
    QVERIFY(groupName.startsWith(u"コンテンツ"_s));
    QTRY_VERIFY(n.show(created + QStringList{u"ページ"_s, groupName}) != nullptr);

    shown = rightClickAndChoose(n.menu(), n.show(created + QStringList{u"ページ"_s, groupName}),
                                u"新規コンテンツ追加 (&W)"_s);
    QCOMPARE(shown.title, u"content_group"_s);
    QTRY_COMPARE(page->contentGroups.first()->subGroups.count(), 1);

    // The plug-in hierarchy offers plug-in pages.
    shown = rightClickAndChoose(n.menu(), n.show(kMenu.mid(0, 1) + QStringList{u"プラグイン"_s}),
                                u"新規プラグインページ追加 (&W)"_s);
    QCOMPARE(shown.title, u"class_plugin"_s);
    QTRY_COMPARE(names(n.site.plugins->pages), QStringList{u"プラグインページ"_s});
    QVERIFY(n.f.messageBoxes().shownTexts().isEmpty());
}

void TestNavigationPane::noContextMenuForSitesOrInStorage()
{
    Navigation n;
    QVERIFY(n.start());
    navtest::MenuResult shown = rightClickAndChoose(n.menu(), n.menu()->topLevelItem(0), QString());
    QVERIFY(!shown.shown);
    QCOMPARE(n.menu()->selectedObject(), n.site.site);
    shown = rightClickAndChoose(
        n.menu(), n.show(kNews + QStringList{u"ニュース1"_s, u"本文"_s, u"内容"_s}), QString());
    QVERIFY(!shown.shown);

    velmo::Page *page = n.site.history;
    QCOMPARE(int(n.f.global().deleteToStorage(page)), int(velmo::StorageResult::Stored));
    n.view->refreshStorage();
    QTreeWidgetItem *stored = n.storage()->topLevelItem(0)->child(0);
    QCOMPARE(n.storage()->objectAt(stored), page);
    shown = rightClickAndChoose(n.storage(), stored, QString());
    QVERIFY(!shown.shown);
    QVERIFY(n.f.messageBoxes().shownTexts().isEmpty());
}

void TestNavigationPane::upAndDownButtons()
{
    Navigation n;
    QVERIFY(n.start());
    QPushButton *up = n.button(u"upButton"_s);
    QPushButton *down = n.button(u"downButton"_s);
    QCOMPARE(up->text(), u"上へ"_s);
    QCOMPARE(down->text(), u"下へ"_s);

    navtest::leftClick(n.menu(), n.show(kNews + QStringList{u"ニュース1"_s}));
    QTest::mouseClick(up, Qt::LeftButton);
    QCOMPARE(names(n.site.news->pages), QStringList({u"ニュース2"_s, u"ニュース1"_s}));
    QTRY_COMPARE(childLabels(findItem(n.menu(), kNews)),
                 QStringList({u"ニュース2"_s, u"ニュース1"_s, u"過去ログ"_s}));
    // The moved page stays selected, so a second press moves it on.
    QTRY_COMPARE(n.menu()->selectedObject(), n.site.news1);
    QTest::mouseClick(down, Qt::LeftButton);
    QCOMPARE(names(n.site.news->pages), QStringList({u"ニュース1"_s, u"ニュース2"_s}));
    QTRY_COMPARE(childLabels(findItem(n.menu(), kNews)),
                 QStringList({u"ニュース1"_s, u"ニュース2"_s, u"過去ログ"_s}));

    // Categories move among their siblings; a lone page stays, and the tree is rebuilt.
    navtest::leftClick(n.menu(), n.show(kAbout));
    QTest::mouseClick(up, Qt::LeftButton);
    QTRY_COMPARE(childLabels(findItem(n.menu(), kMenu)),
                 QStringList({u"会社概要"_s, u"お知らせ"_s}));
    QTRY_COMPARE(n.menu()->selectedObject(), n.site.about);
    const velmo::TreeItemHandle before = n.site.history->treeItem;
    navtest::leftClick(n.menu(), n.show(kAbout + QStringList{u"沿革"_s}));
    QTest::mouseClick(down, Qt::LeftButton);
    QTRY_VERIFY(n.site.history->treeItem != before);
    QTRY_COMPARE(n.menu()->selectedObject(), n.site.history);
    QCOMPARE(names(n.site.about->pages), QStringList{u"沿革"_s});
}

void TestNavigationPane::deleteToStorageAndDragBack()
{
    Navigation n;
    QVERIFY(n.start());
    n.show(kNews);
    navtest::MenuResult shown =
        rightClickAndChoose(n.menu(), findItem(n.menu(), kNews), u"メニュー項目削除 (&D)"_s);
    QVERIFY(shown.chosen);
    QTRY_COMPARE(childLabels(findItem(n.menu(), kMenu)), QStringList{u"会社概要"_s});
    QCOMPARE(names(n.site.menu->categories), QStringList{u"会社概要"_s});
    QCOMPARE(n.site.site->objectBox.items.count(), 1);
    QCOMPARE(n.site.news->parent(), &n.site.site->objectBox);
    // It went with its pages and sub-category.
    QTreeWidgetItem *box = n.storage()->topLevelItem(0);
    QCOMPARE(childLabels(box), QStringList{u"お知らせ"_s});
    QCOMPARE(childLabels(box->child(0)),
             QStringList({u"ニュース1"_s, u"ニュース2"_s, u"過去ログ"_s}));

    // Dragged from the storage area back onto the menu hierarchy.
    QVERIFY(navtest::dragAndDrop(n.storage(), box->child(0), n.menu(), findItem(n.menu(), kMenu)));
    QCOMPARE(names(n.site.menu->categories), QStringList({u"会社概要"_s, u"お知らせ"_s}));
    QCOMPARE(n.site.news->parent(), n.site.menu);
    QVERIFY(n.site.site->objectBox.items.isEmpty());
    QCOMPARE(childLabels(findItem(n.menu(), kMenu)), QStringList({u"会社概要"_s, u"お知らせ"_s}));
    QCOMPARE(n.storage()->topLevelItem(0)->childCount(), 0);
    QVERIFY(n.storage()->dropTargetItem() == nullptr);

    // A content group from the menu onto a page in the storage area.
    QCOMPARE(int(n.f.global().deleteToStorage(n.site.history)), int(velmo::StorageResult::Stored));
    n.view->rebuildMenuTree();
    QVERIFY(navtest::dragAndDrop(n.menu(), n.show(kNews + QStringList{u"ニュース2"_s, u"本文2"_s}),
                                 n.storage(), n.storage()->topLevelItem(0)->child(0)));
    QCOMPARE(names(n.site.history->contentGroups), QStringList({u"本文"_s, u"本文2"_s}));
    QVERIFY(n.site.news2->contentGroups.isEmpty());
    QCOMPARE(childLabels(n.storage()->topLevelItem(0)->child(0)),
             QStringList({u"本文"_s, u"本文2"_s}));
    QVERIFY(n.f.messageBoxes().shownTexts().isEmpty());
}

void TestNavigationPane::ctrlDragCopies()
{
    Navigation n;
    QVERIFY(n.start());
    n.f.doc().setModifiedFlag(false);
    QVERIFY(navtest::dragAndDrop(n.menu(), n.show(kNews + QStringList{u"ニュース2"_s}), n.menu(),
                                 n.show(kAbout), Qt::ControlModifier));
    QCOMPARE(names(n.site.news->pages), QStringList({u"ニュース1"_s, u"ニュース2"_s}));
    QCOMPARE(names(n.site.about->pages), QStringList({u"沿革"_s, u"ニュース2"_s}));
    QVERIFY(n.f.doc().isModified());
    const velmo::Page *copy = n.site.about->pages.last();
    QVERIFY(copy != n.site.news2);
    QVERIFY(copy->id != n.site.news2->id);
    const velmo::ContentGroup *group = copy->contentGroups.first();
    QCOMPARE(group->name, u"本文2"_s);
    QVERIFY(group->id != n.site.news2Body->id);
    QCOMPARE(group->parentId, copy->id);
    QVERIFY(group->contents.first()->id != n.site.news2Body->contents.first()->id);
    QCOMPARE(childLabels(n.show(kAbout)), QStringList({u"沿革"_s, u"ニュース2"_s}));
}

void TestNavigationPane::dropsThatDoNothing()
{
    Navigation n;
    QVERIFY(n.start());
    n.show(kNews + QStringList{u"過去ログ"_s});
    for (Qt::KeyboardModifiers keys :
         {Qt::KeyboardModifiers(), Qt::KeyboardModifiers(Qt::ControlModifier)}) {
        // Onto one of its own sub-categories, and onto itself.
        navtest::dragAndDrop(n.menu(), findItem(n.menu(), kNews), n.menu(),
                             findItem(n.menu(), kNews + QStringList{u"過去ログ"_s}), keys);
        navtest::dragAndDrop(n.menu(), findItem(n.menu(), kNews), n.menu(),
                             findItem(n.menu(), kNews), keys);
        // A pair the rules do not know.
        navtest::dragAndDrop(n.menu(), findItem(n.menu(), kNews + QStringList{u"ニュース1"_s}),
                             n.menu(), findItem(n.menu(), kNews + QStringList{u"ニュース2"_s}),
                             keys);
    }
    QCOMPARE(n.site.news->parent(), n.site.menu);
    QCOMPARE(names(n.site.news->categories), QStringList{u"過去ログ"_s});
    QVERIFY(n.site.archive->categories.isEmpty());
    QCOMPARE(names(n.site.news->pages), QStringList({u"ニュース1"_s, u"ニュース2"_s}));
    QCOMPARE(childLabels(findItem(n.menu(), kMenu)), QStringList({u"お知らせ"_s, u"会社概要"_s}));
}

void TestNavigationPane::staleSelection()
{
    Navigation n;
    QVERIFY(n.start());
    QSignalSpy rebuilds(&n.f.frame()->controller(), &DocumentController::menuTreeRebuildRequested);

    // The page goes while its context menu is open.
    navtest::MenuResult shown = rightClickAndChoose(
        n.menu(), n.show(kNews + QStringList{u"ニュース2"_s}), u"ページ削除 (&D)"_s, [&n] {
            n.site.news->pages.removeAt(1);
            delete n.site.news2;
            n.site.news2 = nullptr;
            n.site.news2Body = nullptr;
        });
    QVERIFY(shown.chosen);
    QTest::qWait(20);
    QCOMPARE(rebuilds.count(), 0);
    QVERIFY(n.site.site->objectBox.items.isEmpty());
    QTest::mouseClick(n.button(u"upButton"_s), Qt::LeftButton);
    QCOMPARE(names(n.site.news->pages), QStringList{u"ニュース1"_s});

    // The page moves elsewhere while its menu is open: the command finds it there.
    shown = rightClickAndChoose(n.menu(), n.show(kNews + QStringList{u"ニュース1"_s}),
                                u"ページ削除 (&D)"_s,
                                [&n] { n.f.global().deleteToStorage(n.site.news1); });
    QVERIFY(shown.chosen);
    QCOMPARE(n.f.messageBoxes().shownTexts(),
             QStringList{u"選択メニューの Tree 親クラスが判定できませんでした。"_s});
    QCOMPARE(n.site.news1->parent(), &n.site.site->objectBox);

    // A drag whose object went away meanwhile drops nothing.
    n.view->rebuildMenuTree();
    QTreeWidgetItem *history = n.show(kAbout + QStringList{u"沿革"_s});
    const std::unique_ptr<TreeDragData> data(n.menu()->createDragData(history));
    n.site.about->pages.removeAt(0);
    delete n.site.history;
    QVERIFY(!n.menu()->dropOn(n.show(kNews), *data, false));
    QCOMPARE(childLabels(findItem(n.menu(), kNews)), QStringList{u"過去ログ"_s});
}

void TestNavigationPane::emptyStorage()
{
    Navigation n;
    QVERIFY(n.start());
    navtest::leftClick(n.menu(), n.show(kNews + QStringList{u"ニュース2"_s}));
    QTRY_COMPARE(n.f.frame()->controller().routedObject(), n.site.news2);
    // The Delete key does what the context menu's "ページ削除 (&D)" does.
    QTest::keyClick(n.menu(), Qt::Key_Delete);
    // The panes let go of what leaves the menu.
    QCOMPARE(n.f.frame()->controller().routedObject(), nullptr);
    QTRY_COMPARE(n.storage()->topLevelItem(0)->childCount(), 1);

    // Emptying cannot be undone: the user is asked, with the page, its group and content
    // counted.
    QPushButton *empty = n.button(u"emptyStorageButton"_s);
    QCOMPARE(empty->text(), u"空にする"_s);
    n.f.messageBoxes().clearShownTexts();
    n.f.messageBoxes().queueAnswer(QMessageBox::No);
    QTest::mouseClick(empty, Qt::LeftButton);
    QCOMPARE(n.f.messageBoxes().shownTexts(),
             QStringList{u"一時置き場にある 3 個のオブジェクトを完全に削除します。\r\n"
                         u"元に戻すことはできません。よろしいですか？"_s});
    QCOMPARE(n.site.site->objectBox.items.count(), 1);
    QCOMPARE(n.storage()->topLevelItem(0)->childCount(), 1);

    n.f.messageBoxes().queueAnswer(QMessageBox::Yes);
    QTest::mouseClick(empty, Qt::LeftButton);
    QVERIFY(n.site.site->objectBox.items.isEmpty());
    QCOMPARE(n.storage()->topLevelItemCount(), 1);
    QCOMPARE(n.storage()->topLevelItem(0)->childCount(), 0);
    QCOMPARE(names(n.site.news->pages), QStringList{u"ニュース1"_s});

    // An empty box has nothing to ask about.
    n.f.messageBoxes().clearShownTexts();
    QTest::mouseClick(empty, Qt::LeftButton);
    QVERIFY(n.f.messageBoxes().shownTexts().isEmpty());
}

void TestNavigationPane::selectionReachesPanesAndPreview()
{
    Navigation n;
    QVERIFY(n.start());
    navtest::leftClick(n.menu(), n.show(kNews + QStringList{u"ニュース2"_s}));
    QTRY_COMPARE(n.f.frame()->controller().routedObject(), n.site.news2);
    QVERIFY2(n.f.global().previewAddress.endsWith(u"/news2.html"_s),
             qPrintable(n.f.global().previewAddress));
    QVERIFY(QFileInfo::exists(n.f.global().previewAddress));
    navtest::leftClick(n.menu(), n.show(kNews + QStringList{u"ニュース2"_s, u"本文2"_s}));
    QTRY_COMPARE(n.f.frame()->controller().routedObject(), n.site.news2Body);

    // A content shows the page that holds it (the home page), not the page shown before.
    navtest::leftClick(n.menu(), n.show(kNews + QStringList{u"ニュース1"_s, u"本文"_s, u"内容"_s}));
    QTRY_VERIFY2(n.f.global().previewAddress.endsWith(u"/index.html"_s),
                 qPrintable(n.f.global().previewAddress));

    // A link menu shows the page it leads to.
    auto *link = new velmo::Category;
    link->name = u"リンク"_s;
    link->setLinkMenu(true);
    link->linkTarget = n.site.news2->getId();
    n.site.menu->categories.add(link, n.site.menu);
    n.view->rebuildMenuTree();
    navtest::leftClick(n.menu(), n.show(kMenu + QStringList{u"リンク"_s}));
    QTRY_VERIFY2(n.f.global().previewAddress.endsWith(u"/news2.html"_s),
                 qPrintable(n.f.global().previewAddress));
}

void TestNavigationPane::htmlOutput()
{
    Navigation n;
    QVERIFY(n.start());
    n.view->setProgressDelay(0);
    QSignalSpy progress(n.view, &NavigationPane::outputProgress);
    QPushButton *output = n.button(u"outputButton"_s);
    QCOMPARE(output->text(), u"HTML出力"_s);
    QTest::mouseClick(output, Qt::LeftButton);

    QCOMPARE(n.openedFolders.size(), 1);
    const QString published = n.openedFolders.first().toLocalFile();
    QCOMPARE(QFileInfo(published).absoluteFilePath(),
             QFileInfo(n.f.path(u"web/テストサイト"_s)).absoluteFilePath());
    QVERIFY(QFileInfo::exists(published + u"/index.html"_s));
    QVERIFY(QFileInfo::exists(published + u"/news2.html"_s));
    QVERIFY(QFileInfo::exists(published + u"/about/history.html"_s));
    QCOMPARE(progress.count(), 3);
    QCOMPARE(progress.last(), QVariantList({3, 3}));
    QVERIFY(n.f.frame()->findChild<QWidget *>(u"outputProgress"_s) == nullptr);
    QVERIFY(n.f.messageBoxes().shownTexts().isEmpty());

    // The status bar says what was done, and its button opens the folder again.
    const QString result = n.f.frame()->findChild<QLabel *>(u"outputResult"_s)->text();
    QVERIFY2(result.startsWith(u"HTML出力: 3 ページを書き出し、0 ページは変更なし"_s) &&
                 result.contains(u"メッセージ 0 件"_s),
             qPrintable(result));
    QTest::mouseClick(n.f.frame()->findChild<QPushButton *>(u"openPublishedButton"_s),
                      Qt::LeftButton);
    QCOMPARE(n.openedFolders.size(), 2);
    // Without a file manager the user learns where the site is.
    n.view->setFolderOpener([](const QUrl &) { return false; });
    QTest::mouseClick(output, Qt::LeftButton);
    QVERIFY(n.f.frame()
                ->findChild<QLabel *>(u"outputResult"_s)
                ->text()
                .contains(u"0 ページを書き出し、3 ページは変更なし"_s));
    QCOMPARE(n.f.messageBoxes().shownTexts().size(), 1);
    QVERIFY(n.f.messageBoxes().shownTexts().first().contains(published));
    n.f.messageBoxes().clearShownTexts();

    QVERIFY(n.f.frame()->brokenLinksWindow() == nullptr);
    // A link that leads nowhere is listed after the output; a double-click previews its page.
    const QString pageTemplate = n.f.path(u"tpl/ページテンプレート/page.html"_s);
    QString templateText = velmo::readTextFile(pageTemplate).value_or(QString());
    QVERIFY(velmo::writeTextFile(
        templateText.replace(u"</body>"_s, u"<a href=\"gone.html\">x</a></body>"_s), pageTemplate));
    QTest::mouseClick(output, Qt::LeftButton);
    BrokenLinksWindow *broken = n.f.frame()->brokenLinksWindow();
    QVERIFY(broken != nullptr && broken->isVisible());
    QCOMPARE(broken->list()->topLevelItemCount(), 3);
    QTreeWidgetItem *first = broken->list()->topLevelItem(0);
    QCOMPARE(first->text(2), u"gone.html"_s);
    Q_EMIT broken->list()->itemDoubleClicked(first, 0);
    QCOMPARE(n.f.global().previewAddress,
             n.f.app().controller().lastLinkCheckFolder() + u'/' + first->text(0));
    QVERIFY(
        n.f.frame()->findChild<QLabel *>(u"outputResult"_s)->text().contains(u"リンク切れ 3 件"_s));

    // Without a current site nothing is opened.
    n.f.global().sites.clear();
    n.menu()->clearTree();
    QTest::mouseClick(output, Qt::LeftButton);
    QCOMPARE(n.openedFolders.size(), 2);
    QVERIFY(!n.f.messageBoxes().shownTexts().isEmpty());
}

void TestNavigationPane::previewFollowsLinks()
{
    Navigation n;
    QVERIFY(n.start());
    navtest::leftClick(n.menu(), n.show(kNews + QStringList{u"ニュース2"_s}));
    QTRY_VERIFY(n.f.global().previewAddress.endsWith(u"/news2.html"_s));
    // A page never shown yet is written when the browser is about to open it, and the tree
    // selects its object.
    const QString target = QFileInfo(n.f.global().previewAddress).path() + u"/about/history.html"_s;
    QVERIFY(!QFileInfo::exists(target));
    QWebEngineView *view = n.f.frame()->previewView()->previewDialog()->browser()->view();
    // As a link of the page would: a navigation the page itself starts, once the page shown is
    // the site's (the start page may still be there).
    bool followed = false;
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
            view->page()->runJavaScript(
                u"location.href.endsWith('/news2.html') ? "
                u"(location.href = 'about/history.html', true) : false"_s,
                [&followed](const QVariant &result) { followed = followed || result.toBool(); });
            return followed;
        }(),
        10000);
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(target), 10000);
    QTRY_COMPARE(n.menu()->selectedObject(), n.site.history);
    QTRY_COMPARE(n.f.frame()->controller().routedObject(), n.site.history);
    // The selection the link made is not previewed again.
    QCOMPARE(n.f.global().previewAddress.endsWith(u"/news2.html"_s), true);
}

void TestNavigationPane::enterAndEscapeAreConsumed()
{
    Navigation n;
    QVERIFY(n.start());
    QTreeWidgetItem *page = n.show(kNews + QStringList{u"ニュース1"_s});
    navtest::leftClick(n.menu(), page);
    QSignalSpy activated(n.menu(), &QTreeWidget::itemActivated);
    n.menu()->setFocus();
    QTest::keyClick(n.menu(), Qt::Key_Return);
    QTest::keyClick(n.menu(), Qt::Key_Enter);
    QTest::keyClick(n.menu(), Qt::Key_Escape);
    QCOMPARE(activated.count(), 0);
    // Other keys still work.
    QTest::keyClick(n.menu(), Qt::Key_Down);
    QCOMPARE(n.menu()->selectedObject(), n.site.news2);
}

QTEST_MAIN(TestNavigationPane)
#include "tst_navigationpane.moc"
