// Page: a page with its content groups and conditions.
#include "model/page.h"

#include "model/category.h"
#include "model/classification.h"
#include "model/condition.h"
#include "model/contentgroup.h"

namespace velmo {

Page::Page()
{
    typeCode = kClassCode;
    fileName = QStringLiteral("page_%1_").arg(id.seq);
}

Page::~Page() = default;

int Page::storeBody(Archive &ar) const
{
    ar.writeTag(tags::Page);
    const int a = contentGroups.store(ar);
    const int b = conditions.store(ar);
    ar.writeString(title);
    ar.writeString(summary);
    ar.writeString(keywords);
    ar.writeString(templateName);
    ar.writeString(fileName);
    return a && b ? 1 : 0;
}

int Page::loadBody(Archive &ar)
{
    ar.readTag({tags::Page});
    int ok = contentGroups.load(ar, this);
    ok &= conditions.load(ar, this);
    title = ar.readString();
    summary = ar.readString();
    keywords = ar.readString();
    templateName = ar.readString();
    fileName = ar.readString();
    return ok;
}

int Page::getTreeIcon(int) const
{
    return 4;
}

int Page::removeChild(Object *child)
{
    if (child == nullptr || child->typeCode != kClassContentGroup)
        return 0;
    return contentGroups.removeObject(child);
}


int Page::outputThroughSite(OutputContext &context, QString &path, ObjectChain &chain)
{
    path.clear();
    chain.append(this);
    Object *up = parent();
    if (object_cast<Category>(up) || object_cast<Classification>(up))
        return up->outputThroughSite(context, path, chain);
    return 0;
}

void Page::copyFrom(const Page &other)
{
    Object::copyFrom(other);
    contentGroups.copyFrom(other.contentGroups);
    title = other.title;
    summary = other.summary;
    keywords = other.keywords;
    templateName = other.templateName;
    fileName = other.fileName;
    conditions.copyFrom(other.conditions);
    outputFlags = other.outputFlags;
    temporaryGroups = other.temporaryGroups;
}

int Page::removeContentGroup(Object *group)
{
    if (group == nullptr || group->typeCode != kClassContentGroup)
        return -1;
    if (contentGroups.removeObject(group) == 0)
        return -1;
    return contentGroups.count();
}

bool Page::forEachChild(Children which, ObjectVisitor visit)
{
    if (which == Children::Shown)
        return contentGroups.visitOfClass(kClassContentGroup, visit);
    if (!contentGroups.visitAll(visit))
        return false;
    return which == Children::Hierarchy || conditions.visitAll(visit);
}

void Page::clearOutputMarks()
{
    outputFlags = 0;
    Object::clearOutputMarks();
}

} // namespace velmo
