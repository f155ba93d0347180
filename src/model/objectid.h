// ObjectId, the identity of every document object, and the process-wide sequence counter that
// numbers identities within one run.
#pragma once

#include <QHashFunctions>
#include <QString>
#include <QtGlobal>

namespace velmo {

class Archive;

// Counts every identity made in this run. The root object resets it to 0; it is never stored.
extern qint32 sequenceCounter;

// Returns the counter's current value and advances it. Wraps instead of overflowing.
qint32 takeSequenceNumber();

class ObjectId
{
public:
    constexpr ObjectId() = default;
    constexpr ObjectId(qint32 t, qint32 s) : time(t), seq(s) {}

    // A new identity: the current second and the next counter value.
    static ObjectId fresh();

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
