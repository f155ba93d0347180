// The property pane.
#include "app/qpropertyview.h"

#include "model/qobject.h"

using namespace Qt::StringLiterals;

QPropertyView::QPropertyView(QWidget *parent)
    : QFormPane(
          {velmo::kClassSite, velmo::kClassCategory, velmo::kClassPage, velmo::kClassContentGroup},
          parent)
{
    setObjectName(u"propertyView"_s);
}
