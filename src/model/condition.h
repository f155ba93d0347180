// Condition, a condition attached to a page. Nothing interprets it: the model stores,
// copies and re-identifies it.
#pragma once

#include "model/object.h"

namespace velmo {

class Condition : public Object
{
public:
    static constexpr qint32 kClassCode = kClassCondition;

    Condition();
    ~Condition() override;

    int storeBody(Archive &ar) const override;
    int loadBody(Archive &ar) override;

    void copyFrom(const Condition &other);

    QList<ObjectId> targets;
    qint32 mode = 0;
    ObjectId reference;
    QString firstText;
    QString secondText;
};

} // namespace velmo
