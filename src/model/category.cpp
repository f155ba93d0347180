// Category: a menu entry with its pages and sub-categories.
#include "model/category.h"

#include "model/classification.h"
#include "model/page.h"
#include "model/site.h"

namespace velmo {

Category::Category()
{
    // The link target takes an identity number like every ObjectId member, and starts unset.
    linkTarget = ObjectId::fresh();
    linkTarget = ObjectId();
    typeCode = kClassCode;
    folderName = QStringLiteral("menu_%1").arg(id.seq);
}

Category::~Category() = default;

int Category::storeBody(Archive &ar) const
{
    ar.writeTag(tags::Category);
    ar.writeInt32(kind);
    const int a = pages.store(ar);
    const int b = categories.store(ar);
    const int c = linkTarget.store(ar);
    ar.writeString(linkTitle);
    ar.writeString(folderName);
    ar.writeString(auxText);
    return a && b && c ? 1 : 0;
}

int Category::loadBody(Archive &ar)
{
    ar.readTag({tags::Category});
    kind = ar.readInt32();
    int ok = pages.load(ar, this);
    ok &= categories.load(ar, this);
    ok &= linkTarget.load(ar);
    linkTitle = ar.readString();
    folderName = ar.readString();
    auxText = ar.readString();
    return ok;
}

int Category::getTreeIcon(int) const
{
    return isLinkMenu() ? 3 : 2;
}

int Category::removeChild(Object *child)
{
    if (child == nullptr)
        return 0;
    if (child->typeCode == kClassCategory)
        return categories.removeObject(child);
    if (child->typeCode == kClassPage)
        return pages.removeObject(child);
    return 0;
}


int Category::outputThroughSite(OutputContext &context, QString &path, ObjectChain &chain)
{
    path = path.isEmpty() ? folderName : folderName + u'/' + path;
    chain.append(this);
    Object *up = parent();
    if (object_cast<Category>(up) || object_cast<Classification>(up))
        return up->outputThroughSite(context, path, chain);
    return 0;
}

void Category::copyFrom(const Category &other)
{
    Object::copyFrom(other);
    kind = other.kind;
    pages.copyFrom(other.pages);
    categories.copyFrom(other.categories);
    linkTarget = other.linkTarget;
    linkTitle = other.linkTitle;
    folderName = other.folderName;
    auxText = other.auxText;
}

bool Category::isHomeCategory() const
{
    const Site *site = ancestorOf<Site>(parent());
    if (site == nullptr)
        return false;
    const Classification *first = site->classifications.first();
    if (first == nullptr)
        return false;
    const Category *home = first->categories.first();
    return home != nullptr && home->id == id;
}

bool Category::forEachChild(Children which, ObjectVisitor visit)
{
    if (which == Children::Shown)
        return pages.visitOfClass(kClassPage, visit) &&
               categories.visitOfClass(kClassCategory, visit);
    return pages.visitAll(visit) && categories.visitAll(visit);
}

} // namespace velmo
