// ObjectBox, a site's temporary storage area ("オブジェクトボックス"): deleted categories,
// pages and content groups wait here, saved with the document, until they are placed again.
#pragma once

#include "model/object.h"
#include "model/objectlist.h"

namespace velmo {

class ObjectBox : public Object
{
public:
    static constexpr qint32 kClassCode = kClassObjectBox;

    ObjectBox();
    ~ObjectBox() override;

    void clearContents() override;
    int storeBody(Archive &ar) const override;
    int loadBody(Archive &ar) override;
    int getTreeIcon(int which) const override;
    int removeChild(Object *child) override;
    bool forEachChild(Children which, ObjectVisitor visit) override;
    void clearOutputMarks() override;

    // Copies the box and deep copies of its elements.
    void copyFrom(const ObjectBox &other);

    // Takes ownership of object; returns the new count.
    int putInBox(Object *object);

    ObjectList items;
};

} // namespace velmo
