// The web page capture: a page drawn off screen into a JPEG of the browser's size, and the
// ways it can fail without leaving a file or an invisible dialog behind.
#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>
#include <QTest>

#include "app/messageboxwrapper.h"
#include "editors/webcapturedialog.h"

using namespace Qt::StringLiterals;
using velmo::ui::WebCaptureDialog;

namespace {

QString writePage(const QTemporaryDir &dir, const QString &colour)
{
    const QString path = dir.filePath(u"page.html"_s);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(u"<!DOCTYPE html><html><body style=\"margin:0;background:%1\"></body></html>"_s
                       .arg(colour)
                       .toUtf8());
    return path;
}

bool near(const QColor &actual, const QColor &expected)
{
    return qAbs(actual.red() - expected.red()) <= 16 &&
           qAbs(actual.green() - expected.green()) <= 16 &&
           qAbs(actual.blue() - expected.blue()) <= 16;
}

} // namespace

class TestWebCapture : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void capturesPageIntoJpeg();
    void startPageAtDefaultSize();
    void failuresLeaveNoFile();
};

void TestWebCapture::capturesPageIntoJpeg()
{
    QTemporaryDir dir;
    MessageBoxWrapper messages;
    messages.setInteractive(false);
    WebCaptureDialog dialog(messages);
    QCOMPARE(dialog.windowTitle(), u"Web キャプチャ ダイアログ"_s);
    dialog.setAddress(writePage(dir, u"#3060c0"_s));
    // The extension does not decide the format.
    const QString output = dir.filePath(u"page.png"_s);
    dialog.setOutputPath(output);
    dialog.setBrowserSize(QSize(320, 200));
    QCOMPARE(dialog.exec(), QDialog::Accepted);
    QVERIFY(dialog.succeeded());
    QVERIFY(messages.shownTexts().isEmpty());

    QImageReader reader(output);
    QCOMPARE(reader.format(), QByteArray("jpeg"));
    const QImage image = reader.read();
    QCOMPARE(image.size(), QSize(320, 200));
    for (const QPoint point : {QPoint(5, 5), QPoint(160, 100), QPoint(314, 194)})
        QVERIFY2(near(image.pixelColor(point), QColor(0x30, 0x60, 0xc0)),
                 qPrintable(image.pixelColor(point).name()));
}

void TestWebCapture::startPageAtDefaultSize()
{
    QTemporaryDir dir;
    MessageBoxWrapper messages;
    messages.setInteractive(false);
    WebCaptureDialog dialog(messages);
    const QString output = dir.filePath(u"start.jpg"_s);
    dialog.setOutputPath(output);
    QCOMPARE(dialog.exec(), QDialog::Accepted);
    const QImage image(output);
    QCOMPARE(image.size(), QSize(1024, 768));
    QVERIFY(near(image.pixelColor(10, 10), Qt::white));
}

void TestWebCapture::failuresLeaveNoFile()
{
    QTemporaryDir dir;
    const QString page = writePage(dir, u"#ff0000"_s);
    struct Case
    {
        QString address;
        int timeLimit;
        QString message;
    };
    const QList<Case> cases = {
        {page, 1, u"Webページの読み込みが時間内に終わりませんでした。"_s},
        {dir.filePath(u"missing.html"_s), WebCaptureDialog::kDefaultTimeLimitMs,
         u"Webページを読み込めませんでした。\r\n"_s + dir.filePath(u"missing.html"_s)},
    };
    for (const Case &test : cases) {
        MessageBoxWrapper messages;
        messages.setInteractive(false);
        WebCaptureDialog dialog(messages);
        dialog.setAddress(test.address);
        dialog.setTimeLimit(test.timeLimit);
        const QString output = dir.filePath(u"out.jpg"_s);
        dialog.setOutputPath(output);
        QCOMPARE(dialog.exec(), QDialog::Rejected);
        QVERIFY(!dialog.succeeded());
        QCOMPARE(messages.shownTexts(), QStringList{test.message});
        QVERIFY(!QFile::exists(output));
    }
}

QTEST_MAIN(TestWebCapture)
#include "tst_webcapture.moc"
