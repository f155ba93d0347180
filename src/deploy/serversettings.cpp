// The server settings of a site, read from and written to the user's settings.
#include "deploy/serversettings.h"

#include <QSettings>
#include <QUrl>

#include "model/site.h"

using namespace Qt::StringLiterals;

namespace velmo::deploy {

namespace {

QString groupOf(const QString &siteKey)
{
    return u"Deploy/"_s + siteKey;
}

} // namespace

int ServerSettings::defaultPort(Protocol protocol)
{
    return protocol == Protocol::Sftp ? 22 : 21;
}

int ServerSettings::effectivePort() const
{
    return port > 0 ? port : defaultPort(protocol);
}

QString ServerSettings::schemeOf(Protocol protocol)
{
    switch (protocol) {
    case Protocol::Sftp:
        return u"sftp"_s;
    case Protocol::Ftps:
        return u"ftps"_s;
    case Protocol::Ftp:
        break;
    }
    return u"ftp"_s;
}

bool ServerSettings::fromUrl(const QString &text, ServerSettings *settings, QString *error)
{
    const QUrl url(text, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    ServerSettings result;
    if (scheme == u"sftp")
        result.protocol = Protocol::Sftp;
    else if (scheme == u"ftps")
        result.protocol = Protocol::Ftps;
    else if (scheme == u"ftp")
        result.protocol = Protocol::Ftp;
    else {
        *error = u"%1: not an sftp://, ftps:// or ftp:// URL"_s.arg(text);
        return false;
    }
    if (!url.isValid() || url.host().isEmpty()) {
        *error = u"%1: no server named"_s.arg(text);
        return false;
    }
    if (url.userName().isEmpty()) {
        *error = u"%1: no user named (user@host)"_s.arg(text);
        return false;
    }
    if (!url.password().isEmpty()) {
        *error =
            u"%1: a password does not belong in the URL; use VELMO_DEPLOY_PASSWORD"_s.arg(text);
        return false;
    }
    result.host = url.host();
    result.port = url.port(0);
    result.user = url.userName();
    result.remoteFolder = url.path();
    *settings = result;
    return true;
}

QString ServerSettings::url() const
{
    QUrl url;
    url.setScheme(schemeOf(protocol));
    url.setUserName(user);
    url.setHost(host);
    url.setPort(effectivePort());
    QString folder = remoteFolder;
    if (!folder.startsWith(u'/'))
        folder.prepend(u'/');
    url.setPath(folder);
    return url.toString();
}

QString ServerSettings::secretKey() const
{
    return u"%1://%2@%3:%4"_s.arg(schemeOf(protocol), user, host).arg(effectivePort());
}

QString ServerSettings::siteKey(const Site &site)
{
    return site.id.toText();
}

bool ServerSettings::load(QSettings &settings, const QString &siteKey)
{
    settings.beginGroup(groupOf(siteKey));
    const bool present = settings.contains(u"Host"_s);
    if (present) {
        const QString scheme = settings.value(u"Protocol"_s).toString();
        protocol = scheme == u"ftps"  ? Protocol::Ftps
                   : scheme == u"ftp" ? Protocol::Ftp
                                      : Protocol::Sftp;
        host = settings.value(u"Host"_s).toString();
        port = settings.value(u"Port"_s, 0).toInt();
        user = settings.value(u"User"_s).toString();
        remoteFolder = settings.value(u"RemoteFolder"_s).toString();
        keyFile = settings.value(u"KeyFile"_s).toString();
        checkHostKey = settings.value(u"CheckHostKey"_s, true).toBool();
        trustedHostKey = settings.value(u"TrustedHostKey"_s).toString();
        checkCertificate = settings.value(u"CheckCertificate"_s, true).toBool();
    }
    settings.endGroup();
    return present;
}

void ServerSettings::save(QSettings &settings, const QString &siteKey) const
{
    settings.beginGroup(groupOf(siteKey));
    settings.setValue(u"Protocol"_s, schemeOf(protocol));
    settings.setValue(u"Host"_s, host);
    settings.setValue(u"Port"_s, port);
    settings.setValue(u"User"_s, user);
    settings.setValue(u"RemoteFolder"_s, remoteFolder);
    settings.setValue(u"KeyFile"_s, keyFile);
    settings.setValue(u"CheckHostKey"_s, checkHostKey);
    settings.setValue(u"TrustedHostKey"_s, trustedHostKey);
    settings.setValue(u"CheckCertificate"_s, checkCertificate);
    settings.endGroup();
}

} // namespace velmo::deploy
