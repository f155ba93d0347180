// ObjectTreeModel, the item model of an object tree: one object (a site, a storage box) and what
// it shows below it, kept in step with the document's announcements row by row, never refilled.
// Drags carry the dragged object; a drop on an item asks the drop handler to move or copy it.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include <QAbstractItemModel>
#include <QHash>

namespace velmo {
class Document;
class Object;
enum class Field : int;
} // namespace velmo

class ObjectTreeModel : public QAbstractItemModel
{
    Q_OBJECT

public:
    // Asked to move (or, with copy, to copy) source onto target; true when it did.
    using DropHandler = std::function<bool(velmo::Object *source, velmo::Object *target, bool copy)>;

    explicit ObjectTreeModel(velmo::Document &document, QObject *parent = nullptr);
    ~ObjectTreeModel() override;

    // Shows root and what it shows below it (null: nothing).
    void setRoot(velmo::Object *root);
    velmo::Object *root() const;
    void setDropHandler(DropHandler handler) { m_dropHandler = std::move(handler); }

    // The object a row shows; null for an invalid index.
    velmo::Object *objectAt(const QModelIndex &index) const;
    // The row that shows object, or an invalid index when it is not shown here.
    QModelIndex indexOf(const velmo::Object *object) const;
    // How many rows the model holds, all levels counted.
    int nodeCount() const { return int(m_nodes.size()); }

    QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    QStringList mimeTypes() const override;
    QMimeData *mimeData(const QModelIndexList &indexes) const override;
    Qt::DropActions supportedDragActions() const override;
    Qt::DropActions supportedDropActions() const override;
    bool canDropMimeData(const QMimeData *data, Qt::DropAction action, int row, int column,
                         const QModelIndex &parent) const override;
    bool dropMimeData(const QMimeData *data, Qt::DropAction action, int row, int column,
                      const QModelIndex &parent) override;

private:
    struct Node
    {
        velmo::Object *object = nullptr;
        Node *parent = nullptr;
        int row = 0;
        std::vector<std::unique_ptr<Node>> children;
    };

    // A node for object with what it shows below it, entered in the lookup.
    std::unique_ptr<Node> buildNode(velmo::Object *object, Node *parent);
    void forget(Node *node);
    QModelIndex indexOfNode(const Node *node) const;
    // The row object takes among what its owner node shows; -1 when it is not shown there.
    static int shownRow(const velmo::Object *owner, const velmo::Object *object);
    static void renumber(Node *parent, size_t from);
    void clear();

    void onInserted(velmo::Object *object);
    void onRemoved(velmo::Object *object, velmo::Object *formerParent);
    void onMoved(velmo::Object *object, velmo::Object *formerParent);
    void onChanged(velmo::Object *object, velmo::Field field);
    void onAboutToReset();
    // Inserts the node of object as row of parent.
    void insertNode(Node *parent, int row, velmo::Object *object);
    void removeNode(Node *node);

    velmo::Document &m_document;
    std::unique_ptr<Node> m_top;
    QHash<const velmo::Object *, Node *> m_nodes;
    DropHandler m_dropHandler;
};
