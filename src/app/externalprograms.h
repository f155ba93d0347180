// The external programs the user configured (browsers, text editors, a graphics editor), where
// the settings keep them, and the one way the program starts any of them.
#pragma once

#include <array>

#include <QList>
#include <QString>

#include "model/document.h"

class QSettings;

// One stored program path: its settings group and key, and the entry of the record it fills.
struct ExternalProgramEntry
{
    QString group;
    QString key;
    std::array<QString, 3> velmo::ExternalProgramSettings::*field;
    int index;
};

// The seven stored paths, in the order of the directory settings dialog. Graphics editors 2
// and 3 are not stored.
const QList<ExternalProgramEntry> &externalProgramEntries();

// Missing values read as empty paths.
velmo::ExternalProgramSettings readExternalProgramSettings(QSettings &settings);
// Writes all seven values, empty ones included.
void writeExternalProgramSettings(QSettings &settings,
                                  const velmo::ExternalProgramSettings &programs);

// Starts program with parameters split as a command line (double quotes group words, """ is a
// literal quote); a folder is opened in the desktop's file manager instead. Returns false when
// nothing could be started; callers, like the user, are not told why.
bool launchProgram(const QString &program, const QString &parameters);

// For the rows left empty: the desktop's default web browser for address, and its default text
// editor (the handler of text/plain) for the file at path, else the file's own handler. False
// when nothing could be started.
bool openInDefaultBrowser(const QString &address);
bool openInDefaultTextEditor(const QString &path);
