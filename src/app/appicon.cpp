// Rendering the program icon from its SVG, without relying on an icon-engine plug-in.
#include "app/appicon.h"

#include <QPainter>
#include <QSvgRenderer>

using namespace Qt::StringLiterals;

QPixmap velmoLogo(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QSvgRenderer renderer(u":/velmo/icons/velmo.svg"_s);
    QPainter painter(&pixmap);
    renderer.render(&painter);
    return pixmap;
}

QIcon velmoIcon()
{
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(velmoLogo(size));
    return icon;
}
