// JPEG marker structure: whether a file reaches its end-of-image marker. The decoder fills a
// cut-off JPEG with grey and reports success, so completeness is checked beforehand.
#pragma once

#include <QByteArrayView>

namespace velmo::img {

class JpegStructure
{
public:
    // True when data starts with SOI and its segments and scans lead to an EOI marker; bytes
    // after EOI (camera trailers) are ignored.
    static bool isComplete(QByteArrayView data);
};

} // namespace velmo::img
