// QPage: a page with its content groups and conditions.
#include "model/qpage.h"

#include "model/qcategory.h"
#include "model/qclassification.h"
#include "model/qcondition.h"
#include "model/qcontentgroup.h"

namespace velmo {

QPage::QPage()
{
    typeCode = kClassCode;
    fileName = QStringLiteral("page_%1_").arg(id.seq);
}

QPage::~QPage() = default;

int QPage::StoreBody(QArchive &ar) const
{
    ar.writeTag(tags::Page);
    const int a = contentGroups.Store(ar);
    const int b = conditions.Store(ar);
    ar.writeString(title);
    ar.writeString(summary);
    ar.writeString(keywords);
    ar.writeString(templateName);
    ar.writeString(fileName);
    return a && b ? 1 : 0;
}

int QPage::LoadBody(QArchive &ar)
{
    ar.readTag({tags::Page});
    int ok = contentGroups.Load(ar, this);
    ok &= conditions.Load(ar, this);
    title = ar.readString();
    summary = ar.readString();
    keywords = ar.readString();
    templateName = ar.readString();
    fileName = ar.readString();
    return ok;
}

int QPage::GetTreeIcon(int) const
{
    return 4;
}

int QPage::RemoveChild(QObject *child)
{
    if (child == nullptr || child->typeCode != kClassContentGroup)
        return 0;
    return contentGroups.RemoveObject(child);
}

int QPage::AddToTree(TreeItemHandle parentItem, QTreeSink &tree, QList<TreeItemHandle> *inserted,
                     bool restoreState)
{
    const TreeItemHandle item = insertTreeItem(parentItem, tree, inserted, restoreState);
    for (QContentGroup *group : contentGroups) {
        if (group->typeCode == kClassContentGroup)
            group->AddToTree(item, tree, inserted, restoreState);
    }
    finishTreeItem(parentItem, item, tree);
    return 1;
}

void QPage::ClearOutputMarks()
{
    outputMark = 0;
    outputFlags = 0;
    for (QContentGroup *group : contentGroups)
        group->ClearOutputMarks();
}

QObject *QPage::FindById(const QID &target)
{
    if (id == target)
        return this;
    for (QContentGroup *group : contentGroups) {
        if (QObject *found = group->FindById(target))
            return found;
    }
    return nullptr;
}

int QPage::OutputThroughSite(OutputContext &context, QString &path, ObjectChain &chain)
{
    path.clear();
    chain.append(this);
    QObject *up = parent();
    if (object_cast<QCategory>(up) || object_cast<QClassification>(up))
        return up->OutputThroughSite(context, path, chain);
    return 0;
}

void QPage::CopyFrom(const QPage &other)
{
    QObject::CopyFrom(other);
    contentGroups.CopyFrom(other.contentGroups);
    title = other.title;
    summary = other.summary;
    keywords = other.keywords;
    templateName = other.templateName;
    fileName = other.fileName;
    conditions.CopyFrom(other.conditions);
    outputFlags = other.outputFlags;
    temporaryGroups = other.temporaryGroups;
}

int QPage::RemoveContentGroup(QObject *group)
{
    if (group == nullptr || group->typeCode != kClassContentGroup)
        return -1;
    if (contentGroups.RemoveObject(group) == 0)
        return -1;
    return contentGroups.count();
}

} // namespace velmo
