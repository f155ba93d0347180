// Placing pictures into a generated site, with a cache of scaled copies that outlives the
// working folder.
#include "generator/imageoutput.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#include "generator/outputstatistics.h"
#include "imaging/imageobject.h"
#include "model/fileutil.h"

namespace velmo::gen {

namespace {

// A picture path comes from a content text: it may name nothing outside the user image folder.
bool isSafeRelativePath(const QString &path)
{
    if (path.isEmpty() || path.startsWith(u'/'))
        return false;
    const QStringList parts = path.split(u'/', Qt::SkipEmptyParts);
    for (const QString &part : parts) {
        if (part == u".." || part == u".")
            return false;
    }
    return !parts.isEmpty();
}

// Milliseconds rather than seconds: a picture saved again within the second that its copy was
// made must still count as newer.
bool isFresh(const QString &target, const QFileInfo &source)
{
    const QFileInfo info(target);
    return info.isFile() && info.lastModified() >= source.lastModified();
}

void countCopy(OutputStatistics *statistics, int OutputStatistics::*counter)
{
    if (statistics != nullptr)
        ++(statistics->*counter);
}

void noteFailure(OutputStatistics *statistics, const QString &path, const QString &reason)
{
    if (statistics != nullptr)
        statistics->noteWriteFailure(path, reason);
}

} // namespace

QString ImageOutput::unifySeparators(QString path)
{
    path.replace(u'\\', u'/');
    while (path.contains(QStringLiteral("//")))
        path.replace(QStringLiteral("//"), QStringLiteral("/"));
    return path;
}

QString ImageOutput::scaledFileName(const QString &fileName, int width, int height)
{
    QString result = fileName;
    result.replace(u'.', QStringLiteral("_w%1_h%2.").arg(width).arg(height));
    return result;
}

std::optional<QString> ImageOutput::intendedAddress(const Folders &folders, const QString &path,
                                                    int width, int height,
                                                    const QString &pageOutputPath)
{
    QString relative = unifySeparators(path.trimmed());
    if (relative.startsWith(u'/'))
        relative.remove(0, 1);
    if (!isSafeRelativePath(relative))
        return std::nullopt;
    QString target = unifySeparators(folders.siteImageFolder + u'/' + relative);
    // Without the source its size is unknown: a size given is taken to scale it.
    if (width != 0 || height != 0) {
        const qsizetype slash = target.lastIndexOf(u'/');
        target = target.left(slash + 1) + scaledFileName(target.mid(slash + 1), width, height);
    }
    return unifySeparators(relativePath(target, pageOutputPath));
}

QString ImageOutput::undecodable(int width, int height)
{
    if (width > img::ImageObject::kMaxSide || height > img::ImageObject::kMaxSide ||
        qint64(width) * height > img::ImageObject::kMaxDecodedPixels)
        return QStringLiteral("_image() 画像が大きすぎて読み込めません（%1×%2 ピクセル、"
                              "縮小できるのは %3 万ピクセルまでです）。")
            .arg(width)
            .arg(height)
            .arg(img::ImageObject::kMaxDecodedPixels / 10000);
    return QStringLiteral(
        "_image() 画像を読み込めません（壊れているか、対応していない形式です）。");
}

std::optional<QString> ImageOutput::placeImage(const Folders &folders, const QString &path,
                                               int width, int height, const QString &pageOutputPath,
                                               OutputStatistics *statistics, QString *why)
{
    // The content editor writes the path below the user image folder with a leading "/": the
    // source is that folder, "/" and the path, so the slash only separates.
    QString relative = unifySeparators(path.trimmed());
    if (relative.startsWith(u'/'))
        relative.remove(0, 1);
    if (!isSafeRelativePath(relative))
        return std::nullopt;
    const QString userFolder = unifySeparators(folders.userImageFolder);
    // Linux file names are case-sensitive, the pictures' names in old texts are not.
    const QString source = findFileIgnoringCase(unifySeparators(userFolder + u'/' + relative));
    const QFileInfo sourceInfo(source);
    if (source.isEmpty() || !sourceInfo.isFile())
        return std::nullopt;
    // The header is enough to choose between copy and scaling: regenerating with unchanged
    // pictures decodes nothing. A file without a readable header is no picture.
    int sourceWidth = 0;
    int sourceHeight = 0;
    if (!img::ImageObject::readImageSize(source, &sourceWidth, &sourceHeight)) {
        if (why != nullptr)
            *why = undecodable(0, 0);
        return std::nullopt;
    }

    // Targets take the source's real name, so that "A.jpg" and "a.jpg" in two texts share
    // one copy.
    const QString prefix = userFolder + u'/';
    const QString below = source.startsWith(prefix) ? source.mid(prefix.size()) : relative;
    QString target = unifySeparators(folders.siteImageFolder + u'/' + below);
    const bool unscaled =
        (width == 0 && height == 0) || (width == sourceWidth && height == sourceHeight);
    if (unscaled) {
        if (!isFresh(target, sourceInfo)) {
            QString reason;
            if (createFolderPath(target, &reason) != 0 &&
                copyFileReplacing(source, target, &reason)) {
                countCopy(statistics, &OutputStatistics::filesCopied);
            } else {
                // The page still refers to the picture: the run is incomplete, not the page.
                noteFailure(statistics, target, reason);
            }
        }
    } else {
        const qsizetype slash = target.lastIndexOf(u'/');
        target = target.left(slash + 1) + scaledFileName(target.mid(slash + 1), width, height);
        if (!isFresh(target, sourceInfo)) {
            const ImageScaler::Job job{source, target, width, height, folders.cacheFolder};
            if (folders.scaler != nullptr) {
                folders.scaler->request(job);
            } else {
                const ImageScaler::Outcome outcome = ImageScaler::scale(job);
                if (outcome.kind == ImageScaler::Outcome::Undecodable) {
                    if (why != nullptr)
                        *why = undecodable(sourceWidth, sourceHeight);
                    return std::nullopt;
                }
                count(outcome, statistics);
            }
        }
    }
    if (statistics != nullptr)
        statistics->producedFiles.insert(target);
    return unifySeparators(relativePath(target, pageOutputPath));
}

void ImageOutput::count(const ImageScaler::Outcome &outcome, OutputStatistics *statistics)
{
    switch (outcome.kind) {
    case ImageScaler::Outcome::Scaled:
        countCopy(statistics, &OutputStatistics::picturesScaled);
        break;
    case ImageScaler::Outcome::FromCache:
        countCopy(statistics, &OutputStatistics::picturesFromCache);
        break;
    case ImageScaler::Outcome::NotWritten:
        countCopy(statistics, &OutputStatistics::picturesScaled);
        // The page still refers to the picture: the run is incomplete, not the page.
        noteFailure(statistics, outcome.target, outcome.reason);
        break;
    case ImageScaler::Outcome::Undecodable:
        noteFailure(statistics, outcome.target, QStringLiteral("元の画像を読み込めませんでした。"));
        break;
    }
}

} // namespace velmo::gen
