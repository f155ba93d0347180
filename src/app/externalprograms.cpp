// Reading and writing the external program paths, and starting programs.
#include "app/externalprograms.h"

#include <optional>

#include <QDesktopServices>
#include <QElapsedTimer>
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
        {u"BrowserPath"_s, u"Browser1"_s, u"ブラウザアプリケーション １"_s, &Settings::browserPaths,
         0},
        {u"BrowserPath"_s, u"Browser2"_s, u"ブラウザアプリケーション ２"_s, &Settings::browserPaths,
         1},
        {u"BrowserPath"_s, u"Browser3"_s, u"ブラウザアプリケーション ３"_s, &Settings::browserPaths,
         2},
        {u"EditorPath"_s, u"Editor1"_s, u"テキスト エディタアプリケーション １"_s,
         &Settings::editorPaths, 0},
        {u"EditorPath"_s, u"Editor2"_s, u"テキスト エディタアプリケーション ２"_s,
         &Settings::editorPaths, 1},
        {u"EditorPath"_s, u"Editor3"_s, u"エディタアプリケーション ３"_s, &Settings::editorPaths,
         2},
        {u"GraphicsEditorPath"_s, u"Editor1"_s, u"グラフィックス エディタアプリケーション １"_s,
         &Settings::graphicsEditorPaths, 0},
    };
    return entries;
}

QString externalProgramLabel(std::array<QString, 3> velmo::ExternalProgramSettings::*field,
                             int index)
{
    for (const ExternalProgramEntry &entry : externalProgramEntries()) {
        if (entry.field == field && entry.index == index)
            return entry.label;
    }
    return {};
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

namespace {

// How long a started program is watched for an exit with an error. A browser or editor the user
// closes later ends on its own terms, which is no failure to start.
constexpr int kStartWatchMs = 8000;

// Starts program, and calls failed when it ends with an error within kStartWatchMs. The process
// object has no parent and is not destroyed while the program runs: destroying it would kill a
// program the user is working in. False when it could not be started at all.
bool startWatched(const QString &program, const QStringList &arguments, const LaunchFailed &failed)
{
    auto *process = new QProcess;
    process->setProgram(program);
    process->setArguments(arguments);
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    process->setStandardInputFile(QProcess::nullDevice());
    process->start();
    if (!process->waitForStarted(5000)) {
        delete process;
        return false;
    }
    QElapsedTimer clock;
    clock.start();
    QObject::connect(process, &QProcess::finished, process,
                     [process, failed, clock](int code, QProcess::ExitStatus status) {
                         if ((status != QProcess::NormalExit || code != 0) &&
                             clock.elapsed() < kStartWatchMs && failed)
                             failed();
                         process->deleteLater();
                     });
    return true;
}

} // namespace

bool launchProgram(const QString &program, const QString &parameters, const LaunchFailed &failed)
{
    if (program.isEmpty())
        return false;
    if (QFileInfo(program).isDir())
        return openFolder(program, failed);
    return startWatched(program, QProcess::splitCommand(parameters), failed);
}

namespace {

// The desktop's default application for mimeType as xdg-mime names it; nullopt when xdg-mime
// cannot be asked (openUrl then has its own say).
std::optional<QString> desktopDefault(const QString &mimeType)
{
    QProcess query;
    query.start(u"xdg-mime"_s, {u"query"_s, u"default"_s, mimeType});
    if (!query.waitForFinished(3000) || query.exitStatus() != QProcess::NormalExit)
        return std::nullopt;
    return QString::fromUtf8(query.readAllStandardOutput()).trimmed();
}

} // namespace

bool openWithDesktop(const QUrl &url, const QString &mimeType, const LaunchFailed &failed)
{
    if (!url.isValid())
        return false;
    const std::optional<QString> handler = desktopDefault(mimeType);
    if (handler && handler->isEmpty())
        return false;
    // xdg-open says with its exit status whether the application it chose ran; without it,
    // Qt's own way is all there is.
    if (handler && startWatched(u"xdg-open"_s,
                                {url.isLocalFile() ? url.toLocalFile() : url.toString()}, failed))
        return true;
    return QDesktopServices::openUrl(url);
}

bool openFolder(const QString &folder, const LaunchFailed &failed)
{
    return openWithDesktop(QUrl::fromLocalFile(folder), u"inode/directory"_s, failed);
}

QString programNotStartedMessage(const QString &caption, const QString &program,
                                 const QString &settingsRow)
{
    QString message =
        program.isEmpty()
            ? u"「%1」: 既定のプログラムを起動できませんでした。"_s.arg(caption)
            : u"「%1」: プログラムを起動できませんでした。\r\n%2"_s.arg(caption, program);
    if (!settingsRow.isEmpty())
        message +=
            u"\r\n使うプログラムは [設定] > [ディレクトリ設定] の「%1」で設定できます。"_s.arg(
                settingsRow);
    else
        message += u"\r\nデスクトップの設定で、既定のファイルマネージャを選んでください。"_s;
    return message;
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

bool openInDefaultBrowser(const QString &address, const LaunchFailed &failed)
{
    const QUrl url(address);
    if (address.isEmpty())
        return false;
    return openWithDesktop(
        url, url.isLocalFile() ? u"text/html"_s : u"x-scheme-handler/"_s + url.scheme(), failed);
}

bool openInDefaultTextEditor(const QString &path, const LaunchFailed &failed)
{
    if (path.isEmpty())
        return false;
    const QStringList command = defaultTextEditorCommand(path);
    if (!command.isEmpty() && startWatched(command.first(), command.mid(1), failed))
        return true;
    return openWithDesktop(QUrl::fromLocalFile(path), u"text/html"_s, failed);
}
