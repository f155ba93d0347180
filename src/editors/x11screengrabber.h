// X11ScreenGrabber: reads the desktop, or the window the window manager names as active, from
// the X server's root window.
#pragma once

#include "editors/screengrabber.h"

namespace velmo::ui {

class X11ScreenGrabber : public ScreenGrabber
{
public:
    void grab(CaptureTarget target, Done done) override;

    static GrabResult grabNow(CaptureTarget target);
};

} // namespace velmo::ui
