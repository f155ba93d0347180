// BMP file structure: the bit depth a header declares, whether the pixel data is all there
// (Qt decodes a cut-off BMP without complaint), and a 32-bit writer that keeps alpha.
#pragma once

#include <QByteArrayView>
#include <QIODevice>
#include <QImage>

namespace velmo::img {

class BmpCodec
{
public:
    // The header's bits per pixel, or 0 when data does not start with a BMP header.
    static int bitsPerPixel(QByteArrayView data);
    // False when the file ends before the pixel rows (or, run-length coded, before the
    // end-of-bitmap code) its header announces.
    static bool isComplete(QByteArrayView data);
    // A 32-bit BMP with an alpha mask (BITMAPV4HEADER, BI_BITFIELDS): Qt's own writer drops
    // alpha and writes 24 bits. image must be Format_ARGB32.
    static bool writeArgb32(const QImage &image, QIODevice &device);
};

} // namespace velmo::img
