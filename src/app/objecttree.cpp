// The object tree: selection reports, remembered expansion, the context menu, Delete and F2,
// and drag and drop.
#include "app/objecttree.h"

#include <QContextMenuEvent>
#include <QDrag>
#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

#include "app/documentcontroller.h"
#include "app/objecttreemodel.h"
#include "model/document.h"
#include "model/objectcommands.h"

using namespace Qt::StringLiterals;

namespace {

// Enough for every item a user expands; the oldest are forgotten first.
constexpr qsizetype kExpandedMemory = 4096;

} // namespace

ObjectTree::ObjectTree(velmo::Document &document, QWidget *parent)
    : QTreeView(parent), m_document(document), m_model(new ObjectTreeModel(document, this))
{
    setModel(m_model);
    header()->hide();
    setSelectionMode(QAbstractItemView::SingleSelection);
    setIconSize(QSize(16, 16));
    setUniformRowHeights(true);
    setRootIsDecorated(true);
    // Names are typed into the property forms, which F2 leads to.
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setDragAndDropEnabled(false);

    // The selection, not the current item: giving the tree the focus moves the current item
    // to the first row without selecting anything, and that is no choice of the user's.
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &ObjectTree::reportSelection);
    // Rows that go may take the selection with them; the model does not always say so.
    connect(m_model, &QAbstractItemModel::rowsRemoved, this, &ObjectTree::reportSelection);
    connect(m_model, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            &ObjectTree::rememberExpanded);
    connect(m_model, &QAbstractItemModel::rowsInserted, this, &ObjectTree::restoreExpanded);
    connect(m_model, &QAbstractItemModel::modelAboutToBeReset, this,
            [this] { rememberExpanded({}, 0, m_model->rowCount() - 1); });
}

ObjectTree::~ObjectTree()
{
    // Reports must not reach receivers that are already half destroyed.
    blockSignals(true);
}

void ObjectTree::setDragAndDropEnabled(bool on)
{
    m_dragAndDrop = on;
    setDragEnabled(on);
    setAcceptDrops(on);
    viewport()->setAcceptDrops(on);
    setDragDropMode(on ? QAbstractItemView::DragDrop : QAbstractItemView::NoDragDrop);
    // A drop goes onto an item, never between two: the item marks where it goes.
    setDragDropOverwriteMode(true);
    setDropIndicatorShown(on);
    setDefaultDropAction(Qt::MoveAction);
}

void ObjectTree::connectController(DocumentController &controller)
{
    connect(this, &ObjectTree::objectSelected, &controller, &DocumentController::select);
    connect(this, &ObjectTree::commandChosen, &controller, &DocumentController::runCommand);
    m_model->setDropHandler([&controller](velmo::Object *source, velmo::Object *target, bool copy) {
        return controller.drop(source, target, copy);
    });
}

void ObjectTree::setRoot(velmo::Object *root)
{
    const bool firstTime = root != nullptr && m_model->root() != root;
    m_model->setRoot(root);
    if (root == nullptr)
        return;
    // A site shown for the first time opens on its hierarchies.
    if (restoreExpanded({}, 0, 0) == 0 && firstTime)
        expand(m_model->index(0, 0));
    reportSelection();
}

velmo::Object *ObjectTree::rootObject() const
{
    return m_model->root();
}

QList<velmo::Object *> ObjectTree::expandedObjects() const
{
    QList<velmo::Object *> objects;
    std::vector<QModelIndex> pending{QModelIndex()};
    while (!pending.empty()) {
        const QModelIndex parent = pending.back();
        pending.pop_back();
        for (int row = 0; row < m_model->rowCount(parent); ++row) {
            const QModelIndex index = m_model->index(row, 0, parent);
            if (!isExpanded(index))
                continue;
            objects << objectAt(index);
            pending.push_back(index);
        }
    }
    for (const velmo::ObjectRef &remembered : m_expandedMemory) {
        if (velmo::Object *object = remembered.get();
            object != nullptr && !objects.contains(object))
            objects << object;
    }
    return objects;
}

void ObjectTree::expandObjects(const QList<velmo::Object *> &objects)
{
    for (velmo::Object *object : objects) {
        const QModelIndex index = indexOf(object);
        if (index.isValid())
            expand(index);
        else
            m_expandedMemory.append(velmo::ObjectRef(object));
    }
}

velmo::Object *ObjectTree::objectAt(const QModelIndex &index) const
{
    return m_model->objectAt(index);
}

QModelIndex ObjectTree::indexOf(const velmo::Object *object) const
{
    return m_model->indexOf(object);
}

velmo::Object *ObjectTree::selectedObject() const
{
    const QModelIndexList selected = selectionModel()->selectedRows();
    return selected.isEmpty() ? nullptr : objectAt(selected.constFirst());
}

bool ObjectTree::selectObject(const velmo::Object *object)
{
    const QModelIndex index = indexOf(object);
    if (!index.isValid())
        return false;
    // scrollTo opens the rows above only while the view is idle, not in the middle of a drop.
    for (QModelIndex up = index.parent(); up.isValid(); up = up.parent())
        expand(up);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    scrollTo(index);
    return true;
}

void ObjectTree::reportSelection()
{
    if (!m_tracksState)
        return;
    velmo::Object *selected = selectedObject();
    if (selected == nullptr ? m_reportedNull : m_reported.get() == selected)
        return;
    m_reported = velmo::ObjectRef(selected);
    m_reportedNull = selected == nullptr;
    Q_EMIT objectSelected(selected);
}

void ObjectTree::rememberExpanded(const QModelIndex &parent, int first, int last)
{
    std::vector<QModelIndex> pending;
    for (int row = first; row <= last; ++row)
        pending.push_back(m_model->index(row, 0, parent));
    while (!pending.empty()) {
        const QModelIndex index = pending.back();
        pending.pop_back();
        if (!isExpanded(index))
            continue;
        m_expandedMemory.append(velmo::ObjectRef(objectAt(index)));
        for (int row = 0; row < m_model->rowCount(index); ++row)
            pending.push_back(m_model->index(row, 0, index));
    }
    if (m_expandedMemory.size() > kExpandedMemory)
        m_expandedMemory.remove(0, m_expandedMemory.size() - kExpandedMemory);
}

int ObjectTree::restoreExpanded(const QModelIndex &parent, int first, int last)
{
    int expanded = 0;
    for (qsizetype i = 0; i < m_expandedMemory.size();) {
        const velmo::Object *object = m_expandedMemory.at(i).get();
        if (object == nullptr) {
            m_expandedMemory.removeAt(i);
            continue;
        }
        // Only what came back below these rows.
        QModelIndex index = indexOf(object);
        bool within = false;
        for (QModelIndex up = index; up.isValid(); up = up.parent()) {
            if (up.parent() == parent && up.row() >= first && up.row() <= last) {
                within = true;
                break;
            }
        }
        if (!within) {
            ++i;
            continue;
        }
        expand(index);
        ++expanded;
        m_expandedMemory.removeAt(i);
    }
    return expanded;
}

QModelIndex ObjectTree::labelIndexAt(const QPoint &position) const
{
    const QModelIndex index = indexAt(position);
    if (!index.isValid())
        return {};
    // The row reaches across the whole width; only the icon and the label count as the item.
    const QRect row = visualRect(index);
    const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
    const int right = row.left() + margin + iconSize().width() + 2 * margin +
                      fontMetrics().horizontalAdvance(index.data().toString()) + 2 * margin;
    if (position.x() < row.left() || position.x() > right)
        return {};
    return index;
}

void ObjectTree::contextMenuEvent(QContextMenuEvent *event)
{
    event->accept();
    if (!m_tracksState)
        return;
    if (event->reason() == QContextMenuEvent::Mouse)
        m_lastMousePosition = event->pos();
    else if (const QModelIndex current = currentIndex(); current.isValid())
        m_lastMousePosition = visualRect(current).center();
    showContextMenuAt(m_lastMousePosition);
}

void ObjectTree::showContextMenuAt(const QPoint &position)
{
    const QModelIndex index = labelIndexAt(position);
    if (!index.isValid())
        return;
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    velmo::Object *object = objectAt(index);
    if (object == nullptr)
        return;
    velmo::ObjectCommands::ContextMenu spec;
    switch (velmo::ObjectCommands::contextMenuFor(object, &spec)) {
    case velmo::ObjectCommands::MenuKind::None:
        return;
    case velmo::ObjectCommands::MenuKind::Unknown:
        m_document.report(velmo::ObjectCommands::unknownClassMessage());
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
    // Looked up again: the selection may have changed or its object gone meanwhile.
    if (velmo::Object *target = selectedObject())
        chooseCommand(command, target);
}

void ObjectTree::chooseCommand(int command, velmo::Object *target)
{
    if (!velmo::ObjectCommands::isDeleteCommand(command)) {
        Q_EMIT commandChosen(command, target);
        return;
    }
    // What was deleted leaves its neighbour selected, the next below it, else the one above,
    // else its parent: the user goes on from where they were, as in a file manager.
    const QModelIndex index = indexOf(target);
    QModelIndex next = index.siblingAtRow(index.row() + 1);
    if (!next.isValid())
        next = index.siblingAtRow(index.row() - 1);
    if (!next.isValid())
        next = index.parent();
    const velmo::ObjectRef neighbour(objectAt(next));
    const velmo::ObjectRef deleted(target);
    Q_EMIT commandChosen(command, target);
    if (!indexOf(deleted.get()).isValid() && neighbour.get() != nullptr)
        selectObject(neighbour.get());
}

void ObjectTree::keyPressEvent(QKeyEvent *event)
{
    // Delete does what the selected object's context menu offers for deleting, so the key
    // never removes what the menu would not.
    if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::NoModifier && m_tracksState) {
        velmo::Object *target = selectedObject();
        if (const int command = velmo::ObjectCommands::deleteCommandFor(target))
            chooseCommand(command, target);
        event->accept();
        return;
    }
    // Names are edited in the property form, not in the tree: F2 leads there.
    if (event->key() == Qt::Key_F2 && event->modifiers() == Qt::NoModifier && m_tracksState &&
        selectedObject() != nullptr) {
        Q_EMIT nameEditRequested(selectedObject());
        event->accept();
        return;
    }
    QTreeView::keyPressEvent(event);
}

void ObjectTree::mousePressEvent(QMouseEvent *event)
{
    m_pressPosition = event->position().toPoint();
    m_lastMousePosition = m_pressPosition;
    QTreeView::mousePressEvent(event);
}

void ObjectTree::mouseMoveEvent(QMouseEvent *event)
{
    m_lastMousePosition = event->position().toPoint();
    QTreeView::mouseMoveEvent(event);
}

QPixmap ObjectTree::dragPixmap(const QModelIndex &index) const
{
    const QString text = index.data().toString();
    const QSize size(iconSize().width() + 6 + fontMetrics().horizontalAdvance(text),
                     qMax(iconSize().height(), fontMetrics().height()) + 2);
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setOpacity(0.75);
    index.data(Qt::DecorationRole).value<QIcon>().paint(&painter, QRect(QPoint(0, 1), iconSize()));
    painter.setFont(font());
    painter.setPen(palette().color(QPalette::Text));
    painter.drawText(QRect(iconSize().width() + 4, 0, size.width(), size.height()),
                     Qt::AlignVCenter | Qt::AlignLeft, text);
    return pixmap;
}

void ObjectTree::startDrag(Qt::DropActions supportedActions)
{
    if (!m_dragAndDrop)
        return;
    const QModelIndex index = indexAt(m_pressPosition);
    QMimeData *mime = index.isValid() ? m_model->mimeData({index}) : nullptr;
    if (mime == nullptr)
        return;
    auto *drag = new QDrag(this);
    drag->setMimeData(mime);
    drag->setPixmap(dragPixmap(index));
    drag->setHotSpot(QPoint(8, 8));
    // The drop does all the work through the model; the rows follow the document by
    // themselves, so nothing is removed here whatever the drop answers.
    drag->exec(supportedActions, Qt::MoveAction);
}

void ObjectTree::dragMoveEvent(QDragMoveEvent *event)
{
    m_lastMousePosition = event->position().toPoint();
    // Ctrl copies, as in the desktop's file managers.
    event->setDropAction(event->modifiers().testFlag(Qt::ControlModifier) ? Qt::CopyAction
                                                                          : Qt::MoveAction);
    QTreeView::dragMoveEvent(event);
}

void ObjectTree::dropEvent(QDropEvent *event)
{
    event->setDropAction(event->modifiers().testFlag(Qt::ControlModifier) ? Qt::CopyAction
                                                                          : Qt::MoveAction);
    QTreeView::dropEvent(event);
}

void ObjectTree::rowsAboutToBeRemoved(const QModelIndex &parent, int start, int end)
{
    // When the current row goes, the view would make its neighbour current and, with single
    // selection, selected: a choice the user never made, which the panes and the preview would
    // follow. The selection goes with the row instead.
    for (QModelIndex up = currentIndex(); up.isValid(); up = up.parent()) {
        if (up.parent() == parent && up.row() >= start && up.row() <= end) {
            selectionModel()->clear();
            break;
        }
    }
    QTreeView::rowsAboutToBeRemoved(parent, start, end);
}
