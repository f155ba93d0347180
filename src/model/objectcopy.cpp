// Deep clones and fresh identities of document objects.
#include "model/objectcopy.h"

#include "model/category.h"
#include "model/classification.h"
#include "model/condition.h"
#include "model/content.h"
#include "model/contentgroup.h"
#include "model/genre.h"
#include "model/objectbox.h"
#include "model/page.h"
#include "model/site.h"

namespace velmo {

namespace {

template<class T>
std::unique_ptr<Object> cloneAs(const T &source)
{
    auto copy = std::make_unique<T>();
    copy->copyFrom(source);
    return copy;
}

template<class List>
void renewChildren(Object *owner, List &list)
{
    for (Object *child : list) {
        child->setParent(owner);
        assignFreshIds(child);
    }
}

} // namespace

std::unique_ptr<Object> cloneObject(const Object &object)
{
    // The real class decides, not the stored class code.
    if (auto *site = dynamic_cast<const Site *>(&object))
        return cloneAs(*site);
    if (auto *classification = dynamic_cast<const Classification *>(&object))
        return cloneAs(*classification);
    if (auto *category = dynamic_cast<const Category *>(&object))
        return cloneAs(*category);
    if (auto *page = dynamic_cast<const Page *>(&object))
        return cloneAs(*page);
    if (auto *group = dynamic_cast<const ContentGroup *>(&object))
        return cloneAs(*group);
    if (auto *content = dynamic_cast<const Content *>(&object))
        return cloneAs(*content);
    if (auto *condition = dynamic_cast<const Condition *>(&object))
        return cloneAs(*condition);
    if (auto *genre = dynamic_cast<const Genre *>(&object))
        return cloneAs(*genre);
    if (auto *box = dynamic_cast<const ObjectBox *>(&object))
        return cloneAs(*box);
    return cloneAs(object);
}

void assignFreshIds(Object *object)
{
    if (object == nullptr)
        return;
    object->id = ObjectId::fresh();
    if (auto *site = dynamic_cast<Site *>(object)) {
        renewChildren(site, site->classifications);
        renewChildren(site, site->genres);
        site->objectBox.id = ObjectId::fresh();
        renewChildren(&site->objectBox, site->objectBox.items);
    } else if (auto *classification = dynamic_cast<Classification *>(object)) {
        renewChildren(classification, classification->categories);
        renewChildren(classification, classification->pages);
    } else if (auto *category = dynamic_cast<Category *>(object)) {
        renewChildren(category, category->pages);
        renewChildren(category, category->categories);
    } else if (auto *page = dynamic_cast<Page *>(object)) {
        renewChildren(page, page->contentGroups);
        renewChildren(page, page->conditions);
    } else if (auto *group = dynamic_cast<ContentGroup *>(object)) {
        renewChildren(group, group->subGroups);
        renewChildren(group, group->contents);
        renewChildren(group, group->relatedGroups);
    } else if (auto *box = dynamic_cast<ObjectBox *>(object)) {
        renewChildren(box, box->items);
    }
}

std::unique_ptr<Object> duplicateSubtree(const Object &object)
{
    std::unique_ptr<Object> copy = cloneObject(object);
    assignFreshIds(copy.get());
    copy->setParent(nullptr);
    return copy;
}

std::unique_ptr<Object> detachedClone(const Object &object)
{
    std::unique_ptr<Object> copy = cloneObject(object);
    // A clone's children still point at the objects they were copied from.
    copy->forEachBelow(Children::Owned, [](Object *owner) {
        owner->forEachChild(Children::Owned, [owner](Object *child) {
            child->setParent(owner);
            return true;
        });
        return true;
    });
    copy->setParent(nullptr);
    return copy;
}

} // namespace velmo
