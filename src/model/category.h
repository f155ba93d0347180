// Category, a menu entry of a site: it holds pages and sub-categories and names an output
// folder; as a link menu it points at another object instead.
#pragma once

#include "model/object.h"
#include "model/objectlist.h"

namespace velmo {

class Category : public Object
{
public:
    static constexpr qint32 kClassCode = kClassCategory;
    static constexpr qint32 kKindOrdinary = 0x20100000;
    static constexpr qint32 kKindLinkMenu = 0x20200000;

    Category();
    ~Category() override;

    int storeBody(Archive &ar) const override;
    int loadBody(Archive &ar) override;
    int getTreeIcon(int which) const override;
    int removeChild(Object *child) override;
    bool forEachChild(Children which, ObjectVisitor visit) override;
    int outputThroughSite(OutputContext &context, QString &path, ObjectChain &chain) override;

    void copyFrom(const Category &other);

    // The link-menu check box: set gives a link menu, clear an ordinary category.
    void setLinkMenu(bool on) { kind = on ? kKindLinkMenu : kKindOrdinary; }
    bool isLinkMenu() const { return kind == kKindLinkMenu; }
    // The first category of the first hierarchy of the site above it.
    bool isHomeCategory() const;

    qint32 kind = kKindOrdinary;
    PageList pages;
    CategoryList categories;
    ObjectId linkTarget;
    QString linkTitle;
    QString folderName;
    // Relative link from the page last generated to this category's output folder.
    QString auxText;
};

} // namespace velmo
