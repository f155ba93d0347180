// The embedded browser.
#include "app/webbrowser.h"

#include <utility>

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

using namespace Qt::StringLiterals;

namespace {

// A page that tells before it loads a local file, so that a page of the site the user follows
// a link to can be generated first.
class NavigationPage : public QWebEnginePage
{
public:
    NavigationPage(QWebEngineProfile *profile, WebBrowser *browser, QObject *parent)
        : QWebEnginePage(profile, parent), m_browser(browser)
    {}

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override
    {
        // The program's own pages ask for its commands by links that lead nowhere else.
        if (url.scheme() == u"qrc" && url.path().startsWith(WebBrowser::commandPrefix())) {
            if (type == NavigationTypeLinkClicked)
                Q_EMIT m_browser->commandRequested(
                    url.path().mid(WebBrowser::commandPrefix().size()));
            return false;
        }
        // Only where the user or the page leads (a link, a form, a script or refresh, back and
        // forward): the program's own loads show pages it has just written.
        const bool followed = type == NavigationTypeLinkClicked ||
                              type == NavigationTypeBackForward ||
                              type == NavigationTypeFormSubmitted || type == NavigationTypeRedirect;
        if (isMainFrame && followed && url.isLocalFile())
            Q_EMIT m_browser->aboutToOpenLocalFile(url);
        return QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
    }

private:
    WebBrowser *m_browser;
};

} // namespace

WebBrowser::WebBrowser(QWidget *parent) : QWidget(parent)
{
    setObjectName(u"previewExplorer"_s);
    m_statusLine = new QLabel(this);
    m_statusLine->setObjectName(u"previewStatusLine"_s);
    m_statusLine->setTextFormat(Qt::PlainText);
    m_statusLine->setContentsMargins(4, 1, 4, 1);
    m_statusLine->setMinimumWidth(0);
    m_statusLine->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);

    m_layout = new QVBoxLayout(this);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(0);
    m_layout->addStretch(1);
    m_layout->addWidget(m_statusLine);
}

void WebBrowser::startEngine()
{
    if (m_view != nullptr)
        return;
    // A profile without a storage name keeps nothing on disk; with no HTTP cache either, a page
    // regenerated under the same address is never shown from an old copy.
    m_profile = new QWebEngineProfile(this);
    m_profile->setHttpCacheType(QWebEngineProfile::NoCache);

    m_view = new QWebEngineView(this);
    m_view->setObjectName(u"previewBrowser"_s);
    m_view->setPage(new NavigationPage(m_profile, this, m_view));
    // Dropped documents are for the main window to open, not for the preview to display.
    m_view->setAcceptDrops(false);
    delete m_layout->takeAt(0);
    m_layout->insertWidget(0, m_view, 1);

    connect(m_view->page(), &QWebEnginePage::linkHovered, this,
            [this](const QString &url) { showStatus(url); });
    connect(m_view->page(), &QWebEnginePage::loadingChanged, this,
            [this](const QWebEngineLoadingInfo &info) { onLoadingChanged(info); });

    if (!m_pending.isEmpty()) {
        const QUrl first = m_pending;
        m_pending.clear();
        navigateTo(first);
    }
}

void WebBrowser::showPage(const QString &path, const QString &anchor, bool keepScroll)
{
    QUrl url = QUrl::fromLocalFile(path);
    if (path.isEmpty() || !url.isValid())
        return;
    if (!anchor.isEmpty())
        url.setFragment(anchor);
    if (m_view == nullptr || m_loading) {
        m_pending = url;
        m_pendingKeepsScroll = keepScroll;
        return;
    }
    m_pending.clear();
    const bool samePage =
        m_lastLoadOk && m_view->url().isLocalFile() &&
        m_view->url().adjusted(QUrl::RemoveFragment) == url.adjusted(QUrl::RemoveFragment);
    if (!samePage) {
        navigateTo(url);
        return;
    }
    // Going to a fragment of the page on view would only scroll it; it is reloaded instead,
    // and the engine's reload keeps the scroll position. The address takes the new fragment
    // first, so that the history entry names where the page is shown.
    m_anchorAfterLoad = keepScroll ? QString() : anchor;
    const QByteArray quoted =
        QJsonDocument(QJsonArray{url.toString(QUrl::FullyEncoded)}).toJson(QJsonDocument::Compact);
    m_loading = true;
    m_loadingLocalFile = true;
    m_view->page()->runJavaScript(
        u"history.replaceState(history.state, '', %1); location.reload();"_s.arg(
            QString::fromUtf8(quoted.mid(1, quoted.size() - 2))));
}

void WebBrowser::showText(const QString &text)
{
    const QString html =
        u"<!DOCTYPE html><html lang=\"ja\"><head><meta charset=\"utf-8\"><style>"
        u"body{font-family:\"Noto Sans CJK JP\",sans-serif;color:#4a5a6a;background:#f6f8fa;"
        u"margin:0;padding:3em 2em;text-align:center;line-height:1.8}</style></head>"
        u"<body><p>%1</p></body></html>"_s.arg(text.toHtmlEscaped());
    navigate(u"data:text/html;charset=utf-8;base64,"_s +
             QString::fromLatin1(html.toUtf8().toBase64()));
}

void WebBrowser::scrollToAnchor()
{
    if (m_anchorAfterLoad.isEmpty() || m_view == nullptr)
        return;
    const QByteArray quoted =
        QJsonDocument(QJsonArray{m_anchorAfterLoad}).toJson(QJsonDocument::Compact);
    m_anchorAfterLoad.clear();
    const QString name = QString::fromUtf8(quoted.mid(1, quoted.size() - 2));
    // The templates mark a content with <a name>, newer pages with an id.
    m_view->page()->runJavaScript(
        u"(function(n){var e=document.getElementById(n)||document.getElementsByName(n)[0];"
        "if(e)e.scrollIntoView();})(%1);"_s.arg(name));
}

QWebEngineView *WebBrowser::view()
{
    startEngine();
    return m_view;
}

void WebBrowser::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_view == nullptr)
        QTimer::singleShot(0, this, &WebBrowser::startEngine);
}

WebBrowser::~WebBrowser()
{
    // The page must go before its profile, which is destroyed with this widget's children.
    delete m_view;
}

void WebBrowser::showStatus(const QString &text)
{
    m_statusLine->setText(text.isEmpty() ? m_loadStatus : text);
}

void WebBrowser::goBack()
{
    if (m_view != nullptr)
        m_view->back();
}

void WebBrowser::goForward()
{
    if (m_view != nullptr)
        m_view->forward();
}

QString WebBrowser::locationUrl() const
{
    return m_view != nullptr ? m_view->url().toString(QUrl::FullyEncoded) : QString();
}

void WebBrowser::setStatusBar(bool visible)
{
    m_statusLine->setVisible(visible);
}

bool WebBrowser::statusBar() const
{
    return !m_statusLine->isHidden();
}

QUrl WebBrowser::addressToUrl(const QString &address)
{
    if (QDir::isAbsolutePath(address))
        return QUrl::fromLocalFile(address);
    return QUrl(address);
}

void WebBrowser::onLoadingChanged(const QWebEngineLoadingInfo &info)
{
    if (info.status() == QWebEngineLoadingInfo::LoadStartedStatus) {
        m_loading = true;
        m_loadingLocalFile = info.url().isLocalFile();
        m_loadStatus = u"読み込み中..."_s;
        showStatus(QString());
        return;
    }
    m_loading = false;
    m_lastLoadOk = info.status() == QWebEngineLoadingInfo::LoadSucceededStatus;
    m_loadStatus = m_lastLoadOk ? u"ページが表示されました"_s : u"ページを表示できませんでした"_s;
    showStatus(QString());
    if (m_lastLoadOk)
        scrollToAnchor();
    m_anchorAfterLoad.clear();
    Q_EMIT loadFinished(m_lastLoadOk);
    if (!m_pending.isEmpty()) {
        const QUrl next = m_pending;
        m_pending.clear();
        if (next.isLocalFile())
            showPage(next.toLocalFile(), next.fragment(),
                     std::exchange(m_pendingKeepsScroll, false));
        else
            navigateTo(next);
    }
}

void WebBrowser::navigate(const QString &address)
{
    const QUrl url = addressToUrl(address);
    if (address.isEmpty() || !url.isValid())
        return;
    // A local page still on its way is replaced once it is there, and before the engine runs
    // there is nothing to replace; either way the latest request wins.
    if (m_view == nullptr || (m_loading && m_loadingLocalFile && url.isLocalFile())) {
        m_pending = url;
        m_pendingKeepsScroll = false;
        return;
    }
    m_pending.clear();
    m_pendingKeepsScroll = false;
    navigateTo(url);
}

void WebBrowser::navigateTo(const QUrl &url)
{
    if (m_lastLoadOk && !m_loading && m_view->url().isLocalFile() && url.isLocalFile()) {
        // The engine offers no load without a history entry; the page's own replace does that,
        // and one local file may move to another. An error page has no script to ask.
        const QByteArray quoted = QJsonDocument(QJsonArray{url.toString(QUrl::FullyEncoded)})
                                      .toJson(QJsonDocument::Compact);
        m_view->page()->runJavaScript(
            u"location.replace(%1);"_s.arg(QString::fromUtf8(quoted.mid(1, quoted.size() - 2))));
        return;
    }
    // While a load is running the engine reports no new start for this one: the state is
    // set here, or a request arriving before this page is there would not wait for it.
    m_loading = true;
    m_loadingLocalFile = url.isLocalFile();
    m_view->load(url);
}
