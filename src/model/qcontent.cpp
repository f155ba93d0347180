// QContent: one part of a content group.
#include "model/qcontent.h"

#include "model/qcontentgroup.h"

namespace velmo {

QContent::QContent()
{
    typeCode = kClassCode;
}

QContent::~QContent() = default;

int QContent::StoreBody(QArchive &ar) const
{
    ar.writeTag(tags::Content);
    ar.writeInt32(kind);
    ar.writeString(value);
    return 1;
}

int QContent::LoadBody(QArchive &ar)
{
    ar.readTag({tags::Content});
    kind = ar.readInt32();
    value = ar.readString();
    return 1;
}

int QContent::AddToTree(TreeItemHandle parentItem, QTreeSink &tree, QList<TreeItemHandle> *inserted,
                        bool restoreState)
{
    const TreeItemHandle item = insertTreeItem(parentItem, tree, inserted, restoreState);
    finishTreeItem(parentItem, item, tree);
    return 1;
}

void QContent::ClearOutputMarks()
{
    outputMark = 0;
}

int QContent::OutputThroughSite(OutputContext &context, QString &path, ObjectChain &chain)
{
    path.clear();
    chain.append(this);
    if (QContentGroup *group = object_cast<QContentGroup>(parent()))
        return group->OutputThroughSite(context, path, chain);
    return 0;
}

void QContent::CopyFrom(const QContent &other)
{
    QObject::CopyFrom(other);
    kind = other.kind;
    value = other.value;
}

} // namespace velmo
