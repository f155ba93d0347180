// PreviewPane, the upper right pane: holds the browser preview form and shows there whatever
// showInPreview asks for.
#pragma once

#include <QFrame>
#include <QPointer>

class PreviewBrowser;
class QUrl;

namespace velmo {
class Document;
}

class PreviewPane : public QFrame
{
    Q_OBJECT

public:
    PreviewPane(velmo::Document &global, QWidget *parent = nullptr);

    // A new or opened document: creates the preview form when there is none yet and shows the
    // home page.
    void onInitialUpdate();
    // A posted preview request arrived: shows the document's preview address. Ignored once the
    // preview form is gone.
    void onPreviewNavigate();
    // Shows the page written to path at anchor, as the content editor asks: posted like any
    // preview request, and recorded as the preview address ("file:///…#anchor").
    void showPage(const QString &path, const QString &anchor, bool keepScroll);

    // The selection has no page: a line of text is shown instead, posted like any request.
    void showMessage(const QString &text);

    PreviewBrowser *previewDialog() const;
    // The command by which the start page asks for the site management ("管理").
    static QString siteManagementCommand() { return QStringLiteral("site-management"); }

Q_SIGNALS:
    // A page of the program's own asked for a command of the window.
    void commandRequested(const QString &name);
    // The preview is about to show a local file (delivered directly, before the file is read).
    void localFileAboutToOpen(const QUrl &url);

private:
    velmo::Document &m_global;
    // Cleared by Qt when the form is destroyed, which is how the pane forgets it.
    QPointer<PreviewBrowser> m_preview;
};

// Stores address as the document's preview address and asks pane, through the event queue, to
// show it; requests are handled in the order they were made. Always 1.
int showInPreview(velmo::Document &global, PreviewPane *pane, const QString &address);
