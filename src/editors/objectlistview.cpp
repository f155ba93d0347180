// ObjectListView: rows that hold guarded references to their objects.
#include "editors/objectlistview.h"

#include <QScopeGuard>

#include "model/objectref.h"

using namespace Qt::StringLiterals;

namespace velmo::ui {

namespace {

// A row's object may be destroyed while the list still shows it; the reference then reads null.
class ObjectItem : public QTreeWidgetItem
{
public:
    ObjectItem(Object *object, const QStringList &texts)
        : QTreeWidgetItem(texts, QTreeWidgetItem::UserType), ref(object)
    {}
    ObjectRef ref;
};

Object *objectOf(const QTreeWidgetItem *item)
{
    if (item == nullptr || item->type() != QTreeWidgetItem::UserType)
        return nullptr;
    return static_cast<const ObjectItem *>(item)->ref.get();
}

} // namespace

ObjectListView::ObjectListView(QWidget *parent) : QTreeWidget(parent)
{
    setObjectName(u"objectListView"_s);
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
}

void ObjectListView::addObjectRow(Object *object, const QStringList &texts)
{
    addTopLevelItem(new ObjectItem(object, texts));
}

void ObjectListView::clearRows()
{
    clear();
}

Object *ObjectListView::objectAt(int row) const
{
    return objectOf(topLevelItem(row));
}

void ObjectListView::selectionChanged(const QItemSelection &selected,
                                      const QItemSelection &deselected)
{
    QTreeWidget::selectionChanged(selected, deselected);
    storeSelection();
}

void ObjectListView::storeSelection()
{
    // A slot connected directly to the selection model may change the selection while the
    // states are being stored; that must not nest, and the next change stores them afresh.
    if (m_handlingSelection)
        return;
    m_handlingSelection = true;
    setUpdatesEnabled(false);
    const auto restore = qScopeGuard([this] {
        setUpdatesEnabled(true);
        m_handlingSelection = false;
    });

    // Asked of the selection model: the items' own selected flags are brought up to date only
    // after this view has been told of the change.
    const QItemSelectionModel *selection = selectionModel();
    Object *firstSelected = nullptr;
    bool found = false;
    for (int row = 0; row < topLevelItemCount(); ++row) {
        const bool selected = selection->isRowSelected(row, QModelIndex());
        Object *object = objectOf(topLevelItem(row));
        if (!found && selected) {
            found = true;
            firstSelected = object;
        }
    }
    if (firstSelected == nullptr || firstSelected->getId() == m_lastReported)
        return;
    m_lastReported = firstSelected->getId();
    // Posted, as the receivers rebuild forms and must not run inside the list's own handling.
    QMetaObject::invokeMethod(
        this,
        [this, ref = ObjectRef(firstSelected)] {
            if (Object *object = ref.get())
                Q_EMIT objectSelected(object);
        },
        Qt::QueuedConnection);
}

} // namespace velmo::ui
