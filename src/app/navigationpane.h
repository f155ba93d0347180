// NavigationPane, the navigation form in the main window's left pane: the site combo with "管理"
// and "HTML出力", the current site's menu tree with "上へ" and "下へ", and its storage area
// ("一時置き場") with "空にする".
#pragma once

#include <functional>

#include <QWidget>

class DocumentController;
class MainWindow;
class QComboBox;
class QLabel;
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

    // A new or opened document: registers the menu tree with the root, fills the combo and
    // rebuilds both trees.
    void onInitialUpdate();
    // The document's sites into the combo, with the controller's current site chosen.
    void fillSiteCombo();
    // The user chose combo entry index: it becomes the current site and fills the menu tree.
    void onSiteChosen(int index);
    // The site chosen in the combo becomes current; both trees are refilled.
    void rebuildMenuTree();
    // The storage tree shows the current site's box again.
    void refreshStorage();
    // "空にする": destroys what the current site's storage box holds.
    void onEmptyStorage();
    // "管理": asks for the site edit dialog, then refills the combo and the trees.
    void onManage();
    // "HTML出力": writes the current site, says what it did and opens the published folder.
    void onHtmlOutput();
    // Writes the whole current site with its progress; openFolder opens the published folder
    // afterwards ("HTML出力"; "全て更新" does not).
    void outputSite(bool openFolder);
    // Opens folder in the desktop's file manager; when none can be started the user is told
    // where the folder is.
    void openPublishedFolder(const QString &folder);
    // "上へ" / "下へ" on the menu tree's selected object.
    void onMoveUp();
    void onMoveDown();
    // Selects object in the tree that shows it and scrolls it into view, as a click would.
    void revealObject(velmo::Object *object);
    // The tree item of object shows its name, after an edit in a property form.
    void showName(velmo::Object *object);

    QComboBox *siteCombo() const { return m_siteCombo; }
    ObjectTree *menuTree() const { return m_menuTree; }
    ObjectTree *storageTree() const { return m_storageTree; }

    void setFolderOpener(FolderOpener opener) { m_openFolder = std::move(opener); }
    // How long a site output runs before its progress is shown (half a second by default).
    void setProgressDelay(int milliseconds) { m_progressDelay = milliseconds; }

Q_SIGNALS:
    // "管理" was pressed; the site edit dialog runs from here.
    void siteManagementRequested();
    // A page of a site output is done, while the progress is on view.
    void outputProgress(int done, int total);
    // A site output completed: what it did, and the folder it published to.
    void outputFinished(const QString &summary, const QString &publishedFolder);
    // The site output just finished found links that lead nowhere.
    void brokenLinksFound();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void registerWithRoot();
    void consumeEnterAndEscape(QWidget *widget);

    DocumentController &m_controller;
    velmo::Document &m_global;
    QLabel *m_siteLabel = nullptr;
    QComboBox *m_siteCombo = nullptr;
    QPushButton *m_manageButton = nullptr;
    QPushButton *m_outputButton = nullptr;
    QLabel *m_menuLabel = nullptr;
    QPushButton *m_upButton = nullptr;
    QPushButton *m_downButton = nullptr;
    ObjectTree *m_menuTree = nullptr;
    QLabel *m_storageLabel = nullptr;
    QPushButton *m_emptyButton = nullptr;
    ObjectTree *m_storageTree = nullptr;
    FolderOpener m_openFolder;
    int m_progressDelay = 500;
    bool m_registered = false;
};
