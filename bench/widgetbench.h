// What the benchmarks of widgets share: a reporter that only counts, a click on a tree row as
// the window system delivers it, and a main that runs them offscreen.
#pragma once

#include "model/messagereporter.h"

class QTreeWidget;
class QTreeWidgetItem;

class SilentReporter : public velmo::MessageReporter
{
public:
    void showMessage(const QString &) override { ++count; }
    int count = 0;
};

// A left click on item's label, press and release sent straight to the viewport.
void clickRow(QTreeWidget &tree, QTreeWidgetItem *item);

// Runs the registered benchmarks in a QApplication on the offscreen platform unless another is
// asked for; withWebEngine prepares what the embedded browser needs first.
int runWidgetBenchmarks(int argc, char **argv, bool withWebEngine = false);
