// File, folder and path helpers shared by the template library, the generator and the forms.
// Paths are built with "/"; operations that split or unify separators accept "\" as well.
#pragma once

#include <optional>

#include <QString>
#include <QStringList>

namespace velmo {

// The most a template, style sheet or other text file may hold.
inline constexpr qint64 kMaxTextFileBytes = 16 * 1024 * 1024;
// Reads a UTF-8 file whole; nothing when it cannot be opened, is not a regular file (a FIFO, a
// device, a folder) or holds more than kMaxTextFileBytes.
std::optional<QString> readTextFile(const QString &path);
// The length of the file's text when it exists and its text equals text exactly; else 0.
qsizetype sameTextInFile(const QString &text, const QString &path);
// Writes text as UTF-8 (no byte-order mark) unless the file already holds exactly that text.
// Returns the byte count plus one, sameTextInFile's result when unchanged, or 0 on failure.
qsizetype writeTextFileIfChanged(const QString &text, const QString &path);
// Writes text as UTF-8 (no byte-order mark) over whatever the file holds; false on failure.
bool writeTextFile(const QString &text, const QString &path);
// 1 when both files open and hold the same bytes; else 0.
int sameFileContents(const QString &a, const QString &b);
bool fileExists(const QString &path);
bool isDirectory(const QString &path);
// The last write time (seconds since 1970) when the entry exists; else nothing.
std::optional<qint64> lastWriteTime(const QString &path);
// The names (without folder) of the files matching pattern ("folder/*.html": the extension
// matched without regard to case); empty as well when the folder is missing.
QStringList listFiles(const QString &pattern);
// The same for folders (never "." or "..").
QStringList listFolders(const QString &pattern);
// Creates every missing folder of path except its last component, which names a file.
// Returns 0 when the path has no component or a folder cannot be created, else 1.
int createFolderPath(const QString &path);
// Copies source over target through a temporary file renamed into place, so that target is
// never left half written; false (target untouched) on failure.
bool copyFileReplacing(const QString &source, const QString &target);
// Copies a folder tree, rewriting only files that are missing or differ.
void copyFolderTree(const QString &source, const QString &destination);
// Deletes a folder with everything in it, or a file; 1 on success. Refuses (0) anything
// outside the data root's temporary/ folder, which is the only place it is used.
int deleteFolder(const QString &path, const QString &temporaryRoot);
// The relative link from base (a file, when its last component contains ".", or a folder) to
// target, as written into pages: "./" or "../" steps, then the target's remaining components,
// each followed by "/" unless it is the last and contains "." (a file name).
QString relativePath(const QString &target, const QString &base);
// The existing entry whose path matches path without regard to case (an exact match wins);
// an empty string when there is none. Linux names are case-sensitive, the documents' are not.
QString findFileIgnoringCase(const QString &path);

} // namespace velmo
