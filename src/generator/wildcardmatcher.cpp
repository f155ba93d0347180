// The wildcard matcher.
#include "generator/wildcardmatcher.h"

namespace velmo::gen {

QStringList WildcardMatcher::split(QStringView text, QStringView separator)
{
    QStringList pieces;
    if (separator.isEmpty()) {
        if (!text.isEmpty())
            pieces << text.toString();
        return pieces;
    }
    qsizetype from = 0;
    for (;;) {
        const qsizetype at = text.indexOf(separator, from);
        if (at < 0)
            break;
        pieces << text.mid(from, at - from).toString();
        from = at + separator.size();
    }
    if (from < text.size())
        pieces << text.mid(from).toString();
    return pieces;
}

int WildcardMatcher::find(QStringView text, QStringView pattern, int start, QString *matched)
{
    if (start < 0 || start > text.size())
        return -1;
    // Pieces are searched in place rather than split into strings: markers are looked for
    // thousands of times per site.
    qsizetype position = start;
    qsizetype matchStart = -1;
    qsizetype pieceFrom = 0;
    bool anyPiece = false;
    while (pieceFrom <= pattern.size()) {
        qsizetype pieceEnd = pattern.indexOf(u'*', pieceFrom);
        const bool last = pieceEnd < 0;
        if (last)
            pieceEnd = pattern.size();
        const QStringView piece = pattern.mid(pieceFrom, pieceEnd - pieceFrom);
        // Empty pieces (a leading "*", "**") match where the search stands; a trailing empty
        // piece is not a piece at all.
        if (!(last && piece.isEmpty())) {
            const qsizetype at = piece.isEmpty() ? position : text.indexOf(piece, position);
            if (at < 0)
                return -1;
            if (!anyPiece)
                matchStart = at;
            anyPiece = true;
            position = at + piece.size();
        }
        if (last)
            break;
        pieceFrom = pieceEnd + 1;
    }
    if (!anyPiece)
        return -1;
    if (matched != nullptr)
        *matched = text.mid(matchStart, position - matchStart).toString();
    return int(matchStart);
}

int WildcardMatcher::replaceFirst(QString &text, QStringView matched, QStringView value)
{
    if (matched.isEmpty())
        return 0;
    const qsizetype at = text.indexOf(matched);
    if (at < 0)
        return 0;
    text.replace(at, matched.size(), value.toString());
    return 1;
}

int WildcardMatcher::replaceMatch(QString &text, QStringView pattern, QStringView value, int start)
{
    QString matched;
    const int at = find(text, pattern, start, &matched);
    if (at < 0)
        return -1;
    text.replace(at, matched.size(), value.toString());
    return at;
}

int WildcardMatcher::replaceAll(QString &text, QStringView pattern, QStringView value)
{
    // A value may contain a new match of the pattern (a site title holding the site-title
    // marker). Replacements that shorten the text end by themselves; the others are bounded
    // by the number of matches present before the loop, so the loop always ends.
    int present = 0;
    {
        QString matched;
        int from = 0;
        for (int at; (at = find(text, pattern, from, &matched)) >= 0;) {
            ++present;
            from = at + int(qMax<qsizetype>(matched.size(), 1));
        }
    }
    // Most markers of a page template are absent from a given page: one scan is enough then.
    if (present == 0)
        return 0;
    int replaced = 0;
    int growing = 0;
    QString matched;
    // A match starts where the pattern's first piece first occurs. After a replacement, the
    // next match can start before the untouched rest of the text only if that piece occurs in
    // the value or across its edges; otherwise it is the rest's own next match. Building the
    // result as it goes keeps a page holding thousands of markers (a content text repeated by
    // a loop) linear, where searching from the start after every replacement was quadratic.
    const qsizetype star = pattern.indexOf(u'*');
    const QStringView head = star < 0 ? pattern : pattern.left(star);
    if (!head.isEmpty()) {
        QString done;
        qsizetype from = 0;
        bool rescan = false;
        for (int at; (at = find(text, pattern, int(from), &matched)) >= 0;) {
            if (value.size() >= matched.size() && ++growing > present)
                break;
            done += QStringView(text).mid(from, at - from);
            const qsizetype valueAt = done.size();
            done += value;
            from = at + matched.size();
            ++replaced;
            const qsizetype windowAt = qMax<qsizetype>(0, valueAt - (head.size() - 1));
            QString window = done.mid(windowAt);
            window += QStringView(text).mid(from, head.size() - 1);
            const qsizetype hit = window.indexOf(head);
            if (hit >= 0 && windowAt + hit < done.size()) {
                rescan = true;
                break;
            }
        }
        if (from > 0) {
            done += QStringView(text).mid(from);
            text = std::move(done);
        }
        if (!rescan)
            return replaced;
    }
    while (find(text, pattern, 0, &matched) >= 0) {
        if (value.size() >= matched.size() && ++growing > present)
            break;
        replaceFirst(text, matched, value);
        ++replaced;
    }
    return replaced;
}

} // namespace velmo::gen
