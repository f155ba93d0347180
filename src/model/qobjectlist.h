// The owning, ordered object lists of the document (QSiteList … QGenreList, and the untyped
// QObjectList), with their record in the file.
#pragma once

#include "model/qarchive.h"
#include "model/qid.h"
#include "model/qobject.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace velmo {

class QObject;

// One list behaviour for every element class. A list owns its elements: Clear and the
// destructor destroy them, RemoveAt and Release hand them back without destroying them.
template<class T>
class QObjectListOf
{
public:
    using Element = T;

    QObjectListOf() = default;
    ~QObjectListOf() { Clear(); }
    QObjectListOf(const QObjectListOf &) = delete;
    QObjectListOf &operator=(const QObjectListOf &) = delete;

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
    int Add(T *element, QObject *owner)
    {
        element->SetParent(owner);
        m_items.push_back(element);
        return count();
    }

    // Detaches the element without destroying it; returns the new count, or -1 when the
    // index is out of range.
    int RemoveAt(int index)
    {
        T *element = at(index);
        if (element == nullptr)
            return -1;
        element->SetParent(nullptr);
        m_items.erase(m_items.begin() + index);
        return count();
    }

    // First index whose element has this identity, or -1.
    int IndexOf(const QID &id) const
    {
        for (size_t i = 0; i < m_items.size(); ++i) {
            if (m_items[i]->id == id)
                return int(i);
        }
        return -1;
    }

    // First element with this identity, or null.
    T *FindInList(const QID &id) const { return at(IndexOf(id)); }

    // Index of this very object, or -1.
    int indexOfObject(const QObject *object) const
    {
        const auto it = std::find(m_items.begin(), m_items.end(), object);
        return it == m_items.end() ? -1 : int(it - m_items.begin());
    }

    // Detaches child when the element with child's identity is that very object (1), else 0.
    int RemoveObject(const QObject *child)
    {
        const int index = IndexOf(child->id);
        if (index < 0 || static_cast<const QObject *>(at(index)) != child)
            return 0;
        RemoveAt(index);
        return 1;
    }

    // Destroys every element.
    void Clear()
    {
        // Detach first so that a destructor never sees a half-emptied list.
        std::vector<T *> items;
        items.swap(m_items);
        for (T *element : items)
            delete element;
    }

    // Empties the list without destroying the elements (they change owner).
    void Release() { m_items.clear(); }

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
    void CopyFrom(const QObjectListOf &source)
    {
        Clear();
        for (const T *element : source) {
            auto copy = std::make_unique<T>();
            copy->CopyFrom(*element);
            copy->SetParent(element->parent());
            m_items.push_back(copy.release());
        }
    }

    int Store(QArchive &ar) const
    {
        if (!ar.IsStoring())
            return 0;
        ar.writeTag(tags::ObjectList);
        ar.writeInt32(qint32(count()));
        for (const T *element : m_items)
            element->Store(ar);
        return 1;
    }

    int Load(QArchive &ar, QObject *owner)
    {
        if (!ar.IsLoading())
            return 0;
        ar.readTag({tags::ObjectList});
        Clear();
        const qint32 n = ar.readInt32();
        ar.checkCount(n, QArchive::kMinObjectRecordBytes, u"オブジェクト");
        if (n > 0)
            m_items.reserve(size_t(n));
        for (qint32 i = 0; i < n; ++i) {
            auto element = std::make_unique<T>();
            element->Load(ar);
            element->SetParent(owner);
            m_items.push_back(element.release());
        }
        return 1;
    }

private:
    std::vector<T *> m_items;
};

class QSite;
class QClassification;
class QCategory;
class QPage;
class QContentGroup;
class QContent;
class QCondition;
class QGenre;

using QSiteList = QObjectListOf<QSite>;
using QClassificationList = QObjectListOf<QClassification>;
using QCategoryList = QObjectListOf<QCategory>;
using QPageList = QObjectListOf<QPage>;
using QContentGroupList = QObjectListOf<QContentGroup>;
using QContentList = QObjectListOf<QContent>;
using QConditionList = QObjectListOf<QCondition>;
using QGenreList = QObjectListOf<QGenre>;
using QObjectList = QObjectListOf<QObject>;

} // namespace velmo
