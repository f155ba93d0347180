// Scaling the pictures of an output on a pool of threads.
#include "generator/imagescaler.h"

#include <optional>
#include <utility>

#include <QCryptographicHash>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include "imaging/imageobject.h"
#include "model/fileutil.h"

namespace velmo::gen {

namespace {

QString extensionOf(const QString &fileName)
{
    const qsizetype dot = fileName.lastIndexOf(u'.');
    return dot < 0 ? QString() : fileName.mid(dot);
}

} // namespace

ImageScaler::ImageScaler(QObject *parent) : QObject(parent)
{
    // One picture per core: decoding and scaling keep a core busy each.
    m_pool.setMaxThreadCount(qMax(1, QThread::idealThreadCount()));
}

ImageScaler::~ImageScaler()
{
    cancel();
}

bool ImageScaler::request(const Job &job)
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (m_pending.contains(job.target))
            return false;
        m_pending.insert(job.target);
        ++m_started;
    }
    const int generation = m_generation;
    m_pool.start([this, job, generation] { run(job, generation); });
    return true;
}

int ImageScaler::pendingCount() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return int(m_pending.size());
}

void ImageScaler::waitForDone()
{
    m_pool.waitForDone();
}

void ImageScaler::cancel()
{
    ++m_generation;
    m_pool.clear();
    m_pool.waitForDone();
    const std::lock_guard<std::mutex> lock(m_mutex);
    // Jobs dropped from the queue never ran: their targets are free for a later request.
    m_pending.clear();
    m_started = m_finished = 0;
}

void ImageScaler::abandon()
{
    ++m_generation;
}

QList<ImageScaler::Outcome> ImageScaler::takeOutcomes()
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return std::exchange(m_outcomes, {});
}

void ImageScaler::run(const Job &job, int generation)
{
    // An abandoned job still passes through here, so that its target is free again and idle()
    // still comes; it only makes nothing.
    const bool wanted = generation == m_generation;
    std::optional<Outcome> outcome;
    if (wanted)
        outcome = scale(job);
    int done = 0;
    int total = 0;
    bool idleNow = false;
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_pending.remove(job.target);
        if (outcome)
            m_outcomes.append(std::move(*outcome));
        done = ++m_finished;
        total = m_started;
        idleNow = m_pending.isEmpty();
        if (idleNow)
            m_started = m_finished = 0;
    }
    Q_EMIT progress(done, total);
    if (idleNow)
        Q_EMIT idle();
}

ImageScaler::Outcome ImageScaler::scale(const Job &job)
{
    Outcome outcome;
    outcome.target = job.target;
    const QFileInfo source(job.source);
    QString cached;
    QString keyFile;
    QString key;
    if (!job.cacheFolder.isEmpty()) {
        const QString sourcePath = source.absoluteFilePath();
        const QByteArray name = QCryptographicHash::hash(
            (sourcePath + QStringLiteral("|%1|%2").arg(job.width).arg(job.height)).toUtf8(),
            QCryptographicHash::Sha1);
        // The extension stays the source's, so that saving chooses the same encoder as for
        // the target.
        cached = job.cacheFolder + u'/' + QString::fromLatin1(name.toHex()) +
                 extensionOf(source.fileName());
        keyFile = cached + QStringLiteral(".key");
        key = QStringLiteral("%1\n%2\n%3\n")
                  .arg(sourcePath)
                  .arg(source.lastModified().toMSecsSinceEpoch())
                  .arg(source.size());
        if (QFileInfo(cached).isFile() && sameTextInFile(key, keyFile) != 0) {
            createFolderPath(job.target);
            if (copyFileReplacing(cached, job.target)) {
                outcome.kind = Outcome::FromCache;
                return outcome;
            }
        }
    }

    img::ImageObject image;
    if (image.loadForSize(source.filePath(), job.width, job.height) == 0) {
        outcome.kind = Outcome::Undecodable;
        return outcome;
    }
    if (image.width() != job.width || image.height() != job.height)
        image.resize(job.width, job.height, img::ImageObject::Bicubic);
    outcome.kind = Outcome::Scaled;
    if (createFolderPath(job.target, &outcome.reason) == 0) {
        outcome.kind = Outcome::NotWritten;
        return outcome;
    }
    if (!cached.isEmpty()) {
        // The key goes last and only after a complete save: a key on disk always describes
        // the picture beside it.
        QFile::remove(keyFile);
        createFolderPath(cached);
        if (image.save(cached) != 0 && writeTextFile(key, keyFile)) {
            if (!copyFileReplacing(cached, job.target, &outcome.reason))
                outcome.kind = Outcome::NotWritten;
            return outcome;
        }
    }
    // The save replaces the target only with a complete file, but keeps no error code: the
    // reason is judged against the raw size, which no encoding of the picture exceeds much.
    if (image.save(job.target) == 0) {
        outcome.kind = Outcome::NotWritten;
        outcome.reason = writeFailureReason(0, job.target, qint64(job.width) * job.height * 4);
    }
    return outcome;
}

} // namespace velmo::gen
