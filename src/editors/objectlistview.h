// ObjectListView: a list of document objects, one row each with its column texts, that reports
// when a different object becomes selected.
#pragma once

#include <QTreeWidget>

#include "model/object.h"

namespace velmo::ui {

class ObjectListView : public QTreeWidget
{
    Q_OBJECT

public:
    explicit ObjectListView(QWidget *parent = nullptr);

    // Appends a row for object; texts fill the columns from the first on.
    void addObjectRow(Object *object, const QStringList &texts);
    void clearRows();
    // The object of row, or null when the row does not exist or its object is gone.
    Object *objectAt(int row) const;

Q_SIGNALS:
    // Delivered after the selection change has been handled, and only while the object
    // still exists.
    void objectSelected(velmo::Object *object);

protected:
    void selectionChanged(const QItemSelection &selected,
                          const QItemSelection &deselected) override;

private:
    void storeSelection();

    // Starts as an identity no object has, so the first selection is always reported.
    ObjectId m_lastReported = ObjectId::fresh();
    bool m_handlingSelection = false;
};

} // namespace velmo::ui
