// ExternalLinkCheck: asks the servers of a site's external http(s) links whether the addresses
// lead somewhere — each address once, several at a time but at most a few per host, with the
// answers kept for a day so that checking again soon asks nobody.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "generator/linkcheck.h"

namespace velmo::gen {

class ExternalLinkCheck
{
public:
    struct Settings
    {
        // For one address, connecting and answering together.
        int timeoutMs = 10000;
        int perHost = 2;
        int atOnce = 16;
        // Where answers are kept between runs; empty for nowhere.
        QString cacheFile = defaultCacheFile();
        qint64 keepSeconds = 24 * 60 * 60;
    };
    enum class Verdict {
        Ok,
        // Leads somewhere else in the end: location names it.
        Redirected,
        // The server answered with an error status.
        Broken,
        // No answer: no such host, refused, timed out.
        NoAnswer,
    };
    struct Answer
    {
        QString url;
        Verdict verdict = Verdict::NoAnswer;
        int status = 0;
        QString location;
        QString error;
        // Seconds since 1970 when it was asked.
        qint64 checkedAt = 0;
        bool fromCache = false;
    };

    ExternalLinkCheck();
    explicit ExternalLinkCheck(Settings settings);

    // $XDG_CACHE_HOME/velmo/external-links.tsv (~/.cache when unset).
    static QString defaultCacheFile();
    // The address to ask for a link as written: "//host/…" as https, the fragment left out;
    // empty for one that is not http(s).
    static QString addressOf(const QString &url);
    // Whether result lists a link that can be asked for, not yet asked.
    static bool hasUncheckedAddresses(const LinkCheck::Result &result);

    // Asks for each distinct address of urls once (HEAD, then GET where HEAD is refused),
    // following redirections; answers in the order of first appearance.
    QList<Answer> check(const QStringList &urls);
    // Checks the http(s) links result lists as not checked: those that lead nowhere move to
    // its broken links, the redirected to its redirected ones, the others off the list.
    void apply(LinkCheck::Result &result);

    // Why answer's link counts as broken, or where it leads, for the user.
    static QString describe(const Answer &answer);

private:
    QHash<QString, Answer> readCache() const;
    void writeCache(const QHash<QString, Answer> &kept, const QList<Answer> &fresh) const;

    Settings m_settings;
};

} // namespace velmo::gen
