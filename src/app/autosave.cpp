// The autosave timer, the snapshot taken on the GUI thread and the write on a worker.
#include "app/autosave.h"

#include <utility>

#include <QDateTime>
#include <QFile>
#include <QSettings>
#include <QtConcurrent/QtConcurrentRun>

#include "app/documentsession.h"
#include "model/documentfile.h"
#include "model/undohistory.h"
#include "model/recoveryfile.h"

using namespace Qt::StringLiterals;

namespace {

const QString kIntervalKey = u"AutoSave/IntervalSeconds"_s;

} // namespace

int AutoSave::intervalSetting(const QSettings &settings)
{
    bool numeric = false;
    const int seconds = settings.value(kIntervalKey, kDefaultIntervalSeconds).toInt(&numeric);
    return numeric && seconds >= 0 ? seconds : kDefaultIntervalSeconds;
}

void AutoSave::setIntervalSetting(QSettings &settings, int seconds)
{
    settings.setValue(kIntervalKey, qMax(0, seconds));
}

AutoSave::AutoSave(DocumentSession &session, velmo::UndoHistory &history, QObject *parent)
    : QObject(parent), m_session(session)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &AutoSave::writeNow);
    connect(&m_write, &QFutureWatcher<QString>::finished, this, &AutoSave::onWriteFinished);
    connect(&history, &velmo::UndoHistory::changed, this, &AutoSave::onEdited);
}

void AutoSave::onEdited()
{
    ++m_edits;
    // The interval runs from the first edit not yet written; later edits wait for it.
    if (m_intervalSeconds > 0 && !m_timer.isActive())
        m_timer.start(m_intervalSeconds * 1000);
}

AutoSave::~AutoSave()
{
    waitForWrite();
}

void AutoSave::setIntervalSeconds(int seconds)
{
    m_intervalSeconds = qMax(0, seconds);
    m_timer.stop();
    if (m_intervalSeconds > 0 && m_edits != m_writtenEdits)
        m_timer.start(m_intervalSeconds * 1000);
}

bool AutoSave::writeNow()
{
    if (!m_writingPath.isEmpty())
        return false;
    const quint64 edits = m_edits;
    if (edits == m_writtenEdits)
        return false;
    // Back at the saved state (undone, or a new document): nothing is to be recovered, and an
    // older recovery would bring back what the user took back.
    if (!m_session.isModified()) {
        if (!m_recoveryPath.isEmpty())
            QFile::remove(std::exchange(m_recoveryPath, QString()));
        m_writtenEdits = edits;
        return false;
    }
    QString error;
    if (!velmo::DocumentFile::toBytes(m_session.global(), m_snapshot, &error)) {
        if (!std::exchange(m_failureReported, true))
            Q_EMIT writeFailed(error);
        return false;
    }
    const QString documentPath = m_session.pathName();
    m_writingPath = velmo::RecoveryFile::pathFor(documentPath);
    m_writingEdits = edits;
    // The worker holds a shared copy; by the next write it has let go, and the buffer is reused.
    m_write.setFuture(QtConcurrent::run([path = m_writingPath, documentPath, bytes = m_snapshot,
                                         written = QDateTime::currentDateTimeUtc()] {
        QString reason;
        if (!velmo::RecoveryFile::write(path, documentPath, written, bytes, &reason))
            return reason.isEmpty() ? u"書き込めません"_s : reason;
        return QString();
    }));
    return true;
}

void AutoSave::waitForWrite()
{
    if (m_writingPath.isEmpty())
        return;
    m_write.waitForFinished();
    onWriteFinished();
}

void AutoSave::onWriteFinished()
{
    // Taken in waitForWrite already when it waited for this write.
    if (m_writingPath.isEmpty())
        return;
    const QString path = std::exchange(m_writingPath, QString());
    const QString reason = m_write.future().result();
    if (!reason.isEmpty()) {
        if (!std::exchange(m_failureReported, true))
            Q_EMIT writeFailed(u"復元データ「%1」を書き込めませんでした。%2"_s.arg(path, reason));
        return;
    }
    m_failureReported = false;
    // A restored recovery of another program run (a document never saved) is replaced by this
    // run's own.
    if (!m_recoveryPath.isEmpty() && m_recoveryPath != path)
        QFile::remove(m_recoveryPath);
    m_recoveryPath = path;
    m_writtenEdits = m_writingEdits;
    // Edits made while the worker wrote wait for the next interval.
    if (m_edits != m_writtenEdits && m_intervalSeconds > 0 && !m_timer.isActive())
        m_timer.start(m_intervalSeconds * 1000);
    Q_EMIT written(path);
}

void AutoSave::discard()
{
    waitForWrite();
    if (!m_recoveryPath.isEmpty())
        QFile::remove(std::exchange(m_recoveryPath, QString()));
    m_writtenEdits = m_edits;
    m_timer.stop();
}

void AutoSave::adopt(const QString &recoveryPath)
{
    waitForWrite();
    m_recoveryPath = recoveryPath;
    m_writtenEdits = m_edits;
}
