// Opening and saving .vlm documents.
#include "model/documentfile.h"

#include <optional>

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <sys/stat.h>

#include "model/archive.h"
#include "model/document.h"
#include "model/fileutil.h"
#include "model/guardedmapping.h"

namespace velmo {

namespace {

QString openFailure(const QString &path, const QString &detail)
{
    return QStringLiteral("ファイル「%1」を開けませんでした。\r\n%2").arg(path, detail);
}

QString saveFailure(const QString &path, const QString &detail)
{
    return QStringLiteral("ファイル「%1」に保存できませんでした。\r\n%2").arg(path, detail);
}

} // namespace

bool DocumentFile::openBytes(Document &global, QByteArrayView bytes, QString *error,
                             QString *userError)
{
    // An empty file is opened without reading: nothing of the current model is replaced.
    if (bytes.isEmpty())
        return true;
    global.newDocument();
    Archive ar = Archive::forReading(bytes);
    try {
        global.load(ar);
    } catch (const ArchiveError &e) {
        // What was read stays until this reset; the sites go, the catalogues keep what they got.
        global.newDocument();
        if (error != nullptr)
            *error = e.message();
        if (userError != nullptr)
            *userError = e.userMessage();
        return false;
    }
    return true;
}

bool DocumentFile::open(Document &global, const QString &path)
{
    return open(global, path, {});
}

bool DocumentFile::open(Document &global, const QString &path,
                        const std::function<void()> &afterMapping)
{
    QFile file(path);
    const QFileInfo info(path);
    if (info.isDir()) {
        global.report(openFailure(path, QStringLiteral("フォルダは文書として開けません。")));
        return false;
    }
    // A FIFO would block for ever, and a device reads as an empty file or without end.
    if (info.exists() && !info.isFile()) {
        global.report(openFailure(
            path, QStringLiteral("通常のファイルではないため、文書として開けません。")));
        return false;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        global.report(openFailure(path, file.errorString()));
        return false;
    }
    // Mapping keeps a large document out of the heap and saves copying it (three times
    // faster here than reading 50 MB); fall back to reading where the file system cannot map.
    QByteArray buffer;
    QByteArrayView bytes;
    const qint64 size = file.size();
    std::optional<GuardedMapping> mapping;
    if (size > 0) {
        uchar *mapped = file.map(0, size);
        if (mapped != nullptr)
            mapping.emplace(mapped, size);
        if (mapping && mapping->isValid()) {
            bytes = QByteArrayView(mapped, size);
        } else {
            mapping.reset();
            if (mapped != nullptr)
                file.unmap(mapped);
            buffer = file.readAll();
            if (file.error() != QFileDevice::NoError) {
                global.report(openFailure(path, file.errorString()));
                return false;
            }
            bytes = buffer;
        }
    }
    if (afterMapping)
        afterMapping();
    QString error;
    QString userError;
    const bool read = openBytes(global, bytes, &error, &userError);
    // A file still being copied or written reads as zeros past its new end, or misses what
    // was added: whatever the parse made of it is not the document.
    struct stat now = {};
    if ((mapping && mapping->wasCutShort()) || ::fstat(file.handle(), &now) != 0 ||
        now.st_size != size) {
        if (size > 0)
            global.newDocument();
        global.report(openFailure(
            path, QStringLiteral("読み込みの途中でファイルが変更されました（ほかのプログラムが"
                                 "書き込み中の可能性があります）。書き込みが終わってから開き"
                                 "直してください。")));
        return false;
    }
    if (!read) {
        global.report(openFailure(path, userError));
        return false;
    }
    return true;
}

bool DocumentFile::toBytes(const Document &global, QByteArray &out, QString *error)
{
    // Emptied but not freed: a caller encoding again and again (the autosave) reuses memory it
    // has already faulted in, which is most of the cost for a large document.
    out.resize(0);
    Archive ar = Archive::forWriting(out);
    try {
        global.store(ar);
    } catch (const ArchiveError &e) {
        out.clear();
        if (error != nullptr)
            *error = e.message();
        return false;
    }
    return true;
}

bool DocumentFile::save(const Document &global, const QString &path)
{
    // Saving replaces the file: over a device or a FIFO (/dev/null as root) that would put a
    // regular file in its place.
    const QFileInfo target(path);
    if (target.exists() && !target.isFile()) {
        global.report(
            saveFailure(path, QStringLiteral("通常のファイルではないため、上書きできません。")));
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        global.report(saveFailure(path, file.errorString()));
        return false;
    }
    // Streamed rather than built in memory first: a large document then costs neither its
    // size in memory nor the time of faulting that memory in.
    Archive ar = Archive::forWriting(file);
    try {
        global.store(ar);
        ar.flush();
    } catch (const ArchiveError &e) {
        // Either the file refused bytes or the document holds a value the format cannot carry.
        const bool writeFailed = file.error() != QFileDevice::NoError;
        file.cancelWriting();
        global.report(
            saveFailure(path, writeFailed ? writeFailureReason(0, path, file.pos()) : e.message()));
        return false;
    }
    // QSaveFile's own text for a failed commit is often "Unknown error", and it keeps no
    // errno: the reason is judged from the name and the free space instead.
    if (!file.commit()) {
        global.report(saveFailure(path, writeFailureReason(0, path, file.pos())));
        return false;
    }
    return true;
}

} // namespace velmo
