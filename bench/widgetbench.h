// What the benchmarks of widgets share: a reporter that only counts, an object tree opened as a
// user opens it, a click on a tree row as the window system delivers it, and a main that runs
// them offscreen.
#pragma once

#include <initializer_list>

#include <QModelIndex>

#include "model/messagereporter.h"

class ObjectTree;
class QTreeView;

namespace velmo {
class Object;
}

class SilentReporter : public velmo::MessageReporter
{
public:
    void showMessage(const QString &) override { ++count; }
    int count = 0;
};

// Shows root in tree with every row open but those of the classes in closed, and lets the tree
// lay them out.
void showOpened(ObjectTree &tree, velmo::Object *root, std::initializer_list<qint32> closed);

// A left click on the row's label, press and release sent straight to the viewport.
void clickRow(QTreeView &tree, const QModelIndex &index);

// Runs the registered benchmarks in a QApplication on the offscreen platform unless another is
// asked for; withWebEngine prepares what the embedded browser needs first.
int runWidgetBenchmarks(int argc, char **argv, bool withWebEngine = false);
