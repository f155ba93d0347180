// The content pane.
#include "app/qcontentview.h"

#include "model/qobject.h"

using namespace Qt::StringLiterals;

QContentView::QContentView(QWidget *parent) : QFormPane({velmo::kClassContentGroup}, parent)
{
    setObjectName(u"contentView"_s);
}
