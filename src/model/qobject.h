// velmo::QObject, the base of every document object: identity, class code, parent link, times,
// name and memo, view state, the fixed order of virtual operations and the common record.
#pragma once

#include "model/qid.h"
#include "model/qoutputcontext.h"
#include "model/qtreesink.h"

#include <QList>
#include <QString>

namespace velmo {

class QArchive;

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

class QObject
{
public:
    static constexpr qint32 kClassCode = 0;

    QObject();
    QObject(const QObject &) = delete;
    QObject &operator=(const QObject &) = delete;

    // The virtual operations, in their fixed order.
    virtual void ClearContents();
    virtual int StoreBody(QArchive &ar) const;
    virtual int LoadBody(QArchive &ar);
    virtual ~QObject();
    // which: 0 normal image, 1 selected image (no class tells them apart).
    virtual int GetTreeIcon(int which) const;
    virtual int RemoveChild(QObject *child);
    virtual int AddToTree(TreeItemHandle parentItem, QTreeSink &tree,
                          QList<TreeItemHandle> *inserted, bool restoreState);
    virtual void ClearOutputMarks();
    virtual int Store(QArchive &ar) const;
    virtual int Load(QArchive &ar);
    // Added by the classes with children. The base finds nothing and stops every walk.
    virtual QObject *FindById(const QID &id);
    virtual int OutputThroughSite(OutputContext &context, QString &path, ObjectChain &chain);

    QID GetId() const { return id; }
    QObject *parent() const { return m_parent; }
    // Sets parent and makes parentId follow it (time 0 / seq 0 without a parent).
    void SetParent(QObject *newParent);
    // Copies the common fields, view state and parent of another object.
    void CopyFrom(const QObject &other);

    QID id;
    qint32 typeCode = 0;
    qint32 reservedValue = 0;
    QID parentId;
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
    // The shared part of AddToTree: inserts this object's item and restores its state.
    TreeItemHandle insertTreeItem(TreeItemHandle parentItem, QTreeSink &tree,
                                  QList<TreeItemHandle> *inserted, bool restoreState);
    // Expands an item that was inserted at the root, after its children are in.
    static void finishTreeItem(TreeItemHandle parentItem, TreeItemHandle item, QTreeSink &tree);

private:
    QObject *m_parent = nullptr;
};

// The object as class T when its class code says T and it really is one; null otherwise.
// Class codes come from files, so code that narrows an object goes through this.
template<class T>
T *object_cast(QObject *object)
{
    if (object == nullptr || object->typeCode != T::kClassCode)
        return nullptr;
    return dynamic_cast<T *>(object);
}

template<class T>
const T *object_cast(const QObject *object)
{
    if (object == nullptr || object->typeCode != T::kClassCode)
        return nullptr;
    return dynamic_cast<const T *>(object);
}

} // namespace velmo
