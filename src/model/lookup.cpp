// Lookups over the document tree.
#include "model/lookup.h"

#include "model/qcategory.h"
#include "model/qclassification.h"
#include "model/qcontentgroup.h"
#include "model/qpage.h"
#include "model/qsite.h"

namespace velmo {

QContentGroup *firstContentGroup(QObject *object)
{
    // Bounded by the depth of the tree: every step goes one level down.
    while (object != nullptr) {
        if (auto *group = object_cast<QContentGroup>(object))
            return group;
        if (auto *site = object_cast<QSite>(object)) {
            object = site->classifications.first();
        } else if (auto *classification = object_cast<QClassification>(object)) {
            object = classification->categories.first();
        } else if (auto *category = object_cast<QCategory>(object)) {
            object = category->pages.isEmpty()
                         ? static_cast<QObject *>(category->categories.first())
                         : category->pages.first();
        } else if (auto *page = object_cast<QPage>(object)) {
            object = page->contentGroups.first();
        } else {
            return nullptr;
        }
    }
    return nullptr;
}

QCategory *owningCategory(QObject *object)
{
    if (auto *site = object_cast<QSite>(object)) {
        object = site->classifications.first();
        if (object == nullptr)
            return nullptr;
    }
    if (auto *classification = object_cast<QClassification>(object))
        return object_cast<QCategory>(classification->categories.first());
    if (auto *category = object_cast<QCategory>(object))
        return category;
    if (auto *page = object_cast<QPage>(object))
        return object_cast<QCategory>(page->parent());
    if (object_cast<QContentGroup>(object) != nullptr) {
        QObject *up = object->parent();
        while (up != nullptr && up->typeCode != kClassCategory)
            up = up->parent();
        return object_cast<QCategory>(up);
    }
    return nullptr;
}

} // namespace velmo
