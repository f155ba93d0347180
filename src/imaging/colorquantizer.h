// Reduction of 32-bit pictures to 8-bit indexed ones, for GIF and for 8-bit saves: median cut
// when there are more colours than entries, or mapping onto a given palette.
#pragma once

#include <QImage>
#include <QList>

namespace velmo::img {

class ColorQuantizer
{
public:
    // argb: Format_ARGB32 (non-premultiplied). Up to 256 colours are kept exactly; more are
    // reduced by median cut. With keepTransparency, pixels less than half opaque become one
    // fully transparent entry; otherwise alpha is ignored.
    static QImage toIndexed8(const QImage &argb, bool keepTransparency);
    // Maps every pixel's colour (alpha ignored) onto table: an entry of exactly that colour,
    // opaque entries first, else the nearest opaque one. So an opaque copy of a palette picture
    // finds its original indexes again, the transparent one included where its colour is unique.
    static QImage toIndexed8(const QImage &argb, const QList<QRgb> &table);
};

} // namespace velmo::img
