// LittleEndianReader: reads what LittleEndianWriter wrote, never past the end of its bytes, and
// never allocates more than the bytes left could hold.
#pragma once

#include <QByteArrayView>
#include <QString>
#include <QtEndian>

namespace velmo::gen {

class LittleEndianReader
{
public:
    explicit LittleEndianReader(QByteArrayView bytes) : m_bytes(bytes) {}

    qsizetype left() const { return m_bytes.size() - m_at; }
    qsizetype at() const { return m_at; }

    template<typename T>
    bool number(T &value)
    {
        if (left() < qsizetype(sizeof(T)))
            return false;
        value = qFromLittleEndian<T>(m_bytes.data() + m_at);
        m_at += qsizetype(sizeof(T));
        return true;
    }
    bool string(QString &text)
    {
        quint32 length = 0;
        if (!number(length) || qsizetype(length) > left() / 2)
            return false;
        text.resize(qsizetype(length));
        qFromLittleEndian<char16_t>(m_bytes.data() + m_at, length, text.data());
        m_at += qsizetype(length) * 2;
        return true;
    }
    bool skip(qsizetype bytes)
    {
        if (bytes < 0 || bytes > left())
            return false;
        m_at += bytes;
        return true;
    }

private:
    QByteArrayView m_bytes;
    qsizetype m_at = 0;
};

} // namespace velmo::gen
