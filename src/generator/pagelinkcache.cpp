// The link check's cache of parsed pages: a small binary file read whole and checked entry by
// entry, so that damage costs a parse, never a wrong result.
#include "generator/pagelinkcache.h"

#include <optional>
#include <utility>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>
#include <QStandardPaths>
#include <QtEndian>

#include <xxhash.h>

#include "generator/littleendianreader.h"
#include "generator/littleendianwriter.h"
#include "model/fileutil.h"

namespace velmo::gen {

namespace {

// "VelmoLnk", the layout's version, then LinkCheck's extraction version: a file of another
// version holds nothing, as its parses may differ from today's.
constexpr char kMagic[8] = {'V', 'e', 'l', 'm', 'o', 'L', 'n', 'k'};
constexpr quint32 kLayoutVersion = 1;
constexpr qsizetype kHeaderBytes = sizeof(kMagic) + 4 + 4;
// An entry: the key (2 × 8), the payload's size (4) and its checksum (8), then the payload.
constexpr qsizetype kEntryHeaderBytes = 16 + 4 + 8;
// The least a link (line, column, two empty strings) and an anchor take in a payload: counts
// are checked against them before anything is allocated for what they claim.
constexpr qsizetype kMinLinkBytes = 4 + 4 + 4 + 4;
constexpr qsizetype kMinAnchorBytes = 4;

void encode(const LinkCheck::PageLinks &page, QByteArray &out)
{
    LittleEndianWriter writer(out);
    writer.number(quint8(page.readable ? 1 : 0));
    writer.number(quint64(page.droppedLinks));
    writer.number(quint32(page.links.size()));
    for (const LinkCheck::Link &link : page.links) {
        writer.number(qint32(link.line));
        writer.number(qint32(link.column));
        writer.string(link.url);
        writer.string(link.text);
    }
    writer.number(quint32(page.anchors.size()));
    for (const QString &anchor : page.anchors)
        writer.string(anchor);
}

std::optional<LinkCheck::PageLinks> decode(QByteArrayView payload,
                                           const QList<LinkCheck::Link> *like)
{
    static const QString none;
    LittleEndianReader reader(payload);
    LinkCheck::PageLinks page;
    quint8 readable = 0;
    quint64 dropped = 0;
    quint32 links = 0;
    if (!reader.number(readable) || readable > 1 || !reader.number(dropped) ||
        dropped > quint64(kMaxTextFileBytes) || !reader.number(links) ||
        qsizetype(links) > reader.left() / kMinLinkBytes)
        return std::nullopt;
    page.readable = readable != 0;
    page.droppedLinks = qsizetype(dropped);
    page.links.resize(qsizetype(links));
    for (qsizetype i = 0; i < page.links.size(); ++i) {
        LinkCheck::Link &link = page.links[i];
        const LinkCheck::Link *same = like != nullptr && i < like->size() ? &like->at(i) : nullptr;
        qint32 line = 0;
        qint32 column = 0;
        if (!reader.number(line) || !reader.number(column) ||
            !reader.string(link.url, same != nullptr ? same->url : none) ||
            !reader.string(link.text, same != nullptr ? same->text : none))
            return std::nullopt;
        link.line = line;
        link.column = column;
    }
    quint32 anchors = 0;
    if (!reader.number(anchors) || qsizetype(anchors) > reader.left() / kMinAnchorBytes)
        return std::nullopt;
    page.anchors.reserve(qsizetype(anchors));
    for (quint32 i = 0; i < anchors; ++i) {
        QString anchor;
        if (!reader.string(anchor))
            return std::nullopt;
        page.anchors.insert(std::move(anchor));
    }
    if (reader.left() != 0)
        return std::nullopt;
    return page;
}

quint64 checksumOf(QByteArrayView bytes)
{
    return XXH3_64bits(bytes.data(), size_t(bytes.size()));
}

} // namespace

PageLinkCache::Key PageLinkCache::keyOf(QByteArrayView bytes)
{
    const XXH128_hash_t hash = XXH3_128bits(bytes.data(), size_t(bytes.size()));
    return {hash.low64, hash.high64};
}

QString PageLinkCache::fileFor(const QString &folder)
{
    const Key key = keyOf(QDir::cleanPath(QFileInfo(folder).absoluteFilePath()).toUtf8());
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
           QStringLiteral("/velmo/linkcheck/%1%2.links")
               .arg(key.high, 16, 16, QLatin1Char('0'))
               .arg(key.low, 16, 16, QLatin1Char('0'));
}

PageLinkCache::PageLinkCache(QString file) : m_file(std::move(file))
{
    if (m_file.isEmpty())
        return;
    QFile in(m_file);
    // The size is asked again of what is read: the file may be replaced in between.
    if (!in.open(QIODevice::ReadOnly) || in.size() > kMaxFileBytes)
        return;
    m_bytes = in.read(kMaxFileBytes + 1);
    LittleEndianReader reader(m_bytes);
    quint32 layout = 0;
    quint32 extraction = 0;
    const bool known = m_bytes.size() <= kMaxFileBytes &&
                       m_bytes.startsWith(QByteArrayView(kMagic, sizeof(kMagic))) &&
                       reader.skip(sizeof(kMagic)) && reader.number(layout) &&
                       reader.number(extraction) && layout == kLayoutVersion &&
                       extraction == LinkCheck::kExtractionVersion;
    bool whole = known;
    while (whole && reader.left() > 0) {
        const qsizetype at = reader.at();
        Key key;
        quint32 payload = 0;
        whole = reader.number(key.low) && reader.number(key.high) && reader.number(payload) &&
                reader.skip(8) && reader.skip(qsizetype(payload));
        if (whole)
            m_entries.insert(key, {at, reader.at() - at});
    }
    // An entry cut short means a file not written by the cache as it is; none of it is used.
    if (!whole) {
        m_entries.clear();
        m_entries.squeeze();
        m_bytes.clear();
        m_bytes.squeeze();
    }
}

std::optional<LinkCheck::PageLinks> PageLinkCache::find(const Key &key,
                                                        const QList<LinkCheck::Link> *like) const
{
    const auto it = m_entries.constFind(key);
    if (it == m_entries.cend())
        return std::nullopt;
    const QByteArrayView entry = QByteArrayView(m_bytes).sliced(it->offset, it->size);
    const QByteArrayView payload = entry.sliced(kEntryHeaderBytes);
    if (qFromLittleEndian<quint64>(entry.data() + 20) != checksumOf(payload))
        return std::nullopt;
    return decode(payload, like);
}

void PageLinkCache::save(const QList<Entry> &entries) const
{
    if (m_file.isEmpty())
        return;
    QSet<Key> seen;
    seen.reserve(entries.size());
    bool fresh = false;
    for (const Entry &entry : entries) {
        seen.insert(entry.key);
        fresh |= entry.fresh != nullptr;
    }
    // Every page found here and none gone: the file is what it would be written as.
    if (!fresh && seen.size() == m_entries.size())
        return;

    QDir().mkpath(QFileInfo(m_file).path());
    QSaveFile out(m_file);
    if (!out.open(QIODevice::WriteOnly))
        return;
    QByteArray bytes(kMagic, sizeof(kMagic));
    LittleEndianWriter(bytes).number(kLayoutVersion);
    LittleEndianWriter(bytes).number(LinkCheck::kExtractionVersion);
    qint64 total = 0;
    seen.clear();
    QByteArray piece;
    for (const Entry &entry : entries) {
        if (seen.contains(entry.key))
            continue;
        seen.insert(entry.key);
        piece.clear();
        if (entry.fresh != nullptr) {
            QByteArray payload;
            encode(*entry.fresh, payload);
            LittleEndianWriter writer(piece);
            writer.number(entry.key.low);
            writer.number(entry.key.high);
            writer.number(quint32(payload.size()));
            writer.number(checksumOf(payload));
            piece += payload;
        } else if (const auto it = m_entries.constFind(entry.key); it != m_entries.cend()) {
            piece = QByteArrayView(m_bytes).sliced(it->offset, it->size).toByteArray();
        }
        // A site too large for the limit keeps the entries that fit; the rest are parsed.
        if (total + bytes.size() + piece.size() > kMaxFileBytes)
            break;
        bytes += piece;
        // Written in pieces: a large site's cache is never held twice in memory.
        if (bytes.size() >= 1024 * 1024) {
            total += bytes.size();
            if (out.write(bytes) != bytes.size())
                return;
            bytes.clear();
        }
    }
    if (out.write(bytes) != bytes.size())
        return;
    // A cache that cannot be written costs only parsing again next time.
    out.commit();
}

} // namespace velmo::gen
