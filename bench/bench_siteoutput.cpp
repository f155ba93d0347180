// Benchmarks of site generation: a whole "HTML出力" of 2,000- and 10,000-page sites, and the
// regeneration of one page as the preview does it, and the link check of an output.
#include <memory>
#include <vector>

#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include "generator/linkcheck.h"
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
};

// "HTML出力" of a site whose output is already there; with a second argument of 1 together
// with its link check as the window runs it, so that the difference is what the check adds.
void BM_SiteOutput(benchmark::State &state)
{
    BenchSite bench(int(state.range(0)));
    velmo::Document &global = bench.global;
    const SilentReporter &reporter = bench.reporter;
    // The first output, which creates every file, is timed by BM_SiteOutputFirst and would
    // otherwise make up most of this mean.
    velmo::gen::SiteOutput(global).outputSite();
    const bool checked = state.range(1) != 0;
    int pages = 0;
    int pagesChecked = 0;
    for (auto _ : state) {
        velmo::gen::SiteOutput output(global);
        velmo::gen::LinkCheck check;
        if (checked)
            output.setLinkCheck(&check);
        output.outputSite();
        pagesChecked = output.linkCheck().pagesChecked;
        pages = output.statistics().pagesWritten + output.statistics().pagesUnchanged;
    }
    if (reporter.count != 0 || pages != state.range(0) || (checked && pagesChecked != pages))
        state.SkipWithError("the site did not generate cleanly");
    state.counters["pages"] = pages;
}
BENCHMARK(BM_SiteOutput)
    ->Args({2000, 0})
    ->Args({10000, 0})
    ->Args({2000, 1})
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

// The link check of a whole output: every page parsed and each of its links resolved.
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
    qsizetype broken = 0;
    int pages = 0;
    for (auto _ : state) {
        const velmo::gen::LinkCheck::Result result = velmo::gen::LinkCheck::check(folder, files);
        broken = result.broken.size();
        pages = result.pagesChecked;
    }
    if (reporter.count != 0 || pages < state.range(0))
        state.SkipWithError("the site did not generate cleanly");
    state.counters["pages"] = pages;
    state.counters["broken"] = double(broken);
}
BENCHMARK(BM_LinkCheck)->Arg(2000)->Unit(benchmark::kMillisecond)->Iterations(3);

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
