// Hand-built archive bytes for tests.
#include "bytewriter.h"

#include <QtEndian>

ByteWriter &ByteWriter::u8(quint8 value)
{
    m_bytes.append(char(value));
    return *this;
}

ByteWriter &ByteWriter::u16(quint16 value)
{
    char b[2];
    qToLittleEndian(value, b);
    m_bytes.append(b, 2);
    return *this;
}

ByteWriter &ByteWriter::i32(qint32 value)
{
    return u32(quint32(value));
}

ByteWriter &ByteWriter::u32(quint32 value)
{
    char b[4];
    qToLittleEndian(value, b);
    m_bytes.append(b, 4);
    return *this;
}

ByteWriter &ByteWriter::u64(quint64 value)
{
    char b[8];
    qToLittleEndian(value, b);
    m_bytes.append(b, 8);
    return *this;
}

ByteWriter &ByteWriter::raw(const QByteArray &bytes)
{
    m_bytes.append(bytes);
    return *this;
}

ByteWriter &ByteWriter::str(const QString &text)
{
    u8(0xFF).u16(0xFFFE);
    const auto n = quint64(text.size());
    if (n < 0xFF)
        u8(quint8(n));
    else if (n < 0xFFFE)
        u8(0xFF).u16(quint16(n));
    else
        u8(0xFF).u16(0xFFFF).u32(quint32(n));
    for (QChar c : text)
        u16(c.unicode());
    return *this;
}

ByteWriter &ByteWriter::str8(const QByteArray &bytes)
{
    const auto n = quint64(bytes.size());
    // 0xFFFE after the first FF would read as the UTF-16 marker, so it takes the long form.
    if (n < 0xFF)
        u8(quint8(n));
    else if (n < 0xFFFE)
        u8(0xFF).u16(quint16(n));
    else
        u8(0xFF).u16(0xFFFF).u32(quint32(n));
    return raw(bytes);
}

ByteWriter &ByteWriter::qid(qint32 time, qint32 seq)
{
    return tag(QStringLiteral("QID::0001")).i32(time).i32(seq);
}

ByteWriter &ByteWriter::listHeader(qint32 count)
{
    return tag(QStringLiteral("QObjectList::0001")).i32(count);
}

ByteWriter &ByteWriter::objectHeader(qint32 time, qint32 seq, qint32 typeCode, qint32 parentTime,
                                     qint32 parentSeq, const QString &name, const QString &memo,
                                     qint32 created, qint32 updated)
{
    tag(QStringLiteral("QObject::0001")).qid(time, seq).i32(typeCode).i32(0);
    qid(parentTime, parentSeq).i32(1).i32(created).i32(updated);
    return str(name).str(memo);
}
