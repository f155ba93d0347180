// The owning, ordered object lists of the document (SiteList … GenreList, and the untyped
// ObjectList), with their record in the file.
#pragma once

#include <algorithm>
#include <memory>
#include <vector>

#include "model/archive.h"
#include "model/object.h"
#include "model/objectid.h"

namespace velmo {

class Object;

// One list behaviour for every element class. A list owns its elements: Clear and the
// destructor destroy them, removeAt and Release hand them back without destroying them.
template<class T>
class ObjectListOf
{
public:
    using Element = T;

    ObjectListOf() = default;
    ~ObjectListOf() { clear(); }
    ObjectListOf(const ObjectListOf &) = delete;
    ObjectListOf &operator=(const ObjectListOf &) = delete;

    int count() const { return int(m_items.size()); }
    bool isEmpty() const { return m_items.empty(); }
    // Null when the index is out of range.
    T *at(int index) const
    {
        return index >= 0 && index < count() ? m_items[size_t(index)] : nullptr;
    }
    T *first() const { return at(0); }
    T *last() const { return at(count() - 1); }
    auto begin() const { return m_items.begin(); }
    auto end() const { return m_items.end(); }

    // Puts element under owner (null for the root's lists) and appends it.
    int add(T *element, Object *owner)
    {
        element->setParent(owner);
        m_items.push_back(element);
        return count();
    }

    // Detaches the element without destroying it; returns the new count, or -1 when the
    // index is out of range.
    int removeAt(int index)
    {
        T *element = at(index);
        if (element == nullptr)
            return -1;
        element->setParent(nullptr);
        m_items.erase(m_items.begin() + index);
        return count();
    }

    // First index whose element has this identity, or -1.
    int indexOf(const ObjectId &id) const
    {
        for (size_t i = 0; i < m_items.size(); ++i) {
            if (m_items[i]->id == id)
                return int(i);
        }
        return -1;
    }

    // First element with this identity, or null.
    T *findInList(const ObjectId &id) const { return at(indexOf(id)); }

    // Index of this very object, or -1.
    int indexOfObject(const Object *object) const
    {
        const auto it = std::find(m_items.begin(), m_items.end(), object);
        return it == m_items.end() ? -1 : int(it - m_items.begin());
    }

    // Detaches child when the element with child's identity is that very object (1), else 0.
    int removeObject(const Object *child)
    {
        const int index = indexOf(child->id);
        if (index < 0 || static_cast<const Object *>(at(index)) != child)
            return 0;
        removeAt(index);
        return 1;
    }

    // Calls visit for each element in order until it returns false; false when stopped.
    bool visitAll(ObjectVisitor visit) const
    {
        for (T *element : m_items) {
            if (!visit(element))
                return false;
        }
        return true;
    }

    // As visitAll, passing over elements whose class code (read from the file) is not code.
    bool visitOfClass(qint32 code, ObjectVisitor visit) const
    {
        for (T *element : m_items) {
            if (element->typeCode == code && !visit(element))
                return false;
        }
        return true;
    }

    // Destroys every element.
    void clear()
    {
        // Detach first so that a destructor never sees a half-emptied list.
        std::vector<T *> items;
        items.swap(m_items);
        for (T *element : items)
            delete element;
    }

    // Empties the list without destroying the elements (they change owner).
    void release() { m_items.clear(); }

    // Moves an entry within the list; the entry keeps its parent.
    T *takeAt(int index)
    {
        T *element = at(index);
        if (element != nullptr)
            m_items.erase(m_items.begin() + index);
        return element;
    }
    void insertAt(int index, T *element)
    {
        index = std::clamp(index, 0, count());
        m_items.insert(m_items.begin() + index, element);
    }
    // Appends without touching the element's parent.
    void appendRaw(T *element) { m_items.push_back(element); }

    // Replaces the content with copies of source's elements. Each copy keeps its source's
    // identity and takes the source element's parent: the children of a working copy keep
    // pointing at the object that was copied.
    void copyFrom(const ObjectListOf &source)
    {
        clear();
        for (const T *element : source) {
            auto copy = std::make_unique<T>();
            copy->copyFrom(*element);
            copy->setParent(element->parent());
            m_items.push_back(copy.release());
        }
    }

    int store(Archive &ar) const
    {
        if (!ar.isStoring())
            return 0;
        ar.writeTag(tags::ObjectList);
        ar.writeInt32(qint32(count()));
        for (const T *element : m_items)
            element->store(ar);
        return 1;
    }

    int load(Archive &ar, Object *owner)
    {
        if (!ar.isLoading())
            return 0;
        ar.readTag({tags::ObjectList});
        clear();
        const qint32 n = ar.readInt32();
        ar.checkCount(n, Archive::kMinObjectRecordBytes, u"オブジェクト");
        if (n > 0)
            m_items.reserve(size_t(n));
        for (qint32 i = 0; i < n; ++i) {
            auto element = std::make_unique<T>();
            element->load(ar);
            element->setParent(owner);
            m_items.push_back(element.release());
        }
        return 1;
    }

private:
    std::vector<T *> m_items;
};

class Site;
class Classification;
class Category;
class Page;
class ContentGroup;
class Content;
class Condition;
class Genre;

using SiteList = ObjectListOf<Site>;
using ClassificationList = ObjectListOf<Classification>;
using CategoryList = ObjectListOf<Category>;
using PageList = ObjectListOf<Page>;
using ContentGroupList = ObjectListOf<ContentGroup>;
using ContentList = ObjectListOf<Content>;
using ConditionList = ObjectListOf<Condition>;
using GenreList = ObjectListOf<Genre>;
using ObjectList = ObjectListOf<Object>;

} // namespace velmo
