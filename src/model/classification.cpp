// Classification: a menu hierarchy of a site.
#include "model/classification.h"

#include "model/category.h"
#include "model/page.h"
#include "model/site.h"

namespace velmo {

Classification::Classification()
{
    typeCode = kClassCode;
}

Classification::~Classification() = default;

int Classification::storeBody(Archive &ar) const
{
    ar.writeTag(tags::Classification);
    ar.writeInt32(kind);
    const int a = categories.store(ar);
    const int b = pages.store(ar);
    return a && b ? 1 : 0;
}

int Classification::loadBody(Archive &ar)
{
    // "QClassification::0001" had no page list; its page list stays empty.
    const bool hasPages = ar.readTag({tags::ClassificationV1, tags::Classification}) == 1;
    kind = ar.readInt32();
    int ok = categories.load(ar, this);
    if (hasPages)
        ok &= pages.load(ar, this);
    return ok;
}

int Classification::getTreeIcon(int) const
{
    return 1;
}

int Classification::removeChild(Object *child)
{
    // Only categories: a page of the hierarchy cannot be detached this way.
    if (child == nullptr || child->typeCode != kClassCategory)
        return 0;
    return categories.removeObject(child);
}


int Classification::outputThroughSite(OutputContext &context, QString &path, ObjectChain &chain)
{
    chain.append(this);
    if (Site *site = object_cast<Site>(parent()))
        return site->outputThroughSite(context, path, chain);
    return 0;
}

void Classification::copyFrom(const Classification &other)
{
    Object::copyFrom(other);
    kind = other.kind;
    categories.copyFrom(other.categories);
    pages.copyFrom(other.pages);
}

bool Classification::forEachChild(Children which, ObjectVisitor visit)
{
    if (which == Children::Shown)
        return categories.visitOfClass(kClassCategory, visit) &&
               pages.visitOfClass(kClassPage, visit);
    if (!categories.visitAll(visit))
        return false;
    return which == Children::Hierarchy || pages.visitAll(visit);
}

} // namespace velmo
