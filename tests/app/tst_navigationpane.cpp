// The navigation form in the real main window: the site combo and the trees following the
// document, the context-menu commands, "上へ"/"下へ", the storage area with drag and drop back
// and forth, copies by Ctrl-drag, commands on a selection that went stale, "空にする" and its
// undo, "HTML出力" and the keyboard.
#include <memory>

#include <QAction>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QMimeData>
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
#include "model/documentwriter.h"
#include "model/fileutil.h"
#include "model/objectcommands.h"
#include "model/page.h"
#include "model/site.h"
#include "model/undohistory.h"
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
    DocumentController &controller() { return f.frame()->controller(); }
    velmo::DocumentWriter &writer() { return controller().writer(); }
    // Expands the rows along path and returns its last one.
    QModelIndex show(const QStringList &path) const
    {
        for (int i = 1; i < path.size(); ++i) {
            const QModelIndex above = findItem(menu(), path.mid(0, i));
            if (above.isValid())
                menu()->expand(above);
        }
        return findItem(menu(), path);
    }
    // The storage box's row and the rows of what it holds.
    QModelIndex box() const { return storage()->model()->index(0, 0); }
    QModelIndex stored(int row) const { return storage()->model()->index(row, 0, box()); }

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
    void pagesWithOneFileAreSelectedAsClicked();
    void enterAndEscapeAreConsumed();
};

void TestNavigationPane::withoutSitesEverythingIsEmpty()
{
    Navigation n;
    QVERIFY(n.start(0));
    QCOMPARE(n.view->siteCombo()->count(), 0);
    QCOMPARE(n.menu()->model()->rowCount(), 0);
    QCOMPARE(n.storage()->model()->rowCount(), 0);
    QVERIFY(n.f.messageBoxes().shownTexts().isEmpty());

    // A site that comes in is shown at once: the combo and the trees follow the document.
    n.site = navtest::makeSampleSite(n.f.global(), n.f.path(u"tpl"_s));
    QCOMPARE(n.view->siteCombo()->count(), 1);
    QCOMPARE(n.menu()->rootObject(), n.site.site);
    QCOMPARE(n.storage()->rootObject(), &n.site.site->objectBox);
    // A new document empties the trees before its sites go.
    n.f.frame()->fileNewAction()->trigger();
    QCOMPARE(n.f.global().sites.count(), 0);
    QCOMPARE(n.menu()->model()->rowCount(), 0);
    QCOMPARE(n.storage()->model()->rowCount(), 0);
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

    // Both trees follow the site chosen.
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Down);
    QCOMPARE(combo->currentIndex(), 1);
    QCOMPARE(n.menu()->model()->index(0, 0).data().toString(), u"第二サイト"_s);
    QCOMPARE(n.f.global().getCurrentSite(), n.second.site);
    QCOMPARE(n.storage()->rootObject(), &n.second.site->objectBox);

    // The site chosen last wins when the combo is filled again.
    combo->setCurrentIndex(0);
    n.view->fillSiteCombo();
    QCOMPARE(combo->currentIndex(), 1);

    // The combo follows renames and deletions of sites; the first site takes over from a
    // current one that went, and undo brings that one back as the current site.
    n.controller().renameObject(n.site.site, u"改名サイト"_s);
    QCOMPARE(combo->itemText(0), u"改名サイト"_s);
    QVERIFY(n.writer().deleteSite(n.second.site));
    QCOMPARE(combo->count(), 1);
    QCOMPARE(combo->currentIndex(), 0);
    QCOMPARE(n.menu()->rootObject(), n.site.site);
    QCOMPARE(n.storage()->rootObject(), &n.site.site->objectBox);
    n.f.frame()->undoAction()->trigger();
    QCOMPARE(combo->count(), 2);
    QCOMPARE(combo->currentIndex(), 1);
    QCOMPARE(n.menu()->rootObject(), n.second.site);
    QVERIFY(n.f.messageBoxes().shownTexts().isEmpty());
}

void TestNavigationPane::contextMenusBuildTheMenu()
{
    Navigation n;
    QVERIFY(n.start());
    n.f.doc().setModifiedFlag(false);
    n.menu()->expand(n.show(kNews));

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
    // The row came in where it belongs; nothing else changed in the tree.
    QVERIFY(n.menu()->isExpanded(findItem(n.menu(), kMenu)));
    QVERIFY(n.menu()->isExpanded(findItem(n.menu(), kNews)));
    QVERIFY(!n.menu()->isExpanded(findItem(n.menu(), kAbout)));

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
    QTRY_COMPARE(n.controller().routedObject(), page);

    shown = rightClickAndChoose(n.menu(), n.show(created + QStringList{u"ページ"_s}),
                                u"新規コンテンツ作成 (&W)"_s);
    QCOMPARE(shown.title, u"page"_s);
    QTRY_COMPARE(page->contentGroups.count(), 1);
    const QString groupName = page->contentGroups.first()->name;
    QVERIFY(groupName.startsWith(u"コンテンツ"_s));
    QTRY_VERIFY(n.show(created + QStringList{u"ページ"_s, groupName}).isValid());

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
    navtest::MenuResult shown =
        rightClickAndChoose(n.menu(), n.menu()->model()->index(0, 0), QString());
    QVERIFY(!shown.shown);
    QCOMPARE(n.menu()->selectedObject(), n.site.site);
    shown = rightClickAndChoose(
        n.menu(), n.show(kNews + QStringList{u"ニュース1"_s, u"本文"_s, u"内容"_s}), QString());
    QVERIFY(!shown.shown);

    velmo::Page *page = n.site.history;
    QVERIFY(n.writer().deleteToStorage(page));
    QCOMPARE(n.storage()->objectAt(n.stored(0)), page);
    shown = rightClickAndChoose(n.storage(), n.stored(0), QString());
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

    // Categories move among their siblings; a lone page stays, and no step is made of it.
    navtest::leftClick(n.menu(), n.show(kAbout));
    QTest::mouseClick(up, Qt::LeftButton);
    QTRY_COMPARE(childLabels(findItem(n.menu(), kMenu)),
                 QStringList({u"会社概要"_s, u"お知らせ"_s}));
    QTRY_COMPARE(n.menu()->selectedObject(), n.site.about);
    navtest::leftClick(n.menu(), n.show(kAbout + QStringList{u"沿革"_s}));
    const int steps = n.controller().history().count();
    QTest::mouseClick(down, Qt::LeftButton);
    QCOMPARE(n.controller().history().count(), steps);
    QCOMPARE(n.menu()->selectedObject(), n.site.history);
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
    QCOMPARE(childLabels(n.box()), QStringList{u"お知らせ"_s});
    QCOMPARE(childLabels(n.stored(0)),
             QStringList({u"ニュース1"_s, u"ニュース2"_s, u"過去ログ"_s}));

    // Dragged from the storage area back onto the menu hierarchy.
    QVERIFY(navtest::dragAndDrop(n.storage(), n.stored(0), n.menu(), findItem(n.menu(), kMenu)));
    QCOMPARE(names(n.site.menu->categories), QStringList({u"会社概要"_s, u"お知らせ"_s}));
    QCOMPARE(n.site.news->parent(), n.site.menu);
    QVERIFY(n.site.site->objectBox.items.isEmpty());
    QCOMPARE(childLabels(findItem(n.menu(), kMenu)), QStringList({u"会社概要"_s, u"お知らせ"_s}));
    QCOMPARE(n.storage()->model()->rowCount(n.box()), 0);

    // A content group from the menu onto a page in the storage area.
    QVERIFY(n.writer().deleteToStorage(n.site.history));
    QVERIFY(navtest::dragAndDrop(n.menu(), n.show(kNews + QStringList{u"ニュース2"_s, u"本文2"_s}),
                                 n.storage(), n.stored(0)));
    QCOMPARE(names(n.site.history->contentGroups), QStringList({u"本文"_s, u"本文2"_s}));
    QVERIFY(n.site.news2->contentGroups.isEmpty());
    QCOMPARE(childLabels(n.stored(0)), QStringList({u"本文"_s, u"本文2"_s}));
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
        QVERIFY(!navtest::dragAndDrop(n.menu(), findItem(n.menu(), kNews), n.menu(),
                                      findItem(n.menu(), kNews + QStringList{u"過去ログ"_s}),
                                      keys));
        QVERIFY(!navtest::dragAndDrop(n.menu(), findItem(n.menu(), kNews), n.menu(),
                                      findItem(n.menu(), kNews), keys));
        // A pair the rules do not know.
        QVERIFY(!navtest::dragAndDrop(
            n.menu(), findItem(n.menu(), kNews + QStringList{u"ニュース1"_s}), n.menu(),
            findItem(n.menu(), kNews + QStringList{u"ニュース2"_s}), keys));
    }
    QCOMPARE(n.site.news->parent(), n.site.menu);
    QCOMPARE(names(n.site.news->categories), QStringList{u"過去ログ"_s});
    QVERIFY(n.site.archive->categories.isEmpty());
    QCOMPARE(names(n.site.news->pages), QStringList({u"ニュース1"_s, u"ニュース2"_s}));
    QCOMPARE(childLabels(findItem(n.menu(), kMenu)), QStringList({u"お知らせ"_s, u"会社概要"_s}));
    QCOMPARE(n.controller().history().count(), 0);
}

void TestNavigationPane::staleSelection()
{
    Navigation n;
    QVERIFY(n.start());
    velmo::UndoHistory &history = n.controller().history();

    // The page leaves the menu while its context menu is open: the selection went with its
    // row, and the command chosen finds nothing to act on (neither the page nor a neighbour).
    navtest::MenuResult shown = rightClickAndChoose(
        n.menu(), n.show(kNews + QStringList{u"ニュース2"_s}), u"ページ削除 (&D)"_s,
        [&n] { QVERIFY(n.writer().deleteToStorage(n.site.news2)); });
    QVERIFY(shown.chosen);
    QTest::qWait(20);
    QCOMPARE(history.count(), 1);
    QCOMPARE(n.site.news2->parent(), &n.site.site->objectBox);
    QVERIFY(n.menu()->selectedObject() == nullptr);
    QCOMPARE(childLabels(findItem(n.menu(), kNews)), QStringList({u"ニュース1"_s, u"過去ログ"_s}));
    QTest::mouseClick(n.button(u"upButton"_s), Qt::LeftButton);
    QCOMPARE(names(n.site.news->pages), QStringList{u"ニュース1"_s});
    QCOMPARE(history.count(), 1);

    // A drag whose object left the document meanwhile drops nothing.
    const QModelIndex about = n.show(kAbout + QStringList{u"沿革"_s});
    const std::unique_ptr<QMimeData> data(n.menu()->model()->mimeData({about}));
    QVERIFY(n.writer().deleteToStorage(n.site.history));
    QVERIFY(n.writer().emptyStorage(n.site.site) > 0);
    QVERIFY(!navtest::dropOnto(n.menu(), n.show(kNews), data.get()));
    QCOMPARE(childLabels(findItem(n.menu(), kNews)), QStringList({u"ニュース1"_s, u"過去ログ"_s}));
    QVERIFY(n.site.news->pages.indexOfObject(n.site.history) < 0);
    QVERIFY(n.f.messageBoxes().shownTexts().isEmpty());
}

void TestNavigationPane::emptyStorage()
{
    Navigation n;
    QVERIFY(n.start());
    navtest::leftClick(n.menu(), n.show(kNews + QStringList{u"ニュース2"_s}));
    QTRY_COMPARE(n.controller().routedObject(), n.site.news2);
    // The Delete key does what the context menu's "ページ削除 (&D)" does.
    QTest::keyClick(n.menu(), Qt::Key_Delete);
    // The row below the deleted one is selected, as the user goes on from there.
    QCOMPARE(n.storage()->model()->rowCount(n.box()), 1);
    QCOMPARE(n.menu()->selectedObject(), n.site.archive);
    QTRY_COMPARE(n.controller().routedObject(), n.site.archive);

    // The user is asked, with the page, its group and content counted, and told that undo
    // brings them back.
    QPushButton *empty = n.button(u"emptyStorageButton"_s);
    QCOMPARE(empty->text(), u"空にする"_s);
    n.f.messageBoxes().clearShownTexts();
    n.f.messageBoxes().queueAnswer(QMessageBox::No);
    QTest::mouseClick(empty, Qt::LeftButton);
    QCOMPARE(n.f.messageBoxes().shownTexts(),
             QStringList{u"一時置き場にある 3 個のオブジェクトを削除します。\r\n"
                         u"よろしいですか？（[編集] の [元に戻す] で取り消せます）"_s});
    QCOMPARE(n.site.site->objectBox.items.count(), 1);
    QCOMPARE(n.storage()->model()->rowCount(n.box()), 1);

    n.f.messageBoxes().queueAnswer(QMessageBox::Yes);
    QTest::mouseClick(empty, Qt::LeftButton);
    QVERIFY(n.site.site->objectBox.items.isEmpty());
    QCOMPARE(n.storage()->model()->rowCount(), 1);
    QCOMPARE(n.storage()->model()->rowCount(n.box()), 0);
    QCOMPARE(names(n.site.news->pages), QStringList{u"ニュース1"_s});

    // An empty box has nothing to ask about.
    n.f.messageBoxes().clearShownTexts();
    QTest::mouseClick(empty, Qt::LeftButton);
    QVERIFY(n.f.messageBoxes().shownTexts().isEmpty());

    // Undo puts the page back into the box, with what it held.
    QCOMPARE(n.f.frame()->undoAction()->text(), u"元に戻す: 一時置き場を空にする"_s);
    n.f.frame()->undoAction()->trigger();
    QCOMPARE(n.site.site->objectBox.items.first(), n.site.news2);
    QCOMPARE(childLabels(n.stored(0)), QStringList{u"本文2"_s});
}

void TestNavigationPane::selectionReachesPanesAndPreview()
{
    Navigation n;
    QVERIFY(n.start());
    navtest::leftClick(n.menu(), n.show(kNews + QStringList{u"ニュース2"_s}));
    QTRY_COMPARE(n.controller().routedObject(), n.site.news2);
    QVERIFY2(n.f.global().previewAddress.endsWith(u"/news2.html"_s),
             qPrintable(n.f.global().previewAddress));
    QVERIFY(QFileInfo::exists(n.f.global().previewAddress));
    navtest::leftClick(n.menu(), n.show(kNews + QStringList{u"ニュース2"_s, u"本文2"_s}));
    QTRY_COMPARE(n.controller().routedObject(), n.site.news2Body);

    // A content shows the page that holds it (the home page), not the page shown before.
    navtest::leftClick(n.menu(), n.show(kNews + QStringList{u"ニュース1"_s, u"本文"_s, u"内容"_s}));
    QTRY_VERIFY2(n.f.global().previewAddress.endsWith(u"/index.html"_s),
                 qPrintable(n.f.global().previewAddress));

    // A link menu shows the page it leads to.
    n.controller().runCommand(velmo::ObjectCommands::NewCategory, n.site.menu);
    auto *link = n.site.menu->categories.last();
    n.controller().renameObject(link, u"リンク"_s);
    n.controller().setLinkMenu(link, true);
    n.controller().setLinkTarget(link, n.site.news2);
    // The new category was selected as it came; another row first, so that the click selects.
    navtest::leftClick(n.menu(), n.show(kAbout));
    QTRY_VERIFY(n.f.global().previewAddress.endsWith(u"/about/history.html"_s));
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
    QVERIFY2(result.startsWith(u"HTML出力: 3 ページを公開、0 ページは変更なし"_s) &&
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
                .contains(u"0 ページを公開、3 ページは変更なし"_s));
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
    QVERIFY(n.writer().deleteSite(n.site.site));
    QCOMPARE(n.menu()->model()->rowCount(), 0);
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
    QTRY_COMPARE(n.controller().routedObject(), n.site.history);
    // The selection the link made is not previewed again.
    QCOMPARE(n.f.global().previewAddress.endsWith(u"/news2.html"_s), true);
}

void TestNavigationPane::pagesWithOneFileAreSelectedAsClicked()
{
    Navigation n;
    QVERIFY(n.start());
    // A second page of 会社概要 written to about/history.html, as 沿革 is.
    auto *twin = velmo::object_cast<velmo::Page>(
        n.writer().runMenuCommand(velmo::ObjectCommands::NewPage, n.site.about));
    QVERIFY(twin != nullptr);
    n.writer().setField(twin, velmo::Field::FileName, u"history"_s);
    n.writer().setField(twin, velmo::Field::Title, u"双子のタイトル"_s);
    velmo::Object *twinBody =
        n.writer().runMenuCommand(velmo::ObjectCommands::NewContentGroup, twin);
    QWebEngineView *view = n.f.frame()->previewView()->previewDialog()->browser()->view();
    // Held by the callbacks too: one may still arrive after the test is over.
    const auto shown = std::make_shared<QString>();
    const auto showing = [&](const QString &text) {
        view->page()->toPlainText([shown](const QString &page) { *shown = page; });
        return shown->contains(text);
    };

    navtest::leftClick(n.menu(), n.show(kAbout + QStringList{u"沿革"_s}));
    QTRY_VERIFY_WITH_TIMEOUT(showing(u"沿革のタイトル"_s), 10000);
    // The twin's page has the same address: the preview shows it, and the tree keeps the row
    // the user clicked, for its page and for its content.
    navtest::leftClick(n.menu(), n.show(kAbout + QStringList{twin->name}));
    QTRY_VERIFY_WITH_TIMEOUT(showing(u"双子のタイトル"_s), 10000);
    QTest::qWait(500);
    QCOMPARE(n.menu()->selectedObject(), twin);
    QCOMPARE(n.controller().routedObject(), twin);
    navtest::leftClick(n.menu(), n.menu()->indexOf(twinBody));
    QTest::qWait(500);
    QCOMPARE(n.menu()->selectedObject(), twinBody);
    QCOMPARE(n.controller().routedObject(), twinBody);
}

void TestNavigationPane::enterAndEscapeAreConsumed()
{
    Navigation n;
    QVERIFY(n.start());
    navtest::leftClick(n.menu(), n.show(kNews + QStringList{u"ニュース1"_s}));
    QSignalSpy activated(n.menu(), &QAbstractItemView::activated);
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
