// Benchmarks of the pictures of a site output: 200 photographs scaled into an empty working
// folder with an empty cache, the same with the cache filled by an earlier output, and a
// regeneration into a working folder that already holds every copy.
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include "generator/imageoutput.h"
#include "generator/outputstatistics.h"
#include "model/fileutil.h"
#include "syntheticphoto.h"

namespace {

constexpr int kPictures = 200;

// A 1600 x 1200 photograph-like JPEG (gradients, shapes and noise, so that it compresses like a
// real one), written under kPictures names.
void writePictures(const QString &folder)
{
    const QImage image = syntheticPhoto(1600, 1200, 300, 10, 120);
    QDir().mkpath(folder);
    const QString first = folder + QStringLiteral("/photo000.jpg");
    image.save(first, "JPEG", 85);
    for (int i = 1; i < kPictures; ++i)
        QFile::copy(first, folder + QStringLiteral("/photo%1.jpg").arg(i, 3, 10, QLatin1Char('0')));
}

struct PictureSite
{
    PictureSite()
    {
        folders.userImageFolder = root.path() + QStringLiteral("/user_image");
        folders.siteImageFolder = root.path() + QStringLiteral("/temporary/site/image");
        folders.cacheFolder = root.path() + QStringLiteral("/temporary/.image-cache");
        writePictures(folders.userImageFolder);
    }

    // What one output does for the pictures: each placed at 400 x 300 for one page.
    velmo::gen::OutputStatistics placeAll()
    {
        velmo::gen::OutputStatistics statistics;
        const QString page = root.path() + QStringLiteral("/temporary/site/index.html");
        for (int i = 0; i < kPictures; ++i) {
            velmo::gen::ImageOutput::placeImage(
                folders, QStringLiteral("photo%1.jpg").arg(i, 3, 10, QLatin1Char('0')), 400, 300,
                page, &statistics);
        }
        return statistics;
    }

    void emptyWorkingFolder()
    {
        QDir(root.path() + QStringLiteral("/temporary/site")).removeRecursively();
    }

    // Below the current folder: a busy /tmp makes file creation many times slower.
    QTemporaryDir root{QDir::currentPath() + QStringLiteral("/velmo-bench-XXXXXX")};
    velmo::gen::ImageOutput::Folders folders;
};

// "HTML出力" the first time: nothing in the working folder or the cache.
void BM_PicturesCold(benchmark::State &state)
{
    PictureSite site;
    for (auto _ : state) {
        state.PauseTiming();
        site.emptyWorkingFolder();
        QDir(site.folders.cacheFolder).removeRecursively();
        state.ResumeTiming();
        if (site.placeAll().picturesScaled != kPictures)
            state.SkipWithError("not every picture was scaled");
    }
}
BENCHMARK(BM_PicturesCold)->Unit(benchmark::kMillisecond)->Iterations(3);

// A later "HTML出力" into an emptied working folder: every copy comes from the cache.
void BM_PicturesFromCache(benchmark::State &state)
{
    PictureSite site;
    site.placeAll();
    for (auto _ : state) {
        state.PauseTiming();
        site.emptyWorkingFolder();
        state.ResumeTiming();
        if (site.placeAll().picturesFromCache != kPictures)
            state.SkipWithError("not every picture came from the cache");
    }
}
BENCHMARK(BM_PicturesFromCache)->Unit(benchmark::kMillisecond)->Iterations(5);

// "全て更新" and previews: every copy is there and fresh; only headers are read.
void BM_PicturesUnchanged(benchmark::State &state)
{
    PictureSite site;
    site.placeAll();
    for (auto _ : state) {
        const velmo::gen::OutputStatistics statistics = site.placeAll();
        if (statistics.picturesScaled + statistics.picturesFromCache != 0)
            state.SkipWithError("an unchanged picture was made again");
    }
}
BENCHMARK(BM_PicturesUnchanged)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
