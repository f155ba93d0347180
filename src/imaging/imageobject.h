// ImageObject, the one in-memory picture type: 8-bit blue, green, red, alpha pixels loaded from
// a picture file, scaled with OpenCV, fitted into thumbnail boxes, drawn and saved by extension.
#pragma once

#include <QImage>
#include <QList>
#include <QString>
#include <QtGlobal>

#include <opencv2/core.hpp>

namespace velmo::img {

// A file's status when it was loaded with loadWithInfo; times in seconds since 1970.
struct FileStatus
{
    qint64 created = 0;
    qint64 lastWrite = 0;
    qint64 lastAccess = 0;
    qint64 size = 0;
    quint32 attributes = 0;
};

class ImageObject
{
public:
    // Every size that Create, Load and fitIntoBox make lies in 0..kMaxSide; Resize refuses a
    // height above kMaxResizeHeight, which is lower than kMaxSide.
    static constexpr int kMaxSide = 65536;
    static constexpr int kMaxResizeHeight = 64436;
    // Decoding also refuses pictures of more pixels than this (16384 x 8192), whatever their
    // sides: the decoder and the pixels each hold the whole picture.
    static constexpr qint64 kMaxDecodedPixels = qint64(1) << 27;

    enum Interpolation { Nearest = 0, Bilinear = 1, Bicubic = 2 };

    ImageObject() = default;
    ImageObject(const ImageObject &other);
    ImageObject &operator=(const ImageObject &other);
    ImageObject(ImageObject &&other) noexcept = default;
    ImageObject &operator=(ImageObject &&other) noexcept = default;
    ~ImageObject() = default;

    // An uninitialised picture of that size; mode 2 adds a work buffer of the same size.
    // 0 (nothing changed) outside 0..kMaxSide or when memory runs out.
    int create(int width, int height, int mode);
    // 1, or 0 with the picture empty when the file cannot be read, is truncated, claims a size
    // outside the limits or cannot be decoded.
    int load(const QString &filePath);
    // As Load, for a picture that is to be scaled down to width x height: a JPEG is decoded at
    // the smallest eighth of its size that still covers that size (libjpeg's scaled decoding),
    // which takes a fraction of the time of decoding it whole; resize does the rest. Other
    // pictures, and sizes that are not smaller than the picture, load as Load does.
    int loadForSize(const QString &filePath, int width, int height);
    // As Load; on success also records path, fileStatus and loadedWidth/loadedHeight.
    int loadWithInfo(const QString &filePath);
    // Scales to exactly width x height with interpolation 0, 1 or 2. 0 (picture unchanged) for an
    // empty picture, a size that is not positive or above the limits, or another interpolation.
    int resize(int width, int height, int interpolation);
    // Scales the picture (nearest neighbour, aspect kept) into a box of that size filled with
    // background. An empty picture becomes a box of background alone. 0 outside 0..kMaxSide.
    int fitIntoBox(int boxWidth, int boxHeight, quint32 background);
    // Sets the pixels of [left, right) x [top, bottom) that lie inside the picture to value
    // (0xAARRGGBB, which is B, G, R, A in memory).
    void fill(int left, int top, int right, int bottom, quint32 value);
    // Copies the picture into a bitmap of exactly its size: RGB32 gets it opaque, ARGB32 with
    // its alpha as it is, other non-indexed formats converted. 0 (bitmap untouched) otherwise.
    int drawInto(QImage &bitmap) const;
    // Writes the picture with the encoder chosen from sourceExtension, else from the target's
    // extension, at the depth of sourceBitsPerPixel. 0, with any existing file untouched, when
    // no encoder matches or writing fails.
    int save(const QString &filePath) const;
    void free();

    // The picture size a file's header claims, without decoding; false when it is not known.
    static bool readImageSize(const QString &filePath, int *width, int *height);

    int width() const { return m_width; }
    int height() const { return m_height; }
    bool isEmpty() const { return m_pixels.empty(); }
    // CV_8UC4, bytes B, G, R, A, non-premultiplied; empty when there is no picture.
    cv::Mat &pixels() { return m_pixels; }
    const cv::Mat &pixels() const { return m_pixels; }
    cv::Mat &workBuffer() { return m_workBuffer; }

    int mode = 0;
    // Set by every operation that alters the picture; a load clears it.
    bool changed = false;
    QString path;
    FileStatus fileStatus;
    int loadedWidth = 0;
    int loadedHeight = 0;
    bool selected = false;
    // The loaded file's extension with its dot, case kept (".JPG"); empty when it has none.
    QString sourceExtension;
    // 8, 24 or 32 after a load. Save writes 8 with sourceColorTable, 16 and 24 as 24, and
    // anything else as 32 with alpha.
    int sourceBitsPerPixel = 0;
    // The palette of an 8-bit source (entries may carry alpha, e.g. a GIF's transparent one).
    QList<QRgb> sourceColorTable;

private:
    int decodeInto(const QString &filePath, QSize scaledTo = QSize());
    void replacePixels(cv::Mat pixels, int width, int height);

    cv::Mat m_pixels;
    cv::Mat m_workBuffer;
    int m_width = 0;
    int m_height = 0;
};

} // namespace velmo::img
