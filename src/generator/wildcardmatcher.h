// The wildcard matcher that finds template markers, function calls, style sheet links and
// operators: "*" stands for any run of characters, pieces are found left to right, first
// occurrence each, without backtracking.
#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

namespace velmo::gen {

class WildcardMatcher
{
public:
    WildcardMatcher() = default;
    explicit WildcardMatcher(QString text) : m_text(std::move(text)) {}

    const QString &text() const { return m_text; }
    QString &text() { return m_text; }
    void setText(QString text) { m_text = std::move(text); }

    // Start index of the first match of pattern at or after start, or -1; matched receives
    // the matched text.
    int find(QStringView pattern, int start, QString *matched = nullptr) const
    {
        return find(m_text, pattern, start, matched);
    }
    // Replaces the first occurrence of matched; returns 1, or 0 when it does not occur.
    int replaceFirst(QStringView matched, QStringView value)
    {
        return replaceFirst(m_text, matched, value);
    }
    // Replaces exactly the first match of pattern at or after start; returns its index or -1.
    int replaceMatch(QStringView pattern, QStringView value, int start)
    {
        return replaceMatch(m_text, pattern, value, start);
    }
    // Replaces every match of pattern with value (inserted literally); returns the count.
    int replaceAll(QStringView pattern, QStringView value)
    {
        return replaceAll(m_text, pattern, value);
    }

    // The same operations on a separate string.
    static int find(QStringView text, QStringView pattern, int start, QString *matched = nullptr);
    static int replaceFirst(QString &text, QStringView matched, QStringView value);
    static int replaceMatch(QString &text, QStringView pattern, QStringView value, int start);
    static int replaceAll(QString &text, QStringView pattern, QStringView value);

    // Pieces of text between separators; an empty rest after the last separator is dropped,
    // so "a*" gives only "a" and an empty text gives nothing.
    static QStringList split(QStringView text, QStringView separator);

private:
    QString m_text;
};

} // namespace velmo::gen
