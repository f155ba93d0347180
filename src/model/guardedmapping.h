// A read-only memory mapping of a file that another program may shorten while it is read: the
// part past the new end reads as zeros and the mapping says it was cut short.
#pragma once

#include <QByteArrayView>

namespace velmo {

class GuardedMapping
{
public:
    // Maps the first size bytes of the open file fd. Without the guard a read past the end of a
    // shortened file raises SIGBUS and kills the process; isValid() is false when the file
    // cannot be mapped or the process-wide table of guarded ranges is full, and the caller
    // then reads the file instead.
    GuardedMapping(int fd, qint64 size);
    ~GuardedMapping();
    GuardedMapping(const GuardedMapping &) = delete;
    GuardedMapping &operator=(const GuardedMapping &) = delete;

    bool isValid() const { return m_slot >= 0; }
    QByteArrayView bytes() const { return {m_data, m_size}; }
    // True once a read went past the end of the file as it now is: from that page on the bytes
    // are zeros, not the file's.
    bool wasCutShort() const;

private:
    const char *m_data = nullptr;
    qint64 m_size = 0;
    int m_slot = -1;
};

} // namespace velmo
