// PortalScreenGrabber: asks the desktop's screenshot portal (org.freedesktop.portal.Screenshot)
// for the picture, where the application itself may not read the screen (Wayland).
#pragma once

#include <QObject>
#include <QTimer>
#include <QVariantMap>

#include "editors/screengrabber.h"

class QDBusPendingCallWatcher;

namespace velmo::ui {

class PortalScreenGrabber : public QObject, public ScreenGrabber
{
    Q_OBJECT

public:
    PortalScreenGrabber();
    ~PortalScreenGrabber() override;

    // The desktop is taken as it is; for the active window the portal lets the user choose,
    // since no application may learn which window is active.
    void grab(CaptureTarget target, Done done) override;

private Q_SLOTS:
    void onResponse(uint response, const QVariantMap &results);

private:
    void watchRequest(const QString &path);
    void onCallFinished(QDBusPendingCallWatcher *watcher);
    void finish(const GrabResult &result);

    Done m_done;
    QString m_requestPath;
    QTimer m_timeout;
};

} // namespace velmo::ui
