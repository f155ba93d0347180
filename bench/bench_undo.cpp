// Benchmarks of undo on a 2,000-page site shown in the navigation trees, offscreen: a category of
// 500 pages deleted, undone and redone with the trees' updates, the trees following single
// commands on 20,000 rows, and what 1,000 steps of ordinary editing cost the history.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QWindow>

#include <benchmark/benchmark.h>
#include <malloc.h>

#include "app/documentcontroller.h"
#include "app/objecttree.h"
#include "app/objecttreemodel.h"
#include "model/category.h"
#include "model/classification.h"
#include "model/content.h"
#include "model/contentgroup.h"
#include "model/document.h"
#include "model/objectcommands.h"
#include "model/page.h"
#include "model/site.h"
#include "syntheticsite.h"
#include "widgetbench.h"

namespace {

constexpr int kPages = 2000;

// Four categories of 500 pages, three content groups of two contents each per page: some 20,000
// rows, every one of them opened in the menu tree.
struct ShownSite
{
    ShownSite()
    {
        global.setReporter(&reporter);
        site = makeSyntheticSite(global, root.path(), 4, 0, kPages).site;
        for (ObjectTree *tree : {&menuTree, &storageTree}) {
            tree->connectController(controller);
            tree->resize(320, 700);
            tree->show();
        }
        menuTree.setRoot(site);
        storageTree.setRoot(&site->objectBox);
        menuTree.expandAll();
        // A window paints only once the platform has exposed it.
        QElapsedTimer waited;
        waited.start();
        while (!(exposed(menuTree) && exposed(storageTree)) && waited.elapsed() < 5000)
            QApplication::processEvents(QEventLoop::AllEvents, 50);
        settle();
    }

    static bool exposed(const QWidget &widget)
    {
        return widget.windowHandle() != nullptr && widget.windowHandle()->isExposed();
    }

    // What the user waits for after a change: the trees painted, and laid out first where the
    // change left a layout pending (a paint runs it; nothing forces one that is not needed).
    void settle()
    {
        for (ObjectTree *tree : {&menuTree, &storageTree})
            tree->repaint();
    }

    velmo::Category *category(int index) const
    {
        return site->classifications.at(0)->categories.at(index);
    }

    QTemporaryDir root{QDir::currentPath() + QStringLiteral("/velmo-bench-XXXXXX")};
    velmo::Document global{root.path()};
    SilentReporter reporter;
    velmo::Site *site = nullptr;
    DocumentController controller{global};
    ObjectTree menuTree{global};
    ObjectTree storageTree{global};
};

// The category of 500 pages goes to the storage box and comes back, the trees following.
void BM_DeleteCategoryOf500Pages(benchmark::State &state)
{
    const int phase = int(state.range(0)); // 0 delete, 1 undo, 2 redo
    ShownSite shown;
    velmo::Category *category = shown.category(1);
    shown.controller.runCommand(velmo::ObjectCommands::DeleteCategory, category);
    shown.controller.undo();
    shown.settle();
    for (auto _ : state) {
        state.PauseTiming();
        if (phase == 2) {
            shown.controller.redo();
            shown.settle();
            shown.controller.undo();
        } else if (phase == 1) {
            shown.controller.redo();
        }
        shown.settle();
        state.ResumeTiming();
        if (phase == 0)
            shown.controller.runCommand(velmo::ObjectCommands::DeleteCategory, category);
        else if (phase == 1)
            shown.controller.undo();
        else
            shown.controller.redo();
        shown.settle();
        state.PauseTiming();
        if (phase != 1)
            shown.controller.undo();
        shown.settle();
        state.ResumeTiming();
    }
    if (shown.reporter.count != 0 || category->parent() != shown.site->classifications.at(0))
        state.SkipWithError("the category did not come back");
    if (!ShownSite::exposed(shown.menuTree))
        state.SkipWithError("the tree was never painted");
    state.counters["rows"] = double(shown.menuTree.objectModel()->nodeCount());
}
BENCHMARK(BM_DeleteCategoryOf500Pages)
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->ArgNames({"delete0_undo1_redo2"})
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// One command on the 20,000-row tree, the trees laid out and painted after it: a page made, moved
// up, renamed. Its undo runs outside the time. With every row opened, and with the categories
// closed (the rows still there, but not laid out). The commands go to the writer itself: what
// the controller adds (the object selected and its page previewed) is not the tree's work.
void BM_TreeFollowsOneCommand(benchmark::State &state)
{
    const int kind = int(state.range(0)); // 0 new page, 1 move, 2 rename
    ShownSite shown;
    if (state.range(1) == 0) {
        shown.menuTree.collapseAll();
        shown.menuTree.expand(shown.menuTree.indexOf(shown.site));
        shown.menuTree.expand(shown.menuTree.indexOf(shown.site->classifications.at(0)));
        shown.settle();
    }
    velmo::Category *category = shown.category(2);
    velmo::Page *page = category->pages.at(250);
    int round = 0;
    for (auto _ : state) {
        velmo::DocumentWriter &writer = shown.controller.writer();
        if (kind == 0)
            writer.runMenuCommand(velmo::ObjectCommands::NewPage, category);
        else if (kind == 1)
            writer.moveWithinList(page, true);
        else
            writer.rename(page, QStringLiteral("名前%1").arg(++round));
        shown.settle();
        state.PauseTiming();
        shown.controller.undo();
        shown.settle();
        state.ResumeTiming();
    }
    state.counters["rows"] = double(shown.menuTree.objectModel()->nodeCount());
}
BENCHMARK(BM_TreeFollowsOneCommand)
    ->ArgsProduct({{0, 1, 2}, {1, 0}})
    ->ArgNames({"new0_move1_rename2", "opened"})
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// 1,000 steps of what a user does in an evening: typing into names and titles, a paragraph
// added to a content of a few kilobytes, pages made, moved and deleted. The counter is what the
// history holds afterwards, measured as heap in use.
void BM_HistoryOf1000Steps(benchmark::State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto shown = std::make_unique<ShownSite>();
        DocumentController &controller = shown->controller;
        velmo::Category *category = shown->category(0);
        const size_t before = mallinfo2().uordblks;
        state.ResumeTiming();
        for (int step = 0; controller.history().count() < 1000; ++step) {
            velmo::Page *page = category->pages.at(step % 400);
            switch (step % 5) {
            case 0: {
                QString name = page->name;
                for (int key = 0; key < 8; ++key)
                    controller.renameObject(page, name += QChar(u'あ' + key));
                break;
            }
            case 1:
                controller.setField(page, velmo::Field::Title, page->title + QStringLiteral("改"));
                break;
            case 2: {
                velmo::Content *body = page->contentGroups.first()->contents.first();
                controller.setField(body, velmo::Field::Value,
                                    body->value + QStringLiteral("<p>段落を一つ書き足す。</p>"));
                break;
            }
            case 3:
                controller.runCommand(velmo::ObjectCommands::NewPage, category);
                break;
            default:
                controller.moveObject(page, step % 2 == 0);
                break;
            }
            controller.endTyping();
        }
        state.PauseTiming();
        state.counters["history_MB"] = double(mallinfo2().uordblks - before) / (1024.0 * 1024.0);
        state.counters["steps"] = double(controller.history().count());
        shown.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_HistoryOf1000Steps)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char **argv)
{
    return runWidgetBenchmarks(argc, argv);
}
