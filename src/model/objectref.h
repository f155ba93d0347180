// ObjectRef, a reference to a document object that turns null when the object is destroyed, for
// whatever holds on to an object across user actions (tree items, drags, the selection).
#pragma once

#include <memory>

#include "model/object.h"

namespace velmo {

class ObjectRef
{
public:
    ObjectRef() = default;
    explicit ObjectRef(Object *object);

    // The object while it exists, else null.
    Object *get() const { return m_anchor != nullptr ? m_anchor->object : nullptr; }
    // The object as class T while it exists and is one, else null.
    template<class T>
    T *as() const
    {
        return object_cast<T>(get());
    }
    bool isNull() const { return get() == nullptr; }
    explicit operator bool() const { return !isNull(); }
    void reset() { m_anchor.reset(); }

    // Same object, or both null; a destroyed object equals nothing but null.
    friend bool operator==(const ObjectRef &a, const ObjectRef &b) { return a.get() == b.get(); }
    friend bool operator==(const ObjectRef &a, const Object *b) { return a.get() == b; }

private:
    std::shared_ptr<const ObjectAnchor> m_anchor;
};

} // namespace velmo
