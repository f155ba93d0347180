// ScreenCapture: the "キャプチャー" command — asks what to capture, waits, grabs the screen, asks
// where to save the picture and can open it in the graphics editor.
#pragma once

#include <memory>

#include <QObject>
#include <QPointer>
#include <QString>

#include "editors/screengrabber.h"

class FileDialogWrapper;
class MessageBoxWrapper;
class QWidget;

namespace velmo::ui {

class ScreenCapture : public QObject
{
    Q_OBJECT

public:
    // parent also owns the dialogs. graphicsEditorPath is graphics editor 1, empty when unset.
    ScreenCapture(MessageBoxWrapper &messages, FileDialogWrapper &files, QString userImageFolder,
                  QString graphicsEditorPath, QWidget *parent = nullptr);
    ~ScreenCapture() override;

    // The platform's grabber until another is set.
    void setGrabber(std::unique_ptr<ScreenGrabber> grabber);
    // The least time between the dialog closing and the grab, so that the screen no longer
    // shows the dialog even when no delay was chosen.
    void setSettleMilliseconds(int milliseconds) { m_settleMs = milliseconds; }

    // Runs the dialog; after a capture request the wait runs on the event loop and finished()
    // follows. false when the user cancelled or a capture is already under way.
    bool run();
    // The same, as chosen in the dialog.
    bool start(CaptureTarget target, int delaySeconds, bool openInGraphicsEditor);
    bool isRunning() const { return m_running; }

    // "image001.jpg", or the first number after it whose name the folder does not hold.
    static QString suggestedFileName(const QString &folder);

Q_SIGNALS:
    // The saved file; empty when nothing was saved.
    void finished(const QString &savedPath);

private:
    void onGrabbed(const GrabResult &result);
    QString savePicture(const GrabResult &result);
    void openInEditor(const QString &path);
    void finish(const QString &savedPath);

    MessageBoxWrapper &m_messages;
    FileDialogWrapper &m_files;
    QString m_userImageFolder;
    QString m_graphicsEditorPath;
    QPointer<QWidget> m_dialogParent;
    std::unique_ptr<ScreenGrabber> m_grabber;
    int m_settleMs = 400;
    bool m_running = false;
    bool m_openInEditor = false;
};

} // namespace velmo::ui
