// Lookups over the document tree: the first content group below an object, the category that
// owns an object, and whether an object lies below another.
#pragma once

namespace velmo {

class Object;
class Category;
class ContentGroup;

// Descends by first children until a content group: site → first hierarchy → first category
// → its first page (or, without pages, its first sub-category) → first content group.
ContentGroup *firstContentGroup(Object *object);

// The category an object belongs to: a category itself, a page's parent, a content group's
// nearest category above it; a site or hierarchy answers for its first category. Null when
// the answer is not a category.
Category *owningCategory(Object *object);

// True when object is root or anything root owns, the storage box and its content included.
bool isWithin(const Object *object, Object *root);

} // namespace velmo
