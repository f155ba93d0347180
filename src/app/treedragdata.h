// TreeDragData, what an object tree's model puts on a drag: the dragged object with its
// identity. One drag runs at a time; the data lives as long as it.
#pragma once

#include <QMimeData>

#include "model/object.h"
#include "model/objectid.h"
#include "model/objectref.h"

class TreeDragData : public QMimeData
{
    Q_OBJECT

public:
    explicit TreeDragData(velmo::Object *object);

    // Drops from other programs, or other drags of this one, carry no such data.
    static const TreeDragData *from(const QMimeData *data);
    static QString mimeType();

    // The dragged object while it exists with the identity it had when the drag began.
    velmo::Object *object() const
    {
        velmo::Object *dragged = m_object.get();
        return dragged != nullptr && dragged->id == m_objectId ? dragged : nullptr;
    }
    velmo::ObjectId objectId() const { return m_objectId; }

private:
    velmo::ObjectRef m_object;
    velmo::ObjectId m_objectId;
};
