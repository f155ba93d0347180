// What one site output did, for the summary that velmo-cli prints.
#pragma once

#include <QSet>
#include <QStringList>

namespace velmo::gen {

struct OutputStatistics
{
    int pagesWritten = 0;
    int pagesUnchanged = 0;
    // Pictures and template files copied into the working folder.
    int filesCopied = 0;
    // Scaled pictures decoded, scaled and encoded, and those taken from the cache instead.
    int picturesScaled = 0;
    int picturesFromCache = 0;
    // Every message shown while generating, in order.
    QStringList messages;
    // Every file the output wrote or found up to date in the working folder.
    QSet<QString> producedFiles;
};

} // namespace velmo::gen
