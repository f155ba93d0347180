// The program's own artwork, drawn from the SVG compiled into the program.
#pragma once

#include <QIcon>
#include <QPixmap>

// The window and application icon, at the sizes desktops ask for.
QIcon velmoIcon();
// The logo at size by size pixels (the preview pane's home button).
QPixmap velmoLogo(int size);
