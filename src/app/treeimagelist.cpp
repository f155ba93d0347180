// The shared tree icons, drawn from the program's own SVG artwork.
#include "app/treeimagelist.h"

#include <QCoreApplication>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

using namespace Qt::StringLiterals;

// Resources compiled into a static library are registered by hand, outside any namespace.
static void initTreeIconResources()
{
    Q_INIT_RESOURCE(treeicons);
}

namespace {

TreeImageList *g_shared = nullptr;

QPixmap render(QSvgRenderer &renderer, int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    renderer.render(&painter);
    return pixmap;
}

} // namespace

TreeImageList::TreeImageList()
{
    initTreeIconResources();
    // In image-index order; rendered here rather than through the SVG icon engine plug-in, which
    // a minimal installation may lack.
    const QString names[kCount] = {u"site"_s,   u"hierarchy"_s,    u"category"_s, u"linkmenu"_s,
                                   u"page"_s,   u"contentgroup"_s, u"subgroup"_s, u"content"_s,
                                   u"folder"_s, u"folder-open"_s};
    for (const QString &name : names) {
        QSvgRenderer renderer(u":/velmo/tree/%1.svg"_s.arg(name));
        QIcon icon;
        if (renderer.isValid()) {
            for (int size : {16, 32}) {
                const QPixmap pixmap = render(renderer, size);
                icon.addPixmap(pixmap);
                if (size == 16)
                    m_pixmaps.append(pixmap);
            }
        } else {
            m_pixmaps.append(QPixmap());
        }
        m_icons.append(icon);
    }
}

const TreeImageList &TreeImageList::shared()
{
    if (g_shared == nullptr) {
        g_shared = new TreeImageList;
        qAddPostRoutine([] {
            delete g_shared;
            g_shared = nullptr;
        });
    }
    return *g_shared;
}

QIcon TreeImageList::icon(int index) const
{
    return m_icons.value(index);
}

QIcon TreeImageList::icon(int index, int selectedIndex) const
{
    if (index == selectedIndex)
        return icon(index);
    QIcon combined;
    const QPixmap normal = m_pixmaps.value(index);
    const QPixmap selected = m_pixmaps.value(selectedIndex);
    if (!normal.isNull())
        combined.addPixmap(normal, QIcon::Normal);
    if (!selected.isNull())
        combined.addPixmap(selected, QIcon::Selected);
    return combined;
}
