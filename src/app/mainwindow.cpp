// The main window, its splitters, its menu and the routing between its panes.
#include "app/mainwindow.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QMenuBar>
#include <QMetaObject>
#include <QMimeData>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QUrl>

#include "app/appicon.h"
#include "app/brokenlinkswindow.h"
#include "app/contentpane.h"
#include "app/documentcontroller.h"
#include "app/documentsession.h"
#include "app/previewpane.h"
#include "app/propertypane.h"
#include "app/recentfilelist.h"
#include "model/document.h"
#include "model/object.h"
#include "model/undohistory.h"

using namespace Qt::StringLiterals;

MainWindow::PaneSizes MainWindow::initialPaneSizes(int width, int height)
{
    PaneSizes sizes{};
    sizes.navigationWidth = 320;
    sizes.previewWidth = 2 * width / 3;
    sizes.previewHeight = 4 * height / 7;
    sizes.propertyWidth = width / 4;
    sizes.propertyHeight = height / 2;
    sizes.contentWidth = 2 * width / 5;
    sizes.contentHeight = height / 2;
    sizes.rightIdealWidth = width / 2;
    sizes.rightMinimumWidth = width / 10;
    return sizes;
}

MainWindow::MainWindow(DocumentSession &document, DocumentController &controller, QWidget *parent)
    : QMainWindow(parent), m_document(document), m_controller(controller)
{
    setObjectName(u"mainFrame"_s);
    setWindowIcon(velmoIcon());
    setAcceptDrops(true);

    m_outerSplitter = new QSplitter(Qt::Horizontal, this);
    m_outerSplitter->setObjectName(u"outerSplitter"_s);
    auto *placeholder = new QFrame(m_outerSplitter);
    placeholder->setFrameShape(QFrame::StyledPanel);
    placeholder->setObjectName(u"navigationPlaceholder"_s);
    m_navigationView = placeholder;
    m_outerSplitter->addWidget(m_navigationView);

    m_rightSplitter = new QSplitter(Qt::Vertical, m_outerSplitter);
    m_rightSplitter->setObjectName(u"rightSplitter"_s);
    m_outerSplitter->addWidget(m_rightSplitter);
    m_previewView = new PreviewPane(document.global(), m_rightSplitter);
    m_rightSplitter->addWidget(m_previewView);

    m_lowerSplitter = new QSplitter(Qt::Horizontal, m_rightSplitter);
    m_lowerSplitter->setObjectName(u"lowerSplitter"_s);
    m_rightSplitter->addWidget(m_lowerSplitter);
    m_propertyView = new PropertyPane(m_lowerSplitter);
    m_lowerSplitter->addWidget(m_propertyView);
    m_contentView = new ContentPane(m_lowerSplitter);
    m_lowerSplitter->addWidget(m_contentView);

    // The last pane of each splitter takes whatever space the window gains or loses.
    for (QSplitter *splitter : {m_outerSplitter, m_rightSplitter, m_lowerSplitter}) {
        splitter->setStretchFactor(0, 0);
        splitter->setStretchFactor(1, 1);
        splitter->setChildrenCollapsible(false);
        connect(splitter, &QSplitter::splitterMoved, this, [this] { m_userMovedSplitter = true; });
    }
    for (QWidget *pane : panes())
        pane->setFocusPolicy(Qt::ClickFocus);
    setCentralWidget(m_outerSplitter);

    createMenus();
    m_outputResult = new QLabel(this);
    m_outputResult->setObjectName(u"outputResult"_s);
    m_outputResult->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_openPublished = new QPushButton(u"フォルダを開く"_s, this);
    m_openPublished->setObjectName(u"openPublishedButton"_s);
    m_openPublished->setAutoDefault(false);
    m_openPublished->hide();
    connect(m_openPublished, &QPushButton::clicked, this,
            [this] { Q_EMIT publishedFolderOpenRequested(m_publishedFolder); });
    statusBar()->addWidget(m_outputResult, 1);
    statusBar()->addPermanentWidget(m_openPublished);
    // The window is the menu and the panes until a site output has something to report.
    statusBar()->hide();
    updateTitle(document.displayTitle());
    connect(&document, &DocumentSession::titleChanged, this, &MainWindow::updateTitle);
    connect(&document, &DocumentSession::contentAboutToBeReplaced, &controller,
            &DocumentController::resetSelection);
    connect(&controller, &DocumentController::selectionChanged, this, &MainWindow::showSelection);
    connect(&controller, &DocumentController::outputFinished, this, &MainWindow::showOutputResult);
    // What an output of the document before did says nothing of the next one.
    connect(&document, &DocumentSession::contentAboutToBeReplaced, this, [this] {
        m_publishedFolder.clear();
        m_outputResult->clear();
        statusBar()->hide();
    });
    connect(&controller, &DocumentController::brokenLinksFound, this, &MainWindow::showBrokenLinks);
    connect(&controller.history(), &velmo::UndoHistory::changed, this,
            &MainWindow::updateEditActions);
    updateEditActions();
    connect(&controller, &DocumentController::previewRequested, this, &MainWindow::showInPreview);
    connect(&controller, &DocumentController::previewMessageRequested, m_previewView,
            &PreviewPane::showMessage);
    connect(&controller, &DocumentController::pagePreviewRequested, m_previewView,
            &PreviewPane::showPage);
    // Direct: the page must be written before the browser reads it.
    connect(m_previewView, &PreviewPane::localFileAboutToOpen, &controller,
            &DocumentController::followPreviewLink, Qt::DirectConnection);
}

QAction *MainWindow::addCommand(QMenu *menu, const QString &text, const QString &name,
                                const QKeySequence &shortcut)
{
    auto *action = new QAction(text, this);
    action->setObjectName(name);
    action->setShortcut(shortcut);
    if (menu != nullptr)
        menu->addAction(action);
    else
        addAction(action);
    return action;
}

void MainWindow::createMenus()
{
    // The captions carry their accelerator after a tab, which the menu shows in the shortcut
    // column; the shortcuts themselves are set on the actions.
    QMenu *file = menuBar()->addMenu(u"ファイル(&F)"_s);
    file->setObjectName(u"menuFile"_s);
    m_fileNew = addCommand(file, u"新規作成\tCtrl+N(&N)"_s, u"actionFileNew"_s,
                           QKeySequence(Qt::CTRL | Qt::Key_N));
    m_fileOpen = addCommand(file, u"開く...\tCtrl+O(&O)"_s, u"actionFileOpen"_s,
                            QKeySequence(Qt::CTRL | Qt::Key_O));
    m_fileSave = addCommand(file, u"上書き保存\tCtrl+S(&S)"_s, u"actionFileSave"_s,
                            QKeySequence(Qt::CTRL | Qt::Key_S));
    m_fileSaveAs = addCommand(file, u"名前を付けて保存(&A)..."_s, u"actionFileSaveAs"_s);
    file->addSeparator();
    m_recentPlaceholder = file->addAction(u"最近使ったファイル"_s);
    m_recentPlaceholder->setObjectName(u"actionRecentFilePlaceholder"_s);
    m_recentPlaceholder->setEnabled(false);
    for (int i = 0; i < RecentFileList::kMaxEntries; ++i) {
        QAction *entry = file->addAction(QString());
        entry->setObjectName(u"actionRecentFile%1"_s.arg(i + 1));
        entry->setVisible(false);
        connect(entry, &QAction::triggered, this, [this, i] { Q_EMIT recentFileChosen(i); });
        m_recentActions.append(entry);
    }
    file->addSeparator();
    // Ctrl+Q, the desktop's usual quit key, goes through the same close question.
    m_exit = addCommand(file, u"アプリケーションの終了(&X)"_s, u"actionAppExit"_s,
                        QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(m_exit, &QAction::triggered, this, &QWidget::close);

    QMenu *edit = menuBar()->addMenu(u"編集(&E)"_s);
    edit->setObjectName(u"menuEdit"_s);
    m_undo = addCommand(edit, u"元に戻す"_s, u"actionEditUndo"_s, QKeySequence::Undo);
    m_redo = addCommand(edit, u"やり直し"_s, u"actionEditRedo"_s);
    // Ctrl+Y as on the desktops people come from, Ctrl+Shift+Z as in the rest of this one.
    m_redo->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    connect(m_undo, &QAction::triggered, &m_controller, &DocumentController::undo);
    connect(m_redo, &QAction::triggered, &m_controller, &DocumentController::redo);
    edit->addSeparator();
    m_cut = addCommand(edit, u"切り取り"_s, u"actionEditCut"_s, QKeySequence::Cut);
    m_copy = addCommand(edit, u"コピー"_s, u"actionEditCopy"_s, QKeySequence::Copy);
    m_paste = addCommand(edit, u"貼り付け"_s, u"actionEditPaste"_s, QKeySequence::Paste);
    // The object commands act on the menu tree's selection, and only while the tree has the
    // focus: elsewhere these keys belong to the text being edited.
    for (QAction *action : {m_cut, m_copy, m_paste})
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(edit, &QMenu::aboutToShow, this, &MainWindow::updateEditActions);

    QMenu *settings = menuBar()->addMenu(u"設定"_s);
    settings->setObjectName(u"menuSettings"_s);
    m_pathSetting = addCommand(settings, u"ディレクトリ設定"_s, u"actionPathSetting"_s);
    m_autoSaveSetting = addCommand(settings, u"自動保存の設定"_s, u"actionAutoSaveSetting"_s);

    QMenu *help = menuBar()->addMenu(u"ヘルプ(&H)"_s);
    help->setObjectName(u"menuHelp"_s);
    m_about = addCommand(help, u"バージョン情報 Velmo(&A)..."_s, u"actionAppAbout"_s);

    m_nextPane =
        addCommand(nullptr, u"次のペイン"_s, u"actionNextPane"_s, QKeySequence(Qt::Key_F6));
    connect(m_nextPane, &QAction::triggered, this, [this] { activateNextPane(false); });
    m_previousPane = addCommand(nullptr, u"前のペイン"_s, u"actionPrevPane"_s,
                                QKeySequence(Qt::SHIFT | Qt::Key_F6));
    connect(m_previousPane, &QAction::triggered, this, [this] { activateNextPane(true); });
}

void MainWindow::setObjectCommandTarget(QWidget *tree, std::function<velmo::Object *()> selected)
{
    m_selectedObject = std::move(selected);
    // The shortcuts of the object commands live on the tree, the menu entries on the window.
    for (QAction *action : {m_cut, m_copy, m_paste})
        tree->addAction(action);
    connect(m_cut, &QAction::triggered, this, [this] {
        m_controller.cut(selectedObject());
        updateEditActions();
    });
    connect(m_copy, &QAction::triggered, this, [this] {
        m_controller.copy(selectedObject());
        updateEditActions();
    });
    connect(m_paste, &QAction::triggered, this, [this] {
        m_controller.paste(selectedObject());
        updateEditActions();
    });
    updateEditActions();
}

velmo::Object *MainWindow::selectedObject() const
{
    return m_selectedObject ? m_selectedObject() : nullptr;
}

void MainWindow::updateEditActions()
{
    const velmo::UndoHistory &history = m_controller.history();
    m_undo->setEnabled(history.canUndo());
    m_redo->setEnabled(history.canRedo());
    m_undo->setText(history.canUndo() ? u"元に戻す: "_s + history.undoText() : u"元に戻す"_s);
    m_redo->setText(history.canRedo() ? u"やり直し: "_s + history.redoText() : u"やり直し"_s);
    velmo::Object *selected = selectedObject();
    m_cut->setEnabled(m_controller.canCut(selected));
    m_copy->setEnabled(m_controller.canCut(selected));
    m_paste->setEnabled(m_controller.canPaste(selected));
}

void MainWindow::setRecentFiles(const QStringList &files)
{
    for (int i = 0; i < m_recentActions.size(); ++i) {
        QAction *entry = m_recentActions.at(i);
        const bool used = i < files.size();
        entry->setVisible(used);
        entry->setText(used ? RecentFileList::menuText(i, files.at(i)) : QString());
    }
    m_recentPlaceholder->setVisible(files.isEmpty());
}

void MainWindow::setNavigationView(QWidget *view)
{
    if (view == nullptr || view == m_navigationView)
        return;
    // The new form takes the old one's place and geometry.
    delete m_outerSplitter->replaceWidget(0, view);
    if (view->focusPolicy() == Qt::NoFocus)
        view->setFocusPolicy(Qt::ClickFocus);
    m_navigationView = view;
}

QWidget *MainWindow::navigationView() const
{
    return m_navigationView;
}

QList<QWidget *> MainWindow::panes() const
{
    return {m_navigationView, m_previewView, m_propertyView, m_contentView};
}

void MainWindow::initialUpdateFrame()
{
    Q_EMIT initialUpdate();
    m_previewView->onInitialUpdate();
}

void MainWindow::showSelection(velmo::Object *object)
{
    m_propertyView->onObjectSelected(object);
    m_contentView->onObjectSelected(object);
}

int MainWindow::showInPreview(const QString &address)
{
    return ::showInPreview(m_document.global(), m_previewView, address);
}

void MainWindow::activateNextPane(bool previous)
{
    const QList<QWidget *> all = panes();
    const QWidget *focused = QApplication::focusWidget();
    qsizetype current = -1;
    for (qsizetype i = 0; i < all.size(); ++i) {
        if (focused != nullptr && (all.at(i) == focused || all.at(i)->isAncestorOf(focused)))
            current = i;
    }
    const qsizetype count = all.size();
    const qsizetype next = current < 0 ? 0 : (current + (previous ? count - 1 : 1)) % count;
    QWidget *pane = all.at(next);
    // The first control of the pane that takes the keyboard, else the pane itself.
    QWidget *target = pane;
    const QList<QWidget *> children = pane->findChildren<QWidget *>();
    for (QWidget *child : children) {
        if (child->isVisibleTo(pane) && child->isEnabled() &&
            (child->focusPolicy() & Qt::TabFocus) != 0) {
            target = child;
            break;
        }
    }
    target->setFocus(previous ? Qt::BacktabFocusReason : Qt::TabFocusReason);
}

void MainWindow::showOutputResult(const QString &summary, const QString &publishedFolder)
{
    m_publishedFolder = publishedFolder;
    m_outputResult->setText(publishedFolder.isEmpty()
                                ? summary
                                : summary + u"　公開フォルダ: "_s +
                                      QDir::toNativeSeparators(publishedFolder));
    m_openPublished->setVisible(!publishedFolder.isEmpty());
    statusBar()->show();
}

void MainWindow::showBrokenLinks()
{
    if (m_brokenLinks == nullptr) {
        m_brokenLinks = new BrokenLinksWindow(this);
        connect(m_brokenLinks, &BrokenLinksWindow::pageRequested, this, &MainWindow::showInPreview);
    }
    m_brokenLinks->showResult(m_controller.lastLinkCheck(), m_controller.lastLinkCheckFolder());
    m_brokenLinks->show();
    m_brokenLinks->raise();
}

void MainWindow::updateTitle(const QString &documentTitle)
{
    setWindowTitle(documentTitle + u" - Velmo"_s);
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (!m_document.saveModified()) {
        event->ignore();
        return;
    }
    event->accept();
}

QStringList MainWindow::droppedDocuments(const QMimeData *data)
{
    QStringList paths;
    if (data == nullptr || !data->hasUrls())
        return paths;
    const QList<QUrl> urls = data->urls();
    for (const QUrl &url : urls) {
        if (!url.isLocalFile())
            continue;
        const QString path = url.toLocalFile();
        if (QFileInfo(path).suffix().compare(u"vlm", Qt::CaseInsensitive) == 0)
            paths.append(path);
    }
    return paths;
}

void MainWindow::dragEnterEvent(QDragEnterEvent *event)
{
    if (!droppedDocuments(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent *event)
{
    const QStringList paths = droppedDocuments(event->mimeData());
    if (paths.isEmpty())
        return;
    event->acceptProposedAction();
    // Opening may ask questions; the drag source is released first.
    QMetaObject::invokeMethod(
        this, [this, paths] { Q_EMIT documentsDropped(paths); }, Qt::QueuedConnection);
}

void MainWindow::applyInitialSizes()
{
    const QSize client = m_outerSplitter->size();
    if (m_userMovedSplitter || client.width() <= 0 || client.height() <= 0)
        return;
    const PaneSizes sizes = initialPaneSizes(client.width(), client.height());
    m_rightSplitter->setMinimumWidth(sizes.rightMinimumWidth);
    m_outerSplitter->setSizes({sizes.navigationWidth, client.width() - sizes.navigationWidth});
    m_rightSplitter->setSizes({sizes.previewHeight, client.height() - sizes.previewHeight});
    m_lowerSplitter->setSizes({sizes.propertyWidth, client.width() - sizes.propertyWidth});
}

void MainWindow::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    applyInitialSizes();
}

void MainWindow::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    // A window manager maximises a shown window when it gets to it, so the first size seen is
    // not always the one the user sees: the panes follow the window until a divider is moved.
    if (isVisible())
        applyInitialSizes();
}
