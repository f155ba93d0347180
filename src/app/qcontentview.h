// QContentView, the lower right pane: the content editor, shown only for a content group.
#pragma once

#include "app/qformpane.h"

class QContentView : public QFormPane
{
    Q_OBJECT

public:
    explicit QContentView(QWidget *parent = nullptr);
};
