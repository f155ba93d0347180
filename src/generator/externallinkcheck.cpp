// The external link check over libcurl's multi interface, with a cache of answers in a small
// tab-separated file.
#include "generator/externallinkcheck.h"

#include <algorithm>
#include <memory>
#include <mutex>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QQueue>
#include <QSaveFile>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QUrl>

#include <curl/curl.h>

namespace velmo::gen {

namespace {

// The cache is this program's own file, but a file all the same: one grown past this is not
// read, and is written anew.
constexpr qint64 kMaxCacheBytes = 16 * 1024 * 1024;

// Statuses with which servers refuse HEAD while GET would work.
bool refusesHead(long status)
{
    return status == 400 || status == 403 || status == 405 || status == 501;
}

// The body of a GET is of no use: the first bytes of it end the transfer.
size_t discardBody(char *, size_t, size_t, void *)
{
    return 0;
}

struct Transfer
{
    qsizetype index = 0;
    QString host;
    QByteArray url;
    bool head = true;
    char error[CURL_ERROR_SIZE] = {};
    CURL *easy = nullptr;
};

void prepare(Transfer &transfer, int timeoutMs)
{
    CURL *easy = transfer.easy;
    curl_easy_setopt(easy, CURLOPT_URL, transfer.url.constData());
    curl_easy_setopt(easy, CURLOPT_PRIVATE, &transfer);
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, transfer.error);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, long(timeoutMs));
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, long(timeoutMs));
    curl_easy_setopt(easy, CURLOPT_USERAGENT, "Velmo link check");
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &discardBody);
    curl_easy_setopt(easy, CURLOPT_NOBODY, transfer.head ? 1L : 0L);
    if (!transfer.head)
        curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
}

QString verdictName(ExternalLinkCheck::Verdict verdict)
{
    switch (verdict) {
    case ExternalLinkCheck::Verdict::Ok:
        return QStringLiteral("ok");
    case ExternalLinkCheck::Verdict::Redirected:
        return QStringLiteral("redirected");
    case ExternalLinkCheck::Verdict::Broken:
        return QStringLiteral("broken");
    case ExternalLinkCheck::Verdict::NoAnswer:
        break;
    }
    return QStringLiteral("none");
}

// Tabs and line breaks cannot be in an address or curl's message as stored.
QString oneField(QString text)
{
    text.replace(u'\t', u' ').replace(u'\n', u' ').replace(u'\r', u' ');
    return text;
}

} // namespace

ExternalLinkCheck::ExternalLinkCheck() : ExternalLinkCheck(Settings()) {}

ExternalLinkCheck::ExternalLinkCheck(Settings settings) : m_settings(std::move(settings))
{
    static std::once_flag initialised;
    std::call_once(initialised, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

QString ExternalLinkCheck::defaultCacheFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
           QStringLiteral("/velmo/external-links.tsv");
}

QString ExternalLinkCheck::addressOf(const QString &url)
{
    QString trimmed = url.trimmed();
    if (trimmed.startsWith(u"//"))
        trimmed.prepend(QStringLiteral("https:"));
    QUrl parsed(trimmed);
    const QString scheme = parsed.scheme().toLower();
    if (!parsed.isValid() || (scheme != u"http" && scheme != u"https") || parsed.host().isEmpty())
        return {};
    parsed.setFragment(QString());
    return parsed.toString(QUrl::FullyEncoded);
}

bool ExternalLinkCheck::hasUncheckedAddresses(const LinkCheck::Result &result)
{
    return std::any_of(
        result.unchecked.cbegin(), result.unchecked.cend(),
        [](const LinkCheck::Broken &entry) { return !addressOf(entry.link.url).isEmpty(); });
}

QList<ExternalLinkCheck::Answer> ExternalLinkCheck::check(const QStringList &urls)
{
    QStringList addresses;
    QSet<QString> seen;
    for (const QString &url : urls) {
        const QString address = addressOf(url);
        if (!address.isEmpty() && !seen.contains(address)) {
            seen.insert(address);
            addresses << address;
        }
    }
    QList<Answer> answers(addresses.size());
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    const QHash<QString, Answer> cached = readCache();

    // Each host has a queue of its own: at most perHost of its addresses are asked at once,
    // while other hosts go on.
    QHash<QString, QQueue<qsizetype>> waiting;
    QStringList hosts;
    for (qsizetype i = 0; i < addresses.size(); ++i) {
        answers[i].url = addresses[i];
        if (const auto it = cached.constFind(addresses[i]); it != cached.cend()) {
            answers[i] = *it;
            answers[i].fromCache = true;
            continue;
        }
        const QString host = QUrl(addresses[i]).host().toLower();
        if (!waiting.contains(host))
            hosts << host;
        waiting[host].enqueue(i);
    }

    CURLM *multi = curl_multi_init();
    const auto closeMulti = qScopeGuard([multi] { curl_multi_cleanup(multi); });
    QHash<QString, int> running;
    std::vector<std::unique_ptr<Transfer>> transfers;
    int active = 0;
    const auto start = [&](Transfer &transfer) {
        prepare(transfer, m_settings.timeoutMs);
        curl_multi_add_handle(multi, transfer.easy);
        ++active;
    };
    const auto fill = [&] {
        for (const QString &host : std::as_const(hosts)) {
            QQueue<qsizetype> &queue = waiting[host];
            while (!queue.isEmpty() && running.value(host) < m_settings.perHost &&
                   active < m_settings.atOnce) {
                auto transfer = std::make_unique<Transfer>();
                transfer->index = queue.dequeue();
                transfer->host = host;
                transfer->url = addresses[transfer->index].toUtf8();
                transfer->easy = curl_easy_init();
                if (transfer->easy == nullptr) {
                    answers[transfer->index].error = QStringLiteral("libcurl を初期化できません");
                    continue;
                }
                ++running[host];
                start(*transfer);
                transfers.push_back(std::move(transfer));
            }
        }
    };

    fill();
    while (active > 0) {
        int stillRunning = 0;
        curl_multi_perform(multi, &stillRunning);
        int left = 0;
        while (CURLMsg *message = curl_multi_info_read(multi, &left)) {
            if (message->msg != CURLMSG_DONE)
                continue;
            CURL *easy = message->easy_handle;
            Transfer *transfer = nullptr;
            curl_easy_getinfo(easy, CURLINFO_PRIVATE, reinterpret_cast<char **>(&transfer));
            curl_multi_remove_handle(multi, easy);
            --active;
            long status = 0;
            curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
            if (transfer->head && status > 0 && refusesHead(status)) {
                transfer->head = false;
                start(*transfer);
                continue;
            }
            Answer &answer = answers[transfer->index];
            answer.checkedAt = now;
            answer.status = int(status);
            // A GET ends itself at the first bytes of the body: the answer is already there.
            const bool answered = status > 0 && (message->data.result == CURLE_OK ||
                                                 message->data.result == CURLE_WRITE_ERROR);
            if (!answered) {
                answer.verdict = Verdict::NoAnswer;
                answer.error = QString::fromUtf8(transfer->error);
                if (answer.error.isEmpty())
                    answer.error = QString::fromUtf8(curl_easy_strerror(message->data.result));
            } else if (status >= 400) {
                answer.verdict = Verdict::Broken;
            } else {
                long redirects = 0;
                char *effective = nullptr;
                curl_easy_getinfo(easy, CURLINFO_REDIRECT_COUNT, &redirects);
                curl_easy_getinfo(easy, CURLINFO_EFFECTIVE_URL, &effective);
                answer.verdict = redirects > 0 ? Verdict::Redirected : Verdict::Ok;
                if (redirects > 0 && effective != nullptr)
                    answer.location = QString::fromUtf8(effective);
            }
            curl_easy_cleanup(easy);
            transfer->easy = nullptr;
            --running[transfer->host];
        }
        fill();
        if (active > 0)
            curl_multi_poll(multi, nullptr, 0, 500, nullptr);
    }
    writeCache(cached, answers);
    return answers;
}

void ExternalLinkCheck::apply(LinkCheck::Result &result)
{
    QStringList urls;
    for (const LinkCheck::Broken &entry : std::as_const(result.unchecked))
        urls << entry.link.url;
    const QList<Answer> answers = check(urls);
    QHash<QString, const Answer *> byAddress;
    for (const Answer &answer : answers)
        byAddress.insert(answer.url, &answer);
    QList<LinkCheck::Broken> unchecked;
    for (LinkCheck::Broken &entry : result.unchecked) {
        const Answer *answer = byAddress.value(addressOf(entry.link.url));
        if (answer == nullptr) {
            unchecked << std::move(entry);
            continue;
        }
        entry.reason = describe(*answer);
        if (answer->verdict == Verdict::Broken || answer->verdict == Verdict::NoAnswer)
            result.broken << std::move(entry);
        else if (answer->verdict == Verdict::Redirected)
            result.redirected << std::move(entry);
    }
    result.unchecked = std::move(unchecked);
    result.externalChecked = int(answers.size());
}

QString ExternalLinkCheck::describe(const Answer &answer)
{
    switch (answer.verdict) {
    case Verdict::Ok:
        return QStringLiteral("外部リンク: %1").arg(answer.status);
    case Verdict::Redirected:
        return QStringLiteral("外部リンク: %1 に転送されます").arg(answer.location);
    case Verdict::Broken:
        return QStringLiteral("外部リンク: サーバーが %1 を返しました").arg(answer.status);
    case Verdict::NoAnswer:
        break;
    }
    return QStringLiteral("外部リンク: 応答がありません（%1）").arg(answer.error);
}

QHash<QString, ExternalLinkCheck::Answer> ExternalLinkCheck::readCache() const
{
    QHash<QString, Answer> answers;
    if (m_settings.cacheFile.isEmpty() || QFileInfo(m_settings.cacheFile).size() > kMaxCacheBytes)
        return answers;
    QFile file(m_settings.cacheFile);
    if (!file.open(QIODevice::ReadOnly))
        return answers;
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    // Lines: time, verdict, status, address, location, error. A line that does not read so
    // is passed over; the file is written anew from what did.
    while (!file.atEnd()) {
        const QStringList fields = QString::fromUtf8(file.readLine()).chopped(1).split(u'\t');
        if (fields.size() != 6)
            continue;
        Answer answer;
        bool timeOk = false;
        answer.checkedAt = fields[0].toLongLong(&timeOk);
        if (!timeOk || answer.checkedAt > now || now - answer.checkedAt > m_settings.keepSeconds)
            continue;
        if (fields[1] == u"ok")
            answer.verdict = Verdict::Ok;
        else if (fields[1] == u"redirected")
            answer.verdict = Verdict::Redirected;
        else if (fields[1] == u"broken")
            answer.verdict = Verdict::Broken;
        else
            continue;
        answer.status = fields[2].toInt();
        answer.url = fields[3];
        answer.location = fields[4];
        answer.error = fields[5];
        answers.insert(answer.url, answer);
    }
    return answers;
}

void ExternalLinkCheck::writeCache(const QHash<QString, Answer> &kept,
                                   const QList<Answer> &fresh) const
{
    if (m_settings.cacheFile.isEmpty())
        return;
    QHash<QString, Answer> all = kept;
    // Only what a server said is kept: a network that was down a moment ago may be up now.
    for (const Answer &answer : fresh) {
        if (!answer.fromCache && answer.verdict != Verdict::NoAnswer)
            all.insert(answer.url, answer);
    }
    QDir().mkpath(QFileInfo(m_settings.cacheFile).path());
    QSaveFile file(m_settings.cacheFile);
    if (!file.open(QIODevice::WriteOnly))
        return;
    QByteArray bytes;
    for (const Answer &answer : std::as_const(all))
        bytes += QStringLiteral("%1\t%2\t%3\t%4\t%5\t%6\n")
                     .arg(answer.checkedAt)
                     .arg(verdictName(answer.verdict))
                     .arg(answer.status)
                     .arg(oneField(answer.url), oneField(answer.location), oneField(answer.error))
                     .toUtf8();
    // A cache that cannot be written costs only asking again next time.
    file.write(bytes);
    file.commit();
}

} // namespace velmo::gen
