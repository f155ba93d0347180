// PortalScreenGrabber: one Screenshot call, answered by the Response signal of the request
// object the portal makes for it; the picture is the file the portal names.
#include "editors/portalscreengrabber.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QRandomGenerator>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace velmo::ui {

namespace {

const QString kService = u"org.freedesktop.portal.Desktop"_s;
constexpr int kDesktopTimeoutMs = 30'000;
// The user may take a while to pick a window.
constexpr int kInteractiveTimeoutMs = 300'000;

} // namespace

PortalScreenGrabber::PortalScreenGrabber()
{
    m_timeout.setSingleShot(true);
    connect(&m_timeout, &QTimer::timeout, this, [this] { finish({}); });
}

PortalScreenGrabber::~PortalScreenGrabber()
{
    watchRequest(QString());
}

void PortalScreenGrabber::grab(CaptureTarget target, Done done)
{
    if (m_done) {
        done({}); // one request at a time
        return;
    }
    m_done = std::move(done);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        finish({});
        return;
    }
    // The request object's path is known before the call, so the answer cannot arrive before
    // anyone listens for it.
    const QString token = u"velmo%1"_s.arg(QRandomGenerator::global()->generate());
    QString sender = bus.baseService().mid(1);
    sender.replace(u'.', u'_');
    watchRequest(u"/org/freedesktop/portal/desktop/request/%1/%2"_s.arg(sender, token));

    const bool interactive = target == CaptureTarget::ActiveWindow;
    QDBusMessage call =
        QDBusMessage::createMethodCall(kService, u"/org/freedesktop/portal/desktop"_s,
                                       u"org.freedesktop.portal.Screenshot"_s, u"Screenshot"_s);
    call << QString()
         << QVariantMap{
                {u"handle_token"_s, token}, {u"modal"_s, true}, {u"interactive"_s, interactive}};
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            &PortalScreenGrabber::onCallFinished);
    m_timeout.start(interactive ? kInteractiveTimeoutMs : kDesktopTimeoutMs);
}

void PortalScreenGrabber::watchRequest(const QString &path)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!m_requestPath.isEmpty())
        bus.disconnect(kService, m_requestPath, u"org.freedesktop.portal.Request"_s, u"Response"_s,
                       this, SLOT(onResponse(uint, QVariantMap)));
    m_requestPath = path;
    if (!path.isEmpty())
        bus.connect(kService, path, u"org.freedesktop.portal.Request"_s, u"Response"_s, this,
                    SLOT(onResponse(uint, QVariantMap)));
}

void PortalScreenGrabber::onCallFinished(QDBusPendingCallWatcher *watcher)
{
    watcher->deleteLater();
    const QDBusPendingReply<QDBusObjectPath> reply = *watcher;
    if (!m_done)
        return;
    if (reply.isError()) {
        finish({});
        return;
    }
    // Portals older than the handle_token option name a path of their own.
    if (reply.value().path() != m_requestPath)
        watchRequest(reply.value().path());
}

void PortalScreenGrabber::onResponse(uint response, const QVariantMap &results)
{
    if (!m_done)
        return;
    GrabResult result;
    if (response == 0) {
        const QUrl uri(results.value(u"uri"_s).toString());
        if (uri.isLocalFile())
            result.image = QImage(uri.toLocalFile()).convertToFormat(QImage::Format_RGB32);
    } else {
        result.cancelled = response == 1;
    }
    finish(result);
}

void PortalScreenGrabber::finish(const GrabResult &result)
{
    m_timeout.stop();
    watchRequest(QString());
    Done done = std::move(m_done);
    m_done = nullptr;
    if (done)
        done(result);
}

} // namespace velmo::ui
