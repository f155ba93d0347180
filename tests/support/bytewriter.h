// Builds archive bytes by hand, field by field, so that tests can state the exact layout of a
// file (old versions, 8-bit strings, lying lengths) independently of the archive writer.
#pragma once

#include <QByteArray>
#include <QString>

class ByteWriter
{
public:
    ByteWriter &u8(quint8 value);
    ByteWriter &u16(quint16 value);
    ByteWriter &i32(qint32 value);
    ByteWriter &u32(quint32 value);
    ByteWriter &u64(quint64 value);
    ByteWriter &raw(const QByteArray &bytes);
    // A UTF-16 string with the FF FE FF marker and the shortest length form.
    ByteWriter &str(const QString &text);
    // An 8-bit string (no marker): the length byte(s) and the bytes as given.
    ByteWriter &str8(const QByteArray &bytes);
    ByteWriter &tag(const QString &tag) { return str(tag); }
    // "QID::0001", time, seq.
    ByteWriter &qid(qint32 time, qint32 seq);
    // "QObjectList::0001" and a count; the caller writes the elements.
    ByteWriter &listHeader(qint32 count);
    ByteWriter &emptyList() { return listHeader(0); }
    // The common object record up to and including memo; the caller writes the body.
    ByteWriter &objectHeader(qint32 time, qint32 seq, qint32 typeCode, qint32 parentTime,
                             qint32 parentSeq, const QString &name = QString(),
                             const QString &memo = QString(), qint32 created = 1700000000,
                             qint32 updated = 1700000000);

    const QByteArray &bytes() const { return m_bytes; }
    qsizetype size() const { return m_bytes.size(); }

private:
    QByteArray m_bytes;
};
