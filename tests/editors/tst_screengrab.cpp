// Reading the real screen: under X11 (Xvfb in the test run) the desktop and the active window;
// elsewhere the capture says it cannot be made.
#include <cstdlib>

#include <QApplication>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <xcb/xcb.h>

#include "app/filedialogwrapper.h"
#include "app/messageboxwrapper.h"
#include "editors/screencapture.h"
#include "editors/x11screengrabber.h"

using namespace Qt::StringLiterals;
using velmo::ui::CaptureTarget;
using velmo::ui::X11ScreenGrabber;

namespace {

// What a window manager would do when the window is activated; Xvfb runs without one.
void setActiveWindow(quint32 window)
{
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t *connection = x11->connection();
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const char name[] = "_NET_ACTIVE_WINDOW";
    xcb_intern_atom_reply_t *atom = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, sizeof(name) - 1, name), nullptr);
    QVERIFY(atom != nullptr);
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, root, atom->atom, XCB_ATOM_WINDOW, 32, 1,
                        &window);
    free(atom);
    free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
}

} // namespace

class TestScreenGrab : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void withoutScreenCaptureSaysSo();
    void x11DesktopAndActiveWindow();
};

void TestScreenGrab::withoutScreenCaptureSaysSo()
{
    if (QGuiApplication::platformName() == u"xcb"_s)
        QSKIP("an X server can be read; the X11 test covers it");
    QTemporaryDir dir;
    MessageBoxWrapper messages;
    messages.setInteractive(false);
    FileDialogWrapper files;
    files.setInteractive(false);
    velmo::ui::ScreenCapture capture(messages, files, dir.path(), QString());
    capture.setSettleMilliseconds(0);
    QSignalSpy finished(&capture, &velmo::ui::ScreenCapture::finished);
    QVERIFY(capture.start(CaptureTarget::Desktop, 0, false));
    QTRY_COMPARE(finished.size(), 1);
    QCOMPARE(messages.shownTexts(), QStringList{u"画面をキャプチャーできませんでした。"_s});
    QVERIFY(files.requests().isEmpty());
}

void TestScreenGrab::x11DesktopAndActiveWindow()
{
    if (QGuiApplication::platformName() != u"xcb"_s)
        QSKIP("needs an X display: runs as tst_screengrab_xvfb under xvfb-run with "
              "QT_QPA_PLATFORM=xcb");

    QWidget window;
    window.setWindowFlag(Qt::FramelessWindowHint);
    window.setAutoFillBackground(true);
    QPalette palette = window.palette();
    palette.setColor(QPalette::Window, QColor(0, 200, 0));
    window.setPalette(palette);
    window.setGeometry(50, 60, 200, 150);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTest::qWait(200);

    setActiveWindow(0);
    const velmo::ui::GrabResult none = X11ScreenGrabber::grabNow(CaptureTarget::ActiveWindow);
    QVERIFY(none.image.isNull());
    QVERIFY(!none.failure.isEmpty());

    const velmo::ui::GrabResult desktop = X11ScreenGrabber::grabNow(CaptureTarget::Desktop);
    QCOMPARE(desktop.image.size(), QGuiApplication::primaryScreen()->geometry().size());
    const QPoint centre = window.geometry().center();
    QCOMPARE(desktop.image.pixelColor(centre), QColor(0, 200, 0));

    setActiveWindow(quint32(window.winId()));
    const velmo::ui::GrabResult active = X11ScreenGrabber::grabNow(CaptureTarget::ActiveWindow);
    QCOMPARE(active.image.size(), QSize(200, 150));
    QCOMPARE(active.image.pixelColor(100, 75), QColor(0, 200, 0));

    // The whole command: the dialog, opened over the window, must not be in its own picture.
    QTemporaryDir dir;
    MessageBoxWrapper messages;
    messages.setInteractive(false);
    FileDialogWrapper files;
    files.setInteractive(false);
    files.queueFileName(dir.filePath(u"desktop.png"_s));
    velmo::ui::ScreenCapture capture(messages, files, dir.path(), QString(), &window);
    QSignalSpy finished(&capture, &velmo::ui::ScreenCapture::finished);
    QPoint dialogCentre;
    QTimer::singleShot(300, this, [&] {
        QWidget *dialog = QApplication::activeModalWidget();
        QVERIFY(dialog != nullptr);
        dialogCentre = dialog->geometry().center();
        QTest::mouseClick(dialog->findChild<QPushButton *>(u"desktopButton"_s), Qt::LeftButton);
        QTest::mouseClick(dialog->findChild<QPushButton *>(u"immediateButton"_s), Qt::LeftButton);
        QTest::mouseClick(dialog->findChild<QPushButton *>(u"captureSaveButton"_s), Qt::LeftButton);
    });
    QVERIFY(capture.run());
    QTRY_COMPARE(finished.size(), 1);
    const QImage saved(dir.filePath(u"desktop.png"_s));
    QCOMPARE(saved.size(), desktop.image.size());
    QVERIFY(window.geometry().contains(dialogCentre));
    QCOMPARE(saved.pixelColor(dialogCentre), QColor(0, 200, 0));
}

QTEST_MAIN(TestScreenGrab)
#include "tst_screengrab.moc"
