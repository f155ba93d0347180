// AutoSave: while the document has edits not yet saved, its state goes to a recovery file at a
// fixed interval; the user's own file is never touched.
#pragma once

#include <QByteArray>
#include <QFutureWatcher>
#include <QObject>
#include <QString>
#include <QTimer>

class DocumentSession;
class QSettings;

namespace velmo {
class UndoHistory;
}

class AutoSave : public QObject
{
    Q_OBJECT

public:
    static constexpr int kDefaultIntervalSeconds = 60;
    // The interval in seconds kept in the settings; 0 turns autosaving off.
    static int intervalSetting(const QSettings &settings);
    static void setIntervalSetting(QSettings &settings, int seconds);

    // Follows history: the first edit after a write starts the interval, so an idle document
    // wakes no timer.
    AutoSave(DocumentSession &session, velmo::UndoHistory &history, QObject *parent = nullptr);
    // Waits for a write still under way, so that no recovery file is left half-decided.
    ~AutoSave() override;

    void setIntervalSeconds(int seconds);
    int intervalSeconds() const { return m_intervalSeconds; }

    // Writes the document's state when it was edited since the last save or autosave: the bytes
    // are taken here, the file is written on a worker thread. False when there was nothing to
    // write or a write is still under way.
    bool writeNow();
    // Returns once the last write has ended.
    void waitForWrite();

    // The document left the session cleanly (saved, or its changes given up): its recovery
    // file goes, and the edits so far count as written.
    void discard();
    // A restored recovery file is the document's recovery until the next write or discard.
    void adopt(const QString &recoveryPath);
    // The recovery file last written for the document; empty when there is none.
    const QString &recoveryPath() const { return m_recoveryPath; }

Q_SIGNALS:
    // A write failed; reason says why. Said once until a write succeeds again.
    void writeFailed(const QString &reason);
    void written(const QString &recoveryPath);

private:
    void onWriteFinished();
    void onEdited();

    DocumentSession &m_session;
    QTimer m_timer;
    int m_intervalSeconds = 0;
    // Counts the history's changes; what was written is the count at that write.
    quint64 m_edits = 0;
    quint64 m_writtenEdits = 0;
    quint64 m_writingEdits = 0;
    QString m_recoveryPath;
    QString m_writingPath;
    // Reused from write to write: encoding into memory already faulted in is what keeps a large
    // document's snapshot short.
    QByteArray m_snapshot;
    QFutureWatcher<QString> m_write;
    bool m_failureReported = false;
};
