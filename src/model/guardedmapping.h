// A guard over a memory mapping of a file that another program may shorten while it is read:
// the part past the new end reads as zeros and the guard says it was cut short.
#pragma once

#include <QtGlobal>

namespace velmo {

class GuardedMapping
{
public:
    // Guards [data, data + size), a read-only mapping of a file that the caller made and
    // unmaps only after this guard is gone. Without the guard a read past the end of a
    // shortened file raises SIGBUS and kills the process; isValid() is false when the
    // process-wide table of guarded ranges is full, and the caller then reads the file instead.
    GuardedMapping(const uchar *data, qint64 size);
    ~GuardedMapping();
    GuardedMapping(const GuardedMapping &) = delete;
    GuardedMapping &operator=(const GuardedMapping &) = delete;

    bool isValid() const { return m_slot >= 0; }
    // True once a read went past the end of the file as it now is: from that page on the bytes
    // are zeros, not the file's.
    bool wasCutShort() const;

private:
    int m_slot = -1;
};

} // namespace velmo
