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
#include "app/documentcontroller.h"
#include "app/documentsession.h"
#include "app/mainwindow.h"
#include "app/navigationpane.h"
#include "model/document.h"

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
    m_document =
        std::make_unique<DocumentSession>(m_global, m_settings, m_messageBoxes, m_fileDialogs);
    m_controller = std::make_unique<DocumentController>(m_global);
    m_controller->setMessageBoxes(&m_messageBoxes);
    m_mainFrame = new MainWindow(*m_document, *m_controller);
    NavigationPane *navigation = NavigationPane::install(*m_mainFrame, *m_controller);
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
    updateRecentFileMenu();

    if (!commandLine.error.isEmpty())
        m_messageBoxes.inform(u"コマンドラインを解釈できませんでした。\r\n"_s + commandLine.error);
    // A document that cannot be opened has been reported; the program starts with an empty
    // one rather than not at all.
    if (commandLine.fileName.isEmpty() ||
        openDocumentFile(commandLine.fileName) != OpenResult::Opened)
        onFileNew();

    // The built-in entries a document lacks are the program's, not an edit of the user's.
    m_global.addBuiltInCatalogue();
    m_document->setModifiedFlag(false);
    // Without a window manager nobody maximises the window; it then still fills the screen.
    if (const QScreen *screen = m_mainFrame->screen())
        m_mainFrame->setGeometry(screen->availableGeometry());
    m_mainFrame->showMaximized();
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
        u"開く"_s, QString(), {DocumentSession::fileFilter(), u"All Files (*)"_s});
    if (path.isEmpty())
        return OpenResult::Cancelled;
    return openDocumentFile(path);
}

Application::OpenResult Application::openDocumentFile(const QString &path)
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
