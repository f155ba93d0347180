// ObjectId, the identity of every document object, and the sequence counter that numbers
// identities within one run.
#pragma once

#include <QHashFunctions>
#include <QString>
#include <QtGlobal>

namespace velmo {

class Archive;

// Counts the identities made in this run. Each Document holds its own, starting at 0 and never
// stored; identities come from the counter of the newest document that still exists (a document
// read into for an Open is made while the open one lives, and must not restart its count), or
// from a counter of the program's own while there is none.
qint32 &sequenceCounter();

// Returns the counter's current value and advances it. Wraps instead of overflowing.
qint32 takeSequenceNumber();

// Makes counter the one identities come from while this object lives (what a Document does).
class SequenceCounterScope
{
public:
    explicit SequenceCounterScope(qint32 &counter);
    ~SequenceCounterScope();
    SequenceCounterScope(const SequenceCounterScope &) = delete;
    SequenceCounterScope &operator=(const SequenceCounterScope &) = delete;

private:
    qint32 &m_counter;
};

class ObjectId
{
public:
    constexpr ObjectId() = default;
    constexpr ObjectId(qint32 t, qint32 s) : time(t), seq(s) {}

    // A new identity: the current second and the next counter value.
    static ObjectId fresh();
    // The same with the clock read by the caller (seconds since the epoch).
    static ObjectId fresh(qint64 now);

    bool isNull() const { return time == 0 && seq == 0; }
    QString toText() const;

    int store(Archive &ar) const;
    int load(Archive &ar);

    friend constexpr bool operator==(const ObjectId &, const ObjectId &) = default;

    qint32 time = 0;
    qint32 seq = 0;
};

inline size_t qHash(const ObjectId &id, size_t seed = 0) noexcept
{
    return ::qHashMulti(seed, id.time, id.seq);
}

} // namespace velmo
