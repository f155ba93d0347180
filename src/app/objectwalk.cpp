// Walking the document's objects by their owning lists.
#include "app/objectwalk.h"

#include "model/qcategory.h"
#include "model/qclassification.h"
#include "model/qcondition.h"
#include "model/qcontent.h"
#include "model/qcontentgroup.h"
#include "model/qgenre.h"
#include "model/qglobal.h"
#include "model/qobjectbox.h"
#include "model/qpage.h"
#include "model/qsite.h"

#include <vector>

namespace {

template<class List>
void pushAll(const List &list, std::vector<velmo::QObject *> &stack)
{
    for (velmo::QObject *element : list)
        stack.push_back(element);
}

// The real class decides which lists an object owns, as for copies.
void pushChildren(velmo::QObject *object, std::vector<velmo::QObject *> &stack)
{
    if (auto *site = dynamic_cast<velmo::QSite *>(object)) {
        pushAll(site->classifications, stack);
        pushAll(site->genres, stack);
        stack.push_back(&site->objectBox);
    } else if (auto *classification = dynamic_cast<velmo::QClassification *>(object)) {
        pushAll(classification->categories, stack);
        pushAll(classification->pages, stack);
    } else if (auto *category = dynamic_cast<velmo::QCategory *>(object)) {
        pushAll(category->pages, stack);
        pushAll(category->categories, stack);
    } else if (auto *page = dynamic_cast<velmo::QPage *>(object)) {
        pushAll(page->contentGroups, stack);
        pushAll(page->conditions, stack);
    } else if (auto *group = dynamic_cast<velmo::QContentGroup *>(object)) {
        pushAll(group->subGroups, stack);
        pushAll(group->contents, stack);
        pushAll(group->relatedGroups, stack);
    } else if (auto *box = dynamic_cast<velmo::QObjectBox *>(object)) {
        pushAll(box->items, stack);
    }
}

} // namespace

void forEachObjectBelow(velmo::QObject *root, const std::function<void(velmo::QObject *)> &visit)
{
    if (root == nullptr)
        return;
    // An explicit stack: documents may nest deeper than the call stack would like.
    std::vector<velmo::QObject *> stack{root};
    while (!stack.empty()) {
        velmo::QObject *object = stack.back();
        stack.pop_back();
        visit(object);
        pushChildren(object, stack);
    }
}

bool isWithin(const velmo::QObject *object, velmo::QObject *root)
{
    if (object == nullptr || root == nullptr)
        return false;
    std::vector<velmo::QObject *> stack{root};
    while (!stack.empty()) {
        velmo::QObject *candidate = stack.back();
        stack.pop_back();
        if (candidate == object)
            return true;
        pushChildren(candidate, stack);
    }
    return false;
}

bool isOwnedByDocument(const velmo::QGlobal &global, const velmo::QObject *object)
{
    if (object == nullptr)
        return false;
    // Sites and their boxes are the usual tree roots: found without a walk.
    for (velmo::QSite *site : global.sites) {
        if (site == object || &site->objectBox == object)
            return true;
    }
    for (velmo::QSite *site : global.sites) {
        if (isWithin(object, site))
            return true;
    }
    return false;
}

velmo::QObject *liveObject(const velmo::QGlobal &global, velmo::QObject *object,
                           const velmo::QID &id)
{
    // The identity is read only once the address is known to be owned.
    if (!isOwnedByDocument(global, object))
        return nullptr;
    return object->id == id ? object : nullptr;
}

bool isAncestorOrSelf(const velmo::QObject *ancestor, const velmo::QObject *object)
{
    // Parent links of an owned object lead up to its site; the bound guards a damaged chain.
    for (int depth = 0; object != nullptr && depth < 100000; ++depth) {
        if (object == ancestor)
            return true;
        object = object->parent();
    }
    return false;
}
