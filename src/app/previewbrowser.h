// PreviewBrowser, the browser preview form of the preview pane: the embedded browser with
// back and forward, three external browsers, three source editors and the logo (home) button.
#pragma once

#include <functional>

#include <QWidget>

class WebBrowser;
class QPushButton;

namespace velmo {
class Document;
}

class PreviewBrowser : public QWidget
{
    Q_OBJECT

public:
    PreviewBrowser(velmo::Document &global, QWidget *owner);

    // Shows address in the browser; an empty address does nothing.
    void navigate(const QString &address);
    // Opens the current address in external browser n (1 to 3), or in the desktop's default
    // browser when n is not set.
    void openInBrowser(int n);
    // Opens the file behind the current address in text editor n (1 to 3), or in the desktop's
    // default text editor when n is not set.
    void openSource(int n);
    void goHome();

    WebBrowser *browser() const { return m_browser; }

    // The preview's start page, compiled into the program.
    static QString homePageAddress();
    // The text editor's parameter string for address: the local file it names (query and
    // fragment dropped, escapes decoded) in double quotes; empty when address is no local file.
    static QString sourceFileParameter(const QString &address);

protected:
    // Enter and Escape neither close the form nor press a button.
    void keyPressEvent(QKeyEvent *event) override;

private:
    QPushButton *addButton(const QString &text, const QString &name);
    // Tells the user message when a program did not start, now or a little later.
    std::function<void()> reportFailure(const QString &message) const;

    velmo::Document &m_global;
    WebBrowser *m_browser = nullptr;
};
