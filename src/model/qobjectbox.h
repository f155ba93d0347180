// QObjectBox, a site's temporary storage area ("オブジェクトボックス"): deleted categories,
// pages and content groups wait here, saved with the document, until they are placed again.
#pragma once

#include "model/qobject.h"
#include "model/qobjectlist.h"

namespace velmo {

class QObjectBox : public QObject
{
public:
    static constexpr qint32 kClassCode = kClassObjectBox;

    QObjectBox();
    ~QObjectBox() override;

    void ClearContents() override;
    int StoreBody(QArchive &ar) const override;
    int LoadBody(QArchive &ar) override;
    int GetTreeIcon(int which) const override;
    int RemoveChild(QObject *child) override;
    int AddToTree(TreeItemHandle parentItem, QTreeSink &tree, QList<TreeItemHandle> *inserted,
                  bool restoreState) override;
    void ClearOutputMarks() override;
    QObject *FindById(const QID &target) override;

    // Copies the box and deep copies of its elements.
    void CopyFrom(const QObjectBox &other);

    // Takes ownership of object; returns the new count.
    int PutInBox(QObject *object);

    QObjectList items;
};

} // namespace velmo
