// RemoteListing: what one folder on the server holds, read from the listing the server sends —
// MLSD facts on FTP servers that offer them, the "ls -l" lines of SFTP and older FTP servers.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

namespace velmo::deploy {

class RemoteListing
{
public:
    struct Entry
    {
        enum class Type {
            File,
            Folder,
            // A symbolic link: never followed, never written through, never deleted.
            Link,
            // Anything else (devices, sockets, what a server cannot say): left alone.
            Other,
        };
        // The name as the server spells it (UTF-8 decoded).
        QString name;
        Type type = Type::Other;
        qint64 size = -1;
        // Seconds since 1970 (UTC) when the server gives a full time; -1 otherwise.
        qint64 modified = -1;

        friend bool operator==(const Entry &, const Entry &) = default;
    };

    // Every entry of a folder tree by its path below the tree's top ("css/site.css").
    using Tree = QHash<QString, Entry>;

    // The entries of an MLSD answer ("fact=value;…; name" lines); "." and ".." left out.
    static QList<Entry> parseMlsd(const QByteArray &text);
    // The entries of a long listing ("-rw-r--r-- 1 user group 123 Jan  1 12:00 name" lines);
    // "." and "..", "total" lines and lines it cannot read are left out.
    static QList<Entry> parseLongListing(const QByteArray &text);
};

} // namespace velmo::deploy
