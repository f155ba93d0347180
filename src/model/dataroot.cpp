// DataRoot: the choice of the folder that stands for the program folder.
#include "model/dataroot.h"

#include "model/fileutil.h"

#include <QDir>
#include <QFileInfo>

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
        IsDirectory(executableFolder + QStringLiteral("/template")) &&
        QFileInfo(executableFolder).isWritable())
        return absoluteClean(executableFolder);

    // XDG base directory rules: a relative XDG_DATA_HOME is ignored.
    QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
    if (dataHome.isEmpty() || QDir::isRelativePath(dataHome))
        dataHome = QDir::homePath() + QStringLiteral("/.local/share");
    const QString root = absoluteClean(dataHome + QStringLiteral("/velmo"));
    QDir().mkpath(root);

    // Seeded once only: copying again on every start would overwrite templates the user edited.
    const QString sample = installedShareFolder + QStringLiteral("/template");
    const QString templates = root + QStringLiteral("/template");
    if (!installedShareFolder.isEmpty() && IsDirectory(sample) && !FileExists(templates))
        CopyFolderTree(sample, templates);
    return root;
}

} // namespace velmo
