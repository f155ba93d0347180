// Page, one HTML page of a site, holding its content groups and conditions.
#pragma once

#include "model/object.h"
#include "model/objectlist.h"

namespace velmo {

class Page : public Object
{
public:
    static constexpr qint32 kClassCode = kClassPage;
    // Bit of outputFlags: the page is the home page while a page of its site is generated.
    static constexpr qint32 kOutputHomePage = 0x1;

    Page();
    ~Page() override;

    int storeBody(Archive &ar) const override;
    int loadBody(Archive &ar) override;
    int getTreeIcon(int which) const override;
    int removeChild(Object *child) override;
    bool forEachChild(Children which, ObjectVisitor visit) override;
    void clearOutputMarks() override;
    int outputThroughSite(OutputContext &context, QString &path, ObjectChain &chain) override;

    void copyFrom(const Page &other);

    // Detaches one of this page's content groups (the very object, found by identity) without
    // destroying it; returns the remaining count, or -1 when it is not one of them.
    int removeContentGroup(Object *group);

    ContentGroupList contentGroups;
    QString title;
    QString summary;
    QString keywords;
    QString templateName;
    // Output file name without ".html".
    QString fileName;
    ConditionList conditions;

    // Set by the generator for one run; never stored.
    qint32 outputFlags = 0;
    // Content groups the plug-in merge added for one run, removed again afterwards.
    QList<ObjectId> temporaryGroups;
};

} // namespace velmo
