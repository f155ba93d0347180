// Benchmarks of the image object as site output uses it: a 4000 x 3000 photograph-like JPEG
// scaled to 800 x 600 bicubic and saved as JPEG, whole and step by step (decode, scale, encode).
#include <cstdint>
#include <memory>

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QImageWriter>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include "imaging/imageobject.h"

using velmo::img::ImageObject;

namespace {

// Files go below the current folder: a busy /tmp can be many times slower than the disk the
// user's pictures live on.
struct Fixture
{
    QTemporaryDir folder{QDir::currentPath() + QStringLiteral("/velmo-bench-image-XXXXXX")};
    QString source;
    QString target;
    bool ready = false;
};

Fixture &fixture()
{
    static Fixture instance;
    return instance;
}

// Gradients, soft shapes and sensor-like noise, so that the JPEG compresses like a photograph
// (a flat or purely synthetic picture would make decoding unrealistically cheap).
QImage photographLike(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    QRandomGenerator random(20240601);
    for (int y = 0; y < height; ++y) {
        auto *row = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const int dx = x - width / 3;
            const int dy = y - height / 2;
            const bool inDisc = dx * dx + dy * dy < (height / 4) * (height / 4);
            const bool inBlock = x > width * 2 / 3 && y > height / 5 && y < height * 3 / 5;
            int r = 40 + x * 160 / width;
            int g = 60 + y * 140 / height;
            int b = 200 - (x + y) * 120 / (width + height);
            if (inDisc) {
                r = 220 - dy / 20;
                g = 120;
                b = 60;
            } else if (inBlock) {
                r = g = b = 90 + ((x / 40 + y / 40) % 2) * 60;
            }
            const int noise = int(random.bounded(17u)) - 8;
            row[x] = qRgb(qBound(0, r + noise, 255), qBound(0, g + noise, 255),
                          qBound(0, b + noise, 255));
        }
    }
    return image;
}

bool prepare()
{
    Fixture &f = fixture();
    if (f.ready)
        return true;
    if (!f.folder.isValid())
        return false;
    f.source = f.folder.filePath(QStringLiteral("photo.jpg"));
    f.target = f.folder.filePath(QStringLiteral("photo_w800_h600.jpg"));
    QImageWriter writer(f.source, "jpeg");
    writer.setQuality(90);
    f.ready = writer.write(photographLike(4000, 3000));
    return f.ready;
}

void BM_LoadResizeSave(benchmark::State &state)
{
    if (!prepare())
        return state.SkipWithError("cannot write the source picture");
    const Fixture &f = fixture();
    for (auto _ : state) {
        ImageObject image;
        if (!image.load(f.source) || !image.resize(800, 600, ImageObject::Bicubic) ||
            !image.save(f.target))
            return state.SkipWithError("the pipeline failed");
    }
}
BENCHMARK(BM_LoadResizeSave)->Unit(benchmark::kMillisecond);

void BM_Decode(benchmark::State &state)
{
    if (!prepare())
        return state.SkipWithError("cannot write the source picture");
    const Fixture &f = fixture();
    for (auto _ : state) {
        ImageObject image;
        if (!image.load(f.source))
            return state.SkipWithError("decoding failed");
        benchmark::DoNotOptimize(image.pixels().data);
    }
}
BENCHMARK(BM_Decode)->Unit(benchmark::kMillisecond);

void BM_ResizeBicubic(benchmark::State &state)
{
    if (!prepare())
        return state.SkipWithError("cannot write the source picture");
    ImageObject loaded;
    if (!loaded.load(fixture().source))
        return state.SkipWithError("decoding failed");
    for (auto _ : state) {
        state.PauseTiming();
        ImageObject image = loaded;
        state.ResumeTiming();
        if (!image.resize(800, 600, ImageObject::Bicubic))
            return state.SkipWithError("scaling failed");
    }
}
BENCHMARK(BM_ResizeBicubic)->Unit(benchmark::kMillisecond);

void BM_EncodeJpeg(benchmark::State &state)
{
    if (!prepare())
        return state.SkipWithError("cannot write the source picture");
    ImageObject image;
    if (!image.load(fixture().source) || !image.resize(800, 600, ImageObject::Bicubic))
        return state.SkipWithError("decoding or scaling failed");
    for (auto _ : state) {
        if (!image.save(fixture().target))
            return state.SkipWithError("encoding failed");
    }
}
BENCHMARK(BM_EncodeJpeg)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    // The JPEG codec is a plug-in, found through the application's plug-in paths.
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
