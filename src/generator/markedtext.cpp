// MarkedText.
#include "generator/markedtext.h"

#include <algorithm>
#include <utility>

#include "generator/wildcardmatcher.h"

namespace velmo::gen {

MarkedText::MarkedText(QString text) : m_text(std::move(text)), m_stale(true) {}

QString MarkedText::take()
{
    m_places.clear();
    m_stale = true;
    return std::exchange(m_text, QString());
}

namespace {

// Where every prefix has its "_".
constexpr qsizetype kMark = 4;

constexpr qsizetype longestPrefix()
{
    qsizetype longest = 0;
    for (const QStringView prefix : MarkedText::kPrefixes)
        longest = qMax(longest, prefix.size());
    return longest;
}

// Appends to places the starts of every prefix in text, offset by first. Each prefix has "_"
// as its fifth character, which HTML seldom holds: one pass for it at memory speed finds
// them all.
void findPrefixes(QStringView text, qsizetype first, QList<qsizetype> &places)
{
    static_assert(std::all_of(std::begin(MarkedText::kPrefixes), std::end(MarkedText::kPrefixes),
                              [](QStringView prefix) { return prefix[kMark] == u'_'; }));
    for (qsizetype mark = text.indexOf(u'_', kMark); mark >= 0;
         mark = text.indexOf(u'_', mark + 1)) {
        const QStringView rest = text.sliced(mark - kMark);
        if (std::any_of(std::begin(MarkedText::kPrefixes), std::end(MarkedText::kPrefixes),
                        [rest](QStringView prefix) { return rest.startsWith(prefix); }))
            places.append(first + mark - kMark);
    }
}

} // namespace

bool MarkedText::isIndexed(QStringView head)
{
    return std::any_of(std::begin(kPrefixes), std::end(kPrefixes),
                       [head](QStringView prefix) { return head.startsWith(prefix); });
}

void MarkedText::index() const
{
    m_stale = false;
    m_places.clear();
    findPrefixes(m_text, 0, m_places);
}

int MarkedText::find(QStringView pattern, qsizetype start, QString *matched) const
{
    if (start < 0 || start > m_text.size())
        return -1;
    const qsizetype star = pattern.indexOf(u'*');
    const QStringView head = star < 0 ? pattern : pattern.left(star);
    if (!isIndexed(head))
        return WildcardMatcher::find(m_text, pattern, int(start), matched);
    if (m_stale)
        index();
    // The first occurrence of the fixed start is the first known place that begins with it;
    // what follows is matched from there as WildcardMatcher does, without backtracking.
    const QStringView text(m_text);
    auto place = std::lower_bound(m_places.cbegin(), m_places.cend(), start);
    while (place != m_places.cend() && !text.mid(*place).startsWith(head))
        ++place;
    if (place == m_places.cend())
        return -1;
    const qsizetype at = *place;
    qsizetype end = at + head.size();
    if (star >= 0) {
        QString rest;
        const int restAt = WildcardMatcher::find(text, pattern.mid(star), int(end), &rest);
        if (restAt < 0)
            return -1;
        end = restAt + rest.size();
    }
    if (matched != nullptr)
        *matched = text.mid(at, end - at).toString();
    return int(at);
}

void MarkedText::replace(qsizetype at, qsizetype length, QStringView value)
{
    apply({{at, length, value}});
}

int MarkedText::replaceMatch(QStringView pattern, QStringView value, qsizetype start)
{
    QString matched;
    const int at = find(pattern, start, &matched);
    if (at >= 0)
        replace(at, matched.size(), value);
    return at;
}

int MarkedText::replaceAll(QStringView pattern, QStringView value)
{
    const qsizetype star = pattern.indexOf(u'*');
    const QStringView head = star < 0 ? pattern : pattern.left(star);
    const auto whole = [this, pattern, value] {
        const int replaced = WildcardMatcher::replaceAll(m_text, pattern, value);
        m_stale = m_stale || replaced > 0;
        return replaced;
    };
    if (!isIndexed(head))
        return whole();
    QList<Edit> edits;
    QString matched;
    for (qsizetype from = 0, at; (at = find(pattern, from, &matched)) >= 0;
         from = at + matched.size())
        edits.append({at, matched.size(), value});
    if (edits.isEmpty())
        return 0;
    // Where the value, alone or with the text beside it, holds the pattern's start, the
    // matcher searches again from the top: it alone knows that order, so it does the work. A
    // value none of whose characters is in that start cannot hold any of it.
    const bool apart =
        !value.isEmpty() &&
        std::none_of(value.begin(), value.end(), [head](QChar c) { return head.contains(c); });
    if (!apart) {
        for (const Edit &edit : std::as_const(edits)) {
            const qsizetype before = qMin(edit.at, head.size() - 1);
            QString window = m_text.mid(edit.at - before, before);
            window += value;
            window += QStringView(m_text).mid(edit.at + edit.length, head.size() - 1);
            if (const qsizetype hit = window.indexOf(head); hit >= 0 && hit < before + value.size())
                return whole();
        }
        // Two matches closer than the pattern's start is long would put the value of one
        // beside the other, where the windows above read the text it replaces.
        for (qsizetype k = 1; k < edits.size(); ++k) {
            if (edits[k].at - (edits[k - 1].at + edits[k - 1].length) < head.size())
                return whole();
        }
    }
    apply(edits);
    return int(edits.size());
}

void MarkedText::apply(const QList<Edit> &edits)
{
    qsizetype size = m_text.size();
    for (const Edit &edit : edits)
        size += edit.value.size() - edit.length;
    if (size <= m_text.capacity() && m_text.isDetached()) {
        // In place, last edit first so that the others keep their places: only what follows
        // each edit moves, and a page does not take a new block of memory per marker.
        for (auto edit = edits.crbegin(); edit != edits.crend(); ++edit)
            m_text.replace(edit->at, edit->length, edit->value.data(), edit->value.size());
    } else {
        QString built;
        // Room for the values of the markers that follow, which are seldom longer.
        built.reserve(size + size / 8);
        qsizetype from = 0;
        for (const Edit &edit : edits) {
            built += QStringView(m_text).mid(from, edit.at - from);
            built += edit.value;
            from = edit.at + edit.length;
        }
        built += QStringView(m_text).mid(from);
        m_text = std::move(built);
    }
    if (m_stale)
        return;

    // A known place before an edit stays, one after it moves by what the edits before it
    // added; one that the edit may overlap is dropped, and found again below if it is still
    // there. New places can only overlap what was inserted, so only a prefix's length around
    // each value is read.
    const qsizetype width = longestPrefix();
    QList<qsizetype> places;
    places.reserve(m_places.size());
    qsizetype shift = 0;
    qsizetype next = 0;
    for (const qsizetype place : std::as_const(m_places)) {
        while (next < edits.size() && edits[next].at + edits[next].length <= place) {
            shift += edits[next].value.size() - edits[next].length;
            ++next;
        }
        if (next < edits.size() && place + width > edits[next].at)
            continue;
        places.append(place + shift);
    }
    shift = 0;
    const QStringView text(m_text);
    for (const Edit &edit : edits) {
        const qsizetype at = edit.at + shift;
        shift += edit.value.size() - edit.length;
        const qsizetype first = qMax<qsizetype>(0, at - (width - 1));
        findPrefixes(text.mid(first, at + edit.value.size() + width - 1 - first), first, places);
    }
    std::sort(places.begin(), places.end());
    places.erase(std::unique(places.begin(), places.end()), places.end());
    m_places = std::move(places);
}

} // namespace velmo::gen
