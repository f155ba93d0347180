// The navigation form: the site combo, the two trees, their buttons and the site output.
#include "app/navigationpane.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMetaObject>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <QUrl>

#include "app/documentcontroller.h"
#include "app/documentsession.h"
#include "app/mainwindow.h"
#include "app/objecttree.h"
#include "generator/externallinkcheck.h"
#include "model/document.h"
#include "model/site.h"

using namespace Qt::StringLiterals;

namespace {

QPushButton *makeButton(const QString &text, const QString &name, int width, QWidget *parent)
{
    auto *button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setFixedWidth(width);
    button->setAutoDefault(false);
    return button;
}

QLabel *makeLabel(const QString &text, const QString &name, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

} // namespace

NavigationPane::NavigationPane(DocumentController &controller, QWidget *parent)
    : QWidget(parent), m_controller(controller), m_global(controller.document()),
      m_openFolder([](const QUrl &url) { return QDesktopServices::openUrl(url); })
{
    setObjectName(u"navigationView"_s);

    m_siteLabel = makeLabel(u"ウェブサイト"_s, u"siteLabel"_s, this);
    m_manageButton = makeButton(u"管理"_s, u"manageButton"_s, 98, this);
    m_siteCombo = new QComboBox(this);
    m_siteCombo->setObjectName(u"siteCombo"_s);
    m_outputButton = makeButton(u"HTML出力"_s, u"outputButton"_s, 98, this);
    m_menuLabel = makeLabel(u"メニュー"_s, u"menuLabel"_s, this);
    m_upButton = makeButton(u"上へ"_s, u"upButton"_s, 50, this);
    m_downButton = makeButton(u"下へ"_s, u"downButton"_s, 50, this);
    m_menuTree = new ObjectTree(m_global, this);
    m_menuTree->setObjectName(u"menuTree"_s);
    m_storageLabel = makeLabel(u"一時置き場"_s, u"storageLabel"_s, this);
    m_emptyButton = makeButton(u"空にする"_s, u"emptyStorageButton"_s, 98, this);
    m_storageTree = new ObjectTree(m_global, this);
    m_storageTree->setObjectName(u"storageTree"_s);
    m_storageTree->setTracksState(false);
    m_storageTree->setFixedHeight(180);
    // Labels are not edited in place, where every edit would be refused: names are typed
    // into the property form, which F2 leads to.
    for (ObjectTree *tree : {m_menuTree, m_storageTree})
        tree->setDragAndDropEnabled(true);

    // The rows of the original form: label or control on the left, its buttons on the right.
    auto *layout = new QGridLayout(this);
    layout->setContentsMargins(5, 0, 0, 0);
    layout->setHorizontalSpacing(1);
    layout->setVerticalSpacing(2);
    layout->addWidget(m_siteLabel, 0, 0);
    layout->addWidget(m_manageButton, 0, 1, 1, 2, Qt::AlignRight);
    layout->addWidget(m_siteCombo, 1, 0);
    layout->addWidget(m_outputButton, 1, 1, 1, 2, Qt::AlignRight);
    layout->addWidget(m_menuLabel, 2, 0);
    layout->addWidget(m_upButton, 2, 1);
    layout->addWidget(m_downButton, 2, 2);
    layout->addWidget(m_menuTree, 3, 0, 1, 3);
    layout->addWidget(m_storageLabel, 4, 0);
    layout->addWidget(m_emptyButton, 4, 1, 1, 2, Qt::AlignRight);
    layout->addWidget(m_storageTree, 5, 0, 1, 3);
    layout->setColumnStretch(0, 1);
    layout->setRowStretch(3, 1);

    connect(m_siteCombo, &QComboBox::activated, this, &NavigationPane::onSiteChosen);
    connect(m_manageButton, &QPushButton::clicked, this, &NavigationPane::onManage);
    connect(m_outputButton, &QPushButton::clicked, this, &NavigationPane::onHtmlOutput);
    connect(m_upButton, &QPushButton::clicked, this, &NavigationPane::onMoveUp);
    connect(m_downButton, &QPushButton::clicked, this, &NavigationPane::onMoveDown);
    connect(m_emptyButton, &QPushButton::clicked, this, &NavigationPane::onEmptyStorage);
    for (ObjectTree *tree : {m_menuTree, m_storageTree})
        tree->connectController(controller);
    connect(&controller, &DocumentController::menuTreeRebuildRequested, this,
            &NavigationPane::rebuildMenuTree);
    connect(&controller, &DocumentController::storageTreeRefreshRequested, this,
            &NavigationPane::refreshStorage);
    connect(&controller, &DocumentController::revealRequested, this, &NavigationPane::revealObject);
    connect(&controller, &DocumentController::objectRenamed, this, &NavigationPane::showName);
    connect(&controller, &DocumentController::siteUpdateRequested, this,
            [this] { outputSite(false); });

    for (QWidget *widget :
         std::initializer_list<QWidget *>{m_siteCombo, m_manageButton, m_outputButton, m_upButton,
                                          m_downButton, m_menuTree, m_storageTree, m_emptyButton})
        consumeEnterAndEscape(widget);
}

NavigationPane::~NavigationPane()
{
    if (m_registered) {
        m_global.navigationTreeRoot = nullptr;
        m_global.clearNavigationTree = nullptr;
    }
}

NavigationPane *NavigationPane::install(MainWindow &frame, DocumentController &controller)
{
    auto *view = new NavigationPane(controller);
    frame.setNavigationView(view);
    connect(view, &NavigationPane::outputFinished, &frame, &MainWindow::showOutputResult);
    connect(view, &NavigationPane::brokenLinksFound, &frame, &MainWindow::showBrokenLinks);
    connect(&frame, &MainWindow::publishedFolderOpenRequested, view,
            &NavigationPane::openPublishedFolder);
    connect(&frame, &MainWindow::initialUpdate, view, &NavigationPane::onInitialUpdate);
    return view;
}

void NavigationPane::registerWithRoot()
{
    QPointer<NavigationPane> self(this);
    m_global.navigationTreeRoot = [self]() -> velmo::Object * {
        return self.isNull() ? nullptr : self->m_menuTree->rootObject();
    };
    // Called before the document's objects go (New, Open): nothing may keep pointing at them.
    m_global.clearNavigationTree = [self] {
        if (self.isNull())
            return;
        self->m_menuTree->clearTree();
        self->m_storageTree->clearTree();
        // The combo's chosen entry belongs to the document that goes: kept, its index would
        // pick a site of the next document by position, or none at all when that one has
        // fewer sites, leaving the opened document's trees empty.
        self->m_siteCombo->clear();
    };
    m_registered = true;
}

void NavigationPane::onInitialUpdate()
{
    m_storageTree->setTracksState(false);
    registerWithRoot();
    m_storageTree->clearTree();
    fillSiteCombo();
    rebuildMenuTree();
}

void NavigationPane::fillSiteCombo()
{
    const int previous = m_siteCombo->currentIndex();
    m_siteCombo->clear();
    if (m_global.sites.isEmpty()) {
        m_menuTree->clearTree();
        m_storageTree->clearTree();
        return;
    }
    for (const velmo::Site *site : m_global.sites)
        m_siteCombo->addItem(site->name);
    // The combo picks its first entry by itself; without a current site nothing is chosen.
    m_siteCombo->setCurrentIndex(m_controller.adoptCurrentSite(previous));
}

void NavigationPane::onSiteChosen(int index)
{
    if (velmo::Site *site = m_controller.chooseSite(index))
        m_menuTree->fill(site);
}

void NavigationPane::rebuildMenuTree()
{
    const int index = m_siteCombo->currentIndex();
    if (index < 0)
        return;
    velmo::Site *site = m_controller.reselectSite(index);
    if (site == nullptr)
        return;
    m_menuTree->fill(site);
    refreshStorage();
}

void NavigationPane::refreshStorage()
{
    if (velmo::Site *site = m_global.getCurrentSite()) {
        m_storageTree->setTracksState(false);
        m_storageTree->fill(&site->objectBox);
    }
}

void NavigationPane::onEmptyStorage()
{
    if (!m_controller.emptyStorage())
        return;
    if (velmo::Site *site = m_global.currentSiteUnchecked())
        m_storageTree->fill(&site->objectBox);
}

void NavigationPane::onManage()
{
    QPointer<NavigationPane> self(this);
    Q_EMIT siteManagementRequested();
    if (self.isNull())
        return;
    fillSiteCombo();
    rebuildMenuTree();
}

void NavigationPane::onHtmlOutput()
{
    outputSite(true);
}

void NavigationPane::outputSite(bool openFolder)
{
    QPointer<NavigationPane> self(this);
    QPointer<QProgressDialog> dialog;
    QElapsedTimer clock;
    clock.start();
    // The progress shows once the output has run longer than the delay.
    const auto progress = [&](int done, int total) {
        if (self.isNull())
            return;
        if (dialog.isNull() && clock.elapsed() >= m_progressDelay && total > 0) {
            dialog = new QProgressDialog(u"HTML ファイルを出力しています..."_s, QString(), 0, total,
                                         window());
            dialog->setObjectName(u"outputProgress"_s);
            dialog->setWindowTitle(u"HTML出力"_s);
            dialog->setWindowModality(Qt::WindowModal);
            dialog->setMinimumDuration(0);
            dialog->setAutoClose(false);
            dialog->show();
        }
        if (!dialog.isNull()) {
            // A modal dialog's setValue lets the window paint; the user cannot act meanwhile.
            dialog->setValue(done);
            Q_EMIT outputProgress(done, total);
        }
    };
    QString published;
    const velmo::gen::SiteOutput::Result result = m_controller.outputSite(&published, progress);
    delete dialog.data();
    // An incomplete output was reported file by file; what was published is still worth a look.
    if (self.isNull() || (result != velmo::gen::SiteOutput::Result::Done &&
                          result != velmo::gen::SiteOutput::Result::Incomplete))
        return;
    Q_EMIT outputFinished(m_controller.outputSummary(), published);
    // External links are listed there too, with the button that asks their servers.
    if (!self.isNull() &&
        (!m_controller.lastLinkCheck().broken.isEmpty() ||
         velmo::gen::ExternalLinkCheck::hasUncheckedAddresses(m_controller.lastLinkCheck())))
        Q_EMIT brokenLinksFound();
    if (!self.isNull() && openFolder)
        openPublishedFolder(published);
}

void NavigationPane::openPublishedFolder(const QString &folder)
{
    if (folder.isEmpty() || !QFileInfo(folder).isDir() || !m_openFolder)
        return;
    if (!m_openFolder(QUrl::fromLocalFile(folder)))
        m_global.report(
            u"公開フォルダを開けませんでした。\r\nサイトは次のフォルダに出力されています。\r\n"_s +
            folder);
}

void NavigationPane::onMoveUp()
{
    m_controller.moveObject(m_menuTree->selectedObject(), true);
}

void NavigationPane::onMoveDown()
{
    m_controller.moveObject(m_menuTree->selectedObject(), false);
}

void NavigationPane::revealObject(velmo::Object *object)
{
    for (ObjectTree *tree : {m_menuTree, m_storageTree}) {
        QTreeWidgetItem *item = tree->itemForHandle(object->treeItem);
        // A handle of the other tree's last fill may name an item here too.
        if (item != nullptr && tree->objectAt(item) == object) {
            // The focus stays where it is: taking it would close a menu the user has open.
            tree->selectHandle(object->treeItem);
            return;
        }
    }
}

void NavigationPane::showName(velmo::Object *object)
{
    for (ObjectTree *tree : {m_menuTree, m_storageTree}) {
        QTreeWidgetItem *item = tree->itemForHandle(object->treeItem);
        if (item != nullptr && tree->objectAt(item) == object)
            tree->setItemText(object->treeItem, object->name);
    }
}

void NavigationPane::consumeEnterAndEscape(QWidget *widget)
{
    widget->installEventFilter(this);
}

bool NavigationPane::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        switch (static_cast<QKeyEvent *>(event)->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape:
            return true;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}
