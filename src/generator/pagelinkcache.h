// PageLinkCache: what the link check's parse of each page yielded, kept between runs in one file
// per site and found again by a hash of the page's bytes, so that an unchanged page is not parsed.
#pragma once

#include <cstddef>
#include <optional>

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QList>
#include <QString>

#include "generator/linkcheck.h"
#include "generator/pagekey.h"

namespace velmo::gen {

class PageLinkCache
{
public:
    using Key = PageKey;
    // What one run checked: a page's key, and its parse when it was not found in the cache.
    struct Entry
    {
        Key key;
        const LinkCheck::PageLinks *fresh = nullptr;
    };

    // A file larger than this is not read, and a write stops short of it: the cache of a site
    // costs at most this much disk and memory.
    static constexpr qint64 kMaxFileBytes = 256 * 1024 * 1024;

    static Key keyOf(QByteArrayView bytes);
    // The cache of the site output into folder: $XDG_CACHE_HOME/velmo/linkcheck/, one file
    // named after a hash of the folder's path.
    static QString fileFor(const QString &folder);

    // Reads file; one that is missing, damaged, larger than kMaxFileBytes or written by another
    // version of the check holds nothing.
    explicit PageLinkCache(QString file);

    // Safe from several threads at once. An entry whose bytes were damaged is not found.
    // Strings equal to those of like at the same place are shared with them, not copied.
    std::optional<LinkCheck::PageLinks> find(const Key &key,
                                             const QList<LinkCheck::Link> *like = nullptr) const;
    qsizetype size() const { return m_entries.size(); }

    // Writes exactly entries, each once (the pages of this run: those of pages gone are
    // dropped), unless they are what the file holds already. Atomic: a reader, in this program
    // or another, sees the old file or the new one whole.
    void save(const QList<Entry> &entries) const;

private:
    struct Place
    {
        qsizetype offset = 0;
        qsizetype size = 0;
    };

    QString m_file;
    // The file as read; entries are decoded from it on demand.
    QByteArray m_bytes;
    QHash<Key, Place> m_entries;
};

} // namespace velmo::gen
