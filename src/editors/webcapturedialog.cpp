// WebCaptureDialog: an off-screen QWebEngineView, a wait for the first frame drawn after the
// load, and a grab painted over white.
#include "editors/webcapturedialog.h"

#include <cstring>

#include <QDir>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineView>

#include "app/messageboxwrapper.h"
#include "imaging/imageobject.h"

using namespace Qt::StringLiterals;

// The resources of a static library are registered only when asked for by name.
static void initEditorResources()
{
    Q_INIT_RESOURCE(editors);
}

namespace velmo::ui {

namespace {

// Set in a world of its own, so the page's scripts neither see nor disturb it. Two animation
// frames: the first runs before the page's first paint, the second after it.
const QString kFrameScript =
    u"window.velmoFrameDrawn = false;"
    "requestAnimationFrame(() => requestAnimationFrame(() => { window.velmoFrameDrawn = true; }));"_s;
constexpr int kFramePollMs = 30;
// The frame the renderer drew reaches the widget a moment after the page's callback.
constexpr int kFrameDeliveryMs = 100;

} // namespace

WebCaptureDialog::WebCaptureDialog(MessageBoxWrapper &messages, QWidget *parent)
    : QDialog(parent), m_messages(messages)
{
    initEditorResources();
    setObjectName(u"webCaptureDialog"_s);
    setWindowTitle(u"Web キャプチャ ダイアログ"_s);
    // Shown so that the engine draws, yet never on screen.
    setAttribute(Qt::WA_DontShowOnScreen);

    // Nothing kept on disk, nothing read from a cache: every capture loads the page afresh.
    m_profile = new QWebEngineProfile(this);
    m_profile->setHttpCacheType(QWebEngineProfile::NoCache);
    m_view = new QWebEngineView(this);
    m_view->setObjectName(u"captureBrowser"_s);
    m_view->setPage(new QWebEnginePage(m_profile, m_view));
    connect(m_view, &QWebEngineView::loadFinished, this, &WebCaptureDialog::onLoadFinished);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
    setBrowserSize(m_browserSize);

    m_timeLimit.setSingleShot(true);
    connect(&m_timeLimit, &QTimer::timeout, this, [this] {
        // Failed first: stopping reports the load as failed, which would tell another story.
        fail(u"Webページの読み込みが時間内に終わりませんでした。"_s);
        m_view->stop();
    });
}

WebCaptureDialog::~WebCaptureDialog()
{
    m_running = false;
    // The page must go before its profile, which is destroyed with this dialog's children.
    delete m_view;
}

void WebCaptureDialog::setBrowserSize(const QSize &size)
{
    m_browserSize = size.isValid() && !size.isEmpty() ? size : QSize(1024, 768);
    m_view->setFixedSize(m_browserSize);
}

QUrl WebCaptureDialog::startPageUrl()
{
    return QUrl(u"qrc:/velmo/editors/capturestart.html"_s);
}

int WebCaptureDialog::exec()
{
    m_succeeded = false;
    m_failure.clear();
    m_running = false;
    const int result = QDialog::exec();
    // Told once the invisible dialog is gone, so the message is the only thing that is modal.
    if (!m_failure.isEmpty())
        m_messages.inform(m_failure);
    return result;
}

void WebCaptureDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!m_running) {
        m_running = true;
        QTimer::singleShot(0, this, &WebCaptureDialog::startLoading);
    }
}

void WebCaptureDialog::startLoading()
{
    if (!m_running)
        return;
    QUrl url = startPageUrl();
    if (!m_address.isEmpty())
        url = QDir::isAbsolutePath(m_address) ? QUrl::fromLocalFile(m_address)
                                              : QUrl::fromUserInput(m_address);
    if (!url.isValid()) {
        fail(u"Webページを読み込めませんでした。\r\n"_s + m_address);
        return;
    }
    m_timeLimit.start(m_timeLimitMs);
    m_view->load(url);
}

void WebCaptureDialog::onLoadFinished(bool ok)
{
    if (!m_running)
        return;
    if (!ok) {
        fail(u"Webページを読み込めませんでした。\r\n"_s +
             m_view->url().toDisplayString(QUrl::PreferLocalFile));
        return;
    }
    m_view->page()->runJavaScript(kFrameScript, QWebEngineScript::ApplicationWorld);
    waitForFrame(0);
}

void WebCaptureDialog::waitForFrame(int attempt)
{
    QPointer<WebCaptureDialog> self(this);
    m_view->page()->runJavaScript(
        u"window.velmoFrameDrawn === true"_s, QWebEngineScript::ApplicationWorld,
        [self, attempt](const QVariant &drawn) {
            // The page may answer while this dialog is being destroyed.
            if (self.isNull() || !self->m_running)
                return;
            if (drawn.toBool())
                QTimer::singleShot(kFrameDeliveryMs, self, &WebCaptureDialog::capture);
            else
                QTimer::singleShot(kFramePollMs, self,
                                   [self, attempt] { self->waitForFrame(attempt + 1); });
        });
}

void WebCaptureDialog::capture()
{
    if (!m_running)
        return;
    const QPixmap shot = m_view->grab();
    // A page with a transparent background shows white, as it does in a browser.
    QImage picture(m_browserSize, QImage::Format_ARGB32);
    picture.fill(Qt::white);
    {
        QPainter painter(&picture);
        painter.drawPixmap(0, 0, shot);
    }
    img::ImageObject image;
    bool saved = !shot.isNull() && !m_outputPath.isEmpty() &&
                 image.create(picture.width(), picture.height(), 1) != 0;
    if (saved) {
        cv::Mat &pixels = image.pixels();
        for (int y = 0; y < picture.height(); ++y)
            std::memcpy(pixels.ptr(y), picture.constScanLine(y), size_t(picture.width()) * 4);
        // JPEG whatever the output path's extension says.
        image.sourceExtension = u".jpg"_s;
        image.sourceBitsPerPixel = 24;
        saved = image.save(m_outputPath) != 0;
    }
    if (!saved) {
        fail(u"Webページの画像を保存できませんでした。\r\n"_s + m_outputPath);
        return;
    }
    finish(true);
}

void WebCaptureDialog::fail(const QString &message)
{
    if (!m_running)
        return;
    m_failure = message;
    finish(false);
}

void WebCaptureDialog::finish(bool success)
{
    m_running = false;
    m_timeLimit.stop();
    m_succeeded = success;
    done(success ? QDialog::Accepted : QDialog::Rejected);
}

} // namespace velmo::ui
