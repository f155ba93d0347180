// What one site output did, for the summary that velmo-cli prints.
#pragma once

#include <QSet>
#include <QStringList>

#include "model/fileutil.h"

namespace velmo::gen {

// A "_image(…)" or "_id_link(…)" call of a content text that could not be expanded. The page
// holds an address in its place all the same, so that the rest of the page is whole.
struct ExpansionFailure
{
    // The page's output file.
    QString page;
    QString pageName;
    QString group;
    // The call as the content text has it.
    QString call;
    // What went wrong, for the user.
    QString reason;
    // What the page holds instead of the call.
    QString address;

    // "「page」の「group」: reason" and the call on a line of its own.
    QString message() const
    {
        return QStringLiteral("「%1」の「%2」: %3\r\n%4").arg(pageName, group, reason, call);
    }
};

struct OutputStatistics
{
    int pagesWritten = 0;
    int pagesUnchanged = 0;
    // Of those, the pages taken as the last run left them, without being assembled.
    int pagesKept = 0;
    // Pictures and template files copied into the working folder.
    int filesCopied = 0;
    // Scaled pictures decoded, scaled and encoded, and those taken from the cache instead.
    int picturesScaled = 0;
    int picturesFromCache = 0;
    // What the publication put into the published folder: pages, pictures and other files it
    // wrote there, and pages that were there already as they are. A preview may have written
    // the working folder's copy before, so the counts above can say nothing of it.
    int pagesPublished = 0;
    int pagesAlreadyPublished = 0;
    int picturesPublished = 0;
    int otherFilesPublished = 0;
    // Every message shown while generating, in order.
    QStringList messages;
    // Why the site's style sheet could not be used, as last said (empty: it could).
    QString styleSheetProblem;
    // Every file the output wrote or found up to date in the working folder.
    QSet<QString> producedFiles;
    // The files of this run that could not be written, in order, each once; none of them is
    // published.
    QList<WriteFailure> writeFailures;
    QSet<QString> failedFiles;
    // Every call of a content text that could not be expanded, in page order.
    QList<ExpansionFailure> expansionFailures;

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
