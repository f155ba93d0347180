// Writing into a folder without following links below it: every path is resolved from the
// folder's own descriptor, and the last step of every write is a rename of a new file.
#include "model/confinedfolder.h"

#include <cerrno>

#include <QDirIterator>
#include <QFile>
#include <QList>

#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "model/fileutil.h"

namespace velmo {

namespace {

bool fail(QString *reason, int error, const QString &path)
{
    if (reason != nullptr)
        *reason = writeFailureReason(error, path);
    return false;
}

// Closes a descriptor when it goes out of scope, keeping errno as it was.
struct Descriptor
{
    int fd = -1;
    explicit Descriptor(int descriptor) : fd(descriptor) {}
    ~Descriptor()
    {
        if (fd >= 0) {
            const int error = errno;
            ::close(fd);
            errno = error;
        }
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
};

ConfinedFolder::Kind kindOf(mode_t mode)
{
    if (S_ISREG(mode))
        return ConfinedFolder::Kind::File;
    if (S_ISLNK(mode))
        return ConfinedFolder::Kind::Link;
    if (S_ISDIR(mode))
        return ConfinedFolder::Kind::Folder;
    return ConfinedFolder::Kind::Other;
}

} // namespace

ConfinedFolder::ConfinedFolder(const QString &root) : m_root(root)
{
    QString reason;
    if (createFolderPath(root + QStringLiteral("/a"), &reason) == 0) {
        m_openError = reason;
        return;
    }
    m_fd = ::open(QFile::encodeName(root).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_fd < 0)
        m_openError = writeFailureReason(errno, root);
}

ConfinedFolder::~ConfinedFolder()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool ConfinedFolder::isPlainRelativePath(const QString &path)
{
    if (path.isEmpty() || path.startsWith(u'/') || path.contains(u'\\') || path.contains(QChar(0)))
        return false;
    for (QStringView step : QStringView(path).split(u'/')) {
        if (step.isEmpty() || step == u"." || step == u"..")
            return false;
    }
    return true;
}

int ConfinedFolder::walkTo(const QList<QByteArray> &folders, bool create) const
{
    int fd = ::fcntl(m_fd, F_DUPFD_CLOEXEC, 0);
    for (const QByteArray &folder : folders) {
        if (fd < 0)
            return -1;
        const Descriptor current(fd);
        fd = ::openat(current.fd, folder.constData(),
                      O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0 && errno == ENOENT && create) {
            // Another writer may make it meanwhile.
            if (::mkdirat(current.fd, folder.constData(), 0777) != 0 && errno != EEXIST)
                return -1;
            fd = ::openat(current.fd, folder.constData(),
                          O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        }
        if (fd < 0 && errno == ENOTDIR) {
            // O_NOFOLLOW with O_DIRECTORY may say "not a folder" of a link: a link it is.
            struct stat info
            {};
            if (::fstatat(current.fd, folder.constData(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
                S_ISLNK(info.st_mode))
                errno = ELOOP;
            else
                errno = ENOTDIR;
        }
    }
    return fd;
}

int ConfinedFolder::openParent(const QString &relative, bool create, QByteArray *name) const
{
    if (m_fd < 0 || !isPlainRelativePath(relative)) {
        errno = EINVAL;
        return -1;
    }
    QList<QByteArray> steps = QFile::encodeName(relative).split('/');
    *name = steps.takeLast();
    if (steps.isEmpty())
        return ::fcntl(m_fd, F_DUPFD_CLOEXEC, 0);
    // One call resolves the whole folder path where the kernel offers it (Linux 5.6 on); the
    // step-by-step walk is the same check, and the one that makes missing folders.
    open_how how{};
    how.flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
    how.resolve = RESOLVE_NO_SYMLINKS | RESOLVE_BENEATH;
    const QByteArray folder = steps.join('/');
    const int fd = int(::syscall(SYS_openat2, m_fd, folder.constData(), &how, sizeof how));
    // EPERM: a sandbox that filters the call.
    if (fd >= 0 || !(errno == ENOSYS || errno == EPERM || (errno == ENOENT && create)))
        return fd;
    return walkTo(steps, create);
}

ConfinedFolder::Entry ConfinedFolder::entry(const QString &relative) const
{
    if (m_fd < 0 || !isPlainRelativePath(relative))
        return {Kind::Blocked, 0, {}};
    // One look, as publishing asks it of every file: a link among the folders on the way is
    // followed for it, which changes nothing; every change goes through openParent.
    struct stat info
    {};
    if (::fstatat(m_fd, QFile::encodeName(relative).constData(), &info, AT_SYMLINK_NOFOLLOW) != 0)
        return {errno == ENOENT ? Kind::Missing : Kind::Blocked, 0, {}};
    return {kindOf(info.st_mode), qint64(info.st_size), info.st_mtim};
}

bool ConfinedFolder::placeFile(const QString &relative, QString *reason,
                               const std::function<int(int fd)> &fill) const
{
    const QString path = m_root + u'/' + relative;
    QByteArray name;
    const Descriptor parent(openParent(relative, true, &name));
    if (parent.fd < 0)
        return fail(reason, errno, path);
    struct stat info
    {};
    if (::fstatat(parent.fd, name.constData(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
        !S_ISREG(info.st_mode))
        return fail(reason,
                    S_ISLNK(info.st_mode)   ? ELOOP
                    : S_ISDIR(info.st_mode) ? EISDIR
                                            : EEXIST,
                    path);
    QByteArray temporary;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 8; ++attempt) {
        temporary = QFile::encodeName(temporaryFileName());
        fd = ::openat(parent.fd, temporary.constData(),
                      O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0)
        return fail(reason, errno, path);
    int error = fill(fd);
    if (error == 0 &&
        ::renameat(parent.fd, temporary.constData(), parent.fd, name.constData()) != 0)
        error = errno;
    if (error != 0) {
        ::unlinkat(parent.fd, temporary.constData(), 0);
        return fail(reason, error, path);
    }
    return true;
}

bool ConfinedFolder::copyInto(const QString &source, const QString &relative,
                              const timespec *modified, QString *reason) const
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) {
        if (reason != nullptr)
            *reason = QStringLiteral("元のファイル %1 を読めません。").arg(source);
        return false;
    }
    return placeFile(relative, reason,
                     [&in, modified](int fd) { return copyToDescriptor(in, fd, modified); });
}

bool ConfinedFolder::writeBytes(const QString &relative, QByteArrayView bytes,
                                QString *reason) const
{
    return placeFile(relative, reason, [bytes](int fd) { return writeToDescriptor(fd, bytes); });
}

std::optional<QByteArray> ConfinedFolder::readBytes(const QString &relative, qint64 maxBytes) const
{
    QByteArray name;
    const Descriptor parent(openParent(relative, false, &name));
    if (parent.fd < 0)
        return std::nullopt;
    // Without blocking: a FIFO put there must not stop the output.
    const int fd =
        ::openat(parent.fd, name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    QFile file;
    struct stat info
    {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > maxBytes ||
        !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return std::nullopt;
    }
    QByteArray bytes = file.read(maxBytes + 1);
    if (bytes.size() > maxBytes || file.error() != QFileDevice::NoError)
        return std::nullopt;
    return bytes;
}

bool ConfinedFolder::holdsSameBytes(const QString &source, const QString &relative) const
{
    QByteArray name;
    const Descriptor parent(openParent(relative, false, &name));
    if (parent.fd < 0)
        return false;
    const int fd =
        ::openat(parent.fd, name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    QFile target;
    struct stat info
    {};
    if (fd < 0)
        return false;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) ||
        !target.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly) || in.size() != target.size())
        return false;
    // Pieces, so that comparing large pictures does not hold both files in memory.
    constexpr qint64 kChunk = 1 << 16;
    while (!in.atEnd()) {
        const QByteArray left = in.read(kChunk);
        if (left.isEmpty() || left != target.read(kChunk))
            return false;
    }
    return target.atEnd();
}

void ConfinedFolder::setModified(const QString &relative, const timespec &modified) const
{
    QByteArray name;
    const Descriptor parent(openParent(relative, false, &name));
    if (parent.fd < 0)
        return;
    const timespec times[2] = {{0, UTIME_OMIT}, modified};
    ::utimensat(parent.fd, name.constData(), times, AT_SYMLINK_NOFOLLOW);
}

bool ConfinedFolder::removeFile(const QString &relative) const
{
    QByteArray name;
    const Descriptor parent(openParent(relative, false, &name));
    if (parent.fd < 0)
        return false;
    struct stat info
    {};
    if (::fstatat(parent.fd, name.constData(), &info, AT_SYMLINK_NOFOLLOW) != 0 ||
        !S_ISREG(info.st_mode) || ::unlinkat(parent.fd, name.constData(), 0) != 0)
        return false;
    // Folders the removal emptied go too, up to the root; each reached the same way.
    QString folder = relative;
    for (qsizetype slash = folder.lastIndexOf(u'/'); slash > 0; slash = folder.lastIndexOf(u'/')) {
        folder.truncate(slash);
        QByteArray last;
        const Descriptor above(openParent(folder, false, &last));
        if (above.fd < 0 || ::unlinkat(above.fd, last.constData(), AT_REMOVEDIR) != 0)
            break;
    }
    return true;
}

int ConfinedFolder::removeLeftovers(const QSet<QString> &ownFiles) const
{
    if (m_fd < 0)
        return 0;
    // The listing does not descend into linked folders; each removal checks its path again.
    int removed = 0;
    QDirIterator it(m_root, QDir::Files | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    const qsizetype prefix = m_root.size() + 1;
    while (it.hasNext()) {
        const QString path = it.next();
        const QString name = it.fileName();
        const QString relative = path.mid(prefix);
        const bool leftover =
            isAbandonedTemporary(name) ||
            (name.endsWith(QStringLiteral(".part")) && ownFiles.contains(relative.chopped(5)));
        if (leftover && removeFile(relative))
            ++removed;
    }
    return removed;
}

} // namespace velmo
