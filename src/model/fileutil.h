// File, folder and path helpers shared by the template library, the generator and the forms.
// Paths are built with "/"; operations that split or unify separators accept "\" as well.
#pragma once

#include <ctime>
#include <optional>

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

class QFile;

namespace velmo {

// The most a template, style sheet or other text file may hold.
inline constexpr qint64 kMaxTextFileBytes = 16 * 1024 * 1024;
// Reads a UTF-8 file whole; nothing when it cannot be opened, is not a regular file (a FIFO, a
// device, a folder) or holds more than kMaxTextFileBytes.
std::optional<QString> readTextFile(const QString &path);
// The bytes of such a file, on the same terms.
std::optional<QByteArray> readTextFileBytes(const QString &path);
// The length of the file's text when it exists and its text equals text exactly; else 0.
qsizetype sameTextInFile(const QString &text, const QString &path);
// A file that could not be written, and why, in words for the user.
struct WriteFailure
{
    QString path;
    QString reason;
};
// Why a write failed, for the user: from errno when it is known. Without it (0: the writer
// kept no code, as QSaveFile does), guessed from the path's length and from the free space
// against bytesNeeded.
QString writeFailureReason(int error, const QString &path = QString(), qint64 bytesNeeded = 0);

// The write functions below put why they failed into reason when it is given.
// Writes text as UTF-8 (no byte-order mark) unless the file already holds exactly that text.
// Returns the byte count plus one, sameTextInFile's result when unchanged, or 0 on failure.
qsizetype writeTextFileIfChanged(const QString &text, const QString &path,
                                 QString *reason = nullptr);
// Writes text as UTF-8 (no byte-order mark) over whatever the file holds; false on failure,
// when the file may be left cut short.
bool writeTextFile(const QString &text, const QString &path, QString *reason = nullptr);
// The same for bytes.
bool writeFileBytes(const QString &path, const QByteArray &bytes, QString *reason = nullptr);
// True when the file exists and holds exactly these bytes (none for an empty file).
bool fileHoldsBytes(const QString &path, const QByteArray &bytes);
// 1 when both files open and hold the same bytes; else 0.
int sameFileContents(const QString &a, const QString &b);
bool fileExists(const QString &path);
bool isDirectory(const QString &path);
// The last write time (seconds since 1970) when the entry exists; else nothing.
std::optional<qint64> lastWriteTime(const QString &path);
// The names (without folder) of the files matching pattern ("folder/*.html": the extension
// matched without regard to case); empty as well when the folder is missing.
QStringList listFiles(const QString &pattern);
// The entries of folder whose names are not UTF-8, which listings pass over, each shown with
// replacement characters where its bytes do not decode.
QStringList undecodableNames(const QString &folder);
// The same for folders (never "." or "..").
QStringList listFolders(const QString &pattern);
// Creates every missing folder of path except its last component, which names a file.
// Returns 0 when the path has no component or a folder cannot be created, else 1.
int createFolderPath(const QString &path, QString *reason = nullptr);
// Copies source over target through a temporary file beside it (temporaryFileName, created
// afresh, never through a link) renamed into place, so that target is never left half written;
// false (target untouched) on failure.
bool copyFileReplacing(const QString &source, const QString &target, QString *reason = nullptr);
// Copies the rest of in to fd, gives the copy the modification time modified when one is given,
// and closes fd; 0, or the errno of the failure.
int copyToDescriptor(QFile &in, int fd, const timespec *modified = nullptr);
// Writes bytes to fd and closes it; 0, or the errno of the failure.
int writeToDescriptor(int fd, QByteArrayView bytes);
// A new name for a temporary file on its way to its real name: ".velmo-<process>-<n>.part".
// Each call gives another, so that no two writers share one.
QString temporaryFileName();
// The process that temporaryFileName gave that name in; nothing for any other name.
std::optional<qint64> temporaryWriter(QStringView name);
// True for a name temporaryFileName gave in a process that no longer runs: a copy a killed
// output left half written.
bool isAbandonedTemporary(QStringView name);
// Whether the process runs, under any user.
bool processIsRunning(qint64 pid);
// What lies below a folder, links not followed: the paths of everything that is not a folder
// (links to folders included), and of the folders, each after what it holds.
struct FolderTree
{
    QStringList files;
    QStringList folders;
};
// Lists the tree below folder, the folder itself not included. A folder that cannot be read
// lists as empty.
FolderTree listFolderTree(const QString &folder);
// Copies a folder tree, rewriting only files that are missing or differ. Files whose path
// below source is in skipped are left out; what could not be written goes into failures.
void copyFolderTree(const QString &source, const QString &destination,
                    const QSet<QString> &skipped = {}, QList<WriteFailure> *failures = nullptr);
// Deletes a folder with everything in it, or a file; 1 on success. Refuses (0) anything
// outside the data root's temporary/ folder, which is the only place it is used.
int deleteFolder(const QString &path, const QString &temporaryRoot);
// The relative link from base (a file, when its last component contains ".", or a folder) to
// target, as written into pages: "./" or "../" steps, then the target's remaining components,
// each followed by "/" unless it is the last and contains "." (a file name).
QString relativePath(const QString &target, const QString &base);
// The same from target and base split by pathComponents: a caller that relates many paths to
// one another splits each once.
QString relativePath(const QStringList &targetParts, const QStringList &baseParts);
// A path's components between "/" or "\\" separators, as relativePath reads them.
QStringList pathComponents(const QString &path);
// True when path, its links followed, names an entry inside folder (its links followed too): a
// template file that a link does not take elsewhere on the disk. False for what does not exist.
bool resolvesInside(const QString &path, const QString &folder);
// The program's folder in the user's state folder: $XDG_STATE_HOME/velmo, else
// ~/.local/state/velmo. What a person's work leaves behind that belongs in no document (recovery
// files, the trees' opened rows) is kept below it.
QString userStateFolder();
// A file name for what is kept about the document at documentPath: its name (cut to 60
// characters) and a digest of its absolute path, as the path may be longer than a name may be.
QString documentStateName(const QString &documentPath);

// The existing entry whose path matches path without regard to case (an exact match wins);
// an empty string when there is none. Linux names are case-sensitive, the documents' are not.
QString findFileIgnoringCase(const QString &path);

} // namespace velmo
