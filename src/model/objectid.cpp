// ObjectId and the sequence counter.
#include "model/objectid.h"

#include <algorithm>
#include <vector>

#include "model/archive.h"
#include "model/clock.h"

namespace velmo {

namespace {

qint32 g_programCounter = 0;
// The counters in use, newest last. Documents usually go in the reverse order they came, but
// nothing relies on it.
std::vector<qint32 *> g_counters;

} // namespace

SequenceCounterScope::SequenceCounterScope(qint32 &counter) : m_counter(counter)
{
    g_counters.push_back(&counter);
}

SequenceCounterScope::~SequenceCounterScope()
{
    const auto it = std::find(g_counters.rbegin(), g_counters.rend(), &m_counter);
    if (it != g_counters.rend())
        g_counters.erase(std::next(it).base());
}

qint32 &sequenceCounter()
{
    return g_counters.empty() ? g_programCounter : *g_counters.back();
}

qint32 takeSequenceNumber()
{
    qint32 &counter = sequenceCounter();
    const qint32 value = counter;
    counter = static_cast<qint32>(static_cast<quint32>(value) + 1u);
    return value;
}

ObjectId ObjectId::fresh()
{
    return fresh(currentTime());
}

ObjectId ObjectId::fresh(qint64 now)
{
    // Only the low 32 bits of the clock are kept, as in the file.
    return ObjectId(static_cast<qint32>(static_cast<quint32>(now & 0xFFFFFFFF)),
                    takeSequenceNumber());
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
