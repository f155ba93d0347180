// The data of a drag between object trees.
#include "app/treedragdata.h"

#include "model/object.h"

using namespace Qt::StringLiterals;

TreeDragData::TreeDragData(velmo::Object *object)
    : m_object(object),
      m_objectId(object != nullptr ? object->id : velmo::ObjectId())
{
    // A format of its own, so that other programs' drop targets do not offer to take it.
    setData(mimeType(), m_objectId.toText().toUtf8());
}

QString TreeDragData::mimeType()
{
    return u"application/x-velmo-tree-object"_s;
}

const TreeDragData *TreeDragData::from(const QMimeData *data)
{
    return qobject_cast<const TreeDragData *>(data);
}
