// The application object: start-up and the document commands.
#include "app/application.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QScreen>
#include <QSettings>
#include <QTranslator>

#include "app/aboutdialog.h"
#include "app/appicon.h"
#include "app/autosave.h"
#include "app/autosavedialog.h"
#include "app/deploycontroller.h"
#include "app/documentcontroller.h"
#include "app/documentsession.h"
#include "app/mainwindow.h"
#include "app/navigationpane.h"
#include "model/document.h"
#include "model/recoveryfile.h"

using namespace Qt::StringLiterals;

// Resources compiled into a static library are registered by hand.
static void initResources()
{
    Q_INIT_RESOURCE(velmo);
}

Application::CommandLineInfo Application::parseCommandLine(const QStringList &arguments)
{
    CommandLineInfo info;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (argument == u"--home") {
            if (i + 1 >= arguments.size()) {
                info.error = u"--home needs a folder"_s;
                break;
            }
            info.homeFolder = arguments.at(++i);
        } else if (argument.startsWith(u"--home=")) {
            info.homeFolder = argument.mid(7);
        } else if (argument.startsWith(u'-') && argument.size() > 1) {
            info.error = u"unknown option %1"_s.arg(argument);
            break;
        } else if (info.fileName.isEmpty()) {
            info.fileName = argument;
        } else {
            info.error = u"only one document can be opened"_s;
            break;
        }
    }
    if (!info.error.isEmpty())
        info = CommandLineInfo{{}, {}, info.error};
    return info;
}

void Application::prepareApplication()
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

bool Application::installQtTranslations(QCoreApplication &application)
{
    // The window speaks Japanese whatever the system's locale, so Qt's own texts (file dialogs,
    // message-box buttons) must too.
    auto *translator = new QTranslator(&application);
    if (!translator->load(QLocale(QLocale::Japanese, QLocale::Japan), u"qtbase"_s, u"_"_s,
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

std::unique_ptr<QSettings> Application::createSettings()
{
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, u"VELMO_V1.0"_s,
                                       u"Velmo"_s);
}

Application::Application(velmo::Document &global, QSettings &settings, QObject *parent)
    : QObject(parent), m_global(global), m_settings(settings), m_reporter(m_messageBoxes)
{
    initResources();
    m_global.setReporter(&m_reporter);
}

Application::~Application()
{
    // The frame's panes hold on to the document; they go first.
    delete m_mainFrame.data();
    m_global.setReporter(nullptr);
}

MainWindow *Application::mainFrame() const
{
    return m_mainFrame.data();
}

bool Application::initInstance(const CommandLineInfo &commandLine)
{
    QGuiApplication::setWindowIcon(velmoIcon());
    QGuiApplication::setDesktopFileName(u"velmo"_s);

    m_recentFiles.load(m_settings);
    m_controller = std::make_unique<DocumentController>(m_global);
    m_controller->setMessageBoxes(&m_messageBoxes);
    m_document = std::make_unique<DocumentSession>(m_global, m_controller->history(), m_settings,
                                                   m_messageBoxes, m_fileDialogs);
    m_autoSave = std::make_unique<AutoSave>(*m_document, m_controller->history());
    m_autoSave->setIntervalSeconds(AutoSave::intervalSetting(m_settings));
    connect(m_document.get(), &DocumentSession::saved, m_autoSave.get(), &AutoSave::discard);
    connect(m_document.get(), &DocumentSession::changesDiscarded, m_autoSave.get(),
            &AutoSave::discard);
    m_mainFrame = new MainWindow(*m_document, *m_controller);
    NavigationPane *navigation = NavigationPane::install(*m_mainFrame, *m_controller);
    m_deploy = std::make_unique<DeployController>(*m_controller, m_settings);
    navigation->setDeployController(m_deploy.get());
    connect(m_deploy.get(), &DeployController::finished, m_mainFrame,
            [this](const QString &summary) { m_mainFrame->showOutputResult(summary, QString()); });
    m_messageBoxes.setParentWidget(m_mainFrame);
    m_fileDialogs.setParentWidget(m_mainFrame);
    if (m_windowSetup)
        m_windowSetup(*this, *m_mainFrame, *navigation);

    connect(m_document.get(), &DocumentSession::pathRecorded, this, &Application::addRecentFile);
    connect(m_mainFrame, &MainWindow::recentFileChosen, this, &Application::onOpenRecentFile);
    connect(m_mainFrame, &MainWindow::documentsDropped, this,
            [this](const QStringList &paths) { openDocumentFile(paths.constFirst()); });
    connect(m_mainFrame->fileNewAction(), &QAction::triggered, this, &Application::onFileNew);
    connect(m_mainFrame->fileOpenAction(), &QAction::triggered, this, &Application::onFileOpen);
    connect(m_mainFrame->fileSaveAction(), &QAction::triggered, m_document.get(),
            &DocumentSession::doFileSave);
    connect(m_mainFrame->fileSaveAsAction(), &QAction::triggered, m_document.get(),
            &DocumentSession::doSaveAs);
    connect(m_mainFrame->pathSettingAction(), &QAction::triggered, this,
            [this] { m_document->onPathSetting(m_mainFrame); });
    connect(m_mainFrame->aboutAction(), &QAction::triggered, this, &Application::onAppAbout);
    connect(m_mainFrame->autoSaveSettingAction(), &QAction::triggered, this,
            &Application::onAutoSaveSetting);
    // Said where it is seen: the status bar is hidden until an output, and without recovery
    // files a crash loses every edit since the last save.
    connect(m_autoSave.get(), &AutoSave::writeFailed, m_mainFrame, [this](const QString &reason) {
        m_messageBoxes.inform(u"自動保存できませんでした。保存するまで、異常終了すると編集が"
                              u"失われます。\r\n%1"_s.arg(reason));
    });
    updateRecentFileMenu();

    if (!commandLine.error.isEmpty())
        m_messageBoxes.inform(u"コマンドラインを解釈できませんでした。\r\n"_s + commandLine.error);
    // A document that cannot be opened has been reported; the program starts with an empty
    // one rather than not at all.
    const bool opened = !commandLine.fileName.isEmpty() &&
                        openWithoutRecovery(commandLine.fileName) == OpenResult::Opened;
    if (!opened)
        onFileNew();

    // The built-in entries a document lacks are the program's, not an edit of the user's.
    m_global.addBuiltInCatalogue();
    m_document->setModifiedFlag(false);
    // Without a window manager nobody maximises the window; it then still fills the screen.
    if (const QScreen *screen = m_mainFrame->screen())
        m_mainFrame->setGeometry(screen->availableGeometry());
    m_mainFrame->showMaximized();
    // Asked over the window, which then shows what is restored.
    offerRecoveries(opened ? m_document->pathName() : QString());
    return true;
}

bool Application::onFileNew()
{
    if (!m_document->saveModified())
        return false;
    m_document->onNewDocument();
    m_mainFrame->initialUpdateFrame();
    return true;
}

Application::OpenResult Application::onFileOpen()
{
    const QString path = m_fileDialogs.getOpenFileName(
        u"開く"_s, m_document->dialogFolder(),
        {DocumentSession::fileFilter(), DocumentSession::allFilesFilter()});
    if (path.isEmpty())
        return OpenResult::Cancelled;
    return openDocumentFile(path);
}

Application::OpenResult Application::openDocumentFile(const QString &path)
{
    const QString before = m_document->pathName();
    const OpenResult result = openWithoutRecovery(path);
    // The file that already was the document was not read again; nothing to offer there.
    if (result == OpenResult::Opened && m_document->pathName() != before)
        offerRecoveries(m_document->pathName());
    return result;
}

Application::OpenResult Application::openWithoutRecovery(const QString &path)
{
    const QFileInfo info(path);
    const QString current = m_document->pathName();
    if (!current.isEmpty() && info.exists() && QFileInfo(current) == info)
        return OpenResult::Opened;
    if (!m_document->saveModified())
        return OpenResult::Cancelled;
    if (!m_document->onOpenDocument(info.absoluteFilePath()))
        return OpenResult::Failed;
    m_mainFrame->initialUpdateFrame();
    return OpenResult::Opened;
}

namespace {

QString recoveryTime(const QDateTime &time)
{
    return time.toLocalTime().toString(u"yyyy/MM/dd HH:mm:ss"_s);
}

} // namespace

bool Application::offerRecovery(const QString &recoveryPath, const QString &documentPath)
{
    velmo::RecoveryFile::Contents recovered;
    QString why;
    const auto setAside = [this, &recoveryPath](const QString &reason) {
        const QString aside = velmo::RecoveryFile::setAside(recoveryPath);
        m_messageBoxes.inform(u"復元データ「%1」は使えません（%2）。\r\n%3"_s.arg(
            recoveryPath, reason,
            aside.isEmpty() ? u"名前を変えられなかったため、そのまま残しました。"_s
                            : u"「%1」として残しました。"_s.arg(aside)));
        return false;
    };
    // The header first: the recovery of a program that still runs (a second window on the
    // same document) is that program's to write and to remove, and is not read further.
    using velmo::RecoveryFile;
    for (const RecoveryFile::Part part :
         {RecoveryFile::Part::HeaderOnly, RecoveryFile::Part::Whole}) {
        switch (RecoveryFile::read(recoveryPath, recovered, &why, part)) {
        case RecoveryFile::ReadResult::Missing:
            return false;
        case RecoveryFile::ReadResult::Broken:
            return setAside(why);
        case RecoveryFile::ReadResult::Read:
            break;
        }
        if (part == RecoveryFile::Part::HeaderOnly && RecoveryFile::isWriterRunning(recovered))
            return false;
    }
    const QFileInfo document(documentPath);
    const QString name = documentPath.isEmpty() ? DocumentSession::untitledName() : documentPath;
    const QString saved = documentPath.isEmpty() || !document.exists()
                              ? u"一度も保存されていません"_s
                              : recoveryTime(document.lastModified());
    // Saved after the recovery was written (by another window, say): the recovery still holds
    // edits that may be found nowhere else, but restoring it goes back behind that save.
    const QString later =
        !documentPath.isEmpty() && document.exists() && document.lastModified() >= recovered.written
            ? u"文書は復元データより後に保存されています。復元すると、その保存の内容ではなく"
              u"復元データの状態が開かれます。\r\n\r\n"_s
            : QString();
    const QString question =
        u"「%1」には、保存されていない変更の復元データがあります。\r\n\r\n"
        u"文書の保存日時: %2\r\n復元データの日時: %3\r\n\r\n%4"
        u"[復元] で復元データの状態を開きます（保存はまだされていません）。\r\n"
        u"[破棄] で復元データを削除します。"_s.arg(name, saved, recoveryTime(recovered.written),
                                                   later);
    const QMessageBox::StandardButton answer = m_messageBoxes.ask(
        question, QMessageBox::Question, QMessageBox::Yes | QMessageBox::Discard, QMessageBox::Yes,
        {{QMessageBox::Yes, u"復元"_s}, {QMessageBox::Discard, u"破棄"_s}});
    if (answer != QMessageBox::Yes) {
        QFile::remove(recoveryPath);
        return false;
    }
    if (!m_document->restoreRecovered(recovered.documentBytes, documentPath))
        return setAside(u"文書として読み込めません"_s);
    m_global.addBuiltInCatalogue();
    m_autoSave->adopt(recoveryPath);
    m_mainFrame->initialUpdateFrame();
    return true;
}

void Application::offerRecoveries(const QString &documentPath)
{
    velmo::RecoveryFile::removeStaleTemporaries();
    const QStringList recoveries = velmo::RecoveryFile::recoveriesFor(documentPath);
    for (const QString &recovery : recoveries) {
        if (offerRecovery(recovery, documentPath))
            return;
    }
}

void Application::onAutoSaveSetting()
{
    AutoSaveDialog dialog(m_autoSave->intervalSeconds(), m_mainFrame);
    if (dialog.exec() != QDialog::Accepted)
        return;
    AutoSave::setIntervalSetting(m_settings, dialog.seconds());
    m_autoSave->setIntervalSeconds(dialog.seconds());
}

Application::OpenResult Application::onOpenRecentFile(int index)
{
    if (index < 0 || index >= m_recentFiles.files().size())
        return OpenResult::Cancelled;
    const OpenResult result = openDocumentFile(m_recentFiles.files().at(index));
    if (result == OpenResult::Failed) {
        m_recentFiles.remove(index);
        m_recentFiles.save(m_settings);
        updateRecentFileMenu();
    }
    return result;
}

void Application::onAppAbout()
{
    AboutDialog dialog(m_mainFrame);
    dialog.exec();
}

void Application::addRecentFile(const QString &path)
{
    m_recentFiles.add(path);
    // Written at once rather than at exit, so that a crash does not lose it.
    m_recentFiles.save(m_settings);
    updateRecentFileMenu();
}

void Application::updateRecentFileMenu()
{
    if (!m_mainFrame.isNull())
        m_mainFrame->setRecentFiles(m_recentFiles.files());
}
