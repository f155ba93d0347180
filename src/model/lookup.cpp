// Lookups over the document tree.
#include "model/lookup.h"

#include "model/category.h"
#include "model/classification.h"
#include "model/contentgroup.h"
#include "model/page.h"
#include "model/site.h"

namespace velmo {

ContentGroup *firstContentGroup(Object *object)
{
    // Bounded by the depth of the tree: every step goes one level down.
    while (object != nullptr) {
        if (auto *group = object_cast<ContentGroup>(object))
            return group;
        if (auto *site = object_cast<Site>(object)) {
            object = site->classifications.first();
        } else if (auto *classification = object_cast<Classification>(object)) {
            object = classification->categories.first();
        } else if (auto *category = object_cast<Category>(object)) {
            object = category->pages.isEmpty() ? static_cast<Object *>(category->categories.first())
                                               : category->pages.first();
        } else if (auto *page = object_cast<Page>(object)) {
            object = page->contentGroups.first();
        } else {
            return nullptr;
        }
    }
    return nullptr;
}

Category *owningCategory(Object *object)
{
    if (auto *site = object_cast<Site>(object)) {
        object = site->classifications.first();
        if (object == nullptr)
            return nullptr;
    }
    if (auto *classification = object_cast<Classification>(object))
        return object_cast<Category>(classification->categories.first());
    if (auto *category = object_cast<Category>(object))
        return category;
    if (auto *page = object_cast<Page>(object))
        return object_cast<Category>(page->parent());
    if (object_cast<ContentGroup>(object) != nullptr)
        return ancestorOf<Category>(object->parent());
    return nullptr;
}

bool isWithin(const Object *object, Object *root)
{
    if (object == nullptr || root == nullptr)
        return false;
    // Downwards from root, comparing addresses: the storage box has no parent link to its site.
    return !root->forEachBelow(Children::Owned,
                               [object](Object *candidate) { return candidate != object; });
}

} // namespace velmo
