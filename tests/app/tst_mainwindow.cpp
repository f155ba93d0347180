// The main window: its menu, splitters and panes, the routing of the selection to the property
// and content panes, the preview pane with its browser and buttons, and the message boxes.
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QSplitter>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>
#include <QWebEngineHistory>
#include <QWebEngineHistoryItem>
#include <QWebEngineView>

#include "app/aboutdialog.h"
#include "app/contentpane.h"
#include "app/documentcontroller.h"
#include "app/externalprograms.h"
#include "app/navigationpane.h"
#include "app/objecttree.h"
#include "app/previewbrowser.h"
#include "app/previewpane.h"
#include "app/propertypane.h"
#include "app/webbrowser.h"
#include "apptestsupport.h"
#include "model/category.h"
#include "model/classification.h"
#include "model/contentgroup.h"
#include "model/page.h"
#include "model/site.h"

using namespace Qt::StringLiterals;
using apptest::AppFixture;

namespace {

constexpr int kLoadTimeout = 30000;

// A form that remembers every object it was given.
struct RecordingForm
{
    QLabel *widget = nullptr;
    QList<velmo::Object *> given;
};

struct SiteTree
{
    velmo::Site *site = nullptr;
    velmo::Category *category = nullptr;
    velmo::Page *page = nullptr;
    velmo::ContentGroup *group = nullptr;
};

// Built whole, then placed in the document as one announced insertion.
SiteTree buildSite(velmo::Document &global)
{
    SiteTree tree;
    auto site = std::make_unique<velmo::Site>();
    tree.site = site.get();
    velmo::Classification *menu = tree.site->classifications.first();
    tree.category = new velmo::Category;
    menu->categories.add(tree.category, menu);
    tree.page = new velmo::Page;
    tree.category->pages.add(tree.page, tree.category);
    tree.group = new velmo::ContentGroup;
    tree.page->contentGroups.add(tree.group, tree.page);
    if (!global.insertObject(nullptr, tree.site))
        return {};
    site.release(); // the document's now
    return tree;
}

void registerRecording(FormPane *pane, qint32 classCode, RecordingForm &form)
{
    form.widget = new QLabel(u"form %1"_s.arg(classCode));
    form.widget->setObjectName(u"form%1"_s.arg(classCode));
    QVERIFY(pane->registerForm(classCode, form.widget,
                               [&form](velmo::Object *object) { form.given << object; }));
}

QString writeHtml(const QString &path, const QString &title)
{
    apptest::writeAll(path, u"<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>%1</title>"
                            u"</head><body><h1>%1</h1></body></html>"_s.arg(title)
                                .toUtf8());
    return path;
}

// A stand-in for an external program: appends each argument it gets as a line to <script>.out.
QString writeRecorder(const QString &path)
{
    apptest::writeAll(path,
                      "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done >> \"$0.out\"\n");
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

QStringList recorded(const QString &script)
{
    const QString text = QString::fromUtf8(apptest::readAll(script + u".out"_s));
    return text.split(u'\n', Qt::SkipEmptyParts);
}

QWebEngineView *browserView(AppFixture &f)
{
    return f.frame()->previewView()->previewDialog()->browser()->view();
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

public:
    static void initMain() { apptest::initMain(); }

private Q_SLOTS:
    void menuCaptions_data();
    void menuCaptions();
    void windowHasOnlyMenuAndPanes();
    void initialPaneSizes_data();
    void initialPaneSizes();
    void splittersStartWithInitialSizes();
    void navigationFormTakesTheLeftPane();
    void selectionIsRoutedToTheForms();
    void sameObjectTwiceIsNotRoutedAgain();
    void newDocumentEmptiesTheForms();
    void formRegistration();
    void nextPaneKeys();
    void previewShowsRequestedPages();
    void rapidPreviewsShowTheLast();
    void previewRequestsAfterFormIsGone();
    void pageAgainKeepsScrollOrGoesToAnchor();
    void sourceFileParameter_data();
    void sourceFileParameter();
    void browserAndSourceButtons();
    void documentDroppedOnPreviewIsOpened();
    void aboutDialog();
    void messagesShowInMessageBoxes();
};

void TestMainWindow::menuCaptions_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QKeySequence>("shortcut");

    // clang-format off
    QTest::newRow("new")     << u"actionFileNew"_s     << u"新規作成\tCtrl+N(&N)"_s         << QKeySequence(u"Ctrl+N"_s);
    QTest::newRow("open")    << u"actionFileOpen"_s    << u"開く...\tCtrl+O(&O)"_s          << QKeySequence(u"Ctrl+O"_s);
    QTest::newRow("save")    << u"actionFileSave"_s    << u"上書き保存\tCtrl+S(&S)"_s       << QKeySequence(u"Ctrl+S"_s);
    QTest::newRow("save as") << u"actionFileSaveAs"_s  << u"名前を付けて保存(&A)..."_s      << QKeySequence();
    QTest::newRow("exit")    << u"actionAppExit"_s     << u"アプリケーションの終了(&X)"_s   << QKeySequence(u"Ctrl+Q"_s);
    QTest::newRow("paths")   << u"actionPathSetting"_s << u"ディレクトリ設定"_s             << QKeySequence();
    QTest::newRow("about")   << u"actionAppAbout"_s    << u"バージョン情報 Velmo(&A)..."_s  << QKeySequence();
    QTest::newRow("next")    << u"actionNextPane"_s    << u"次のペイン"_s                   << QKeySequence(u"F6"_s);
    QTest::newRow("prev")    << u"actionPrevPane"_s    << u"前のペイン"_s                   << QKeySequence(u"Shift+F6"_s);
    // clang-format on
}

void TestMainWindow::menuCaptions()
{
    QFETCH(QString, action);
    QFETCH(QString, caption);
    QFETCH(QKeySequence, shortcut);

    AppFixture f;
    QVERIFY(f.start());
    auto *found = f.frame()->findChild<QAction *>(action);
    QVERIFY(found != nullptr);
    QCOMPARE(found->text(), caption);
    QCOMPARE(found->shortcut(), shortcut);
}

void TestMainWindow::windowHasOnlyMenuAndPanes()
{
    AppFixture f;
    QVERIFY(f.start());
    MainWindow *frame = f.frame();
    QVERIFY(frame->isMaximized());
    QVERIFY(!frame->windowIcon().isNull());

    QStringList menus;
    for (QAction *menu : frame->menuBar()->actions())
        menus << menu->text();
    QCOMPARE(menus, QStringList({u"ファイル(&F)"_s, u"編集(&E)"_s, u"設定"_s, u"ヘルプ(&H)"_s}));
    QStringList fileItems;
    for (QAction *item : frame->findChild<QMenu *>(u"menuFile"_s)->actions()) {
        if (item->isSeparator())
            fileItems << u"-"_s;
        else if (item->isVisible())
            fileItems << item->text();
    }
    QCOMPARE(fileItems,
             QStringList({u"新規作成\tCtrl+N(&N)"_s, u"開く...\tCtrl+O(&O)"_s,
                          u"上書き保存\tCtrl+S(&S)"_s, u"名前を付けて保存(&A)..."_s, u"-"_s,
                          u"最近使ったファイル"_s, u"-"_s, u"アプリケーションの終了(&X)"_s}));

    // 編集: undo and redo name no step while there is none.
    QStringList editItems;
    for (QAction *item : frame->findChild<QMenu *>(u"menuEdit"_s)->actions())
        editItems << (item->isSeparator() ? u"-"_s : item->text());
    QCOMPARE(editItems, QStringList({u"元に戻す"_s, u"やり直し"_s, u"-"_s, u"切り取り"_s,
                                     u"コピー"_s, u"貼り付け"_s}));

    QVERIFY(frame->findChildren<QToolBar *>().isEmpty());
    // The status bar shows only once a site output has something to say.
    QVERIFY(!frame->statusBar()->isVisible());
    QCOMPARE(frame->outerSplitter()->widget(1), frame->rightSplitter());
    QCOMPARE(frame->rightSplitter()->widget(0), frame->previewView());
    QCOMPARE(frame->rightSplitter()->widget(1), frame->lowerSplitter());
    QCOMPARE(frame->lowerSplitter()->widget(0), frame->propertyView());
    QCOMPARE(frame->lowerSplitter()->widget(1), frame->contentView());
    QCOMPARE(frame->rightSplitter()->orientation(), Qt::Vertical);
}

void TestMainWindow::initialPaneSizes_data()
{
    QTest::addColumn<QSize>("client");
    QTest::addColumn<QList<int>>("expected");

    // navigation, preview w/h, property w/h, content w/h, right ideal, right minimum
    // clang-format off
    QTest::newRow("1000x700") << QSize(1000, 700) << QList<int>{320, 666, 400, 250, 350, 400, 350, 500, 100};
    QTest::newRow("1599x901") << QSize(1599, 901) << QList<int>{320, 1066, 514, 399, 450, 639, 450, 799, 159};
    QTest::newRow("tiny")     << QSize(9, 6)      << QList<int>{320, 6, 3, 2, 3, 3, 3, 4, 0};
    // clang-format on
}

void TestMainWindow::initialPaneSizes()
{
    QFETCH(QSize, client);
    QFETCH(QList<int>, expected);

    const MainWindow::PaneSizes s = MainWindow::initialPaneSizes(client.width(), client.height());
    QCOMPARE(QList<int>({s.navigationWidth, s.previewWidth, s.previewHeight, s.propertyWidth,
                         s.propertyHeight, s.contentWidth, s.contentHeight, s.rightIdealWidth,
                         s.rightMinimumWidth}),
             expected);
}

void TestMainWindow::splittersStartWithInitialSizes()
{
    AppFixture f;
    QVERIFY(f.start());
    MainWindow *frame = f.frame();
    const QSize client = frame->outerSplitter()->size();
    const MainWindow::PaneSizes s = MainWindow::initialPaneSizes(client.width(), client.height());
    QCOMPARE(frame->outerSplitter()->sizes().first(), s.navigationWidth);
    QCOMPARE(frame->rightSplitter()->sizes().first(), s.previewHeight);
    QCOMPARE(frame->lowerSplitter()->sizes().first(), s.propertyWidth);
    QCOMPARE(frame->rightSplitter()->minimumWidth(), s.rightMinimumWidth);

    // Until the user moves a divider the panes keep their starting sizes, also when the
    // window manager settles the window's size late.
    frame->showNormal();
    frame->resize(client.width() - 100, frame->height() - 60);
    QTRY_COMPARE(frame->outerSplitter()->width(), client.width() - 100);
    const QSize smaller = frame->outerSplitter()->size();
    const MainWindow::PaneSizes t = MainWindow::initialPaneSizes(smaller.width(), smaller.height());
    QCOMPARE(frame->rightSplitter()->sizes().first(), t.previewHeight);
    QCOMPARE(frame->lowerSplitter()->sizes().first(), t.propertyWidth);

    // Dragged by the user, the divider stays where it was put; the last pane takes the rest.
    QSplitterHandle *handle = frame->rightSplitter()->handle(1);
    const QPoint grip = handle->rect().center();
    QTest::mousePress(handle, Qt::LeftButton, Qt::NoModifier, grip);
    QTest::mouseMove(handle, grip + QPoint(0, 30));
    QTest::mouseRelease(handle, Qt::LeftButton, Qt::NoModifier, grip + QPoint(0, 30));
    const int dragged = frame->rightSplitter()->sizes().first();
    QCOMPARE(dragged, t.previewHeight + 30);
    frame->resize(frame->width() + 80, frame->height() + 50);
    QTRY_COMPARE(frame->outerSplitter()->width(), smaller.width() + 80);
    QCOMPARE(frame->rightSplitter()->sizes().first(), dragged);
    QCOMPARE(frame->outerSplitter()->sizes().first(), t.navigationWidth);
}

void TestMainWindow::navigationFormTakesTheLeftPane()
{
    AppFixture f;
    QVERIFY(f.start());
    MainWindow *frame = f.frame();
    // Start-up put the navigation form where the empty pane was kept for it.
    QPointer<NavigationPane> installed = f.navigation();
    QVERIFY(!installed.isNull());
    QCOMPARE(frame->outerSplitter()->widget(0), installed.data());
    QCOMPARE(frame->findChild<QWidget *>(u"navigationPlaceholder"_s), nullptr);
    QVERIFY(installed->isVisible());
    const int width = frame->outerSplitter()->sizes().first();
    QCOMPARE(width, 320);

    // Another form takes the old one's place and size; the old one goes.
    NavigationPane *form = NavigationPane::install(*frame, frame->controller());
    QCOMPARE(frame->navigationView(), form);
    QCOMPARE(frame->outerSplitter()->widget(0), form);
    QVERIFY(installed.isNull());
    QTRY_COMPARE(frame->outerSplitter()->sizes().first(), width);

    // The form hears of every new or opened document, ahead of the preview pane, and shows it.
    QList<bool> previewReadyAtUpdate;
    connect(frame, &MainWindow::initialUpdate, this,
            [&] { previewReadyAtUpdate << (frame->previewView()->previewDialog() != nullptr); });
    delete frame->previewView()->previewDialog();
    QSignalSpy initialUpdates(frame, &MainWindow::initialUpdate);
    frame->fileNewAction()->trigger();
    QCOMPARE(initialUpdates.count(), 1);
    QCOMPARE(previewReadyAtUpdate, QList<bool>{false});
    QVERIFY(frame->previewView()->previewDialog() != nullptr);
    QCOMPARE(form->siteCombo()->count(), 0);

    QCOMPARE(f.app().openDocumentFile(apptest::fixture(u"sample.vlm"_s)),
             Application::OpenResult::Opened);
    QCOMPARE(initialUpdates.count(), 2);
    QVERIFY(f.messageBoxes().shownTexts().isEmpty());
    QCOMPARE(form->siteCombo()->count(), f.global().sites.count());
    QCOMPARE(form->menuTree()->rootObject(), f.global().sites.first());
}

void TestMainWindow::selectionIsRoutedToTheForms()
{
    AppFixture f;
    QVERIFY(f.start());
    MainWindow *frame = f.frame();
    RecordingForm site, category, page, group, editor;
    registerRecording(frame->propertyView(), velmo::kClassSite, site);
    registerRecording(frame->propertyView(), velmo::kClassCategory, category);
    registerRecording(frame->propertyView(), velmo::kClassPage, page);
    registerRecording(frame->propertyView(), velmo::kClassContentGroup, group);
    registerRecording(frame->contentView(), velmo::kClassContentGroup, editor);
    QCOMPARE(frame->propertyView()->shownForm(), nullptr);
    const SiteTree tree = buildSite(f.global());

    // Posted: nothing changes until the event queue gets to it.
    frame->controller().postSelection(tree.page);
    QCOMPARE(frame->propertyView()->shownForm(), nullptr);
    QTRY_COMPARE(frame->propertyView()->shownForm(), page.widget);
    QCOMPARE(frame->contentView()->shownForm(), nullptr);
    QCOMPARE(page.given, QList<velmo::Object *>{tree.page});
    QVERIFY(page.widget->isVisible());
    QCOMPARE(page.widget->size(), frame->propertyView()->contentsRect().size());

    frame->controller().postSelection(tree.group);
    QTRY_COMPARE(frame->propertyView()->shownForm(), group.widget);
    QCOMPARE(frame->contentView()->shownForm(), editor.widget);
    QCOMPARE(group.given, QList<velmo::Object *>{tree.group});
    QCOMPARE(editor.given, QList<velmo::Object *>{tree.group});
    QVERIFY(!page.widget->isVisible());
    QVERIFY(editor.widget->isVisible());
    QCOMPARE(editor.widget->size(), frame->contentView()->contentsRect().size());

    frame->controller().postSelection(tree.category);
    QTRY_COMPARE(frame->propertyView()->shownForm(), category.widget);
    QCOMPARE(frame->contentView()->shownForm(), nullptr);

    frame->controller().routeSelection(tree.site);
    QCOMPARE(frame->propertyView()->shownForm(), site.widget);
    // A classification has no form: everything is hidden.
    frame->controller().routeSelection(tree.site->classifications.first());
    QCOMPARE(frame->propertyView()->shownForm(), nullptr);
    QCOMPARE(frame->contentView()->shownForm(), nullptr);

    // Selections are delivered in the order they were made.
    frame->controller().postSelection(tree.page);
    frame->controller().postSelection(tree.group);
    QTRY_COMPARE(frame->controller().routedObject(), static_cast<velmo::Object *>(tree.group));
    QCOMPARE(page.given.size(), 2);
    QCOMPARE(frame->propertyView()->shownForm(), group.widget);
}

void TestMainWindow::sameObjectTwiceIsNotRoutedAgain()
{
    AppFixture f;
    QVERIFY(f.start());
    MainWindow *frame = f.frame();
    RecordingForm group, editor;
    registerRecording(frame->propertyView(), velmo::kClassContentGroup, group);
    registerRecording(frame->contentView(), velmo::kClassContentGroup, editor);
    const SiteTree tree = buildSite(f.global());

    frame->controller().routeSelection(tree.group);
    frame->controller().routeSelection(tree.group);
    QCOMPARE(group.given.size(), 1);
    QCOMPARE(editor.given.size(), 1);
    frame->controller().routeSelection(tree.page);
    frame->controller().routeSelection(tree.group);
    QCOMPARE(group.given.size(), 2);
}

void TestMainWindow::newDocumentEmptiesTheForms()
{
    AppFixture f;
    QVERIFY(f.start());
    MainWindow *frame = f.frame();
    RecordingForm group, editor;
    registerRecording(frame->propertyView(), velmo::kClassContentGroup, group);
    registerRecording(frame->contentView(), velmo::kClassContentGroup, editor);
    const SiteTree tree = buildSite(f.global());
    frame->controller().routeSelection(tree.group);
    // Posted before the document goes, delivered after: it must not arrive.
    frame->controller().postSelection(tree.page);

    f.messageBoxes().queueAnswer(QMessageBox::No);
    frame->fileNewAction()->trigger();
    QVERIFY(f.global().sites.isEmpty());
    QCOMPARE(frame->controller().routedObject(), nullptr);
    QCOMPARE(frame->propertyView()->shownForm(), nullptr);
    QCOMPARE(frame->contentView()->shownForm(), nullptr);
    // The forms let go of the object before it was destroyed, and were given nothing else
    // (the session and the document's reset each tell them).
    for (const RecordingForm *form : {&group, &editor}) {
        QVERIFY(form->given.size() >= 2);
        QCOMPARE(form->given.first(), tree.group);
        QCOMPARE(form->given.count(nullptr), form->given.size() - 1);
    }
    const qsizetype told = group.given.size();
    QTest::qWait(50);
    QCOMPARE(frame->controller().routedObject(), nullptr);
    QCOMPARE(group.given.size(), told);
}

void TestMainWindow::formRegistration()
{
    AppFixture f;
    QVERIFY(f.start());
    PropertyPane *properties = f.frame()->propertyView();
    ContentPane *contents = f.frame()->contentView();
    const SiteTree tree = buildSite(f.global());

    auto *stray = new QLabel;
    QVERIFY(!properties->registerForm(velmo::kClassContent, stray));
    QVERIFY(!contents->registerForm(velmo::kClassCategory, stray));
    delete stray;

    QPointer<QLabel> first = new QLabel;
    QVERIFY(properties->registerForm(velmo::kClassPage, first));
    auto *second = new QLabel;
    QVERIFY(properties->registerForm(velmo::kClassPage, second));
    QVERIFY(first.isNull());
    QCOMPARE(properties->formFor(velmo::kClassPage), second);
    QCOMPARE(second->parentWidget(), properties);
    QVERIFY(!second->isVisible());

    // A form destroyed by someone else is forgotten, not shown.
    delete second;
    QCOMPARE(properties->formFor(velmo::kClassPage), nullptr);
    f.frame()->controller().routeSelection(tree.page);
    QCOMPARE(properties->shownForm(), nullptr);
}

void TestMainWindow::nextPaneKeys()
{
    AppFixture f;
    QVERIFY(f.start());
    MainWindow *frame = f.frame();
    frame->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(frame));

    frame->propertyView()->setFocus();
    QTRY_VERIFY(frame->propertyView()->hasFocus());
    QTest::keyClick(frame, Qt::Key_F6);
    QTRY_VERIFY(frame->contentView()->hasFocus());
    // The navigation form hands the keyboard to its first control.
    QTest::keyClick(frame, Qt::Key_F6);
    QTRY_VERIFY(frame->navigationView()->isAncestorOf(QApplication::focusWidget()));
    QTest::keyClick(frame, Qt::Key_F6, Qt::ShiftModifier);
    QTRY_VERIFY(frame->contentView()->hasFocus());
}

void TestMainWindow::previewShowsRequestedPages()
{
    AppFixture f;
    QVERIFY(f.start());
    // The browser starts by itself once the window is up, with the start page.
    QTRY_VERIFY(f.frame()->findChild<QWebEngineView *>() != nullptr);
    QWebEngineView *view = f.frame()->findChild<QWebEngineView *>();
    QTRY_COMPARE_WITH_TIMEOUT(view->title(), u"Velmo"_s, kLoadTimeout);
    QCOMPARE(browserView(f), view);
    QCOMPARE(f.frame()->previewView()->previewDialog()->browser()->locationUrl(),
             PreviewBrowser::homePageAddress() + u"?nosite"_s);

    QVERIFY(QDir().mkpath(f.path(u"site out"_s)));
    const QString first = writeHtml(f.path(u"site out/最初 のページ.html"_s), u"First"_s);
    const QString second = writeHtml(f.path(u"site out/second.html"_s), u"Second"_s);

    QCOMPARE(f.frame()->showInPreview(first), 1);
    QCOMPARE(f.global().previewAddress, first);
    QTRY_COMPARE_WITH_TIMEOUT(view->title(), u"First"_s, kLoadTimeout);
    WebBrowser *browser = f.frame()->previewView()->previewDialog()->browser();
    QCOMPARE(browser->locationUrl(), QUrl::fromLocalFile(first).toString(QUrl::FullyEncoded));
    const int entries = view->history()->count();

    // A new preview replaces the page it follows: "<-" goes back past it.
    f.frame()->showInPreview(second);
    QTRY_COMPARE_WITH_TIMEOUT(view->title(), u"Second"_s, kLoadTimeout);
    QCOMPARE(view->history()->count(), entries);
    auto *status = f.frame()->findChild<QLabel *>(u"previewStatusLine"_s);
    QVERIFY(status->isVisible());
    QTRY_COMPARE(status->text(), u"ページが表示されました"_s);

    // The same address again shows the page as it is now on disk.
    writeHtml(second, u"Second again"_s);
    f.frame()->showInPreview(second);
    QTRY_COMPARE_WITH_TIMEOUT(view->title(), u"Second again"_s, kLoadTimeout);

    QTest::mouseClick(f.frame()->findChild<QPushButton *>(u"backButton"_s), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(view->title(), u"Velmo"_s, kLoadTimeout);
    QTest::mouseClick(f.frame()->findChild<QPushButton *>(u"forwardButton"_s), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(view->title(), u"Second again"_s, kLoadTimeout);

    QTest::mouseClick(f.frame()->findChild<QPushButton *>(u"logoButton"_s), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(view->title(), u"Velmo"_s, kLoadTimeout);
}

void TestMainWindow::rapidPreviewsShowTheLast()
{
    AppFixture f;
    QVERIFY(f.start());
    // Asked for while the start page is still loading and one after the other: the last page
    // is shown, and none of the others stays behind in the history.
    QStringList pages;
    for (const QString &name : {u"a"_s, u"b"_s, u"c"_s})
        pages << writeHtml(f.path(name + u".html"_s), name.toUpper());
    for (const QString &page : std::as_const(pages))
        f.frame()->showInPreview(page);
    QWebEngineView *view = browserView(f);
    QTRY_COMPARE_WITH_TIMEOUT(view->title(), u"C"_s, kLoadTimeout);
    QTRY_COMPARE(f.frame()->findChild<QLabel *>(u"previewStatusLine"_s)->text(),
                 u"ページが表示されました"_s);
    const QList<QWebEngineHistoryItem> entries = view->history()->items();
    QVERIFY(!entries.isEmpty());
    QCOMPARE(entries.constLast().url(), QUrl::fromLocalFile(pages.last()));
    for (const QWebEngineHistoryItem &entry : entries)
        QVERIFY(entry.url() != QUrl::fromLocalFile(pages.at(0)) &&
                entry.url() != QUrl::fromLocalFile(pages.at(1)));
}

void TestMainWindow::pageAgainKeepsScrollOrGoesToAnchor()
{
    AppFixture f;
    QVERIFY(f.start());
    QWebEngineView *view = browserView(f);
    QTRY_COMPARE_WITH_TIMEOUT(view->title(), u"Velmo"_s, kLoadTimeout);
    const QString path = f.path(u"long.html"_s);
    const auto write = [&](const QString &title) {
        apptest::writeAll(path, u"<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>%1"
                                u"</title></head><body><div style=\"height:3000px\">%1</div>"
                                u"<a name=\"本文_2\"></a><div style=\"height:3000px\"></div>"
                                u"</body></html>"_s.arg(title)
                                    .toUtf8());
    };
    PreviewPane *pane = f.frame()->previewView();
    write(u"v1"_s);
    pane->showPage(path, QString(), false);
    QTRY_COMPARE_WITH_TIMEOUT(view->title(), u"v1"_s, kLoadTimeout);
    view->page()->runJavaScript(u"window.scrollTo(0, 700);"_s);
    QTRY_COMPARE(int(view->page()->scrollPosition().y()), 700);

    // A live refresh reads the page again where the user had scrolled it.
    write(u"v2"_s);
    pane->showPage(path, u"本文_2"_s, true);
    QTRY_COMPARE_WITH_TIMEOUT(view->title(), u"v2"_s, kLoadTimeout);
    QTRY_COMPARE(int(view->page()->scrollPosition().y()), 700);

    // "更新" reads it again and goes to the content's anchor.
    write(u"v3"_s);
    pane->showPage(path, u"本文_2"_s, false);
    QCOMPARE(f.global().previewAddress, QUrl::fromLocalFile(path).toString() + u"#本文_2"_s);
    QTRY_COMPARE_WITH_TIMEOUT(view->title(), u"v3"_s, kLoadTimeout);
    QTRY_VERIFY(view->page()->scrollPosition().y() >= 2900);
    QCOMPARE(view->url().fragment(), u"本文_2"_s);
}

void TestMainWindow::previewRequestsAfterFormIsGone()
{
    AppFixture f;
    QVERIFY(f.start());
    PreviewPane *pane = f.frame()->previewView();
    delete pane->previewDialog();
    QCOMPARE(pane->previewDialog(), nullptr);

    const QString page = writeHtml(f.path(u"page.html"_s), u"Page"_s);
    QCOMPARE(showInPreview(f.global(), pane, page), 1);
    QCOMPARE(f.global().previewAddress, page);
    QTest::qWait(20);
    QCOMPARE(pane->previewDialog(), nullptr);

    // The next document brings a new preview form (once the shown one may go).
    f.messageBoxes().queueAnswer(QMessageBox::No);
    f.frame()->fileNewAction()->trigger();
    QVERIFY(pane->previewDialog() != nullptr);
    QTRY_COMPARE_WITH_TIMEOUT(pane->previewDialog()->browser()->view()->title(), u"Velmo"_s,
                              kLoadTimeout);
}

void TestMainWindow::sourceFileParameter_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("parameter");

    // clang-format off
    QTest::newRow("blank and fragment") << u"file:///srv/site/a%20b.html#top"_s       << u"\"/srv/site/a b.html\""_s;
    QTest::newRow("escaped name")       << u"file:///srv/%E3%83%9A%E3%83%BC%E3%82%B8.html"_s << u"\"/srv/ページ.html\""_s;
    QTest::newRow("query")              << u"file:///srv/a.html?x=1"_s                << u"\"/srv/a.html\""_s;
    QTest::newRow("hash in name")       << u"file:///srv/c%23.html#s"_s               << u"\"/srv/c#.html\""_s;
    QTest::newRow("quote in name")      << u"file:///srv/say%22hi%22.html"_s          << u"\"/srv/say\"\"\"hi\"\"\".html\""_s;
    QTest::newRow("web address")        << u"https://example.org/a.html"_s            << QString();
    QTest::newRow("home page")          << PreviewBrowser::homePageAddress()        << QString();
    QTest::newRow("nothing")            << QString()                                  << QString();
    // clang-format on
}

void TestMainWindow::sourceFileParameter()
{
    QFETCH(QString, address);
    QFETCH(QString, parameter);

    QCOMPARE(PreviewBrowser::sourceFileParameter(address), parameter);
    // Whatever the name, the editor gets exactly one argument: the file.
    if (!parameter.isEmpty())
        QCOMPARE(QProcess::splitCommand(parameter), QStringList{QUrl(address).toLocalFile()});
}

void TestMainWindow::browserAndSourceButtons()
{
    AppFixture f;
    const QString browser = writeRecorder(f.path(u"browser.sh"_s));
    const QString editor = writeRecorder(f.path(u"editor.sh"_s));
    f.settings().setValue(u"BrowserPath/Browser1"_s, browser);
    f.settings().setValue(u"EditorPath/Editor2"_s, editor);
    QVERIFY(f.start());
    QWebEngineView *view = browserView(f);
    QTRY_COMPARE_WITH_TIMEOUT(view->title(), u"Velmo"_s, kLoadTimeout);
    auto click = [&f](const QString &name) {
        QTest::mouseClick(f.frame()->findChild<QPushButton *>(name), Qt::LeftButton);
    };

    // The start page lives inside the program: no outside program can show it.
    click(u"browser1Button"_s);
    click(u"source2Button"_s);

    QVERIFY(QDir().mkpath(f.path(u"out dir"_s)));
    const QString page = writeHtml(f.path(u"out dir/index.html"_s), u"Index"_s);
    f.frame()->showInPreview(page);
    QTRY_COMPARE_WITH_TIMEOUT(view->title(), u"Index"_s, kLoadTimeout);
    const QString address = QUrl::fromLocalFile(page).toString(QUrl::FullyEncoded);

    // Configured programs get the address and the file; the rows left empty hand the page to
    // the desktop's own handlers, through xdg-open (one that records, here).
    const QString desktopBin = f.path(u"bin"_s);
    QVERIFY(QDir().mkpath(desktopBin));
    apptest::writeAll(desktopBin + u"/xdg-mime"_s, "#!/bin/sh\necho browser.desktop\n");
    QFile::setPermissions(desktopBin + u"/xdg-mime"_s, QFile::ReadOwner | QFile::ExeOwner);
    const QString xdgOpen = writeRecorder(desktopBin + u"/xdg-open"_s);
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(desktopBin) + ':' + path);
    for (const QString &name : {u"browser1Button"_s, u"browser2Button"_s, u"source2Button"_s})
        click(name);
    QTRY_COMPARE(recorded(browser), QStringList{address});
    QTRY_COMPARE(recorded(editor), QStringList{page});
    QTRY_COMPARE(recorded(xdgOpen), QStringList{page});
    QTest::qWait(200);
    QCOMPARE(recorded(browser).size(), 1);
    QCOMPARE(recorded(editor).size(), 1);
    QVERIFY(f.messageBoxes().shownTexts().isEmpty());

    // A program that cannot be started, and a desktop handler that fails, are both told, with
    // where a program is set.
    f.global().externalPrograms.browserPaths[2] = f.path(u"no such browser"_s);
    click(u"browser3Button"_s);
    QCOMPARE(f.messageBoxes().shownTexts().size(), 1);
    QVERIFY2(
        f.messageBoxes().shownTexts().constLast().contains(u"「ブラウザアプリケーション ３」"_s),
        qPrintable(f.messageBoxes().shownTexts().constLast()));
    apptest::writeAll(xdgOpen, "#!/bin/sh\nexit 4\n");
    click(u"browser2Button"_s);
    QTRY_COMPARE(f.messageBoxes().shownTexts().size(), 2);
    QVERIFY2(f.messageBoxes().shownTexts().constLast().startsWith(
                 u"「ブラウザ２」: 既定のプログラムを起動できませんでした。"_s),
             qPrintable(f.messageBoxes().shownTexts().constLast()));
    qputenv("PATH", path);

    QVERIFY(!launchProgram(QString(), u"x"_s));
    QVERIFY(launchProgram(editor, u"\"two words\" second"_s));
    QTRY_COMPARE(recorded(editor), QStringList({page, u"two words"_s, u"second"_s}));
}

void TestMainWindow::documentDroppedOnPreviewIsOpened()
{
    AppFixture f;
    QVERIFY(f.start());
    QWebEngineView *view = browserView(f);
    QTRY_COMPARE_WITH_TIMEOUT(view->title(), u"Velmo"_s, kLoadTimeout);
    // The browser's own surface is where a file lands; it must reach the window, not the page.
    QWidget *surface = view->focusProxy() != nullptr ? view->focusProxy() : view;
    QVERIFY(QFile::copy(apptest::fixture(u"sample.vlm"_s), f.path(u"onpreview.vlm"_s)));
    QVERIFY(f.app().controller().writer().createSite(u"未保存"_s) != nullptr);
    f.messageBoxes().queueAnswer(QMessageBox::No);
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(f.path(u"onpreview.vlm"_s))});
    const QPoint at = surface->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(surface, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(surface, &drop);
    QTRY_COMPARE(f.frame()->windowTitle(), u"onpreview.vlm - Velmo"_s);
    QCOMPARE(f.messageBoxes().shownTexts(), QStringList{u"無題 への変更を保存しますか？"_s});
    QTRY_COMPARE_WITH_TIMEOUT(view->title(), u"Velmo"_s, kLoadTimeout);
}

void TestMainWindow::aboutDialog()
{
    AppFixture f;
    QVERIFY(f.start());
    QString title;
    QString version;
    apptest::whenShown(u"aboutDialog"_s, [&](QWidget *dialog) {
        title = dialog->windowTitle();
        version = dialog->findChild<QLabel *>(u"versionLabel"_s)->text();
        QTest::mouseClick(dialog->findChild<QPushButton *>(u"okButton"_s), Qt::LeftButton);
    });
    f.frame()->aboutAction()->trigger();
    QCOMPARE(title, u"バージョン情報 Velmo"_s);
    QCOMPARE(version, AboutDialog::versionText());
    QVERIFY(version.contains(u"Velmo"_s));
}

void TestMainWindow::messagesShowInMessageBoxes()
{
    AppFixture f;
    QVERIFY(f.start());
    MessageBoxWrapper &boxes = f.messageBoxes();

    // The model's messages reach the user through the wrapper, lines split at "\r\n".
    const QString message = u"選択サイトが見つからないか、一時保存場所へ登録できませんでした。\r\n"
                            u"オブジェクトは削除されます。"_s;
    f.global().report(message);
    QCOMPARE(boxes.shownTexts(), QStringList{message});

    // A real box shows the text with a plain line break.
    boxes.setInteractive(true);
    QString shown;
    apptest::whenShown(u"messageBox"_s, [&](QWidget *window) {
        auto *box = qobject_cast<QMessageBox *>(window);
        QVERIFY(box != nullptr);
        shown = box->text();
        QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
    });
    f.global().report(message);
    QCOMPARE(shown, MessageBoxWrapper::displayText(message));
    QVERIFY(shown.contains(u"。\nオブジェクト"_s));
    boxes.setInteractive(false);

    // An answer meant for a question is not taken by a box that cannot give it.
    boxes.queueAnswer(QMessageBox::No);
    boxes.inform(u"情報"_s);
    QCOMPARE(boxes.queuedAnswers(), 1);
    QCOMPARE(boxes.ask(u"質問"_s, QMessageBox::Question, QMessageBox::Yes | QMessageBox::No,
                       QMessageBox::Yes),
             QMessageBox::No);
    QCOMPARE(boxes.ask(u"質問"_s, QMessageBox::Question, QMessageBox::Yes | QMessageBox::No,
                       QMessageBox::Yes),
             QMessageBox::Yes);
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
