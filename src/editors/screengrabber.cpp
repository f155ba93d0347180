// Choosing the screen grabber for the windowing system the application runs on.
#include "editors/screengrabber.h"

#include <QGuiApplication>

#include "editors/portalscreengrabber.h"
#include "editors/x11screengrabber.h"

using namespace Qt::StringLiterals;

namespace velmo::ui {

namespace {

// The offscreen and other platforms have no screen to read.
class UnavailableScreenGrabber : public ScreenGrabber
{
public:
    void grab(CaptureTarget, Done done) override { done({}); }
};

} // namespace

std::unique_ptr<ScreenGrabber> ScreenGrabber::forPlatform()
{
    const QString platform = QGuiApplication::platformName();
    if (platform == u"xcb"_s)
        return std::make_unique<X11ScreenGrabber>();
    if (platform.startsWith(u"wayland"_s))
        return std::make_unique<PortalScreenGrabber>();
    return std::make_unique<UnavailableScreenGrabber>();
}

} // namespace velmo::ui
