// Moving an object of the menu tree within its parent's list.
#include "model/listmoves.h"

#include "model/qcategory.h"
#include "model/qclassification.h"
#include "model/qcontentgroup.h"
#include "model/qpage.h"

namespace velmo {

namespace {

enum class Direction { Up, Down };

template<class T>
int moveIn(QObjectListOf<T> &list, QObject *object, Direction direction)
{
    const int index = list.indexOfObject(object);
    if (index < 0)
        return -1;
    return direction == Direction::Up ? moveUpWrapping(list, index) : moveDownWrapping(list, index);
}

int moveObject(QObject *object, Direction direction)
{
    if (object == nullptr)
        return -1;
    QObject *up = object->parent();
    if (object_cast<QCategory>(object) != nullptr) {
        if (auto *category = object_cast<QCategory>(up))
            return moveIn(category->categories, object, direction);
        if (auto *classification = object_cast<QClassification>(up))
            return moveIn(classification->categories, object, direction);
    } else if (object_cast<QPage>(object) != nullptr) {
        if (auto *category = object_cast<QCategory>(up))
            return moveIn(category->pages, object, direction);
    } else if (object_cast<QContentGroup>(object) != nullptr) {
        if (auto *page = object_cast<QPage>(up))
            return moveIn(page->contentGroups, object, direction);
        if (auto *group = object_cast<QContentGroup>(up))
            return moveIn(group->subGroups, object, direction);
    }
    return -1;
}

} // namespace

int moveObjectUp(QObject *object)
{
    return moveObject(object, Direction::Up);
}

int moveObjectDown(QObject *object)
{
    return moveObject(object, Direction::Down);
}

} // namespace velmo
