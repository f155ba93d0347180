// The thumbnail workers: a queue under one lock, a generation number so that a folder change
// drops late results, and results posted to the loader's own thread.
#include "editors/thumbnailloader.h"

#include <algorithm>

#include <QMutex>
#include <QMutexLocker>

namespace velmo::ui {

struct ThumbnailLoader::Shared
{
    QMutex mutex;
    QStringList pending;
    quint64 generation = 0;
    img::ThumbnailCache::Flavor flavor = img::ThumbnailCache::Flavor::Normal;
    int running = 0;
    img::ThumbnailCache cache;
};

ThumbnailLoader::ThumbnailLoader(QObject *parent)
    : QObject(parent), m_shared(std::make_shared<Shared>())
{
    // One core stays free for the GUI thread, so that scrolling and typing never wait.
    m_pool.setMaxThreadCount(std::max(1, QThread::idealThreadCount() - 1));
}

ThumbnailLoader::~ThumbnailLoader()
{
    cancel();
    // Workers post to this object; they must be done before it goes.
    m_pool.waitForDone();
}

void ThumbnailLoader::start(const QStringList &paths, img::ThumbnailCache::Flavor flavor)
{
    {
        QMutexLocker lock(&m_shared->mutex);
        m_shared->pending = paths;
        m_shared->flavor = flavor;
        // The cache location is read when loading starts, not once per process.
        m_shared->cache = img::ThumbnailCache();
        m_generation = ++m_shared->generation;
    }
    startWorkers();
}

void ThumbnailLoader::prioritize(const QStringList &paths)
{
    QMutexLocker lock(&m_shared->mutex);
    QStringList &pending = m_shared->pending;
    qsizetype front = 0;
    for (const QString &path : paths) {
        const qsizetype at = pending.indexOf(path, front);
        if (at >= 0)
            pending.move(at, front++);
    }
}

void ThumbnailLoader::cancel()
{
    QMutexLocker lock(&m_shared->mutex);
    m_shared->pending.clear();
    m_generation = ++m_shared->generation;
}

bool ThumbnailLoader::isIdle() const
{
    QMutexLocker lock(&m_shared->mutex);
    return m_shared->pending.isEmpty() && m_shared->running == 0;
}

void ThumbnailLoader::startWorkers()
{
    int toStart = 0;
    {
        QMutexLocker lock(&m_shared->mutex);
        toStart = std::min<qsizetype>(m_pool.maxThreadCount() - m_shared->running,
                                      m_shared->pending.size());
        m_shared->running += std::max(0, toStart);
    }
    for (int i = 0; i < toStart; ++i) {
        m_pool.start([shared = m_shared, loader = this] {
            for (;;) {
                QString path;
                quint64 generation = 0;
                img::ThumbnailCache cache;
                img::ThumbnailCache::Flavor flavor;
                {
                    QMutexLocker lock(&shared->mutex);
                    if (shared->pending.isEmpty()) {
                        --shared->running;
                        return;
                    }
                    path = shared->pending.takeFirst();
                    generation = shared->generation;
                    cache = shared->cache;
                    flavor = shared->flavor;
                }
                const QImage image = cache.thumbnail(path, flavor).image;
                // The loader outlives every worker (its destructor waits for them), and a
                // posted call to it is discarded if it is destroyed before the call runs.
                QMetaObject::invokeMethod(
                    loader,
                    [loader, generation, path, image] {
                        if (generation == loader->m_generation)
                            Q_EMIT loader->thumbnailReady(path, image);
                    },
                    Qt::QueuedConnection);
            }
        });
    }
}

} // namespace velmo::ui
