// GIF through giflib: the palette and completeness of a file's first image (Qt decodes GIF
// pixels but drops the palette), and a single-image GIF89a writer (Qt cannot write GIF).
#pragma once

#include <optional>

#include <QIODevice>
#include <QImage>
#include <QList>

namespace velmo::img {

class GifCodec
{
public:
    struct FirstImage
    {
        // The first image's local palette, else the global one; the transparent entry (from
        // the graphic control extension before the image) has alpha 0.
        QList<QRgb> colorTable;
        int transparentIndex = -1;
        // False when the file ends inside the first image's data.
        bool complete = false;
    };

    static constexpr int kMaxSide = 65535;

    // Reads the records up to and through the first image's compressed data without decoding
    // it. Nothing when the device holds no GIF with an image.
    static std::optional<FirstImage> readFirstImage(QIODevice &device);
    // image: Format_Indexed8 with 1..256 colours and sides up to kMaxSide. The first colour with
    // alpha 0 becomes the transparent one. False when anything cannot be written.
    static bool writeIndexed8(const QImage &image, QIODevice &device);
};

} // namespace velmo::img
