// The record of assembled pages: one small binary file, checked whole by its checksum, so that
// a damaged or foreign file costs assembling the pages again, never a wrong page.
#include "generator/assemblyrecord.h"

#include <memory>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QtEndian>

#include <sys/stat.h>
#include <unistd.h>
#include <xxhash.h>

#include "generator/littleendianreader.h"
#include "generator/littleendianwriter.h"
#include "model/archive.h"
#include "model/site.h"

namespace velmo::gen {

namespace {

// "VelmoAsm", then the layout's version: a file of another layout holds nothing.
constexpr char kMagic[8] = {'V', 'e', 'l', 'm', 'o', 'A', 's', 'm'};
constexpr quint32 kLayoutVersion = 1;
// The least a page takes: its path's length, the key, size, time, flag and picture count.
constexpr qsizetype kMinPageBytes = 4 + 16 + 8 + 8 + 1 + 4;
constexpr qsizetype kMinPictureBytes = 4 + 4 + 4 + 4;

class Hasher
{
public:
    Hasher() : m_state(XXH3_createState(), XXH3_freeState) { XXH3_128bits_reset(m_state.get()); }

    void bytes(const void *data, size_t size) { XXH3_128bits_update(m_state.get(), data, size); }
    template<typename T>
    void number(T value)
    {
        bytes(&value, sizeof(value));
    }
    void text(const QString &value)
    {
        number(qint64(value.size()));
        bytes(value.utf16(), size_t(value.size()) * 2);
    }
    AssemblyRecord::Key key() const
    {
        const XXH128_hash_t hash = XXH3_128bits_digest(m_state.get());
        return {hash.low64, hash.high64};
    }

private:
    std::unique_ptr<XXH3_state_t, decltype(&XXH3_freeState)> m_state;
};

// Hashes what is written to it: the site's data is hashed as it is stored, never held whole.
class HashingDevice : public QIODevice
{
public:
    explicit HashingDevice(Hasher &hash) : m_hash(hash) { open(QIODevice::WriteOnly); }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 size) override
    {
        m_hash.bytes(data, size_t(size));
        return size;
    }

private:
    Hasher &m_hash;
};

void addStat(Hasher &hash, const struct stat &info)
{
    hash.number(quint64(info.st_mode));
    hash.number(quint64(info.st_ino));
    hash.number(qint64(info.st_size));
    hash.number(qint64(info.st_mtim.tv_sec));
    hash.number(qint64(info.st_mtim.tv_nsec));
    hash.number(qint64(info.st_ctim.tv_sec));
    hash.number(qint64(info.st_ctim.tv_nsec));
}

// Adds path's entry; false for a link to a folder, whose content would not be looked at.
bool addEntry(Hasher &hash, const QString &path)
{
    const QByteArray local = QFile::encodeName(path);
    struct stat info = {};
    if (::lstat(local.constData(), &info) != 0) {
        hash.number(qint64(-1));
        return true;
    }
    addStat(hash, info);
    if (!S_ISLNK(info.st_mode))
        return true;
    char target[4096];
    const ssize_t length = ::readlink(local.constData(), target, sizeof(target));
    hash.bytes(target, length > 0 ? size_t(length) : 0);
    if (::stat(local.constData(), &info) != 0) {
        hash.number(qint64(-1));
        return true;
    }
    addStat(hash, info);
    return !S_ISDIR(info.st_mode);
}

bool addFolder(Hasher &hash, const QString &folder)
{
    hash.text(folder);
    struct stat info = {};
    if (::stat(QFile::encodeName(folder).constData(), &info) != 0) {
        hash.number(qint64(-1));
        return true;
    }
    addStat(hash, info);
    QStringList entries;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        entries << it.next();
    entries.sort();
    bool known = true;
    for (const QString &entry : std::as_const(entries)) {
        hash.text(entry);
        known &= addEntry(hash, entry);
    }
    return known;
}

quint64 checksumOf(QByteArrayView bytes)
{
    return XXH3_64bits(bytes.data(), size_t(bytes.size()));
}

bool readPage(LittleEndianReader &reader, QString &path, AssemblyRecord::Page &page)
{
    quint8 styleSheet = 0;
    quint32 pictures = 0;
    if (!reader.string(path) || !reader.number(page.bytes.low) || !reader.number(page.bytes.high) ||
        !reader.number(page.size) || !reader.number(page.changed) || !reader.number(styleSheet) ||
        styleSheet > 1 || !reader.number(pictures) ||
        qsizetype(pictures) > reader.left() / kMinPictureBytes)
        return false;
    page.trace.styleSheet = styleSheet != 0;
    page.trace.pictures.resize(qsizetype(pictures));
    for (AssemblyTrace::Picture &picture : page.trace.pictures) {
        qint32 width = 0;
        qint32 height = 0;
        if (!reader.string(picture.path) || !reader.number(width) || !reader.number(height) ||
            !reader.string(picture.address))
            return false;
        picture.width = width;
        picture.height = height;
    }
    return true;
}

void writePage(LittleEndianWriter &writer, const QString &path, const AssemblyRecord::Page &page)
{
    writer.string(path);
    writer.number(page.bytes.low);
    writer.number(page.bytes.high);
    writer.number(page.size);
    writer.number(page.changed);
    writer.number(quint8(page.trace.styleSheet ? 1 : 0));
    writer.number(quint32(page.trace.pictures.size()));
    for (const AssemblyTrace::Picture &picture : page.trace.pictures) {
        writer.string(picture.path);
        writer.number(qint32(picture.width));
        writer.number(qint32(picture.height));
        writer.string(picture.address);
    }
}

} // namespace

QString AssemblyRecord::fileFor(const QString &folder)
{
    // Named as the link check's cache of the same site is, in a folder beside its folder.
    const QFileInfo links(PageLinkCache::fileFor(folder));
    return QDir::cleanPath(links.path() + QStringLiteral("/../assembly/")) + u'/' +
           links.completeBaseName() + QStringLiteral(".pages");
}

AssemblyRecord::Key AssemblyRecord::runKey(const Site &site, const QStringList &values,
                                           const QStringList &folders)
{
    Hasher hash;
    hash.number(kLayoutVersion);
    // A site its file could not hold (a time past 2106) is made afresh each time.
    bool known = true;
    try {
        HashingDevice device(hash);
        Archive archive = Archive::forWriting(device);
        site.store(archive);
        archive.flush();
    } catch (const ArchiveError &) {
        known = false;
    }
    hash.number(qint64(values.size()));
    for (const QString &value : values)
        hash.text(value);
    for (const QString &folder : folders)
        known &= addFolder(hash, folder);
    if (!known) {
        // Never the key of another run.
        hash.number(QRandomGenerator::system()->generate64());
        hash.number(QRandomGenerator::system()->generate64());
    }
    return hash.key();
}

bool AssemblyRecord::stat(const QString &path, qint64 *size, qint64 *changed)
{
    struct stat info = {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    *size = info.st_size;
    // The status change time, which no program can set back, rather than the modification time.
    *changed = qint64(info.st_ctim.tv_sec) * 1000000000 + info.st_ctim.tv_nsec;
    return true;
}

AssemblyRecord::AssemblyRecord(QString file) : m_file(std::move(file))
{
    if (m_file.isEmpty())
        return;
    QFile in(m_file);
    if (!in.open(QIODevice::ReadOnly) || in.size() > kMaxFileBytes)
        return;
    // The size is asked again of what is read: the file may be replaced in between.
    const QByteArray bytes = in.read(kMaxFileBytes + 1);
    if (bytes.size() > kMaxFileBytes || bytes.size() < qsizetype(sizeof(kMagic) + 4 + 16 + 4 + 8))
        return;
    const QByteArrayView body = QByteArrayView(bytes).chopped(8);
    if (qFromLittleEndian<quint64>(bytes.constData() + body.size()) != checksumOf(body) ||
        !body.startsWith(QByteArrayView(kMagic, sizeof(kMagic))))
        return;
    LittleEndianReader reader(body);
    quint32 layout = 0;
    quint32 count = 0;
    Key runKey;
    if (!reader.skip(sizeof(kMagic)) || !reader.number(layout) || layout != kLayoutVersion ||
        !reader.number(runKey.low) || !reader.number(runKey.high) || !reader.number(count) ||
        qsizetype(count) > reader.left() / kMinPageBytes)
        return;
    QHash<QString, Page> pages;
    pages.reserve(qsizetype(count));
    for (quint32 i = 0; i < count; ++i) {
        QString path;
        Page page;
        if (!readPage(reader, path, page))
            return;
        pages.insert(path, std::move(page));
    }
    if (reader.left() != 0)
        return;
    m_runKey = runKey;
    m_pages = std::move(pages);
}

const AssemblyRecord::Page *AssemblyRecord::find(const Key &runKey, const QString &path) const
{
    if (runKey != m_runKey)
        return nullptr;
    const auto it = m_pages.constFind(path);
    if (it == m_pages.cend())
        return nullptr;
    qint64 size = 0;
    qint64 changed = 0;
    if (!stat(path, &size, &changed) || size != it->size || changed != it->changed)
        return nullptr;
    return &*it;
}

void AssemblyRecord::save(const Key &runKey, const QHash<QString, Page> &pages) const
{
    if (m_file.isEmpty() || (runKey == m_runKey && pages == m_pages))
        return;
    QByteArray bytes(kMagic, sizeof(kMagic));
    LittleEndianWriter writer(bytes);
    writer.number(kLayoutVersion);
    writer.number(runKey.low);
    writer.number(runKey.high);
    writer.number(quint32(pages.size()));
    for (auto it = pages.cbegin(); it != pages.cend(); ++it) {
        writePage(writer, it.key(), it.value());
        if (bytes.size() > kMaxFileBytes - 8) {
            forget();
            return;
        }
    }
    writer.number(checksumOf(bytes));
    QDir().mkpath(QFileInfo(m_file).path());
    QSaveFile out(m_file);
    // A record that cannot be written costs only assembling the pages again next time.
    if (out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size())
        out.commit();
}

void AssemblyRecord::forget() const
{
    if (!m_file.isEmpty())
        QFile::remove(m_file);
}

} // namespace velmo::gen
