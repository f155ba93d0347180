// ServerSettings: where one site is published on the web — protocol, host, port, user, remote
// folder and how the server is trusted — kept in the user's settings, keyed by the site's identity.
#pragma once

#include <QString>

class QSettings;

namespace velmo {
class Site;
} // namespace velmo

namespace velmo::deploy {

class ServerSettings
{
public:
    enum class Protocol {
        Sftp,
        // FTP with explicit TLS (AUTH TLS on the ordinary port) for commands and data.
        Ftps,
        Ftp,
    };

    Protocol protocol = Protocol::Sftp;
    QString host;
    // 0 for the protocol's usual port.
    int port = 0;
    QString user;
    // For SFTP a path on the server ("/var/www/site"); for FTP and FTPS counted from the
    // folder the login starts in.
    QString remoteFolder;
    // SFTP: a private key file instead of the password (the password then unlocks the key).
    QString keyFile;
    // SFTP: an unknown host key is refused unless it is in known_hosts or is trustedHostKey.
    bool checkHostKey = true;
    // The SHA256 fingerprint the user accepted for this server ("SHA256:…").
    QString trustedHostKey;
    // FTPS: the server's certificate must be valid for the host.
    bool checkCertificate = true;

    bool isValid() const { return !host.isEmpty() && !user.isEmpty(); }
    int effectivePort() const;
    static QString schemeOf(Protocol protocol);
    static int defaultPort(Protocol protocol);

    // "sftp://user@host:port/path", "ftps://…" or "ftp://…"; false with a reason in error for
    // anything else, or a URL that carries a password (passwords never travel on command lines).
    static bool fromUrl(const QString &url, ServerSettings *settings, QString *error);
    // The URL that names this server and folder, without a password.
    QString url() const;
    // The name its password has in the secret store: the server and user, not the folder, so
    // the window and velmo-cli find the same password.
    QString secretKey() const;

    // The settings group of site; its identity keys it, as names change and repeat.
    static QString siteKey(const Site &site);
    // Reads and writes the settings of the site keyed siteKey; false from load when there are none.
    bool load(QSettings &settings, const QString &siteKey);
    void save(QSettings &settings, const QString &siteKey) const;

    friend bool operator==(const ServerSettings &, const ServerSettings &) = default;
};

} // namespace velmo::deploy
