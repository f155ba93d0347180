// ContentPane, the lower right pane: the content editor, shown only for a content group.
#pragma once

#include "app/formpane.h"

class ContentPane : public FormPane
{
    Q_OBJECT

public:
    explicit ContentPane(QWidget *parent = nullptr);
};
