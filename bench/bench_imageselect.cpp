// Benchmarks of the image selection dialog on a folder of 200 photographs of 4000 x 3000:
// the time until the first five rows show thumbnails (cold and warm thumbnail cache), and the
// longest gap in the event loop while the rest of the thumbnails load.
#include <algorithm>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include "editors/imageselectdialog.h"
#include "editors/thumbnaillist.h"
#include "widgetbench.h"

using velmo::img::ImageRecord;
using velmo::ui::ImageSelectDialog;
using velmo::ui::ThumbnailList;

namespace {

constexpr int kPhotos = 200;

// Below the current folder: a busy /tmp can be much slower than the disk pictures live on.
struct Fixture
{
    QTemporaryDir photos{QDir::currentPath() + QStringLiteral("/velmo-bench-photos-XXXXXX")};
    bool ready = false;
};

Fixture &fixture()
{
    static Fixture instance;
    return instance;
}

// Gradients with sensor-like noise, so that the files decode like photographs; each file gets
// its own band so that no two are the same.
QImage photographLike(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    QRandomGenerator random(20240601);
    for (int y = 0; y < height; ++y) {
        auto *row = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const int noise = int(random.bounded(17u)) - 8;
            row[x] = qRgb(qBound(0, 40 + x * 160 / width + noise, 255),
                          qBound(0, 60 + y * 140 / height + noise, 255),
                          qBound(0, 200 - (x + y) * 120 / (width + height) + noise, 255));
        }
    }
    return image;
}

bool prepare()
{
    Fixture &f = fixture();
    if (f.ready)
        return true;
    if (!f.photos.isValid())
        return false;
    const QImage base = photographLike(4000, 3000);
    for (int i = 0; i < kPhotos; ++i) {
        QImage photo = base;
        QPainter painter(&photo);
        painter.fillRect(0, i * 15, 4000, 15, QColor::fromHsv(i * 7 % 360, 160, 200));
        painter.end();
        QImageWriter writer(
            f.photos.filePath(QStringLiteral("IMG_%1.JPG").arg(i, 4, 10, QLatin1Char('0'))),
            "jpeg");
        writer.setQuality(90);
        if (!writer.write(photo))
            return false;
    }
    f.ready = true;
    return true;
}

// A thumbnail cache folder of its own, empty for a cold run.
void useCache(QTemporaryDir &cache)
{
    qputenv("XDG_CACHE_HOME", QFile::encodeName(cache.path()));
}

bool firstRowsShown(const ThumbnailList *list)
{
    const qsizetype shown = std::min<qsizetype>(ThumbnailList::kRows, list->records().size());
    for (qsizetype i = 0; i < shown; ++i) {
        if (list->records().at(i).state == ImageRecord::State::Pending)
            return false;
    }
    return true;
}

// Runs the event loop until done() holds, at most 60 s; false on time-out.
template<typename Done>
bool waitFor(const ThumbnailList *list, Done done)
{
    if (done())
        return true;
    QEventLoop loop;
    QObject::connect(list, &ThumbnailList::recordUpdated, &loop, [&] {
        if (done())
            loop.quit();
    });
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    loop.exec();
    return done();
}

// Opens the dialog and reports how long until it was shown and until five rows had thumbnails.
void openDialog(benchmark::State &state, bool warm)
{
    if (!prepare())
        return state.SkipWithError("cannot write the photographs");
    QTemporaryDir cache(QDir::currentPath() + QStringLiteral("/velmo-bench-cache-XXXXXX"));
    useCache(cache);
    if (warm) {
        ImageSelectDialog dialog;
        dialog.setRootFolder(fixture().photos.path());
        dialog.show();
        if (!waitFor(dialog.thumbnailList(),
                     [&] { return dialog.thumbnailList()->thumbnailsComplete(); }))
            return state.SkipWithError("warming the cache timed out");
    }
    double shownMs = 0;
    for (auto _ : state) {
        if (!warm) {
            state.PauseTiming();
            cache.remove();
            QDir().mkpath(cache.path());
            state.ResumeTiming();
        }
        QElapsedTimer clock;
        clock.start();
        auto dialog = std::make_unique<ImageSelectDialog>();
        dialog->setRootFolder(fixture().photos.path());
        dialog->show();
        shownMs = double(clock.nsecsElapsed()) / 1e6;
        if (!waitFor(dialog->thumbnailList(),
                     [&] { return firstRowsShown(dialog->thumbnailList()); }))
            return state.SkipWithError("the first rows never came");
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
        state.PauseTiming();
        dialog.reset();
        state.ResumeTiming();
    }
    state.counters["shown_ms"] = shownMs;
}

void BM_FirstRowsColdCache(benchmark::State &state)
{
    openDialog(state, false);
}
BENCHMARK(BM_FirstRowsColdCache)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_FirstRowsWarmCache(benchmark::State &state)
{
    openDialog(state, true);
}
BENCHMARK(BM_FirstRowsWarmCache)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

// The whole folder with a cold cache; the counter is the longest gap between the ticks of a
// 10 ms timer, i.e. the longest time the dialog could not have answered the user.
void BM_LongestStallWhileLoading(benchmark::State &state)
{
    if (!prepare())
        return state.SkipWithError("cannot write the photographs");
    QTemporaryDir cache(QDir::currentPath() + QStringLiteral("/velmo-bench-cache-XXXXXX"));
    useCache(cache);
    double longestGapMs = 0;
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        qint64 lastTick = 0;
        qint64 longest = 0;
        QTimer ticker;
        ticker.setTimerType(Qt::PreciseTimer);
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            const qint64 now = clock.nsecsElapsed();
            longest = std::max(longest, now - lastTick);
            lastTick = now;
        });
        ticker.start(10);
        // The gap from here on includes building the dialog and listing the folder.
        ImageSelectDialog dialog;
        dialog.setRootFolder(fixture().photos.path());
        dialog.show();
        if (!waitFor(dialog.thumbnailList(),
                     [&] { return dialog.thumbnailList()->thumbnailsComplete(); }))
            return state.SkipWithError("loading timed out");
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
        longestGapMs = double(longest) / 1e6;
    }
    state.counters["longest_gap_ms"] = longestGapMs;
}
BENCHMARK(BM_LongestStallWhileLoading)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

} // namespace

int main(int argc, char **argv)
{
    return runWidgetBenchmarks(argc, argv);
}
