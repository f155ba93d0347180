// The shared pieces of the widget benchmarks.
#include "widgetbench.h"

#include <algorithm>

#include <QApplication>
#include <QMouseEvent>
#include <QTreeView>

#include <benchmark/benchmark.h>

#include "app/application.h"
#include "app/objecttree.h"
#include "model/object.h"

void showOpened(ObjectTree &tree, velmo::Object *root, std::initializer_list<qint32> closed)
{
    tree.setRoot(root);
    root->forEachBelow(velmo::Children::Shown, [&tree, closed](velmo::Object *object) {
        if (std::find(closed.begin(), closed.end(), object->typeCode) == closed.end())
            tree.expand(tree.indexOf(object));
        return true;
    });
    QApplication::processEvents();
}

void clickRow(QTreeView &tree, const QModelIndex &index)
{
    const QRect row = tree.visualRect(index);
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
