// MainWindow, the main window: the menu, and four panes in three nested splitters — the
// navigation form on the left, the preview above the property and content panes on the right.
// It routes the selection to the property and content panes and preview requests to the
// preview pane.
#pragma once

#include <functional>

#include <QList>
#include <QMainWindow>

class DocumentController;
class DocumentSession;
class BrokenLinksWindow;
class QAction;
class ContentPane;
class QLabel;
class QMimeData;
class QPushButton;
class PreviewPane;
class PropertyPane;
class QSplitter;

namespace velmo {
class Object;
}

class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    // The sizes the panes start with for a client area of width by height pixels (integer
    // division). The last pane of each splitter takes what remains; once the user has moved a
    // divider, it also takes what the window gains or loses.
    struct PaneSizes
    {
        int navigationWidth;
        int previewWidth;
        int previewHeight;
        int propertyWidth;
        int propertyHeight;
        int contentWidth;
        int contentHeight;
        int rightIdealWidth;
        int rightMinimumWidth;
    };
    static PaneSizes initialPaneSizes(int width, int height);

    // Routes controller's selection to the property and content panes and its previews to the
    // preview pane.
    MainWindow(DocumentSession &document, DocumentController &controller,
               QWidget *parent = nullptr);

    // The navigation form takes the left pane, in place of the empty one kept for it; the
    // frame owns it from then on.
    void setNavigationView(QWidget *view);
    QWidget *navigationView() const;
    PreviewPane *previewView() const { return m_previewView; }
    PropertyPane *propertyView() const { return m_propertyView; }
    ContentPane *contentView() const { return m_contentView; }
    QSplitter *outerSplitter() const { return m_outerSplitter; }
    QSplitter *rightSplitter() const { return m_rightSplitter; }
    QSplitter *lowerSplitter() const { return m_lowerSplitter; }

    // A new or opened document: every view takes its first look at it, the navigation form
    // (through initialUpdate) first.
    void initialUpdateFrame();

    DocumentController &controller() const { return m_controller; }
    DocumentSession &session() const { return m_document; }
    // Hands object (or null) to the property pane, then the content pane.
    void showSelection(velmo::Object *object);

    // showInPreview for this window's preview pane.
    int showInPreview(const QString &address);
    // The status bar tells what a site output did, with a button that opens the folder.
    void showOutputResult(const QString &summary, const QString &publishedFolder);
    // "リンク切れ" lists the broken links of the controller's last output.
    void showBrokenLinks();
    BrokenLinksWindow *brokenLinksWindow() const { return m_brokenLinks; }

    // The menu commands.
    QAction *fileNewAction() const { return m_fileNew; }
    QAction *fileOpenAction() const { return m_fileOpen; }
    QAction *fileSaveAction() const { return m_fileSave; }
    QAction *fileSaveAsAction() const { return m_fileSaveAs; }
    QAction *exitAction() const { return m_exit; }
    QAction *pathSettingAction() const { return m_pathSetting; }
    QAction *autoSaveSettingAction() const { return m_autoSaveSetting; }
    QAction *aboutAction() const { return m_about; }
    QAction *undoAction() const { return m_undo; }
    QAction *redoAction() const { return m_redo; }
    QAction *cutAction() const { return m_cut; }
    QAction *copyAction() const { return m_copy; }
    QAction *pasteAction() const { return m_paste; }
    // 切り取り, コピー and 貼り付け act on what selected gives (the menu tree's selection); their
    // keys work while tree has the focus.
    void setObjectCommandTarget(QWidget *tree, std::function<velmo::Object *()> selected);
    // The 編集 menu says what undo and redo would do, and what the selection allows.
    void updateEditActions();
    QAction *nextPaneAction() const { return m_nextPane; }
    QAction *previousPaneAction() const { return m_previousPane; }
    // Entries of "最近使ったファイル", newest first.
    void setRecentFiles(const QStringList &files);
    QList<QAction *> recentFileActions() const { return m_recentActions; }

    // F6 and Shift+F6: the keyboard focus moves to the next or previous pane.
    void activateNextPane(bool previous);

Q_SIGNALS:
    void initialUpdate();
    void recentFileChosen(int index);
    // Local .vlm files dropped on the window, in the order given.
    void documentsDropped(const QStringList &paths);
    // "フォルダを開く" of the status bar, for the folder of the last output.
    void publishedFolderOpenRequested(const QString &folder);

protected:
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void createMenus();
    QAction *addCommand(QMenu *menu, const QString &text, const QString &name,
                        const QKeySequence &shortcut = {});
    void applyInitialSizes();
    void updateTitle(const QString &documentTitle);
    velmo::Object *selectedObject() const;
    QList<QWidget *> panes() const;
    static QStringList droppedDocuments(const QMimeData *data);

    DocumentSession &m_document;
    DocumentController &m_controller;
    QSplitter *m_outerSplitter = nullptr;
    QSplitter *m_rightSplitter = nullptr;
    QSplitter *m_lowerSplitter = nullptr;
    QWidget *m_navigationView = nullptr;
    PreviewPane *m_previewView = nullptr;
    PropertyPane *m_propertyView = nullptr;
    ContentPane *m_contentView = nullptr;
    QLabel *m_outputResult = nullptr;
    QPushButton *m_openPublished = nullptr;
    BrokenLinksWindow *m_brokenLinks = nullptr;
    QString m_publishedFolder;
    QAction *m_fileNew = nullptr;
    QAction *m_fileOpen = nullptr;
    QAction *m_fileSave = nullptr;
    QAction *m_fileSaveAs = nullptr;
    QAction *m_exit = nullptr;
    QAction *m_pathSetting = nullptr;
    QAction *m_autoSaveSetting = nullptr;
    QAction *m_about = nullptr;
    QAction *m_undo = nullptr;
    QAction *m_redo = nullptr;
    QAction *m_cut = nullptr;
    QAction *m_copy = nullptr;
    QAction *m_paste = nullptr;
    std::function<velmo::Object *()> m_selectedObject;
    QAction *m_nextPane = nullptr;
    QAction *m_previousPane = nullptr;
    QAction *m_recentPlaceholder = nullptr;
    QList<QAction *> m_recentActions;
    // Until then the panes keep their starting sizes for whatever size the window takes.
    bool m_userMovedSplitter = false;
};
