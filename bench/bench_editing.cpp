// Benchmarks of editing in the window on a 2,000-page site, offscreen: a click in the menu tree
// up to the filled property form, and a live preview from the stored text to the page shown.
#include <chrono>

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include "app/application.h"
#include "app/documentcontroller.h"
#include "app/objecttree.h"
#include "app/propertypane.h"
#include "app/webbrowser.h"
#include "editors/categoryform.h"
#include "editors/contentgroupform.h"
#include "editors/pageform.h"
#include "model/category.h"
#include "model/content.h"
#include "model/contentgroup.h"
#include "model/document.h"
#include "model/messagereporter.h"
#include "model/page.h"
#include "model/site.h"
#include "syntheticsite.h"
#include "widgetbench.h"

namespace {

constexpr int kPages = 2000;

// The menu tree of a 2,000-page site with every page a visible row, beside the property pane
// with its forms, as in the main window.
struct EditedSite
{
    EditedSite()
    {
        global.setReporter(&reporter);
        site = makeSyntheticSite(global, root.path(), 10, 4, kPages);
        tree.connectController(controller);
        QObject::connect(&controller, &DocumentController::selectionChanged, &pane,
                         &PropertyPane::onObjectSelected);
        add(velmo::kClassCategory, new velmo::ui::CategoryForm(controller));
        add(velmo::kClassPage, new velmo::ui::PageForm(controller));
        add(velmo::kClassContentGroup, new velmo::ui::ContentGroupForm(controller));
        tree.resize(320, 700);
        tree.show();
        pane.resize(320, 400);
        pane.show();
        showOpened(tree, site.site, {velmo::kClassContentGroup, velmo::kClassContent});
    }
    template<class Form>
    void add(qint32 classCode, Form *form)
    {
        pane.registerForm(classCode, form,
                          [form](velmo::Object *object) { form->setObject(object); });
    }

    QTemporaryDir root{QDir::currentPath() + QStringLiteral("/velmo-bench-XXXXXX")};
    velmo::Document global{root.path()};
    SilentReporter reporter;
    SyntheticSite site;
    DocumentController controller{global};
    ObjectTree tree{global};
    PropertyPane pane;
};

// From the click on a row to its form filled and painted, in turn for a page, its content
// group and its category: each time another form, filled from another object.
void BM_SelectObjectToFilledForm(benchmark::State &state)
{
    EditedSite edited;
    velmo::Page *page = edited.site.middlePage;
    auto *category = velmo::object_cast<velmo::Category>(page->parent());
    velmo::Object *objects[3] = {page, page->contentGroups.first(), category};
    for (velmo::Object *object : objects)
        edited.tree.expand(edited.tree.indexOf(object));
    edited.tree.scrollTo(edited.tree.indexOf(page));
    QApplication::processEvents();

    int turn = 0;
    int wrong = 0;
    for (auto _ : state) {
        velmo::Object *object = objects[turn++ % 3];
        clickRow(edited.tree, edited.tree.indexOf(object));
        // The selection reaches the pane through the event queue, as in the window.
        QApplication::processEvents();
        QWidget *form = edited.pane.shownForm();
        if (form == nullptr)
            ++wrong;
        else
            form->repaint();
        if (const auto *name = form != nullptr ? form->findChild<QLineEdit *>() : nullptr;
            name == nullptr || name->text().isEmpty())
            ++wrong;
    }
    if (edited.reporter.count != 0 || wrong != 0)
        state.SkipWithError("a click did not show a filled form");
}
BENCHMARK(BM_SelectObjectToFilledForm)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// From the live preview's request (the pause after typing is over) to the regenerated page
// loaded in the embedded browser, which keeps its scroll position.
void BM_LivePreview(benchmark::State &state)
{
    EditedSite edited;
    WebBrowser browser;
    browser.resize(800, 500);
    browser.show();
    QObject::connect(&edited.controller, &DocumentController::pagePreviewRequested, &browser,
                     &WebBrowser::showPage);
    velmo::ContentGroup *group = edited.site.middlePage->contentGroups.first();
    auto *content = group->contents.first();
    QEventLoop loop;
    bool loaded = false;
    QObject::connect(&browser, &WebBrowser::loadFinished, &loop, [&](bool ok) {
        loaded = ok;
        loop.quit();
    });
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
    const auto show = [&](const QString &text) {
        loaded = false;
        limit.start(10000);
        if (edited.controller.updateContent(content, text,
                                            DocumentController::ContentPreview::Live))
            loop.exec();
        return loaded;
    };
    // The first showing starts the engine and is no refresh.
    if (!show(content->value)) {
        state.SkipWithError("the page was not shown");
        return;
    }
    int failed = 0;
    int turn = 0;
    for (auto _ : state) {
        const auto started = std::chrono::steady_clock::now();
        if (!show(content->value + QString::number(turn++)))
            ++failed;
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
    }
    if (failed != 0)
        state.SkipWithError("a refresh did not load");
}
BENCHMARK(BM_LivePreview)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(40)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char **argv)
{
    return runWidgetBenchmarks(argc, argv, true);
}
