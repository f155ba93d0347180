// velmo::Object, the base of every document object: identity, class code, parent link, times,
// name and memo, view state, the fixed order of virtual operations and the common record.
#pragma once

#include "model/objectid.h"
#include "model/outputcontext.h"
#include "model/treesink.h"

#include <QList>
#include <QString>

namespace velmo {

class Archive;

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
    virtual int addToTree(TreeItemHandle parentItem, TreeSink &tree,
                          QList<TreeItemHandle> *inserted, bool restoreState);
    virtual void clearOutputMarks();
    virtual int store(Archive &ar) const;
    virtual int load(Archive &ar);
    // Added by the classes with children. The base finds nothing and stops every walk.
    virtual Object *findById(const ObjectId &id);
    virtual int outputThroughSite(OutputContext &context, QString &path, ObjectChain &chain);

    ObjectId getId() const { return id; }
    Object *parent() const { return m_parent; }
    // Sets parent and makes parentId follow it (time 0 / seq 0 without a parent).
    void setParent(Object *newParent);
    // Copies the common fields, view state and parent of another object.
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

    // View state, never stored.
    qint32 listItemState = 0;
    TreeItemHandle treeItem = 0;
    qint32 treeItemState = 0;
    qint32 treeCheckState = 0;

    // Set on every object of the chain of the page being generated, cleared before the next
    // page. Only the classes that have children or are generated use it.
    qint32 outputMark = 0;

protected:
    // The shared part of addToTree: inserts this object's item and restores its state.
    TreeItemHandle insertTreeItem(TreeItemHandle parentItem, TreeSink &tree,
                                  QList<TreeItemHandle> *inserted, bool restoreState);
    // Expands an item that was inserted at the root, after its children are in.
    static void finishTreeItem(TreeItemHandle parentItem, TreeItemHandle item, TreeSink &tree);

private:
    Object *m_parent = nullptr;
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

} // namespace velmo
