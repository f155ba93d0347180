// TreeDragData, what an object tree puts on a drag: the tree it came from, the dragged item's
// handle and the object with its identity. One drag runs at a time; the data lives as long as it.
#pragma once

#include <QMimeData>
#include <QPointer>

#include "model/object.h"
#include "model/objectid.h"
#include "model/objectref.h"
#include "model/treesink.h"

class ObjectTree;

namespace velmo {
class Object;
}

class TreeDragData : public QMimeData
{
    Q_OBJECT

public:
    TreeDragData(ObjectTree *source, velmo::TreeItemHandle item, velmo::Object *object);

    // Drops from other programs, or other drags of this one, carry no such data.
    static const TreeDragData *from(const QMimeData *data);
    static QString mimeType();

    // Null once the source tree is gone.
    ObjectTree *sourceTree() const { return m_source.data(); }
    velmo::TreeItemHandle item() const { return m_item; }
    // The dragged object while it exists with the identity it had when the drag began.
    velmo::Object *object() const
    {
        velmo::Object *dragged = m_object.get();
        return dragged != nullptr && dragged->id == m_objectId ? dragged : nullptr;
    }
    velmo::ObjectId objectId() const { return m_objectId; }

private:
    QPointer<ObjectTree> m_source;
    velmo::TreeItemHandle m_item = 0;
    velmo::ObjectRef m_object;
    velmo::ObjectId m_objectId;
};
