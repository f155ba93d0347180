// DeployRecord: what Velmo uploaded to one server for one site — each file's path, size and
// content hash as sent — kept in a local file that is rewritten whole after every run.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

namespace velmo::deploy {

class DeployRecord
{
public:
    struct File
    {
        qint64 size = 0;
        // SHA-256 of the bytes sent, in hex.
        QByteArray hash;

        friend bool operator==(const File &, const File &) = default;
    };
    enum class LoadResult {
        Loaded,
        // No record yet: a first upload, or one made elsewhere.
        Missing,
        // Cut short, edited or of another version: it is not trusted at all.
        Damaged,
    };

    // $XDG_STATE_HOME/velmo/deploy/<siteKey>/<a hash of serverUrl>.tsv.
    static QString defaultFile(const QString &siteKey, const QString &serverUrl);

    // Reads path; on anything but Loaded the record is empty, so that every file is compared.
    LoadResult load(const QString &path);
    // Writes the record whole to path (the old one is replaced only by a complete new one).
    bool save(const QString &path, QString *error = nullptr) const;

    const QHash<QString, File> &files() const { return m_files; }
    const File *find(const QString &path) const;
    void set(const QString &path, const File &file) { m_files.insert(path, file); }
    void remove(const QString &path) { m_files.remove(path); }

private:
    QHash<QString, File> m_files;
};

} // namespace velmo::deploy
