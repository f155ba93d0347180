// The image object on real files: round trips per format and depth, the encoder chosen by
// extension, box fitting, limits, clipping, drawing, broken and hostile files, safe saving.
#include <algorithm>
#include <cstdlib>
#include <memory>

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include "imaging/gifcodec.h"
#include "imaging/imageobject.h"

using velmo::img::ImageObject;
using namespace Qt::StringLiterals;

namespace {

enum Picture { Rgb, Argb, Indexed, FewColours };

// Smooth enough for JPEG, with a different colour in every pixel.
QImage makePicture(int kind, int width = 64, int height = 48)
{
    if (kind == Indexed) {
        QImage indexed(width, height, QImage::Format_Indexed8);
        QList<QRgb> table;
        for (int i = 0; i < 100; ++i)
            table.append(qRgb(i * 2, 255 - i, (i * 37) % 256));
        indexed.setColorTable(table);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                indexed.setPixel(x, y, uint((x + y * 3) % 100));
        return indexed;
    }
    QImage image(width, height, kind == Argb ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int r = kind == FewColours ? (x / 8) * 30 : x * 255 / width;
            const int g = kind == FewColours ? (y / 8) * 40 : y * 255 / height;
            const int a = kind == Argb ? 128 + x * 127 / width : 255;
            image.setPixel(x, y, qRgba(r, g, 100, a));
        }
    }
    return image;
}

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

// A 32-bit BMP written here rather than by the code under test: with an alpha mask
// (BITMAPV4HEADER) or the plain 40-byte header whose fourth byte means nothing.
QByteArray bmp32(const QImage &picture, bool alphaMask)
{
    const QImage argb = picture.convertToFormat(QImage::Format_ARGB32);
    const int infoSize = alphaMask ? 108 : 40;
    const int pixelBytes = argb.width() * argb.height() * 4;
    QByteArray bytes(14 + infoSize, '\0');
    char *h = bytes.data();
    h[0] = 'B';
    h[1] = 'M';
    qToLittleEndian<quint32>(quint32(bytes.size() + pixelBytes), h + 2);
    qToLittleEndian<quint32>(quint32(bytes.size()), h + 10);
    qToLittleEndian<quint32>(quint32(infoSize), h + 14);
    qToLittleEndian<qint32>(argb.width(), h + 18);
    qToLittleEndian<qint32>(argb.height(), h + 22);
    qToLittleEndian<quint16>(1, h + 26);
    qToLittleEndian<quint16>(32, h + 28);
    qToLittleEndian<quint32>(alphaMask ? 3 : 0, h + 30);
    if (alphaMask) {
        qToLittleEndian<quint32>(0x00ff0000, h + 54);
        qToLittleEndian<quint32>(0x0000ff00, h + 58);
        qToLittleEndian<quint32>(0x000000ff, h + 62);
        qToLittleEndian<quint32>(0xff000000, h + 66);
    }
    for (int y = argb.height() - 1; y >= 0; --y) {
        QByteArray row(reinterpret_cast<const char *>(argb.constScanLine(y)), argb.width() * 4);
        if (!alphaMask) {
            for (qsizetype i = 3; i < row.size(); i += 4)
                row[i] = 0; // the unused byte, as screens and many writers leave it
        }
        bytes += row;
    }
    return bytes;
}

QByteArray gifBytes(const QImage &indexed)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    if (!velmo::img::GifCodec::writeIndexed8(indexed, buffer))
        return {};
    return buffer.data();
}

void writeSource(const QString &path, const QByteArray &format, const QImage &picture)
{
    if (format == "bmp32a" || format == "bmp32") {
        writeBytes(path, bmp32(picture, format == "bmp32a"));
    } else if (format == "gif") {
        const QByteArray bytes = gifBytes(picture);
        QVERIFY(!bytes.isEmpty());
        writeBytes(path, bytes);
    } else {
        QImageWriter writer(path, format);
        if (format == "jpeg")
            writer.setQuality(95);
        QVERIFY2(writer.write(picture), qPrintable(writer.errorString()));
    }
}

// Bits per pixel as the saved file's own header declares them.
int savedBits(const QString &path)
{
    const QByteArray d = readBytes(path);
    const auto u16 = [&d](qsizetype at) {
        return int(qFromLittleEndian<quint16>(d.constData() + at));
    };
    const auto u32 = [&d](qsizetype at) { return qFromLittleEndian<quint32>(d.constData() + at); };
    if (d.startsWith("BM") && d.size() > 30)
        return u16(28);
    if (d.startsWith("\x89PNG") && d.size() > 26) {
        const int channels[] = {1, 0, 3, 1, 2, 0, 4};
        const int type = quint8(d[25]);
        return type <= 6 ? quint8(d[24]) * channels[type] : 0;
    }
    if (d.startsWith("GIF89a") || d.startsWith("GIF87a"))
        return 8;
    if (d.startsWith("\xff\xd8")) {
        QImageReader reader(path);
        return reader.imageFormat() == QImage::Format_Grayscale8 ? 8 : 24;
    }
    if (d.startsWith("II*") && d.size() > 8) {
        const quint32 ifd = u32(4);
        const int entries = u16(ifd);
        int samples = 1;
        int bitsEach = 0;
        for (int i = 0; i < entries; ++i) {
            const qsizetype e = ifd + 2 + 12 * i;
            const int tag = u16(e);
            const quint32 count = u32(e + 4);
            if (tag == 277)
                samples = u16(e + 8);
            else if (tag == 258)
                bitsEach = count <= 2 ? u16(e + 8) : u16(u32(e + 8));
        }
        return samples * bitsEach;
    }
    return 0;
}

QList<QRgb> gifGlobalPalette(const QString &path)
{
    const QByteArray d = readBytes(path);
    QList<QRgb> table;
    if (d.size() < 13 || !(quint8(d[10]) & 0x80))
        return table;
    const int count = 2 << (quint8(d[10]) & 7);
    for (int i = 0; i < count && 13 + i * 3 + 2 < d.size(); ++i)
        table.append(qRgb(quint8(d[13 + i * 3]), quint8(d[14 + i * 3]), quint8(d[15 + i * 3])));
    return table;
}

// By content: Qt does not know every extension the encoders accept (".dib", ".jfif").
QImage readBack(const QString &path)
{
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    return reader.read();
}

QImage pixelsOf(const ImageObject &image)
{
    const cv::Mat &m = image.pixels();
    return QImage(m.data, m.cols, m.rows, qsizetype(m.step), QImage::Format_ARGB32).copy();
}

QImage opaque(const QImage &picture)
{
    QImage argb = picture.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < argb.height(); ++y) {
        auto *row = reinterpret_cast<QRgb *>(argb.scanLine(y));
        for (int x = 0; x < argb.width(); ++x)
            row[x] |= 0xff000000u;
    }
    return argb;
}

// The largest difference of one channel between two pictures of the same size.
int maxDifference(const QImage &a, const QImage &b, bool withAlpha)
{
    const QImage x = a.convertToFormat(QImage::Format_ARGB32);
    const QImage y = b.convertToFormat(QImage::Format_ARGB32);
    if (x.size() != y.size())
        return 1000;
    int worst = 0;
    for (int row = 0; row < x.height(); ++row) {
        for (int col = 0; col < x.width(); ++col) {
            const QRgb p = x.pixel(col, row);
            const QRgb q = y.pixel(col, row);
            worst = std::max({worst, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                              std::abs(qBlue(p) - qBlue(q))});
            if (withAlpha)
                worst = std::max(worst, std::abs(qAlpha(p) - qAlpha(q)));
        }
    }
    return worst;
}

quint32 crc32(const QByteArray &data)
{
    quint32 crc = 0xffffffffu;
    for (char c : data) {
        crc ^= quint8(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

// A PNG that is nothing but a header claiming width x height: no pixel data follows.
QByteArray pngHeaderOnly(quint32 width, quint32 height)
{
    QByteArray ihdr("IHDR");
    QByteArray fields(13, '\0');
    qToBigEndian(width, fields.data());
    qToBigEndian(height, fields.data() + 4);
    fields[8] = 8; // bit depth
    fields[9] = 6; // RGBA
    ihdr += fields;
    QByteArray chunk(4, '\0');
    qToBigEndian<quint32>(13, chunk.data());
    chunk += ihdr;
    QByteArray crc(4, '\0');
    qToBigEndian(crc32(ihdr), crc.data());
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + chunk + crc;
}

QByteArray bmpHeaderOnly(qint32 width, qint32 height)
{
    QByteArray bytes(54, '\0');
    char *h = bytes.data();
    h[0] = 'B';
    h[1] = 'M';
    qToLittleEndian<quint32>(54, h + 10);
    qToLittleEndian<quint32>(40, h + 14);
    qToLittleEndian(width, h + 18);
    qToLittleEndian(height, h + 22);
    qToLittleEndian<quint16>(1, h + 26);
    qToLittleEndian<quint16>(24, h + 28);
    return bytes;
}

QSet<QString> folderEntries(const QString &folder)
{
    const QStringList names = QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot |
                                                     QDir::Hidden | QDir::System);
    return QSet<QString>(names.cbegin(), names.cend());
}

} // namespace

class TestImageObject : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();

    void roundTrip_data();
    void roundTrip();
    void sourceDepth_data();
    void sourceDepth();
    void gifKeepsPaletteAndTransparency();
    void eightBitSaveMapsOntoSourcePalette();
    void gifReducesManyColours();
    void encoderByExtension_data();
    void encoderByExtension();
    void unknownExtensionWritesNothing();
    void transparentThroughoutSavesOpaque();

    void fitIntoBox_data();
    void fitIntoBox();
    void fitIntoBoxEdges();
    void resizeLimits_data();
    void resizeLimits();
    void resizeInterpolation();
    void createLimits();
    void fillClipping_data();
    void fillClipping();
    void drawInto();

    void brokenFiles_data();
    void brokenFiles();
    void hostileHeaders_data();
    void hostileHeaders();
    void readImageSize();
    void loadWithInfo();
    void copyIsDeep();
    void failedSaveLeavesTarget_data();
    void failedSaveLeavesTarget();

private:
    QString path(const QString &name) const { return m_dir->filePath(name); }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestImageObject::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestImageObject::roundTrip_data()
{
    QTest::addColumn<QString>("sourceName");
    QTest::addColumn<QByteArray>("sourceFormat");
    QTest::addColumn<int>("picture");
    QTest::addColumn<int>("loadedBits");
    QTest::addColumn<QString>("targetName");
    QTest::addColumn<int>("savedBitsExpected");
    QTest::addColumn<bool>("alphaKept");
    QTest::addColumn<int>("tolerance");

    // clang-format off
    QTest::newRow("bmp 24")              << u"s.bmp"_s  << QByteArray("bmp")    << int(Rgb)        << 24 << u"t.bmp"_s  << 24 << false << 0;
    QTest::newRow("bmp 32 with alpha")   << u"s.bmp"_s  << QByteArray("bmp32a") << int(Argb)       << 32 << u"t.bmp"_s  << 32 << true  << 0;
    QTest::newRow("bmp 32 unused byte")  << u"s.bmp"_s  << QByteArray("bmp32")  << int(Rgb)        << 32 << u"t.bmp"_s  << 32 << false << 0;
    QTest::newRow("bmp 8")               << u"s.bmp"_s  << QByteArray("bmp")    << int(Indexed)    << 8  << u"t.bmp"_s  << 8  << false << 0;
    QTest::newRow("png 24")              << u"s.png"_s  << QByteArray("png")    << int(Rgb)        << 24 << u"t.png"_s  << 24 << false << 0;
    QTest::newRow("png 32")              << u"s.png"_s  << QByteArray("png")    << int(Argb)       << 32 << u"t.png"_s  << 32 << true  << 0;
    QTest::newRow("png 8")               << u"s.png"_s  << QByteArray("png")    << int(Indexed)    << 8  << u"t.png"_s  << 8  << false << 0;
    QTest::newRow("jpeg 24")             << u"s.jpg"_s  << QByteArray("jpeg")   << int(Rgb)        << 24 << u"t.jpg"_s  << 24 << false << 12;
    QTest::newRow("jpeg long name")      << u"s.jpeg"_s << QByteArray("jpeg")   << int(Rgb)        << 24 << u"t.jpeg"_s << 24 << false << 12;
    QTest::newRow("jpeg capitals")       << u"s.JPG"_s  << QByteArray("jpeg")   << int(Rgb)        << 24 << u"t.JPG"_s  << 24 << false << 12;
    QTest::newRow("tiff 24")             << u"s.tiff"_s << QByteArray("tiff")   << int(Rgb)        << 24 << u"t.tiff"_s << 24 << false << 0;
    QTest::newRow("tiff 32")             << u"s.tiff"_s << QByteArray("tiff")   << int(Argb)       << 32 << u"t.tiff"_s << 32 << true  << 1;
    QTest::newRow("gif 8")               << u"s.gif"_s  << QByteArray("gif")    << int(Indexed)    << 8  << u"t.gif"_s  << 8  << false << 0;
    QTest::newRow("24 to gif, few")      << u"s.PNG"_s  << QByteArray("png")    << int(FewColours) << 24 << u"t.gif"_s  << 8  << false << 0;
    QTest::newRow("32 to jpeg")          << u"s.PNG"_s  << QByteArray("png")    << int(Argb)       << 32 << u"t.jpg"_s  << 24 << false << 12;
    QTest::newRow("8 to bmp")            << u"s.GIF"_s  << QByteArray("gif")    << int(Indexed)    << 8  << u"t.bmp"_s  << 8  << false << 0;
    // clang-format on
}

void TestImageObject::roundTrip()
{
    QFETCH(QString, sourceName);
    QFETCH(QByteArray, sourceFormat);
    QFETCH(int, picture);
    QFETCH(int, loadedBits);
    QFETCH(QString, targetName);
    QFETCH(int, savedBitsExpected);
    QFETCH(bool, alphaKept);
    QFETCH(int, tolerance);

    const QImage original = makePicture(picture);
    writeSource(path(sourceName), sourceFormat, original);

    ImageObject image;
    QCOMPARE(image.load(path(sourceName)), 1);
    QCOMPARE(image.width(), original.width());
    QCOMPARE(image.height(), original.height());
    QCOMPARE(image.sourceBitsPerPixel, loadedBits);
    QCOMPARE(image.sourceExtension, sourceName.mid(sourceName.lastIndexOf(u'.')));
    QCOMPARE(image.mode, 1);
    const QImage loaded = pixelsOf(image);
    const bool sourceHasAlpha = picture == Argb;
    // Everything but a picture with alpha arrives opaque.
    QVERIFY(maxDifference(loaded, sourceHasAlpha ? original : opaque(original), true) <= tolerance);

    QCOMPARE(image.save(path(targetName)), 1);
    QCOMPARE(savedBits(path(targetName)), savedBitsExpected);
    const QImage saved(path(targetName));
    QVERIFY(!saved.isNull());
    QVERIFY2(maxDifference(saved, alphaKept ? loaded : opaque(loaded), true) <= tolerance,
             qPrintable(u"difference %1"_s.arg(maxDifference(saved, loaded, alphaKept))));
}

void TestImageObject::sourceDepth_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("bits");
    QTest::addColumn<int>("tableSize");
    QTest::addColumn<QRgb>("firstPixel");

    const auto encoded = [](const QImage &picture, const char *format) {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, format);
        writer.write(picture);
        return buffer.data();
    };
    QImage grey(4, 2, QImage::Format_Grayscale8);
    grey.fill(77);
    QImage mono(9, 2, QImage::Format_Mono);
    mono.setColorTable({qRgb(10, 20, 30), qRgb(200, 210, 220)});
    mono.fill(1);
    QImage palette(3, 1, QImage::Format_Indexed8);
    palette.setColorTable({qRgb(1, 2, 3), qRgba(40, 50, 60, 0)});
    palette.fill(1);
    QImage deep(3, 2, QImage::Format_RGBX64);
    deep.fill(QColor(10, 20, 30));
    QImage deepAlpha(3, 2, QImage::Format_RGBA64);
    deepAlpha.fill(QColor(10, 20, 30, 40));

    // A 16-bit BMP (RGB555): the unused top bit, then 5 bits each, which Qt widens by 8.
    QByteArray rgb555 = bmpHeaderOnly(1, 1);
    qToLittleEndian<quint16>(16, rgb555.data() + 28);
    rgb555 += QByteArray("\x1f\x7c\0\0", 4); // 0x7c1f: red 31, green 0, blue 31

    // clang-format off
    QTest::newRow("greyscale jpeg")     << u"g.jpg"_s << encoded(grey, "jpeg")      << 8  << 256 << qRgb(77, 77, 77);
    QTest::newRow("greyscale png")      << u"g.png"_s << encoded(grey, "png")       << 8  << 256 << qRgb(77, 77, 77);
    QTest::newRow("1-bit png")          << u"m.png"_s << encoded(mono, "png")       << 8  << 2   << qRgb(200, 210, 220);
    QTest::newRow("palette alpha png")  << u"p.png"_s << encoded(palette, "png")    << 8  << 2   << qRgb(40, 50, 60);
    QTest::newRow("16-bit bmp")         << u"h.bmp"_s << rgb555                     << 24 << 0   << qRgb(248, 0, 248);
    QTest::newRow("48-bit png")         << u"d.png"_s << encoded(deep, "png")       << 24 << 0   << qRgb(10, 20, 30);
    QTest::newRow("64-bit png")         << u"a.png"_s << encoded(deepAlpha, "png")  << 32 << 0   << qRgba(10, 20, 30, 40);
    // clang-format on
}

void TestImageObject::sourceDepth()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(int, bits);
    QFETCH(int, tableSize);
    QFETCH(QRgb, firstPixel);

    writeBytes(path(name), bytes);
    ImageObject image;
    QCOMPARE(image.load(path(name)), 1);
    QCOMPARE(image.sourceBitsPerPixel, bits);
    QCOMPARE(image.sourceColorTable.size(), tableSize);
    const QRgb pixel = image.pixels().at<QRgb>(0, 0);
    QCOMPARE(qRed(pixel), qRed(firstPixel));
    QCOMPARE(qGreen(pixel), qGreen(firstPixel));
    QCOMPARE(qBlue(pixel), qBlue(firstPixel));
    QCOMPARE(qAlpha(pixel), qAlpha(firstPixel));
}

void TestImageObject::gifKeepsPaletteAndTransparency()
{
    // Entry 2 is transparent and shares its colour with no other entry.
    QImage indexed(6, 4, QImage::Format_Indexed8);
    indexed.setColorTable({qRgb(255, 0, 0), qRgb(0, 255, 0), qRgba(0, 0, 255, 0), qRgb(9, 9, 9)});
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x)
            indexed.setPixel(x, y, uint((x + y) % 4));
    writeBytes(path(u"t.gif"_s), gifBytes(indexed));

    ImageObject image;
    QCOMPARE(image.load(path(u"t.gif"_s)), 1);
    QCOMPARE(image.sourceBitsPerPixel, 8);
    QCOMPARE(image.sourceColorTable.size(), 4);
    QCOMPARE(qAlpha(image.sourceColorTable.at(2)), 0);
    // In memory every 8-bit pixel is opaque, a transparent one in its entry's colour.
    QCOMPARE(image.pixels().at<QRgb>(0, 2), qRgb(0, 0, 255));

    QCOMPARE(image.save(path(u"out.gif"_s)), 1);
    QCOMPARE(gifGlobalPalette(path(u"out.gif"_s)).mid(0, 2),
             QList<QRgb>({qRgb(255, 0, 0), qRgb(0, 255, 0)}));
    const QImage saved = QImage(path(u"out.gif"_s)).convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(qAlpha(saved.pixel(2, 0)), 0);
    QCOMPARE(saved.pixel(0, 0), qRgb(255, 0, 0));
    QCOMPARE(saved.pixel(3, 0), qRgb(9, 9, 9));
}

void TestImageObject::eightBitSaveMapsOntoSourcePalette()
{
    const QImage original = makePicture(Indexed);
    writeSource(path(u"s.gif"_s), "gif", original);
    ImageObject image;
    QCOMPARE(image.load(path(u"s.gif"_s)), 1);
    const QList<QRgb> sourcePalette = gifGlobalPalette(path(u"s.gif"_s));

    // Bicubic scaling makes colours the palette does not have; the file keeps the palette.
    QCOMPARE(image.resize(41, 29, ImageObject::Bicubic), 1);
    QCOMPARE(image.save(path(u"scaled.gif"_s)), 1);
    QCOMPARE(gifGlobalPalette(path(u"scaled.gif"_s)), sourcePalette);
    const QImage saved = QImage(path(u"scaled.gif"_s)).convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(saved.size(), QSize(41, 29));
    for (int y = 0; y < saved.height(); ++y)
        for (int x = 0; x < saved.width(); ++x)
            QVERIFY(sourcePalette.contains(saved.pixel(x, y)));

    // Written as PNG (".gif" would choose GIF whatever the target) it is a palette PNG.
    image.sourceExtension = u".GIF"_s;
    QCOMPARE(image.save(path(u"scaled.png"_s)), 1);
    QCOMPARE(savedBits(path(u"scaled.png"_s)), 8);
    const QImage png(path(u"scaled.png"_s));
    QCOMPARE(png.format(), QImage::Format_Indexed8);
    QCOMPARE(maxDifference(png, saved, true), 0);
}

void TestImageObject::gifReducesManyColours()
{
    // 16,384 colours must come down to 256 without visibly wrong ones.
    QImage gradient(256, 64, QImage::Format_RGB32);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 256; ++x)
            gradient.setPixel(x, y, qRgb(x, y * 4, 255 - x));
    gradient.save(path(u"g.png"_s));
    ImageObject image;
    QCOMPARE(image.load(path(u"g.png"_s)), 1);
    image.sourceExtension = u".gif"_s;
    QCOMPARE(image.save(path(u"g.gif"_s)), 1);
    QCOMPARE(savedBits(path(u"g.gif"_s)), 8);
    const QImage saved(path(u"g.gif"_s));
    QCOMPARE(saved.size(), gradient.size());
    QVERIFY2(maxDifference(saved, gradient, false) <= 24,
             qPrintable(QString::number(maxDifference(saved, gradient, false))));

    // Pixels less than half opaque become the GIF's transparent colour.
    QImage alpha = makePicture(FewColours).convertToFormat(QImage::Format_ARGB32);
    alpha.setPixel(0, 0, qRgba(10, 10, 10, 0));
    alpha.setPixel(1, 0, qRgba(10, 10, 10, 100));
    alpha.setPixel(2, 0, qRgba(10, 10, 10, 200));
    alpha.save(path(u"a.png"_s));
    QCOMPARE(image.load(path(u"a.png"_s)), 1);
    QCOMPARE(image.sourceBitsPerPixel, 32);
    image.sourceExtension = u".GIF"_s;
    QCOMPARE(image.save(path(u"a.gif"_s)), 1);
    const QImage savedAlpha = QImage(path(u"a.gif"_s)).convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(qAlpha(savedAlpha.pixel(0, 0)), 0);
    QCOMPARE(qAlpha(savedAlpha.pixel(1, 0)), 0);
    QCOMPARE(savedAlpha.pixel(2, 0), qRgb(10, 10, 10));
    QCOMPARE(savedAlpha.pixel(40, 40), alpha.pixel(40, 40));
}

void TestImageObject::encoderByExtension_data()
{
    QTest::addColumn<QString>("sourceExtension");
    QTest::addColumn<QString>("targetName");
    QTest::addColumn<QByteArray>("magic");

    // clang-format off
    QTest::newRow("capital JPG")        << u".JPG"_s  << u"out.JPG"_s   << QByteArray("\xff\xd8\xff");
    QTest::newRow("capital to png")     << u".JPG"_s  << u"out.png"_s   << QByteArray("\x89PNG");
    QTest::newRow("jpe from list")      << u".JPG"_s  << u"out.jpe"_s   << QByteArray("\xff\xd8\xff");
    QTest::newRow("jfif from list")     << u".x"_s    << u"out.JFIF"_s  << QByteArray("\xff\xd8\xff");
    QTest::newRow("tif from list")      << u".tif"_s  << u"out.Tif"_s   << QByteArray("II*");
    QTest::newRow("dib from list")      << u".Bmp"_s  << u"out.dib"_s   << QByteArray("BM");
    QTest::newRow("gif from list")      << u".GIF"_s  << u"out.GiF"_s   << QByteArray("GIF89a");
    QTest::newRow("capital source png") << u".PNG"_s  << u"out.jpg"_s   << QByteArray("\xff\xd8\xff");
    QTest::newRow("exact beats target") << u".png"_s  << u"out.jpg"_s   << QByteArray("\x89PNG");
    QTest::newRow("exact tiff")         << u".tiff"_s << u"out"_s       << QByteArray("II*");
    QTest::newRow("exact gif")          << u".gif"_s  << u"out.bmp"_s   << QByteArray("GIF89a");
    // clang-format on
}

void TestImageObject::encoderByExtension()
{
    QFETCH(QString, sourceExtension);
    QFETCH(QString, targetName);
    QFETCH(QByteArray, magic);

    ImageObject image;
    QCOMPARE(image.create(20, 10, 1), 1);
    image.fill(0, 0, 20, 10, 0xff336699u);
    image.sourceBitsPerPixel = 24;
    image.sourceExtension = sourceExtension;
    QCOMPARE(image.save(path(targetName)), 1);
    QVERIFY(readBytes(path(targetName)).startsWith(magic));
    QImage solid(20, 10, QImage::Format_RGB32);
    solid.fill(qRgb(0x33, 0x66, 0x99));
    QVERIFY(maxDifference(readBack(path(targetName)), solid, true) <= 2); // JPEG may round
}

void TestImageObject::unknownExtensionWritesNothing()
{
    makePicture(Rgb).save(path(u"s.png"_s));
    QVERIFY(QFile::copy(path(u"s.png"_s), path(u"pic.dat"_s)));
    ImageObject image;
    QCOMPARE(image.load(path(u"pic.dat"_s)), 1); // decoded by content
    QCOMPARE(image.sourceExtension, u".dat"_s);
    QCOMPARE(image.save(path(u"out.dat"_s)), 0);
    QCOMPARE(image.save(path(u"noextension"_s)), 0);
    QVERIFY(!QFileInfo::exists(path(u"out.dat"_s)));
    QVERIFY(!QFileInfo::exists(path(u"noextension"_s)));
    // An existing file of that name is left alone.
    writeBytes(path(u"keep.dat"_s), "old");
    QCOMPARE(image.save(path(u"keep.dat"_s)), 0);
    QCOMPARE(readBytes(path(u"keep.dat"_s)), QByteArray("old"));
}

void TestImageObject::transparentThroughoutSavesOpaque()
{
    // A screen grab's pixels have a cleared top byte; saved with alpha they would vanish.
    ImageObject image;
    QCOMPARE(image.create(8, 8, 1), 1);
    image.fill(0, 0, 8, 8, 0x00204060u);
    image.sourceBitsPerPixel = 32;
    image.sourceExtension = u".png"_s;
    QCOMPARE(image.save(path(u"grab.png"_s)), 1);
    QCOMPARE(savedBits(path(u"grab.png"_s)), 32);
    QCOMPARE(QImage(path(u"grab.png"_s)).pixel(3, 3), qRgba(0x20, 0x40, 0x60, 255));

    // One visible pixel is enough for the alpha to count.
    image.fill(0, 0, 1, 1, 0x80204060u);
    QCOMPARE(image.save(path(u"alpha.png"_s)), 1);
    QCOMPARE(qAlpha(QImage(path(u"alpha.png"_s)).pixel(3, 3)), 0);
}

void TestImageObject::fitIntoBox_data()
{
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QSize>("box");
    QTest::addColumn<QRect>("placed");

    // clang-format off
    QTest::newRow("landscape")             << QSize(400, 300)  << QSize(100, 100) << QRect(0, 12, 100, 75);
    QTest::newRow("portrait")              << QSize(300, 400)  << QSize(100, 100) << QRect(12, 0, 75, 100);
    QTest::newRow("enlarged")              << QSize(10, 5)     << QSize(100, 100) << QRect(0, 25, 100, 50);
    QTest::newRow("thin gets 1 pixel")     << QSize(1000, 10)  << QSize(50, 50)   << QRect(0, 24, 50, 1);
    QTest::newRow("single precision")      << QSize(7, 1)      << QSize(31, 100)  << QRect(0, 48, 30, 4);
    QTest::newRow("single precision up")   << QSize(11, 1)     << QSize(15, 100)  << QRect(0, 49, 15, 1);
    QTest::newRow("truncated height")      << QSize(7, 3)      << QSize(10, 10)   << QRect(0, 3, 10, 4);
    QTest::newRow("odd leftover")          << QSize(3, 7)      << QSize(5, 20)    << QRect(0, 4, 5, 11);
    QTest::newRow("same width")            << QSize(64, 32)    << QSize(64, 64)   << QRect(0, 16, 64, 32);
    // clang-format on
}

void TestImageObject::fitIntoBox()
{
    QFETCH(QSize, picture);
    QFETCH(QSize, box);
    QFETCH(QRect, placed);

    const quint32 background = 0xff0000ffu;
    ImageObject image;
    QCOMPARE(image.create(picture.width(), picture.height(), 1), 1);
    image.fill(0, 0, picture.width(), picture.height(), 0xffff0000u);
    image.changed = false;
    QCOMPARE(image.fitIntoBox(box.width(), box.height(), background), 1);
    QCOMPARE(image.width(), box.width());
    QCOMPARE(image.height(), box.height());
    QVERIFY(image.changed);
    QRect found;
    for (int y = 0; y < box.height(); ++y) {
        for (int x = 0; x < box.width(); ++x) {
            const QRgb p = image.pixels().at<QRgb>(y, x);
            if (p != background) {
                QCOMPARE(p, qRgb(255, 0, 0));
                found |= QRect(x, y, 1, 1);
            }
        }
    }
    QCOMPARE(found, placed);
}

void TestImageObject::fitIntoBoxEdges()
{
    ImageObject image;
    QCOMPARE(image.create(30, 20, 1), 1);
    image.fill(0, 0, 30, 20, 0xff112233u);
    image.fill(0, 0, 1, 1, 0xff445566u);

    // Already the box's size: untouched, not even re-scaled.
    image.changed = false;
    QCOMPARE(image.fitIntoBox(30, 20, 0xffffffffu), 1);
    QVERIFY(!image.changed);
    QCOMPARE(image.pixels().at<QRgb>(0, 0), 0xff445566u);

    // Outside the limits: nothing happens.
    QCOMPARE(image.fitIntoBox(65537, 10, 0), 0);
    QCOMPARE(image.fitIntoBox(10, -1, 0), 0);
    QCOMPARE(image.width(), 30);

    // A picture that failed to load becomes a plain box, so a thumbnail list still draws it.
    ImageObject empty;
    QCOMPARE(empty.fitIntoBox(16, 8, 0xffabcdefu), 1);
    QCOMPARE(empty.width(), 16);
    QCOMPARE(empty.pixels().at<QRgb>(7, 15), 0xffabcdefu);

    // A box without area leaves no pixels.
    QCOMPARE(image.fitIntoBox(0, 10, 0), 1);
    QVERIFY(image.isEmpty());
    QCOMPARE(image.width(), 0);
}

void TestImageObject::resizeLimits_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("interpolation");
    QTest::addColumn<int>("result");

    // clang-format off
    QTest::newRow("widest")             << QSize(65536, 1)  << 0 << 1;
    QTest::newRow("too wide")           << QSize(65537, 1)  << 0 << 0;
    QTest::newRow("tallest")            << QSize(1, 64436)  << 0 << 1;
    QTest::newRow("too tall")           << QSize(1, 64437)  << 0 << 0;
    QTest::newRow("tall as Create")     << QSize(1, 65536)  << 0 << 0;
    QTest::newRow("negative width")     << QSize(-1, 10)    << 0 << 0;
    QTest::newRow("negative height")    << QSize(10, -5)    << 0 << 0;
    QTest::newRow("zero width")         << QSize(0, 10)     << 0 << 0;
    QTest::newRow("bicubic")            << QSize(5, 7)      << 2 << 1;
    QTest::newRow("area interpolation") << QSize(5, 7)      << 3 << 0;
    QTest::newRow("negative code")      << QSize(5, 7)      << -1 << 0;
    // clang-format on
}

void TestImageObject::resizeLimits()
{
    QFETCH(QSize, size);
    QFETCH(int, interpolation);
    QFETCH(int, result);

    ImageObject image;
    QCOMPARE(image.create(4, 3, 1), 1);
    image.fill(0, 0, 4, 3, 0xff808080u);
    QCOMPARE(image.resize(size.width(), size.height(), interpolation), result);
    const QSize expected = result == 1 ? size : QSize(4, 3);
    QCOMPARE(QSize(image.width(), image.height()), expected);
    QCOMPARE(QSize(image.pixels().cols, image.pixels().rows), expected);

    ImageObject empty;
    QCOMPARE(empty.resize(5, 5, 0), 0);
    QVERIFY(empty.isEmpty());
}

void TestImageObject::resizeInterpolation()
{
    // Two pixels, black and white: nearest neighbour repeats them, bilinear blends them.
    ImageObject nearest;
    QCOMPARE(nearest.create(2, 1, 1), 1);
    nearest.fill(0, 0, 1, 1, 0xff000000u);
    nearest.fill(1, 0, 2, 1, 0xffffffffu);
    ImageObject bilinear = nearest;
    QCOMPARE(nearest.resize(8, 1, ImageObject::Nearest), 1);
    QCOMPARE(bilinear.resize(8, 1, ImageObject::Bilinear), 1);
    int blended = 0;
    for (int x = 0; x < 8; ++x) {
        const QRgb n = nearest.pixels().at<QRgb>(0, x);
        QVERIFY(n == 0xff000000u || n == 0xffffffffu);
        const int grey = qRed(bilinear.pixels().at<QRgb>(0, x));
        blended += grey > 0 && grey < 255 ? 1 : 0;
    }
    QVERIFY(blended > 0);
    QCOMPARE(nearest.pixels().at<QRgb>(0, 0), 0xff000000u);
    QCOMPARE(nearest.pixels().at<QRgb>(0, 7), 0xffffffffu);
}

void TestImageObject::createLimits()
{
    ImageObject image;
    QCOMPARE(image.create(65537, 1, 1), 0);
    QCOMPARE(image.create(1, -1, 1), 0);
    QVERIFY(image.isEmpty());
    QCOMPARE(image.create(0, 0, 1), 1);
    QVERIFY(image.isEmpty());

    QCOMPARE(image.create(6, 4, 2), 1);
    QCOMPARE(image.mode, 2);
    QCOMPARE(image.workBuffer().total() * image.workBuffer().elemSize(), size_t(6 * 4 * 4));
    // A refused size keeps the picture there is.
    QCOMPARE(image.create(70000, 4, 1), 0);
    QCOMPARE(image.width(), 6);
    QCOMPARE(image.mode, 2);

    image.free();
    QCOMPARE(image.width(), 0);
    QCOMPARE(image.height(), 0);
    QVERIFY(image.isEmpty());
    QVERIFY(image.workBuffer().empty());
}

void TestImageObject::fillClipping_data()
{
    // The rectangle's corner points are the fill's arguments: left, top, right, bottom.
    QTest::addColumn<QRect>("rect");
    QTest::addColumn<QRect>("filled");

    // clang-format off
    QTest::newRow("inside")          << QRect(QPoint(2, 1), QPoint(5, 4))     << QRect(2, 1, 3, 3);
    QTest::newRow("over top left")   << QRect(QPoint(-5, -5), QPoint(2, 3))   << QRect(0, 0, 2, 3);
    QTest::newRow("over far side")   << QRect(QPoint(8, 6), QPoint(50, 50))   << QRect(8, 6, 2, 2);
    QTest::newRow("covers all")      << QRect(QPoint(-1, -1), QPoint(99, 99)) << QRect(0, 0, 10, 8);
    QTest::newRow("outside")         << QRect(QPoint(10, 0), QPoint(20, 8))   << QRect();
    QTest::newRow("reversed")        << QRect(QPoint(5, 5), QPoint(2, 2))     << QRect();
    QTest::newRow("empty width")     << QRect(QPoint(3, 0), QPoint(3, 8))     << QRect();
    // clang-format on
}

void TestImageObject::fillClipping()
{
    QFETCH(QRect, rect);
    QFETCH(QRect, filled);

    ImageObject image;
    QCOMPARE(image.create(10, 8, 1), 1);
    image.fill(0, 0, 10, 8, 0xff000000u);
    image.changed = false;
    image.fill(rect.left(), rect.top(), rect.right(), rect.bottom(), 0x80ff8040u);
    QRect found;
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 10; ++x) {
            if (image.pixels().at<QRgb>(y, x) == 0x80ff8040u)
                found |= QRect(x, y, 1, 1);
            else
                QCOMPARE(image.pixels().at<QRgb>(y, x), 0xff000000u);
        }
    }
    QCOMPARE(found, filled);
    QCOMPARE(image.changed, !filled.isEmpty());
}

void TestImageObject::drawInto()
{
    ImageObject image;
    QCOMPARE(image.create(5, 3, 1), 1);
    image.fill(0, 0, 5, 3, 0x40102030u);

    QImage wrongSize(5, 4, QImage::Format_ARGB32);
    wrongSize.fill(0xff0000ffu);
    QCOMPARE(image.drawInto(wrongSize), 0);
    QCOMPARE(wrongSize.pixel(0, 0), 0xff0000ffu);

    QImage argb(5, 3, QImage::Format_ARGB32);
    argb.fill(0u);
    QCOMPARE(image.drawInto(argb), 1);
    QCOMPARE(argb.pixel(4, 2), 0x40102030u);

    QImage rgb(5, 3, QImage::Format_RGB32);
    rgb.fill(0u);
    QCOMPARE(image.drawInto(rgb), 1);
    QCOMPARE(rgb.pixel(4, 2), 0xff102030u);

    QImage rgb888(5, 3, QImage::Format_RGB888);
    QCOMPARE(image.drawInto(rgb888), 1);
    QCOMPARE(rgb888.pixel(1, 1), 0xff102030u);

    QImage indexed(5, 3, QImage::Format_Indexed8);
    QCOMPARE(image.drawInto(indexed), 0);

    ImageObject empty;
    QImage none;
    QCOMPARE(empty.drawInto(none), 0);
}

void TestImageObject::brokenFiles_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");

    const auto encoded = [](const char *format, int kind) {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        if (qstrcmp(format, "gif") == 0) {
            buffer.write(gifBytes(makePicture(kind, 200, 150)));
        } else {
            QImageWriter writer(&buffer, format);
            writer.write(makePicture(kind, 200, 150));
        }
        return buffer.data();
    };
    const QByteArray png = encoded("png", Rgb);
    const QByteArray jpeg = encoded("jpeg", Rgb);
    const QByteArray bmp = encoded("bmp", Rgb);
    const QByteArray gif = encoded("gif", Indexed);
    const QByteArray tiff = encoded("tiff", Rgb);

    // clang-format off
    QTest::newRow("png cut in half")     << u"a.png"_s  << png.left(png.size() / 2);
    QTest::newRow("jpeg cut in half")    << u"a.jpg"_s  << jpeg.left(jpeg.size() / 2);
    QTest::newRow("jpeg without end")    << u"a.jpg"_s  << jpeg.left(jpeg.size() - 2);
    QTest::newRow("bmp cut in half")     << u"a.bmp"_s  << bmp.left(bmp.size() / 2);
    QTest::newRow("bmp one byte short")  << u"a.bmp"_s  << bmp.left(bmp.size() - 1);
    QTest::newRow("gif cut in half")     << u"a.gif"_s  << gif.left(gif.size() / 2);
    QTest::newRow("tiff cut in half")    << u"a.tif"_s  << tiff.left(tiff.size() / 2);
    QTest::newRow("header only")         << u"a.png"_s  << png.left(40);
    QTest::newRow("not a picture")       << u"a.png"_s  << QByteArray("this is text, not a picture\n");
    QTest::newRow("zero bytes")          << u"a.jpg"_s  << QByteArray();
    // clang-format on
}

void TestImageObject::brokenFiles()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);

    writeBytes(path(name), bytes);
    makePicture(Rgb).save(path(u"good.png"_s));
    ImageObject image;
    QCOMPARE(image.load(path(u"good.png"_s)), 1);
    QCOMPARE(image.load(path(name)), 0);
    QVERIFY(image.isEmpty());
    QCOMPARE(image.width(), 0);
    QCOMPARE(image.height(), 0);
    QCOMPARE(image.loadWithInfo(path(name)), 0);
    QVERIFY(image.path.isEmpty());
    QCOMPARE(image.save(path(u"out.png"_s)), 0);
    QVERIFY(!QFileInfo::exists(path(u"out.png"_s)));
}

void TestImageObject::hostileHeaders_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QSize>("claimed");

    // clang-format off
    QTest::newRow("png 60000 square")   << u"h.png"_s << pngHeaderOnly(60000, 60000)     << QSize(60000, 60000);
    QTest::newRow("png too wide")       << u"h.png"_s << pngHeaderOnly(70000, 10)        << QSize(70000, 10);
    QTest::newRow("png 10000 square")   << u"h.png"_s << pngHeaderOnly(10000, 10000)     << QSize(10000, 10000);
    QTest::newRow("bmp 60000 square")   << u"h.bmp"_s << bmpHeaderOnly(60000, 60000)     << QSize(60000, 60000);
    QTest::newRow("bmp 10000 square")   << u"h.bmp"_s << bmpHeaderOnly(10000, -10000)    << QSize(10000, 10000);
    // clang-format on
}

void TestImageObject::hostileHeaders()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QSize, claimed);

    writeBytes(path(name), bytes);
    // The probe reports what the header says; Load refuses before anything of that size
    // exists (a sanitizer build would fail on an allocation of gigabytes).
    int width = 0;
    int height = 0;
    if (ImageObject::readImageSize(path(name), &width, &height))
        QCOMPARE(QSize(width, height), claimed);
    QElapsedTimer timer;
    timer.start();
    ImageObject image;
    QCOMPARE(image.load(path(name)), 0);
    QVERIFY(image.isEmpty());
    QVERIFY2(timer.elapsed() < 2000, qPrintable(QString::number(timer.elapsed())));
}

void TestImageObject::readImageSize()
{
    makePicture(Rgb, 33, 21).save(path(u"a.jpg"_s));
    makePicture(Argb, 17, 9).save(path(u"b.png"_s));
    writeBytes(path(u"c.gif"_s), gifBytes(makePicture(Indexed, 12, 5)));
    writeBytes(path(u"text.png"_s), "no picture");
    writeBytes(path(u"empty.bmp"_s), QByteArray());

    int width = -1;
    int height = -1;
    QVERIFY(ImageObject::readImageSize(path(u"a.jpg"_s), &width, &height));
    QCOMPARE(QSize(width, height), QSize(33, 21));
    QVERIFY(ImageObject::readImageSize(path(u"b.png"_s), &width, &height));
    QCOMPARE(QSize(width, height), QSize(17, 9));
    QVERIFY(ImageObject::readImageSize(path(u"c.gif"_s), &width, nullptr));
    QCOMPARE(width, 12);

    width = height = -1;
    QVERIFY(!ImageObject::readImageSize(path(u"text.png"_s), &width, &height));
    QVERIFY(!ImageObject::readImageSize(path(u"empty.bmp"_s), &width, &height));
    QVERIFY(!ImageObject::readImageSize(path(u"missing.jpg"_s), &width, &height));
    QCOMPARE(width, -1);
    QCOMPARE(height, -1);
}

void TestImageObject::loadWithInfo()
{
    makePicture(Rgb, 40, 30).save(path(u"pic.png"_s));
    ImageObject image;
    QCOMPARE(image.loadWithInfo(path(u"pic.png"_s)), 1);
    const QFileInfo info(path(u"pic.png"_s));
    QCOMPARE(image.path, path(u"pic.png"_s));
    QCOMPARE(image.fileStatus.size, info.size());
    QCOMPARE(image.fileStatus.lastWrite, info.lastModified().toSecsSinceEpoch());
    QVERIFY(image.fileStatus.created > 0);
    QVERIFY(image.fileStatus.attributes != 0);
    QCOMPARE(image.loadedWidth, 40);
    QCOMPARE(image.loadedHeight, 30);
    // The loaded size outlives the picture's change into a thumbnail.
    QCOMPARE(image.fitIntoBox(10, 10, 0xffffffffu), 1);
    QCOMPARE(image.loadedWidth, 40);
    QCOMPARE(image.width(), 10);
}

void TestImageObject::copyIsDeep()
{
    ImageObject a;
    QCOMPARE(a.create(3, 3, 1), 1);
    a.fill(0, 0, 3, 3, 0xff010203u);
    ImageObject b = a;
    b.fill(0, 0, 3, 3, 0xff040506u);
    QCOMPARE(a.pixels().at<QRgb>(1, 1), 0xff010203u);
    a = b;
    b.fill(0, 0, 3, 3, 0xff070809u);
    QCOMPARE(a.pixels().at<QRgb>(1, 1), 0xff040506u);
}

void TestImageObject::failedSaveLeavesTarget_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<bool>("existingTarget");
    QTest::addColumn<bool>("readOnlyFolder");
    QTest::addColumn<int>("pictureWidth");

    // clang-format off
    QTest::newRow("read-only folder")    << u"ro"_s             << true  << true  << 10;
    QTest::newRow("system folder")       << u"/proc"_s          << false << false << 10;
    QTest::newRow("missing folder")      << u"missing/deeper"_s << false << false << 10;
    QTest::newRow("fails while writing") << u"rw"_s             << true  << false << 65536; // GIF sides stop at 65535
    // clang-format on
}

void TestImageObject::failedSaveLeavesTarget()
{
    QFETCH(QString, folder);
    QFETCH(bool, existingTarget);
    QFETCH(bool, readOnlyFolder);
    QFETCH(int, pictureWidth);

    const QString dir = folder.startsWith(u'/') ? folder : path(folder);
    const QString target = dir + u"/velmo_test_out.gif"_s;
    if (existingTarget) {
        QVERIFY(QDir().mkpath(dir));
        writeBytes(target, "previous contents");
    }
    const auto writable = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
    if (readOnlyFolder) {
        QVERIFY(QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        if (QFileInfo(dir).isWritable()) {
            QFile::setPermissions(dir, writable);
            QSKIP("permissions do not bind this user (root); the system folder row stands in");
        }
    }
    const QSet<QString> before = existingTarget ? folderEntries(dir) : QSet<QString>();

    ImageObject image;
    QCOMPARE(image.create(pictureWidth, 1, 1), 1);
    image.fill(0, 0, pictureWidth, 1, 0xff102030u);
    image.sourceBitsPerPixel = 24;
    image.sourceExtension = u".gif"_s;
    QCOMPARE(image.save(target), 0);

    if (readOnlyFolder)
        QFile::setPermissions(dir, writable);
    if (existingTarget) {
        QCOMPARE(readBytes(target), QByteArray("previous contents"));
        QCOMPARE(folderEntries(dir), before); // no temporary file left behind
    } else {
        QVERIFY(!QFileInfo::exists(target));
    }
}

QTEST_GUILESS_MAIN(TestImageObject)
#include "tst_imageobject.moc"
