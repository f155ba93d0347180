// The navigation tree as the model sees it: a place to insert items and restore their state.
// The GUI implements it over its tree widget; tests implement it to record what is shown.
#pragma once

#include <QString>
#include <QtGlobal>

namespace velmo {

class Object;

// An opaque item handle; 0 means "no item" (insert at the root).
using TreeItemHandle = quintptr;

class TreeSink
{
public:
    // Item state bits that a rebuilt tree restores (the values of the original tree control).
    static constexpr int kStateSelected = 0x0002;
    static constexpr int kStateExpanded = 0x0020;

    virtual ~TreeSink() = default;
    // Inserts an item as the last child of parent (at the root when parent is 0).
    virtual TreeItemHandle insertItem(TreeItemHandle parent, const QString &text, int image,
                                      int selectedImage, Object *data) = 0;
    // Applies saved state bits (under kStateSelected | kStateExpanded) and the check state.
    virtual void restoreItemState(TreeItemHandle item, int state, int checkState) = 0;
    virtual void expandItem(TreeItemHandle item) = 0;
};

} // namespace velmo
