// NavigationPane, the navigation form in the main window's left pane: the site combo with "管理",
// "HTML出力" and "サーバーへ転送", the current site's menu tree with "上へ" and "下へ", and its
// storage area ("一時置き場") with "空にする".
#pragma once

#include <functional>
#include <memory>

#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <QWidget>

class DeployController;
class DocumentController;
class MainWindow;
class QComboBox;
class QLabel;
class QProgressDialog;
class QPushButton;
class ObjectTree;
class QUrl;

namespace velmo {
class Document;
class Object;
} // namespace velmo

class NavigationPane : public QWidget
{
    Q_OBJECT

public:
    // Opens a folder with the desktop's file manager; replaceable so that tests can watch it.
    using FolderOpener = std::function<bool(const QUrl &)>;

    explicit NavigationPane(DocumentController &controller, QWidget *parent = nullptr);
    ~NavigationPane() override;

    // Puts a new navigation form into frame's left pane, forwarding to controller, and has it
    // take the frame's initial updates.
    static NavigationPane *install(MainWindow &frame, DocumentController &controller);

    // A new or opened document: fills the combo and shows the current site in both trees.
    void onInitialUpdate();
    // The document's sites into the combo, with the controller's current site chosen.
    void fillSiteCombo();
    // The user chose combo entry index: it becomes the current site.
    void onSiteChosen(int index);
    // Both trees show the current site, its menu and its storage box.
    void showCurrentSite();
    // "空にする": takes out what the current site's storage box holds.
    void onEmptyStorage();
    // "管理": asks for the site edit dialog.
    void onManage();
    // "HTML出力": writes the current site, says what it did and opens the published folder.
    void onHtmlOutput();
    // Opens folder in the desktop's file manager; when none can be started the user is told
    // where the folder is.
    void openPublishedFolder(const QString &folder);
    // What the user is told when the published folder does not open.
    static QString folderNotOpenedMessage(const QString &folder);
    // "上へ" / "下へ" on the menu tree's selected object.
    void onMoveUp();
    void onMoveDown();
    // Selects object in the tree that shows it and scrolls it into view, as a click would.
    void revealObject(velmo::Object *object);
    // Where the document is kept (empty: never saved), so that the menu tree's open rows are
    // kept for it when it is left and opened again with it.
    void setDocumentPathSource(std::function<QString()> source)
    {
        m_documentPath = std::move(source);
    }
    // Keeps the menu tree's open rows for the document on view.
    void keepTreeState();

    QComboBox *siteCombo() const { return m_siteCombo; }
    ObjectTree *menuTree() const { return m_menuTree; }
    ObjectTree *storageTree() const { return m_storageTree; }

    // "サーバーへ転送" forwards to deploy, whose listing, plan and progress are shown here.
    void setDeployController(DeployController *deploy);
    QPushButton *deployButton() const { return m_deployButton; }

    void setFolderOpener(FolderOpener opener) { m_openFolder = std::move(opener); }
    // How long a site output runs before its progress is shown (half a second by default).
    void setProgressDelay(int milliseconds) { m_progressDelay = milliseconds; }

Q_SIGNALS:
    // "管理" was pressed; the site edit dialog runs from here.
    void siteManagementRequested();
    // A page of a site output is done, while the progress is on view.
    void outputProgress(int done, int total);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void consumeEnterAndEscape(QWidget *widget);
    // The combo follows the sites: added, removed, reordered, renamed.
    void onSiteListChanged(velmo::Object *object);
    void onOutputStarted(int total);
    void onOutputProgress(int done, int total);
    void onOutputPicturesStarted(int total);
    void onOutputPicturesProgress(int done, int total);
    // While on, the user's input to any window waits, under a busy cursor.
    void holdInput(bool on);
    // The progress dialog, with its cancel button, made when first needed.
    void showProgress(const QString &text, int total);
    void onOutputFinished(const QString &summary, const QString &publishedFolder);
    // The progress of the transfer's listing (files 0: busy) or of its files, with cancel.
    void showDeployProgress(const QString &text, int files);
    void closeDeployProgress();

    DocumentController &m_controller;
    velmo::Document &m_global;
    QLabel *m_siteLabel = nullptr;
    QComboBox *m_siteCombo = nullptr;
    QPushButton *m_manageButton = nullptr;
    QPushButton *m_outputButton = nullptr;
    QPushButton *m_deployButton = nullptr;
    QPointer<DeployController> m_deploy;
    QPointer<QProgressDialog> m_deployProgress;
    QLabel *m_menuLabel = nullptr;
    QPushButton *m_upButton = nullptr;
    QPushButton *m_downButton = nullptr;
    ObjectTree *m_menuTree = nullptr;
    QLabel *m_storageLabel = nullptr;
    QPushButton *m_emptyButton = nullptr;
    ObjectTree *m_storageTree = nullptr;
    FolderOpener m_openFolder;
    std::function<QString()> m_documentPath;
    int m_progressDelay = 500;
    // The progress of the running site output, shown once it has run longer than the delay.
    QElapsedTimer m_outputClock;
    QPointer<QProgressDialog> m_progress;
    // Runs while the output waits for its pictures and the delay is not yet over.
    QTimer m_pictureDelay;
    int m_pictureTotal = 0;
    int m_picturesDone = 0;
    std::unique_ptr<QObject> m_inputHold;
    // Set while "HTML出力" runs: its published folder is opened afterwards.
    bool m_openAfterOutput = false;
};
