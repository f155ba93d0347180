// libFuzzer entry over the document file: any bytes go through the reader, and whatever it
// accepts must save, reopen and save again to the very same bytes, streamed or not.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include <QBuffer>
#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include "model/archive.h"
#include "model/document.h"
#include "model/documentfile.h"
#include "model/messagereporter.h"

namespace {

class DroppingReporter : public velmo::MessageReporter
{
public:
    void showMessage(const QString &) override {}
};

[[noreturn]] void failRoundTrip(const char *what, const QString &detail = QString())
{
    std::fprintf(stderr, "round trip broken: %s %s\n", what, qPrintable(detail));
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    DroppingReporter silent;
    const QByteArrayView input(data, qsizetype(size));

    velmo::Document global;
    global.setReporter(&silent);
    if (!velmo::DocumentFile::openBytes(global, input))
        return 0;

    // A document that opened holds only values the writer can encode (times were read as
    // 32 bits), so failing to write it is a fault as much as a crash is.
    QByteArray first;
    QString error;
    if (!velmo::DocumentFile::toBytes(global, first, &error))
        failRoundTrip("first save failed:", error);

    // The first save may differ from the input (old tags, 8-bit strings, parent identities
    // corrected); from there on the bytes must be a fixed point.
    velmo::Document reopened;
    reopened.setReporter(&silent);
    if (!velmo::DocumentFile::openBytes(reopened, first, &error))
        failRoundTrip("reopening the saved bytes failed:", error);
    QByteArray second;
    if (!velmo::DocumentFile::toBytes(reopened, second, &error))
        failRoundTrip("second save failed:", error);
    if (first != second)
        failRoundTrip("the second save differs from the first");

    // Saving to a file streams through the archive's device buffer; it must write the same.
    QBuffer device;
    device.open(QIODevice::WriteOnly);
    velmo::Archive ar = velmo::Archive::forWriting(device);
    try {
        reopened.store(ar);
        ar.flush();
    } catch (const velmo::ArchiveError &e) {
        failRoundTrip("the streamed save failed:", e.message());
    }
    if (device.data() != second)
        failRoundTrip("the streamed save differs from the saved bytes");
    return 0;
}
