// DataRoot: the choice of the folder that stands for the program folder.
#include "model/dataroot.h"

#include <QDir>
#include <QFileInfo>

#include "model/fileutil.h"

namespace velmo {

namespace {

QString absoluteClean(const QString &path)
{
    return QDir::cleanPath(QDir(path).absolutePath());
}

} // namespace

QString DataRoot::resolve(const QString &homeOption, const QString &executableFolder,
                          const QString &installedShareFolder)
{
    if (!homeOption.isEmpty())
        return absoluteClean(homeOption);
    const QString environmentHome = qEnvironmentVariable("VELMO_HOME");
    if (!environmentHome.isEmpty())
        return absoluteClean(environmentHome);

    // A build tree or an unpacked portable copy: everything stays beside the program.
    if (!executableFolder.isEmpty() &&
        isDirectory(executableFolder + QStringLiteral("/template")) &&
        QFileInfo(executableFolder).isWritable())
        return absoluteClean(executableFolder);

    // XDG base directory rules: a relative XDG_DATA_HOME is ignored.
    QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
    if (dataHome.isEmpty() || QDir::isRelativePath(dataHome))
        dataHome = QDir::homePath() + QStringLiteral("/.local/share");
    const QString root = absoluteClean(dataHome + QStringLiteral("/velmo"));
    QDir().mkpath(root);

    // Seeded once, when the folder that would hold the seed does not exist yet: copying again
    // on every start would overwrite templates the user edited, or bring back sample pictures
    // the user deleted.
    if (!installedShareFolder.isEmpty()) {
        const struct
        {
            QString seed;
            QString owner;
        } seeds[] = {{QStringLiteral("/template"), QStringLiteral("/template")},
                     {QStringLiteral("/user_image/sample"), QStringLiteral("/user_image")}};
        for (const auto &[seed, owner] : seeds) {
            if (isDirectory(installedShareFolder + seed) && !fileExists(root + owner))
                copyFolderTree(installedShareFolder + seed, root + seed);
        }
    }
    return root;
}

} // namespace velmo
