// X11ScreenGrabber: the active window comes from the root window's _NET_ACTIVE_WINDOW, its frame
// from _NET_FRAME_EXTENTS; the pixels are read from the root window as they are on screen.
#include "editors/x11screengrabber.h"

#include <cstdlib>
#include <memory>

#include <QGuiApplication>
#include <QPixmap>
#include <QRect>
#include <QScreen>

#include <xcb/xcb.h>

using namespace Qt::StringLiterals;

namespace velmo::ui {

namespace {

template<typename Reply>
using ReplyPtr = std::unique_ptr<Reply, decltype(&std::free)>;

template<typename Reply>
ReplyPtr<Reply> owned(Reply *reply)
{
    return ReplyPtr<Reply>(reply, &std::free);
}

xcb_atom_t atom(xcb_connection_t *connection, const char *name)
{
    auto reply = owned(xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 1, quint16(qstrlen(name)), name), nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

// The 32-bit values of a property, at most count of them; empty when it is not set.
QList<quint32> property32(xcb_connection_t *connection, xcb_window_t window, xcb_atom_t name,
                          xcb_atom_t type, quint32 count)
{
    QList<quint32> values;
    if (name == XCB_ATOM_NONE)
        return values;
    auto reply = owned(xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, window, name, type, 0, count), nullptr));
    if (!reply || reply->format != 32 || reply->type != type)
        return values;
    const auto *data = static_cast<const quint32 *>(xcb_get_property_value(reply.get()));
    const int length = xcb_get_property_value_length(reply.get()) / 4;
    for (int i = 0; i < length; ++i)
        values.append(data[i]);
    return values;
}

// The active window with its frame, in root coordinates; empty when there is none.
QRect activeWindowRect(xcb_connection_t *connection, xcb_window_t root)
{
    const QList<quint32> active =
        property32(connection, root, atom(connection, "_NET_ACTIVE_WINDOW"), XCB_ATOM_WINDOW, 1);
    if (active.isEmpty() || active.constFirst() == XCB_WINDOW_NONE)
        return {};
    const xcb_window_t window = active.constFirst();
    auto geometry =
        owned(xcb_get_geometry_reply(connection, xcb_get_geometry(connection, window), nullptr));
    auto origin = owned(xcb_translate_coordinates_reply(
        connection, xcb_translate_coordinates(connection, window, root, 0, 0), nullptr));
    if (!geometry || !origin)
        return {}; // the window went away in the meantime
    QRect rect(origin->dst_x, origin->dst_y, geometry->width, geometry->height);
    // Left, right, top, bottom: the decoration a window manager draws around its client.
    const QList<quint32> frame = property32(
        connection, window, atom(connection, "_NET_FRAME_EXTENTS"), XCB_ATOM_CARDINAL, 4);
    if (frame.size() == 4)
        rect.adjust(-int(frame[0]), -int(frame[2]), int(frame[1]), int(frame[3]));
    return rect;
}

} // namespace

void X11ScreenGrabber::grab(CaptureTarget target, Done done)
{
    done(grabNow(target));
}

GrabResult X11ScreenGrabber::grabNow(CaptureTarget target)
{
    GrabResult result;
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    QScreen *screen = QGuiApplication::primaryScreen();
    if (x11 == nullptr || x11->connection() == nullptr || screen == nullptr)
        return result;
    xcb_connection_t *connection = x11->connection();
    const xcb_screen_t *xScreen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    if (xScreen == nullptr)
        return result;
    const xcb_window_t root = xScreen->root;
    // The root spans every monitor; that is the whole desktop.
    const QRect desktop(0, 0, xScreen->width_in_pixels, xScreen->height_in_pixels);

    QRect area = desktop;
    if (target == CaptureTarget::ActiveWindow) {
        // A window partly off screen is taken as far as it shows: the server refuses to read
        // outside the root.
        area = activeWindowRect(connection, root) & desktop;
        if (area.isEmpty()) {
            result.failure =
                u"アクティブなウィンドウが見つからないため、画面をキャプチャーできませんでした。"_s;
            return result;
        }
    }
    // grabWindow takes device-independent pixels and scales them back to the server's.
    const qreal ratio = screen->devicePixelRatio();
    const QPixmap pixmap =
        screen->grabWindow(root, qRound(area.x() / ratio), qRound(area.y() / ratio),
                           qRound(area.width() / ratio), qRound(area.height() / ratio));
    result.image = pixmap.toImage().convertToFormat(QImage::Format_RGB32);
    result.bitsPerPixel = xScreen->root_depth > 24 ? 32 : 24;
    return result;
}

} // namespace velmo::ui
