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
    // Where a program (this one by default) writes the recovery of the document at
    // documentPath: named after a digest of the absolute path and after the program, so that
    // two programs editing one document each keep their own.
    static QString pathFor(const QString &documentPath, qint64 process = 0);
    // The recovery files of documentPath (of documents never saved, when empty) that other
    // programs wrote, newest first; whether their writers still run is read from the files.
    static QStringList recoveriesFor(const QString &documentPath);

    // Replaces path with the recovery of documentBytes through a temporary file renamed over
    // it; the folder is made when missing. Touches no document, so it may run on any thread.
    static bool write(const QString &path, const QString &documentPath, const QDateTime &written,
                      QByteArrayView documentBytes, QString *error = nullptr);

    struct Contents
    {
        QString documentPath; // empty for a document never saved
        QDateTime written;
        QByteArray documentBytes;
        // The program that wrote it, and when that program started (in the system's clock
        // ticks since boot), so that another program given the same number later is not taken
        // for it; 0 when the file does not say (written by an earlier version).
        qint64 writer = 0;
        qint64 writerStarted = 0;
    };
    enum class ReadResult { Read, Missing, Broken };
    enum class Part { HeaderOnly, Whole };
    // Reads and checks a recovery file; why says what is wrong with a broken one. The header is
    // read and checked against the file's size first: a file never costs more memory than the
    // document it holds.
    static ReadResult read(const QString &path, Contents &contents, QString *why = nullptr,
                           Part part = Part::Whole);
    // True while the program that wrote contents runs: its recovery is its own business.
    static bool isWriterRunning(const Contents &contents);
    // Renames a broken recovery file to "<name>.broken" (numbered when that exists) and returns
    // the new path, empty when it could not be renamed.
    static QString setAside(const QString &path);
    // Removes the half-written files that programs killed while writing a recovery left behind.
    static void removeStaleTemporaries();

private:
    // The moment a process started, in clock ticks since boot; 0 when it cannot be read.
    static qint64 processStarted(qint64 process);
    static QByteArray header(const QString &documentPath, const QDateTime &written,
                             QByteArrayView documentBytes);
};

} // namespace velmo
