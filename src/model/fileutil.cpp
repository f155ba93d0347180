// File, folder and path helpers: UTF-8 text files written only when changed, folder listings,
// folder creation, tree copies, guarded deletion, relative links and case-insensitive lookup.
#include "model/fileutil.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <limits>
#include <utility>

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <QStringDecoder>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velmo {

namespace {

QString withSlashes(const QString &path)
{
    QString unified = path;
    unified.replace(u'\\', u'/');
    return unified;
}

// Pieces between separators; an empty rest after the last separator is dropped, so a trailing
// "/" adds no component, while a leading one gives an empty first component.
QStringList splitComponents(const QString &text)
{
    QStringList pieces = text.split(u'/');
    if (!pieces.isEmpty() && pieces.constLast().isEmpty())
        pieces.removeLast();
    return pieces;
}

// Case-insensitive first, so that listings read naturally; case-sensitive as tie-break, so
// that "A.html" and "a.html" still come out in one fixed order.
void sortNames(QStringList &names)
{
    std::sort(names.begin(), names.end(), [](const QString &a, const QString &b) {
        const int folded = QString::compare(a, b, Qt::CaseInsensitive);
        return folded != 0 ? folded < 0 : QString::compare(a, b, Qt::CaseSensitive) < 0;
    });
}

QStringList listEntries(const QString &pattern, QDir::Filters kind)
{
    const QString unified = withSlashes(pattern);
    const qsizetype slash = unified.lastIndexOf(u'/');
    QString folder = slash < 0 ? QStringLiteral(".") : unified.left(slash);
    if (slash == 0)
        folder = QStringLiteral("/");
    QString mask = unified.mid(slash + 1);
    if (mask.isEmpty())
        return {};
    // "*.*" meant every entry on the original system; here it would demand a dot in the name.
    if (mask == u"*.*")
        mask = QStringLiteral("*");

    QDir dir(folder);
    if (!dir.exists())
        return {};
    // Without QDir::CaseSensitive the name filter ignores case, as the extension test should.
    // Dot files, this system's hidden entries, stay out: editors leave them beside templates.
    QStringList found = dir.entryList(QStringList{mask}, kind | QDir::NoDotAndDotDot, QDir::NoSort);
    sortNames(found);
    return found;
}

bool fail(QString *reason, int error, const QString &path)
{
    if (reason != nullptr)
        *reason = writeFailureReason(error, path);
    return false;
}

// Writes all of bytes to an open descriptor; errno tells why when it fails.
bool writeAll(int fd, const char *data, qint64 size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size_t(size));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            // A regular file never takes 0 bytes of a non-empty write but for want of space.
            if (n == 0)
                errno = ENOSPC;
            return false;
        }
        data += n;
        size -= n;
    }
    return true;
}

// A component over NAME_MAX or a path over PATH_MAX, as Linux file systems count them: bytes.
bool isNameTooLong(const QString &path)
{
    const QByteArray encoded = QFile::encodeName(path);
    if (encoded.size() >= 4096)
        return true;
    qsizetype start = 0;
    while (start <= encoded.size()) {
        qsizetype end = encoded.indexOf('/', start);
        if (end < 0)
            end = encoded.size();
        if (end - start > 255)
            return true;
        start = end + 1;
    }
    return false;
}

bool isStrictlyInside(const QString &path, const QString &root)
{
    const QString prefix = root.endsWith(u'/') ? root : root + u'/';
    return path.size() > prefix.size() && path.startsWith(prefix);
}

} // namespace

// The file holds exactly these bytes. Comparing bytes rather than decoded text means a file
// that differs only by a byte-order mark or by invalid UTF-8 counts as changed and is
// rewritten clean.
bool fileHoldsBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    if (file.size() != bytes.size())
        return false;
    return file.readAll() == bytes;
}

// Straight system calls rather than QFile: its error text is English and its error code does
// not tell a full disk from a name too long, and the user must hear which.
bool writeFileBytes(const QString &path, const QByteArray &bytes, QString *reason)
{
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        return fail(reason, errno, path);
    const int error = writeToDescriptor(fd, bytes);
    return error == 0 || fail(reason, error, path);
}

QString writeFailureReason(int error, const QString &path, qint64 bytesNeeded)
{
    switch (error) {
    case 0:
        break;
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("ディスクがいっぱいです。");
    case ENAMETOOLONG:
        return QStringLiteral("名前が長すぎます（ファイル名・フォルダ名は 255 バイト、"
                              "パスは 4096 バイトまでです）。");
    case EACCES:
    case EPERM:
        return QStringLiteral("書き込む権限がありません。");
    case EROFS:
        return QStringLiteral("読み取り専用の場所です。");
    case EEXIST:
    case ENOTDIR:
        return QStringLiteral("フォルダを作る場所に同じ名前のファイルがあります。");
    case EISDIR:
        return QStringLiteral("同じ名前のフォルダがあります。");
    case EIO:
        return QStringLiteral("ディスクの読み書きでエラーが起きました。");
    case ELOOP:
        return QStringLiteral("シンボリックリンクを通しては書き込みません。");
    case ENOENT:
        return QStringLiteral("書き込む途中でフォルダかファイルがなくなりました。");
    default:
        return qt_error_string(error);
    }
    if (!path.isEmpty() && isNameTooLong(path))
        return writeFailureReason(ENAMETOOLONG);
    // The writer removed what it had written, so the space it filled is free again: the disk
    // counts as full when it cannot hold what was to be written, plus a little.
    if (!path.isEmpty()) {
        QFileInfo folder(QFileInfo(path).absolutePath());
        while (!folder.exists() && !folder.isRoot())
            folder.setFile(folder.absolutePath());
        const QStorageInfo storage(folder.absoluteFilePath());
        constexpr qint64 kMargin = 64 * 1024;
        if (storage.isValid() && storage.bytesAvailable() < bytesNeeded + kMargin)
            return writeFailureReason(ENOSPC);
    }
    return QStringLiteral("書き込めませんでした。");
}

std::optional<QByteArray> readTextFileBytes(const QString &path)
{
    // A FIFO or a device named by a document (or linked from a template folder) would block
    // the output for ever or read without end: only regular files of a sane size are text.
    const QFileInfo info(path);
    if (!info.isFile() || info.size() > kMaxTextFileBytes)
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    // The size it has and a byte more: asking for the limit at once would allocate and fault in
    // 16 MB for every read. A file that grew since it was looked at is read on, to the limit.
    QByteArray bytes = file.read(info.size() + 1);
    if (bytes.size() > info.size())
        bytes += file.read(kMaxTextFileBytes + 1 - bytes.size());
    if (bytes.size() > kMaxTextFileBytes || file.error() != QFileDevice::NoError)
        return std::nullopt;
    return bytes;
}

std::optional<QString> readTextFile(const QString &path)
{
    const std::optional<QByteArray> bytes = readTextFileBytes(path);
    if (!bytes)
        return std::nullopt;
    // The decoder drops a leading byte-order mark, which editors on other systems add and
    // which would otherwise travel into every generated page.
    QStringDecoder decoder(QStringDecoder::Utf8);
    return QString(decoder.decode(*bytes));
}

qsizetype sameTextInFile(const QString &text, const QString &path)
{
    return fileHoldsBytes(path, text.toUtf8()) ? text.size() : 0;
}

qsizetype writeTextFileIfChanged(const QString &text, const QString &path, QString *reason)
{
    const QByteArray bytes = text.toUtf8();
    // An empty text over an empty file is unchanged too, although its length reads as 0.
    if (fileHoldsBytes(path, bytes))
        return text.isEmpty() ? 1 : text.size();
    return writeFileBytes(path, bytes, reason) ? bytes.size() + 1 : 0;
}

bool writeTextFile(const QString &text, const QString &path, QString *reason)
{
    return writeFileBytes(path, text.toUtf8(), reason);
}

int sameFileContents(const QString &a, const QString &b)
{
    QFile first(a);
    QFile second(b);
    if (!first.open(QIODevice::ReadOnly) || !second.open(QIODevice::ReadOnly))
        return 0;
    if (first.size() != second.size())
        return 0;
    // Pieces, so that comparing large images does not hold both files in memory.
    constexpr qint64 kChunk = 1 << 16;
    while (!first.atEnd()) {
        const QByteArray left = first.read(kChunk);
        const QByteArray right = second.read(kChunk);
        if (left.isEmpty() || left != right)
            return 0;
    }
    return second.atEnd() ? 1 : 0;
}

bool fileExists(const QString &path)
{
    return !path.isEmpty() && QFileInfo::exists(path);
}

bool isDirectory(const QString &path)
{
    return !path.isEmpty() && QFileInfo(path).isDir();
}

std::optional<qint64> lastWriteTime(const QString &path)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists())
        return std::nullopt;
    return info.lastModified().toSecsSinceEpoch();
}

QStringList listFiles(const QString &pattern)
{
    return listEntries(pattern, QDir::Files);
}

QStringList undecodableNames(const QString &folder)
{
    QStringList names;
    DIR *dir = ::opendir(QFile::encodeName(folder).constData());
    if (dir == nullptr)
        return names;
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (QFile::encodeName(QFile::decodeName(name)) != name)
            names << QString::fromUtf8(name);
    }
    ::closedir(dir);
    sortNames(names);
    return names;
}

namespace {

// Takes fd, a folder open for reading, and closes it.
void listFolderInto(int fd, const QString &path, FolderTree &tree)
{
    DIR *dir = ::fdopendir(fd);
    if (dir == nullptr) {
        ::close(fd);
        return;
    }
    while (const dirent *entry = ::readdir(dir)) {
        const char *name = entry->d_name;
        if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
            continue;
        bool folder = entry->d_type == DT_DIR;
        // Some file systems do not say what an entry is.
        if (entry->d_type == DT_UNKNOWN) {
            struct stat status;
            folder = ::fstatat(::dirfd(dir), name, &status, AT_SYMLINK_NOFOLLOW) == 0 &&
                     S_ISDIR(status.st_mode);
        }
        QString child = path + u'/' + QFile::decodeName(name);
        if (!folder) {
            tree.files << std::move(child);
            continue;
        }
        // O_NOFOLLOW: a folder replaced by a link meanwhile is not entered.
        const int childFd =
            ::openat(::dirfd(dir), name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (childFd >= 0)
            listFolderInto(childFd, child, tree);
        tree.folders << std::move(child);
    }
    ::closedir(dir);
}

} // namespace

FolderTree listFolderTree(const QString &folder)
{
    FolderTree tree;
    const int fd =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    // Paths are written as QDir writes them: one slash between components, the root's too.
    QString prefix = folder;
    while (prefix.endsWith(u'/'))
        prefix.chop(1);
    if (fd >= 0)
        listFolderInto(fd, prefix, tree);
    return tree;
}

QStringList listFolders(const QString &pattern)
{
    return listEntries(pattern, QDir::Dirs);
}

int createFolderPath(const QString &path, QString *reason)
{
    // Doubled separators leave empty components, which are skipped below.
    const QStringList parts = splitComponents(withSlashes(path));
    if (parts.isEmpty())
        return 0;

    // The first component was a drive on the original system; here it is either empty (an
    // absolute path) or a folder of a relative path, which must exist like any other.
    QString folder = parts.first();
    const auto ensure = [reason](const QString &candidate) {
        if (isDirectory(candidate))
            return true;
        if (::mkdir(QFile::encodeName(candidate).constData(), 0777) == 0)
            return true;
        const int error = errno;
        // Another process may have made it meanwhile.
        return isDirectory(candidate) || fail(reason, error, candidate);
    };
    if (parts.size() > 1 && !folder.isEmpty() && !ensure(folder))
        return 0;
    for (qsizetype i = 1; i + 1 < parts.size(); ++i) {
        if (parts.at(i).isEmpty())
            continue;
        folder += u'/' + parts.at(i);
        if (!ensure(folder))
            return 0;
    }
    return 1;
}

void copyFolderTree(const QString &source, const QString &destination, const QSet<QString> &skipped,
                    QList<WriteFailure> *failures)
{
    if (!isDirectory(source))
        return;
    const auto failed = [failures](const QString &path, const QString &reason) {
        if (failures != nullptr)
            failures->append({path, reason});
    };
    QString reason;
    if (!isDirectory(destination) &&
        !createFolderPath(destination + QStringLiteral("/test.dat"), &reason)) {
        failed(destination, reason);
        return;
    }
    const QString sourceRoot = QFileInfo(source).canonicalFilePath();
    const QString destinationRoot = QFileInfo(destination).canonicalFilePath();
    if (sourceRoot.isEmpty() || destinationRoot.isEmpty() || sourceRoot == destinationRoot)
        return;

    // The listing is taken whole before anything is written, and the destination's own
    // subtree is left out: a destination inside the source would otherwise be copied into
    // itself again and again.
    QList<QFileInfo> entries;
    QDirIterator it(sourceRoot, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        const QFileInfo entry = it.fileInfo();
        const QString path = entry.filePath();
        if (path == destinationRoot || isStrictlyInside(path, destinationRoot))
            continue;
        entries << entry;
    }

    // Publishing a site walks thousands of files: the listing's own file information and one
    // look at each target decide most cases, and only targets of equal size are read.
    const qsizetype rootLength = sourceRoot.size();
    for (const QFileInfo &entry : std::as_const(entries)) {
        const QString from = entry.filePath();
        const QString target = destinationRoot + from.mid(rootLength);
        const QFileInfo existing(target);
        if (entry.isDir()) {
            if (!existing.isDir() && !createFolderPath(target + QStringLiteral("/a"), &reason))
                failed(target, reason);
            continue;
        }
        if (!skipped.isEmpty() && skipped.contains(from.mid(rootLength + 1)))
            continue;
        if (existing.exists() && existing.size() == entry.size() && sameFileContents(from, target))
            continue;
        if (!copyFileReplacing(from, target, &reason))
            failed(target, reason);
    }
}

bool copyFileReplacing(const QString &source, const QString &target, QString *reason)
{
    // Plain reads and writes: QFile::copy goes through a synced temporary file, which costs a
    // disk flush per file when a whole site is published.
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) {
        if (reason != nullptr)
            *reason = QStringLiteral("元のファイル %1 を読めません。").arg(source);
        return false;
    }
    // A fixed name beside the target ("x.part") would write through a link of that name and
    // collide with another writer; a fresh name created exclusively does neither.
    const QString folder = target.left(target.lastIndexOf(u'/') + 1);
    QByteArray partialName;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 8; ++attempt) {
        partialName = QFile::encodeName(folder + temporaryFileName());
        fd = ::open(partialName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                    0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0)
        return fail(reason, errno, target);
    const int error = copyToDescriptor(in, fd);
    if (error != 0) {
        ::unlink(partialName.constData());
        return fail(reason, error, target);
    }
    // rename(2) replaces the target in one step: readers never see a half-written file.
    if (::rename(partialName.constData(), QFile::encodeName(target).constData()) != 0) {
        const int renameError = errno;
        ::unlink(partialName.constData());
        return fail(reason, renameError, target);
    }
    return true;
}

int copyToDescriptor(QFile &in, int fd, const timespec *modified)
{
    constexpr qint64 kChunk = 1 << 16;
    int error = 0;
    while (error == 0 && !in.atEnd()) {
        const QByteArray piece = in.read(kChunk);
        if (piece.isEmpty())
            error = EIO;
        else if (!writeAll(fd, piece.constData(), piece.size()))
            error = errno;
    }
    if (error == 0 && modified != nullptr) {
        const timespec times[2] = {{0, UTIME_OMIT}, *modified};
        ::futimens(fd, times);
    }
    if (::close(fd) != 0 && error == 0)
        error = errno;
    return error;
}

int writeToDescriptor(int fd, QByteArrayView bytes)
{
    int error = writeAll(fd, bytes.data(), bytes.size()) ? 0 : errno;
    // Network file systems may report a full disk or quota only here.
    if (::close(fd) != 0 && error == 0)
        error = errno;
    return error;
}

QString temporaryFileName()
{
    static std::atomic<quint64> counter{0};
    // Asked once: every copy of a publication asks for a name.
    static const qint64 process = QCoreApplication::applicationPid();
    return QStringLiteral(".velmo-%1-%2.part").arg(process).arg(++counter);
}

std::optional<qint64> temporaryWriter(QStringView name)
{
    // ".velmo-<process>-<n>.part"
    constexpr QStringView kPrefix = u".velmo-";
    constexpr QStringView kSuffix = u".part";
    if (!name.startsWith(kPrefix) || !name.endsWith(kSuffix))
        return std::nullopt;
    const QStringView middle =
        name.sliced(kPrefix.size(), name.size() - kPrefix.size() - kSuffix.size());
    const qsizetype dash = middle.indexOf(u'-');
    bool processOk = false;
    bool counterOk = false;
    const qint64 process = middle.left(dash).toLongLong(&processOk);
    Q_UNUSED(middle.sliced(dash + 1).toULongLong(&counterOk));
    if (dash <= 0 || !processOk || !counterOk)
        return std::nullopt;
    return process;
}

bool isAbandonedTemporary(QStringView name)
{
    const std::optional<qint64> writer = temporaryWriter(name);
    return writer && *writer != QCoreApplication::applicationPid() && !processIsRunning(*writer);
}

bool processIsRunning(qint64 pid)
{
    if (pid <= 0 || pid > std::numeric_limits<pid_t>::max())
        return false;
    // EPERM: it runs, under another user.
    return ::kill(pid_t(pid), 0) == 0 || errno == EPERM;
}

int deleteFolder(const QString &path, const QString &temporaryRoot)
{
    if (path.isEmpty() || temporaryRoot.isEmpty())
        return 0;
    // Lexically first: ".." may not climb out of the root, and the path that was checked is
    // the one deleted.
    const QString target = QDir::cleanPath(QFileInfo(withSlashes(path)).absoluteFilePath());
    const QString root = QDir::cleanPath(QFileInfo(withSlashes(temporaryRoot)).absoluteFilePath());
    if (!isStrictlyInside(target, root))
        return 0;

    const QFileInfo info(target);
    if (!info.exists() && !info.isSymLink())
        return 1;

    // Then physically: a symbolic link among the folders above the target could lead outside.
    // The target itself is not resolved, so a link is removed as a link.
    const QString canonicalRoot = QFileInfo(root).canonicalFilePath();
    const QString canonicalParent = info.absoluteDir().canonicalPath();
    if (canonicalRoot.isEmpty() || canonicalParent.isEmpty())
        return 0;
    const QString physical = canonicalParent + u'/' + info.fileName();
    if (!isStrictlyInside(physical, canonicalRoot))
        return 0;

    if (info.isDir() && !info.isSymLink())
        return QDir(physical).removeRecursively() ? 1 : 0;
    return QFile::remove(physical) ? 1 : 0;
}

QString relativePath(const QString &target, const QString &base)
{
    return relativePath(pathComponents(target), pathComponents(base));
}

QStringList pathComponents(const QString &path)
{
    return splitComponents(withSlashes(path));
}

QString relativePath(const QStringList &targetParts, const QStringList &baseParts)
{
    const qsizetype baseFolders = !baseParts.isEmpty() && baseParts.constLast().contains(u'.')
                                      ? baseParts.size() - 1
                                      : baseParts.size();

    qsizetype common = 0;
    while (common < baseFolders && common < targetParts.size() &&
           baseParts.at(common) == targetParts.at(common))
        ++common;

    QString link;
    if (common == baseFolders)
        link = QStringLiteral("./");
    else
        link = QStringLiteral("../").repeated(baseFolders - common);
    // Only the last component can be a file; a folder whose name holds a dot ("v1.2") still
    // needs its separator, or the link would run into the next name.
    for (qsizetype i = common; i < targetParts.size(); ++i) {
        link += targetParts.at(i);
        if (i + 1 < targetParts.size() || !targetParts.at(i).contains(u'.'))
            link += u'/';
    }
    return link;
}

bool resolvesInside(const QString &path, const QString &folder)
{
    const QString resolved = QFileInfo(path).canonicalFilePath();
    const QString root = QFileInfo(folder).canonicalFilePath();
    return !resolved.isEmpty() && !root.isEmpty() && isStrictlyInside(resolved, root);
}

QString findFileIgnoringCase(const QString &path)
{
    if (path.isEmpty())
        return QString();
    const QString unified = withSlashes(path);
    if (QFileInfo::exists(unified))
        return unified;

    QString current = unified.startsWith(u'/') ? QStringLiteral("/") : QString();
    const auto join = [](const QString &folder, const QString &name) {
        if (folder.isEmpty())
            return name;
        return folder.endsWith(u'/') ? folder + name : folder + u'/' + name;
    };
    for (const QString &part : unified.split(u'/', Qt::SkipEmptyParts)) {
        const QString exact = join(current, part);
        if (part == u"." || part == u".." || QFileInfo::exists(exact)) {
            current = exact;
            continue;
        }
        QStringList entries =
            QDir(current.isEmpty() ? QStringLiteral(".") : current)
                .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::NoSort);
        // Several names may differ only by case; the sort makes the choice the same every run.
        sortNames(entries);
        const auto match = std::find_if(entries.cbegin(), entries.cend(), [&](const QString &name) {
            return QString::compare(name, part, Qt::CaseInsensitive) == 0;
        });
        if (match == entries.cend())
            return QString();
        current = join(current, *match);
    }
    return current;
}

QString userStateFolder()
{
    // The XDG base directory rules ignore a relative value.
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty() || QDir::isRelativePath(state))
        state = QDir::homePath() + QStringLiteral("/.local/state");
    return state + QStringLiteral("/velmo");
}

QString documentStateName(const QString &documentPath)
{
    const QString absolute = QFileInfo(documentPath).absoluteFilePath();
    const QString digest = QString::fromLatin1(
        QCryptographicHash::hash(absolute.toUtf8(), QCryptographicHash::Sha1).toHex().left(16));
    QString base = QFileInfo(absolute).completeBaseName().left(60);
    base.replace(u'/', u'_');
    return base + u'-' + digest;
}

} // namespace velmo
