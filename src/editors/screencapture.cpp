// ScreenCapture: the wait is a timer, never a sleep, so the screen behind the closed dialog is
// repainted before it is read.
#include "editors/screencapture.h"

#include <algorithm>
#include <cstring>

#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QSet>
#include <QTimer>
#include <QWidget>

#include "app/externalprograms.h"
#include "app/filedialogwrapper.h"
#include "app/messageboxwrapper.h"
#include "editors/capturedialog.h"
#include "imaging/imageobject.h"

using namespace Qt::StringLiterals;

namespace velmo::ui {

ScreenCapture::ScreenCapture(MessageBoxWrapper &messages, FileDialogWrapper &files,
                             QString userImageFolder, QString graphicsEditorPath, QWidget *parent)
    : QObject(parent), m_messages(messages), m_files(files),
      m_userImageFolder(std::move(userImageFolder)),
      m_graphicsEditorPath(std::move(graphicsEditorPath)), m_dialogParent(parent)
{}

ScreenCapture::~ScreenCapture() = default;

void ScreenCapture::setGrabber(std::unique_ptr<ScreenGrabber> grabber)
{
    m_grabber = std::move(grabber);
}

bool ScreenCapture::run()
{
    if (m_running)
        return false;
    CaptureDialog dialog(m_dialogParent.data());
    if (dialog.exec() != QDialog::Accepted)
        return false;
    return start(dialog.target(), dialog.delaySeconds(), dialog.openInGraphicsEditor());
}

bool ScreenCapture::start(CaptureTarget target, int delaySeconds, bool openInGraphicsEditor)
{
    if (m_running)
        return false;
    m_running = true;
    m_openInEditor = openInGraphicsEditor;
    if (!m_grabber)
        m_grabber = ScreenGrabber::forPlatform();
    const int waitMs = std::max(m_settleMs, std::clamp(delaySeconds, 0, 60) * 1000);
    QTimer::singleShot(waitMs, this, [this, target] {
        m_grabber->grab(target, [this](const GrabResult &result) { onGrabbed(result); });
    });
    return true;
}

QString ScreenCapture::suggestedFileName(const QString &folder)
{
    // Names differing only in case are the same picture to the user (IMAGE001.JPG).
    QSet<QString> used;
    const QStringList entries =
        QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString &entry : entries)
        used.insert(entry.toLower());
    // Ends: the set is finite.
    for (int number = 1;; ++number) {
        const QString name = u"image%1.jpg"_s.arg(number, 3, 10, QChar(u'0'));
        if (!used.contains(name))
            return name;
    }
}

void ScreenCapture::onGrabbed(const GrabResult &result)
{
    if (result.image.isNull() || result.image.width() <= 0 || result.image.height() <= 0) {
        if (!result.cancelled)
            m_messages.inform(result.failure.isEmpty() ? u"画面をキャプチャーできませんでした。"_s
                                                       : result.failure);
        finish(QString());
        return;
    }
    const QString saved = savePicture(result);
    if (!saved.isEmpty() && m_openInEditor)
        openInEditor(saved);
    finish(saved);
}

QString ScreenCapture::savePicture(const GrabResult &result)
{
    // The folder is where the dialog starts; without it the dialog would open somewhere else.
    QDir().mkpath(m_userImageFolder);
    const QString proposed = QDir(m_userImageFolder).filePath(suggestedFileName(m_userImageFolder));
    QString path = m_files.getSaveFileName(u"名前を付けて保存"_s, proposed,
                                           {u"画像ファイル(*.jpg *.bmp *.png *.gif)"_s}, u"jpg"_s);
    if (path.isEmpty())
        return QString();
    const QString fileName = QFileInfo(path).fileName();
    if (!fileName.contains(u'.'))
        path += u".jpg"_s;

    img::ImageObject picture;
    const QImage image = result.image.convertToFormat(QImage::Format_ARGB32);
    if (picture.create(image.width(), image.height(), 1) == 0) {
        m_messages.inform(u"画像を保存できませんでした。\r\n"_s + path);
        return QString();
    }
    // ARGB32 lies in memory as blue, green, red, alpha: the picture's own order.
    cv::Mat &pixels = picture.pixels();
    for (int y = 0; y < image.height(); ++y)
        std::memcpy(pixels.ptr(y), image.constScanLine(y), size_t(image.width()) * 4);
    const QString savedName = QFileInfo(path).fileName();
    picture.sourceExtension = savedName.mid(savedName.lastIndexOf(u'.'));
    picture.sourceBitsPerPixel = result.bitsPerPixel;
    if (picture.save(path) == 0) {
        m_messages.inform(u"画像を保存できませんでした。\r\n"_s + path);
        return QString();
    }
    return path;
}

void ScreenCapture::openInEditor(const QString &path)
{
    if (m_graphicsEditorPath.isEmpty())
        return;
    // One parameter however many spaces the path holds; """ is a literal quote in it.
    QString quoted = path;
    quoted.replace(u"\""_s, u"\"\"\""_s);
    // The capture may be gone when a failure is known; its message box wrapper then as well.
    const LaunchFailed failed =
        [self = QPointer<ScreenCapture>(this),
         message = programNotStartedMessage(
             u"キャプチャー"_s, m_graphicsEditorPath,
             externalProgramLabel(&ExternalProgramSettings::graphicsEditorPaths, 0))] {
            if (self != nullptr)
                self->m_messages.inform(message);
        };
    if (!launchProgram(m_graphicsEditorPath, u'"' + quoted + u'"', failed))
        failed();
}

void ScreenCapture::finish(const QString &savedPath)
{
    m_running = false;
    Q_EMIT finished(savedPath);
}

} // namespace velmo::ui
