// Talking to the web server through libcurl.
#include "deploy/remoteconnection.h"

#include <mutex>

#include <QCryptographicHash>
#include <QDir>
#include <QUrl>

#include <curl/curl.h>

#include "deploy/deployplan.h"

using namespace Qt::StringLiterals;

namespace velmo::deploy {

struct RemoteConnection::Request
{
    enum class Kind {
        Download,
        Upload,
        // Quote commands alone, nothing transferred.
        Command,
    };
    Kind kind = Kind::Command;
    QByteArray url;
    QByteArray customRequest;
    QList<QByteArray> quote;
    QList<QByteArray> postQuote;
    // A listing: a folder the FTP server cannot change into is missing, not forbidden.
    bool listing = false;
    const QByteArray *data = nullptr;
    qint64 offset = 0;
    QByteArray received;
    Progress progress;
    long timeoutSeconds = 0;
    // What the request was about, for the message ("「a.html」").
    QString what;
};

namespace {

void initialiseCurl()
{
    static std::once_flag initialised;
    std::call_once(initialised, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct Transfer
{
    RemoteConnection::Progress *progress = nullptr;
    const std::atomic<bool> *cancelled = nullptr;
};

size_t receive(char *data, size_t size, size_t count, void *target)
{
    static_cast<QByteArray *>(target)->append(data, qsizetype(size * count));
    return size * count;
}

int onProgress(void *clientp, curl_off_t, curl_off_t, curl_off_t, curl_off_t uploaded)
{
    const auto *transfer = static_cast<const Transfer *>(clientp);
    if (transfer->cancelled != nullptr && transfer->cancelled->load())
        return 1;
    if (transfer->progress != nullptr && *transfer->progress)
        (*transfer->progress)(qint64(uploaded));
    return 0;
}

int onHostKey(CURL *, const curl_khkey *, const curl_khkey *found, curl_khmatch match,
              void *clientp)
{
    auto *check = static_cast<HostKeyCheck *>(clientp);
    const QByteArray blob = found->len > 0 ? QByteArray(found->key, qsizetype(found->len))
                                           : QByteArray::fromBase64(QByteArray(found->key));
    check->seen = u"SHA256:"_s +
                  QString::fromLatin1(
                      QCryptographicHash::hash(blob, QCryptographicHash::Sha256)
                          .toBase64(QByteArray::Base64Encoding | QByteArray::OmitTrailingEquals));
    check->refused = false;
    check->mismatch = false;
    if (match == CURLKHMATCH_OK || (!check->trusted.isEmpty() && check->seen == check->trusted))
        return CURLKHSTAT_FINE;
    if (match == CURLKHMATCH_MISMATCH) {
        check->mismatch = true;
        check->refused = true;
        return CURLKHSTAT_REJECT;
    }
    if (check->acceptUnknown)
        return CURLKHSTAT_FINE;
    check->refused = true;
    return CURLKHSTAT_REJECT;
}

// A path as SFTP quote commands read it: in double quotes, with '"' and '\' escaped.
QByteArray quoted(const QByteArray &path)
{
    QByteArray result = "\"";
    for (char c : path) {
        if (c == '"' || c == '\\')
            result += '\\';
        result += c;
    }
    return result + '"';
}

QByteArray nameOf(const QString &path)
{
    return path.mid(path.lastIndexOf(u'/') + 1).toUtf8();
}

QString folderOf(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    return slash < 0 ? QString() : path.left(slash);
}

} // namespace

RemoteConnection::RemoteConnection(const ServerSettings &settings, const QString &password,
                                   const Options &options, const std::atomic<bool> *cancelled)
    : m_settings(settings), m_password(password.toUtf8()), m_options(options),
      m_cancelled(cancelled)
{
    initialiseCurl();
    m_easy = curl_easy_init();
    m_hostKeyCheck.trusted = settings.trustedHostKey;
    m_hostKeyCheck.knownHostsFile = options.knownHostsFile;
    m_hostKeyCheck.acceptUnknown = options.acceptUnknownHostKey || !settings.checkHostKey;
}

RemoteConnection::~RemoteConnection()
{
    curl_easy_cleanup(static_cast<CURL *>(m_easy));
    // The password lives no longer than the connection.
    m_password.fill('\0');
}

QString RemoteConnection::defaultKnownHostsFile()
{
    return QDir::homePath() + u"/.ssh/known_hosts"_s;
}

QByteArray RemoteConnection::urlOf(const QString &path, bool folder) const
{
    const bool sftp = m_settings.protocol == ServerSettings::Protocol::Sftp;
    QByteArray url = sftp ? "sftp://" : "ftp://";
    const QString host =
        m_settings.host.contains(u':') ? u'[' + m_settings.host + u']' : m_settings.host;
    url += QUrl::toAce(host).isEmpty() ? host.toUtf8() : QUrl::toAce(host);
    url += ':' + QByteArray::number(m_settings.effectivePort());
    // SFTP paths are absolute, "~" being the login's home; FTP paths count from the login folder.
    if (sftp && !m_settings.remoteFolder.startsWith(u'/'))
        url += "/~";
    QStringList steps = m_settings.remoteFolder.split(u'/', Qt::SkipEmptyParts);
    steps += path.split(u'/', Qt::SkipEmptyParts);
    for (const QString &step : steps)
        url += '/' + QUrl::toPercentEncoding(step);
    if (folder || steps.isEmpty())
        url += '/';
    return url;
}

QByteArray RemoteConnection::commandPath(const QString &path) const
{
    QStringList steps = m_settings.remoteFolder.split(u'/', Qt::SkipEmptyParts);
    steps += path.split(u'/', Qt::SkipEmptyParts);
    const QByteArray joined = steps.join(u'/').toUtf8();
    return quoted((m_settings.remoteFolder.startsWith(u'/') ? "/" : "~/") + joined);
}

RemoteConnection::Status RemoteConnection::fail(Status status, const QString &message)
{
    m_error = message;
    return status;
}

RemoteConnection::Status RemoteConnection::perform(Request &request)
{
    m_error.clear();
    m_lastCode = 0;
    if (m_cancelled != nullptr && m_cancelled->load())
        return fail(Status::Cancelled, u"中止しました。"_s);
    auto *easy = static_cast<CURL *>(m_easy);
    // A reset keeps the connection: the next request on the same server goes over it.
    curl_easy_reset(easy);
    char errorBuffer[CURL_ERROR_SIZE] = {};
    curl_easy_setopt(easy, CURLOPT_URL, request.url.constData());
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, errorBuffer);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    const QByteArray user = m_settings.user.toUtf8();
    curl_easy_setopt(easy, CURLOPT_USERNAME, user.constData());
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT, long(m_options.connectTimeoutSeconds));
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, long(m_options.stallSeconds));
    curl_easy_setopt(easy, CURLOPT_SERVER_RESPONSE_TIMEOUT, long(m_options.stallSeconds));
    if (request.timeoutSeconds > 0)
        curl_easy_setopt(easy, CURLOPT_TIMEOUT, request.timeoutSeconds);
    Transfer transfer{&request.progress, m_cancelled};
    curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, onProgress);
    curl_easy_setopt(easy, CURLOPT_XFERINFODATA, &transfer);

    const QByteArray knownHosts = QFile::encodeName(m_options.knownHostsFile);
    const QByteArray keyFile = QFile::encodeName(m_settings.keyFile);
    const QByteArray publicKey = QFile::encodeName(m_settings.keyFile + u".pub"_s);
    if (m_settings.protocol == ServerSettings::Protocol::Sftp) {
        // Always given, even when it does not exist: without it libcurl checks no host key.
        curl_easy_setopt(easy, CURLOPT_SSH_KNOWNHOSTS, knownHosts.constData());
        curl_easy_setopt(easy, CURLOPT_SSH_KEYFUNCTION, onHostKey);
        curl_easy_setopt(easy, CURLOPT_SSH_KEYDATA, &m_hostKeyCheck);
        if (m_settings.keyFile.isEmpty()) {
            curl_easy_setopt(easy, CURLOPT_SSH_AUTH_TYPES,
                             long(CURLSSH_AUTH_PASSWORD | CURLSSH_AUTH_KEYBOARD));
            curl_easy_setopt(easy, CURLOPT_PASSWORD, m_password.constData());
        } else {
            curl_easy_setopt(easy, CURLOPT_SSH_AUTH_TYPES, long(CURLSSH_AUTH_PUBLICKEY));
            curl_easy_setopt(easy, CURLOPT_SSH_PRIVATE_KEYFILE, keyFile.constData());
            // An empty public key file lets libssh2 derive it from the private key.
            curl_easy_setopt(easy, CURLOPT_SSH_PUBLIC_KEYFILE,
                             QFile::exists(m_settings.keyFile + u".pub"_s) ? publicKey.constData()
                                                                           : "");
            curl_easy_setopt(easy, CURLOPT_KEYPASSWD, m_password.constData());
        }
    } else {
        curl_easy_setopt(easy, CURLOPT_PASSWORD, m_password.constData());
        if (m_settings.protocol == ServerSettings::Protocol::Ftps) {
            curl_easy_setopt(easy, CURLOPT_USE_SSL, long(CURLUSESSL_ALL));
            curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, m_settings.checkCertificate ? 1L : 0L);
            curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, m_settings.checkCertificate ? 2L : 0L);
        }
    }

    curl_slist *quote = nullptr;
    for (const QByteArray &command : request.quote)
        quote = curl_slist_append(quote, command.constData());
    curl_slist *postQuote = nullptr;
    for (const QByteArray &command : request.postQuote)
        postQuote = curl_slist_append(postQuote, command.constData());
    curl_easy_setopt(easy, CURLOPT_QUOTE, quote);
    curl_easy_setopt(easy, CURLOPT_POSTQUOTE, postQuote);
    if (!request.customRequest.isEmpty())
        curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, request.customRequest.constData());

    switch (request.kind) {
    case Request::Kind::Download:
        curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, receive);
        curl_easy_setopt(easy, CURLOPT_WRITEDATA, &request.received);
        break;
    case Request::Kind::Upload:
        curl_easy_setopt(easy, CURLOPT_UPLOAD, 1L);
        curl_easy_setopt(easy, CURLOPT_FTP_CREATE_MISSING_DIRS, long(CURLFTP_CREATE_DIR_RETRY));
        curl_easy_setopt(easy, CURLOPT_INFILESIZE_LARGE, curl_off_t(request.data->size()));
        curl_easy_setopt(easy, CURLOPT_READDATA, &request);
        curl_easy_setopt(
            easy, CURLOPT_READFUNCTION, +[](char *buffer, size_t size, size_t count, void *data) {
                auto *upload = static_cast<Request *>(data);
                const qint64 left = upload->data->size() - upload->offset;
                const qint64 piece = qMin(left, qint64(size * count));
                memcpy(buffer, upload->data->constData() + upload->offset, size_t(piece));
                upload->offset += piece;
                return size_t(piece);
            });
        break;
    case Request::Kind::Command:
        curl_easy_setopt(easy, CURLOPT_NOBODY, 1L);
        break;
    }

    const CURLcode code = curl_easy_perform(easy);
    m_lastCode = int(code);
    curl_slist_free_all(quote);
    curl_slist_free_all(postQuote);
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, nullptr);
    if (code == CURLE_OK)
        return Status::Ok;

    const QString detail =
        QString::fromUtf8(errorBuffer[0] != '\0' ? errorBuffer : curl_easy_strerror(code));
    const QString server = u"%1:%2"_s.arg(m_settings.host).arg(m_settings.effectivePort());
    switch (code) {
    case CURLE_ABORTED_BY_CALLBACK:
        return fail(Status::Cancelled, u"中止しました。"_s);
    case CURLE_PEER_FAILED_VERIFICATION:
        if (m_settings.protocol == ServerSettings::Protocol::Sftp && m_hostKeyCheck.refused) {
            return fail(Status::ConnectionFailed,
                        m_hostKeyCheck.mismatch
                            ? u"サーバー %1 のホスト鍵 %2 は %3 に記録された鍵と違います。"
                              u"接続しませんでした。"_s.arg(server, m_hostKeyCheck.seen,
                                                            m_options.knownHostsFile)
                            : u"サーバー %1 のホスト鍵 %2 は未確認のため接続しませんでした"
                              u"（%3 にありません）。"_s.arg(server, m_hostKeyCheck.seen,
                                                             m_options.knownHostsFile));
        }
        return fail(Status::ConnectionFailed,
                    u"サーバー %1 の証明書を確認できませんでした: %2"_s.arg(server, detail));
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_USE_SSL_FAILED:
        return fail(Status::ConnectionFailed,
                    u"サーバー %1 と TLS で接続できませんでした: %2"_s.arg(server, detail));
    case CURLE_LOGIN_DENIED:
    case CURLE_AUTH_ERROR:
        return fail(Status::ConnectionFailed,
                    u"サーバー %1 にユーザー %2 でログインできませんでした: %3"_s.arg(
                        server, m_settings.user, detail));
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_CONNECT:
    case CURLE_FTP_WEIRD_SERVER_REPLY:
        return fail(Status::ConnectionFailed,
                    u"サーバー %1 に接続できませんでした: %2"_s.arg(server, detail));
    case CURLE_OPERATION_TIMEDOUT:
        return fail(Status::ConnectionFailed,
                    u"%1サーバー %2 が応答しません: %3"_s.arg(request.what, server, detail));
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_GOT_NOTHING:
    case CURLE_PARTIAL_FILE:
        return fail(Status::ConnectionFailed,
                    u"%1サーバー %2 との接続が切れました: %3"_s.arg(request.what, server, detail));
    case CURLE_REMOTE_FILE_NOT_FOUND:
        return fail(Status::NotFound, u"%1サーバーにありません: %2"_s.arg(request.what, detail));
    case CURLE_REMOTE_ACCESS_DENIED:
        if (request.listing)
            return fail(Status::NotFound, u"%1サーバーにありません（または開けません）: %2"_s.arg(
                                              request.what, detail));
        break;
    default:
        break;
    }
    long response = 0;
    curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &response);
    return fail(Status::Failed, response > 0
                                    ? u"%1%2 (応答 %3)"_s.arg(request.what, detail).arg(response)
                                    : request.what + detail);
}

RemoteConnection::Status RemoteConnection::listFolder(const QString &folder,
                                                      QList<RemoteListing::Entry> *entries)
{
    Request request;
    request.kind = Request::Kind::Download;
    request.url = urlOf(folder, true);
    request.listing = true;
    request.timeoutSeconds = m_options.connectTimeoutSeconds + m_options.stallSeconds;
    const QString shown = folder.isEmpty() ? m_settings.remoteFolder : folder;
    request.what = u"フォルダ「%1」: "_s.arg(shown.isEmpty() ? u"/"_s : shown);
    const bool sftp = m_settings.protocol == ServerSettings::Protocol::Sftp;
    if (!sftp && !m_noMlsd) {
        // MLSD gives exact sizes, types and times; servers that lack it get LIST.
        request.customRequest = "MLSD";
        Status status = perform(request);
        if (status == Status::Ok) {
            *entries = RemoteListing::parseMlsd(request.received);
            return status;
        }
        long response = 0;
        curl_easy_getinfo(static_cast<CURL *>(m_easy), CURLINFO_RESPONSE_CODE, &response);
        if (status != Status::Failed || response < 500 || response > 504)
            return status;
        m_noMlsd = true;
        request.customRequest.clear();
        request.received.clear();
    }
    const Status status = perform(request);
    if (status == Status::Ok)
        *entries = RemoteListing::parseLongListing(request.received);
    return status;
}

RemoteConnection::Status RemoteConnection::upload(const QString &path, const QByteArray &data,
                                                  const Progress &progress)
{
    const QString temporary = DeployPlan::temporaryName(path);
    const bool sftp = m_settings.protocol == ServerSettings::Protocol::Sftp;
    const QByteArray rename = "rename " + commandPath(temporary) + ' ' + commandPath(path);
    Request request;
    request.kind = Request::Kind::Upload;
    request.url = urlOf(temporary, false);
    request.data = &data;
    request.progress = progress;
    request.what = u"「%1」: "_s.arg(path);
    // Generous for the data; LOW_SPEED_TIME catches a transfer that stops moving.
    request.timeoutSeconds =
        m_options.connectTimeoutSeconds + m_options.stallSeconds + long(data.size() / (16 * 1024));
    // The rename is atomic where the server allows it, so visitors never see half a file.
    if (!sftp)
        request.postQuote = {"RNFR " + nameOf(temporary), "RNTO " + nameOf(path)};
    else if (m_renameNeedsRemove)
        request.postQuote = {"*rm " + commandPath(path), rename};
    else
        request.postQuote = {rename};
    Status status = perform(request);
    // Only a refused rename leaves the file complete under its temporary name; any other
    // failure must not touch the old file.
    if (status == Status::Failed && sftp && !m_renameNeedsRemove &&
        m_lastCode == CURLE_QUOTE_ERROR) {
        // SFTP version 3 servers (OpenSSH's) do not rename over an existing file: the old one
        // goes in the same request, so it is missing for one round trip, never half written.
        Request again;
        again.url = urlOf(folderOf(path), true);
        again.quote = {"*rm " + commandPath(path), rename};
        again.what = request.what;
        again.timeoutSeconds = m_options.connectTimeoutSeconds + m_options.stallSeconds;
        status = perform(again);
        if (status == Status::Ok)
            m_renameNeedsRemove = true;
    }
    return status;
}

RemoteConnection::Status RemoteConnection::remove(const QString &path)
{
    Request request;
    request.what = u"「%1」の削除: "_s.arg(path);
    request.timeoutSeconds = m_options.connectTimeoutSeconds + m_options.stallSeconds;
    if (m_settings.protocol == ServerSettings::Protocol::Sftp) {
        request.url = urlOf(QString(), true);
        request.quote = {"rm " + commandPath(path)};
    } else {
        // A reused FTP connection stands in whatever folder it last changed into: the deletion
        // runs after the request has changed into the file's own folder.
        request.url = urlOf(folderOf(path), true);
        request.postQuote = {"DELE " + nameOf(path)};
    }
    return perform(request);
}

} // namespace velmo::deploy
