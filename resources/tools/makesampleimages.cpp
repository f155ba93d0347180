// velmo-make-sample-images: draws the pictures of user_image/sample that the sample site shows,
// so that no binary picture has to be kept in the sources.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>

#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QRandomGenerator>
#include <QStringList>

using namespace Qt::StringLiterals;

namespace {

// Fixed seeds: the same build draws the same pictures, byte for byte.
constexpr quint32 kForestSeed = 20240601;
constexpr quint32 kCookieSeed = 20240602;

QImage canvas(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

void caption(QPainter &painter, const QRect &area, const QString &text, const QColor &color,
             int pixelSize, Qt::Alignment alignment)
{
    QFont font(u"DejaVu Sans"_s);
    font.setPixelSize(pixelSize);
    font.setLetterSpacing(QFont::PercentageSpacing, 108);
    painter.setFont(font);
    painter.setPen(color);
    painter.drawText(area, int(alignment), text);
}

// A mountain ridge closed down to the bottom edge: a few sine waves over a base line.
QPainterPath ridge(int width, int height, double base, double a1, double f1, double a2, double f2,
                   double phase)
{
    QPainterPath path;
    path.moveTo(0, height);
    for (int x = 0; x <= width; x += 8) {
        const double y = base - a1 * std::sin(x * f1 + phase) -
                         a2 * std::sin(x * f2 + phase * 2.3) - 0.35 * a2 * std::sin(x * f2 * 3.1);
        path.lineTo(x, y);
    }
    path.lineTo(width, height);
    path.closeSubpath();
    return path;
}

QImage drawLandscape()
{
    const int w = 1600;
    const int h = 1000;
    const int horizon = 640;
    QImage image = canvas(w, h);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    QLinearGradient sky(0, 0, 0, horizon);
    sky.setColorAt(0.0, QColor(0x7f, 0xa9, 0xcf));
    sky.setColorAt(0.55, QColor(0xc9, 0xdd, 0xe6));
    sky.setColorAt(1.0, QColor(0xf8, 0xdf, 0xbd));
    p.fillRect(0, 0, w, horizon, sky);

    const QPointF sun(1130, 455);
    QRadialGradient glow(sun, 420);
    glow.setColorAt(0.0, QColor(255, 246, 220, 230));
    glow.setColorAt(0.25, QColor(255, 232, 190, 120));
    glow.setColorAt(1.0, QColor(255, 232, 190, 0));
    p.fillRect(0, 0, w, horizon, glow);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 249, 232));
    p.drawEllipse(sun, 62, 62);

    // Thin clouds across the glow.
    p.setBrush(QColor(255, 255, 255, 70));
    for (int i = 0; i < 5; ++i)
        p.drawRoundedRect(QRectF(180 + i * 290, 150 + (i % 3) * 55, 360, 22), 11, 11);

    p.setBrush(QColor(0xa7, 0xbc, 0xcc));
    p.drawPath(ridge(w, h, 520, 60, 0.0042, 28, 0.013, 0.4));
    p.setBrush(QColor(0x7c, 0x98, 0xad));
    p.drawPath(ridge(w, h, 580, 45, 0.0061, 22, 0.017, 1.9));
    QLinearGradient hills(0, 560, 0, horizon);
    hills.setColorAt(0.0, QColor(0x4d, 0x7a, 0x66));
    hills.setColorAt(1.0, QColor(0x2f, 0x56, 0x48));
    p.setBrush(hills);
    p.drawPath(ridge(w, h, 628, 18, 0.009, 9, 0.031, 3.1));

    QLinearGradient lake(0, horizon, 0, h);
    lake.setColorAt(0.0, QColor(0xb6, 0xcf, 0xd8));
    lake.setColorAt(1.0, QColor(0x3f, 0x6f, 0x88));
    p.fillRect(0, horizon, w, h - horizon, lake);
    // The sun's path on the water, broken into ripples.
    for (int i = 0; i < 26; ++i) {
        const double y = horizon + 8 + i * 13.5;
        const double half = 26 + i * 5.5;
        p.setBrush(QColor(255, 240, 205, 150 - i * 5));
        p.drawRoundedRect(QRectF(sun.x() - half + ((i * 37) % 23) - 11, y, half * 2, 4), 2, 2);
    }
    p.setBrush(QColor(255, 255, 255, 40));
    for (int i = 0; i < 14; ++i)
        p.drawRect(QRectF((i * 211) % w, horizon + 40 + i * 24, 140 + (i * 53) % 160, 2));

    // Conifers on the near shore, reflected below it.
    for (int i = 0; i < 22; ++i) {
        const double x = 20 + i * 31 + (i * 17) % 13;
        const double height = 70 + (i * 29) % 60;
        QPainterPath tree;
        tree.moveTo(x, horizon - height);
        tree.lineTo(x - height * 0.22, horizon + 2);
        tree.lineTo(x + height * 0.22, horizon + 2);
        tree.closeSubpath();
        p.setBrush(QColor(0x23, 0x44, 0x3a));
        p.drawPath(tree);
        QPainterPath mirrored;
        mirrored.moveTo(x, horizon + height * 0.8);
        mirrored.lineTo(x - height * 0.22, horizon);
        mirrored.lineTo(x + height * 0.22, horizon);
        mirrored.closeSubpath();
        p.setBrush(QColor(0x23, 0x44, 0x3a, 70));
        p.drawPath(mirrored);
    }

    caption(p, QRect(0, h - 70, w - 40, 50), u"Velmo sample  \u00b7  Lakeside morning"_s,
            QColor(255, 255, 255, 215), 26, Qt::AlignRight | Qt::AlignVCenter);
    return image;
}

QPainterPath heart(const QPointF &centre, double size)
{
    QPainterPath path;
    const double s = size;
    path.moveTo(centre.x(), centre.y() + s * 0.9);
    path.cubicTo(centre.x() - s * 1.3, centre.y() + s * 0.1, centre.x() - s * 0.9,
                 centre.y() - s * 0.95, centre.x(), centre.y() - s * 0.35);
    path.cubicTo(centre.x() + s * 0.9, centre.y() - s * 0.95, centre.x() + s * 1.3,
                 centre.y() + s * 0.1, centre.x(), centre.y() + s * 0.9);
    return path;
}

QImage drawCoffee()
{
    const int size = 800;
    QImage image = canvas(size, size);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    // A wooden table of broad planks.
    const QColor planks[] = {QColor(0xc6, 0x95, 0x66), QColor(0xbb, 0x8a, 0x5c),
                             QColor(0xcf, 0xa0, 0x72), QColor(0xc1, 0x90, 0x61)};
    for (int i = 0; i < 5; ++i) {
        p.fillRect(QRect(0, i * 160, size, 160), planks[i % 4]);
        p.fillRect(QRect(0, i * 160, size, 3), QColor(0x8a, 0x5e, 0x38));
    }
    p.setPen(QPen(QColor(0x9c, 0x6c, 0x42, 60), 2));
    for (int i = 0; i < 30; ++i) {
        const double y = 20 + i * 26.5;
        QPainterPath grain;
        grain.moveTo(0, y);
        for (int x = 0; x <= size; x += 40)
            grain.lineTo(x, y + 5 * std::sin(x * 0.011 + i));
        p.drawPath(grain);
    }
    p.setPen(Qt::NoPen);

    const QPointF centre(392, 408);
    QRadialGradient shadow(centre + QPointF(18, 22), 330);
    shadow.setColorAt(0.85, QColor(60, 35, 15, 90));
    shadow.setColorAt(1.0, QColor(60, 35, 15, 0));
    p.setBrush(shadow);
    p.drawEllipse(centre + QPointF(18, 22), 330, 330);

    QRadialGradient saucer(centre, 300);
    saucer.setColorAt(0.0, QColor(0xfb, 0xf8, 0xf3));
    saucer.setColorAt(0.9, QColor(0xf0, 0xe9, 0xdf));
    saucer.setColorAt(1.0, QColor(0xdc, 0xd1, 0xc2));
    p.setBrush(saucer);
    p.drawEllipse(centre, 300, 300);
    p.setBrush(QColor(0xe6, 0xdd, 0xd0));
    p.drawEllipse(centre, 222, 222);

    // The handle first, so that the cup's rim covers its root.
    p.save();
    p.translate(centre);
    p.rotate(-38);
    p.setBrush(QColor(0xf6, 0xf2, 0xec));
    p.drawRoundedRect(QRectF(170, -36, 120, 72), 30, 30);
    p.restore();
    QRadialGradient cup(centre + QPointF(-40, -40), 240);
    cup.setColorAt(0.0, QColor(0xff, 0xff, 0xff));
    cup.setColorAt(1.0, QColor(0xe9, 0xe2, 0xd8));
    p.setBrush(cup);
    p.drawEllipse(centre, 205, 205);

    QRadialGradient coffee(centre, 170);
    coffee.setColorAt(0.0, QColor(0x9a, 0x62, 0x38));
    coffee.setColorAt(0.75, QColor(0x6b, 0x3b, 0x1d));
    coffee.setColorAt(1.0, QColor(0x4a, 0x26, 0x11));
    p.setBrush(coffee);
    p.drawEllipse(centre, 170, 170);
    p.setBrush(QColor(0xf4, 0xe7, 0xd3));
    p.drawPath(heart(centre + QPointF(0, 8), 92));
    p.setBrush(QColor(0x8a, 0x55, 0x2f));
    p.drawPath(heart(centre + QPointF(0, 22), 42));

    caption(p, QRect(36, size - 86, size - 72, 56), u"Velmo Coffee"_s, QColor(255, 250, 240, 230),
            34, Qt::AlignLeft | Qt::AlignVCenter);
    return image;
}

QImage drawForest()
{
    const int w = 800;
    const int h = 1200;
    QImage image = canvas(w, h);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QRandomGenerator random(kForestSeed);

    QLinearGradient air(0, 0, 0, h);
    air.setColorAt(0.0, QColor(0xf1, 0xf5, 0xd8));
    air.setColorAt(0.35, QColor(0x9c, 0xbf, 0x84));
    air.setColorAt(0.75, QColor(0x3c, 0x6a, 0x45));
    air.setColorAt(1.0, QColor(0x22, 0x3d, 0x2b));
    p.fillRect(0, 0, w, h, air);
    p.setPen(Qt::NoPen);

    // Trunks, the far ones paler.
    struct Trunk
    {
        double x, width;
        QColor colour;
    };
    const Trunk trunks[] = {
        {90, 26, QColor(0x7d, 0x8c, 0x6c)},  {300, 22, QColor(0x84, 0x93, 0x72)},
        {520, 30, QColor(0x77, 0x86, 0x66)}, {700, 24, QColor(0x80, 0x8f, 0x6f)},
        {180, 58, QColor(0x4a, 0x3b, 0x2d)}, {610, 72, QColor(0x3f, 0x31, 0x25)},
        {400, 46, QColor(0x55, 0x44, 0x33)},
    };
    for (const Trunk &trunk : trunks) {
        QPainterPath path;
        path.moveTo(trunk.x - trunk.width * 0.35, 120);
        path.lineTo(trunk.x + trunk.width * 0.35, 120);
        path.lineTo(trunk.x + trunk.width * 0.6, h);
        path.lineTo(trunk.x - trunk.width * 0.6, h);
        path.closeSubpath();
        p.setBrush(trunk.colour);
        p.drawPath(path);
    }

    // Light falling through the canopy.
    for (int i = 0; i < 7; ++i) {
        QPainterPath ray;
        const double top = 120 + i * 95;
        ray.moveTo(top, -20);
        ray.lineTo(top + 40, -20);
        ray.lineTo(top + 330 + i * 25, h);
        ray.lineTo(top + 190 + i * 18, h);
        ray.closeSubpath();
        p.setBrush(QColor(255, 252, 225, 22 + (i % 3) * 8));
        p.drawPath(ray);
    }

    // The canopy: many translucent leaf clusters, densest at the top.
    for (int i = 0; i < 900; ++i) {
        const double y = std::pow(random.generateDouble(), 1.8) * 720 - 40;
        const double x = random.bounded(w + 80) - 40;
        const double r = 10 + random.bounded(36);
        QColor leaf = QColor::fromHsv(80 + random.bounded(50), 110 + random.bounded(110),
                                      70 + random.bounded(150));
        leaf.setAlpha(80 + random.bounded(90));
        p.setBrush(leaf);
        p.drawEllipse(QPointF(x, y), r, r * (0.7 + random.generateDouble() * 0.4));
    }
    // Spots of sun on the leaves.
    for (int i = 0; i < 60; ++i) {
        p.setBrush(QColor(255, 250, 210, 60 + random.bounded(120)));
        const double r = 3 + random.bounded(9);
        p.drawEllipse(QPointF(random.bounded(w), random.bounded(650)), r, r);
    }

    // Ferns on the forest floor.
    p.setPen(QPen(QColor(0x5f, 0x8f, 0x4e, 170), 3, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 70; ++i) {
        const double x = random.bounded(w);
        const double base = h - random.bounded(120);
        const double lean = (random.generateDouble() - 0.5) * 90;
        QPainterPath blade;
        blade.moveTo(x, base);
        blade.quadTo(x + lean * 0.3, base - 60, x + lean, base - 80 - random.bounded(60));
        p.drawPath(blade);
    }
    p.setPen(Qt::NoPen);

    caption(p, QRect(0, h - 80, w, 50), u"KOMOREBI  \u00b7  Velmo sample"_s,
            QColor(255, 255, 255, 210), 24, Qt::AlignHCenter | Qt::AlignVCenter);
    return image;
}

QImage drawCookies()
{
    const int w = 1200;
    const int h = 800;
    QImage image = canvas(w, h);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QRandomGenerator random(kCookieSeed);

    // Gingham: two layers of translucent stripes.
    p.fillRect(0, 0, w, h, QColor(0xf7, 0xf3, 0xea));
    const QColor stripe(0x8f, 0xb8, 0xcf, 90);
    for (int x = 0; x < w; x += 80)
        p.fillRect(x, 0, 40, h, stripe);
    for (int y = 0; y < h; y += 80)
        p.fillRect(0, y, w, 40, stripe);
    p.setPen(Qt::NoPen);

    const QPointF plate(610, 420);
    QRadialGradient shade(plate + QPointF(14, 18), 350);
    shade.setColorAt(0.88, QColor(40, 50, 60, 80));
    shade.setColorAt(1.0, QColor(40, 50, 60, 0));
    p.setBrush(shade);
    p.drawEllipse(plate + QPointF(14, 18), 350, 350);
    QRadialGradient china(plate, 335);
    china.setColorAt(0.0, QColor(0xff, 0xff, 0xff));
    china.setColorAt(0.95, QColor(0xf1, 0xef, 0xea));
    china.setColorAt(1.0, QColor(0xd9, 0xd5, 0xcc));
    p.setBrush(china);
    p.drawEllipse(plate, 335, 335);
    p.setBrush(QColor(0xee, 0xeb, 0xe4));
    p.drawEllipse(plate, 250, 250);

    const QPointF cookies[] = {{500, 330}, {690, 300}, {780, 470},
                               {610, 560}, {440, 510}, {610, 420}};
    for (const QPointF &at : cookies) {
        const double r = 88 + random.bounded(14);
        p.setBrush(QColor(80, 50, 20, 60));
        p.drawEllipse(at + QPointF(6, 8), r, r);
        QRadialGradient dough(at - QPointF(r * 0.3, r * 0.3), r * 1.4);
        dough.setColorAt(0.0, QColor(0xe8, 0xbb, 0x78));
        dough.setColorAt(0.7, QColor(0xcf, 0x93, 0x4f));
        dough.setColorAt(1.0, QColor(0xa8, 0x6a, 0x32));
        p.setBrush(dough);
        p.drawEllipse(at, r, r);
        for (int chip = 0; chip < 9; ++chip) {
            const double angle = random.generateDouble() * 6.283;
            const double distance = std::sqrt(random.generateDouble()) * r * 0.75;
            const QPointF spot = at + QPointF(std::cos(angle), std::sin(angle)) * distance;
            p.setBrush(QColor(0x4b, 0x2a, 0x16));
            p.drawEllipse(spot, 7 + random.bounded(5), 5 + random.bounded(4));
        }
    }

    caption(p, QRect(44, 30, 600, 60), u"Velmo Bakery"_s, QColor(0x3d, 0x5a, 0x6c), 36,
            Qt::AlignLeft | Qt::AlignVCenter);
    return image;
}

bool save(const QImage &image, const QString &path)
{
    QImageWriter writer(path);
    if (path.endsWith(u".jpg"_s)) {
        writer.setQuality(86);
        writer.setOptimizedWrite(true);
    }
    if (!writer.write(image)) {
        std::fprintf(stderr, "velmo-make-sample-images: %s: %s\n", qPrintable(path),
                     qPrintable(writer.errorString()));
        return false;
    }
    return true;
}

// Only failures matter in a build log; the platform's start-up notes would be noise there.
void quietMessages(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "%s\n", qPrintable(message));
}

} // namespace

int main(int argc, char **argv)
{
    qInstallMessageHandler(quietMessages);
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: velmo-make-sample-images OUTDIR NAME...\n");
        return 2;
    }
    const QString folder = args.first();
    const QList<QPair<QString, std::function<QImage()>>> drawings = {
        {u"landscape.jpg"_s, drawLandscape},
        {u"coffee.png"_s, drawCoffee},
        {u"forest.jpg"_s, drawForest},
        {u"cookies.jpg"_s, drawCookies},
    };
    // Every name is checked before anything is drawn: a mistyped list writes nothing.
    QList<std::function<QImage()>> chosen;
    for (const QString &name : args.mid(1)) {
        auto it = std::find_if(drawings.begin(), drawings.end(),
                               [&name](const auto &drawing) { return drawing.first == name; });
        if (it == drawings.end()) {
            std::fprintf(stderr, "velmo-make-sample-images: no drawing named %s\n",
                         qPrintable(name));
            return 2;
        }
        chosen << it->second;
    }
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "velmo-make-sample-images: cannot create %s\n", qPrintable(folder));
        return 1;
    }
    for (qsizetype i = 0; i < chosen.size(); ++i) {
        if (!save(chosen[i](), folder + u'/' + args.at(i + 1)))
            return 1;
    }
    return 0;
}
