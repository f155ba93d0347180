// ObjectTree, the tree of document objects in the navigation form and the object selection
// dialog: the objects fill it themselves, keep their expanded state across refills, and an item
// leads back to its object only while that object is still in the document.
#pragma once

#include <QHash>
#include <QList>
#include <QPoint>
#include <QTreeWidget>

#include "model/objectid.h"
#include "model/objectref.h"
#include "model/treesink.h"

class DocumentController;
class TreeDragData;

namespace velmo {
class Document;
} // namespace velmo

class ObjectTree : public QTreeWidget
{
    Q_OBJECT

public:
    explicit ObjectTree(velmo::Document &global, QWidget *parent = nullptr);
    ~ObjectTree() override;

    // Selections, commands and drops go to controller from now on.
    void connectController(DocumentController &controller);
    // On (the default): item states are saved in the objects and restored, selection changes
    // are reported and previewed, and items have context menus. Off: the tree only shows
    // objects (and takes part in drag and drop when that is on).
    bool tracksState() const { return m_tracksState; }
    void setTracksState(bool on) { m_tracksState = on; }
    bool dragAndDropEnabled() const { return m_dragAndDrop; }
    void setDragAndDropEnabled(bool on);
    // Editing may begin (F2, or a click on the selected item), but a new text is never taken:
    // names are edited in the property forms.
    void setLabelEditing(bool on);
    bool hasCheckBoxes() const { return m_checkBoxes; }
    void setCheckBoxes(bool on) { m_checkBoxes = on; }
    bool isBusy() const { return m_busy; }

    // Replaces every item with root and what is below it; without a root, the current site.
    // False when nothing could be shown (no current site, a root no longer in the document, a
    // fill already running).
    bool fill(velmo::Object *root = nullptr);
    // fill with the tree's own root again; empties the tree when that root is gone.
    bool refill();
    // Empties the tree and forgets its root without reading any object: for when the objects
    // are about to go.
    void clearTree();
    // The root of the last fill while it is still in the document; null otherwise.
    velmo::Object *rootObject() const;
    // Every item handle of the last fill, in insertion order.
    const QList<velmo::TreeItemHandle> &itemHandles() const { return m_itemHandles; }

    QTreeWidgetItem *itemForHandle(velmo::TreeItemHandle handle) const;
    // 0 for an item of another tree or none.
    velmo::TreeItemHandle handleOf(const QTreeWidgetItem *item) const;
    // The object item shows, when it is still in the document with the same identity.
    velmo::Object *objectAt(const QTreeWidgetItem *item) const;
    // The identity of the object item was made for (also when that object is gone).
    velmo::ObjectId objectIdAt(const QTreeWidgetItem *item) const;
    velmo::Object *selectedObject() const;
    // Makes the item the current and selected one, as a click would.
    bool selectHandle(velmo::TreeItemHandle handle);
    bool setItemText(velmo::TreeItemHandle handle, const QString &text);
    // Saves each item's expanded and selected bits and its check state into the object whose
    // stored handle names it; clearSelected leaves the selected bit out.
    void saveItemStates(bool clearSelected);

    // The item whose icon or label lies under position (viewport coordinates), else null.
    QTreeWidgetItem *labelItemAt(const QPoint &position) const;
    QPoint lastMousePosition() const { return m_lastMousePosition; }
    // The context menu for the item at position (viewport coordinates), as a right click.
    void showContextMenuAt(const QPoint &position);
    // Asks for an ObjectCommands command on the selected object.
    void runCommand(int command);

    // The data a drag of item carries; null when its object is gone. The caller owns it.
    TreeDragData *createDragData(QTreeWidgetItem *item);
    QTreeWidgetItem *dropTargetItem() const;
    // The drop of dragData on target (an item of this tree): moved, or copied when copy is set.
    // Nothing happens on no item, on the dragged item itself or below it, or when either
    // object is gone. Both trees are refilled afterwards. True when the drop was asked for.
    bool dropOn(QTreeWidgetItem *target, const TreeDragData &dragData, bool copy);

Q_SIGNALS:
    // The user changed the selection (null: nothing is selected).
    void objectSelected(velmo::Object *object);
    // A command of the context menu was chosen for target.
    void commandChosen(int command, velmo::Object *target);
    // source was dropped on target: to be moved, or copied when copy is set.
    // F2 on object: its name is to be edited.
    void nameEditRequested(velmo::Object *object);
    void dropRequested(velmo::Object *source, velmo::Object *target, bool copy);

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void drawRow(QPainter *painter, const QStyleOptionViewItem &option,
                 const QModelIndex &index) const override;

private:
    class FillSink;
    friend class FillSink;

    void onSelectionChanged();
    void setDropTarget(QTreeWidgetItem *item);
    QPixmap dragPixmap(const QTreeWidgetItem *item) const;

    velmo::Document &m_global;
    velmo::ObjectRef m_root;
    QList<velmo::TreeItemHandle> m_itemHandles;
    QHash<velmo::TreeItemHandle, QTreeWidgetItem *> m_items;
    bool m_tracksState = true;
    bool m_dragAndDrop = false;
    bool m_checkBoxes = false;
    bool m_busy = false;
    QPoint m_lastMousePosition;
    QPoint m_pressPosition;
    velmo::TreeItemHandle m_dropTarget = 0;
};
