// Reading and writing the external program paths, and starting programs.
#include "app/externalprograms.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
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
