// QPage, one HTML page of a site, holding its content groups and conditions.
#pragma once

#include "model/qobject.h"
#include "model/qobjectlist.h"

namespace velmo {

class QPage : public QObject
{
public:
    static constexpr qint32 kClassCode = kClassPage;
    // Bit of outputFlags: the page is the home page while a page of its site is generated.
    static constexpr qint32 kOutputHomePage = 0x1;

    QPage();
    ~QPage() override;

    int StoreBody(QArchive &ar) const override;
    int LoadBody(QArchive &ar) override;
    int GetTreeIcon(int which) const override;
    int RemoveChild(QObject *child) override;
    int AddToTree(TreeItemHandle parentItem, QTreeSink &tree, QList<TreeItemHandle> *inserted,
                  bool restoreState) override;
    void ClearOutputMarks() override;
    QObject *FindById(const QID &target) override;
    int OutputThroughSite(OutputContext &context, QString &path, ObjectChain &chain) override;

    void CopyFrom(const QPage &other);

    // Detaches one of this page's content groups (the very object, found by identity) without
    // destroying it; returns the remaining count, or -1 when it is not one of them.
    int RemoveContentGroup(QObject *group);

    QContentGroupList contentGroups;
    QString title;
    QString summary;
    QString keywords;
    QString templateName;
    // Output file name without ".html".
    QString fileName;
    QConditionList conditions;

    // Set by the generator for one run; never stored.
    qint32 outputFlags = 0;
    // Content groups the plug-in merge added for one run, removed again afterwards.
    QList<QID> temporaryGroups;
};

} // namespace velmo
