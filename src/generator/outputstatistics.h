// What one site output did, for the summary that velmo-cli prints.
#pragma once

#include <QSet>
#include <QStringList>

#include "model/fileutil.h"

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
    // The files of this run that could not be written, in order, each once; none of them is
    // published.
    QList<WriteFailure> writeFailures;
    QSet<QString> failedFiles;

    void noteWriteFailure(const QString &path, const QString &reason)
    {
        if (!failedFiles.contains(path)) {
            failedFiles.insert(path);
            writeFailures.append({path, reason});
        }
    }
    // Those of them this output found holding what it would have written, and left alone:
    // publishing trusts their size and time instead of reading them again.
    QSet<QString> keptFiles;
};

} // namespace velmo::gen
