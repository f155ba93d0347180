// velmo::QObject: construction, parent links, copying and the common record.
#include "model/qobject.h"

#include "model/clock.h"
#include "model/qarchive.h"

namespace velmo {

bool isAcceptedClassCode(qint32 code)
{
    switch (code) {
    case kClassSite:
    case kClassClassification:
    case kClassCategory:
    case kClassPage:
    case kClassContentGroup:
    case kClassContent:
    case kClassCondition:
    case kClassGenre:
    case kClassObjectBox:
    case kClassUnused:
        return true;
    default:
        return false;
    }
}

QObject::QObject() : id(QID::fresh()), parentId(QID::fresh())
{
    const qint64 now = currentTime();
    createdTime = now;
    updatedTime = now;
}

QObject::~QObject() = default;

void QObject::ClearContents() {}

int QObject::StoreBody(QArchive &) const
{
    return 1;
}

int QObject::LoadBody(QArchive &)
{
    return 1;
}

int QObject::GetTreeIcon(int) const
{
    return 0;
}

int QObject::RemoveChild(QObject *)
{
    return 0;
}

int QObject::AddToTree(TreeItemHandle, QTreeSink &, QList<TreeItemHandle> *, bool)
{
    return 0;
}

void QObject::ClearOutputMarks() {}

QObject *QObject::FindById(const QID &)
{
    return nullptr;
}

int QObject::OutputThroughSite(OutputContext &, QString &, ObjectChain &)
{
    return 0;
}

void QObject::SetParent(QObject *newParent)
{
    m_parent = newParent;
    parentId = newParent != nullptr ? newParent->id : QID();
}

void QObject::CopyFrom(const QObject &other)
{
    id = other.id;
    typeCode = other.typeCode;
    reservedValue = other.reservedValue;
    parentId = other.parentId;
    enabled = other.enabled;
    createdTime = other.createdTime;
    updatedTime = other.updatedTime;
    name = other.name;
    memo = other.memo;
    listItemState = other.listItemState;
    treeItem = other.treeItem;
    treeItemState = other.treeItemState;
    treeCheckState = other.treeCheckState;
    m_parent = other.m_parent;
}

int QObject::Store(QArchive &ar) const
{
    if (!ar.IsStoring())
        return 0;
    ar.writeTag(tags::Object);
    int ok = id.Store(ar);
    ar.writeInt32(typeCode);
    ar.writeInt32(reservedValue);
    ok &= parentId.Store(ar);
    ar.writeInt32(enabled);
    ar.writeTime(createdTime);
    ar.writeTime(updatedTime);
    ar.writeString(name);
    ar.writeString(memo);
    // An object with an unknown class code is written without a body, and reported.
    if (!isAcceptedClassCode(typeCode))
        return 0;
    return StoreBody(ar) != 0 && ok != 0 ? 1 : 0;
}

int QObject::Load(QArchive &ar)
{
    if (!ar.IsLoading())
        return 0;
    QArchive::NestingGuard nesting(ar);
    ar.readTag({tags::Object});
    int ok = id.Load(ar);
    const qint64 codeOffset = ar.position();
    typeCode = ar.readInt32();
    reservedValue = ar.readInt32();
    ok &= parentId.Load(ar);
    enabled = ar.readInt32();
    createdTime = ar.readTime();
    updatedTime = ar.readTime();
    name = ar.readString();
    memo = ar.readString();
    // What follows an unknown class code cannot be read in step; stop here.
    if (!isAcceptedClassCode(typeCode)) {
        ar.fail(QStringLiteral("%1 バイト目のクラスコード %2 は不正です。")
                    .arg(codeOffset)
                    .arg(typeCode),
                codeOffset);
    }
    return LoadBody(ar) != 0 && ok != 0 ? 1 : 0;
}

TreeItemHandle QObject::insertTreeItem(TreeItemHandle parentItem, QTreeSink &tree,
                                       QList<TreeItemHandle> *inserted, bool restoreState)
{
    const TreeItemHandle item =
        tree.insertItem(parentItem, name, GetTreeIcon(0), GetTreeIcon(1), this);
    if (inserted != nullptr)
        inserted->append(item);
    if (restoreState) {
        treeItem = item;
        tree.restoreItemState(
            item, treeItemState & (QTreeSink::kStateExpanded | QTreeSink::kStateSelected),
            treeCheckState);
    }
    return item;
}

void QObject::finishTreeItem(TreeItemHandle parentItem, TreeItemHandle item, QTreeSink &tree)
{
    if (parentItem == 0)
        tree.expandItem(item);
}

} // namespace velmo
