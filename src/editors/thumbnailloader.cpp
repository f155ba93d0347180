// The thumbnail workers: a queue under one lock, a generation number so that a folder change
// drops late results, and results posted to the loader's own thread while it is there.
#include "editors/thumbnailloader.h"

#include <algorithm>

#include <QMutex>
#include <QMutexLocker>
#include <QThread>
#include <QThreadPool>

namespace velmo::ui {

struct ThumbnailLoader::Shared
{
    QMutex mutex;
    QStringList pending;
    quint64 generation = 0;
    img::ThumbnailCache::Flavor flavor = img::ThumbnailCache::Flavor::Normal;
    int running = 0;
    img::ThumbnailCache cache;
    // Where results go; cleared, under the lock, when the loader goes, so that a worker still
    // decoding then posts to nobody.
    ThumbnailLoader *loader = nullptr;
};

namespace {

// The workers of every loader. A loader that goes (the image dialog closed) never waits for
// a decode in progress: the GUI thread must not hang on a slow or stuck file.
QThreadPool &workers()
{
    struct Workers : QThreadPool
    {
        // One core stays free for the GUI thread, so that scrolling and typing never wait.
        Workers() { setMaxThreadCount(std::max(1, QThread::idealThreadCount() - 1)); }
    };
    static Workers pool;
    return pool;
}

} // namespace

ThumbnailLoader::ThumbnailLoader(QObject *parent)
    : QObject(parent), m_shared(std::make_shared<Shared>())
{
    m_shared->loader = this;
}

ThumbnailLoader::~ThumbnailLoader()
{
    QMutexLocker lock(&m_shared->mutex);
    m_shared->pending.clear();
    m_shared->loader = nullptr;
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
        toStart = std::min<qsizetype>(workers().maxThreadCount() - m_shared->running,
                                      m_shared->pending.size());
        m_shared->running += std::max(0, toStart);
    }
    for (int i = 0; i < toStart; ++i) {
        workers().start([shared = m_shared] {
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
                // Posted under the lock, so the loader cannot go meanwhile; a call posted to
                // it is discarded if it goes before the call runs.
                QMutexLocker lock(&shared->mutex);
                if (ThumbnailLoader *loader = shared->loader) {
                    QMetaObject::invokeMethod(
                        loader,
                        [loader, generation, path, image] {
                            if (generation == loader->m_generation)
                                Q_EMIT loader->thumbnailReady(path, image);
                        },
                        Qt::QueuedConnection);
                }
            }
        });
    }
}

} // namespace velmo::ui
