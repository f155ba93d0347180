// Walks over the document's objects, and the checks that keep the trees and commands from
// using an object that has been destroyed or moved away since an item was made for it.
#pragma once

#include "model/objectid.h"

#include <functional>

namespace velmo {
class Document;
class Object;
} // namespace velmo

// Calls visit for root and every object its lists own (hierarchies, categories, pages, content
// groups, contents, conditions, genres, the storage box and what it holds), depth first.
void forEachObjectBelow(velmo::Object *root, const std::function<void(velmo::Object *)> &visit);

// True when object is root or owned somewhere below it. Only addresses are compared, so object
// itself is never read and may be a pointer to something long gone.
bool isWithin(const velmo::Object *object, velmo::Object *root);

// True when object is one of the document's sites or owned by one (addresses only, as above).
bool isOwnedByDocument(const velmo::Document &global, const velmo::Object *object);

// object when it is still owned by one of the document's sites and still carries identity id
// (a new object at a freed one's address is not taken for it); null otherwise.
velmo::Object *liveObject(const velmo::Document &global, velmo::Object *object,
                          const velmo::ObjectId &id);

// True when ancestor is object itself or one of its parents.
bool isAncestorOrSelf(const velmo::Object *ancestor, const velmo::Object *object);
