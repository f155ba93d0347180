// ObjectBox: a site's temporary storage area.
#include "model/objectbox.h"

#include "model/category.h"
#include "model/contentgroup.h"
#include "model/objectcopy.h"
#include "model/page.h"

namespace velmo {

namespace {

bool isBoxedClass(qint32 code)
{
    return code == kClassCategory || code == kClassPage || code == kClassContentGroup;
}

} // namespace

ObjectBox::ObjectBox()
{
    typeCode = kClassCode;
    name = QStringLiteral("オブジェクトボックス");
}

ObjectBox::~ObjectBox() = default;

void ObjectBox::clearContents()
{
    items.clear();
}

int ObjectBox::storeBody(Archive &ar) const
{
    ar.writeTag(tags::ObjectBox);
    // The file keeps three lists by class; elements of any other class are not written.
    CategoryList categories;
    PageList pages;
    ContentGroupList groups;
    for (Object *element : items) {
        if (auto *category = object_cast<Category>(element))
            categories.appendRaw(category);
        else if (auto *page = object_cast<Page>(element))
            pages.appendRaw(page);
        else if (auto *group = object_cast<ContentGroup>(element))
            groups.appendRaw(group);
    }
    int ok = 1;
    try {
        ok &= categories.store(ar);
        ok &= pages.store(ar);
        ok &= groups.store(ar);
    } catch (...) {
        categories.release();
        pages.release();
        groups.release();
        throw;
    }
    categories.release();
    pages.release();
    groups.release();
    return ok;
}

int ObjectBox::loadBody(Archive &ar)
{
    ar.readTag({tags::ObjectBox});
    CategoryList categories;
    PageList pages;
    ContentGroupList groups;
    int ok = categories.load(ar, this);
    ok &= pages.load(ar, this);
    ok &= groups.load(ar, this);
    items.clear();
    for (Category *category : categories)
        items.add(category, this);
    for (Page *page : pages)
        items.add(page, this);
    for (ContentGroup *group : groups)
        items.add(group, this);
    categories.release();
    pages.release();
    groups.release();
    return ok;
}

int ObjectBox::getTreeIcon(int) const
{
    return 1;
}

int ObjectBox::removeChild(Object *child)
{
    if (child == nullptr)
        return 0;
    return items.removeObject(child);
}


void ObjectBox::clearOutputMarks() {}

void ObjectBox::copyFrom(const ObjectBox &other)
{
    Object::copyFrom(other);
    items.clear();
    for (const Object *element : other.items) {
        std::unique_ptr<Object> copy = cloneObject(*element);
        copy->setParent(element->parent());
        items.appendRaw(copy.release());
    }
}

int ObjectBox::putInBox(Object *object)
{
    return items.add(object, this);
}

bool ObjectBox::forEachChild(Children which, ObjectVisitor visit)
{
    if (which == Children::Shown) {
        for (Object *element : items) {
            if (isBoxedClass(element->typeCode) && !visit(element))
                return false;
        }
        return true;
    }
    return items.visitAll(visit);
}

} // namespace velmo
