// Walking the document's objects by their owning lists.
#include "app/objectwalk.h"

#include "model/category.h"
#include "model/classification.h"
#include "model/condition.h"
#include "model/content.h"
#include "model/contentgroup.h"
#include "model/document.h"
#include "model/genre.h"
#include "model/objectbox.h"
#include "model/page.h"
#include "model/site.h"

#include <vector>

namespace {

template<class List>
void pushAll(const List &list, std::vector<velmo::Object *> &stack)
{
    for (velmo::Object *element : list)
        stack.push_back(element);
}

// The real class decides which lists an object owns, as for copies.
void pushChildren(velmo::Object *object, std::vector<velmo::Object *> &stack)
{
    if (auto *site = dynamic_cast<velmo::Site *>(object)) {
        pushAll(site->classifications, stack);
        pushAll(site->genres, stack);
        stack.push_back(&site->objectBox);
    } else if (auto *classification = dynamic_cast<velmo::Classification *>(object)) {
        pushAll(classification->categories, stack);
        pushAll(classification->pages, stack);
    } else if (auto *category = dynamic_cast<velmo::Category *>(object)) {
        pushAll(category->pages, stack);
        pushAll(category->categories, stack);
    } else if (auto *page = dynamic_cast<velmo::Page *>(object)) {
        pushAll(page->contentGroups, stack);
        pushAll(page->conditions, stack);
    } else if (auto *group = dynamic_cast<velmo::ContentGroup *>(object)) {
        pushAll(group->subGroups, stack);
        pushAll(group->contents, stack);
        pushAll(group->relatedGroups, stack);
    } else if (auto *box = dynamic_cast<velmo::ObjectBox *>(object)) {
        pushAll(box->items, stack);
    }
}

} // namespace

void forEachObjectBelow(velmo::Object *root, const std::function<void(velmo::Object *)> &visit)
{
    if (root == nullptr)
        return;
    // An explicit stack: documents may nest deeper than the call stack would like.
    std::vector<velmo::Object *> stack{root};
    while (!stack.empty()) {
        velmo::Object *object = stack.back();
        stack.pop_back();
        visit(object);
        pushChildren(object, stack);
    }
}

bool isWithin(const velmo::Object *object, velmo::Object *root)
{
    if (object == nullptr || root == nullptr)
        return false;
    std::vector<velmo::Object *> stack{root};
    while (!stack.empty()) {
        velmo::Object *candidate = stack.back();
        stack.pop_back();
        if (candidate == object)
            return true;
        pushChildren(candidate, stack);
    }
    return false;
}

bool isOwnedByDocument(const velmo::Document &global, const velmo::Object *object)
{
    if (object == nullptr)
        return false;
    // Sites and their boxes are the usual tree roots: found without a walk.
    for (velmo::Site *site : global.sites) {
        if (site == object || &site->objectBox == object)
            return true;
    }
    for (velmo::Site *site : global.sites) {
        if (isWithin(object, site))
            return true;
    }
    return false;
}

velmo::Object *liveObject(const velmo::Document &global, velmo::Object *object,
                          const velmo::ObjectId &id)
{
    // The identity is read only once the address is known to be owned.
    if (!isOwnedByDocument(global, object))
        return nullptr;
    return object->id == id ? object : nullptr;
}

bool isAncestorOrSelf(const velmo::Object *ancestor, const velmo::Object *object)
{
    // Parent links of an owned object lead up to its site; the bound guards a damaged chain.
    for (int depth = 0; object != nullptr && depth < 100000; ++depth) {
        if (object == ancestor)
            return true;
        object = object->parent();
    }
    return false;
}
