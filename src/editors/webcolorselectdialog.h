// WebColorSelectDialog: picks one colour of the web palette and returns it as "#rrggbb".
#pragma once

#include <QDialog>

class QLineEdit;

namespace velmo::ui {

class WebColorPalette;

class WebColorSelectDialog : public QDialog
{
    Q_OBJECT

public:
    explicit WebColorSelectDialog(QWidget *parent = nullptr);

    // After Accepted: the colour text, empty when the palette was clicked before the mouse
    // had been over any cell (the caller then inserts nothing).
    QString result() const { return m_result; }

private:
    void showColor(int index);
    void pickHoveredColor();

    WebColorPalette *m_palette = nullptr;
    QLineEdit *m_colorEdit = nullptr;
    QString m_result;
};

} // namespace velmo::ui
