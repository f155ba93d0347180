// SiteFeeds: sitemap.xml (sitemaps.org 0.9) and feed.xml (Atom) of a generated site, written at
// its root when the site has an absolute http(s) address to make their URLs from.
#pragma once

#include <optional>

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUrl>

#include "model/objectid.h"

namespace velmo {
class Page;
class Site;
} // namespace velmo

namespace velmo::gen {

class SiteFeeds
{
public:
    // One published page.
    struct Entry
    {
        // Below the site's root, with "/" separators; empty for the home page.
        QString path;
        QString title;
        QString summary;
        // Seconds since 1970 (UTC).
        qint64 created = 0;
        qint64 updated = 0;
        ObjectId id;
    };
    static constexpr int kFeedEntries = 20;

    // The site's address as the base of absolute URLs, with a closing "/"; nothing unless it is
    // an absolute http or https address.
    static std::optional<QUrl> baseUrl(const Site &site);

    // The entry for page, written to path below the site's root. Its update time is the
    // latest of the page and what it holds: editing a content changes the page.
    static Entry entryFor(Page &page, const QString &path, bool homePage);

    // Every page once, the home page first and as the root.
    static QByteArray sitemap(const QUrl &base, QList<Entry> entries);
    // The kFeedEntries most recently updated pages, newest first.
    static QByteArray feed(const Site &site, const QUrl &base, QList<Entry> entries);

    // The absolute URL of an entry.
    static QString urlOf(const QUrl &base, const Entry &entry);
};

} // namespace velmo::gen
