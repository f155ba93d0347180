// Benchmarks of picture work with 12 MP photographs, offscreen: the longest stall of the GUI
// event loop while the live preview or "HTML出力" scales 150 new pictures, and 40 pictures
// scaled to 600 x 450 by the picture output beside libvips' vipsthumbnail on the same files.
#include <algorithm>
#include <chrono>

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>
#include <unistd.h>

#include "app/documentcontroller.h"
#include "app/navigationpane.h"
#include "generator/imageoutput.h"
#include "generator/imagescaler.h"
#include "generator/outputstatistics.h"
#include "model/content.h"
#include "model/contentgroup.h"
#include "model/document.h"
#include "model/page.h"
#include "syntheticphoto.h"
#include "syntheticsite.h"
#include "widgetbench.h"

namespace {

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;
constexpr int kStallPictures = 150;
constexpr int kVipsPictures = 40;

QString pictureName(int i)
{
    return QStringLiteral("photo%1.jpg").arg(i, 3, 10, QLatin1Char('0'));
}

// A 12 MP photograph-like JPEG (gradients, shapes and noise, so that it compresses and decodes
// like a real one) under count names in folder. The names are hard links of one file: each is
// still a picture of its own to the output, and the disk holds it once.
bool writePictures(const QString &folder, int count)
{
    const QImage image = syntheticPhoto(kWidth, kHeight, 600, 20, 300);
    QDir().mkpath(folder);
    const QString first = folder + u'/' + pictureName(0);
    if (!image.save(first, "JPEG", 90))
        return false;
    for (int i = 1; i < count; ++i) {
        const QString name = folder + u'/' + pictureName(i);
        if (::link(QFile::encodeName(first).constData(), QFile::encodeName(name).constData()) !=
                0 &&
            !QFile::copy(first, name))
            return false;
    }
    return true;
}

// Removes every scaled copy under folder, so that the next run finds the pictures new.
void removeScaledCopies(const QString &folder)
{
    QDirIterator it(folder, {QStringLiteral("*_w*_h*.jpg")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        QFile::remove(it.next());
    QDir(folder + QStringLiteral("/temporary/.image-cache")).removeRecursively();
}

// The longest time between two turns of the event loop, sampled by a fast timer; a turn that
// is held up by work on the GUI thread shows as a long gap.
class StallProbe
{
public:
    StallProbe()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(2);
        QObject::connect(&m_timer, &QTimer::timeout,
                         [this] { m_longest = std::max(m_longest, m_clock.restart()); });
    }
    void start()
    {
        m_longest = 0;
        m_clock.start();
        m_timer.start();
    }
    qint64 stop()
    {
        m_timer.stop();
        return std::max(m_longest, m_clock.elapsed());
    }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_longest = 0;
};

// A small site whose middle page holds 150 pictures of 12 MP at 600 x 450, with the navigation
// pane that shows the output's progress, as in the window.
struct PictureSite
{
    PictureSite()
    {
        global.setReporter(&reporter);
        site = makeSyntheticSite(global, root.path(), 2, 0, 6);
        ready = writePictures(root.path() + QStringLiteral("/user_image"), kStallPictures);
        QString markup;
        for (int i = 0; i < kStallPictures; ++i)
            markup += QStringLiteral("<img src=\"_image(/%1,600,450)\" width=\"600\" "
                                     "height=\"450\" alt=\"\">\r\n")
                          .arg(pictureName(i));
        content = site.middlePage->contentGroups.first()->contents.first();
        pictures = content->value + markup;
        controller.adoptCurrentSite(0);
        pane.resize(300, 600);
        pane.show();
    }

    QTemporaryDir root{QDir::currentPath() + QStringLiteral("/velmo-bench-XXXXXX")};
    velmo::Document global{root.path()};
    SilentReporter reporter;
    SyntheticSite site;
    DocumentController controller{global};
    NavigationPane pane{controller};
    velmo::Content *content = nullptr;
    QString pictures;
    bool ready = false;
};

// The pictures pasted into the content editor: the preview's page is written and shown, and
// shown again once its pictures are made. The figure is the longest stall, in milliseconds.
void BM_LivePreviewStall(benchmark::State &state)
{
    PictureSite shown;
    if (!shown.ready) {
        state.SkipWithError("the pictures could not be written");
        return;
    }
    int showings = 0;
    QEventLoop loop;
    QObject::connect(&shown.controller, &DocumentController::pagePreviewRequested, &loop, [&] {
        if (++showings == 2)
            loop.quit();
    });
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
    StallProbe probe;
    qint64 longest = 0;
    int failed = 0;
    int turn = 0;
    for (auto _ : state) {
        removeScaledCopies(shown.root.path());
        showings = 0;
        limit.start(120000);
        QElapsedTimer whole;
        whole.start();
        probe.start();
        // A different text each time, as typing makes it.
        shown.controller.updateContent(shown.content, shown.pictures + QString::number(turn++),
                                       DocumentController::ContentPreview::Live);
        state.counters["page_written_ms"] = double(whole.elapsed());
        if (showings < 2)
            loop.exec();
        const qint64 stall = probe.stop();
        longest = std::max(longest, stall);
        state.SetIterationTime(double(stall) / 1000.0);
        state.counters["until_refreshed_ms"] = double(whole.elapsed());
        if (showings < 2)
            ++failed;
    }
    state.counters["longest_stall_ms"] = double(longest);
    if (failed != 0 || shown.reporter.count != 0)
        state.SkipWithError("the preview was not shown again with its pictures");
}
BENCHMARK(BM_LivePreviewStall)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

// "HTML出力" of the site with its 150 new pictures, as the button starts it.
void BM_OutputStall(benchmark::State &state)
{
    PictureSite shown;
    if (!shown.ready) {
        state.SkipWithError("the pictures could not be written");
        return;
    }
    shown.controller.setField(shown.content, velmo::Field::Value, shown.pictures);
    // Where the time on the GUI thread goes: the pages before the wait, and what follows the
    // last picture (sweeping, the link check, publishing).
    QElapsedTimer whole;
    qint64 pagesDone = 0;
    qint64 lastPicture = 0;
    QObject::connect(&shown.controller, &DocumentController::outputPicturesStarted,
                     [&] { pagesDone = whole.elapsed(); });
    QObject::connect(&shown.controller, &DocumentController::outputPicturesProgress,
                     [&] { lastPicture = whole.elapsed(); });
    StallProbe probe;
    qint64 longest = 0;
    int failed = 0;
    for (auto _ : state) {
        removeScaledCopies(shown.root.path());
        whole.start();
        // The probe's timer fires in the loops the output runs while it waits.
        probe.start();
        const auto result = shown.controller.outputSite();
        const qint64 stall = probe.stop();
        longest = std::max(longest, stall);
        state.SetIterationTime(double(stall) / 1000.0);
        state.counters["output_ms"] = double(whole.elapsed());
        state.counters["pages_ms"] = double(pagesDone);
        state.counters["after_pictures_ms"] = double(whole.elapsed() - lastPicture);
        if (result != velmo::gen::SiteOutput::Result::Done ||
            shown.controller.lastOutputStatistics().picturesScaled != kStallPictures)
            ++failed;
    }
    state.counters["longest_stall_ms"] = double(longest);
    if (failed != 0)
        state.SkipWithError("the output did not scale every picture");
}
BENCHMARK(BM_OutputStall)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

// 40 photographs scaled to 600 x 450 by the picture output, with its cache, as "HTML出力" does,
// and by vipsthumbnail in one run on the same files, in turn. The time is Velmo's; the
// counters give vipsthumbnail's and the ratio.
void BM_PictureOutputBesideVipsthumbnail(benchmark::State &state)
{
    const QString vips = QStandardPaths::findExecutable(QStringLiteral("vipsthumbnail"));
    if (vips.isEmpty()) {
        // This Google Benchmark has no skip without error: the reason is the message.
        state.SkipWithError("skipped: vipsthumbnail is not installed (Debian package "
                            "libvips-tools)");
        return;
    }
    QTemporaryDir root{QDir::currentPath() + QStringLiteral("/velmo-bench-XXXXXX")};
    velmo::gen::ImageOutput::Folders folders;
    folders.userImageFolder = root.path() + QStringLiteral("/user_image");
    folders.siteImageFolder = root.path() + QStringLiteral("/temporary/site/image");
    folders.cacheFolder = root.path() + QStringLiteral("/temporary/.image-cache");
    if (!writePictures(folders.userImageFolder, kVipsPictures)) {
        state.SkipWithError("the pictures could not be written");
        return;
    }
    const QString page = root.path() + QStringLiteral("/temporary/site/index.html");
    const QString vipsFolder = root.path() + QStringLiteral("/vips");
    QStringList vipsArguments{QStringLiteral("--size"), QStringLiteral("600x450!"),
                              QStringLiteral("-o"), vipsFolder + QStringLiteral("/%s.jpg")};
    for (int i = 0; i < kVipsPictures; ++i)
        vipsArguments << folders.userImageFolder + u'/' + pictureName(i);

    double velmoSeconds = 0;
    double vipsSeconds = 0;
    int failed = 0;
    for (auto _ : state) {
        removeScaledCopies(root.path());
        QDir(vipsFolder).removeRecursively();
        QDir().mkpath(vipsFolder);

        const auto started = std::chrono::steady_clock::now();
        velmo::gen::ImageScaler scaler;
        folders.scaler = &scaler;
        velmo::gen::OutputStatistics statistics;
        for (int i = 0; i < kVipsPictures; ++i)
            velmo::gen::ImageOutput::placeImage(folders, pictureName(i), 600, 450, page,
                                                &statistics);
        scaler.waitForDone();
        for (const auto &outcome : scaler.takeOutcomes())
            velmo::gen::ImageOutput::count(outcome, &statistics);
        const double velmo =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        if (statistics.picturesScaled != kVipsPictures || !statistics.writeFailures.isEmpty())
            ++failed;

        const auto vipsStarted = std::chrono::steady_clock::now();
        QProcess process;
        process.start(vips, vipsArguments);
        if (!process.waitForFinished(300000) || process.exitStatus() != QProcess::NormalExit ||
            process.exitCode() != 0)
            ++failed;
        const double vipsTime =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - vipsStarted).count();
        if (QDir(vipsFolder).entryList(QDir::Files).size() != kVipsPictures)
            ++failed;

        velmoSeconds += velmo;
        vipsSeconds += vipsTime;
        state.SetIterationTime(velmo);
    }
    state.counters["vipsthumbnail_ms"] = 1000.0 * vipsSeconds / double(state.iterations());
    state.counters["velmo_ms"] = 1000.0 * velmoSeconds / double(state.iterations());
    state.counters["ratio"] = vipsSeconds > 0 ? velmoSeconds / vipsSeconds : 0.0;
    if (failed != 0)
        state.SkipWithError("a picture was not made by one of the two");
}
BENCHMARK(BM_PictureOutputBesideVipsthumbnail)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(5);

} // namespace

int main(int argc, char **argv)
{
    return runWidgetBenchmarks(argc, argv);
}
