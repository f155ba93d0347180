// The link check's report for velmo-cli.
#include "cli/linkreport.h"

#include <cstdio>

void LinkReport::print(const velmo::gen::LinkCheck::Result &result)
{
    QString text;
    for (const velmo::gen::LinkCheck::Broken &broken : result.broken)
        text += QStringLiteral("broken link: %1:%2: %3: %4\n")
                    .arg(broken.file)
                    .arg(broken.link.line)
                    .arg(broken.link.url, broken.reason);
    text += QStringLiteral("pages checked: %1\nbroken links: %2\nexternal links not checked: %3\n")
                .arg(result.pagesChecked)
                .arg(result.broken.size())
                .arg(result.unchecked.size());
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
}
