// CaptureDialog ("キャプチャー"): asks what to capture, after how long, and whether to open the
// picture in the graphics editor afterwards.
#pragma once

#include <QDialog>

#include "editors/screengrabber.h"

class QAbstractButton;
class QButtonGroup;

namespace velmo::ui {

class CaptureDialog : public QDialog
{
    Q_OBJECT

public:
    explicit CaptureDialog(QWidget *parent = nullptr);

    // Readable after exec(); an Accepted run means the user asked for a capture.
    CaptureTarget target() const { return m_target; }
    bool captureActiveWindow() const { return m_target == CaptureTarget::ActiveWindow; }
    bool captureDesktop() const { return m_target == CaptureTarget::Desktop; }
    int delaySeconds() const { return m_delaySeconds; }
    bool openInGraphicsEditor() const { return m_openInGraphicsEditor; }

private:
    void showChoices();

    QButtonGroup *m_targets = nullptr;
    QButtonGroup *m_delays = nullptr;
    CaptureTarget m_target = CaptureTarget::ActiveWindow;
    int m_delaySeconds = 5;
    bool m_openInGraphicsEditor = false;
};

} // namespace velmo::ui
