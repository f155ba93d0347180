// ThumbnailCache: small pictures of image files, decoded at reduced size and kept in the shared
// freedesktop thumbnail cache ($XDG_CACHE_HOME/thumbnails/normal and large) for later runs.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace velmo::img {

class ThumbnailCache
{
public:
    // normal/ holds pictures of at most 128 pixels a side, large/ of at most 256.
    enum class Flavor { Normal, Large };
    enum class Source { Cache, Decoded, Failed };
    struct Result
    {
        QImage image;
        Source source = Source::Failed;
    };

    // The cache under $XDG_CACHE_HOME (read now), else under ~/.cache.
    ThumbnailCache();
    explicit ThumbnailCache(const QString &thumbnailsFolder) : m_root(thumbnailsFolder) {}

    static int sideOf(Flavor flavor) { return flavor == Flavor::Large ? 256 : 128; }
    // The most a cache entry may hold: a large one of incompressible pixels, and its tags.
    static constexpr qint64 kMaxEntryBytes = 256 * 256 * 4 + 64 * 1024;
    // The smallest flavour whose pictures are at least side pixels, else the large one.
    static Flavor flavorFor(int side) { return side <= 128 ? Flavor::Normal : Flavor::Large; }

    QString thumbnailsFolder() const { return m_root; }
    // The cache file of filePath: the MD5 of its file URI, in hex, with ".png".
    QString cacheFileOf(const QString &filePath, Flavor flavor) const;
    static QByteArray uriOf(const QString &filePath);

    // The cached picture when it still describes the file (same URI, same modification second),
    // else the file decoded at reduced size and stored. Safe to call from several threads. Only
    // regular files are opened, without blocking: never a FIFO or a device.
    Result thumbnail(const QString &filePath, Flavor flavor) const;
    // A null image when there is no entry, it is stale, or it is larger than the flavour's side.
    QImage cached(const QString &filePath, Flavor flavor) const;
    // Writes the entry through a temporary file renamed into place, readable by the owner only.
    bool store(const QString &filePath, Flavor flavor, QImage thumbnail) const;

    // The picture scaled to fit within maxSide x maxSide (never enlarged); JPEG decodes at
    // 1/2, 1/4 or 1/8 of its size on the way. A null image when it cannot be decoded.
    static QImage decodeReduced(const QString &filePath, int maxSide);

private:
    QString m_root;
};

} // namespace velmo::img
