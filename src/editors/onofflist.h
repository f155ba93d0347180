// OnOffList: ten rows of named switches with an ON and an OFF button each, scrolled over a
// longer list of preview areas.
#pragma once

#include <array>

#include <QList>
#include <QWidget>

#include "model/document.h"

class QLabel;
class QPushButton;
class QScrollBar;

namespace velmo::ui {

class OnOffList : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kVisibleRows = 10;
    static constexpr int kPageStep = 4;

    explicit OnOffList(QWidget *parent = nullptr);

    // Works on a copy, so the caller decides whether the changes count. Scrolls to the top;
    // the scroll range is 0 … number of areas.
    void setAreas(const QList<PreviewArea> &areas);
    const QList<PreviewArea> &areas() const { return m_areas; }

    // The area shown in the top row.
    int firstRow() const;
    QScrollBar *scrollBar() const { return m_scrollBar; }

protected:
    void wheelEvent(QWheelEvent *event) override;

private:
    struct Row
    {
        QWidget *frame = nullptr;
        QLabel *name = nullptr;
        QPushButton *on = nullptr;
        QPushButton *off = nullptr;
    };

    void setValue(int visibleRow, int value);
    void refreshRows();

    QList<PreviewArea> m_areas;
    std::array<Row, kVisibleRows> m_rows;
    QScrollBar *m_scrollBar = nullptr;
};

} // namespace velmo::ui
