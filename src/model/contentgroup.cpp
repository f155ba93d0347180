// ContentGroup: a content block with its parts and nested groups.
#include "model/contentgroup.h"

#include "model/content.h"
#include "model/page.h"

namespace velmo {

ContentGroup::ContentGroup()
{
    typeCode = kClassCode;
    auto *content = new Content;
    content->kind = Content::kKindLongText;
    content->name = QStringLiteral("内容");
    contents.add(content, this);
}

ContentGroup::~ContentGroup() = default;

int ContentGroup::storeBody(Archive &ar) const
{
    ar.writeTag(tags::ContentGroup);
    ar.writeInt32(kind);
    ar.writeInt32(groupOption);
    const int a = subGroups.store(ar);
    const int b = contents.store(ar);
    const int c = relatedGroups.store(ar);
    ar.writeString(templateName);
    return a && b && c ? 1 : 0;
}

int ContentGroup::loadBody(Archive &ar)
{
    ar.readTag({tags::ContentGroup});
    kind = ar.readInt32();
    groupOption = ar.readInt32();
    int ok = subGroups.load(ar, this);
    ok &= contents.load(ar, this);
    ok &= relatedGroups.load(ar, this);
    templateName = ar.readString();
    return ok;
}

int ContentGroup::getTreeIcon(int) const
{
    return object_cast<Page>(parent()) != nullptr ? 5 : 6;
}

int ContentGroup::removeChild(Object *child)
{
    if (child == nullptr)
        return 0;
    if (child->typeCode == kClassContentGroup)
        return subGroups.removeObject(child);
    if (child->typeCode == kClassContent)
        return contents.removeObject(child);
    return 0;
}


int ContentGroup::outputThroughSite(OutputContext &context, QString &path, ObjectChain &chain)
{
    path.clear();
    chain.append(this);
    Object *up = parent();
    if (object_cast<ContentGroup>(up) || object_cast<Page>(up))
        return up->outputThroughSite(context, path, chain);
    return 0;
}

void ContentGroup::copyFrom(const ContentGroup &other)
{
    Object::copyFrom(other);
    kind = other.kind;
    groupOption = other.groupOption;
    templateName = other.templateName;
    subGroups.copyFrom(other.subGroups);
    contents.copyFrom(other.contents);
    relatedGroups.copyFrom(other.relatedGroups);
}

int ContentGroup::addContent(Content *content)
{
    return contents.add(content, this);
}

bool ContentGroup::forEachChild(Children which, ObjectVisitor visit)
{
    if (which == Children::Shown)
        return contents.visitOfClass(kClassContent, visit) &&
               subGroups.visitOfClass(kClassContentGroup, visit);
    if (!(subGroups.visitAll(visit) && contents.visitAll(visit)))
        return false;
    return which == Children::Hierarchy || relatedGroups.visitAll(visit);
}

} // namespace velmo
