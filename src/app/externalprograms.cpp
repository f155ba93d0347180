// Reading and writing the external program paths, and starting programs.
#include "app/externalprograms.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QUrl>

using namespace Qt::StringLiterals;

const QList<ExternalProgramEntry> &externalProgramEntries()
{
    using Settings = velmo::ExternalProgramSettings;
    static const QList<ExternalProgramEntry> entries = {
        {u"BrowserPath"_s, u"Browser1"_s, &Settings::browserPaths, 0},
        {u"BrowserPath"_s, u"Browser2"_s, &Settings::browserPaths, 1},
        {u"BrowserPath"_s, u"Browser3"_s, &Settings::browserPaths, 2},
        {u"EditorPath"_s, u"Editor1"_s, &Settings::editorPaths, 0},
        {u"EditorPath"_s, u"Editor2"_s, &Settings::editorPaths, 1},
        {u"EditorPath"_s, u"Editor3"_s, &Settings::editorPaths, 2},
        {u"GraphicsEditorPath"_s, u"Editor1"_s, &Settings::graphicsEditorPaths, 0},
    };
    return entries;
}

velmo::ExternalProgramSettings readExternalProgramSettings(QSettings &settings)
{
    velmo::ExternalProgramSettings programs;
    for (const ExternalProgramEntry &entry : externalProgramEntries()) {
        (programs.*entry.field)[size_t(entry.index)] =
            settings.value(entry.group + u'/' + entry.key).toString();
    }
    return programs;
}

void writeExternalProgramSettings(QSettings &settings,
                                  const velmo::ExternalProgramSettings &programs)
{
    for (const ExternalProgramEntry &entry : externalProgramEntries())
        settings.setValue(entry.group + u'/' + entry.key,
                          (programs.*entry.field)[size_t(entry.index)]);
    settings.sync();
}

bool launchProgram(const QString &program, const QString &parameters)
{
    if (program.isEmpty())
        return false;
    if (QFileInfo(program).isDir())
        return QDesktopServices::openUrl(QUrl::fromLocalFile(program));
    return QProcess::startDetached(program, QProcess::splitCommand(parameters));
}

namespace {

// The command line of the desktop's default application for text/plain, with path in place of
// its file field codes; empty when the desktop names none.
QStringList defaultTextEditorCommand(const QString &path)
{
    QProcess query;
    query.start(u"xdg-mime"_s, {u"query"_s, u"default"_s, u"text/plain"_s});
    if (!query.waitForFinished(3000) || query.exitCode() != 0)
        return {};
    const QString desktopFile = QString::fromUtf8(query.readAllStandardOutput()).trimmed();
    if (desktopFile.isEmpty() || desktopFile.contains(u'/'))
        return {};
    const QString located =
        QStandardPaths::locate(QStandardPaths::ApplicationsLocation, desktopFile);
    if (located.isEmpty())
        return {};
    QSettings entry(located, QSettings::IniFormat);
    const QString exec = entry.value(u"Desktop Entry/Exec"_s).toString();
    QStringList command;
    bool placed = false;
    for (const QString &word : QProcess::splitCommand(exec)) {
        if (word == u"%f"_s || word == u"%F"_s || word == u"%u"_s || word == u"%U"_s) {
            command << path;
            placed = true;
        } else if (!(word.size() == 2 && word.startsWith(u'%'))) {
            command << word;
        }
    }
    if (!placed && !command.isEmpty())
        command << path;
    return command;
}

} // namespace

bool openInDefaultBrowser(const QString &address)
{
    return !address.isEmpty() && QDesktopServices::openUrl(QUrl(address));
}

bool openInDefaultTextEditor(const QString &path)
{
    if (path.isEmpty())
        return false;
    const QStringList command = defaultTextEditorCommand(path);
    if (!command.isEmpty() && QProcess::startDetached(command.first(), command.mid(1)))
        return true;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}
