// LittleEndianReader: reads what LittleEndianWriter wrote, never past the end of its bytes, and
// never allocates more than the bytes left could hold.
#pragma once

#include <cstring>

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
    // The same, but a text equal to like is shared with it rather than copied: the pages of a
    // site repeat their menus' strings.
    bool string(QString &text, const QString &like)
    {
        quint32 length = 0;
        if (Q_BYTE_ORDER == Q_LITTLE_ENDIAN && left() >= 4) {
            length = qFromLittleEndian<quint32>(m_bytes.data() + m_at);
            if (length > 0 && qsizetype(length) == like.size() &&
                qsizetype(length) <= (left() - 4) / 2 &&
                std::memcmp(m_bytes.data() + m_at + 4, like.utf16(), size_t(length) * 2) == 0) {
                text = like;
                m_at += 4 + qsizetype(length) * 2;
                return true;
            }
        }
        return string(text);
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
