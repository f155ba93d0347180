// Recovery files: the unsaved state of a document, written now and then beside the user's own
// file so that a crash costs at most the last interval of edits.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>
#include <QStringList>

namespace velmo {

class RecoveryFile
{
public:
    // One file holds a header line, a line of JSON (the document's path, when it was written,
    // the size and digest of what follows) and the document's bytes, so that it is written in
    // one atomic step and a file cut short or from another version is recognised.
    static constexpr int kFormatVersion = 1;

    // $XDG_STATE_HOME/velmo/recovery (~/.local/state/velmo/recovery without it).
    static QString folder();
    // Where the recovery of the document at documentPath goes: named after a digest of the
    // absolute path, or, for a document never saved, after this process.
    static QString pathFor(const QString &documentPath);

    // Replaces path with the recovery of documentBytes through a temporary file renamed over
    // it; the folder is made when missing. Touches no document, so it may run on any thread.
    static bool write(const QString &path, const QString &documentPath, const QDateTime &written,
                      QByteArrayView documentBytes, QString *error = nullptr);

    struct Contents
    {
        QString documentPath; // empty for a document never saved
        QDateTime written;
        QByteArray documentBytes;
    };
    enum class ReadResult { Read, Missing, Broken };
    // Reads and checks a recovery file; why says what is wrong with a broken one.
    static ReadResult read(const QString &path, Contents &contents, QString *why = nullptr);
    // Renames a broken recovery file to "<name>.broken" (numbered when that exists) and returns
    // the new path, empty when it could not be renamed.
    static QString setAside(const QString &path);
    // Recovery files of documents never saved whose program is no longer running, newest first.
    static QStringList orphanedUntitled();
    // Removes the half-written files that programs killed while writing a recovery left behind.
    static void removeStaleTemporaries();

private:
    static QString untitledPrefix();
    static QByteArray header(const QString &documentPath, const QDateTime &written,
                             QByteArrayView documentBytes);
};

} // namespace velmo
