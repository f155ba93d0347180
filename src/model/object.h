// velmo::Object, the base of every document object: identity, class code, parent link, times,
// name and memo, the fixed order of virtual operations and the common record.
#pragma once

#include <memory>
#include <type_traits>

#include <QList>
#include <QString>

#include "model/objectid.h"
#include "model/outputcontext.h"

namespace velmo {

class Archive;
class Object;

// Which of an object's children a walk goes through.
enum class Children {
    // The menu hierarchy that output and lookups follow: hierarchies, their categories,
    // categories' pages and sub-categories, pages' content groups, groups' sub-groups and
    // contents, and what a storage box holds.
    Hierarchy,
    // Everything the object owns: the hierarchy plus genres, the storage box, a hierarchy's
    // own pages, conditions and related groups.
    Owned,
    // What the navigation tree shows below the object, in its order: a site's first two
    // hierarchies, a hierarchy's categories then its pages, a category's pages then its
    // sub-categories, a page's content groups, a group's contents then its sub-groups, and the
    // categories, pages and groups a storage box holds.
    Shown,
};

// A callable taking Object * and returning false to stop a walk, passed without copying or
// allocating: walks run over every object of large documents.
class ObjectVisitor
{
public:
    template<class F>
    requires(!std::is_same_v<std::remove_cvref_t<F>, ObjectVisitor> &&
             std::is_invocable_r_v<bool, F &, Object *>)
        ObjectVisitor(F &&callable) // NOLINT: implicit, as for a lambda argument
        : m_callable(const_cast<void *>(static_cast<const void *>(std::addressof(callable)))),
          m_call([](void *c, Object *object) -> bool {
              return (*static_cast<std::remove_reference_t<F> *>(c))(object);
          })
    {}

    bool operator()(Object *object) const { return m_call(m_callable, object); }

private:
    void *m_callable;
    bool (*m_call)(void *, Object *);
};

// Shared by an object and the references to it; the object clears it when it is destroyed.
struct ObjectAnchor
{
    Object *object = nullptr;
};

// Class codes, stored in every object record.
enum ClassCode : qint32 {
    kClassSite = 10,
    kClassClassification = 20,
    kClassCategory = 30,
    kClassPage = 40,
    kClassContentGroup = 100,
    kClassContent = 200,
    kClassCondition = 1000,
    kClassGenre = 2000,
    kClassObjectBox = 10000,
    // Accepted by the record reader and writer, but no class uses it.
    kClassUnused = 20000,
};

bool isAcceptedClassCode(qint32 code);

class Object
{
public:
    static constexpr qint32 kClassCode = 0;

    Object();
    Object(const Object &) = delete;
    Object &operator=(const Object &) = delete;

    // The virtual operations, in their fixed order.
    virtual void clearContents();
    virtual int storeBody(Archive &ar) const;
    virtual int loadBody(Archive &ar);
    virtual ~Object();
    // which: 0 normal image, 1 selected image (no class tells them apart).
    virtual int getTreeIcon(int which) const;
    virtual int removeChild(Object *child);
    // Clears the output mark of this object and of its hierarchy below.
    virtual void clearOutputMarks();
    virtual int store(Archive &ar) const;
    virtual int load(Archive &ar);
    virtual int outputThroughSite(OutputContext &context, QString &path, ObjectChain &chain);
    // Calls visit for each child of the kind asked for, in list order, until it returns
    // false; false when it was stopped. Only the classes with children add any.
    virtual bool forEachChild(Children which, ObjectVisitor visit);

    // This object and everything below it, depth first in list order (each object before its
    // children), until visit returns false; false when it was stopped. Deep documents do not
    // deepen the call stack.
    bool forEachBelow(Children which, ObjectVisitor visit);
    // The first object of the hierarchy at or below this one with identity id, else null.
    Object *findById(const ObjectId &id);

    ObjectId getId() const { return id; }
    Object *parent() const { return m_parent; }
    // Sets parent and makes parentId follow it (time 0 / seq 0 without a parent).
    void setParent(Object *newParent);
    // Copies the common fields and the parent of another object.
    void copyFrom(const Object &other);

    ObjectId id;
    qint32 typeCode = 0;
    qint32 reservedValue = 0;
    ObjectId parentId;
    qint32 enabled = 1;
    qint64 createdTime = 0;
    qint64 updatedTime = 0;
    QString name;
    QString memo;

    // Set on every object of the chain of the page being generated, cleared before the next
    // page. Only the classes that have children or are generated use it.
    qint32 outputMark = 0;

private:
    friend class ObjectRef;

    Object *m_parent = nullptr;
    // Made when the first reference to this object is taken.
    std::shared_ptr<ObjectAnchor> m_anchor;
};

// The object as class T when its class code says T and it really is one; null otherwise.
// Class codes come from files, so code that narrows an object goes through this.
template<class T>
T *object_cast(Object *object)
{
    if (object == nullptr || object->typeCode != T::kClassCode)
        return nullptr;
    return dynamic_cast<T *>(object);
}

template<class T>
const T *object_cast(const Object *object)
{
    if (object == nullptr || object->typeCode != T::kClassCode)
        return nullptr;
    return dynamic_cast<const T *>(object);
}

// The nearest object of class T at or above object (object itself included), else null.
template<class T>
T *ancestorOf(Object *object)
{
    for (; object != nullptr; object = object->parent()) {
        if (T *found = object_cast<T>(object))
            return found;
    }
    return nullptr;
}

template<class T>
const T *ancestorOf(const Object *object)
{
    return ancestorOf<T>(const_cast<Object *>(object));
}

// True when ancestor is object itself or one of its parents.
bool isAncestorOrSelf(const Object *ancestor, const Object *object);

} // namespace velmo
