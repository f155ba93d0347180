// The freedesktop thumbnail cache: MD5-named PNG files tagged with Thumb::URI and Thumb::MTime,
// written atomically with owner-only permissions.
#include "imaging/thumbnailcache.h"

#include <cstdio>

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QTemporaryFile>
#include <QUrl>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velmo::img {

namespace {

constexpr QFileDevice::Permissions kOwnerOnlyFolder =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;

QString flavorFolder(ThumbnailCache::Flavor flavor)
{
    return flavor == ThumbnailCache::Flavor::Large ? QStringLiteral("large")
                                                   : QStringLiteral("normal");
}

// The file's modification second as the cache records it; -1 when the file is gone.
qint64 modificationSecond(const QString &filePath)
{
    const QFileInfo info(filePath);
    if (!info.exists())
        return -1;
    return info.lastModified().toSecsSinceEpoch();
}

// Opens path for reading only when it is a regular file, without blocking: a FIFO or a device
// put in its place (in the shared cache, or among the pictures) would stop the reader for
// ever in open(). noFollow: a link is refused too.
bool openRegularFile(const QString &path, QFile &file, bool noFollow, qint64 maxBytes = -1)
{
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_RDONLY | O_NONBLOCK | O_CLOEXEC | (noFollow ? O_NOFOLLOW : 0));
    if (fd < 0)
        return false;
    struct stat info
    {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) ||
        (maxBytes >= 0 && info.st_size > maxBytes) ||
        !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    return true;
}

// Creates the folder and any missing parents with owner-only access, as the cache's layout asks
// (thumbnails can show what private pictures hold).
bool makePrivateFolder(const QString &path)
{
    if (QFileInfo(path).isDir())
        return true;
    const QString parent = QFileInfo(path).absolutePath();
    if (parent != path && !makePrivateFolder(parent))
        return false;
    if (!QDir().mkdir(path) && !QFileInfo(path).isDir())
        return false;
    QFile::setPermissions(path, kOwnerOnlyFolder);
    return true;
}

} // namespace

ThumbnailCache::ThumbnailCache()
{
    // A relative XDG_CACHE_HOME is not a cache location at all: freedesktop.org has it ignored.
    QString base = qEnvironmentVariable("XDG_CACHE_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QStringLiteral("/.cache");
    m_root = base + QStringLiteral("/thumbnails");
}

QByteArray ThumbnailCache::uriOf(const QString &filePath)
{
    return QUrl::fromLocalFile(QFileInfo(filePath).absoluteFilePath()).toEncoded();
}

QString ThumbnailCache::cacheFileOf(const QString &filePath, Flavor flavor) const
{
    const QByteArray md5 = QCryptographicHash::hash(uriOf(filePath), QCryptographicHash::Md5);
    return m_root + u'/' + flavorFolder(flavor) + u'/' + QString::fromLatin1(md5.toHex()) +
           QStringLiteral(".png");
}

QImage ThumbnailCache::cached(const QString &filePath, Flavor flavor) const
{
    const qint64 mtime = modificationSecond(filePath);
    if (mtime < 0)
        return {};
    // An entry is at most a flavour's side square of 32-bit pixels, compressed; anything
    // larger, or of larger sides, was not written by a thumbnailer and would cost far more
    // memory than a thumbnail to decode. It is turned down, and replaced by the next store().
    const int side = sideOf(flavor);
    QFile entry;
    if (!openRegularFile(cacheFileOf(filePath, flavor), entry, true, kMaxEntryBytes))
        return {};
    // The keys are read back from the decoded picture: QImageReader::text() folds the PNG text
    // chunks into one description and loses keys that hold a colon, such as these.
    QImageReader reader(&entry, "png");
    const QSize size = reader.size();
    if (!size.isValid() || size.width() > side || size.height() > side)
        return {};
    QImage image = reader.read();
    if (image.isNull() ||
        image.text(QStringLiteral("Thumb::URI")) != QString::fromUtf8(uriOf(filePath)) ||
        image.text(QStringLiteral("Thumb::MTime")) != QString::number(mtime))
        return {};
    return image;
}

bool ThumbnailCache::store(const QString &filePath, Flavor flavor, QImage thumbnail) const
{
    const qint64 mtime = modificationSecond(filePath);
    if (mtime < 0 || thumbnail.isNull())
        return false;
    const QString target = cacheFileOf(filePath, flavor);
    if (!makePrivateFolder(QFileInfo(target).absolutePath()))
        return false;

    thumbnail.setText(QStringLiteral("Thumb::URI"), QString::fromUtf8(uriOf(filePath)));
    thumbnail.setText(QStringLiteral("Thumb::MTime"), QString::number(mtime));
    thumbnail.setText(QStringLiteral("Thumb::Size"), QString::number(QFileInfo(filePath).size()));
    thumbnail.setText(QStringLiteral("Software"), QStringLiteral("Velmo"));

    // QTemporaryFile creates its file with mode 0600; rename() replaces an older entry in one
    // step, so a reader in another program never sees half a picture.
    QTemporaryFile temporary(target + QStringLiteral(".XXXXXX"));
    if (!temporary.open())
        return false;
    QImageWriter writer(&temporary, "png");
    if (!writer.write(thumbnail) || !temporary.flush())
        return false;
    temporary.close();
    if (std::rename(QFile::encodeName(temporary.fileName()).constData(),
                    QFile::encodeName(target).constData()) != 0)
        return false;
    temporary.setAutoRemove(false);
    return true;
}

QImage ThumbnailCache::decodeReduced(const QString &filePath, int maxSide)
{
    QFile file;
    if (!openRegularFile(filePath, file, false))
        return {};
    QImageReader reader(&file);
    reader.setDecideFormatFromContent(true);
    const QSize size = reader.size();
    if (size.isValid() && !size.isEmpty() && (size.width() > maxSide || size.height() > maxSide)) {
        // Asking the reader for the small size lets the JPEG decoder skip most of the work.
        reader.setScaledSize(
            size.scaled(maxSide, maxSide, Qt::KeepAspectRatio).expandedTo(QSize(1, 1)));
    }
    QImage image = reader.read();
    if (image.isNull())
        return {};
    if (image.width() > maxSide || image.height() > maxSide)
        image = image.scaled(maxSide, maxSide, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return image;
}

ThumbnailCache::Result ThumbnailCache::thumbnail(const QString &filePath, Flavor flavor) const
{
    if (QImage image = cached(filePath, flavor); !image.isNull())
        return {image, Source::Cache};
    QImage image = decodeReduced(filePath, sideOf(flavor));
    if (image.isNull())
        return {};
    // A cache that cannot be written (read-only home, full disk) only costs the next run time.
    store(filePath, flavor, image);
    return {image, Source::Decoded};
}

} // namespace velmo::img
