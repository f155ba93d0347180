// The shared pieces of the widget benchmarks.
#include "widgetbench.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTreeWidget>

#include <benchmark/benchmark.h>

#include "app/application.h"

void clickRow(QTreeWidget &tree, QTreeWidgetItem *item)
{
    const QRect row = tree.visualItemRect(item);
    const QPointF at(row.left() + 10, row.center().y());
    const QPointF global = tree.viewport()->mapToGlobal(at);
    QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(tree.viewport(), &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(tree.viewport(), &release);
}

int runWidgetBenchmarks(int argc, char **argv, bool withWebEngine)
{
    // A benchmark needs no screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (withWebEngine)
        Application::prepareApplication();
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
