// Application, the application object: start-up (command line, document, main window), the
// document commands of the menu, the recent-file list and the message and file dialogs every
// window goes through. The Document root and the settings are handed in; nothing here is a
// process-wide singleton.
#pragma once

#include <functional>
#include <memory>

#include <QObject>
#include <QPointer>
#include <QStringList>

#include "app/filedialogwrapper.h"
#include "app/messageboxreporter.h"
#include "app/messageboxwrapper.h"
#include "app/recentfilelist.h"

class AutoSave;
class MainWindow;
class NavigationPane;
class DeployController;
class DocumentController;
class DocumentSession;
class QCoreApplication;
class QSettings;

namespace velmo {
class Document;
}

class Application : public QObject
{
    Q_OBJECT

public:
    // What the command line asks for: `velmo [--home DIR] [FILE.vlm]`.
    struct CommandLineInfo
    {
        QString homeFolder;
        QString fileName;
        // Set when the arguments make no sense; the rest is then empty.
        QString error;
    };
    static CommandLineInfo parseCommandLine(const QStringList &arguments);

    // What must be set before the QApplication is constructed (the embedded browser shares
    // OpenGL contexts with the widgets).
    static void prepareApplication();
    // Qt's own Japanese texts (from Debian's qt6-translations-l10n); false when they are not
    // installed, and Qt then speaks English.
    static bool installQtTranslations(QCoreApplication &application);
    // The settings store: organisation "VELMO_V1.0", application "Velmo", an INI file in the
    // user's configuration folder.
    static std::unique_ptr<QSettings> createSettings();

    enum class OpenResult { Opened, Cancelled, Failed };

    // Completes the main window before its first document: the editing forms and dialogs live
    // in a library of their own, which the program hands in here.
    using WindowSetup = std::function<void(Application &, MainWindow &, NavigationPane &)>;
    void setWindowSetup(WindowSetup setup) { m_windowSetup = std::move(setup); }

    Application(velmo::Document &global, QSettings &settings, QObject *parent = nullptr);
    ~Application() override;

    // Start-up: the recent-file list, the document and its main window, the document named on
    // the command line (or a new one when there is none or it cannot be opened), the built-in
    // catalogue, and the main window shown maximised.
    bool initInstance(const CommandLineInfo &commandLine);

    // "新規作成": asks to save, then starts an empty document.
    bool onFileNew();
    // "開く...": asks for a .vlm file, then opens it.
    OpenResult onFileOpen();
    // Opens path as the document (command line, recent files, dropped files). The file that is
    // already the document is not read again.
    OpenResult openDocumentFile(const QString &path);
    // An entry of the recent-file list; an entry that can no longer be opened leaves the list.
    OpenResult onOpenRecentFile(int index);
    void onAppAbout();
    // "自動保存の設定": the interval is stored and in use at once.
    void onAutoSaveSetting();

    // A recovery file of the document at documentPath (empty: one never saved) whose writer no
    // longer runs is offered, with the times of both and a warning when the document was saved
    // after it: "復元" opens its state, marked modified, "破棄" deletes it. A broken one is
    // reported and renamed ".broken". True when the document is now the recovered state.
    bool offerRecovery(const QString &recoveryPath, const QString &documentPath);

    velmo::Document &global() const { return m_global; }
    QSettings &settings() const { return m_settings; }
    DocumentSession &document() const { return *m_document; }
    DocumentController &controller() const { return *m_controller; }
    DeployController &deploy() const { return *m_deploy; }
    AutoSave &autoSave() const { return *m_autoSave; }
    MainWindow *mainFrame() const;
    RecentFileList &recentFiles() { return m_recentFiles; }
    MessageBoxWrapper &messageBoxes() { return m_messageBoxes; }
    FileDialogWrapper &fileDialogs() { return m_fileDialogs; }

private:
    void addRecentFile(const QString &path);
    void updateRecentFileMenu();
    OpenResult openWithoutRecovery(const QString &path);
    // Offers the recoveries of the document (empty: of documents never saved) that programs no
    // longer running left, newest first, until one is restored.
    void offerRecoveries(const QString &documentPath);

    velmo::Document &m_global;
    QSettings &m_settings;
    MessageBoxWrapper m_messageBoxes;
    FileDialogWrapper m_fileDialogs;
    MessageBoxReporter m_reporter;
    RecentFileList m_recentFiles;
    // The controller holds the undo history the session marks, so it is made first.
    std::unique_ptr<DocumentController> m_controller;
    std::unique_ptr<DeployController> m_deploy;
    std::unique_ptr<DocumentSession> m_document;
    // After the session and the controller, so that it goes before them.
    std::unique_ptr<AutoSave> m_autoSave;
    QPointer<MainWindow> m_mainFrame;
    WindowSetup m_windowSetup;
};
