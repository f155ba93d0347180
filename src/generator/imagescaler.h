// ImageScaler, the pictures an output asks to be scaled, made on every core away from the thread
// that asked: the page refers to where each picture will be, and is written at once.
#pragma once

#include <atomic>
#include <mutex>

#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QThreadPool>

namespace velmo::gen {

class ImageScaler : public QObject
{
    Q_OBJECT

public:
    // One picture: source scaled to width x height into target, through the cache of scaled
    // copies in cacheFolder (empty: none).
    struct Job
    {
        QString source;
        QString target;
        int width = 0;
        int height = 0;
        QString cacheFolder;
    };
    struct Outcome
    {
        enum Kind { Scaled, FromCache, Undecodable, NotWritten };
        QString target;
        Kind kind = Scaled;
        // Why the target could not be written (NotWritten).
        QString reason;
    };

    explicit ImageScaler(QObject *parent = nullptr);
    // Waits for the jobs that are running; those not started are dropped.
    ~ImageScaler() override;

    // Queues job unless its target is queued or being made already. True when queued now.
    bool request(const Job &job);
    // Jobs queued or running.
    int pendingCount() const;
    // Blocks until every queued job is done (the command-line tool, tests).
    void waitForDone();
    // Drops the jobs not started yet and waits for the running ones.
    void cancel();
    // As cancel, without waiting: the jobs queued so far make nothing, the running ones finish
    // on their own. For a scaler whose work another is about to do.
    void abandon();
    // What the finished jobs did, in the order they finished; the list starts anew.
    QList<Outcome> takeOutcomes();

    // Makes one picture, on whatever thread calls it: from the cache when a copy made for the
    // same source (path, write time and size) at the same size is there, else decoded (a JPEG
    // at the size asked for), scaled with bicubic interpolation and encoded.
    static Outcome scale(const Job &job);

Q_SIGNALS:
    // A job finished; done of total since the scaler was last idle. Emitted from the worker.
    void progress(int done, int total);
    // Every queued job is done. Emitted from the worker thread of the last job.
    void idle();

private:
    void run(const Job &job, int generation);

    QThreadPool m_pool;
    mutable std::mutex m_mutex;
    QSet<QString> m_pending;
    QList<Outcome> m_outcomes;
    int m_started = 0;
    int m_finished = 0;
    // Raised by cancel() and abandon(): jobs queued under an older one are skipped.
    std::atomic<int> m_generation{0};
};

} // namespace velmo::gen
