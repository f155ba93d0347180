// Median cut over a 5-bit-per-channel histogram, exact palettes for pictures of few colours,
// and nearest-colour mapping onto a given palette.
#include "imaging/colorquantizer.h"

#include <algorithm>
#include <array>
#include <limits>
#include <vector>

#include <QHash>

namespace velmo::img {

namespace {

constexpr int kMaxColours = 256;
constexpr int kBins = 32 * 32 * 32;
constexpr int kOpaqueEnough = 128;

int binOf(QRgb c)
{
    return ((qRed(c) >> 3) << 10) | ((qGreen(c) >> 3) << 5) | (qBlue(c) >> 3);
}

int distance(QRgb a, QRgb b)
{
    const int dr = qRed(a) - qRed(b);
    const int dg = qGreen(a) - qGreen(b);
    const int db = qBlue(a) - qBlue(b);
    return dr * dr + dg * dg + db * db;
}

int nearest(QRgb colour, const QList<QRgb> &table, const std::vector<int> &candidates)
{
    int best = candidates.front();
    int bestDistance = std::numeric_limits<int>::max();
    for (int i : candidates) {
        const int d = distance(colour, table[i]);
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return best;
}

struct Bin
{
    qint64 count = 0;
    qint64 red = 0;
    qint64 green = 0;
    qint64 blue = 0;
};

// A box of the histogram: inclusive 5-bit bounds per channel.
struct Box
{
    std::array<int, 3> low{0, 0, 0};
    std::array<int, 3> high{31, 31, 31};
    qint64 count = 0;
};

int binIndex(const std::array<int, 3> &c)
{
    return (c[0] << 10) | (c[1] << 5) | c[2];
}

template<typename Visit>
void forEachBin(const Box &box, Visit visit)
{
    std::array<int, 3> c{};
    for (c[0] = box.low[0]; c[0] <= box.high[0]; ++c[0])
        for (c[1] = box.low[1]; c[1] <= box.high[1]; ++c[1])
            for (c[2] = box.low[2]; c[2] <= box.high[2]; ++c[2])
                visit(c, binIndex(c));
}

// Narrows the box to the bins that hold pixels and counts them.
void shrink(Box &box, const std::vector<Bin> &bins)
{
    std::array<int, 3> low{31, 31, 31};
    std::array<int, 3> high{0, 0, 0};
    qint64 count = 0;
    forEachBin(box, [&](const std::array<int, 3> &c, int index) {
        if (bins[size_t(index)].count == 0)
            return;
        count += bins[size_t(index)].count;
        for (int k = 0; k < 3; ++k) {
            low[k] = std::min(low[k], c[k]);
            high[k] = std::max(high[k], c[k]);
        }
    });
    box.count = count;
    if (count > 0) {
        box.low = low;
        box.high = high;
    }
}

int longestAxis(const Box &box)
{
    int axis = 0;
    for (int k = 1; k < 3; ++k) {
        if (box.high[k] - box.low[k] > box.high[axis] - box.low[axis])
            axis = k;
    }
    return axis;
}

// Splits at the weighted median of the longest axis; false when the box is a single bin.
bool split(Box &box, Box &other, const std::vector<Bin> &bins)
{
    const int axis = longestAxis(box);
    if (box.high[axis] == box.low[axis])
        return false;
    std::array<qint64, 32> planes{};
    forEachBin(box, [&](const std::array<int, 3> &c, int index) {
        planes[size_t(c[axis])] += bins[size_t(index)].count;
    });
    qint64 running = 0;
    int cut = box.low[axis];
    for (int v = box.low[axis]; v < box.high[axis]; ++v) {
        running += planes[size_t(v)];
        cut = v;
        if (running * 2 >= box.count)
            break;
    }
    other = box;
    box.high[axis] = cut;
    other.low[axis] = cut + 1;
    shrink(box, bins);
    shrink(other, bins);
    return true;
}

QList<QRgb> medianCut(const std::vector<Bin> &bins, int colours)
{
    std::vector<Box> boxes(1);
    shrink(boxes[0], bins);
    while (int(boxes.size()) < colours) {
        // The box with the most pixels times its extent is the one whose error shows most.
        int pick = -1;
        qint64 bestScore = 0;
        for (size_t i = 0; i < boxes.size(); ++i) {
            const Box &b = boxes[i];
            const int extent = b.high[longestAxis(b)] - b.low[longestAxis(b)];
            const qint64 score = b.count * extent;
            if (extent > 0 && score > bestScore) {
                bestScore = score;
                pick = int(i);
            }
        }
        if (pick < 0)
            break;
        Box other;
        if (!split(boxes[size_t(pick)], other, bins))
            break;
        boxes.push_back(other);
    }
    QList<QRgb> table;
    for (const Box &box : boxes) {
        Bin sum;
        forEachBin(box, [&](const std::array<int, 3> &, int index) {
            const Bin &b = bins[size_t(index)];
            sum.count += b.count;
            sum.red += b.red;
            sum.green += b.green;
            sum.blue += b.blue;
        });
        if (sum.count > 0)
            table.append(qRgb(int(sum.red / sum.count), int(sum.green / sum.count),
                              int(sum.blue / sum.count)));
    }
    return table;
}

bool isTransparent(QRgb pixel, bool keepTransparency)
{
    return keepTransparency && qAlpha(pixel) < kOpaqueEnough;
}

} // namespace

QImage ColorQuantizer::toIndexed8(const QImage &argb, bool keepTransparency)
{
    if (argb.isNull() || argb.format() != QImage::Format_ARGB32)
        return {};
    const int width = argb.width();
    const int height = argb.height();

    bool hasTransparent = false;
    QHash<QRgb, int> exact;
    std::vector<Bin> bins(kBins);
    for (int y = 0; y < height; ++y) {
        const auto *row = reinterpret_cast<const QRgb *>(argb.constScanLine(y));
        for (int x = 0; x < width; ++x) {
            if (isTransparent(row[x], keepTransparency)) {
                hasTransparent = true;
                continue;
            }
            const QRgb colour = row[x] | 0xff000000u;
            if (exact.size() <= kMaxColours && !exact.contains(colour))
                exact.insert(colour, int(exact.size()));
            Bin &bin = bins[size_t(binOf(colour))];
            ++bin.count;
            bin.red += qRed(colour);
            bin.green += qGreen(colour);
            bin.blue += qBlue(colour);
        }
    }
    const int available = kMaxColours - (hasTransparent ? 1 : 0);

    QList<QRgb> table;
    std::vector<int> binToIndex;
    const bool useExact = exact.size() <= available;
    if (useExact) {
        table.resize(exact.size());
        for (auto it = exact.cbegin(); it != exact.cend(); ++it)
            table[it.value()] = it.key();
    } else {
        table = medianCut(bins, available);
        std::vector<int> all(size_t(table.size()));
        for (size_t i = 0; i < all.size(); ++i)
            all[i] = int(i);
        binToIndex.assign(kBins, -1);
        for (int i = 0; i < kBins; ++i) {
            const Bin &b = bins[size_t(i)];
            if (b.count > 0) {
                const QRgb mean =
                    qRgb(int(b.red / b.count), int(b.green / b.count), int(b.blue / b.count));
                binToIndex[size_t(i)] = nearest(mean, table, all);
            }
        }
    }
    const int transparentIndex = hasTransparent ? int(table.size()) : -1;
    if (hasTransparent)
        table.append(qRgba(0, 0, 0, 0));
    if (table.isEmpty())
        table.append(qRgb(0, 0, 0));

    QImage indexed(width, height, QImage::Format_Indexed8);
    if (indexed.isNull())
        return {};
    indexed.setColorTable(table);
    for (int y = 0; y < height; ++y) {
        const auto *row = reinterpret_cast<const QRgb *>(argb.constScanLine(y));
        uchar *out = indexed.scanLine(y);
        for (int x = 0; x < width; ++x) {
            if (isTransparent(row[x], keepTransparency)) {
                out[x] = uchar(transparentIndex);
                continue;
            }
            const QRgb colour = row[x] | 0xff000000u;
            out[x] = uchar(useExact ? exact.value(colour) : binToIndex[size_t(binOf(colour))]);
        }
    }
    return indexed;
}

QImage ColorQuantizer::toIndexed8(const QImage &argb, const QList<QRgb> &table)
{
    if (argb.isNull() || argb.format() != QImage::Format_ARGB32 || table.isEmpty() ||
        table.size() > kMaxColours)
        return {};
    std::vector<int> opaque;
    for (qsizetype i = 0; i < table.size(); ++i) {
        if (qAlpha(table[i]) == 255)
            opaque.push_back(int(i));
    }
    if (opaque.empty()) {
        for (qsizetype i = 0; i < table.size(); ++i)
            opaque.push_back(int(i));
    }
    // Exact colours: opaque entries win over a transparent entry of the same colour.
    QHash<QRgb, int> lookup;
    const auto addFirst = [&lookup, &table](qsizetype i) {
        const QRgb key = table[i] | 0xff000000u;
        if (!lookup.contains(key))
            lookup.insert(key, int(i));
    };
    for (int i : opaque)
        addFirst(i);
    for (qsizetype i = 0; i < table.size(); ++i)
        addFirst(i);

    QImage indexed(argb.width(), argb.height(), QImage::Format_Indexed8);
    if (indexed.isNull())
        return {};
    indexed.setColorTable(table);
    QRgb lastColour = 0;
    int lastIndex = -1;
    for (int y = 0; y < argb.height(); ++y) {
        const auto *row = reinterpret_cast<const QRgb *>(argb.constScanLine(y));
        uchar *out = indexed.scanLine(y);
        for (int x = 0; x < argb.width(); ++x) {
            const QRgb colour = row[x] | 0xff000000u;
            if (lastIndex < 0 || colour != lastColour) {
                const auto it = lookup.constFind(colour);
                if (it != lookup.cend()) {
                    lastIndex = it.value();
                } else {
                    lastIndex = nearest(colour, table, opaque);
                    lookup.insert(colour, lastIndex);
                }
                lastColour = colour;
            }
            out[x] = uchar(lastIndex);
        }
    }
    return indexed;
}

} // namespace velmo::img
