// The navigation form: the site combo, the two trees, their buttons and the site output.
#include "app/navigationpane.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMetaObject>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <QSignalBlocker>
#include <QUrl>

#include "app/deploycontroller.h"
#include "app/deployplandialog.h"
#include "app/documentcontroller.h"
#include "app/documentsession.h"
#include "app/externalprograms.h"
#include "app/mainwindow.h"
#include "app/objecttree.h"
#include "app/serversettingsdialog.h"
#include "app/treeexpansionstore.h"
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

// Keeps the user's clicks and keys from every window, under a busy cursor, while it lives.
class InputHold : public QObject
{
public:
    InputHold()
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        qApp->installEventFilter(this);
    }
    ~InputHold() override
    {
        qApp->removeEventFilter(this);
        QApplication::restoreOverrideCursor();
    }
    InputHold(const InputHold &) = delete;
    InputHold &operator=(const InputHold &) = delete;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Wheel:
        case QEvent::Close:
            return true;
        default:
            return QObject::eventFilter(watched, event);
        }
    }
};

QLabel *makeLabel(const QString &text, const QString &name, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

} // namespace

NavigationPane::NavigationPane(DocumentController &controller, QWidget *parent)
    : QWidget(parent), m_controller(controller), m_global(controller.document()),
      m_openFolder([global = QPointer<velmo::Document>(&m_global)](const QUrl &url) {
          const QString folder = url.toLocalFile();
          return openFolder(folder, [global, folder] {
              if (global != nullptr)
                  global->report(folderNotOpenedMessage(folder));
          });
      })
{
    setObjectName(u"navigationView"_s);

    m_siteLabel = makeLabel(u"ウェブサイト"_s, u"siteLabel"_s, this);
    m_manageButton = makeButton(u"管理"_s, u"manageButton"_s, 98, this);
    m_siteCombo = new QComboBox(this);
    m_siteCombo->setObjectName(u"siteCombo"_s);
    m_outputButton = makeButton(u"HTML出力"_s, u"outputButton"_s, 98, this);
    m_deployButton = makeButton(u"サーバーへ転送"_s, u"deployButton"_s, 110, this);
    m_deployButton->setEnabled(false);
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
    auto *outputButtons = new QHBoxLayout;
    outputButtons->setSpacing(1);
    outputButtons->addWidget(m_outputButton);
    outputButtons->addWidget(m_deployButton);
    layout->addLayout(outputButtons, 1, 1, 1, 2, Qt::AlignRight);
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
    connect(&controller, &DocumentController::revealRequested, this, &NavigationPane::revealObject);
    connect(&controller, &DocumentController::outputStarted, this,
            &NavigationPane::onOutputStarted);
    connect(&controller, &DocumentController::outputProgress, this,
            &NavigationPane::onOutputProgress);
    connect(&controller, &DocumentController::outputFinished, this,
            &NavigationPane::onOutputFinished);
    connect(&controller, &DocumentController::outputPicturesStarted, this,
            &NavigationPane::onOutputPicturesStarted);
    connect(&controller, &DocumentController::outputPicturesProgress, this,
            &NavigationPane::onOutputPicturesProgress);
    m_pictureDelay.setSingleShot(true);
    connect(&m_pictureDelay, &QTimer::timeout, this, [this] {
        holdInput(false);
        showProgress(u"画像を縮小しています..."_s, m_pictureTotal);
        m_progress->setValue(m_picturesDone);
    });

    // The combo and the trees follow the document.
    connect(&m_global, &velmo::Document::objectInserted, this, &NavigationPane::onSiteListChanged);
    connect(&m_global, &velmo::Document::objectRemoved, this, &NavigationPane::onSiteListChanged);
    connect(&m_global, &velmo::Document::objectMoved, this, &NavigationPane::onSiteListChanged);
    connect(&m_global, &velmo::Document::objectChanged, this,
            [this](velmo::Object *object, velmo::Field field) {
                if (field == velmo::Field::Name)
                    onSiteListChanged(object);
            });
    connect(&m_global, &velmo::Document::currentSiteChanged, this, [this] {
        // A site that went leaves none current: the combo then picks one.
        if (m_global.currentSiteUnchecked() == nullptr)
            fillSiteCombo();
        showCurrentSite();
    });
    connect(&m_global, &velmo::Document::aboutToReset, this, [this] {
        // The chosen entry belongs to the document that goes: kept, its index would pick a
        // site of the next document by position.
        m_siteCombo->clear();
    });

    for (QWidget *widget : std::initializer_list<QWidget *>{
             m_siteCombo, m_manageButton, m_outputButton, m_deployButton, m_upButton, m_downButton,
             m_menuTree, m_storageTree, m_emptyButton})
        consumeEnterAndEscape(widget);
}

NavigationPane::~NavigationPane()
{
    // The window closes with the program: the rows open now are those to open next time.
    keepTreeState();
}

void NavigationPane::keepTreeState()
{
    if (m_documentPath)
        TreeExpansionStore::write(m_documentPath(), m_menuTree->expandedObjects());
}

NavigationPane *NavigationPane::install(MainWindow &frame, DocumentController &controller)
{
    auto *view = new NavigationPane(controller);
    frame.setNavigationView(view);
    connect(&frame, &MainWindow::publishedFolderOpenRequested, view,
            &NavigationPane::openPublishedFolder);
    connect(&frame, &MainWindow::initialUpdate, view, &NavigationPane::onInitialUpdate);
    ObjectTree *tree = view->menuTree();
    frame.setObjectCommandTarget(tree, [tree] { return tree->selectedObject(); });
    DocumentSession &session = frame.session();
    view->setDocumentPathSource([&session] { return session.pathName(); });
    // Before the path changes to the next document's.
    connect(&session, &DocumentSession::contentAboutToBeReplaced, view,
            &NavigationPane::keepTreeState);
    connect(tree, &ObjectTree::objectSelected, &frame, &MainWindow::updateEditActions);
    return view;
}

void NavigationPane::onInitialUpdate()
{
    m_storageTree->setTracksState(false);
    if (m_documentPath)
        m_menuTree->expandObjects(TreeExpansionStore::read(m_documentPath(), m_global));
    fillSiteCombo();
    showCurrentSite();
}

void NavigationPane::fillSiteCombo()
{
    const int previous = m_siteCombo->currentIndex();
    const QSignalBlocker blocker(m_siteCombo);
    m_siteCombo->clear();
    for (const velmo::Site *site : m_global.sites)
        m_siteCombo->addItem(site->name);
    // The combo picks its first entry by itself; without a current site nothing is chosen.
    m_siteCombo->setCurrentIndex(m_controller.adoptCurrentSite(previous));
}

void NavigationPane::onSiteListChanged(velmo::Object *object)
{
    if (velmo::object_cast<velmo::Site>(object) != nullptr && object->parent() == nullptr)
        fillSiteCombo();
}

void NavigationPane::onSiteChosen(int index)
{
    m_controller.chooseSite(index);
}

void NavigationPane::showCurrentSite()
{
    velmo::Site *site = m_global.currentSiteUnchecked();
    const QSignalBlocker blocker(m_siteCombo);
    m_siteCombo->setCurrentIndex(m_global.sites.indexOfObject(site));
    if (site == nullptr) {
        m_menuTree->clearTree();
        m_storageTree->clearTree();
        return;
    }
    if (m_menuTree->rootObject() != site)
        m_menuTree->setRoot(site);
    if (m_storageTree->rootObject() != &site->objectBox)
        m_storageTree->setRoot(&site->objectBox);
}

void NavigationPane::onEmptyStorage()
{
    m_controller.emptyStorage();
}

void NavigationPane::onManage()
{
    Q_EMIT siteManagementRequested();
}

void NavigationPane::onHtmlOutput()
{
    QPointer<NavigationPane> self(this);
    m_openAfterOutput = true;
    m_controller.outputSite();
    if (!self.isNull())
        m_openAfterOutput = false;
}

void NavigationPane::setDeployController(DeployController *deploy)
{
    m_deploy = deploy;
    m_deployButton->setEnabled(deploy != nullptr);
    if (deploy == nullptr)
        return;
    connect(m_deployButton, &QPushButton::clicked, deploy, &DeployController::deployCurrentSite);
    deploy->setPasswordPrompt([this](const QString &server, QString *password) {
        bool ok = false;
        *password =
            QInputDialog::getText(window(), u"サーバーへ転送"_s, u"%1 のパスワード"_s.arg(server),
                                  QLineEdit::Password, QString(), &ok);
        return ok;
    });
    connect(deploy, &DeployController::serverSettingsNeeded, this,
            [this](velmo::Site *site) { ServerSettingsDialog::run(*m_deploy, *site, window()); });
    connect(deploy, &DeployController::listingStarted, this,
            [this] { showDeployProgress(u"サーバーのファイル一覧を取得しています..."_s, 0); });
    connect(deploy, &DeployController::planReady, this,
            [this](const velmo::deploy::DeployPlan &plan) {
                closeDeployProgress();
                velmo::deploy::ServerSettings settings;
                m_deploy->serverSettings(*m_global.currentSiteUnchecked(), &settings);
                auto *dialog = new DeployPlanDialog(plan, settings.url(), window());
                dialog->setAttribute(Qt::WA_DeleteOnClose);
                dialog->setWindowModality(Qt::WindowModal);
                const int files = int(plan.actions().size());
                connect(dialog, &QDialog::accepted, this, [this, files] {
                    showDeployProgress(u"転送しています..."_s, files);
                    m_deploy->confirm();
                });
                connect(dialog, &QDialog::rejected, m_deploy, &DeployController::cancel);
                dialog->open();
            });
    connect(deploy, &DeployController::progressChanged, this,
            [this](const velmo::deploy::SiteDeploy::Progress &progress) {
                const QPointer<QProgressDialog> dialog = m_deployProgress;
                if (dialog.isNull())
                    return;
                dialog->setMaximum(qMax(1, progress.filesTotal));
                dialog->setLabelText(u"ファイル %1 / %2　%3 / %4\n%5"_s.arg(progress.filesDone)
                                         .arg(progress.filesTotal)
                                         .arg(locale().formattedDataSize(progress.bytesDone),
                                              locale().formattedDataSize(progress.bytesTotal),
                                              progress.currentFile));
                dialog->setValue(progress.filesDone);
            });
    connect(deploy, &DeployController::finished, this, [this] { closeDeployProgress(); });
}

void NavigationPane::closeDeployProgress()
{
    // Later: a modal progress dialog's setValue handles events, and the transfer's end may be
    // one of them, arriving while that setValue still runs.
    if (!m_deployProgress.isNull()) {
        m_deployProgress->hide();
        m_deployProgress->deleteLater();
        m_deployProgress.clear();
    }
}

void NavigationPane::showDeployProgress(const QString &text, int files)
{
    closeDeployProgress();
    m_deployProgress = new QProgressDialog(text, u"キャンセル"_s, 0, files, window());
    m_deployProgress->setObjectName(u"deployProgress"_s);
    m_deployProgress->setWindowTitle(u"サーバーへ転送"_s);
    m_deployProgress->setWindowModality(Qt::WindowModal);
    m_deployProgress->setMinimumDuration(0);
    m_deployProgress->setAutoClose(false);
    m_deployProgress->setAutoReset(false);
    m_deployProgress->setMinimumWidth(420);
    connect(m_deployProgress, &QProgressDialog::canceled, m_deploy, &DeployController::cancel);
    m_deployProgress->show();
}

void NavigationPane::onOutputStarted(int)
{
    m_outputClock.start();
    delete m_progress.data();
}

void NavigationPane::showProgress(const QString &text, int total)
{
    if (m_progress.isNull()) {
        m_progress = new QProgressDialog(window());
        m_progress->setObjectName(u"outputProgress"_s);
        m_progress->setWindowTitle(u"HTML出力"_s);
        m_progress->setCancelButtonText(u"キャンセル"_s);
        m_progress->setWindowModality(Qt::WindowModal);
        m_progress->setMinimumDuration(0);
        m_progress->setAutoClose(false);
        m_progress->setAutoReset(false);
        connect(m_progress, &QProgressDialog::canceled, &m_controller,
                &DocumentController::cancelOutput);
    }
    m_progress->setLabelText(text);
    m_progress->setRange(0, total);
    m_progress->show();
}

void NavigationPane::onOutputProgress(int done, int total)
{
    // The progress shows once the output has run longer than the delay.
    if (m_progress.isNull() && m_outputClock.isValid() &&
        m_outputClock.elapsed() >= m_progressDelay && total > 0)
        showProgress(u"HTML ファイルを出力しています..."_s, total);
    if (!m_progress.isNull()) {
        // A modal dialog's setValue lets the window paint and the cancel button work; the user
        // cannot act on the window meanwhile.
        m_progress->setValue(done);
        Q_EMIT outputProgress(done, total);
    }
}

void NavigationPane::onOutputPicturesStarted(int total)
{
    m_pictureTotal = total;
    m_picturesDone = 0;
    const qint64 elapsed = m_outputClock.isValid() ? m_outputClock.elapsed() : m_progressDelay;
    if (!m_progress.isNull() || elapsed >= m_progressDelay) {
        showProgress(u"画像を縮小しています..."_s, total);
        m_progress->setValue(0);
        return;
    }
    // The run now waits on the event loop: until the dialog holds the window, the user's
    // clicks and keys wait too, or they would edit the document that is being published.
    holdInput(true);
    m_pictureDelay.start(int(m_progressDelay - elapsed));
}

void NavigationPane::onOutputPicturesProgress(int done, int total)
{
    m_picturesDone = done;
    m_pictureTotal = total;
    if (!m_progress.isNull()) {
        m_progress->setMaximum(total);
        m_progress->setValue(done);
    }
}

void NavigationPane::holdInput(bool on)
{
    if (on && m_inputHold == nullptr)
        m_inputHold = std::make_unique<InputHold>();
    else if (!on)
        m_inputHold.reset();
}

void NavigationPane::onOutputFinished(const QString &, const QString &publishedFolder)
{
    m_pictureDelay.stop();
    holdInput(false);
    delete m_progress.data();
    m_outputClock.invalidate();
    if (m_openAfterOutput && !publishedFolder.isEmpty())
        openPublishedFolder(publishedFolder);
}

void NavigationPane::openPublishedFolder(const QString &folder)
{
    if (folder.isEmpty() || !QFileInfo(folder).isDir() || !m_openFolder)
        return;
    if (!m_openFolder(QUrl::fromLocalFile(folder)))
        m_global.report(folderNotOpenedMessage(folder));
}

QString NavigationPane::folderNotOpenedMessage(const QString &folder)
{
    return u"公開フォルダを開けませんでした。\r\nサイトは次のフォルダに出力されています。\r\n"_s +
           folder +
           u"\r\nフォルダを開くには、デスクトップの設定で既定のファイルマネージャを選んでください。"_s;
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
    // The focus stays where it is: taking it would close a menu the user has open.
    for (ObjectTree *tree : {m_menuTree, m_storageTree}) {
        if (tree->selectObject(object))
            return;
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
