// QClassification: a menu hierarchy of a site.
#include "model/qclassification.h"

#include "model/qcategory.h"
#include "model/qpage.h"
#include "model/qsite.h"

namespace velmo {

QClassification::QClassification()
{
    typeCode = kClassCode;
}

QClassification::~QClassification() = default;

int QClassification::StoreBody(QArchive &ar) const
{
    ar.writeTag(tags::Classification);
    ar.writeInt32(kind);
    const int a = categories.Store(ar);
    const int b = pages.Store(ar);
    return a && b ? 1 : 0;
}

int QClassification::LoadBody(QArchive &ar)
{
    // "QClassification::0001" had no page list; its page list stays empty.
    const bool hasPages = ar.readTag({tags::ClassificationV1, tags::Classification}) == 1;
    kind = ar.readInt32();
    int ok = categories.Load(ar, this);
    if (hasPages)
        ok &= pages.Load(ar, this);
    return ok;
}

int QClassification::GetTreeIcon(int) const
{
    return 1;
}

int QClassification::RemoveChild(QObject *child)
{
    // Only categories: a page of the hierarchy cannot be detached this way.
    if (child == nullptr || child->typeCode != kClassCategory)
        return 0;
    return categories.RemoveObject(child);
}

int QClassification::AddToTree(TreeItemHandle parentItem, QTreeSink &tree,
                               QList<TreeItemHandle> *inserted, bool restoreState)
{
    const TreeItemHandle item = insertTreeItem(parentItem, tree, inserted, restoreState);
    for (QCategory *category : categories) {
        if (category->typeCode == kClassCategory)
            category->AddToTree(item, tree, inserted, restoreState);
    }
    for (QPage *page : pages) {
        if (page->typeCode == kClassPage)
            page->AddToTree(item, tree, inserted, restoreState);
    }
    finishTreeItem(parentItem, item, tree);
    return 1;
}

void QClassification::ClearOutputMarks()
{
    outputMark = 0;
    for (QCategory *category : categories)
        category->ClearOutputMarks();
}

QObject *QClassification::FindById(const QID &target)
{
    if (id == target)
        return this;
    for (QCategory *category : categories) {
        if (QObject *found = category->FindById(target))
            return found;
    }
    return nullptr;
}

int QClassification::OutputThroughSite(OutputContext &context, QString &path, ObjectChain &chain)
{
    chain.append(this);
    if (QSite *site = object_cast<QSite>(parent()))
        return site->OutputThroughSite(context, path, chain);
    return 0;
}

void QClassification::CopyFrom(const QClassification &other)
{
    QObject::CopyFrom(other);
    kind = other.kind;
    categories.CopyFrom(other.categories);
    pages.CopyFrom(other.pages);
}

} // namespace velmo
