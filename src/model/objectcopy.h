// Copies of document objects: deep clones of any class, and fresh identities for a duplicate.
#pragma once

#include <memory>

namespace velmo {

class Object;

// A deep copy of object of its own class (copyFrom): identities are kept and each copied
// child points at its source's parent, as the property forms' working copies need.
std::unique_ptr<Object> cloneObject(const Object &object);

// Gives object and everything below it new identities, depth first in list order, and points
// each child at its (renewed) owner.
void assignFreshIds(Object *object);

// A duplicate for placing elsewhere (Ctrl-drag): a clone whose subtree has fresh identities,
// detached from any owner.
std::unique_ptr<Object> duplicateSubtree(const Object &object);

// A clone with the same identities that leads nowhere outside itself: its children point at
// their copied owners and it has no owner of its own (what a cut keeps for pasting).
std::unique_ptr<Object> detachedClone(const Object &object);

} // namespace velmo
