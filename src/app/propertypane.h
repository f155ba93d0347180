// PropertyPane, the lower left pane: the property form of the selected site, category, page or
// content group.
#pragma once

#include "app/formpane.h"

class PropertyPane : public FormPane
{
    Q_OBJECT

public:
    explicit PropertyPane(QWidget *parent = nullptr);
};
