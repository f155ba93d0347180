// QCondition: a stored page condition.
#include "model/qcondition.h"

#include "model/qarchive.h"

namespace velmo {

QCondition::QCondition() : reference(QID::fresh())
{
    typeCode = kClassCode;
}

QCondition::~QCondition() = default;

int QCondition::StoreBody(QArchive &ar) const
{
    ar.writeTag(tags::Condition);
    ar.writeInt32(qint32(targets.size()));
    int ok = 1;
    for (const QID &target : targets)
        ok &= target.Store(ar);
    ar.writeInt32(mode);
    ok &= reference.Store(ar);
    ar.writeString(firstText);
    ar.writeString(secondText);
    return ok;
}

int QCondition::LoadBody(QArchive &ar)
{
    ar.readTag({tags::Condition});
    const qint32 n = ar.readInt32();
    ar.checkCount(n, QArchive::kMinQidRecordBytes, u"条件の対象");
    targets.clear();
    int ok = 1;
    for (qint32 i = 0; i < n; ++i) {
        // Each target is read into a new identity, which takes a counter value.
        QID target = QID::fresh();
        ok &= target.Load(ar);
        targets.append(target);
    }
    mode = ar.readInt32();
    ok &= reference.Load(ar);
    firstText = ar.readString();
    secondText = ar.readString();
    return ok;
}

void QCondition::CopyFrom(const QCondition &other)
{
    QObject::CopyFrom(other);
    targets = other.targets;
    mode = other.mode;
    reference = other.reference;
    firstText = other.firstText;
    secondText = other.secondText;
}

} // namespace velmo
