// The screen capture command: the dialog's choices, and saving a grabbed picture where the user
// says, with a grab that needs no screen.
#include <QFile>
#include <QImageReader>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "app/filedialogwrapper.h"
#include "app/messageboxwrapper.h"
#include "editors/capturedialog.h"
#include "editors/screencapture.h"

using namespace Qt::StringLiterals;
using velmo::ui::CaptureDialog;
using velmo::ui::CaptureTarget;
using velmo::ui::GrabResult;
using velmo::ui::ScreenCapture;

namespace {

class FakeGrabber : public velmo::ui::ScreenGrabber
{
public:
    FakeGrabber(QImage image, QList<CaptureTarget> *targets)
        : m_image(std::move(image)), m_targets(targets)
    {}
    void grab(CaptureTarget target, Done done) override
    {
        m_targets->append(target);
        done(GrabResult{m_image, 24, {}, false});
    }

private:
    QImage m_image;
    QList<CaptureTarget> *m_targets;
};

QImage redPicture()
{
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(QColor(220, 20, 20));
    return image;
}

void click(QWidget *dialog, const QString &name)
{
    auto *button = dialog->findChild<QPushButton *>(name);
    QVERIFY2(button != nullptr, qPrintable(name));
    QTest::mouseClick(button, Qt::LeftButton);
}

bool checked(QWidget *dialog, const QString &name)
{
    return dialog->findChild<QPushButton *>(name)->isChecked();
}

} // namespace

class TestCapture : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void dialogChoicesAndResults();
    void savesUnderSuggestedOrTypedName();
    void pngNameSavesPngAndOpensEditor();
    void failedGrabTellsUser();
};

void TestCapture::dialogChoicesAndResults()
{
    CaptureDialog dialog;
    QTimer::singleShot(0, &dialog, [&] {
        QCOMPARE(dialog.windowTitle(), u"キャプチャー"_s);
        QCOMPARE(dialog.findChild<QLabel *>(u"saveLabel"_s)->text(), u"保存／保存して開く"_s);
        QVERIFY(checked(&dialog, u"activeWindowButton"_s));
        QVERIFY(!checked(&dialog, u"desktopButton"_s));
        QVERIFY(checked(&dialog, u"fiveSecondsButton"_s));
        QVERIFY(!checked(&dialog, u"immediateButton"_s));
        QVERIFY(!checked(&dialog, u"fifteenSecondsButton"_s));
        click(&dialog, u"desktopButton"_s);
        click(&dialog, u"desktopButton"_s); // pressing the chosen one again keeps it
        QVERIFY(checked(&dialog, u"desktopButton"_s));
        QVERIFY(!checked(&dialog, u"activeWindowButton"_s));
        click(&dialog, u"fifteenSecondsButton"_s);
        click(&dialog, u"immediateButton"_s);
        QVERIFY(checked(&dialog, u"immediateButton"_s));
        QVERIFY(!checked(&dialog, u"fiveSecondsButton"_s));
        QVERIFY(!checked(&dialog, u"fifteenSecondsButton"_s));
        click(&dialog, u"captureOpenButton"_s);
    });
    QCOMPARE(dialog.exec(), QDialog::Accepted);
    QVERIFY(dialog.captureDesktop());
    QVERIFY(!dialog.captureActiveWindow());
    QCOMPARE(dialog.delaySeconds(), 0);
    QVERIFY(dialog.openInGraphicsEditor());

    for (const bool save : {true, false}) {
        CaptureDialog fresh;
        QTimer::singleShot(
            0, &fresh, [&] { click(&fresh, save ? u"captureSaveButton"_s : u"cancelButton"_s); });
        QCOMPARE(fresh.exec(), save ? QDialog::Accepted : QDialog::Rejected);
        QVERIFY(fresh.captureActiveWindow());
        QCOMPARE(fresh.delaySeconds(), 5);
        QVERIFY(!fresh.openInGraphicsEditor());
    }
}

void TestCapture::savesUnderSuggestedOrTypedName()
{
    QTemporaryDir dir;
    for (const QString &used : {u"image001.jpg"_s, u"IMAGE002.JPG"_s}) {
        QFile file(dir.filePath(used));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    QCOMPARE(ScreenCapture::suggestedFileName(dir.path()), u"image003.jpg"_s);

    MessageBoxWrapper messages;
    messages.setInteractive(false);
    FileDialogWrapper files;
    files.setInteractive(false);
    files.queueFileName(dir.filePath(u"shot"_s));
    QList<CaptureTarget> targets;
    ScreenCapture capture(messages, files, dir.path(), QString());
    capture.setSettleMilliseconds(0);
    capture.setGrabber(std::make_unique<FakeGrabber>(redPicture(), &targets));
    QSignalSpy finished(&capture, &ScreenCapture::finished);
    QVERIFY(capture.start(CaptureTarget::ActiveWindow, 0, false));
    QTRY_COMPARE(finished.size(), 1);

    QCOMPARE(files.requests().size(), 1);
    const FileDialogWrapper::Request &request = files.requests().constFirst();
    QCOMPARE(request.mode, FileDialogWrapper::Mode::Save);
    QCOMPARE(request.directory, dir.filePath(u"image003.jpg"_s));
    QCOMPARE(request.nameFilters, QStringList{u"画像ファイル(*.jpg *.bmp *.png *.gif)"_s});
    const QString saved = dir.filePath(u"shot.jpg"_s);
    QCOMPARE(finished.at(0).at(0).toString(), saved);
    QImageReader reader(saved);
    QCOMPARE(reader.format(), QByteArray("jpeg"));
    QCOMPARE(reader.size(), QSize(40, 30));
    QVERIFY(messages.shownTexts().isEmpty());
}

void TestCapture::pngNameSavesPngAndOpensEditor()
{
    QTemporaryDir dir;
    // A stand-in editor that records the file it was given.
    const QString editor = dir.filePath(u"editor.sh"_s);
    const QString opened = dir.filePath(u"opened.txt"_s);
    {
        QFile script(editor);
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\nprintf '%s' \"$1\" > \"$0.tmp\" && mv \"$0.tmp\" \"" +
                     opened.toUtf8() + "\"\n");
        script.setPermissions(script.permissions() | QFile::ExeOwner);
    }
    MessageBoxWrapper messages;
    messages.setInteractive(false);
    FileDialogWrapper files;
    files.setInteractive(false);
    const QString chosen = dir.filePath(u"my shot.png"_s);
    files.queueFileName(chosen);
    QList<CaptureTarget> targets;
    ScreenCapture capture(messages, files, dir.path(), editor);
    capture.setSettleMilliseconds(0);
    capture.setGrabber(std::make_unique<FakeGrabber>(redPicture(), &targets));
    QSignalSpy finished(&capture, &ScreenCapture::finished);
    QVERIFY(capture.start(CaptureTarget::Desktop, 0, true));
    QTRY_COMPARE(finished.size(), 1);

    QImageReader reader(chosen);
    QCOMPARE(reader.format(), QByteArray("png"));
    const QImage image = reader.read();
    QCOMPARE(image.size(), QSize(40, 30));
    QCOMPARE(image.pixelColor(20, 15), QColor(220, 20, 20));
    QTRY_VERIFY(QFile::exists(opened));
    QFile record(opened);
    QVERIFY(record.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(record.readAll()), chosen);
}

void TestCapture::failedGrabTellsUser()
{
    QTemporaryDir dir;
    MessageBoxWrapper messages;
    messages.setInteractive(false);
    FileDialogWrapper files;
    files.setInteractive(false);
    QList<CaptureTarget> targets;
    ScreenCapture capture(messages, files, dir.path(), QString());
    capture.setSettleMilliseconds(0);
    capture.setGrabber(std::make_unique<FakeGrabber>(QImage(), &targets));
    QSignalSpy finished(&capture, &ScreenCapture::finished);
    QVERIFY(capture.start(CaptureTarget::Desktop, 0, false));
    QTRY_COMPARE(finished.size(), 1);
    QCOMPARE(messages.shownTexts(), QStringList{u"画面をキャプチャーできませんでした。"_s});
    QVERIFY(files.requests().isEmpty());
}

QTEST_MAIN(TestCapture)
#include "tst_capture.moc"
