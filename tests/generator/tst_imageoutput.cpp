// Placing pictures into a site: copies and scaled copies, their names, the freshness rule, the
// cache, the scaler's threads and pictures that cannot be decoded.
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

#include "generator/imageoutput.h"
#include "generator/imagescaler.h"
#include "generator/outputstatistics.h"
#include "imaging/imageobject.h"
#include "model/fileutil.h"

using namespace Qt::StringLiterals;
using velmo::gen::ImageOutput;
using velmo::gen::OutputStatistics;

namespace {

const QDateTime kLongAgo = QDateTime::fromSecsSinceEpoch(1'500'000'000);

QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void setModified(const QString &path, const QDateTime &time)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(time, QFileDevice::FileModificationTime));
}

QDateTime modified(const QString &path)
{
    return QFileInfo(path).lastModified();
}

QSize sizeOf(const QString &path)
{
    return QImageReader(path).size();
}

class Fixture
{
public:
    Fixture()
    {
        folders.userImageFolder = root.path() + u"/user_image"_s;
        folders.siteImageFolder = root.path() + u"/temporary/site/image"_s;
        folders.cacheFolder = root.path() + u"/temporary/.image-cache"_s;
        page = root.path() + u"/temporary/site/menu/page.html"_s;
    }

    // A picture with shapes and a gradient, so that scaling has something to do.
    QString picture(const QString &relative, int width, int height)
    {
        QImage image(width, height, QImage::Format_RGB32);
        QPainter painter(&image);
        QLinearGradient gradient(0, 0, width, height);
        gradient.setColorAt(0, Qt::darkBlue);
        gradient.setColorAt(1, Qt::yellow);
        painter.fillRect(image.rect(), gradient);
        painter.setBrush(Qt::red);
        painter.drawEllipse(QRect(width / 4, height / 4, width / 2, height / 2));
        painter.end();
        const QString path = folders.userImageFolder + u'/' + relative;
        [&] { QVERIFY(velmo::createFolderPath(path)); }();
        [&] { QVERIFY(image.save(path)); }();
        setModified(path, kLongAgo);
        return path;
    }

    std::optional<QString> place(const QString &path, int width, int height, QString *why = nullptr)
    {
        return ImageOutput::placeImage(folders, path, width, height, page, &statistics, why);
    }

    QString site(const QString &relative) const
    {
        return folders.siteImageFolder + u'/' + relative;
    }

    QTemporaryDir root;
    ImageOutput::Folders folders;
    QString page;
    OutputStatistics statistics;
};

} // namespace

class TestImageOutput : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void scaledFileNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("scaled");
        // clang-format off
        QTest::newRow("one dot")   << u"photo.jpg"_s << u"photo_w100_h50.jpg"_s;
        QTest::newRow("two dots")  << u"a.b.jpg"_s   << u"a_w100_h50.b_w100_h50.jpg"_s;
        QTest::newRow("no dot")    << u"photo"_s     << u"photo"_s;
        // clang-format on
    }

    void scaledFileNames()
    {
        QFETCH(QString, name);
        QFETCH(QString, scaled);
        QCOMPARE(ImageOutput::scaledFileName(name, 100, 50), scaled);
    }

    void copiesAtTheirOwnSize()
    {
        Fixture f;
        const QString source = f.picture(u"shop/front.png"_s, 64, 48);
        // 0 by 0 and the picture's own size both give the unchanged copy, not a scaled file.
        QCOMPARE(f.place(u"shop/front.png"_s, 0, 0), u"../image/shop/front.png"_s);
        QCOMPARE(f.place(u"shop\\front.png"_s, 64, 48), u"../image/shop/front.png"_s);
        QCOMPARE(bytesOf(f.site(u"shop/front.png"_s)), bytesOf(source));
        QCOMPARE(f.statistics.filesCopied, 1);
        QCOMPARE(f.statistics.picturesScaled, 0);
        QCOMPARE(QDir(f.site(u"shop"_s)).entryList(QDir::Files), QStringList{u"front.png"_s});
        QVERIFY(f.statistics.producedFiles.contains(f.site(u"shop/front.png"_s)));
    }

    void scalesToTheRequestedSize()
    {
        Fixture f;
        f.picture(u"a.b.jpg"_s, 400, 300);
        f.picture(u"Logo.PNG"_s, 40, 40);
        // Exactly the requested size, aspect ratio not kept.
        QCOMPARE(f.place(u"a.b.jpg"_s, 100, 50), u"../image/a_w100_h50.b_w100_h50.jpg"_s);
        QCOMPARE(sizeOf(f.site(u"a_w100_h50.b_w100_h50.jpg"_s)), QSize(100, 50));
        QCOMPARE(QImageReader(f.site(u"a_w100_h50.b_w100_h50.jpg"_s)).format(), QByteArray("jpeg"));
        // The source's own name, found without regard to case; an upper-case extension finds
        // its encoder through the extension lists.
        QCOMPARE(f.place(u"logo.png"_s, 20, 10), u"../image/Logo_w20_h10.PNG"_s);
        QCOMPARE(sizeOf(f.site(u"Logo_w20_h10.PNG"_s)), QSize(20, 10));
        QCOMPARE(f.statistics.picturesScaled, 2);
    }

    // With a scaler the page gets its address at once and the pictures are made on the pool;
    // a JPEG decoded at a reduced size gives the picture a full decode and a bicubic scaling
    // would.
    void scalerMakesThePicturesAsked()
    {
        Fixture f;
        const QString big = f.picture(u"big.jpg"_s, 1600, 1200);
        f.picture(u"small.png"_s, 160, 120);
        velmo::gen::ImageScaler scaler;
        f.folders.scaler = &scaler;
        QCOMPARE(f.place(u"big.jpg"_s, 400, 300), u"../image/big_w400_h300.jpg"_s);
        QCOMPARE(f.place(u"small.png"_s, 40, 30), u"../image/small_w40_h30.png"_s);
        // Asked again before it is made: one job.
        f.place(u"big.jpg"_s, 400, 300);
        scaler.waitForDone();
        const QList<velmo::gen::ImageScaler::Outcome> outcomes = scaler.takeOutcomes();
        QCOMPARE(outcomes.size(), 2);
        for (const auto &outcome : outcomes)
            ImageOutput::count(outcome, &f.statistics);
        QCOMPARE(f.statistics.picturesScaled, 2);
        QCOMPARE(sizeOf(f.site(u"big_w400_h300.jpg"_s)), QSize(400, 300));
        QCOMPARE(sizeOf(f.site(u"small_w40_h30.png"_s)), QSize(40, 30));

        velmo::img::ImageObject reduced;
        QCOMPARE(reduced.loadForSize(big, 400, 300), 1);
        velmo::img::ImageObject whole;
        QCOMPARE(whole.load(big), 1);
        QCOMPARE(QSize(whole.width(), whole.height()), QSize(1600, 1200));
        QCOMPARE(whole.resize(400, 300, velmo::img::ImageObject::Bicubic), 1);
        QImage a(400, 300, QImage::Format_RGB32);
        QImage b(400, 300, QImage::Format_RGB32);
        QCOMPARE(reduced.drawInto(a), 1);
        QCOMPARE(whole.drawInto(b), 1);
        // The ellipse's middle and the gradient's corner, on either side of an edge.
        for (const QPoint at : {QPoint(200, 150), QPoint(20, 20), QPoint(380, 280)}) {
            const QColor x = a.pixelColor(at);
            const QColor y = b.pixelColor(at);
            QVERIFY2(qAbs(x.red() - y.red()) + qAbs(x.green() - y.green()) +
                             qAbs(x.blue() - y.blue()) <
                         24,
                     qPrintable(x.name() + u' ' + y.name()));
        }
    }

    void freshnessRule()
    {
        Fixture f;
        const QString source = f.picture(u"cat.png"_s, 80, 60);
        QVERIFY(f.place(u"cat.png"_s, 40, 30));
        QVERIFY(f.place(u"cat.png"_s, 0, 0));
        const QString scaled = f.site(u"cat_w40_h30.png"_s);
        const QString copy = f.site(u"cat.png"_s);
        setModified(scaled, kLongAgo.addSecs(60));
        setModified(copy, kLongAgo.addSecs(60));

        // A second page asking for the same picture shares the files; nothing is decoded,
        // scaled, copied or touched.
        f.statistics = {};
        QCOMPARE(f.place(u"cat.png"_s, 40, 30), u"../image/cat_w40_h30.png"_s);
        QVERIFY(f.place(u"cat.png"_s, 0, 0));
        QCOMPARE(f.statistics.picturesScaled + f.statistics.picturesFromCache, 0);
        QCOMPARE(f.statistics.filesCopied, 0);
        QCOMPARE(modified(scaled), kLongAgo.addSecs(60));
        QCOMPARE(modified(copy), kLongAgo.addSecs(60));

        // A newer source (even within the same second) makes both again.
        setModified(source, kLongAgo.addSecs(60).addMSecs(500));
        QVERIFY(f.place(u"cat.png"_s, 40, 30));
        QVERIFY(f.place(u"cat.png"_s, 0, 0));
        QCOMPARE(f.statistics.picturesScaled, 1);
        QCOMPARE(f.statistics.filesCopied, 1);
        QVERIFY(modified(scaled) > kLongAgo.addSecs(60));
        QVERIFY(modified(copy) > kLongAgo.addSecs(60));
    }

    void cacheOutlivesTheWorkingFolder()
    {
        Fixture f;
        const QString source = f.picture(u"photo.jpg"_s, 320, 240);
        QVERIFY(f.place(u"photo.jpg"_s, 160, 120));
        const QString scaled = f.site(u"photo_w160_h120.jpg"_s);
        const QByteArray cold = bytesOf(scaled);
        QVERIFY(!cold.isEmpty());

        // The next output starts from an empty working folder: the copy comes from the cache,
        // byte for byte what a cold run writes.
        QVERIFY(QDir(f.root.path() + u"/temporary/site"_s).removeRecursively());
        f.statistics = {};
        QVERIFY(f.place(u"photo.jpg"_s, 160, 120));
        QCOMPARE(f.statistics.picturesScaled, 0);
        QCOMPARE(f.statistics.picturesFromCache, 1);
        QCOMPARE(bytesOf(scaled), cold);

        // Another size is another entry; a changed source is scaled again, not taken from the
        // cache.
        QVERIFY(f.place(u"photo.jpg"_s, 80, 60));
        QCOMPARE(f.statistics.picturesScaled, 1);
        f.picture(u"photo.jpg"_s, 300, 200);
        setModified(source, kLongAgo.addSecs(3600));
        QVERIFY(QDir(f.root.path() + u"/temporary/site"_s).removeRecursively());
        f.statistics = {};
        QVERIFY(f.place(u"photo.jpg"_s, 160, 120));
        QCOMPARE(f.statistics.picturesScaled, 1);
        QCOMPARE(f.statistics.picturesFromCache, 0);
        QVERIFY(bytesOf(scaled) != cold);

        // Without a cache folder scaling still works.
        f.folders.cacheFolder.clear();
        QVERIFY(f.place(u"photo.jpg"_s, 30, 20));
        QCOMPARE(sizeOf(f.site(u"photo_w30_h20.jpg"_s)), QSize(30, 20));
    }

    void picturesThatCannotBeDecoded_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("width");
        // What the message says: nothing for a missing picture ("not found").
        QTest::addColumn<QString>("why");
        // The header of a 24-bit BMP of 15000 x 15000 pixels, more than a decode may take on.
        QByteArray huge("BM\0\0\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0", 18);
        for (const qint32 value : {15000, 15000})
            huge.append(reinterpret_cast<const char *>(&value), 4);
        huge.append("\x01\0\x18\0", 4);
        huge.append(24, '\0');
        const QString unreadable = u"読み込めません（壊れているか"_s;
        // clang-format off
        QTest::newRow("empty file")            << QByteArray() << 0 << unreadable;
        QTest::newRow("not a picture")         << QByteArray("<html>not a picture</html>") << 0
                                               << unreadable;
        QTest::newRow("not a picture, scaled") << QByteArray("plain text") << 10 << unreadable;
        QTest::newRow("too large to scale")    << huge << 10 << u"大きすぎて読み込めません（15000×15000"_s;
        QTest::newRow("missing")               << QByteArray("-") << 10 << QString();
        // clang-format on
    }

    void picturesThatCannotBeDecoded()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, width);
        QFETCH(QString, why);
        Fixture f;
        const QString source = f.folders.userImageFolder + u"/broken.png"_s;
        if (bytes != "-") {
            QVERIFY(velmo::createFolderPath(source));
            QFile file(source);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(bytes);
        }
        QString reason;
        QCOMPARE(f.place(u"broken.png"_s, width, width, &reason), std::nullopt);
        QVERIFY2(why.isEmpty() ? reason.isEmpty() : reason.contains(why), qPrintable(reason));
        // Nothing is left behind.
        QVERIFY(!QFileInfo::exists(f.folders.siteImageFolder));
        QVERIFY(QDir(f.folders.cacheFolder).isEmpty());
    }

    void truncatedPictureLeavesNoTarget()
    {
        Fixture f;
        const QString source = f.picture(u"cut.jpg"_s, 200, 100);
        const QByteArray whole = bytesOf(source);
        QFile file(source);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(whole.left(whole.size() / 2));
        file.close();
        QCOMPARE(f.place(u"cut.jpg"_s, 50, 25), std::nullopt);
        QVERIFY(!QFileInfo::exists(f.site(u"cut_w50_h25.jpg"_s)));
        QCOMPARE(f.statistics.picturesScaled, 0);
    }

    void pathsStayInsideTheUserImageFolder()
    {
        Fixture f;
        f.picture(u"inside.png"_s, 8, 8);
        QCOMPARE(f.place(u"../user_image/inside.png"_s, 0, 0), std::nullopt);
        QCOMPARE(f.place(u"/etc/passwd"_s, 0, 0), std::nullopt);
        // The leading "/" the content editor writes still means below the user image folder.
        QCOMPARE(f.place(u"/inside.png"_s, 0, 0), u"../image/inside.png"_s);
        QCOMPARE(f.place(QString(), 0, 0), std::nullopt);
        QVERIFY(f.place(u"./inside.png"_s, 0, 0) == std::nullopt);
    }
};

QTEST_GUILESS_MAIN(TestImageOutput)
#include "tst_imageoutput.moc"
