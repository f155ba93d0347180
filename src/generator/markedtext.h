// MarkedText: a page being assembled, with the places where its markers, blocks and hidden
// notes can start kept up to date through its edits.
#pragma once

#include <QList>
#include <QString>
#include <QStringView>

namespace velmo::gen {

// Page assembly looks for some thirty patterns in a page of tens of kilobytes, and nearly all
// of them begin with "<!--__" or are the hidden notes "<NOT_OUTPUT>…". Finding such a pattern
// here looks only at the places where one of those starts stands, instead of reading the whole
// page once per pattern. Every operation gives exactly what WildcardMatcher's does on the same
// text.
class MarkedText
{
public:
    explicit MarkedText(QString text);

    const QString &text() const { return m_text; }
    // Room for a page of size characters, so that its edits are made in place.
    void reserve(qsizetype size) { m_text.reserve(size); }
    // Hands the text over; the object is left empty.
    QString take();

    // WildcardMatcher::find on the text.
    int find(QStringView pattern, qsizetype start, QString *matched = nullptr) const;
    // Replaces length characters at at with value.
    void replace(qsizetype at, qsizetype length, QStringView value);
    // WildcardMatcher::replaceMatch and replaceAll on the text.
    int replaceMatch(QStringView pattern, QStringView value, qsizetype start);
    int replaceAll(QStringView pattern, QStringView value);
    // The starts whose places are kept.
    static constexpr QStringView kPrefixes[] = {u"<!--__", u"<NOT_OUTPUT>", u"<not_output>"};

private:
    struct Edit
    {
        qsizetype at;
        qsizetype length;
        QStringView value;
    };
    // Applies edits (sorted, not overlapping) in one pass over the text, moving the places
    // behind each edit and looking for new ones only around what was inserted.
    void apply(const QList<Edit> &edits);
    void index() const;
    // True when pattern's fixed start begins with one of the prefixes, so that its matches can
    // only start at a known place.
    static bool isIndexed(QStringView head);

    QString m_text;
    // Found again only when a pattern that needs them is looked for.
    mutable QList<qsizetype> m_places;
    mutable bool m_stale = false;
};

} // namespace velmo::gen
