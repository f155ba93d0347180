// WebBrowser, the embedded web browser of the preview pane and the web capture: a
// QWebEngineView with back, forward, the current address and a status line beneath it.
#pragma once

#include <QString>
#include <QUrl>
#include <QWidget>

class QLabel;
class QVBoxLayout;
class QWebEngineLoadingInfo;
class QWebEngineProfile;
class QWebEngineView;

class WebBrowser : public QWidget
{
    Q_OBJECT

public:
    explicit WebBrowser(QWidget *parent = nullptr);
    ~WebBrowser() override;

    void goBack();
    void goForward();
    // The address of the page shown, percent-encoded; empty before the first page.
    QString locationUrl() const;
    void setStatusBar(bool visible);
    bool statusBar() const;

    // Shows address (an absolute file path or a URL). Between local files the new page
    // replaces the current history entry, as a preview that is regenerated is no new place to
    // go back to; the profile keeps no cache, so a regenerated page is always read afresh.
    void navigate(const QString &address);
    // Shows the local page at path, scrolled to anchor (empty: its top). The page on view is
    // read again in place; with keepScroll it stays where the user had scrolled it.
    void showPage(const QString &path, const QString &anchor, bool keepScroll);

    // Shows a line of text where a page would be: what is selected has no page to show.
    void showText(const QString &text);

    // The path of the links by which the program's own pages ask for a command.
    static QString commandPrefix() { return QStringLiteral("/velmo/do/"); }
    // A local path becomes a file URL; anything else is read as a URL.
    static QUrl addressToUrl(const QString &address);

    // The browser, started now if it has not been yet.
    QWebEngineView *view();

Q_SIGNALS:
    void loadFinished(bool ok);
    // The user or the page is about to open url (a local file) in the main frame: a link, a
    // form, a script, back or forward; not navigate(). Connected directly, a slot may still write
    // the file before the engine reads it.
    void aboutToOpenLocalFile(const QUrl &url);
    // A link of the program's own pages asks for a command of the window ("qrc:/velmo/do/NAME"),
    // such as the start page's button that opens the site management.
    void commandRequested(const QString &name);

protected:
    // Starting the web engine takes a good part of a second: it waits until the window is on
    // screen, and what was asked for before is shown then.
    void showEvent(QShowEvent *event) override;

private:
    void startEngine();
    void showStatus(const QString &text);
    void onLoadingChanged(const QWebEngineLoadingInfo &info);
    void navigateTo(const QUrl &url);
    void scrollToAnchor();

    QVBoxLayout *m_layout = nullptr;
    QWebEngineProfile *m_profile = nullptr;
    QWebEngineView *m_view = nullptr;
    QLabel *m_statusLine = nullptr;
    QString m_loadStatus;
    // The engine's load state as its signals last told it; the address shown is settled only
    // between loads.
    bool m_loading = false;
    bool m_loadingLocalFile = false;
    bool m_lastLoadOk = false;
    QUrl m_pending;
    bool m_pendingKeepsScroll = false;
    // Where a page read again in place is scrolled once it is there.
    QString m_anchorAfterLoad;
};
