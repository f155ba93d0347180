// Placing pictures into a generated site.
#include "generator/imageoutput.h"

#include "generator/outputstatistics.h"
#include "model/fileutil.h"

#include <QFile>
#include <QFileInfo>

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

std::optional<QString> ImageOutput::placeImage(const QString &userImageFolder,
                                               const QString &siteImageFolder, const QString &path,
                                               int /*width*/, int /*height*/,
                                               const QString &pageOutputPath,
                                               OutputStatistics *statistics)
{
    const QString relative = unifySeparators(path.trimmed());
    if (!isSafeRelativePath(relative))
        return std::nullopt;
    // Linux file names are case-sensitive, the pictures' names in old texts are not.
    const QString source = FindFileIgnoringCase(unifySeparators(userImageFolder + u'/' + relative));
    if (source.isEmpty() || !QFileInfo(source).isFile())
        return std::nullopt;

    // Scaling comes with the image object; until then every picture is placed unscaled,
    // under its own name, beside the others in the site's image folder.
    const QString target = unifySeparators(siteImageFolder + u'/' + relative);
    qint64 sourceTime = 0;
    qint64 targetTime = 0;
    LastWriteTime(source, sourceTime);
    if (LastWriteTime(target, targetTime) == 0 || targetTime < sourceTime) {
        CreateFolderPath(target);
        if (CopyFileReplacing(source, target) && statistics != nullptr)
            ++statistics->filesCopied;
    }
    if (statistics != nullptr)
        statistics->producedFiles.insert(target);
    return unifySeparators(RelativePath(target, pageOutputPath));
}

} // namespace velmo::gen
