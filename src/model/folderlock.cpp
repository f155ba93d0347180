// An flock(2) on a file beside the folder: released by the kernel when the program is killed,
// so that no stale lock ever needs clearing.
#include "model/folderlock.h"

#include <cerrno>

#include <QFile>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "model/fileutil.h"

namespace velmo {

FolderLock::FolderLock(const QString &folder)
{
    const QString path = folder + QStringLiteral(".lock");
    createFolderPath(path);
    m_fd = ::open(QFile::encodeName(path).constData(),
                  O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
    if (m_fd < 0)
        return;
    if (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
        m_heldElsewhere = errno == EWOULDBLOCK;
        ::close(m_fd);
        m_fd = -1;
    }
}

FolderLock::~FolderLock()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

} // namespace velmo
