// ThumbnailLoader: decodes thumbnails on worker threads, the requested ones first, and hands
// each back to the GUI thread through a queued signal.
#pragma once

#include <memory>

#include <QImage>
#include <QObject>
#include <QStringList>

#include "imaging/thumbnailcache.h"

namespace velmo::ui {

class ThumbnailLoader : public QObject
{
    Q_OBJECT

public:
    explicit ThumbnailLoader(QObject *parent = nullptr);
    // Drops what is queued; decodes in progress finish on their own and are not delivered.
    ~ThumbnailLoader() override;

    // Replaces whatever was queued; results of earlier requests are no longer delivered.
    void start(const QStringList &paths, img::ThumbnailCache::Flavor flavor);
    // Moves these queued paths to the front, in this order.
    void prioritize(const QStringList &paths);
    void cancel();
    bool isIdle() const;

Q_SIGNALS:
    // A null image when the file cannot be decoded.
    void thumbnailReady(const QString &path, const QImage &image);

public:
    struct Shared;

private:
    void startWorkers();

    std::shared_ptr<Shared> m_shared;
    quint64 m_generation = 0;
};

} // namespace velmo::ui
