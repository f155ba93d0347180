// Writing sitemap.xml and feed.xml.
#include "generator/sitefeeds.h"

#include <algorithm>

#include <QDateTime>
#include <QXmlStreamWriter>

#include "model/contentgroup.h"
#include "model/page.h"
#include "model/site.h"

namespace velmo::gen {

namespace {

QString timeText(qint64 seconds)
{
    return QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC).toString(Qt::ISODate);
}

// Pages are ordered by path among equal times, so that the files stay the same from one
// output to the next.
void newestFirst(QList<SiteFeeds::Entry> &entries)
{
    std::stable_sort(entries.begin(), entries.end(),
                     [](const SiteFeeds::Entry &a, const SiteFeeds::Entry &b) {
                         if (a.updated != b.updated)
                             return a.updated > b.updated;
                         return a.path < b.path;
                     });
}

} // namespace

std::optional<QUrl> SiteFeeds::baseUrl(const Site &site)
{
    QUrl url(site.siteUrl.trimmed(), QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != u"http" && scheme != u"https") || url.host().isEmpty())
        return std::nullopt;
    url.setQuery(QString());
    url.setFragment(QString());
    if (!url.path().endsWith(u'/'))
        url.setPath(url.path() + u'/');
    return url;
}

SiteFeeds::Entry SiteFeeds::entryFor(Page &page, const QString &path, bool homePage)
{
    Entry entry;
    entry.path = homePage ? QString() : path;
    entry.title = page.title.isEmpty() ? page.name : page.title;
    entry.summary = page.summary;
    entry.id = page.id;
    entry.created = page.createdTime;
    qint64 updated = 0;
    qint64 created = 0;
    page.forEachBelow(Children::Hierarchy, [&](velmo::Object *object) {
        updated = qMax(updated, object->updatedTime);
        created = qMax(created, object->createdTime);
        return true;
    });
    // Documents from before update times were kept have creation times only.
    entry.updated = updated > 0 ? updated : created;
    return entry;
}

QString SiteFeeds::urlOf(const QUrl &base, const Entry &entry)
{
    // Folder and file names are the user's: each part is encoded, the separators kept.
    QString path;
    const QStringList parts = entry.path.split(u'/', Qt::SkipEmptyParts);
    for (const QString &part : parts) {
        if (!path.isEmpty())
            path += u'/';
        path += QString::fromLatin1(QUrl::toPercentEncoding(part));
    }
    return base.toString(QUrl::FullyEncoded) + path;
}

QByteArray SiteFeeds::sitemap(const QUrl &base, QList<Entry> entries)
{
    // The home page first, the others in the order they were written.
    std::stable_partition(entries.begin(), entries.end(),
                          [](const Entry &entry) { return entry.path.isEmpty(); });
    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeDefaultNamespace(QStringLiteral("http://www.sitemaps.org/schemas/sitemap/0.9"));
    xml.writeStartElement(QStringLiteral("urlset"));
    QSet<QString> written;
    for (const Entry &entry : std::as_const(entries)) {
        const QString url = urlOf(base, entry);
        if (written.contains(url))
            continue;
        written.insert(url);
        xml.writeStartElement(QStringLiteral("url"));
        xml.writeTextElement(QStringLiteral("loc"), url);
        if (entry.updated > 0)
            xml.writeTextElement(QStringLiteral("lastmod"), timeText(entry.updated));
        xml.writeEndElement();
    }
    xml.writeEndElement();
    xml.writeEndDocument();
    return bytes;
}

QByteArray SiteFeeds::feed(const Site &site, const QUrl &base, QList<Entry> entries)
{
    newestFirst(entries);
    if (entries.size() > kFeedEntries)
        entries.resize(kFeedEntries);
    const QString home = base.toString(QUrl::FullyEncoded);
    // The feed changes only when a page does: its time is its newest page's, not the clock's.
    const qint64 newest =
        entries.isEmpty() ? qMax(site.updatedTime, site.createdTime) : entries.first().updated;
    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeDefaultNamespace(QStringLiteral("http://www.w3.org/2005/Atom"));
    xml.writeStartElement(QStringLiteral("feed"));
    xml.writeAttribute(QStringLiteral("xml:lang"), QStringLiteral("ja"));
    // Titles and summaries may hold the entities and small markup authors give them.
    const auto html = [&xml](const QString &name, const QString &text) {
        xml.writeStartElement(name);
        xml.writeAttribute(QStringLiteral("type"), QStringLiteral("html"));
        xml.writeCharacters(text);
        xml.writeEndElement();
    };
    html(QStringLiteral("title"), site.homeTitle.isEmpty() ? site.name : site.homeTitle);
    if (!site.summary.isEmpty())
        html(QStringLiteral("subtitle"), site.summary);
    xml.writeStartElement(QStringLiteral("link"));
    xml.writeAttribute(QStringLiteral("href"), home);
    xml.writeEndElement();
    xml.writeStartElement(QStringLiteral("link"));
    xml.writeAttribute(QStringLiteral("rel"), QStringLiteral("self"));
    xml.writeAttribute(QStringLiteral("href"), home + QStringLiteral("feed.xml"));
    xml.writeEndElement();
    xml.writeTextElement(QStringLiteral("id"), home);
    xml.writeTextElement(QStringLiteral("updated"), timeText(newest));
    // Atom wants an author for every entry; the site's stands for all of them.
    xml.writeStartElement(QStringLiteral("author"));
    const QString author = !site.author.isEmpty()      ? site.author
                           : !site.homeTitle.isEmpty() ? site.homeTitle
                                                       : site.name;
    xml.writeTextElement(QStringLiteral("name"), author);
    xml.writeEndElement();
    for (const Entry &entry : std::as_const(entries)) {
        xml.writeStartElement(QStringLiteral("entry"));
        html(QStringLiteral("title"), entry.title);
        xml.writeStartElement(QStringLiteral("link"));
        xml.writeAttribute(QStringLiteral("href"), urlOf(base, entry));
        xml.writeEndElement();
        // The page's identity, not its address: a page moved to another folder is the same
        // entry to a reader. A tag URI names the site's host and the day the page was made.
        const QDate made = QDateTime::fromSecsSinceEpoch(
                               entry.created > 0 ? entry.created : entry.updated, Qt::UTC)
                               .date();
        xml.writeTextElement(QStringLiteral("id"),
                             QStringLiteral("tag:%1,%2:page/%3")
                                 .arg(base.host(), made.toString(Qt::ISODate), entry.id.toText()));
        xml.writeTextElement(QStringLiteral("updated"), timeText(entry.updated));
        if (!entry.summary.isEmpty())
            html(QStringLiteral("summary"), entry.summary);
        xml.writeEndElement();
    }
    xml.writeEndElement();
    xml.writeEndDocument();
    return bytes;
}

} // namespace velmo::gen
