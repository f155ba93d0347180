// QCategory: a menu entry with its pages and sub-categories.
#include "model/qcategory.h"

#include "model/qclassification.h"
#include "model/qpage.h"
#include "model/qsite.h"

namespace velmo {

QCategory::QCategory()
{
    // The link target takes an identity number like every QID member, and starts unset.
    linkTarget = QID::fresh();
    linkTarget = QID();
    typeCode = kClassCode;
    folderName = QStringLiteral("menu_%1").arg(id.seq);
}

QCategory::~QCategory() = default;

int QCategory::StoreBody(QArchive &ar) const
{
    ar.writeTag(tags::Category);
    ar.writeInt32(kind);
    const int a = pages.Store(ar);
    const int b = categories.Store(ar);
    const int c = linkTarget.Store(ar);
    ar.writeString(linkTitle);
    ar.writeString(folderName);
    ar.writeString(auxText);
    return a && b && c ? 1 : 0;
}

int QCategory::LoadBody(QArchive &ar)
{
    ar.readTag({tags::Category});
    kind = ar.readInt32();
    int ok = pages.Load(ar, this);
    ok &= categories.Load(ar, this);
    ok &= linkTarget.Load(ar);
    linkTitle = ar.readString();
    folderName = ar.readString();
    auxText = ar.readString();
    return ok;
}

int QCategory::GetTreeIcon(int) const
{
    return isLinkMenu() ? 3 : 2;
}

int QCategory::RemoveChild(QObject *child)
{
    if (child == nullptr)
        return 0;
    if (child->typeCode == kClassCategory)
        return categories.RemoveObject(child);
    if (child->typeCode == kClassPage)
        return pages.RemoveObject(child);
    return 0;
}

int QCategory::AddToTree(TreeItemHandle parentItem, QTreeSink &tree,
                         QList<TreeItemHandle> *inserted, bool restoreState)
{
    const TreeItemHandle item = insertTreeItem(parentItem, tree, inserted, restoreState);
    for (QPage *page : pages) {
        if (page->typeCode == kClassPage)
            page->AddToTree(item, tree, inserted, restoreState);
    }
    for (QCategory *category : categories) {
        if (category->typeCode == kClassCategory)
            category->AddToTree(item, tree, inserted, restoreState);
    }
    finishTreeItem(parentItem, item, tree);
    return 1;
}

void QCategory::ClearOutputMarks()
{
    outputMark = 0;
    for (QCategory *category : categories)
        category->ClearOutputMarks();
    for (QPage *page : pages)
        page->ClearOutputMarks();
}

QObject *QCategory::FindById(const QID &target)
{
    if (id == target)
        return this;
    for (QPage *page : pages) {
        if (QObject *found = page->FindById(target))
            return found;
    }
    for (QCategory *category : categories) {
        if (QObject *found = category->FindById(target))
            return found;
    }
    return nullptr;
}

int QCategory::OutputThroughSite(OutputContext &context, QString &path, ObjectChain &chain)
{
    path = path.isEmpty() ? folderName : folderName + u'/' + path;
    chain.append(this);
    QObject *up = parent();
    if (object_cast<QCategory>(up) || object_cast<QClassification>(up))
        return up->OutputThroughSite(context, path, chain);
    return 0;
}

void QCategory::CopyFrom(const QCategory &other)
{
    QObject::CopyFrom(other);
    kind = other.kind;
    pages.CopyFrom(other.pages);
    categories.CopyFrom(other.categories);
    linkTarget = other.linkTarget;
    linkTitle = other.linkTitle;
    folderName = other.folderName;
    auxText = other.auxText;
}

bool QCategory::IsHomeCategory() const
{
    const QObject *up = parent();
    while (up != nullptr && up->typeCode != kClassSite)
        up = up->parent();
    const QSite *site = object_cast<QSite>(up);
    if (site == nullptr)
        return false;
    const QClassification *first = site->classifications.first();
    if (first == nullptr)
        return false;
    const QCategory *home = first->categories.first();
    return home != nullptr && home->id == id;
}

} // namespace velmo
