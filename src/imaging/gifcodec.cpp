// giflib glue: reading the first image's palette and writing single-image GIF89a files, both
// through QIODevice callbacks.
#include "imaging/gifcodec.h"

#include <memory>
#include <vector>

#include <gif_lib.h>

namespace velmo::img {

namespace {

int readFromDevice(GifFileType *gif, GifByteType *buffer, int length)
{
    auto *device = static_cast<QIODevice *>(gif->UserData);
    const qint64 got = device->read(reinterpret_cast<char *>(buffer), length);
    return got < 0 ? 0 : int(got);
}

// giflib ignores the result of its last writes (the trailer), so failures are remembered here.
struct Output
{
    QIODevice *device = nullptr;
    bool failed = false;
};

int writeToDevice(GifFileType *gif, const GifByteType *buffer, int length)
{
    auto *output = static_cast<Output *>(gif->UserData);
    if (output->failed)
        return 0;
    if (output->device->write(reinterpret_cast<const char *>(buffer), length) != length) {
        output->failed = true;
        return 0;
    }
    return length;
}

struct DecoderCloser
{
    void operator()(GifFileType *gif) const
    {
        int error = 0;
        DGifCloseFile(gif, &error);
    }
};

struct MapDeleter
{
    void operator()(ColorMapObject *map) const { GifFreeMapObject(map); }
};

QList<QRgb> tableFrom(const ColorMapObject *map)
{
    QList<QRgb> table;
    if (map == nullptr || map->Colors == nullptr)
        return table;
    table.reserve(map->ColorCount);
    for (int i = 0; i < map->ColorCount; ++i) {
        const GifColorType &c = map->Colors[i];
        table.append(qRgb(c.Red, c.Green, c.Blue));
    }
    return table;
}

} // namespace

std::optional<GifCodec::FirstImage> GifCodec::readFirstImage(QIODevice &device)
{
    int error = 0;
    std::unique_ptr<GifFileType, DecoderCloser> gif(DGifOpen(&device, readFromDevice, &error));
    if (!gif)
        return std::nullopt;
    FirstImage result;
    for (;;) {
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif.get(), &type) == GIF_ERROR)
            return std::nullopt;
        if (type == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType *block = nullptr;
            if (DGifGetExtension(gif.get(), &code, &block) == GIF_ERROR)
                return std::nullopt;
            GraphicsControlBlock control;
            if (code == GRAPHICS_EXT_FUNC_CODE && block != nullptr &&
                DGifExtensionToGCB(block[0], block + 1, &control) == GIF_OK)
                result.transparentIndex = control.TransparentColor;
            while (block != nullptr) {
                if (DGifGetExtensionNext(gif.get(), &block) == GIF_ERROR)
                    return std::nullopt;
            }
        } else if (type == IMAGE_DESC_RECORD_TYPE) {
            if (DGifGetImageDesc(gif.get()) == GIF_ERROR)
                return std::nullopt;
            result.colorTable =
                tableFrom(gif->Image.ColorMap != nullptr ? gif->Image.ColorMap : gif->SColorMap);
            if (result.transparentIndex >= result.colorTable.size())
                result.transparentIndex = -1;
            if (result.transparentIndex >= 0) {
                QRgb &entry = result.colorTable[result.transparentIndex];
                entry = qRgba(qRed(entry), qGreen(entry), qBlue(entry), 0);
            }
            // Only the compressed blocks are walked: enough to know the data is all there.
            int codeSize = 0;
            GifByteType *block = nullptr;
            if (DGifGetCode(gif.get(), &codeSize, &block) == GIF_ERROR)
                return result;
            while (block != nullptr) {
                if (DGifGetCodeNext(gif.get(), &block) == GIF_ERROR)
                    return result;
            }
            result.complete = true;
            return result;
        } else {
            return std::nullopt; // the trailer, or junk, before any image
        }
    }
}

bool GifCodec::writeIndexed8(const QImage &image, QIODevice &device)
{
    const QList<QRgb> table = image.colorTable();
    if (image.format() != QImage::Format_Indexed8 || image.isNull() || table.isEmpty() ||
        table.size() > 256 || image.width() > kMaxSide || image.height() > kMaxSide)
        return false;

    int transparentIndex = -1;
    int mapSize = 2; // giflib wants a power of two
    while (mapSize < table.size())
        mapSize *= 2;
    std::vector<GifColorType> colours(size_t(mapSize), GifColorType{0, 0, 0});
    for (qsizetype i = 0; i < table.size(); ++i) {
        colours[size_t(i)] =
            GifColorType{GifByteType(qRed(table[i])), GifByteType(qGreen(table[i])),
                         GifByteType(qBlue(table[i]))};
        if (transparentIndex < 0 && qAlpha(table[i]) == 0)
            transparentIndex = int(i);
    }
    std::unique_ptr<ColorMapObject, MapDeleter> map(GifMakeMapObject(mapSize, colours.data()));
    if (!map)
        return false;

    Output output{&device, false};
    int error = 0;
    GifFileType *gif = EGifOpen(&output, writeToDevice, &error);
    if (gif == nullptr)
        return false;
    EGifSetGifVersion(gif, true);
    bool ok = EGifPutScreenDesc(gif, image.width(), image.height(), 8, 0, map.get()) == GIF_OK;
    if (ok && transparentIndex >= 0) {
        GraphicsControlBlock control{DISPOSAL_UNSPECIFIED, false, 0, transparentIndex};
        GifByteType extension[4];
        EGifGCBToExtension(&control, extension);
        ok = EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, extension) == GIF_OK;
    }
    if (ok)
        ok = EGifPutImageDesc(gif, 0, 0, image.width(), image.height(), false, nullptr) == GIF_OK;
    // EGifPutLine masks the line in place, so it gets a copy of each row.
    std::vector<GifPixelType> line(size_t(image.width()));
    for (int y = 0; ok && y < image.height(); ++y) {
        const uchar *row = image.constScanLine(y);
        line.assign(row, row + image.width());
        ok = EGifPutLine(gif, line.data(), image.width()) == GIF_OK;
    }
    const bool closed = EGifCloseFile(gif, &error) == GIF_OK;
    return ok && closed && !output.failed;
}

} // namespace velmo::img
