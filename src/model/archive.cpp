// The little-endian archive codec of .vlm documents.
#include "model/archive.h"

#include <cstring>
#include <limits>
#include <utility>

#include <QIODevice>
#include <QStringDecoder>
#include <QStringList>
#include <QtEndian>

namespace velmo {

namespace {

// Writes to a device go out in pieces of this size; a longer field goes out by itself.
constexpr qsizetype kDeviceBufferBytes = 1024 * 1024;

QString shown(QStringView text)
{
    constexpr qsizetype kMax = 40;
    return text.size() > kMax ? text.left(kMax).toString() + u'…' : text.toString();
}

} // namespace

Archive Archive::forReading(QByteArrayView data)
{
    Archive ar;
    ar.m_begin = reinterpret_cast<const uchar *>(data.data());
    ar.m_cur = ar.m_begin;
    ar.m_end = ar.m_begin + data.size();
    return ar;
}

Archive Archive::forWriting(QByteArray &out)
{
    Archive ar;
    ar.m_storing = true;
    ar.m_out = &out;
    return ar;
}

Archive Archive::forWriting(QIODevice &device)
{
    Archive ar;
    ar.m_storing = true;
    ar.m_device = &device;
    ar.m_buffer.resize(kDeviceBufferBytes);
    return ar;
}

void Archive::fail(const QString &message, qint64 offset, ArchiveError::Kind kind) const
{
    throw ArchiveError(message, offset, kind);
}

QString ArchiveError::userMessage() const
{
    // Nothing at all could be read: whatever the file is, it is not one of ours.
    switch (m_offset == 0 ? Kind::NotADocument : m_kind) {
    case Kind::NotADocument:
        return QStringLiteral(
            "Velmo の文書ではありません（ファイルの先頭が Velmo の文書の形式になっていません）。");
    case Kind::Truncated:
        return QStringLiteral("ファイルが途中で切れています（%1 "
                              "バイト目からのデータが最後まで揃っていません）。")
            .arg(m_offset);
    case Kind::Corrupt:
        break;
    }
    return QStringLiteral("ファイルが壊れています（%1 バイト目に読み取れないデータがあります）。")
        .arg(m_offset);
}

Archive::NestingGuard::NestingGuard(Archive &ar) : m_ar(ar)
{
    if (++m_ar.m_depth > kMaxNesting) {
        --m_ar.m_depth;
        m_ar.fail(QStringLiteral("%1 バイト目でオブジェクトの入れ子が深すぎます（%2 段まで）。")
                      .arg(m_ar.position())
                      .arg(kMaxNesting),
                  m_ar.position());
    }
}

// ---- writing ----

void Archive::append(const char *data, qsizetype size)
{
    if (m_device == nullptr) {
        m_out->append(data, size);
        return;
    }
    // Most pieces are a few bytes: copied straight into the buffer's room rather than through
    // QByteArray::append, which cost storing a large site a third of its time. An empty text
    // may have no characters to point to at all.
    if (size == 0)
        return;
    if (m_used + size > qsizetype(m_buffer.size())) {
        flush();
        if (size > qsizetype(m_buffer.size())) {
            writeToDevice(data, size);
            return;
        }
    }
    std::memcpy(m_buffer.data() + m_used, data, size_t(size));
    m_used += size;
}

qint64 Archive::writtenBytes() const
{
    return m_device != nullptr ? m_flushed + m_used : m_out->size();
}

void Archive::writeToDevice(const char *data, qsizetype size)
{
    if (m_device->write(data, size) != size)
        fail(m_device->errorString(), m_flushed);
    m_flushed += size;
}

void Archive::flush()
{
    if (m_device == nullptr || m_used == 0)
        return;
    // Emptied first: a failed write must not leave the piece to be written again.
    const qsizetype used = std::exchange(m_used, 0);
    writeToDevice(m_buffer.data(), used);
}

void Archive::writeInt32(qint32 value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    append(bytes, 4);
}

void Archive::writeTime(qint64 seconds)
{
    if (seconds > qint64(std::numeric_limits<quint32>::max()) ||
        seconds < qint64(std::numeric_limits<qint32>::min())) {
        fail(QStringLiteral("日時 %1 はファイルに保存できる範囲（2106 年まで）を超えています。")
                 .arg(seconds),
             writtenBytes());
    }
    writeInt32(static_cast<qint32>(static_cast<quint32>(seconds & 0xFFFFFFFF)));
}

void Archive::writeString(QStringView text)
{
    const auto length = static_cast<quint64>(text.size());
    char header[11];
    int n = 0;
    header[n++] = char(0xFF);
    qToLittleEndian<quint16>(0xFFFE, header + n);
    n += 2;
    if (length < 0xFF) {
        header[n++] = char(length);
    } else if (length < 0xFFFE) {
        header[n++] = char(0xFF);
        qToLittleEndian<quint16>(quint16(length), header + n);
        n += 2;
    } else {
        header[n++] = char(0xFF);
        qToLittleEndian<quint16>(0xFFFF, header + n);
        n += 2;
        qToLittleEndian<quint32>(quint32(length), header + n);
        n += 4;
    }
    append(header, n);
    if constexpr (Q_BYTE_ORDER == Q_LITTLE_ENDIAN) {
        append(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    } else {
        for (QChar c : text) {
            char unit[2];
            qToLittleEndian<quint16>(c.unicode(), unit);
            append(unit, 2);
        }
    }
}

// ---- reading ----

void Archive::failTruncated(qint64 bytes) const
{
    fail(QStringLiteral("ファイルが途中で終わっています（%1 バイト目に %2 バイトが必要ですが、"
                        "残りは %3 バイトです）。")
             .arg(position())
             .arg(bytes)
             .arg(remaining()),
         position(), ArchiveError::Kind::Truncated);
}

quint16 Archive::readU16()
{
    return qFromLittleEndian<quint16>(take(2));
}

quint32 Archive::readU32()
{
    return qFromLittleEndian<quint32>(take(4));
}

quint64 Archive::readU64()
{
    return qFromLittleEndian<quint64>(take(8));
}

qint32 Archive::readInt32()
{
    return qFromLittleEndian<qint32>(take(4));
}

qint64 Archive::readTime()
{
    return qint64(readInt32());
}

Archive::StringHeader Archive::readStringHeader()
{
    const qint64 start = position();
    StringHeader h;
    const quint8 first = readU8();
    if (first < 0xFF) {
        h.length = first;
    } else {
        quint16 w = readU16();
        bool known = false;
        if (w == 0xFFFE) {
            h.width = 2;
            const quint8 b = readU8();
            if (b < 0xFF) {
                h.length = b;
                known = true;
            } else {
                w = readU16();
            }
        }
        if (!known) {
            if (w < 0xFFFF) {
                h.length = w;
            } else {
                const quint32 d = readU32();
                if (d < 0xFFFFFFFFu) {
                    h.length = d;
                } else {
                    const quint64 q = readU64();
                    if (q > 0x7FFFFFFFu) {
                        fail(QStringLiteral("%1 バイト目の文字列の長さ %2 は不正です。")
                                 .arg(start)
                                 .arg(q),
                             start);
                    }
                    h.length = qint64(q);
                }
            }
        }
    }
    // Checked before anything is allocated: a file cannot make us reserve what it does not hold.
    if (h.length * h.width > remaining()) {
        fail(QStringLiteral("%1 バイト目の文字列は %2 バイトあるはずですが、ファイルの残りは "
                            "%3 バイトしかありません。")
                 .arg(start)
                 .arg(h.length * h.width)
                 .arg(remaining()),
             start, ArchiveError::Kind::Truncated);
    }
    return h;
}

QString Archive::decodeString(const uchar *data, qint64 length, int width)
{
    if (width == 2) {
        if constexpr (Q_BYTE_ORDER == Q_LITTLE_ENDIAN) {
            return QString(reinterpret_cast<const QChar *>(data), qsizetype(length));
        } else {
            QString s(qsizetype(length), Qt::Uninitialized);
            for (qint64 i = 0; i < length; ++i)
                s[i] = QChar(qFromLittleEndian<quint16>(data + 2 * i));
            return s;
        }
    }
    // 8-bit strings come from documents written on Japanese Windows: code page 932.
    QStringDecoder decoder("windows-31j");
    if (!decoder.isValid())
        decoder = QStringDecoder(QStringDecoder::System);
    return decoder(QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(length)));
}

QString Archive::readString()
{
    const StringHeader h = readStringHeader();
    const uchar *data = take(h.length * h.width);
    return decodeString(data, h.length, h.width);
}

int Archive::readTag(std::initializer_list<QStringView> accepted)
{
    const qint64 start = position();
    const StringHeader h = readStringHeader();
    const uchar *data = take(h.length * h.width);
    int index = 0;
    for (QStringView tag : accepted) {
        if (tag.size() == h.length) {
            bool same = true;
            for (qsizetype i = 0; i < tag.size() && same; ++i) {
                const char16_t unit =
                    h.width == 2 ? qFromLittleEndian<quint16>(data + 2 * i) : char16_t(data[i]);
                same = unit == tag[i].unicode();
            }
            if (same)
                return index;
        }
        ++index;
    }
    QStringList expected;
    for (QStringView tag : accepted)
        expected << u'「' + tag.toString() + u'」';
    const QString found = decodeString(data, qMin<qint64>(h.length, 64), h.width);
    // A file that does not even start with the root's tag is something else altogether.
    fail(QStringLiteral("%1 バイト目に %2 が必要ですが、「%3」がありました。")
             .arg(start)
             .arg(expected.join(QStringLiteral(" または ")), shown(found)),
         start, start == 0 ? ArchiveError::Kind::NotADocument : ArchiveError::Kind::Corrupt);
}

void Archive::checkCount(qint32 count, qint64 minElementBytes, QStringView what)
{
    if (count > 0 && qint64(count) > remaining() / minElementBytes) {
        fail(
            QStringLiteral("%1 バイト目の%2の数 %3 は、ファイルの残り（%4 バイト）に収まりません。")
                .arg(position() - 4)
                .arg(what)
                .arg(count)
                .arg(remaining()),
            position() - 4);
    }
}

} // namespace velmo
