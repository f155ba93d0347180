// QContentGroup: a content block with its parts and nested groups.
#include "model/qcontentgroup.h"

#include "model/qcontent.h"
#include "model/qpage.h"

namespace velmo {

QContentGroup::QContentGroup()
{
    typeCode = kClassCode;
    auto *content = new QContent;
    content->kind = QContent::kKindLongText;
    content->name = QStringLiteral("内容");
    contents.Add(content, this);
}

QContentGroup::~QContentGroup() = default;

int QContentGroup::StoreBody(QArchive &ar) const
{
    ar.writeTag(tags::ContentGroup);
    ar.writeInt32(kind);
    ar.writeInt32(groupOption);
    const int a = subGroups.Store(ar);
    const int b = contents.Store(ar);
    const int c = relatedGroups.Store(ar);
    ar.writeString(templateName);
    return a && b && c ? 1 : 0;
}

int QContentGroup::LoadBody(QArchive &ar)
{
    ar.readTag({tags::ContentGroup});
    kind = ar.readInt32();
    groupOption = ar.readInt32();
    int ok = subGroups.Load(ar, this);
    ok &= contents.Load(ar, this);
    ok &= relatedGroups.Load(ar, this);
    templateName = ar.readString();
    return ok;
}

int QContentGroup::GetTreeIcon(int) const
{
    return object_cast<QPage>(parent()) != nullptr ? 5 : 6;
}

int QContentGroup::RemoveChild(QObject *child)
{
    if (child == nullptr)
        return 0;
    if (child->typeCode == kClassContentGroup)
        return subGroups.RemoveObject(child);
    if (child->typeCode == kClassContent)
        return contents.RemoveObject(child);
    return 0;
}

int QContentGroup::AddToTree(TreeItemHandle parentItem, QTreeSink &tree,
                             QList<TreeItemHandle> *inserted, bool restoreState)
{
    const TreeItemHandle item = insertTreeItem(parentItem, tree, inserted, restoreState);
    for (QContent *content : contents) {
        if (content->typeCode == kClassContent)
            content->AddToTree(item, tree, inserted, restoreState);
    }
    for (QContentGroup *group : subGroups) {
        if (group->typeCode == kClassContentGroup)
            group->AddToTree(item, tree, inserted, restoreState);
    }
    finishTreeItem(parentItem, item, tree);
    return 1;
}

void QContentGroup::ClearOutputMarks()
{
    outputMark = 0;
    for (QContentGroup *group : subGroups)
        group->ClearOutputMarks();
    for (QContent *content : contents)
        content->ClearOutputMarks();
}

QObject *QContentGroup::FindById(const QID &target)
{
    if (id == target)
        return this;
    for (QContentGroup *group : subGroups) {
        if (QObject *found = group->FindById(target))
            return found;
    }
    for (QContent *content : contents) {
        if (content->id == target)
            return content;
    }
    return nullptr;
}

int QContentGroup::OutputThroughSite(OutputContext &context, QString &path, ObjectChain &chain)
{
    path.clear();
    chain.append(this);
    QObject *up = parent();
    if (object_cast<QContentGroup>(up) || object_cast<QPage>(up))
        return up->OutputThroughSite(context, path, chain);
    return 0;
}

void QContentGroup::CopyFrom(const QContentGroup &other)
{
    QObject::CopyFrom(other);
    kind = other.kind;
    groupOption = other.groupOption;
    templateName = other.templateName;
    subGroups.CopyFrom(other.subGroups);
    contents.CopyFrom(other.contents);
    relatedGroups.CopyFrom(other.relatedGroups);
}

int QContentGroup::AddContent(QContent *content)
{
    return contents.Add(content, this);
}

} // namespace velmo
