// The content pane.
#include "app/contentpane.h"

#include "model/object.h"

using namespace Qt::StringLiterals;

ContentPane::ContentPane(QWidget *parent)
    : FormPane({velmo::kClassContentGroup, velmo::kClassContent}, parent)
{
    setObjectName(u"contentView"_s);
}
