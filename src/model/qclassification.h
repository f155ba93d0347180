// QClassification, one of a site's top-level menu hierarchies ("メニュー", "プラグイン", "データ").
#pragma once

#include "model/qobject.h"
#include "model/qobjectlist.h"

namespace velmo {

class QClassification : public QObject
{
public:
    static constexpr qint32 kClassCode = kClassClassification;
    static constexpr qint32 kKindDefault = 0x10000000;
    static constexpr qint32 kKindMenu = 0x10200000;
    static constexpr qint32 kKindPlugin = 0x10400000;
    static constexpr qint32 kKindData = 0x10800000;

    QClassification();
    ~QClassification() override;

    int StoreBody(QArchive &ar) const override;
    int LoadBody(QArchive &ar) override;
    int GetTreeIcon(int which) const override;
    int RemoveChild(QObject *child) override;
    int AddToTree(TreeItemHandle parentItem, QTreeSink &tree, QList<TreeItemHandle> *inserted,
                  bool restoreState) override;
    void ClearOutputMarks() override;
    QObject *FindById(const QID &target) override;
    int OutputThroughSite(OutputContext &context, QString &path, ObjectChain &chain) override;

    void CopyFrom(const QClassification &other);

    qint32 kind = kKindDefault;
    QCategoryList categories;
    // Pages placed directly under the hierarchy (the plug-in pages).
    QPageList pages;
};

} // namespace velmo
