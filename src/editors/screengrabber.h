// ScreenGrabber: takes a picture of the desktop or of the active window, by whatever means the
// windowing system allows; the capture command reaches the screen only through it.
#pragma once

#include <functional>
#include <memory>

#include <QImage>
#include <QString>

namespace velmo::ui {

enum class CaptureTarget { ActiveWindow, Desktop };

struct GrabResult
{
    // Null when nothing could be grabbed.
    QImage image;
    // Bits per pixel of the screen the picture came from.
    int bitsPerPixel = 24;
    // Why nothing was grabbed, in words for the user; empty when there is nothing more to say.
    QString failure;
    // The user called the grab off (a desktop's own screenshot prompt); nothing to report.
    bool cancelled = false;
};

class ScreenGrabber
{
public:
    using Done = std::function<void(const GrabResult &)>;

    virtual ~ScreenGrabber() = default;
    // Calls done exactly once, at once or later from the event loop; never after the grabber is
    // destroyed.
    virtual void grab(CaptureTarget target, Done done) = 0;

    // The grabber of the running platform: X11 directly, Wayland through the desktop's
    // screenshot portal; elsewhere one that always fails.
    static std::unique_ptr<ScreenGrabber> forPlatform();
};

} // namespace velmo::ui
