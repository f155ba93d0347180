// Reordering within an object list with wrap-around ("上へ" / "下へ"), and finding the list
// that holds an object of the menu tree.
#pragma once

#include "model/objectlist.h"

namespace velmo {

class Object;

// Moves entry index one place up; the first entry goes to the end. Returns the new index, or
// -1 when index is outside the list. The entry keeps its parent.
template<class T>
int moveUpWrapping(ObjectListOf<T> &list, int index)
{
    T *entry = list.takeAt(index);
    if (entry == nullptr)
        return -1;
    if (index > 0) {
        list.insertAt(index - 1, entry);
        return index - 1;
    }
    list.appendRaw(entry);
    return list.count() - 1;
}

// Moves entry index one place down; the last entry goes to the front. Returns the new index,
// or -1 when index is outside the list.
template<class T>
int moveDownWrapping(ObjectListOf<T> &list, int index)
{
    const bool wasLast = index == list.count() - 1;
    T *entry = list.takeAt(index);
    if (entry == nullptr)
        return -1;
    if (wasLast) {
        list.insertAt(0, entry);
        return 0;
    }
    list.insertAt(index + 1, entry);
    return index + 1;
}

// The same moves on the list of its parent that holds object (a category under a category or
// hierarchy, a page under a category, a content group under a page or group). Returns the new
// index, or -1 for any other combination.
int moveObjectUp(Object *object);
int moveObjectDown(Object *object);

} // namespace velmo
