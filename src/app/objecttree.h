// ObjectTree, the tree of document objects in the navigation form and the object selection
// dialog: a view over an ObjectTreeModel, which follows the document's changes, with the
// context menu of object commands, Delete and F2, drag and drop through the model, and
// expansion that survives the objects going and coming back (undo, a site chosen again).
#pragma once

#include <QList>
#include <QPoint>
#include <QTreeView>

#include "model/objectref.h"

class DocumentController;
class ObjectTreeModel;

namespace velmo {
class Document;
} // namespace velmo

class ObjectTree : public QTreeView
{
    Q_OBJECT

public:
    explicit ObjectTree(velmo::Document &document, QWidget *parent = nullptr);
    ~ObjectTree() override;

    ObjectTreeModel *objectModel() const { return m_model; }
    // Selections, commands and drops go to controller from now on.
    void connectController(DocumentController &controller);
    // On (the default): selection changes are reported, and items have context menus, Delete
    // and F2. Off: the tree only shows objects (and takes part in drag and drop when that is on).
    bool tracksState() const { return m_tracksState; }
    void setTracksState(bool on) { m_tracksState = on; }
    bool dragAndDropEnabled() const { return m_dragAndDrop; }
    void setDragAndDropEnabled(bool on);

    // Shows root and what is below it (null: nothing). Items expanded when this tree last
    // showed them are expanded again; a root shown the first time is expanded.
    void setRoot(velmo::Object *root);
    velmo::Object *rootObject() const;
    void clearTree() { setRoot(nullptr); }

    // The objects whose rows are open: those shown, and those remembered from an earlier root.
    QList<velmo::Object *> expandedObjects() const;
    // Opens the rows of objects this tree shows, and those of the others once it shows them.
    void expandObjects(const QList<velmo::Object *> &objects);

    velmo::Object *objectAt(const QModelIndex &index) const;
    QModelIndex indexOf(const velmo::Object *object) const;
    velmo::Object *selectedObject() const;
    // Makes object the current and selected item and scrolls to it, as a click would. False
    // when this tree does not show it.
    bool selectObject(const velmo::Object *object);

    // The row whose icon or label lies under position (viewport coordinates), else invalid.
    QModelIndex labelIndexAt(const QPoint &position) const;
    QPoint lastMousePosition() const { return m_lastMousePosition; }
    // The context menu for the item at position (viewport coordinates), as a right click.
    void showContextMenuAt(const QPoint &position);
    // Asks for an ObjectCommands command on the selected object.
    void runCommand(int command);

Q_SIGNALS:
    // The user changed the selection (null: nothing is selected).
    void objectSelected(velmo::Object *object);
    // A command of the context menu was chosen for target.
    void commandChosen(int command, velmo::Object *target);
    // F2 on object: its name is to be edited.
    void nameEditRequested(velmo::Object *object);

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void rowsAboutToBeRemoved(const QModelIndex &parent, int start, int end) override;

private:
    // Asks for command on target; a delete leaves target's neighbour selected.
    void chooseCommand(int command, velmo::Object *target);
    void reportSelection();
    // Keeps in mind which objects below parent's rows first to last are expanded.
    void rememberExpanded(const QModelIndex &parent, int first, int last);
    // Expands what was expanded of the objects below parent's rows first to last; how many.
    int restoreExpanded(const QModelIndex &parent, int first, int last);
    QPixmap dragPixmap(const QModelIndex &index) const;

    velmo::Document &m_document;
    ObjectTreeModel *m_model = nullptr;
    bool m_tracksState = true;
    bool m_dragAndDrop = false;
    // The object last reported as selected, and whether that was nothing.
    velmo::ObjectRef m_reported;
    bool m_reportedNull = true;
    // Objects that were expanded when they left the tree, newest last.
    QList<velmo::ObjectRef> m_expandedMemory;
    QPoint m_lastMousePosition;
    QPoint m_pressPosition;
};
