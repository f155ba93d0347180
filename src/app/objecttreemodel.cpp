// The object tree's item model and how it follows the document.
#include "app/objecttreemodel.h"

#include <algorithm>

#include "app/treedragdata.h"
#include "app/treeimagelist.h"
#include "model/document.h"
#include "model/objectcommands.h"
#include "model/site.h"

ObjectTreeModel::ObjectTreeModel(velmo::Document &document, QObject *parent)
    : QAbstractItemModel(parent), m_document(document)
{
    connect(&document, &velmo::Document::objectInserted, this, &ObjectTreeModel::onInserted);
    connect(&document, &velmo::Document::objectRemoved, this, &ObjectTreeModel::onRemoved);
    connect(&document, &velmo::Document::objectMoved, this, &ObjectTreeModel::onMoved);
    connect(&document, &velmo::Document::objectChanged, this, &ObjectTreeModel::onChanged);
    connect(&document, &velmo::Document::aboutToReset, this, &ObjectTreeModel::onAboutToReset);
}

ObjectTreeModel::~ObjectTreeModel() = default;

void ObjectTreeModel::setRoot(velmo::Object *root)
{
    beginResetModel();
    clear();
    if (root != nullptr)
        m_top = buildNode(root, nullptr);
    endResetModel();
}

velmo::Object *ObjectTreeModel::root() const
{
    return m_top != nullptr ? m_top->object : nullptr;
}

void ObjectTreeModel::clear()
{
    m_top.reset();
    m_nodes.clear();
}

std::unique_ptr<ObjectTreeModel::Node> ObjectTreeModel::buildNode(velmo::Object *object,
                                                                  Node *parent)
{
    auto top = std::make_unique<Node>();
    top->object = object;
    top->parent = parent;
    m_nodes.insert(object, top.get());
    // An explicit stack: content groups may nest deeper than the call stack would like.
    std::vector<Node *> pending{top.get()};
    while (!pending.empty()) {
        Node *node = pending.back();
        pending.pop_back();
        node->object->forEachChild(velmo::Children::Shown, [this, node](velmo::Object *child) {
            auto childNode = std::make_unique<Node>();
            childNode->object = child;
            childNode->parent = node;
            childNode->row = int(node->children.size());
            m_nodes.insert(child, childNode.get());
            node->children.push_back(std::move(childNode));
            return true;
        });
        for (const std::unique_ptr<Node> &child : node->children)
            pending.push_back(child.get());
    }
    return top;
}

void ObjectTreeModel::forget(Node *node)
{
    std::vector<Node *> pending{node};
    while (!pending.empty()) {
        Node *next = pending.back();
        pending.pop_back();
        m_nodes.remove(next->object);
        for (const std::unique_ptr<Node> &child : next->children)
            pending.push_back(child.get());
    }
}

QModelIndex ObjectTreeModel::indexOfNode(const Node *node) const
{
    return node != nullptr ? createIndex(node->row, 0, const_cast<Node *>(node)) : QModelIndex();
}

int ObjectTreeModel::shownRow(const velmo::Object *owner, const velmo::Object *object)
{
    int row = 0;
    int found = -1;
    const_cast<velmo::Object *>(owner)->forEachChild(
        velmo::Children::Shown, [&row, &found, object](velmo::Object *child) {
            if (child == object) {
                found = row;
                return false;
            }
            ++row;
            return true;
        });
    return found;
}

void ObjectTreeModel::renumber(Node *parent, size_t from)
{
    for (size_t i = from; i < parent->children.size(); ++i)
        parent->children[i]->row = int(i);
}

velmo::Object *ObjectTreeModel::objectAt(const QModelIndex &index) const
{
    if (!index.isValid() || index.model() != this)
        return nullptr;
    return static_cast<Node *>(index.internalPointer())->object;
}

QModelIndex ObjectTreeModel::indexOf(const velmo::Object *object) const
{
    return indexOfNode(m_nodes.value(object));
}

QModelIndex ObjectTreeModel::index(int row, int column, const QModelIndex &parent) const
{
    if (column != 0 || row < 0)
        return {};
    if (!parent.isValid())
        return row == 0 && m_top != nullptr ? createIndex(0, 0, m_top.get()) : QModelIndex();
    const Node *node = static_cast<Node *>(parent.internalPointer());
    if (size_t(row) >= node->children.size())
        return {};
    return createIndex(row, 0, node->children[size_t(row)].get());
}

QModelIndex ObjectTreeModel::parent(const QModelIndex &child) const
{
    if (!child.isValid())
        return {};
    return indexOfNode(static_cast<Node *>(child.internalPointer())->parent);
}

int ObjectTreeModel::rowCount(const QModelIndex &parent) const
{
    if (!parent.isValid())
        return m_top != nullptr ? 1 : 0;
    if (parent.column() != 0)
        return 0;
    return int(static_cast<Node *>(parent.internalPointer())->children.size());
}

int ObjectTreeModel::columnCount(const QModelIndex &) const
{
    return 1;
}

QVariant ObjectTreeModel::data(const QModelIndex &index, int role) const
{
    const velmo::Object *object = objectAt(index);
    if (object == nullptr)
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return object->name;
    case Qt::DecorationRole:
        return TreeImageList::shared().icon(object->getTreeIcon(0), object->getTreeIcon(1));
    default:
        return {};
    }
}

Qt::ItemFlags ObjectTreeModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsDragEnabled |
           Qt::ItemIsDropEnabled;
}

QStringList ObjectTreeModel::mimeTypes() const
{
    return {TreeDragData::mimeType()};
}

QMimeData *ObjectTreeModel::mimeData(const QModelIndexList &indexes) const
{
    velmo::Object *object = indexes.isEmpty() ? nullptr : objectAt(indexes.constFirst());
    return object != nullptr ? new TreeDragData(object) : nullptr;
}

Qt::DropActions ObjectTreeModel::supportedDragActions() const
{
    return Qt::MoveAction | Qt::CopyAction;
}

Qt::DropActions ObjectTreeModel::supportedDropActions() const
{
    return Qt::MoveAction | Qt::CopyAction;
}

bool ObjectTreeModel::canDropMimeData(const QMimeData *data, Qt::DropAction action, int row,
                                      int column, const QModelIndex &parent) const
{
    Q_UNUSED(column);
    const TreeDragData *drag = TreeDragData::from(data);
    // Only onto an item: the list a drop goes into is the target's, appended at its end.
    if (drag == nullptr || row >= 0 || (action != Qt::MoveAction && action != Qt::CopyAction))
        return false;
    return velmo::ObjectCommands::canDrop(drag->object(), objectAt(parent));
}

bool ObjectTreeModel::dropMimeData(const QMimeData *data, Qt::DropAction action, int row,
                                   int column, const QModelIndex &parent)
{
    if (!m_dropHandler || !canDropMimeData(data, action, row, column, parent))
        return false;
    return m_dropHandler(TreeDragData::from(data)->object(), objectAt(parent),
                         action == Qt::CopyAction);
}

void ObjectTreeModel::insertNode(Node *parent, int row, velmo::Object *object)
{
    row = std::clamp(row, 0, int(parent->children.size()));
    beginInsertRows(indexOfNode(parent), row, row);
    std::unique_ptr<Node> node = buildNode(object, parent);
    parent->children.insert(parent->children.begin() + row, std::move(node));
    renumber(parent, size_t(row));
    endInsertRows();
}

void ObjectTreeModel::removeNode(Node *node)
{
    if (node == m_top.get()) {
        beginResetModel();
        clear();
        endResetModel();
        return;
    }
    Node *parent = node->parent;
    const int row = node->row;
    beginRemoveRows(indexOfNode(parent), row, row);
    forget(node);
    parent->children.erase(parent->children.begin() + row);
    renumber(parent, size_t(row));
    endRemoveRows();
}

void ObjectTreeModel::onInserted(velmo::Object *object)
{
    Node *parent = m_nodes.value(object->parent());
    if (parent == nullptr || m_nodes.contains(object))
        return;
    const int row = shownRow(parent->object, object);
    if (row >= 0)
        insertNode(parent, row, object);
}

void ObjectTreeModel::onRemoved(velmo::Object *object, velmo::Object *)
{
    if (Node *node = m_nodes.value(object)) {
        removeNode(node);
        return;
    }
    // The root went with something above it: its site (a storage box has no link to its site).
    const auto *site = velmo::object_cast<velmo::Site>(object);
    if (m_top != nullptr && (velmo::isAncestorOrSelf(object, m_top->object) ||
                             (site != nullptr && &site->objectBox == m_top->object)))
        removeNode(m_top.get());
}

void ObjectTreeModel::onMoved(velmo::Object *object, velmo::Object *)
{
    Node *node = m_nodes.value(object);
    Node *target = m_nodes.value(object->parent());
    const int row = target != nullptr ? shownRow(target->object, object) : -1;
    if (node == nullptr || node == m_top.get()) {
        if (node == nullptr && row >= 0)
            insertNode(target, row, object);
        return;
    }
    if (row < 0) {
        removeNode(node);
        return;
    }
    Node *source = node->parent;
    const int from = node->row;
    if (source == target && from == row)
        return;
    // Qt counts the destination row before the move: past the source row it is one more.
    const int destination = source == target && row > from ? row + 1 : row;
    if (!beginMoveRows(indexOfNode(source), from, from, indexOfNode(target), destination)) {
        removeNode(node);
        insertNode(target, row, object);
        return;
    }
    std::unique_ptr<Node> moving = std::move(source->children[size_t(from)]);
    source->children.erase(source->children.begin() + from);
    renumber(source, size_t(from));
    moving->parent = target;
    target->children.insert(target->children.begin() + row, std::move(moving));
    renumber(target, size_t(std::min(row, source == target ? from : row)));
    endMoveRows();
    // A content group's icon depends on what holds it.
    const QModelIndex moved = indexOfNode(node);
    Q_EMIT dataChanged(moved, moved, {Qt::DecorationRole});
}

void ObjectTreeModel::onChanged(velmo::Object *object, velmo::Field field)
{
    if (field != velmo::Field::Name && field != velmo::Field::CategoryKind)
        return;
    const QModelIndex index = indexOf(object);
    if (index.isValid())
        Q_EMIT dataChanged(index, index, {Qt::DisplayRole, Qt::DecorationRole, Qt::ToolTipRole});
}

void ObjectTreeModel::onAboutToReset()
{
    // The objects go; nothing of them may stay in the view.
    beginResetModel();
    clear();
    endResetModel();
}
