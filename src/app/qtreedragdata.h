// QTreeDragData, what an object tree puts on a drag: the tree it came from, the dragged item's
// handle and the object with its identity. One drag runs at a time; the data lives as long as it.
#pragma once

#include "model/qid.h"
#include "model/qtreesink.h"

#include <QMimeData>
#include <QPointer>

class QTreeCtrl;

namespace velmo {
class QObject;
}

class QTreeDragData : public QMimeData
{
    Q_OBJECT

public:
    QTreeDragData(QTreeCtrl *source, velmo::TreeItemHandle item, velmo::QObject *object);

    // Drops from other programs, or other drags of this one, carry no such data.
    static const QTreeDragData *from(const QMimeData *data);
    static QString mimeType();

    // Null once the source tree is gone.
    QTreeCtrl *sourceTree() const { return m_source.data(); }
    velmo::TreeItemHandle item() const { return m_item; }
    // The object as it was when the drag began; to be checked before use.
    velmo::QObject *object() const { return m_object; }
    velmo::QID objectId() const { return m_objectId; }

private:
    QPointer<QTreeCtrl> m_source;
    velmo::TreeItemHandle m_item = 0;
    velmo::QObject *m_object = nullptr;
    velmo::QID m_objectId;
};
