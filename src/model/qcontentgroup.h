// QContentGroup, one block of a page shown through its own template, holding parts and
// nested groups; also a content type in the document's catalogue.
#pragma once

#include "model/qobject.h"
#include "model/qobjectlist.h"

namespace velmo {

class QContent;

class QContentGroup : public QObject
{
public:
    static constexpr qint32 kClassCode = kClassContentGroup;
    static constexpr qint32 kKindBuiltInText = qint32(0x80001000u);
    static constexpr qint32 kKindDefault = qint32(0x80002000u);
    static constexpr qint32 kKindOther = qint32(0x80004000u);
    static constexpr qint32 kKindPlugin = qint32(0x80008000u);

    QContentGroup();
    ~QContentGroup() override;

    int StoreBody(QArchive &ar) const override;
    int LoadBody(QArchive &ar) override;
    int GetTreeIcon(int which) const override;
    int RemoveChild(QObject *child) override;
    int AddToTree(TreeItemHandle parentItem, QTreeSink &tree, QList<TreeItemHandle> *inserted,
                  bool restoreState) override;
    void ClearOutputMarks() override;
    QObject *FindById(const QID &target) override;
    int OutputThroughSite(OutputContext &context, QString &path, ObjectChain &chain) override;

    void CopyFrom(const QContentGroup &other);

    // Appends a content with this group as owner; returns the new count.
    int AddContent(QContent *content);

    qint32 kind = kKindDefault;
    QContentGroupList subGroups;
    QContentList contents;
    // A second owned list of groups: copied and re-identified with the group, but neither
    // shown in the tree nor searched.
    QContentGroupList relatedGroups;
    QString templateName;
    qint32 groupOption = 0;
};

} // namespace velmo
