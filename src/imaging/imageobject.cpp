// The image object: decoding with the source's depth and palette, OpenCV scaling, box fitting,
// drawing into QImages and saving through an encoder chosen by extension.
#include "imaging/imageobject.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <mutex>
#include <new>
#include <optional>
#include <utility>

#include <QBuffer>
#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QSaveFile>
#include <QStringView>

#include <opencv2/imgproc.hpp>

#include "imaging/bmpcodec.h"
#include "imaging/colorquantizer.h"
#include "imaging/gifcodec.h"
#include "imaging/jpegstructure.h"
#include "imaging/pixelallocator.h"

namespace velmo::img {

namespace {

enum class Encoder { None, Bmp, Jpeg, Gif, Tiff, Png };

struct EncoderEntry
{
    Encoder encoder;
    const char *qtFormat;
    QStringView extensions; // file-name patterns, split at ";"
};

// The platform's encoders in the order it lists them, each with its file-name extensions.
constexpr std::array<EncoderEntry, 5> kEncoders{{
    {Encoder::Bmp, "bmp", u"*.BMP;*.DIB;*.RLE"},
    {Encoder::Jpeg, "jpeg", u"*.JPG;*.JPEG;*.JPE;*.JFIF"},
    {Encoder::Gif, "gif", u"*.GIF"},
    {Encoder::Tiff, "tiff", u"*.TIF;*.TIFF"},
    {Encoder::Png, "png", u"*.PNG"},
}};

const char *qtFormatOf(Encoder encoder)
{
    for (const EncoderEntry &entry : kEncoders) {
        if (entry.encoder == encoder)
            return entry.qtFormat;
    }
    return "";
}

// The file name's text from its last "." on; the folders' dots are no extension.
QString extensionOf(const QString &filePath)
{
    const qsizetype slash = std::max(filePath.lastIndexOf(u'/'), filePath.lastIndexOf(u'\\'));
    const qsizetype dot = filePath.lastIndexOf(u'.');
    return dot > slash ? filePath.mid(dot) : QString();
}

Encoder chooseEncoder(const QString &sourceExtension, const QString &targetPath)
{
    // The source's own extension is compared exactly, so ".JPG" or ".tif" fall through to the
    // target's extension, looked up in the encoders' lists without regard to case.
    if (sourceExtension == u".bmp")
        return Encoder::Bmp;
    if (sourceExtension == u".png")
        return Encoder::Png;
    if (sourceExtension == u".jpg" || sourceExtension == u".jpeg")
        return Encoder::Jpeg;
    if (sourceExtension == u".gif")
        return Encoder::Gif;
    if (sourceExtension == u".tiff")
        return Encoder::Tiff;
    const QString target = extensionOf(targetPath);
    if (target.isEmpty())
        return Encoder::None;
    const QString pattern = u'*' + target;
    for (const EncoderEntry &entry : kEncoders) {
        for (QStringView extension : entry.extensions.split(u';')) {
            if (extension.compare(pattern, Qt::CaseInsensitive) == 0)
                return entry.encoder;
        }
    }
    return Encoder::None;
}

bool withinSides(qint64 width, qint64 height)
{
    return width >= 0 && height >= 0 && width <= ImageObject::kMaxSide &&
           height <= ImageObject::kMaxSide;
}

bool decodable(qint64 width, qint64 height)
{
    return width > 0 && height > 0 && withinSides(width, height) &&
           width * height <= ImageObject::kMaxDecodedPixels;
}

// Every picture buffer comes from the pixel allocator (huge pages for the large ones).
cv::Mat newPixels(int width, int height)
{
    cv::Mat pixels;
    pixels.allocator = PixelAllocator::instance();
    pixels.create(height, width, CV_8UC4);
    return pixels;
}

cv::Mat copyOf(const cv::Mat &source)
{
    cv::Mat copy;
    copy.allocator = PixelAllocator::instance();
    source.copyTo(copy);
    return copy;
}

cv::Scalar scalarOf(quint32 value)
{
    return cv::Scalar(value & 0xff, (value >> 8) & 0xff, (value >> 16) & 0xff, value >> 24);
}

qint64 secondsOf(const QDateTime &time)
{
    return time.isValid() ? time.toSecsSinceEpoch() : 0;
}

// No deflate stream expands more than about 1,000 times, and no picture file holds more than a
// few bytes of pixels per byte of file beyond that: a claim above this is not believed.
constexpr qint64 kBytesPerFileByte = 2048;

bool plausible(QSize claimed, int bytesPerPixel, qint64 fileSize)
{
    return qint64(claimed.width()) * claimed.height() * bytesPerPixel <=
           fileSize * kBytesPerFileByte;
}

// Qt refuses to decode pictures above a process-wide allocation limit (128 MB in Qt 6.4, a
// 5,700-pixel square at 32 bits). Pictures that pass our own limits get, for the one read, the
// limit their header's size needs, but only when the file is big enough to hold such a
// picture: a 50-byte file claiming a 10,000-pixel square stays under Qt's own limit.
// Pictures are decoded on several threads at once: the limit is only ever raised while one of
// them needs it, and goes back to Qt's own when the last such read is over, so that no read
// has the limit lowered under it. Reads under Qt's own limit take the lock only for a moment.
class AllocationLimitScope
{
public:
    AllocationLimitScope(QSize claimed, qint64 fileSize)
    {
        // Decoders allocate in their own format, up to 8 bytes a pixel (16-bit PNG and TIFF).
        if (!claimed.isValid() || !plausible(claimed, 8, fileSize))
            return;
        const int needed = int((qint64(claimed.width()) * claimed.height() * 8) >> 20) + 1;
        const std::lock_guard<std::mutex> lock(state().mutex);
        State &shared = state();
        const int own = shared.raisers > 0 ? shared.ownLimit : QImageReader::allocationLimit();
        if (own <= 0 || needed <= own)
            return;
        if (shared.raisers++ == 0)
            shared.ownLimit = own;
        if (needed > QImageReader::allocationLimit())
            QImageReader::setAllocationLimit(needed);
        m_raised = true;
    }
    ~AllocationLimitScope()
    {
        if (!m_raised)
            return;
        const std::lock_guard<std::mutex> lock(state().mutex);
        if (--state().raisers == 0)
            QImageReader::setAllocationLimit(state().ownLimit);
    }
    AllocationLimitScope(const AllocationLimitScope &) = delete;
    AllocationLimitScope &operator=(const AllocationLimitScope &) = delete;

private:
    struct State
    {
        std::mutex mutex;
        int raisers = 0;
        // Qt's limit before the first of the raising reads under way.
        int ownLimit = 0;
    };
    static State &state()
    {
        static State instance;
        return instance;
    }

    bool m_raised = false;
};

// Rows of 8-bit indexes through a 256-entry table of opaque colours.
void copyIndexed(const QImage &indexed, const std::array<QRgb, 256> &lut, cv::Mat &pixels)
{
    for (int y = 0; y < indexed.height(); ++y) {
        const uchar *in = indexed.constScanLine(y);
        auto *out = pixels.ptr<QRgb>(y);
        for (int x = 0; x < indexed.width(); ++x)
            out[x] = lut[in[x]];
    }
}

void copyRows(const QImage &image, cv::Mat &pixels)
{
    const size_t rowBytes = size_t(image.width()) * 4;
    for (int y = 0; y < image.height(); ++y)
        std::memcpy(pixels.ptr(y), image.constScanLine(y), rowBytes);
}

bool allAlphaZero(const cv::Mat &pixels)
{
    for (int y = 0; y < pixels.rows; ++y) {
        const auto *row = pixels.ptr<QRgb>(y);
        for (int x = 0; x < pixels.cols; ++x) {
            if (qAlpha(row[x]) != 0)
                return false;
        }
    }
    return true;
}

QImage argbView(const cv::Mat &pixels)
{
    return QImage(static_cast<const uchar *>(pixels.data), pixels.cols, pixels.rows,
                  qsizetype(pixels.step), QImage::Format_ARGB32);
}

bool writeWithQt(const QImage &image, Encoder encoder, QIODevice &device)
{
    if (image.isNull())
        return false;
    QImageWriter writer(&device, qtFormatOf(encoder));
    return writer.write(image);
}

} // namespace

ImageObject::ImageObject(const ImageObject &other)
    : mode(other.mode), changed(other.changed), path(other.path), fileStatus(other.fileStatus),
      loadedWidth(other.loadedWidth), loadedHeight(other.loadedHeight), selected(other.selected),
      sourceExtension(other.sourceExtension), sourceBitsPerPixel(other.sourceBitsPerPixel),
      sourceColorTable(other.sourceColorTable), m_pixels(copyOf(other.m_pixels)),
      m_workBuffer(copyOf(other.m_workBuffer)), m_width(other.m_width), m_height(other.m_height)
{}

ImageObject &ImageObject::operator=(const ImageObject &other)
{
    if (this != &other) {
        ImageObject copy(other);
        *this = std::move(copy);
    }
    return *this;
}

void ImageObject::replacePixels(cv::Mat pixels, int width, int height)
{
    cv::Mat work;
    if (mode == 2 && width > 0 && height > 0)
        work = newPixels(width, height);
    m_pixels = std::move(pixels);
    m_workBuffer = std::move(work);
    m_width = width;
    m_height = height;
}

int ImageObject::create(int width, int height, int newMode)
{
    if (!withinSides(width, height))
        return 0;
    cv::Mat pixels;
    cv::Mat work;
    try {
        if (width > 0 && height > 0) {
            pixels = newPixels(width, height);
            if (newMode == 2)
                work = newPixels(width, height);
        }
    } catch (const cv::Exception &) {
        return 0;
    } catch (const std::bad_alloc &) {
        return 0;
    }
    m_pixels = std::move(pixels);
    m_workBuffer = std::move(work);
    m_width = width;
    m_height = height;
    mode = newMode;
    sourceColorTable.clear();
    changed = true;
    return 1;
}

int ImageObject::load(const QString &filePath)
{
    return loadForSize(filePath, 0, 0);
}

int ImageObject::loadForSize(const QString &filePath, int width, int height)
{
    free();
    int result = 0;
    try {
        result = decodeInto(filePath, QSize(width, height));
    } catch (const cv::Exception &) {
        result = 0;
    } catch (const std::bad_alloc &) {
        result = 0;
    }
    if (result == 0) {
        free();
        return 0;
    }
    mode = 1;
    changed = false;
    sourceExtension = extensionOf(filePath);
    return 1;
}

int ImageObject::decodeInto(const QString &filePath, QSize scaledTo)
{
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    // The file is read whole (not mapped: another program cutting it short while it is read
    // would crash a mapped reader). No picture within the limits needs more than 8 bytes a
    // pixel, so a bigger file is no picture of ours.
    const qint64 fileSize = file.size();
    if (fileSize <= 0 || fileSize > kMaxDecodedPixels * 8)
        return 0;
    const QByteArray bytes = file.readAll();
    if (bytes.size() != fileSize)
        return 0;
    QBuffer buffer;
    buffer.setData(bytes);
    if (!buffer.open(QIODevice::ReadOnly))
        return 0;

    QImageReader reader(&buffer);
    reader.setAutoTransform(false);
    const QByteArray format = reader.format();
    if (format.isEmpty())
        return 0;
    // The header's size is checked before the decoder allocates anything for it.
    const QSize claimed = reader.size();
    if (claimed.isValid() && !decodable(claimed.width(), claimed.height()))
        return 0;
    // Qt decodes cut-off BMP, JPEG and GIF files into partly grey pictures without an error.
    if (format == "bmp" && !BmpCodec::isComplete(bytes))
        return 0;
    if (format == "jpeg" && !JpegStructure::isComplete(bytes))
        return 0;
    std::optional<GifCodec::FirstImage> gif;
    if (format == "gif") {
        QBuffer gifBuffer;
        gifBuffer.setData(bytes);
        if (!gifBuffer.open(QIODevice::ReadOnly))
            return 0;
        gif = GifCodec::readFirstImage(gifBuffer);
        if (!gif || !gif->complete)
            return 0;
    }

    // Opaque pictures arrive as RGB32 whatever their depth; a 32-bit BMP is the one that is
    // told apart, by its header. 16-bit ones (RGB555/565) count as 24.
    const int opaqueBits = format == "bmp" && BmpCodec::bitsPerPixel(bytes) == 32 ? 32 : 24;

    // A JPEG to be reduced is decoded at the smallest eighth of its size (libjpeg's scaled
    // decoding) that still covers the size asked for, without computing the pixels it would
    // drop; the caller's interpolation does the rest. Asking Qt for the final size instead
    // would add its own smooth scaling, a tenth of the whole time, for nothing.
    QSize claimedSize = claimed;
    if (format == "jpeg" && claimed.isValid() && scaledTo.isValid() && !scaledTo.isEmpty()) {
        const auto eighthsOf = [](int side, int eighths) { return (side * eighths + 7) / 8; };
        int eighths = 1;
        while (eighths < 8 && (eighthsOf(claimed.width(), eighths) < scaledTo.width() ||
                               eighthsOf(claimed.height(), eighths) < scaledTo.height()))
            ++eighths;
        if (eighths < 8) {
            claimedSize =
                QSize(eighthsOf(claimed.width(), eighths), eighthsOf(claimed.height(), eighths));
            reader.setScaledSize(claimedSize);
        }
    }

    // A picture announced in the pixels' own layout is decoded straight into them, saving a
    // second copy of what may be tens of megabytes; only for a size the file can hold.
    const QImage::Format announced = reader.imageFormat();
    const bool inPlace = claimed.isValid() && !gif && plausible(claimed, 4, fileSize) &&
                         (announced == QImage::Format_RGB32 || announced == QImage::Format_ARGB32);
    cv::Mat pixels;
    QImage image;
    if (inPlace) {
        pixels = newPixels(claimedSize.width(), claimedSize.height());
        image = QImage(pixels.data, claimedSize.width(), claimedSize.height(),
                       qsizetype(pixels.step), announced);
    }
    {
        // The full size: libjpeg's reduced decode may be up to twice the size asked for, and
        // other formats are decoded whole.
        const AllocationLimitScope limit(claimed, fileSize);
        if (!reader.read(&image))
            return 0;
    }
    if (image.isNull() || !decodable(image.width(), image.height()))
        return 0;
    if (inPlace && image.constBits() == pixels.data && image.format() == announced &&
        image.size() == claimedSize) {
        image = QImage();
        replacePixels(std::move(pixels), claimedSize.width(), claimedSize.height());
        sourceBitsPerPixel = announced == QImage::Format_ARGB32 ? 32 : opaqueBits;
        sourceColorTable.clear();
        return 1;
    }

    int bits = 0;
    QList<QRgb> table;
    pixels = newPixels(image.width(), image.height());
    std::array<QRgb, 256> lut;
    lut.fill(qRgb(0, 0, 0));
    switch (image.format()) {
    case QImage::Format_Mono:
    case QImage::Format_MonoLSB:
    case QImage::Format_Indexed8: {
        // Depths below 8 are widened: the palette and the pixels stay as they were.
        image = image.convertToFormat(QImage::Format_Indexed8);
        if (image.isNull())
            return 0;
        table = image.colorTable();
        for (qsizetype i = 0; i < table.size() && i < 256; ++i)
            lut[size_t(i)] = table[i] | 0xff000000u;
        copyIndexed(image, lut, pixels);
        bits = 8;
        break;
    }
    case QImage::Format_Grayscale8:
    case QImage::Format_Grayscale16: {
        image = image.convertToFormat(QImage::Format_Grayscale8);
        if (image.isNull())
            return 0;
        for (int i = 0; i < 256; ++i) {
            lut[size_t(i)] = qRgb(i, i, i);
            table.append(lut[size_t(i)]);
        }
        copyIndexed(image, lut, pixels);
        bits = 8;
        break;
    }
    default:
        if (gif) {
            // Qt hands GIF pixels over as 32-bit colours; the palette comes from the file.
            // Like every 8-bit picture they become opaque, the transparent ones taking their
            // palette entry's colour.
            image = image.convertToFormat(QImage::Format_ARGB32);
            if (image.isNull())
                return 0;
            table = gif->colorTable;
            const QRgb transparent = gif->transparentIndex >= 0
                                         ? table[gif->transparentIndex] | 0xff000000u
                                         : qRgb(0, 0, 0);
            for (int y = 0; y < image.height(); ++y) {
                const auto *in = reinterpret_cast<const QRgb *>(image.constScanLine(y));
                auto *out = pixels.ptr<QRgb>(y);
                for (int x = 0; x < image.width(); ++x)
                    out[x] = qAlpha(in[x]) == 0 ? transparent : in[x] | 0xff000000u;
            }
            bits = 8;
        } else if (image.hasAlphaChannel()) {
            image = image.convertToFormat(QImage::Format_ARGB32);
            if (image.isNull())
                return 0;
            copyRows(image, pixels);
            bits = 32;
        } else {
            image = image.convertToFormat(QImage::Format_RGB32);
            if (image.isNull())
                return 0;
            copyRows(image, pixels);
            bits = opaqueBits;
        }
        break;
    }

    replacePixels(std::move(pixels), image.width(), image.height());
    sourceBitsPerPixel = bits;
    sourceColorTable = table;
    return 1;
}

int ImageObject::loadWithInfo(const QString &filePath)
{
    if (load(filePath) == 0)
        return 0;
    const QFileInfo info(filePath);
    FileStatus status;
    status.lastWrite = secondsOf(info.lastModified());
    // Not every file system keeps a creation time; the last write is the closest stand-in.
    const QDateTime born = info.birthTime();
    status.created = born.isValid() ? secondsOf(born) : status.lastWrite;
    status.lastAccess = secondsOf(info.lastRead());
    status.size = info.size();
    status.attributes = quint32(info.permissions().toInt());
    path = filePath;
    fileStatus = status;
    loadedWidth = m_width;
    loadedHeight = m_height;
    return 1;
}

int ImageObject::resize(int width, int height, int interpolation)
{
    if (m_pixels.empty() || width <= 0 || height <= 0 || width > kMaxSide ||
        height > kMaxResizeHeight)
        return 0;
    if (interpolation != Nearest && interpolation != Bilinear && interpolation != Bicubic)
        return 0;
    try {
        cv::Mat scaled;
        scaled.allocator = PixelAllocator::instance();
        cv::resize(m_pixels, scaled, cv::Size(width, height), 0, 0, interpolation);
        replacePixels(std::move(scaled), width, height);
    } catch (const cv::Exception &) {
        return 0;
    } catch (const std::bad_alloc &) {
        return 0;
    }
    changed = true;
    return 1;
}

int ImageObject::fitIntoBox(int boxWidth, int boxHeight, quint32 background)
{
    if (!withinSides(boxWidth, boxHeight))
        return 0;
    if (boxWidth == m_width && boxHeight == m_height)
        return 1;
    try {
        cv::Mat box;
        if (boxWidth > 0 && boxHeight > 0) {
            box = newPixels(boxWidth, boxHeight);
            box.setTo(scalarOf(background));
            if (!m_pixels.empty()) {
                // Single precision and truncation, so that thumbnails come out at the same
                // sizes as they always have (7 pixels into 31 give 30, not 31).
                const float factor =
                    std::min(float(boxWidth) / float(m_width), float(boxHeight) / float(m_height));
                const int scaledWidth =
                    std::max(std::min(int(float(m_width) * factor), boxWidth), 1);
                const int scaledHeight =
                    std::max(std::min(int(float(m_height) * factor), boxHeight), 1);
                cv::Mat target =
                    box(cv::Rect((boxWidth - scaledWidth) / 2, (boxHeight - scaledHeight) / 2,
                                 scaledWidth, scaledHeight));
                cv::resize(m_pixels, target, target.size(), 0, 0, cv::INTER_NEAREST);
            }
        }
        replacePixels(std::move(box), boxWidth, boxHeight);
    } catch (const cv::Exception &) {
        return 0;
    } catch (const std::bad_alloc &) {
        return 0;
    }
    changed = true;
    return 1;
}

void ImageObject::fill(int left, int top, int right, int bottom, quint32 value)
{
    const int x0 = std::max(left, 0);
    const int y0 = std::max(top, 0);
    const int x1 = std::min(right, m_width);
    const int y1 = std::min(bottom, m_height);
    if (m_pixels.empty() || x0 >= x1 || y0 >= y1)
        return;
    m_pixels(cv::Rect(x0, y0, x1 - x0, y1 - y0)).setTo(scalarOf(value));
    changed = true;
}

int ImageObject::drawInto(QImage &bitmap) const
{
    if (m_pixels.empty() || bitmap.width() != m_width || bitmap.height() != m_height)
        return 0;
    switch (bitmap.format()) {
    case QImage::Format_Invalid:
    case QImage::Format_Mono:
    case QImage::Format_MonoLSB:
    case QImage::Format_Indexed8:
        return 0; // their palettes are the caller's
    case QImage::Format_ARGB32:
        for (int y = 0; y < m_height; ++y)
            std::memcpy(bitmap.scanLine(y), m_pixels.ptr(y), size_t(m_width) * 4);
        return 1;
    case QImage::Format_RGB32:
        // RGB32 promises 0xff in the fourth byte; painting relies on it.
        for (int y = 0; y < m_height; ++y) {
            const auto *in = m_pixels.ptr<QRgb>(y);
            auto *out = reinterpret_cast<QRgb *>(bitmap.scanLine(y));
            for (int x = 0; x < m_width; ++x)
                out[x] = in[x] | 0xff000000u;
        }
        return 1;
    default: {
        const QImage converted = argbView(m_pixels).convertToFormat(bitmap.format());
        if (converted.isNull())
            return 0;
        const size_t rowBytes = size_t(std::min(converted.bytesPerLine(), bitmap.bytesPerLine()));
        for (int y = 0; y < m_height; ++y)
            std::memcpy(bitmap.scanLine(y), converted.constScanLine(y), rowBytes);
        return 1;
    }
    }
}

int ImageObject::save(const QString &filePath) const
{
    if (m_pixels.empty())
        return 0;
    const Encoder encoder = chooseEncoder(sourceExtension, filePath);
    if (encoder == Encoder::None)
        return 0;

    const QImage view = argbView(m_pixels);
    // The target is replaced only by a complete file: a failed save leaves it as it was.
    QSaveFile file(filePath);
    if (!file.open(QIODevice::WriteOnly))
        return 0;
    bool written = false;
    try {
        if (sourceBitsPerPixel > 0 && sourceBitsPerPixel <= 8) {
            // Back onto the source's palette where there is one (the nearest entry for colours
            // that scaling made), else reduced to 256 colours.
            const QImage indexed = sourceColorTable.isEmpty()
                                       ? ColorQuantizer::toIndexed8(view, false)
                                       : ColorQuantizer::toIndexed8(view, sourceColorTable);
            written = encoder == Encoder::Gif ? GifCodec::writeIndexed8(indexed, file)
                                              : writeWithQt(indexed, encoder, file);
        } else if (sourceBitsPerPixel == 16 || sourceBitsPerPixel == 24) {
            if (encoder == Encoder::Gif)
                written = GifCodec::writeIndexed8(ColorQuantizer::toIndexed8(view, false), file);
            else // Qt writes RGB32 as 24 bits in BMP, PNG, TIFF and JPEG
                written = writeWithQt(view.convertToFormat(QImage::Format_RGB32), encoder, file);
        } else {
            // A 32-bit picture whose alpha is 0 throughout (a screen grab, a 32-bit bitmap
            // whose fourth byte is unused) would be saved invisible; its alpha means nothing.
            QImage argb = view;
            if (allAlphaZero(m_pixels)) {
                argb = view.convertToFormat(QImage::Format_RGB32);
                argb.reinterpretAsFormat(QImage::Format_ARGB32);
            }
            switch (encoder) {
            case Encoder::Bmp:
                written = BmpCodec::writeArgb32(argb, file);
                break;
            case Encoder::Gif:
                written = GifCodec::writeIndexed8(ColorQuantizer::toIndexed8(argb, true), file);
                break;
            case Encoder::Jpeg: // no alpha in JPEG
                written = writeWithQt(argb.convertToFormat(QImage::Format_RGB32), encoder, file);
                break;
            default:
                written = writeWithQt(argb, encoder, file);
                break;
            }
        }
    } catch (const std::bad_alloc &) {
        written = false;
    }
    if (!written) {
        file.cancelWriting();
        return 0;
    }
    return file.commit() ? 1 : 0;
}

void ImageObject::free()
{
    m_pixels.release();
    m_workBuffer.release();
    m_width = 0;
    m_height = 0;
    sourceColorTable.clear();
}

bool ImageObject::readImageSize(const QString &filePath, int *width, int *height)
{
    QImageReader reader(filePath);
    reader.setDecideFormatFromContent(true);
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty())
        return false;
    if (width != nullptr)
        *width = size.width();
    if (height != nullptr)
        *height = size.height();
    return true;
}

} // namespace velmo::img
