// The picture benchmarks' synthetic photograph.
#include "syntheticphoto.h"

#include <QLinearGradient>
#include <QPainter>
#include <QRandomGenerator>

QImage syntheticPhoto(int width, int height, int shapes, int smallest, int largest)
{
    QImage image(width, height, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient sky(0, 0, 0, height);
    sky.setColorAt(0, QColor(40, 90, 170));
    sky.setColorAt(1, QColor(240, 200, 140));
    painter.fillRect(image.rect(), sky);
    QRandomGenerator random(7);
    for (int i = 0; i < shapes; ++i) {
        painter.setBrush(QColor::fromRgb(random.generate()));
        painter.drawEllipse(QPoint(random.bounded(width), random.bounded(height)),
                            random.bounded(smallest, largest), random.bounded(smallest, largest));
    }
    painter.end();
    // Sensor-like noise, without which JPEG would compress the shapes far better than a photo.
    for (int y = 0; y < image.height(); ++y) {
        auto *row = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            row[x] ^= random.bounded(8) * 0x010101;
    }
    return image;
}
