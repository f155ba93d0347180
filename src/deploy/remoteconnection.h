// RemoteConnection: one connection to the web server through libcurl (SFTP over libssh2, FTP,
// FTP with explicit TLS) that lists folders, uploads a file under a temporary name and renames it
// into place, and deletes files; every failure comes back with the server's own words.
#pragma once

#include <atomic>
#include <functional>

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include "deploy/remotelisting.h"
#include "deploy/serversettings.h"

namespace velmo::deploy {

// What the SFTP host key check saw during one connection.
struct HostKeyCheck
{
    QString trusted;
    QString knownHostsFile;
    bool acceptUnknown = false;
    // The fingerprint of the key the server showed, and whether it was refused.
    QString seen;
    bool refused = false;
    // The key contradicts the one known_hosts holds for the host.
    bool mismatch = false;
};

class RemoteConnection
{
public:
    struct Options
    {
        // Reaching the server and logging in.
        int connectTimeoutSeconds = 10;
        // A command or transfer that moves nothing for this long has failed: together with the
        // connection these stay under 30 s, so a server that stops answering never hangs a run.
        int stallSeconds = 20;
        // Host keys the user already trusts (OpenSSH's format).
        QString knownHostsFile = defaultKnownHostsFile();
        // An SFTP host key that is neither known nor trusted is accepted (velmo-cli's
        // --insecure-host-key); a key that contradicts known_hosts never is.
        bool acceptUnknownHostKey = false;
    };
    enum class Status {
        Ok,
        // The server could not be reached, refused the login, its host key or certificate was
        // not trusted, or the connection broke: nothing more can be done on it.
        ConnectionFailed,
        // The folder or file does not exist on the server.
        NotFound,
        // This one operation failed (permission, a full disk, a rename refused).
        Failed,
        Cancelled,
    };
    // Bytes of the current upload sent so far.
    using Progress = std::function<void(qint64 sent)>;

    RemoteConnection(const ServerSettings &settings, const QString &password,
                     const Options &options, const std::atomic<bool> *cancelled = nullptr);
    ~RemoteConnection();
    RemoteConnection(const RemoteConnection &) = delete;
    RemoteConnection &operator=(const RemoteConnection &) = delete;

    // ~/.ssh/known_hosts.
    static QString defaultKnownHostsFile();

    // The entries of folder (relative to the remote folder; empty for the remote folder itself).
    Status listFolder(const QString &folder, QList<RemoteListing::Entry> *entries);
    // Sends data as the file path (relative to the remote folder): under the temporary name first,
    // creating folders as needed, then renamed over whatever path was.
    Status upload(const QString &path, const QByteArray &data, const Progress &progress = {});
    // Deletes the file path (relative to the remote folder); a link is removed, never followed.
    Status remove(const QString &path);

    // What went wrong in the last operation, in words for the user (with the server's message).
    const QString &error() const { return m_error; }
    // The SHA256 fingerprint of the last host key refused ("SHA256:…"), or empty.
    QString refusedHostKey() const
    {
        return m_hostKeyCheck.refused ? m_hostKeyCheck.seen : QString();
    }
    // The fingerprint of the host key the SFTP server showed ("SHA256:…").
    const QString &hostKey() const { return m_hostKeyCheck.seen; }

private:
    struct Request;
    Status perform(Request &request);
    Status fail(Status status, const QString &message);
    void describeFailure(int code, const QString &what);
    // The URL of path below the remote folder (percent-encoded UTF-8).
    QByteArray urlOf(const QString &path, bool folder) const;
    // path as SFTP quote commands take it: absolute ("~/" for the home folder) and quoted.
    QByteArray commandPath(const QString &path) const;

    ServerSettings m_settings;
    QByteArray m_password;
    Options m_options;
    const std::atomic<bool> *m_cancelled;
    void *m_easy = nullptr;
    QString m_error;
    // libcurl's code for the last request.
    int m_lastCode = 0;
    HostKeyCheck m_hostKeyCheck;
    // The server sent no MLSD listing: long listings from now on.
    bool m_noMlsd = false;
    // The SFTP server refused to rename over an existing file (OpenSSH does): replacements remove
    // the old file first, in the same request as the rename.
    bool m_renameNeedsRemove = false;
};

} // namespace velmo::deploy
