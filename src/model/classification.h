// Classification, one of a site's top-level menu hierarchies ("メニュー", "プラグイン", "データ").
#pragma once

#include "model/object.h"
#include "model/objectlist.h"

namespace velmo {

class Classification : public Object
{
public:
    static constexpr qint32 kClassCode = kClassClassification;
    static constexpr qint32 kKindDefault = 0x10000000;
    static constexpr qint32 kKindMenu = 0x10200000;
    static constexpr qint32 kKindPlugin = 0x10400000;
    static constexpr qint32 kKindData = 0x10800000;

    Classification();
    ~Classification() override;

    int storeBody(Archive &ar) const override;
    int loadBody(Archive &ar) override;
    int getTreeIcon(int which) const override;
    int removeChild(Object *child) override;
    bool forEachChild(Children which, ObjectVisitor visit) override;
    int outputThroughSite(OutputContext &context, QString &path, ObjectChain &chain) override;

    void copyFrom(const Classification &other);

    qint32 kind = kKindDefault;
    CategoryList categories;
    // Pages placed directly under the hierarchy (the plug-in pages).
    PageList pages;
};

} // namespace velmo
