// WebCaptureDialog ("Web キャプチャ ダイアログ"): loads a web page in a browser that is never on
// screen and saves what it shows as a JPEG picture, then closes itself.
#pragma once

#include <QDialog>
#include <QSize>
#include <QTimer>
#include <QUrl>

class MessageBoxWrapper;
class QWebEngineProfile;
class QWebEngineView;

namespace velmo::ui {

class WebCaptureDialog : public QDialog
{
    Q_OBJECT

public:
    static constexpr int kDefaultTimeLimitMs = 10'000;

    explicit WebCaptureDialog(MessageBoxWrapper &messages, QWidget *parent = nullptr);
    ~WebCaptureDialog() override;

    // An absolute file path or a web address; empty for our own start page.
    void setAddress(const QString &address) { m_address = address; }
    void setOutputPath(const QString &path) { m_outputPath = path; }
    // The browser area's size, which is the picture's; 1024 x 768 when none is given.
    void setBrowserSize(const QSize &size);
    QSize browserSize() const { return m_browserSize; }
    // How long loading and drawing may take before the capture gives up.
    void setTimeLimit(int milliseconds) { m_timeLimitMs = milliseconds; }

    // Accepted once the picture is saved; otherwise Rejected, after telling the user why.
    int exec() override;
    bool succeeded() const { return m_succeeded; }

    static QUrl startPageUrl();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void startLoading();
    void onLoadFinished(bool ok);
    void waitForFrame(int attempt);
    void capture();
    void fail(const QString &message);
    void finish(bool success);

    MessageBoxWrapper &m_messages;
    QWebEngineProfile *m_profile = nullptr;
    QWebEngineView *m_view = nullptr;
    QTimer m_timeLimit;
    QString m_address;
    QString m_outputPath;
    QSize m_browserSize{1024, 768};
    int m_timeLimitMs = kDefaultTimeLimitMs;
    QString m_failure;
    bool m_running = false;
    bool m_succeeded = false;
};

} // namespace velmo::ui
