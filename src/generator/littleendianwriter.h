// LittleEndianWriter: numbers and strings appended to a byte array in a fixed layout, for the
// generator's cache files.
#pragma once

#include <QByteArray>
#include <QString>
#include <QtEndian>

namespace velmo::gen {

class LittleEndianWriter
{
public:
    explicit LittleEndianWriter(QByteArray &out) : m_out(out) {}

    template<typename T>
    void number(T value)
    {
        const qsizetype at = m_out.size();
        m_out.resize(at + qsizetype(sizeof(T)));
        qToLittleEndian(value, m_out.data() + at);
    }
    // UTF-16 as it is held: a QString may hold lone surrogates, which UTF-8 would not keep.
    void string(const QString &text)
    {
        number(quint32(text.size()));
        const qsizetype at = m_out.size();
        m_out.resize(at + text.size() * 2);
        qToLittleEndian<char16_t>(text.utf16(), text.size(), m_out.data() + at);
    }

private:
    QByteArray &m_out;
};

} // namespace velmo::gen
