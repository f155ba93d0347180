// The little-endian archive that .vlm documents are written in: 32-bit integers, 32-bit
// times and length-prefixed strings, plus the record tags and the archive error.
#pragma once

#include <initializer_list>
#include <vector>

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

QT_FORWARD_DECLARE_CLASS(QIODevice)

namespace velmo {

// Tags of the records, compared exactly (case-sensitive) on reading.
namespace tags {
inline constexpr QStringView Global = u"QGlobal::0001";
inline constexpr QStringView ObjectList = u"QObjectList::0001";
inline constexpr QStringView Object = u"QObject::0001";
inline constexpr QStringView ObjectId = u"QID::0001";
inline constexpr QStringView SiteV1 = u"QSite::0001";
inline constexpr QStringView Site = u"QSite::0002";
inline constexpr QStringView ClassificationV1 = u"QClassification::0001";
inline constexpr QStringView Classification = u"QClassification::0002";
inline constexpr QStringView Category = u"QCategory::0001";
inline constexpr QStringView Page = u"QPage::0001";
inline constexpr QStringView ContentGroup = u"QContentGroup::0001";
inline constexpr QStringView Content = u"QContent::0001";
inline constexpr QStringView Condition = u"QCondition::0001";
inline constexpr QStringView Genre = u"QGenre::0001";
inline constexpr QStringView ObjectBox = u"QObjectBox::0001";
} // namespace tags

// Raised by the archive for a file it cannot read (or a value it cannot write). The reader
// stops at the first one; the message is Japanese, for the user, and names the byte offset.
class ArchiveError
{
public:
    // What went wrong, in the terms a user is told: not a document at all, a document whose end
    // is missing, or bytes that make no sense where they stand.
    enum class Kind { Corrupt, NotADocument, Truncated };

    ArchiveError(QString message, qint64 offset, Kind kind = Kind::Corrupt)
        : m_message(std::move(message)), m_offset(offset), m_kind(kind)
    {}
    // The technical account (tags, counts, lengths), for tools and tests.
    const QString &message() const { return m_message; }
    qint64 offset() const { return m_offset; }
    Kind kind() const { return m_kind; }
    // One sentence for the user, with the byte offset.
    QString userMessage() const;

private:
    QString m_message;
    qint64 m_offset;
    Kind m_kind;
};

class Archive
{
public:
    // Smallest possible encodings, used to refuse counts that the remaining bytes cannot hold
    // (tags may be 8-bit strings, hence the one byte per character).
    static constexpr qint64 kMinQidRecordBytes = 1 + 9 + 4 + 4;
    static constexpr qint64 kMinObjectRecordBytes =
        (1 + 13) + kMinQidRecordBytes + 4 + 4 + kMinQidRecordBytes + 4 + 4 + 4 + 1 + 1;
    // Nesting of object records beyond this is refused: no real document comes close, and a
    // hostile file must not exhaust the stack of the recursive reader.
    static constexpr int kMaxNesting = 400;

    // A reader over bytes that must outlive the archive.
    static Archive forReading(QByteArrayView data);
    // A writer appending to out.
    static Archive forWriting(QByteArray &out);
    // A writer to device through a buffer of its own; flush() must end the writing. A failed
    // write to the device is an ArchiveError with the device's error text.
    static Archive forWriting(QIODevice &device);

    bool isLoading() const { return !m_storing; }
    bool isStoring() const { return m_storing; }
    // Reading position (bytes from the start) and bytes left.
    qint64 position() const { return m_cur - m_begin; }
    qint64 remaining() const { return m_end - m_cur; }

    void writeInt32(qint32 value);
    // Writes the low 32 bits; a time that 32 unsigned bits cannot carry is an ArchiveError.
    void writeTime(qint64 seconds);
    void writeString(QStringView text);
    void writeTag(QStringView tag) { writeString(tag); }
    // Hands what is buffered to the device (nothing to do when writing to a byte array).
    void flush();

    qint32 readInt32();
    // Sign-extends the stored 32 bits.
    qint64 readTime();
    QString readString();
    // Reads a tag and returns the index of the accepted tag it equals; any other tag is an
    // ArchiveError naming what was expected at which offset.
    int readTag(std::initializer_list<QStringView> accepted);
    // Refuses a list count that the remaining bytes cannot hold, before anything is allocated.
    void checkCount(qint32 count, qint64 minElementBytes, QStringView what);

    [[noreturn]] void fail(const QString &message, qint64 offset,
                           ArchiveError::Kind kind = ArchiveError::Kind::Corrupt) const;

    // Counts nesting of object records while reading.
    class NestingGuard
    {
    public:
        explicit NestingGuard(Archive &ar);
        ~NestingGuard() { --m_ar.m_depth; }
        NestingGuard(const NestingGuard &) = delete;
        NestingGuard &operator=(const NestingGuard &) = delete;

    private:
        Archive &m_ar;
    };

private:
    Archive() = default;

    struct StringHeader
    {
        int width = 1;
        qint64 length = 0;
    };
    StringHeader readStringHeader();
    // Inline: every field of a document goes through it, and the failure is out of the way.
    const uchar *take(qint64 bytes)
    {
        if (bytes > remaining()) [[unlikely]]
            failTruncated(bytes);
        const uchar *p = m_cur;
        m_cur += bytes;
        return p;
    }
    [[noreturn]] void failTruncated(qint64 bytes) const;
    quint8 readU8() { return *take(1); }
    quint16 readU16();
    quint32 readU32();
    quint64 readU64();
    static QString decodeString(const uchar *data, qint64 length, int width);
    void append(const char *data, qsizetype size);
    // Bytes written so far, for the offset of a write error.
    qint64 writtenBytes() const;
    void writeToDevice(const char *data, qsizetype size);

    const uchar *m_begin = nullptr;
    const uchar *m_cur = nullptr;
    const uchar *m_end = nullptr;
    bool m_storing = false;
    QByteArray *m_out = nullptr;
    // Writing to a device: the buffer is reused, so a large document never needs its whole
    // size in memory (nor the page faults of first touching it).
    QIODevice *m_device = nullptr;
    std::vector<char> m_buffer;
    qsizetype m_used = 0;
    qint64 m_flushed = 0;
    int m_depth = 0;
};

} // namespace velmo
