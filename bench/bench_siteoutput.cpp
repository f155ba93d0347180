// Benchmarks of site generation: a whole "HTML出力" of 2,000- and 10,000-page sites, and the
// regeneration of one page as the preview does it, and the link check of an output, with its
// cache of parsed pages cold and warm.
#include <memory>
#include <vector>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include "generator/linkcheck.h"
#include "generator/pagelinkcache.h"
#include "generator/siteoutput.h"
#include "generator/sitepaths.h"
#include "model/contentgroup.h"
#include "model/document.h"
#include "model/messagereporter.h"
#include "model/page.h"
#include "syntheticsite.h"

namespace {

// Sites are generated below the current folder: a busy /tmp can make file creation many
// times slower than on the disk the user's data root lives on.
QTemporaryDir benchRoot()
{
    return QTemporaryDir(QDir::currentPath() + QStringLiteral("/velmo-bench-XXXXXX"));
}

class SilentReporter : public velmo::MessageReporter
{
public:
    void showMessage(const QString &) override { ++count; }
    int count = 0;
};

// The synthetic site in a folder of its own, with its document and a reporter counting what
// the generator says.
struct BenchSite
{
    explicit BenchSite(int pages)
    {
        global.setReporter(&reporter);
        site = makeSyntheticSite(global, root.path(), 50, 4, pages);
    }

    QTemporaryDir root = benchRoot();
    velmo::Document global{root.path()};
    SilentReporter reporter;
    SyntheticSite site;
    // The link check's cache and the record of assembled pages, inside the benchmark's folder
    // rather than the user's.
    QString cacheFile = root.filePath(QStringLiteral("linkcheck.links"));
    QString recordFile = root.filePath(QStringLiteral("assembly.pages"));
};

// How a benchmark runs the link check: not at all, without a cache, or with its cache; and
// with its cache and the record of assembled pages, as the window and velmo-cli run it.
enum CheckMode : int64_t { kNoCheck = 0, kUncached = 1, kCached = 2, kRecorded = 3 };

// "HTML出力" of a site whose output is already there; with a second argument of 1 together
// with its link check, of 2 with the check and its cache (warm: the pages are those of the run
// before), so that the differences are what the check adds, and of 3 as the window and
// velmo-cli run it, taking the unchanged pages from disk.
void BM_SiteOutput(benchmark::State &state)
{
    BenchSite bench(int(state.range(0)));
    velmo::Document &global = bench.global;
    const SilentReporter &reporter = bench.reporter;
    // The first output, which creates every file, is timed by BM_SiteOutputFirst and would
    // otherwise make up most of this mean.
    const bool checked = state.range(1) != kNoCheck;
    {
        velmo::gen::SiteOutput output(global);
        velmo::gen::LinkCheck check;
        check.setCacheFile(bench.cacheFile);
        output.setLinkCheck(&check);
        if (state.range(1) == kRecorded)
            output.setAssemblyRecordFile(bench.recordFile);
        output.outputSite();
    }
    int pages = 0;
    int kept = 0;
    int pagesChecked = 0;
    for (auto _ : state) {
        velmo::gen::SiteOutput output(global);
        velmo::gen::LinkCheck check;
        if (state.range(1) >= kCached)
            check.setCacheFile(bench.cacheFile);
        if (checked)
            output.setLinkCheck(&check);
        if (state.range(1) == kRecorded)
            output.setAssemblyRecordFile(bench.recordFile);
        output.outputSite();
        pagesChecked = output.linkCheck().pagesChecked;
        kept = output.statistics().pagesKept;
        pages = output.statistics().pagesWritten + output.statistics().pagesUnchanged;
    }
    if (reporter.count != 0 || pages != state.range(0) || (checked && pagesChecked != pages))
        state.SkipWithError("the site did not generate cleanly");
    state.counters["pages"] = pages;
    state.counters["kept"] = kept;
}
BENCHMARK(BM_SiteOutput)
    ->Args({2000, kNoCheck})
    ->Args({2000, kUncached})
    ->Args({2000, kCached})
    ->Args({2000, kRecorded})
    ->Args({10000, kNoCheck})
    ->Args({10000, kUncached})
    ->Args({10000, kCached})
    ->Args({10000, kRecorded})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

// "HTML出力" with its link check where every page changed since the last run (the site's
// summary, on every page, differs): the cache finds nothing and is written anew each time.
void BM_SiteOutputAllChanged(benchmark::State &state)
{
    BenchSite bench(int(state.range(0)));
    velmo::Document &global = bench.global;
    const SilentReporter &reporter = bench.reporter;
    velmo::gen::SiteOutput(global).outputSite();
    const QString summary = bench.site.site->summary;
    int pages = 0;
    int written = 0;
    int run = 0;
    for (auto _ : state) {
        bench.site.site->summary = summary + QString::number(++run);
        velmo::gen::SiteOutput output(global);
        velmo::gen::LinkCheck check;
        if (state.range(1) >= kCached)
            check.setCacheFile(bench.cacheFile);
        if (state.range(1) == kRecorded)
            output.setAssemblyRecordFile(bench.recordFile);
        output.setLinkCheck(&check);
        output.outputSite();
        pages = output.linkCheck().pagesChecked;
        written = output.statistics().pagesWritten;
    }
    if (reporter.count != 0 || written != state.range(0) || pages < written)
        state.SkipWithError("the site did not generate cleanly");
    state.counters["pages"] = pages;
}
BENCHMARK(BM_SiteOutputAllChanged)
    ->Args({2000, kUncached})
    ->Args({2000, kCached})
    ->Args({2000, kRecorded})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

// The first output of a site: nothing in the working folder or the published folder yet, so
// every page is created and every file published.
void BM_SiteOutputFirst(benchmark::State &state)
{
    // Runs are kept until the end: removing their folders must not be timed.
    std::vector<std::unique_ptr<BenchSite>> runs;
    int pages = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto &run = runs.emplace_back(std::make_unique<BenchSite>(int(state.range(0))));
        state.ResumeTiming();
        velmo::gen::SiteOutput output(run->global);
        output.outputSite();
        pages = output.statistics().pagesWritten;
    }
    for (const auto &run : runs) {
        if (run->reporter.count != 0 || pages != state.range(0))
            state.SkipWithError("the site did not generate cleanly");
    }
    state.counters["pages"] = pages;
}
BENCHMARK(BM_SiteOutputFirst)->Arg(2000)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_RegenerateAll(benchmark::State &state)
{
    BenchSite bench(int(state.range(0)));
    velmo::Document &global = bench.global;
    const SilentReporter &reporter = bench.reporter;
    velmo::gen::SiteOutput(global).outputSite();
    global.previewAreaFlag = 0;
    for (auto _ : state) {
        velmo::gen::SiteOutput output(global);
        output.regenerateAll();
    }
    if (reporter.count != 0)
        state.SkipWithError("the site did not generate cleanly");
}
BENCHMARK(BM_RegenerateAll)->Arg(2000)->Unit(benchmark::kMillisecond)->Iterations(3);

// The link check of a whole output: every page parsed and each of its links resolved; with a
// second argument of 1 with its cache cold (no file: every page parsed, the file written), of 2
// with it warm (every page found there, nothing written).
enum CacheState : int64_t { kNoCache = 0, kCold = 1, kWarm = 2 };

void BM_LinkCheck(benchmark::State &state)
{
    BenchSite bench(int(state.range(0)));
    velmo::Document &global = bench.global;
    const SilentReporter &reporter = bench.reporter;
    velmo::gen::SiteOutput output(global);
    output.outputSite();
    const QSet<QString> &produced = output.statistics().producedFiles;
    const QStringList files(produced.begin(), produced.end());
    const QString folder = velmo::gen::SitePaths::workingFolder(global, *global.getCurrentSite());
    const int64_t cache = state.range(1);
    if (cache == kWarm) {
        velmo::gen::LinkCheck check;
        check.setCacheFile(bench.cacheFile);
        check.finish(folder, files);
    }
    qsizetype broken = 0;
    int pages = 0;
    for (auto _ : state) {
        if (cache == kCold) {
            state.PauseTiming();
            QFile::remove(bench.cacheFile);
            state.ResumeTiming();
        }
        // Destroyed inside the loop: its destructor waits for the cache's write.
        velmo::gen::LinkCheck check;
        if (cache != kNoCache)
            check.setCacheFile(bench.cacheFile);
        const velmo::gen::LinkCheck::Result result = check.finish(folder, files);
        broken = result.broken.size();
        pages = result.pagesChecked;
    }
    if (cache != kNoCache)
        state.counters["cached"] = double(velmo::gen::PageLinkCache(bench.cacheFile).size());
    if (reporter.count != 0 || pages < state.range(0))
        state.SkipWithError("the site did not generate cleanly");
    state.counters["pages"] = pages;
    state.counters["broken"] = double(broken);
}
BENCHMARK(BM_LinkCheck)
    ->Args({2000, kNoCache})
    ->Args({2000, kCold})
    ->Args({2000, kWarm})
    ->Args({10000, kNoCache})
    ->Args({10000, kCold})
    ->Args({10000, kWarm})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

void BM_RegeneratePage(benchmark::State &state)
{
    BenchSite bench(2000);
    velmo::Document &global = bench.global;
    const SilentReporter &reporter = bench.reporter;
    const SyntheticSite &site = bench.site;
    velmo::gen::SiteOutput output(global);
    output.outputSite();
    global.previewAreaFlag = 0;
    for (auto _ : state) {
        velmo::gen::SiteOutput preview(global);
        benchmark::DoNotOptimize(preview.outputObject(site.middlePage->contentGroups.first()));
    }
    if (reporter.count != 0)
        state.SkipWithError("the page did not generate cleanly");
}
BENCHMARK(BM_RegeneratePage)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
