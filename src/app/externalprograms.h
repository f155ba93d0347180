// The external programs the user configured (browsers, text editors, a graphics editor), where
// the settings keep them, and the one way the program starts any of them.
#pragma once

#include <array>
#include <functional>

#include <QList>
#include <QString>

#include "model/document.h"

class QSettings;
class QUrl;

// One stored program path: its settings group and key, its row in 設定 > ディレクトリ設定, and
// the entry of the record it fills.
struct ExternalProgramEntry
{
    QString group;
    QString key;
    QString label;
    std::array<QString, 3> velmo::ExternalProgramSettings::*field;
    int index;
};

// The seven stored paths, in the order of the directory settings dialog. Graphics editors 2
// and 3 are not stored.
const QList<ExternalProgramEntry> &externalProgramEntries();
// The settings row of entry index of field (browsers, editors), as the dialog labels it.
QString externalProgramLabel(std::array<QString, 3> velmo::ExternalProgramSettings::*field,
                             int index);

// Missing values read as empty paths.
velmo::ExternalProgramSettings readExternalProgramSettings(QSettings &settings);
// Writes all seven values, empty ones included.
void writeExternalProgramSettings(QSettings &settings,
                                  const velmo::ExternalProgramSettings &programs);

// Called when a program that did start ended with an error within its first seconds: a browser
// that refuses to run, xdg-open whose application failed.
using LaunchFailed = std::function<void()>;

// Starts program with parameters split as a command line (double quotes group words, """ is a
// literal quote); a folder is opened in the desktop's file manager instead. Returns false when
// nothing could be started; failed follows when it started but failed at once. The program is
// never stopped by Velmo, which may end before it.
bool launchProgram(const QString &program, const QString &parameters,
                   const LaunchFailed &failed = {});

// Opens url with the desktop's application for mimeType (xdg-open). False when the desktop names
// none or nothing could be started; failed as for launchProgram.
bool openWithDesktop(const QUrl &url, const QString &mimeType, const LaunchFailed &failed = {});
// Opens a folder in the desktop's file manager, as openWithDesktop.
bool openFolder(const QString &folder, const LaunchFailed &failed = {});

// What the user is told when a program could not be started: what was to start it (a button's
// caption), the program (empty: the desktop's default), and the row of 設定 > ディレクトリ設定
// where one is set (empty: the desktop's own settings).
QString programNotStartedMessage(const QString &caption, const QString &program,
                                 const QString &settingsRow);

// For the rows left empty: the desktop's default web browser for address, and its default text
// editor (the handler of text/plain) for the file at path, else the file's own handler. False
// when nothing could be started.
bool openInDefaultBrowser(const QString &address, const LaunchFailed &failed = {});
bool openInDefaultTextEditor(const QString &path, const LaunchFailed &failed = {});
