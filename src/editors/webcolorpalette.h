// WebColorPalette: the grid of web colours that frames the cell under the mouse in white and
// reports when that cell changes.
#pragma once

#include <QPoint>
#include <QWidget>

namespace velmo::ui {

class WebColorPalette : public QWidget
{
    Q_OBJECT

public:
    explicit WebColorPalette(QWidget *parent = nullptr);

    // The cell last under the mouse (row × 36 + column), -1 before any; it stays when the
    // mouse leaves, so a click always means the colour the user last saw framed.
    int hoveredIndex() const { return m_hoveredIndex; }
    // The cell that contains pos, or -1 (the strip that the 36 equal columns leave over).
    int indexAt(const QPoint &pos) const;
    QSize sizeHint() const override;

Q_SIGNALS:
    void hoveredIndexChanged(int index);
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QRect cellRect(int index) const;

    QPoint m_mousePos{-1, -1};
    int m_hoveredIndex = -1;
};

} // namespace velmo::ui
