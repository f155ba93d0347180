// FolderLock: one program at a time in a folder that a run fills and sweeps (a site's working
// folder), through an advisory lock that the system lets go when the program ends, however.
#pragma once

#include <QString>

namespace velmo {

class FolderLock
{
public:
    // Takes the lock of folder (the file beside it, folder + ".lock") without waiting.
    explicit FolderLock(const QString &folder);
    ~FolderLock();
    FolderLock(const FolderLock &) = delete;
    FolderLock &operator=(const FolderLock &) = delete;

    // True when another program (or another lock in this one) holds it. A lock file that cannot
    // be made at all does not count: the run then fails on its own files, and says why.
    bool isHeldElsewhere() const { return m_heldElsewhere; }

private:
    int m_fd = -1;
    bool m_heldElsewhere = false;
};

} // namespace velmo
