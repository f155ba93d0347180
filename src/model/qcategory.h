// QCategory, a menu entry of a site: it holds pages and sub-categories and names an output
// folder; as a link menu it points at another object instead.
#pragma once

#include "model/qobject.h"
#include "model/qobjectlist.h"

namespace velmo {

class QCategory : public QObject
{
public:
    static constexpr qint32 kClassCode = kClassCategory;
    static constexpr qint32 kKindOrdinary = 0x20100000;
    static constexpr qint32 kKindLinkMenu = 0x20200000;

    QCategory();
    ~QCategory() override;

    int StoreBody(QArchive &ar) const override;
    int LoadBody(QArchive &ar) override;
    int GetTreeIcon(int which) const override;
    int RemoveChild(QObject *child) override;
    int AddToTree(TreeItemHandle parentItem, QTreeSink &tree, QList<TreeItemHandle> *inserted,
                  bool restoreState) override;
    void ClearOutputMarks() override;
    QObject *FindById(const QID &target) override;
    int OutputThroughSite(OutputContext &context, QString &path, ObjectChain &chain) override;

    void CopyFrom(const QCategory &other);

    // The link-menu check box: set gives a link menu, clear an ordinary category.
    void setLinkMenu(bool on) { kind = on ? kKindLinkMenu : kKindOrdinary; }
    bool isLinkMenu() const { return kind == kKindLinkMenu; }
    // The first category of the first hierarchy of the site above it.
    bool IsHomeCategory() const;

    qint32 kind = kKindOrdinary;
    QPageList pages;
    QCategoryList categories;
    QID linkTarget;
    QString linkTitle;
    QString folderName;
    // Relative link from the page last generated to this category's output folder.
    QString auxText;
};

} // namespace velmo
