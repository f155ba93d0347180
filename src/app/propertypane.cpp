// The property pane.
#include "app/propertypane.h"

#include "model/object.h"

using namespace Qt::StringLiterals;

PropertyPane::PropertyPane(QWidget *parent)
    : FormPane(
          {velmo::kClassSite, velmo::kClassCategory, velmo::kClassPage, velmo::kClassContentGroup},
          parent)
{
    setObjectName(u"propertyView"_s);
}
