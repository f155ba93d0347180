// Condition: a stored page condition.
#include "model/condition.h"

#include "model/archive.h"

namespace velmo {

Condition::Condition() : reference(ObjectId::fresh())
{
    typeCode = kClassCode;
}

Condition::~Condition() = default;

int Condition::storeBody(Archive &ar) const
{
    ar.writeTag(tags::Condition);
    ar.writeInt32(qint32(targets.size()));
    int ok = 1;
    for (const ObjectId &target : targets)
        ok &= target.store(ar);
    ar.writeInt32(mode);
    ok &= reference.store(ar);
    ar.writeString(firstText);
    ar.writeString(secondText);
    return ok;
}

int Condition::loadBody(Archive &ar)
{
    ar.readTag({tags::Condition});
    const qint32 n = ar.readInt32();
    ar.checkCount(n, Archive::kMinQidRecordBytes, u"条件の対象");
    targets.clear();
    int ok = 1;
    for (qint32 i = 0; i < n; ++i) {
        // Each target is read into a new identity, which takes a counter value.
        ObjectId target = ObjectId::fresh();
        ok &= target.load(ar);
        targets.append(target);
    }
    mode = ar.readInt32();
    ok &= reference.load(ar);
    firstText = ar.readString();
    secondText = ar.readString();
    return ok;
}

void Condition::copyFrom(const Condition &other)
{
    Object::copyFrom(other);
    targets = other.targets;
    mode = other.mode;
    reference = other.reference;
    firstText = other.firstText;
    secondText = other.secondText;
}

} // namespace velmo
