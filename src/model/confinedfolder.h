// ConfinedFolder: a folder that other programs and people put files into as well (a published
// site), written, replaced and pruned without ever following a symbolic link below it.
#pragma once

#include <ctime>
#include <functional>
#include <optional>

#include <QByteArray>
#include <QSet>
#include <QString>

namespace velmo {

class ConfinedFolder
{
public:
    // What stands at a path below the folder. Blocked: a file where a folder of the path
    // should be, or a path that cannot be resolved.
    enum class Kind { Missing, File, Link, Folder, Other, Blocked };
    struct Entry
    {
        Kind kind = Kind::Missing;
        qint64 size = 0;
        timespec modified{};
    };

    // Opens root, making it when missing. Root itself may be a link: where a site is published
    // is the user's choice; only what lies below it is confined.
    explicit ConfinedFolder(const QString &root);
    ~ConfinedFolder();
    ConfinedFolder(const ConfinedFolder &) = delete;
    ConfinedFolder &operator=(const ConfinedFolder &) = delete;

    bool isOpen() const { return m_fd >= 0; }
    const QString &root() const { return m_root; }
    // Why the folder could not be opened, for the user.
    const QString &openError() const { return m_openError; }

    // Paths below are relative ("css/style.css"): no empty, "." or ".." component.
    // What stands at relative, looked at in one call: a link among the folders on its way is
    // followed for the look (Blocked only where the path cannot be resolved at all).
    Entry entry(const QString &relative) const;
    // Copies source to relative through a new temporary file renamed into place, making the
    // folders on the way. Fails (with ELOOP's reason) rather than pass a link, and never
    // replaces one: relative must be missing or a file.
    bool copyInto(const QString &source, const QString &relative, const timespec *modified,
                  QString *reason) const;
    // The same for bytes.
    bool writeBytes(const QString &relative, QByteArrayView bytes, QString *reason) const;
    // A regular file's bytes up to maxBytes; nothing for anything else.
    std::optional<QByteArray> readBytes(const QString &relative, qint64 maxBytes) const;
    // True when relative is a regular file holding the same bytes as source.
    bool holdsSameBytes(const QString &source, const QString &relative) const;
    void setModified(const QString &relative, const timespec &modified) const;
    // Removes relative when it is a regular file, then the folders that leaves empty; a link
    // is never removed nor passed.
    bool removeFile(const QString &relative) const;
    // Removes what killed outputs left: temporary files of programs no longer running, and
    // "<name>.part" files of earlier versions where name is one of ownFiles. The number removed.
    int removeLeftovers(const QSet<QString> &ownFiles) const;

    static bool isPlainRelativePath(const QString &path);

private:
    // The folder that holds relative's last component, reached without following a link, and
    // that component's name; -1 with errno set when it cannot be reached.
    int openParent(const QString &relative, bool create, QByteArray *name) const;
    int walkTo(const QList<QByteArray> &folders, bool create) const;
    bool placeFile(const QString &relative, QString *reason,
                   const std::function<int(int fd)> &fill) const;

    QString m_root;
    QString m_openError;
    int m_fd = -1;
};

} // namespace velmo
