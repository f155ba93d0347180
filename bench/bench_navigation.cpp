// Benchmarks of the navigation tree on a 2,000-page site, offscreen: showing the site in the menu
// tree anew, as when the site is chosen again (rows built, expansion restored, laid out and
// painted), and a click on a page up to the request to show its preview.
#include <chrono>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include "app/documentcontroller.h"
#include "app/objecttree.h"
#include "app/objecttreemodel.h"
#include "model/category.h"
#include "model/contentgroup.h"
#include "model/document.h"
#include "model/messagereporter.h"
#include "model/page.h"
#include "model/site.h"
#include "syntheticsite.h"
#include "widgetbench.h"

namespace {

constexpr int kPages = 2000;

// A shown menu tree of a 2,000-page site whose hierarchy and categories the user has opened,
// so that every page is a visible row.
struct ShownSite
{
    ShownSite()
    {
        global.setReporter(&reporter);
        site = makeSyntheticSite(global, root.path(), 10, 4, kPages);
        tree.connectController(controller);
        tree.resize(320, 700);
        tree.show();
        showOpened(tree, site.site,
                   {velmo::kClassPage, velmo::kClassContentGroup, velmo::kClassContent});
    }

    QTemporaryDir root{QDir::currentPath() + QStringLiteral("/velmo-bench-XXXXXX")};
    velmo::Document global{root.path()};
    SilentReporter reporter;
    SyntheticSite site;
    DocumentController controller{global};
    ObjectTree tree{global};
};

void BM_SetRootOfMenuTree(benchmark::State &state)
{
    ShownSite shown;
    for (auto _ : state) {
        shown.tree.setRoot(shown.site.site);
        // The delayed layout and the paint belong to what the user waits for.
        shown.tree.doItemsLayout();
        shown.tree.repaint();
    }
    // The categories the user had opened are open again, or the figure is of another tree.
    const velmo::Object *category = shown.site.middlePage->parent();
    if (shown.reporter.count != 0 || shown.tree.objectModel()->nodeCount() < kPages ||
        !shown.tree.isExpanded(shown.tree.indexOf(category)))
        state.SkipWithError("the tree did not show the site as it was opened");
    state.counters["items"] = double(shown.tree.objectModel()->nodeCount());
}
BENCHMARK(BM_SetRootOfMenuTree)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

void BM_SelectPageToPreview(benchmark::State &state)
{
    ShownSite shown;
    // Two pages next to each other in the middle of the site, clicked in turn.
    velmo::Page *middle = shown.site.middlePage;
    auto *category = velmo::object_cast<velmo::Category>(middle->parent());
    const int index = category->pages.indexOfObject(middle);
    const QPersistentModelIndex pages[2] = {
        shown.tree.indexOf(middle),
        shown.tree.indexOf(category->pages.at(index == 0 ? 1 : index - 1))};
    shown.tree.scrollTo(pages[0]);
    QApplication::processEvents();

    std::chrono::steady_clock::time_point clicked;
    std::chrono::steady_clock::time_point requested;
    int requests = 0;
    QObject::connect(&shown.controller, &DocumentController::previewRequested, &shown.tree, [&] {
        requested = std::chrono::steady_clock::now();
        ++requests;
    });
    int turn = 0;
    for (auto _ : state) {
        clicked = std::chrono::steady_clock::now();
        clickRow(shown.tree, pages[turn++ % 2]);
        state.SetIterationTime(std::chrono::duration<double>(requested - clicked).count());
        // The posted selection report is delivered outside the measured time.
        QApplication::processEvents();
    }
    if (shown.reporter.count != 0 || requests != int(state.iterations()))
        state.SkipWithError("not every click led to a preview");
}
BENCHMARK(BM_SelectPageToPreview)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char **argv)
{
    return runWidgetBenchmarks(argc, argv);
}
