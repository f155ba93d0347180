// The link check's report for velmo-cli.
#include "cli/linkreport.h"

#include <cstdio>

#include <QHash>

namespace {

QString place(const velmo::gen::LinkCheck::Broken &entry)
{
    if (entry.link.line <= 0)
        return entry.file;
    return QStringLiteral("%1:%2:%3").arg(entry.file).arg(entry.link.line).arg(entry.link.column);
}

QString describe(const velmo::gen::LinkCheck::Broken &entry)
{
    QString line =
        place(entry) + QStringLiteral(": ") + entry.link.url + QStringLiteral(": ") + entry.reason;
    if (!entry.link.text.isEmpty())
        line += QStringLiteral(" 「%1」").arg(entry.link.text);
    return line;
}

} // namespace

void LinkReport::print(const velmo::gen::LinkCheck::Result &result)
{
    QString text;
    for (const velmo::gen::LinkCheck::Broken &broken : result.broken)
        text += QStringLiteral("broken link: ") + describe(broken) + u'\n';
    for (const velmo::gen::LinkCheck::Broken &moved : result.redirected)
        text += QStringLiteral("redirected: ") + describe(moved) + u'\n';
    // An address in the menu or footer stands on every page: it is listed once, where it is
    // first met.
    QList<QString> addresses;
    QHash<QString, std::pair<qsizetype, int>> external;
    for (qsizetype i = 0; i < result.unchecked.size(); ++i) {
        auto it = external.find(result.unchecked[i].link.url);
        if (it == external.end()) {
            external.insert(result.unchecked[i].link.url, {i, 1});
            addresses << result.unchecked[i].link.url;
        } else {
            ++it->second;
        }
    }
    for (const QString &address : std::as_const(addresses)) {
        const auto [first, count] = external.value(address);
        text += QStringLiteral("external link, not checked: %1 (%2%3)\n")
                    .arg(address, place(result.unchecked[first]),
                         count > 1 ? QStringLiteral(" and %1 more").arg(count - 1) : QString());
    }
    text += QStringLiteral("pages checked: %1\nbroken links: %2\n")
                .arg(result.pagesChecked)
                .arg(result.broken.size());
    if (result.externalChecked > 0)
        text += QStringLiteral("external addresses checked: %1\nredirected links: %2\n")
                    .arg(result.externalChecked)
                    .arg(result.redirected.size());
    text += QStringLiteral("external addresses not checked: %1\n").arg(addresses.size());
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
}
