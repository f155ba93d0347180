// ContentGroup, one block of a page shown through its own template, holding parts and
// nested groups; also a content type in the document's catalogue.
#pragma once

#include "model/object.h"
#include "model/objectlist.h"

namespace velmo {

class Content;

class ContentGroup : public Object
{
public:
    static constexpr qint32 kClassCode = kClassContentGroup;
    static constexpr qint32 kKindBuiltInText = qint32(0x80001000u);
    static constexpr qint32 kKindDefault = qint32(0x80002000u);
    static constexpr qint32 kKindOther = qint32(0x80004000u);
    static constexpr qint32 kKindPlugin = qint32(0x80008000u);

    ContentGroup();
    ~ContentGroup() override;

    int storeBody(Archive &ar) const override;
    int loadBody(Archive &ar) override;
    int getTreeIcon(int which) const override;
    int removeChild(Object *child) override;
    bool forEachChild(Children which, ObjectVisitor visit) override;
    int outputThroughSite(OutputContext &context, QString &path, ObjectChain &chain) override;

    void copyFrom(const ContentGroup &other);

    // Appends a content with this group as owner; returns the new count.
    int addContent(Content *content);

    qint32 kind = kKindDefault;
    ContentGroupList subGroups;
    ContentList contents;
    // A second owned list of groups: copied and re-identified with the group, but neither
    // shown in the tree nor searched.
    ContentGroupList relatedGroups;
    QString templateName;
    qint32 groupOption = 0;
};

} // namespace velmo
