// Moving an object of the menu tree within its parent's list.
#include "model/listmoves.h"

#include "model/category.h"
#include "model/classification.h"
#include "model/contentgroup.h"
#include "model/page.h"

namespace velmo {

namespace {

enum class Direction { Up, Down };

template<class T>
int moveIn(ObjectListOf<T> &list, Object *object, Direction direction)
{
    const int index = list.indexOfObject(object);
    if (index < 0)
        return -1;
    return direction == Direction::Up ? moveUpWrapping(list, index) : moveDownWrapping(list, index);
}

int moveObject(Object *object, Direction direction)
{
    if (object == nullptr)
        return -1;
    Object *up = object->parent();
    if (object_cast<Category>(object) != nullptr) {
        if (auto *category = object_cast<Category>(up))
            return moveIn(category->categories, object, direction);
        if (auto *classification = object_cast<Classification>(up))
            return moveIn(classification->categories, object, direction);
    } else if (object_cast<Page>(object) != nullptr) {
        if (auto *category = object_cast<Category>(up))
            return moveIn(category->pages, object, direction);
    } else if (object_cast<ContentGroup>(object) != nullptr) {
        if (auto *page = object_cast<Page>(up))
            return moveIn(page->contentGroups, object, direction);
        if (auto *group = object_cast<ContentGroup>(up))
            return moveIn(group->subGroups, object, direction);
    }
    return -1;
}

} // namespace

int moveObjectUp(Object *object)
{
    return moveObject(object, Direction::Up);
}

int moveObjectDown(Object *object)
{
    return moveObject(object, Direction::Down);
}

} // namespace velmo
