// BMP header reading, completeness check and the 32-bit writer with alpha.
#include "imaging/bmpcodec.h"

#include <cstdint>
#include <limits>

#include <QByteArray>
#include <QtEndian>

namespace velmo::img {

namespace {

constexpr qsizetype kFileHeaderSize = 14;
constexpr quint32 kCoreHeaderSize = 12;
constexpr quint32 kV4HeaderSize = 108;
constexpr quint32 kCompressionRgb = 0;
constexpr quint32 kCompressionRle8 = 1;
constexpr quint32 kCompressionRle4 = 2;
constexpr quint32 kCompressionBitfields = 3;
constexpr quint32 kCompressionAlphaBitfields = 6;

quint16 read16(QByteArrayView data, qsizetype offset)
{
    return qFromLittleEndian<quint16>(data.data() + offset);
}

quint32 read32(QByteArrayView data, qsizetype offset)
{
    return qFromLittleEndian<quint32>(data.data() + offset);
}

struct Header
{
    quint32 pixelOffset = 0;
    qint64 width = 0;
    qint64 height = 0;
    int bits = 0;
    quint32 compression = kCompressionRgb;
};

bool readHeader(QByteArrayView data, Header &header)
{
    if (data.size() < kFileHeaderSize + 4 || data[0] != 'B' || data[1] != 'M')
        return false;
    header.pixelOffset = read32(data, 10);
    const quint32 infoSize = read32(data, kFileHeaderSize);
    if (infoSize == kCoreHeaderSize) {
        if (data.size() < kFileHeaderSize + kCoreHeaderSize)
            return false;
        header.width = read16(data, 18);
        header.height = read16(data, 20);
        header.bits = read16(data, 24);
        return true;
    }
    if (infoSize < 16 || data.size() < 30)
        return false;
    header.width = qint32(read32(data, 18));
    header.height = qint32(read32(data, 22));
    header.bits = read16(data, 28);
    if (infoSize >= 20) {
        if (data.size() < 34)
            return false;
        header.compression = read32(data, 30);
    }
    return true;
}

// Walks the run-length codes until the end-of-bitmap code; false when the data ends first.
bool reachesEndOfBitmap(QByteArrayView data, qsizetype pos, bool fourBit)
{
    const auto byteAt = [&data](qsizetype i) { return quint8(data[i]); };
    while (pos + 2 <= data.size()) {
        const int count = byteAt(pos);
        const int code = byteAt(pos + 1);
        pos += 2;
        if (count > 0)
            continue;
        if (code == 0)
            continue;
        if (code == 1)
            return true;
        if (code == 2) {
            pos += 2;
            continue;
        }
        const qsizetype literal = fourBit ? (code + 1) / 2 : code;
        pos += literal + (literal & 1);
    }
    return false;
}

} // namespace

int BmpCodec::bitsPerPixel(QByteArrayView data)
{
    Header header;
    return readHeader(data, header) ? header.bits : 0;
}

bool BmpCodec::isComplete(QByteArrayView data)
{
    Header header;
    if (!readHeader(data, header))
        return false;
    if (header.pixelOffset >= quint64(data.size()))
        return false;
    switch (header.compression) {
    case kCompressionRgb:
    case kCompressionBitfields:
    case kCompressionAlphaBitfields: {
        if (header.width <= 0 || header.bits <= 0)
            return true; // not ours to judge: the decoder refuses it
        const qint64 stride = (header.width * header.bits + 31) / 32 * 4;
        const qint64 rows = header.height < 0 ? -header.height : header.height;
        return qint64(header.pixelOffset) + stride * rows <= data.size();
    }
    case kCompressionRle8:
        return reachesEndOfBitmap(data, header.pixelOffset, false);
    case kCompressionRle4:
        return reachesEndOfBitmap(data, header.pixelOffset, true);
    default:
        return true;
    }
}

bool BmpCodec::writeArgb32(const QImage &image, QIODevice &device)
{
    if (image.format() != QImage::Format_ARGB32 || image.isNull())
        return false;
    const qint64 rowBytes = qint64(image.width()) * 4;
    const qint64 pixelBytes = rowBytes * image.height();
    const qint64 headerBytes = kFileHeaderSize + kV4HeaderSize;
    if (headerBytes + pixelBytes > std::numeric_limits<quint32>::max())
        return false;

    QByteArray header(headerBytes, '\0');
    char *h = header.data();
    const auto put16 = [h](int offset, quint16 value) { qToLittleEndian(value, h + offset); };
    const auto put32 = [h](int offset, quint32 value) { qToLittleEndian(value, h + offset); };
    h[0] = 'B';
    h[1] = 'M';
    put32(2, quint32(headerBytes + pixelBytes));
    put32(10, quint32(headerBytes));
    put32(14, kV4HeaderSize);
    put32(18, quint32(image.width()));
    put32(22, quint32(image.height())); // positive: rows bottom-up
    put16(26, 1);
    put16(28, 32);
    put32(30, kCompressionBitfields);
    put32(34, quint32(pixelBytes));
    put32(38, 2835); // 72 dpi
    put32(42, 2835);
    // Colour masks over the little-endian 32-bit pixel, which is B, G, R, A in memory.
    put32(54, 0x00ff0000);
    put32(58, 0x0000ff00);
    put32(62, 0x000000ff);
    put32(66, 0xff000000);
    put32(70, 0x73524742); // LCS_sRGB
    if (device.write(header) != header.size())
        return false;
    for (int y = image.height() - 1; y >= 0; --y) {
        const char *row = reinterpret_cast<const char *>(image.constScanLine(y));
        if (device.write(row, rowBytes) != rowBytes)
            return false;
    }
    return true;
}

} // namespace velmo::img
