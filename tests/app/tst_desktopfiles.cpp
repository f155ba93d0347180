// The desktop integration files: *.vlm documents are recognised by name and by content through
// the shared-mime-info entry, the .desktop file opens them with velmo, and the icons it names
// exist and draw.
#include <QFile>
#include <QImage>
#include <QMimeDatabase>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include "app/appicon.h"

using namespace Qt::StringLiterals;

namespace {

QString resource(const QString &name)
{
    return QStringLiteral(VELMO_RESOURCES_DIR) + u'/' + name;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The keys of the [Desktop Entry] group, without the translated ones.
QMap<QString, QString> desktopEntry(const QString &path)
{
    QMap<QString, QString> keys;
    bool inEntry = false;
    const QStringList lines = QString::fromUtf8(readAll(path)).split(u'\n');
    for (const QString &line : lines) {
        if (line.startsWith(u'['))
            inEntry = line == u"[Desktop Entry]";
        const qsizetype equals = line.indexOf(u'=');
        if (inEntry && equals > 0 && !line.left(equals).contains(u'['))
            keys.insert(line.left(equals), line.mid(equals + 1));
    }
    return keys;
}

} // namespace

class TestDesktopFiles : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void documentsAreRecognised_data();
    void documentsAreRecognised();
    void desktopEntryOpensDocuments();
    void iconsDraw();

private:
    QTemporaryDir m_dataDir;
};

void TestDesktopFiles::initTestCase()
{
    // A data folder that holds nothing but this program's MIME entry.
    QVERIFY(m_dataDir.isValid());
    QVERIFY(QDir().mkpath(m_dataDir.filePath(u"mime/packages"_s)));
    QVERIFY(QFile::copy(resource(u"desktop/velmo-mime.xml"_s),
                        m_dataDir.filePath(u"mime/packages/velmo.xml"_s)));
    qputenv("XDG_DATA_DIRS", QFile::encodeName(m_dataDir.path()));
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_dataDir.filePath(u"home"_s)));
}

void TestDesktopFiles::documentsAreRecognised_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("velmo");

    const QByteArray document = readAll(QStringLiteral(VELMO_TEST_DATA_DIR "/sample.vlm"));
    QVERIFY(!document.isEmpty());
    // clang-format off
    QTest::newRow("by name")           << u"site.vlm"_s     << QByteArray("\xff\xfe")   << true;
    QTest::newRow("upper-case suffix") << u"SITE.VLM"_s     << QByteArray()             << true;
    QTest::newRow("by content")        << u"site.backup"_s  << document                 << true;
    QTest::newRow("other content")     << u"notes.backup"_s << QByteArray("QGlobal")    << false;
    // clang-format on
}

void TestDesktopFiles::documentsAreRecognised()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(bool, velmo);

    QTemporaryDir dir;
    const QString path = dir.filePath(name);
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();

    const QMimeType type = QMimeDatabase().mimeTypeForFile(path);
    QCOMPARE(type.name() == u"application/x-velmo", velmo);
    if (velmo)
        QCOMPARE(type.iconName(), u"application-x-velmo"_s);
}

void TestDesktopFiles::desktopEntryOpensDocuments()
{
    const QMap<QString, QString> entry = desktopEntry(resource(u"desktop/velmo.desktop"_s));
    QCOMPARE(entry.value(u"Type"_s), u"Application"_s);
    QCOMPARE(entry.value(u"Name"_s), u"Velmo"_s);
    // One document per start, passed as a file name.
    QCOMPARE(entry.value(u"Exec"_s), u"velmo %f"_s);
    QVERIFY(entry.value(u"MimeType"_s).split(u';').contains(u"application/x-velmo"_s));
    QCOMPARE(entry.value(u"Icon"_s), u"velmo"_s);
    QVERIFY(QFile::exists(resource(u"icons/velmo.svg"_s)));
    QVERIFY(QFile::exists(resource(u"icons/application-x-velmo.svg"_s)));
}

void TestDesktopFiles::iconsDraw()
{
    const QImage logo = velmoLogo(64).toImage();
    QCOMPARE(logo.size(), QSize(64, 64));
    // Transparent corners, an opaque middle: the artwork was drawn, not left empty.
    QCOMPARE(qAlpha(logo.pixel(0, 0)), 0);
    QCOMPARE(qAlpha(logo.pixel(32, 32)), 255);
    QVERIFY(!velmoIcon().isNull());
    QVERIFY(!velmoIcon().availableSizes().isEmpty());
}

QTEST_MAIN(TestDesktopFiles)
#include "tst_desktopfiles.moc"
