// The object tree: filling, saved item states, selection reports and previews, the context
// menu and drag and drop.
#include "app/objecttree.h"

#include <QContextMenuEvent>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMetaObject>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QStyledItemDelegate>

#include "app/documentcontroller.h"
#include "app/treedragdata.h"
#include "app/treeimagelist.h"
#include "model/document.h"
#include "model/objectcommands.h"
#include "model/site.h"

using namespace Qt::StringLiterals;

namespace {

constexpr int kItemType = QTreeWidgetItem::UserType + 1;
constexpr int kStateExpanded = velmo::TreeSink::kStateExpanded;
constexpr int kStateSelected = velmo::TreeSink::kStateSelected;
constexpr int kStateMask = kStateExpanded | kStateSelected;

// Handles are never reused within a run, so a handle an object kept from an earlier fill can
// never name a newer item.
velmo::TreeItemHandle g_nextHandle = 1;

class ObjectItem : public QTreeWidgetItem
{
public:
    ObjectItem(velmo::Object *shown, velmo::TreeItemHandle itemHandle)
        : QTreeWidgetItem(kItemType), object(shown),
          id(shown != nullptr ? shown->id : velmo::ObjectId()), handle(itemHandle)
    {}

    // The object while it exists and still carries the identity the item was made for.
    velmo::Object *liveObject() const
    {
        velmo::Object *shown = object.get();
        return shown != nullptr && shown->id == id ? shown : nullptr;
    }

    velmo::ObjectRef object;
    velmo::ObjectId id;
    velmo::TreeItemHandle handle;
};

const ObjectItem *asObjectItem(const QTreeWidgetItem *item)
{
    return item != nullptr && item->type() == kItemType ? static_cast<const ObjectItem *>(item)
                                                        : nullptr;
}

// An editor may open, but what is typed never reaches the item.
class RejectingDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void setModelData(QWidget *, QAbstractItemModel *, const QModelIndex &) const override {}
};

bool isFillableRoot(qint32 classCode)
{
    switch (classCode) {
    case velmo::kClassSite:
    case velmo::kClassClassification:
    case velmo::kClassCategory:
    case velmo::kClassPage:
    case velmo::kClassContentGroup:
    case velmo::kClassContent:
    case velmo::kClassCondition:
    case velmo::kClassGenre:
    case velmo::kClassObjectBox:
        return true;
    default:
        return false;
    }
}

} // namespace

// Collects the items the objects insert while they are detached from the view, and attaches
// them at the end: a view that had to lay out every insertion would make a refill of thousands
// of items slow. Expanded and selected states can only be applied to attached items.
class ObjectTree::FillSink : public velmo::TreeSink
{
public:
    explicit FillSink(ObjectTree &tree) : m_tree(tree) {}

    velmo::TreeItemHandle insertItem(velmo::TreeItemHandle parent, const QString &text, int image,
                                     int selectedImage, velmo::Object *data) override
    {
        const velmo::TreeItemHandle handle = g_nextHandle++;
        auto *item = new ObjectItem(data, handle);
        item->setText(0, text);
        item->setIcon(0, TreeImageList::shared().icon(image, selectedImage));
        item->setFlags(item->flags() | Qt::ItemIsEditable);
        QTreeWidgetItem *parentItem = parent != 0 ? m_tree.m_items.value(parent) : nullptr;
        if (parentItem != nullptr)
            parentItem->addChild(item);
        else
            m_topLevel.append(item);
        m_tree.m_items.insert(handle, item);
        return handle;
    }

    void restoreItemState(velmo::TreeItemHandle handle, int state, int checkState) override
    {
        QTreeWidgetItem *item = m_tree.m_items.value(handle);
        if (item == nullptr)
            return;
        if ((state & kStateExpanded) != 0)
            m_expanded.append(item);
        if ((state & kStateSelected) != 0)
            m_selected.append(item);
        if (m_tree.m_checkBoxes && checkState >= 0)
            item->setCheckState(0, checkState != 0 ? Qt::Checked : Qt::Unchecked);
    }

    void expandItem(velmo::TreeItemHandle handle) override
    {
        if (QTreeWidgetItem *item = m_tree.m_items.value(handle))
            m_expanded.append(item);
    }

    void attach()
    {
        m_tree.addTopLevelItems(m_topLevel);
        for (QTreeWidgetItem *item : std::as_const(m_expanded))
            item->setExpanded(true);
        for (QTreeWidgetItem *item : std::as_const(m_selected))
            item->setSelected(true);
    }

private:
    ObjectTree &m_tree;
    QList<QTreeWidgetItem *> m_topLevel;
    QList<QTreeWidgetItem *> m_expanded;
    QList<QTreeWidgetItem *> m_selected;
};

ObjectTree::ObjectTree(velmo::Document &global, QWidget *parent)
    : QTreeWidget(parent), m_global(global)
{
    setColumnCount(1);
    header()->hide();
    setSelectionMode(QAbstractItemView::SingleSelection);
    setIconSize(QSize(16, 16));
    setUniformRowHeights(true);
    setRootIsDecorated(true);
    setItemDelegate(new RejectingDelegate(this));
    setLabelEditing(false);
    setDragAndDropEnabled(false);
    // The selection, not the current item: giving the tree the focus moves the current item
    // to the first row without selecting anything, and that is no choice of the user's.
    connect(this, &QTreeWidget::itemSelectionChanged, this, &ObjectTree::onSelectionChanged);
}

ObjectTree::~ObjectTree()
{
    // The items go while this object still is one: emptying the view later, from the base
    // destructor, would report a selection change to receivers (this tree, a dialog that owns
    // it) that are already half destroyed.
    blockSignals(true);
    clear();
}

void ObjectTree::setDragAndDropEnabled(bool on)
{
    m_dragAndDrop = on;
    setDragEnabled(on);
    setAcceptDrops(on);
    viewport()->setAcceptDrops(on);
    setDragDropMode(on ? QAbstractItemView::DragDrop : QAbstractItemView::NoDragDrop);
    setDropIndicatorShown(false);
}

void ObjectTree::setLabelEditing(bool on)
{
    setEditTriggers(on ? QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked
                       : QAbstractItemView::NoEditTriggers);
}

void ObjectTree::connectController(DocumentController &controller)
{
    connect(this, &ObjectTree::objectSelected, &controller, &DocumentController::select);
    connect(this, &ObjectTree::commandChosen, &controller, &DocumentController::runCommand);
    connect(this, &ObjectTree::dropRequested, &controller, &DocumentController::drop);
}

velmo::Object *ObjectTree::rootObject() const
{
    velmo::Object *root = m_root.get();
    return root != nullptr && m_global.owns(root) ? root : nullptr;
}

bool ObjectTree::fill(velmo::Object *root)
{
    if (m_busy)
        return false;
    if (root == nullptr)
        root = m_global.getCurrentSite();
    // A root that is no longer the document's cannot be read; what the tree shows would only
    // lead to freed objects, so it goes too.
    if (root == nullptr || !m_global.owns(root)) {
        clearTree();
        return false;
    }

    setUpdatesEnabled(false);
    m_busy = true;
    if (m_tracksState)
        saveItemStates(true);
    m_root = velmo::ObjectRef(root);
    m_dropTarget = 0;
    clear();
    m_items.clear();
    m_itemHandles.clear();
    if (isFillableRoot(root->typeCode)) {
        FillSink sink(*this);
        root->addToTree(0, sink, &m_itemHandles, m_tracksState);
        sink.attach();
    } else {
        m_global.report(u"判定できないクラスがTreeCtrlの先頭として配置されました。"_s);
    }
    m_busy = false;
    setUpdatesEnabled(true);
    return true;
}

bool ObjectTree::refill()
{
    velmo::Object *root = rootObject();
    if (root == nullptr) {
        clearTree();
        return false;
    }
    return fill(root);
}

void ObjectTree::clearTree()
{
    const bool wasBusy = m_busy;
    // Emptying changes the current item; that is no selection by the user.
    m_busy = true;
    clear();
    m_busy = wasBusy;
    m_items.clear();
    m_itemHandles.clear();
    m_root.reset();
    m_dropTarget = 0;
}

QTreeWidgetItem *ObjectTree::itemForHandle(velmo::TreeItemHandle handle) const
{
    return handle != 0 ? m_items.value(handle) : nullptr;
}

velmo::TreeItemHandle ObjectTree::handleOf(const QTreeWidgetItem *item) const
{
    const ObjectItem *objectItem = asObjectItem(item);
    if (objectItem == nullptr || m_items.value(objectItem->handle) != item)
        return 0;
    return objectItem->handle;
}

velmo::Object *ObjectTree::objectAt(const QTreeWidgetItem *item) const
{
    const ObjectItem *objectItem = asObjectItem(item);
    if (objectItem == nullptr)
        return nullptr;
    return objectItem->liveObject();
}

velmo::ObjectId ObjectTree::objectIdAt(const QTreeWidgetItem *item) const
{
    const ObjectItem *objectItem = asObjectItem(item);
    return objectItem != nullptr ? objectItem->id : velmo::ObjectId();
}

velmo::Object *ObjectTree::selectedObject() const
{
    const QList<QTreeWidgetItem *> selected = selectedItems();
    return selected.isEmpty() ? nullptr : objectAt(selected.constFirst());
}

bool ObjectTree::selectHandle(velmo::TreeItemHandle handle)
{
    QTreeWidgetItem *item = itemForHandle(handle);
    if (item == nullptr)
        return false;
    setCurrentItem(item);
    item->setSelected(true);
    scrollToItem(item);
    return true;
}

bool ObjectTree::setItemText(velmo::TreeItemHandle handle, const QString &text)
{
    QTreeWidgetItem *item = itemForHandle(handle);
    if (item == nullptr)
        return false;
    item->setText(0, text);
    return true;
}

void ObjectTree::saveItemStates(bool clearSelected)
{
    // Only objects still below a root that is still the document's are written to; an item's
    // own pointer is never followed.
    velmo::Object *root = rootObject();
    if (root == nullptr || m_items.isEmpty())
        return;
    const int mask = clearSelected ? kStateExpanded : kStateMask;
    root->forEachBelow(velmo::Children::Owned, [this, mask](velmo::Object *object) {
        const QTreeWidgetItem *item = itemForHandle(object->treeItem);
        if (item == nullptr)
            return true;
        int state = 0;
        if (item->isExpanded())
            state |= kStateExpanded;
        if (item->isSelected())
            state |= kStateSelected;
        object->treeItemState = state & mask;
        // Without check boxes the state image is 0, saved as -1.
        object->treeCheckState = m_checkBoxes ? (item->checkState(0) == Qt::Checked ? 1 : 0) : -1;
        return true;
    });
}

void ObjectTree::onSelectionChanged()
{
    if (m_busy || !m_tracksState)
        return;
    saveItemStates(false);
    Q_EMIT objectSelected(selectedObject());
}

QTreeWidgetItem *ObjectTree::labelItemAt(const QPoint &position) const
{
    QTreeWidgetItem *item = itemAt(position);
    if (item == nullptr)
        return nullptr;
    // The row reaches across the whole width; only the icon and the label count as the item.
    const QRect row = visualItemRect(item);
    const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
    const int right = row.left() + margin + iconSize().width() + 2 * margin +
                      fontMetrics().horizontalAdvance(item->text(0)) + 2 * margin;
    if (position.x() < row.left() || position.x() > right)
        return nullptr;
    return item;
}

void ObjectTree::contextMenuEvent(QContextMenuEvent *event)
{
    event->accept();
    if (!m_tracksState)
        return;
    if (event->reason() == QContextMenuEvent::Mouse)
        m_lastMousePosition = event->pos();
    showContextMenuAt(m_lastMousePosition);
}

void ObjectTree::showContextMenuAt(const QPoint &position)
{
    QTreeWidgetItem *item = labelItemAt(position);
    if (item == nullptr)
        return;
    setCurrentItem(item);
    item->setSelected(true);
    velmo::Object *object = objectAt(item);
    if (object == nullptr)
        return;
    velmo::ObjectCommands::ContextMenu spec;
    switch (velmo::ObjectCommands::contextMenuFor(object, &spec)) {
    case velmo::ObjectCommands::MenuKind::None:
        return;
    case velmo::ObjectCommands::MenuKind::Unknown:
        m_global.report(velmo::ObjectCommands::unknownClassMessage());
        return;
    case velmo::ObjectCommands::MenuKind::Shown:
        break;
    }

    // Without a parent: the menu must not be destroyed under its own exec() if the tree goes.
    QMenu menu;
    menu.setObjectName(u"treeContextMenu"_s);
    menu.setTitle(spec.name);
    for (const velmo::ObjectCommands::MenuItem &entry : std::as_const(spec.items)) {
        if (entry.command == 0) {
            menu.addSeparator();
            continue;
        }
        QAction *action = menu.addAction(entry.caption);
        action->setObjectName(u"command%1"_s.arg(entry.command));
        action->setData(entry.command);
    }
    QPointer<ObjectTree> self(this);
    QAction *chosen = menu.exec(viewport()->mapToGlobal(position));
    if (self.isNull() || chosen == nullptr)
        return;
    runCommand(chosen->data().toInt());
}

void ObjectTree::runCommand(int command)
{
    // Looked up again: the selection may have been refilled or its object removed meanwhile.
    if (velmo::Object *target = selectedObject())
        Q_EMIT commandChosen(command, target);
}

void ObjectTree::keyPressEvent(QKeyEvent *event)
{
    // Delete does what the selected object's context menu offers for deleting, so the key
    // never removes what the menu would not.
    if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::NoModifier && m_tracksState) {
        velmo::ObjectCommands::ContextMenu menu;
        velmo::Object *target = selectedObject();
        if (target != nullptr && velmo::ObjectCommands::contextMenuFor(target, &menu) ==
                                     velmo::ObjectCommands::MenuKind::Shown) {
            for (const velmo::ObjectCommands::MenuItem &item : std::as_const(menu.items)) {
                if (item.command == velmo::ObjectCommands::DeleteCategory ||
                    item.command == velmo::ObjectCommands::DeletePage ||
                    item.command == velmo::ObjectCommands::DeleteContentGroup) {
                    Q_EMIT commandChosen(item.command, target);
                    break;
                }
            }
        }
        event->accept();
        return;
    }
    // Names are edited in the property form, not in the tree: F2 leads there, unless the
    // tree edits its labels itself.
    if (event->key() == Qt::Key_F2 && event->modifiers() == Qt::NoModifier && m_tracksState &&
        editTriggers() == QAbstractItemView::NoEditTriggers && selectedObject() != nullptr) {
        Q_EMIT nameEditRequested(selectedObject());
        event->accept();
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

void ObjectTree::mousePressEvent(QMouseEvent *event)
{
    m_pressPosition = event->position().toPoint();
    m_lastMousePosition = m_pressPosition;
    QTreeWidget::mousePressEvent(event);
}

void ObjectTree::mouseMoveEvent(QMouseEvent *event)
{
    m_lastMousePosition = event->position().toPoint();
    QTreeWidget::mouseMoveEvent(event);
}

TreeDragData *ObjectTree::createDragData(QTreeWidgetItem *item)
{
    velmo::Object *object = objectAt(item);
    if (object == nullptr)
        return nullptr;
    return new TreeDragData(this, handleOf(item), object);
}

QPixmap ObjectTree::dragPixmap(const QTreeWidgetItem *item) const
{
    const QString text = item->text(0);
    const QSize size(iconSize().width() + 6 + fontMetrics().horizontalAdvance(text),
                     qMax(iconSize().height(), fontMetrics().height()) + 2);
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setOpacity(0.75);
    item->icon(0).paint(&painter, QRect(QPoint(0, 1), iconSize()));
    painter.setFont(font());
    painter.setPen(palette().color(QPalette::Text));
    painter.drawText(QRect(iconSize().width() + 4, 0, size.width(), size.height()),
                     Qt::AlignVCenter | Qt::AlignLeft, text);
    return pixmap;
}

void ObjectTree::startDrag(Qt::DropActions)
{
    if (!m_dragAndDrop)
        return;
    QTreeWidgetItem *item = itemAt(m_pressPosition);
    TreeDragData *dragData = createDragData(item);
    if (dragData == nullptr)
        return;
    auto *drag = new QDrag(this);
    drag->setMimeData(dragData);
    drag->setPixmap(dragPixmap(item));
    drag->setHotSpot(QPoint(8, 8));
    // The drop side does all the work, refills included; nothing of this tree is used after.
    drag->exec(Qt::MoveAction | Qt::CopyAction, Qt::MoveAction);
}

QTreeWidgetItem *ObjectTree::dropTargetItem() const
{
    return itemForHandle(m_dropTarget);
}

void ObjectTree::setDropTarget(QTreeWidgetItem *item)
{
    const velmo::TreeItemHandle handle = handleOf(item);
    if (handle == m_dropTarget)
        return;
    m_dropTarget = handle;
    viewport()->update();
}

void ObjectTree::dragEnterEvent(QDragEnterEvent *event)
{
    if (!m_dragAndDrop || TreeDragData::from(event->mimeData()) == nullptr) {
        event->ignore();
        return;
    }
    event->setDropAction(event->modifiers().testFlag(Qt::ControlModifier) ? Qt::CopyAction
                                                                          : Qt::MoveAction);
    event->accept();
}

void ObjectTree::dragMoveEvent(QDragMoveEvent *event)
{
    // The base scrolls the view near its edges; whether the drop is taken is decided here.
    QTreeWidget::dragMoveEvent(event);
    const QPoint position = event->position().toPoint();
    m_lastMousePosition = position;
    if (!m_dragAndDrop || TreeDragData::from(event->mimeData()) == nullptr) {
        setDropTarget(nullptr);
        event->ignore();
        return;
    }
    QTreeWidgetItem *item = itemAt(position);
    setDropTarget(item);
    if (item == nullptr) {
        event->ignore();
        return;
    }
    event->setDropAction(event->modifiers().testFlag(Qt::ControlModifier) ? Qt::CopyAction
                                                                          : Qt::MoveAction);
    event->accept();
}

void ObjectTree::dragLeaveEvent(QDragLeaveEvent *event)
{
    setDropTarget(nullptr);
    QTreeWidget::dragLeaveEvent(event);
}

void ObjectTree::dropEvent(QDropEvent *event)
{
    setDropTarget(nullptr);
    stopAutoScroll();
    setState(NoState);
    const TreeDragData *dragData = TreeDragData::from(event->mimeData());
    if (!m_dragAndDrop || dragData == nullptr) {
        event->ignore();
        return;
    }
    const bool copy = event->modifiers().testFlag(Qt::ControlModifier);
    event->setDropAction(copy ? Qt::CopyAction : Qt::MoveAction);
    event->accept();
    dropOn(itemAt(event->position().toPoint()), *dragData, copy);
}

bool ObjectTree::dropOn(QTreeWidgetItem *target, const TreeDragData &dragData, bool copy)
{
    if (target == nullptr || handleOf(target) == 0)
        return false;
    QPointer<ObjectTree> source = dragData.sourceTree();
    if (source == this) {
        const QTreeWidgetItem *dragged = itemForHandle(dragData.item());
        for (const QTreeWidgetItem *up = target; up != nullptr; up = up->parent()) {
            if (up == dragged)
                return false;
        }
    }
    velmo::Object *object = dragData.object();
    velmo::Object *targetObject = objectAt(target);
    const bool asked = object != nullptr && targetObject != nullptr;
    if (asked)
        Q_EMIT dropRequested(object, targetObject, copy);
    refill();
    if (!source.isNull() && source != this)
        source->refill();
    return asked;
}

void ObjectTree::drawRow(QPainter *painter, const QStyleOptionViewItem &option,
                         const QModelIndex &index) const
{
    if (m_dropTarget != 0 && handleOf(itemFromIndex(index)) == m_dropTarget) {
        QStyleOptionViewItem marked(option);
        marked.state |= QStyle::State_Selected;
        QTreeWidget::drawRow(painter, marked, index);
        return;
    }
    QTreeWidget::drawRow(painter, option, index);
}
