// QID and the sequence counter.
#include "model/qid.h"

#include "model/clock.h"
#include "model/qarchive.h"

namespace velmo {

qint32 sequenceCounter = 0;

qint32 takeSequenceNumber()
{
    const qint32 value = sequenceCounter;
    sequenceCounter = static_cast<qint32>(static_cast<quint32>(value) + 1u);
    return value;
}

QID QID::fresh()
{
    // Only the low 32 bits of the clock are kept, as in the file.
    const auto now = static_cast<qint32>(static_cast<quint32>(currentTime() & 0xFFFFFFFF));
    return QID(now, takeSequenceNumber());
}

QString QID::ToText() const
{
    return QString::number(time) + u'_' + QString::number(seq);
}

int QID::Store(QArchive &ar) const
{
    if (!ar.IsStoring())
        return 0;
    ar.writeTag(tags::QID);
    ar.writeInt32(time);
    ar.writeInt32(seq);
    return 1;
}

int QID::Load(QArchive &ar)
{
    if (!ar.IsLoading())
        return 0;
    ar.readTag({tags::QID});
    time = ar.readInt32();
    seq = ar.readInt32();
    return 1;
}

} // namespace velmo
