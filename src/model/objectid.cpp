// ObjectId and the sequence counter.
#include "model/objectid.h"

#include "model/archive.h"
#include "model/clock.h"

namespace velmo {

qint32 sequenceCounter = 0;

qint32 takeSequenceNumber()
{
    const qint32 value = sequenceCounter;
    sequenceCounter = static_cast<qint32>(static_cast<quint32>(value) + 1u);
    return value;
}

ObjectId ObjectId::fresh()
{
    // Only the low 32 bits of the clock are kept, as in the file.
    const auto now = static_cast<qint32>(static_cast<quint32>(currentTime() & 0xFFFFFFFF));
    return ObjectId(now, takeSequenceNumber());
}

QString ObjectId::toText() const
{
    return QString::number(time) + u'_' + QString::number(seq);
}

int ObjectId::store(Archive &ar) const
{
    if (!ar.isStoring())
        return 0;
    ar.writeTag(tags::ObjectId);
    ar.writeInt32(time);
    ar.writeInt32(seq);
    return 1;
}

int ObjectId::load(Archive &ar)
{
    if (!ar.isLoading())
        return 0;
    ar.readTag({tags::ObjectId});
    time = ar.readInt32();
    seq = ar.readInt32();
    return 1;
}

} // namespace velmo
