// QPropertyView, the lower left pane: the property form of the selected site, category, page or
// content group.
#pragma once

#include "app/qformpane.h"

class QPropertyView : public QFormPane
{
    Q_OBJECT

public:
    explicit QPropertyView(QWidget *parent = nullptr);
};
