// The navigation form: the site combo, the two trees, their buttons and the site output.
#include "app/navigationpane.h"

#include "app/documentsession.h"
#include "app/mainwindow.h"
#include "app/objectcommands.h"
#include "app/objecttree.h"
#include "app/objectwalk.h"
#include "generator/siteoutput.h"
#include "model/category.h"
#include "model/document.h"
#include "model/page.h"
#include "model/site.h"

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

using namespace Qt::StringLiterals;

namespace {

// The mark a site carries in listItemState when it was the one chosen last.
constexpr qint32 kCurrentMark = 0x2;

// A site output that shows how far it has come once it has run longer than a given time. The
// site hands every page to generatePage, which makes it the place to count them.
class ProgressSiteOutput : public velmo::gen::SiteOutput
{
public:
    ProgressSiteOutput(velmo::Document &global, QWidget *parent, int delay, int total,
                       std::function<void(int, int)> progress)
        : SiteOutput(global), m_parent(parent), m_delay(delay), m_total(total),
          m_progress(std::move(progress))
    {
        m_clock.start();
    }

    ~ProgressSiteOutput() override { delete m_dialog.data(); }

    int generatePage(velmo::Site &site, velmo::OutputContext &context, const QString &subFolder,
                     velmo::ObjectChain &chain) override
    {
        const int written = SiteOutput::generatePage(site, context, subFolder, chain);
        ++m_done;
        if (m_dialog.isNull() && m_clock.elapsed() >= m_delay && m_total > 0) {
            m_dialog = new QProgressDialog(u"HTML ファイルを出力しています..."_s, QString(), 0,
                                           m_total, m_parent);
            m_dialog->setObjectName(u"outputProgress"_s);
            m_dialog->setWindowTitle(u"HTML出力"_s);
            m_dialog->setWindowModality(Qt::WindowModal);
            m_dialog->setMinimumDuration(0);
            m_dialog->setAutoClose(false);
            m_dialog->show();
        }
        if (!m_dialog.isNull()) {
            // A modal dialog's setValue lets the window paint; the user cannot act meanwhile.
            m_dialog->setValue(qMin(m_done, m_total));
            if (m_progress)
                m_progress(qMin(m_done, m_total), m_total);
        }
        return written;
    }

private:
    QPointer<QWidget> m_parent;
    int m_delay;
    int m_total;
    std::function<void(int, int)> m_progress;
    QElapsedTimer m_clock;
    QPointer<QProgressDialog> m_dialog;
    int m_done = 0;
};

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

NavigationPane::NavigationPane(velmo::Document &global, QWidget *parent)
    : QWidget(parent), m_global(global),
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
    m_menuTree = new ObjectTree(global, this);
    m_menuTree->setObjectName(u"menuTree"_s);
    m_menuTree->setControlId(ObjectTree::kMenuTreeId);
    m_storageLabel = makeLabel(u"一時置き場"_s, u"storageLabel"_s, this);
    m_emptyButton = makeButton(u"空にする"_s, u"emptyStorageButton"_s, 98, this);
    m_storageTree = new ObjectTree(global, this);
    m_storageTree->setObjectName(u"storageTree"_s);
    m_storageTree->setControlId(ObjectTree::kStorageTreeId);
    m_storageTree->setTracksState(false);
    m_storageTree->setFixedHeight(180);
    for (ObjectTree *tree : {m_menuTree, m_storageTree}) {
        tree->setDragAndDropEnabled(true);
        tree->setLabelEditing(true);
    }

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
    for (ObjectTree *tree : {m_menuTree, m_storageTree}) {
        connect(tree, &ObjectTree::rebuildMenuTreeRequested, this,
                &NavigationPane::onRebuildMenuTree);
        connect(tree, &ObjectTree::refreshStorageTreeRequested, this,
                &NavigationPane::onRefreshStorageTree);
    }
    connect(m_menuTree, &ObjectTree::objectSelected, this, &NavigationPane::routeSelection);
    connect(m_menuTree, &ObjectTree::previewRequested, this, &NavigationPane::previewRequested);
    connect(m_menuTree, &ObjectTree::aboutToRemove, this, &NavigationPane::releaseIfWithin);

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

NavigationPane *NavigationPane::install(MainWindow &frame, velmo::Document &global)
{
    auto *view = new NavigationPane(global);
    frame.setNavigationView(view);
    connect(&frame, &MainWindow::initialUpdate, view, &NavigationPane::onInitialUpdate);
    connect(view, &NavigationPane::objectSelected, &frame, &MainWindow::routeObjectSelected);
    connect(view, &NavigationPane::previewRequested, &frame, &MainWindow::showInPreview);
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
        self->m_lastRouted = nullptr;
    };
    m_registered = true;
}

void NavigationPane::onInitialUpdate()
{
    m_storageTree->setTracksState(false);
    registerWithRoot();
    markDocumentModified(m_global);
    m_storageTree->clearTree();
    fillSiteCombo();
    onRebuildMenuTree(ObjectTree::kMenuTreeId);
}

void NavigationPane::fillSiteCombo()
{
    int chosen = m_siteCombo->currentIndex();
    m_siteCombo->clear();
    if (m_global.sites.isEmpty()) {
        m_menuTree->clearTree();
        m_storageTree->clearTree();
        return;
    }
    for (int i = 0; i < m_global.sites.count(); ++i) {
        const velmo::Site *site = m_global.sites.at(i);
        m_siteCombo->addItem(site->name);
        if ((site->listItemState & kCurrentMark) != 0)
            chosen = i;
    }
    if (chosen >= m_global.sites.count()) {
        // The combo picks its first entry by itself; here nothing is to be chosen.
        m_siteCombo->setCurrentIndex(-1);
        return;
    }
    chosen = qMax(chosen, 0);
    m_siteCombo->setCurrentIndex(chosen);
    velmo::Site *site = m_global.sites.at(chosen);
    m_global.setCurrentSite(site);
    velmo::gen::SiteOutput::prepareWorkingFolder(m_global, site);
}

void NavigationPane::onSiteChosen(int index)
{
    velmo::Site *site = m_global.sites.at(index);
    if (site == nullptr)
        return;
    for (velmo::Site *other : m_global.sites)
        other->listItemState &= ~kCurrentMark;
    site->listItemState |= kCurrentMark;
    m_global.setCurrentSite(site);
    m_menuTree->fill(site);
}

void NavigationPane::onRebuildMenuTree(int controlId)
{
    if (controlId != ObjectTree::kMenuTreeId)
        return;
    const int index = m_siteCombo->currentIndex();
    if (index < 0)
        return;
    velmo::Site *site = m_global.sites.at(index);
    if (site == nullptr) {
        m_global.report(u"サイトを変更できませんでした。"_s);
        return;
    }
    m_global.setCurrentSite(site);
    m_menuTree->fill(site);
    refreshStorage();
}

void NavigationPane::onRefreshStorageTree(int controlId)
{
    if (controlId == ObjectTree::kMenuTreeId)
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
    velmo::Site *site = m_global.getCurrentSite();
    if (site == nullptr)
        return;
    releaseIfWithin(&site->objectBox);
    site->objectBox.clearContents();
    markDocumentModified(m_global);
    m_storageTree->fill(&site->objectBox);
}

void NavigationPane::onManage()
{
    QPointer<NavigationPane> self(this);
    Q_EMIT siteManagementRequested();
    if (self.isNull())
        return;
    fillSiteCombo();
    onRebuildMenuTree(ObjectTree::kMenuTreeId);
}

void NavigationPane::onHtmlOutput()
{
    // Counted for the progress only; the output itself checks the current site and reports.
    int total = 0;
    velmo::Site *site = m_global.currentSiteUnchecked();
    if (isOwnedByDocument(m_global, site)) {
        const QList<velmo::Category *> categories =
            velmo::gen::SiteOutput::collectCategories(*site);
        for (const velmo::Category *category : categories) {
            for (const velmo::Page *page : category->pages)
                total += page->contentGroups.isEmpty() ? 0 : 1;
        }
    }
    QPointer<NavigationPane> self(this);
    QString published;
    velmo::gen::SiteOutput::Result result;
    {
        ProgressSiteOutput output(m_global, window(), m_progressDelay, total,
                                  [self](int done, int all) {
                                      if (!self.isNull())
                                          Q_EMIT self->outputProgress(done, all);
                                  });
        result = output.outputSite(&published);
    }
    if (self.isNull() || result != velmo::gen::SiteOutput::Result::Done)
        return;
    if (!published.isEmpty() && QFileInfo(published).isDir() && m_openFolder)
        m_openFolder(QUrl::fromLocalFile(published));
}

void NavigationPane::onMoveUp()
{
    moveSelected(true);
}

void NavigationPane::onMoveDown()
{
    moveSelected(false);
}

void NavigationPane::moveSelected(bool up)
{
    velmo::Object *object = m_menuTree->selectedObject();
    if (object == nullptr)
        return;
    const bool moved = up ? ObjectCommands::moveUp(object) : ObjectCommands::moveDown(object);
    if (!moved)
        return;
    markDocumentModified(m_global);
    QMetaObject::invokeMethod(
        this, [this] { onRebuildMenuTree(ObjectTree::kMenuTreeId); }, Qt::QueuedConnection);
}

void NavigationPane::routeSelection(velmo::Object *object)
{
    m_lastRouted = object;
    Q_EMIT objectSelected(object);
}

void NavigationPane::releaseIfWithin(velmo::Object *subtree)
{
    if (m_lastRouted != nullptr && isWithin(m_lastRouted, subtree))
        routeSelection(nullptr);
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
