// MainWindow, the main window: the menu, and four panes in three nested splitters — the
// navigation form on the left, the preview above the property and content panes on the right.
// It routes the selection to the property and content panes and preview requests to the
// preview pane.
#pragma once

#include "model/objectid.h"

#include <QList>
#include <QMainWindow>

class DocumentSession;
class QAction;
class ContentPane;
class QMimeData;
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
    // The menu commands, numbered as the original's command IDs.
    enum class Command {
        FileNew = 57600,
        FileOpen = 57601,
        FileSave = 57603,
        FileSaveAs = 57604,
        AppExit = 57665,
        PathSetting = 32813,
        AppAbout = 57664,
        NextPane = 57680,
        PrevPane = 57681,
    };

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

    explicit MainWindow(DocumentSession &document, QWidget *parent = nullptr);

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

    // The selection changed in the navigation form's tree: the object (or null) is routed
    // through the event queue, after what is already waiting there.
    void postObjectSelected(velmo::Object *object);
    // Routes object to the property pane, then the content pane, unless it is the object routed
    // last.
    void routeObjectSelected(velmo::Object *object);
    velmo::Object *lastRoutedObject() const { return m_lastRouted; }
    // Empties the property and content panes and forgets the last object; selections still
    // waiting in the queue are dropped. Done before the document's content is replaced.
    void resetSelection();

    // showInPreview for this window's preview pane.
    int showInPreview(const QString &address);

    QAction *commandAction(Command command) const;
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

protected:
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void createMenus();
    QAction *addCommand(QMenu *menu, Command command, const QString &text, const QString &name,
                        const QKeySequence &shortcut = {});
    void applyInitialSizes();
    void updateTitle(const QString &documentTitle);
    QList<QWidget *> panes() const;
    static QStringList droppedDocuments(const QMimeData *data);

    DocumentSession &m_document;
    QSplitter *m_outerSplitter = nullptr;
    QSplitter *m_rightSplitter = nullptr;
    QSplitter *m_lowerSplitter = nullptr;
    QWidget *m_navigationView = nullptr;
    PreviewPane *m_previewView = nullptr;
    PropertyPane *m_propertyView = nullptr;
    ContentPane *m_contentView = nullptr;
    QList<QPair<Command, QAction *>> m_commands;
    QAction *m_recentPlaceholder = nullptr;
    QList<QAction *> m_recentActions;
    // Until then the panes keep their starting sizes for whatever size the window takes.
    bool m_userMovedSplitter = false;

    velmo::Object *m_lastRouted = nullptr;
    // With the pointer, so that a new object at a freed object's address is not taken for it.
    velmo::ObjectId m_lastRoutedId;
    // Counts resets; a selection posted before the latest reset is stale when it arrives.
    quint64 m_selectionGeneration = 0;
};
