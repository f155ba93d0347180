// Writing, reading and checking recovery files.
#include "model/recoveryfile.h"

#include <cerrno>
#include <cstring>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

#include <stdio.h>

#include "model/fileutil.h"

namespace velmo {

namespace {

constexpr QByteArrayView kMagic = "VELMO-RECOVERY ";
const QString kSuffix = QStringLiteral(".velmo-recovery");

// A check against damage (a file cut or overwritten in part), not against tampering: four
// independent multiply-and-shift lanes over 8-byte words run at memory speed, where SHA-1 took
// 56 ms and SHA-256 236 ms for 50 MB, the larger part of an autosave.
QByteArray digestOf(QByteArrayView bytes)
{
    constexpr quint64 kMultiplier = 0x9E3779B97F4A7C15ull;
    quint64 lanes[4] = {kMultiplier, kMultiplier * 3, kMultiplier * 5, kMultiplier * 7};
    const auto mix = [](quint64 lane, quint64 word) {
        lane = (lane ^ word) * kMultiplier;
        return lane ^ (lane >> 29);
    };
    const char *data = bytes.data();
    const qsizetype size = bytes.size();
    qsizetype at = 0;
    for (; at + 32 <= size; at += 32) {
        for (int lane = 0; lane < 4; ++lane) {
            quint64 word;
            std::memcpy(&word, data + at + 8 * lane, sizeof word);
            lanes[lane] = mix(lanes[lane], word);
        }
    }
    for (; at + 8 <= size; at += 8) {
        quint64 word;
        std::memcpy(&word, data + at, sizeof word);
        lanes[0] = mix(lanes[0], word);
    }
    quint64 tail = 0;
    for (int shift = 0; at < size; ++at, shift += 8)
        tail |= quint64(uchar(data[at])) << shift;
    quint64 digest = mix(quint64(size), tail);
    for (const quint64 lane : lanes)
        digest = mix(digest, lane);
    return QByteArray::number(digest, 16);
}

// rename(2) replaces an existing file in one step, which QFile::rename does not.
bool renameOver(const QString &from, const QString &to)
{
    return ::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

} // namespace

QString RecoveryFile::folder()
{
    return userStateFolder() + QStringLiteral("/recovery");
}

namespace {

// The part of a recovery file's name that names its document: "untitled-" for a document never
// saved, else the document's name and a digest of its absolute path.
QString documentPrefix(const QString &documentPath)
{
    if (documentPath.isEmpty())
        return QStringLiteral("untitled-");
    return documentStateName(documentPath) + u'-';
}

} // namespace

QString RecoveryFile::pathFor(const QString &documentPath, qint64 process)
{
    if (process == 0)
        process = QCoreApplication::applicationPid();
    return folder() + u'/' + documentPrefix(documentPath) + QString::number(process) + kSuffix;
}

QStringList RecoveryFile::recoveriesFor(const QString &documentPath)
{
    const QString prefix = documentPrefix(documentPath);
    // Earlier versions named a saved document's recovery without its program.
    const QString unnumbered = prefix.chopped(1) + kSuffix;
    const QFileInfoList files =
        QDir(folder()).entryInfoList({u'*' + kSuffix}, QDir::Files, QDir::Time);
    const QString own = QString::number(QCoreApplication::applicationPid());
    QStringList found;
    for (const QFileInfo &file : files) {
        const QString name = file.fileName();
        bool numbered = false;
        if (name.startsWith(prefix) && name.size() > prefix.size() + kSuffix.size()) {
            const QStringView process = QStringView(name).sliced(
                prefix.size(), name.size() - prefix.size() - kSuffix.size());
            Q_UNUSED(process.toLongLong(&numbered));
            numbered = numbered && process != own;
        }
        if (numbered || (name == unnumbered && !documentPath.isEmpty()))
            found << file.absoluteFilePath();
    }
    return found;
}

qint64 RecoveryFile::processStarted(qint64 process)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(process));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    // "pid (name) state ppid …": the name may hold spaces and parentheses; the start time is
    // the 20th field after it.
    const QByteArray line = stat.read(4096);
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    return fields.size() > 19 ? fields.at(19).toLongLong() : 0;
}

bool RecoveryFile::isWriterRunning(const Contents &contents)
{
    if (contents.writer == QCoreApplication::applicationPid() || !processIsRunning(contents.writer))
        return false;
    // Another program given the same number since is not the writer.
    return contents.writerStarted == 0 || processStarted(contents.writer) == contents.writerStarted;
}

QByteArray RecoveryFile::header(const QString &documentPath, const QDateTime &written,
                                QByteArrayView documentBytes)
{
    const QJsonObject fields{
        {QStringLiteral("document"), documentPath},
        {QStringLiteral("written"), written.toUTC().toString(Qt::ISODateWithMs)},
        {QStringLiteral("size"), qint64(documentBytes.size())},
        {QStringLiteral("check"), QString::fromLatin1(digestOf(documentBytes))},
        {QStringLiteral("process"), QCoreApplication::applicationPid()},
        {QStringLiteral("started"), processStarted(QCoreApplication::applicationPid())},
    };
    return kMagic.toByteArray() + QByteArray::number(kFormatVersion) + '\n' +
           QJsonDocument(fields).toJson(QJsonDocument::Compact) + '\n';
}

bool RecoveryFile::write(const QString &path, const QString &documentPath, const QDateTime &written,
                         QByteArrayView documentBytes, QString *error)
{
    const QString folderPath = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folderPath)) {
        if (error != nullptr)
            *error = QStringLiteral("フォルダ「%1」を作成できません。").arg(folderPath);
        return false;
    }
    // Header and bytes go out one after the other: a copy of a large document joined to its
    // header would double what the write holds in memory.
    const QByteArray head = header(documentPath, written, documentBytes);
    // A whole file takes the old one's place by a rename, so a program killed at any moment
    // leaves the previous recovery or the new one, never a part. Unlike a save of the user's
    // file it is not flushed to the disk: that doubled an autosave's time, and a recovery lost
    // with the power is recognised as cut short when it is read.
    const QString temporary =
        path + QStringLiteral(".%1.tmp").arg(QCoreApplication::applicationPid());
    QFile file(temporary);
    const bool complete =
        file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(head) == head.size() &&
        file.write(documentBytes.data(), documentBytes.size()) == documentBytes.size() &&
        file.flush();
    const QString reason = file.errorString();
    file.close();
    if (!complete || file.error() != QFileDevice::NoError || !renameOver(temporary, path)) {
        QFile::remove(temporary);
        if (error != nullptr)
            *error = complete ? QStringLiteral("名前を付け替えられません。") : reason;
        return false;
    }
    return true;
}

RecoveryFile::ReadResult RecoveryFile::read(const QString &path, Contents &contents, QString *why,
                                            Part part)
{
    const auto broken = [why](const QString &reason) {
        if (why != nullptr)
            *why = reason;
        return ReadResult::Broken;
    };
    const QFileInfo info(path);
    if (!info.exists())
        return ReadResult::Missing;
    if (!info.isFile())
        return broken(QStringLiteral("通常のファイルではありません"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return broken(file.errorString());
    // The header is a line and a line of JSON; what holds more before its end is no recovery.
    constexpr qint64 kLongestHeader = 64 * 1024;
    const QByteArray head = file.read(kLongestHeader);
    if (file.error() != QFileDevice::NoError)
        return broken(file.errorString());

    const qsizetype firstEnd = head.indexOf('\n');
    if (firstEnd < 0 || !head.startsWith(kMagic))
        return broken(QStringLiteral("復元データではありません"));
    bool numeric = false;
    const int version =
        QByteArrayView(head).sliced(kMagic.size(), firstEnd - kMagic.size()).toInt(&numeric);
    if (!numeric || version != kFormatVersion)
        return broken(QStringLiteral("別の版の Velmo が書いた復元データです"));
    const qsizetype secondEnd = head.indexOf('\n', firstEnd + 1);
    if (secondEnd < 0)
        return broken(head.size() < kLongestHeader
                          ? QStringLiteral("復元データが途中で切れています")
                          : QStringLiteral("復元データの見出しが壊れています"));
    QJsonParseError parseError;
    const QJsonDocument json =
        QJsonDocument::fromJson(head.sliced(firstEnd + 1, secondEnd - firstEnd - 1), &parseError);
    if (parseError.error != QJsonParseError::NoError || !json.isObject())
        return broken(QStringLiteral("復元データの見出しが壊れています"));
    const QJsonObject header = json.object();
    // The size the header gives is only compared with the file's, never used to allocate
    // before that: a file that claims gigabytes costs nothing to turn down.
    const qint64 size = header.value(QStringLiteral("size")).toInteger(-1);
    const qint64 present = file.size() - (secondEnd + 1);
    if (size < 0 || size > present)
        return broken(QStringLiteral("復元データが途中で切れています"));
    if (size < present)
        return broken(QStringLiteral("復元データが壊れています"));
    contents.documentPath = header.value(QStringLiteral("document")).toString();
    contents.written = QDateTime::fromString(header.value(QStringLiteral("written")).toString(),
                                             Qt::ISODateWithMs);
    if (!contents.written.isValid())
        contents.written = info.lastModified();
    contents.writer = header.value(QStringLiteral("process")).toInteger(0);
    contents.writerStarted = header.value(QStringLiteral("started")).toInteger(0);
    if (part == Part::HeaderOnly)
        return ReadResult::Read;

    if (!file.seek(secondEnd + 1))
        return broken(file.errorString());
    QByteArray bytes = file.read(size);
    if (bytes.size() != size || file.error() != QFileDevice::NoError)
        return broken(QStringLiteral("復元データが途中で切れています"));
    if (header.value(QStringLiteral("check")).toString().toLatin1() != digestOf(bytes))
        return broken(QStringLiteral("復元データが壊れています"));
    contents.documentBytes = std::move(bytes);
    return ReadResult::Read;
}

QString RecoveryFile::setAside(const QString &path)
{
    QString target = path + QStringLiteral(".broken");
    for (int n = 2; QFileInfo::exists(target) && n < 1000; ++n)
        target = path + QStringLiteral(".broken.%1").arg(n);
    return QFile::rename(path, target) ? target : QString();
}

void RecoveryFile::removeStaleTemporaries()
{
    const QDir dir(folder());
    const QStringList names =
        dir.entryList({u'*' + kSuffix + QStringLiteral("*.tmp")}, QDir::Files);
    for (const QString &name : names) {
        // "<recovery>.<pid>.tmp": the writer's process, which may still be writing it.
        const QStringView stem = QStringView(name).chopped(4);
        bool numeric = false;
        const qint64 pid = stem.sliced(stem.lastIndexOf(u'.') + 1).toLongLong(&numeric);
        if (numeric && pid != QCoreApplication::applicationPid() && !processIsRunning(pid))
            QFile::remove(dir.filePath(name));
    }
}

} // namespace velmo
