// The data of a drag between object trees.
#include "app/qtreedragdata.h"

#include "app/qtreectrl.h"
#include "model/qobject.h"

using namespace Qt::StringLiterals;

QTreeDragData::QTreeDragData(QTreeCtrl *source, velmo::TreeItemHandle item, velmo::QObject *object)
    : m_source(source), m_item(item), m_object(object),
      m_objectId(object != nullptr ? object->id : velmo::QID())
{
    // A format of its own, so that other programs' drop targets do not offer to take it.
    setData(mimeType(), m_objectId.ToText().toUtf8());
}

QString QTreeDragData::mimeType()
{
    return u"application/x-velmo-tree-object"_s;
}

const QTreeDragData *QTreeDragData::from(const QMimeData *data)
{
    return qobject_cast<const QTreeDragData *>(data);
}
