// Reading the folder listings that FTP and SFTP servers send.
#include "deploy/remotelisting.h"

#include <QDateTime>
#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace velmo::deploy {

namespace {

bool isDotEntry(const QString &name)
{
    return name == u"." || name == u"..";
}

QList<QByteArray> lines(const QByteArray &text)
{
    QList<QByteArray> result;
    for (QByteArray line : text.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (!line.isEmpty())
            result.append(line);
    }
    return result;
}

} // namespace

QList<RemoteListing::Entry> RemoteListing::parseMlsd(const QByteArray &text)
{
    QList<Entry> entries;
    for (const QByteArray &line : lines(text)) {
        // The facts end at the first blank; the name is everything after it, blanks included.
        const qsizetype blank = line.indexOf(' ');
        if (blank < 0)
            continue;
        Entry entry;
        entry.name = QString::fromUtf8(line.mid(blank + 1));
        for (const QByteArray &fact : line.left(blank).split(';')) {
            const qsizetype equals = fact.indexOf('=');
            if (equals < 0)
                continue;
            const QByteArray key = fact.left(equals).toLower();
            const QByteArray value = fact.mid(equals + 1);
            if (key == "type") {
                const QByteArray type = value.toLower();
                if (type == "file")
                    entry.type = Entry::Type::File;
                else if (type == "dir")
                    entry.type = Entry::Type::Folder;
                else if (type == "cdir" || type == "pdir")
                    entry.name = u"."_s;
                else if (type.contains("link"))
                    entry.type = Entry::Type::Link;
            } else if (key == "size") {
                bool ok = false;
                const qint64 size = value.toLongLong(&ok);
                entry.size = ok ? size : -1;
            } else if (key == "modify") {
                const QDateTime time =
                    QDateTime::fromString(QString::fromLatin1(value.left(14)), u"yyyyMMddHHmmss"_s);
                if (time.isValid())
                    entry.modified =
                        QDateTime(time.date(), time.time(), Qt::UTC).toSecsSinceEpoch();
            }
        }
        if (!isDotEntry(entry.name) && !entry.name.isEmpty())
            entries.append(entry);
    }
    return entries;
}

QList<RemoteListing::Entry> RemoteListing::parseLongListing(const QByteArray &text)
{
    // Mode, links, owner, group, size, a three-word date, then the name after one blank.
    static const QRegularExpression pattern(
        uR"(^([-dlbcps])\S*\s+\d+\s+\S+\s+\S+\s+(\d+)\s+\S+\s+\S+\s+\S+ (.+)$)"_s);
    QList<Entry> entries;
    for (const QByteArray &line : lines(text)) {
        const QRegularExpressionMatch match = pattern.match(QString::fromUtf8(line));
        if (!match.hasMatch())
            continue;
        Entry entry;
        const QChar mode = match.capturedView(1).front();
        entry.type = mode == u'-'   ? Entry::Type::File
                     : mode == u'd' ? Entry::Type::Folder
                     : mode == u'l' ? Entry::Type::Link
                                    : Entry::Type::Other;
        entry.size = match.capturedView(2).toLongLong();
        entry.name = match.captured(3);
        // A link is listed as "name -> target"; the target is none of our business.
        if (entry.type == Entry::Type::Link) {
            const qsizetype arrow = entry.name.indexOf(u" -> "_s);
            if (arrow > 0)
                entry.name.truncate(arrow);
        }
        if (!isDotEntry(entry.name))
            entries.append(entry);
    }
    return entries;
}

} // namespace velmo::deploy
