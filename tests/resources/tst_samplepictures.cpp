// velmo-make-sample-images as the build runs it: each picture in its format and size, small
// enough to ship, the same bytes on every run, and no output for a name it cannot draw.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

int runTool(const QStringList &arguments)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    // As in the build: the font and platform libraries' leaks are not the tool's.
    environment.insert(u"ASAN_OPTIONS"_s, u"detect_leaks=0"_s);
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(VELMO_MAKE_SAMPLE_IMAGES), arguments);
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return -1;
    return process.exitCode();
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestSamplePictures : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void drawsEachPicture_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("format");
        QTest::addColumn<QSize>("size");
        // clang-format off
        QTest::newRow("landscape") << u"landscape.jpg"_s << QByteArray("jpeg") << QSize(1600, 1000);
        QTest::newRow("square")    << u"coffee.png"_s    << QByteArray("png")  << QSize(800, 800);
        QTest::newRow("portrait")  << u"forest.jpg"_s    << QByteArray("jpeg") << QSize(800, 1200);
        QTest::newRow("cookies")   << u"cookies.jpg"_s   << QByteArray("jpeg") << QSize(1200, 800);
        // clang-format on
    }

    void drawsEachPicture()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, format);
        QFETCH(QSize, size);
        QTemporaryDir dir;
        const QString first = dir.filePath(u"a/user_image/sample"_s);
        const QString second = dir.filePath(u"b"_s);
        QCOMPARE(runTool({first, name}), 0);
        QCOMPARE(runTool({second, name}), 0);

        const QString path = first + u'/' + name;
        QImageReader reader(path);
        QCOMPARE(reader.format(), format);
        QCOMPARE(reader.size(), size);
        QVERIFY2(!reader.read().isNull(), qPrintable(reader.errorString()));
        QVERIFY2(QFileInfo(path).size() < 300 * 1024, qPrintable(path));
        // Drawn with fixed seeds: a rebuild gives the same files, so nothing downstream
        // counts the pictures as changed.
        QCOMPARE(readAll(second + u'/' + name), readAll(path));
    }

    void refusesWhatItCannotDraw_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::newRow("no name") << QStringList();
        QTest::newRow("unknown name") << QStringList{u"nothing.gif"_s};
        QTest::newRow("unknown after a known one")
            << QStringList{u"coffee.png"_s, u"../outside.png"_s};
    }

    void refusesWhatItCannotDraw()
    {
        QFETCH(QStringList, names);
        QTemporaryDir dir;
        const QString folder = dir.filePath(u"out"_s);
        QCOMPARE(runTool(QStringList{folder} + names), 2);
        QVERIFY(!QFileInfo::exists(dir.filePath(u"outside.png"_s)));
        QVERIFY(!QFileInfo::exists(folder));
    }
};

QTEST_GUILESS_MAIN(TestSamplePictures)
#include "tst_samplepictures.moc"
