// AssemblyRecord: what the last whole-site output assembled, page by page, kept between runs in
// one file per site, so that a page none of whose inputs changed is not assembled again.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include "generator/assemblytrace.h"
#include "generator/pagelinkcache.h"

namespace velmo {
class Site;
}

namespace velmo::gen {

class AssemblyRecord
{
public:
    using Key = PageLinkCache::Key;

    struct Page
    {
        // The page's bytes, which the link check knows the page's parse by.
        Key bytes;
        // The file as the run left it: a page whose file was touched since is made again.
        qint64 size = -1;
        qint64 changed = 0;
        AssemblyTrace trace;
        friend bool operator==(const Page &, const Page &) = default;
    };

    // A larger file is not read, and a site whose record would be larger keeps none.
    static constexpr qint64 kMaxFileBytes = 64 * 1024 * 1024;

    // $XDG_CACHE_HOME/velmo/assembly/, one file named after a hash of the working folder.
    static QString fileFor(const QString &folder);

    // The key of the site's data and of everything else its pages' assembly reads: values
    // (paths, the year, switched-off areas…) and the template folders, each entry's name,
    // kind, size and time. A folder that holds a link to a folder gives a key no run shares,
    // since what lies below the link is not looked at.
    static Key runKey(const Site &site, const QStringList &values, const QStringList &folders);

    // The size and status change time (nanoseconds) of a regular file, without following a
    // link.
    static bool stat(const QString &path, qint64 *size, qint64 *changed);

    // Reads file; one that is missing, damaged, larger than kMaxFileBytes or of another layout
    // holds nothing.
    explicit AssemblyRecord(QString file);

    // The page written to path by the run under runKey, when its file is still as that run
    // left it.
    const Page *find(const Key &runKey, const QString &path) const;

    // Replaces the file with exactly pages under runKey, unless it holds them already. Atomic:
    // a reader, in this program or another, sees the old file or the new one whole.
    void save(const Key &runKey, const QHash<QString, Page> &pages) const;
    // Removes the file: a run that could not be trusted leaves nothing for the next.
    void forget() const;

private:
    QString m_file;
    Key m_runKey;
    QHash<QString, Page> m_pages;
};

} // namespace velmo::gen
