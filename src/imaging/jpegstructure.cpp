// Walk over a JPEG file's marker segments and entropy-coded scans, looking for its end.
#include "imaging/jpegstructure.h"

#include <cstring>

namespace velmo::img {

namespace {

constexpr quint8 kMarker = 0xff;
constexpr quint8 kStartOfImage = 0xd8;
constexpr quint8 kEndOfImage = 0xd9;
constexpr quint8 kStartOfScan = 0xda;
constexpr quint8 kTemporary = 0x01;

bool isRestart(quint8 code)
{
    return code >= 0xd0 && code <= 0xd7;
}

} // namespace

bool JpegStructure::isComplete(QByteArrayView data)
{
    const auto *bytes = reinterpret_cast<const quint8 *>(data.data());
    const qsizetype size = data.size();
    if (size < 4 || bytes[0] != kMarker || bytes[1] != kStartOfImage)
        return false;
    qsizetype pos = 2;
    while (pos < size) {
        // Decoders skip stray bytes between segments, so look for the next marker.
        const void *found = std::memchr(bytes + pos, kMarker, size_t(size - pos));
        if (found == nullptr)
            return false;
        pos = static_cast<const quint8 *>(found) - bytes;
        while (pos < size && bytes[pos] == kMarker)
            ++pos; // fill bytes
        if (pos >= size)
            return false;
        const quint8 code = bytes[pos++];
        if (code == kEndOfImage)
            return true;
        if (code == 0 || code == kTemporary || isRestart(code))
            continue;
        if (pos + 2 > size)
            return false;
        const qsizetype length = (qsizetype(bytes[pos]) << 8) | bytes[pos + 1];
        if (length < 2 || pos + length > size)
            return false;
        pos += length;
        if (code != kStartOfScan)
            continue;
        // Entropy-coded data runs until a marker other than a stuffed zero or a restart.
        for (;;) {
            found = std::memchr(bytes + pos, kMarker, size_t(size - pos));
            if (found == nullptr)
                return false;
            pos = static_cast<const quint8 *>(found) - bytes;
            if (pos + 1 >= size)
                return false;
            const quint8 next = bytes[pos + 1];
            if (next == 0 || isRestart(next) || next == kMarker) {
                pos += next == kMarker ? 1 : 2;
                continue;
            }
            break;
        }
    }
    return false;
}

} // namespace velmo::img
