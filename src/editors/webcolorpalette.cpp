// WebColorPalette: paints the 7 × 36 colour cells and tracks the one under the mouse.
#include "editors/webcolorpalette.h"

#include <QMouseEvent>
#include <QPainter>

#include "editors/webcolortable.h"

namespace velmo::ui {

WebColorPalette::WebColorPalette(QWidget *parent) : QWidget(parent)
{
    setMouseTracking(true);
    // Every pixel of the cells is painted; the strip past the last column is filled too.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::PointingHandCursor);
}

QSize WebColorPalette::sizeHint() const
{
    return {kWebColorColumns * 14, kWebColorRows * 14};
}

QRect WebColorPalette::cellRect(int index) const
{
    const int cellWidth = width() / kWebColorColumns;
    const int cellHeight = height() / kWebColorRows;
    const int row = index / kWebColorColumns;
    const int column = index % kWebColorColumns;
    return {column * cellWidth, row * cellHeight, cellWidth, cellHeight};
}

int WebColorPalette::indexAt(const QPoint &pos) const
{
    const int cellWidth = width() / kWebColorColumns;
    const int cellHeight = height() / kWebColorRows;
    if (cellWidth <= 0 || cellHeight <= 0 || pos.x() < 0 || pos.y() < 0)
        return -1;
    const int column = pos.x() / cellWidth;
    const int row = pos.y() / cellHeight;
    if (column >= kWebColorColumns || row >= kWebColorRows)
        return -1;
    return row * kWebColorColumns + column;
}

void WebColorPalette::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    for (int index = 0; index < kWebColorCount; ++index)
        painter.fillRect(cellRect(index), QColor::fromRgb(webColor(index)));
    const int framed = indexAt(m_mousePos);
    if (framed >= 0) {
        const QRect cell = cellRect(framed);
        painter.fillRect(cell, Qt::white);
        painter.fillRect(cell.adjusted(1, 1, -1, -1), QColor::fromRgb(webColor(framed)));
    }
}

void WebColorPalette::mouseMoveEvent(QMouseEvent *event)
{
    m_mousePos = event->position().toPoint();
    const int index = indexAt(m_mousePos);
    if (index >= 0 && index != m_hoveredIndex) {
        m_hoveredIndex = index;
        Q_EMIT hoveredIndexChanged(index);
    }
    update();
}

void WebColorPalette::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Q_EMIT clicked();
}

} // namespace velmo::ui
