// QCondition, a condition attached to a page. Nothing interprets it: the model stores,
// copies and re-identifies it.
#pragma once

#include "model/qobject.h"

namespace velmo {

class QCondition : public QObject
{
public:
    static constexpr qint32 kClassCode = kClassCondition;

    QCondition();
    ~QCondition() override;

    int StoreBody(QArchive &ar) const override;
    int LoadBody(QArchive &ar) override;

    void CopyFrom(const QCondition &other);

    QList<QID> targets;
    qint32 mode = 0;
    QID reference;
    QString firstText;
    QString secondText;
};

} // namespace velmo
