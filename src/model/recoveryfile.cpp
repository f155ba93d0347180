// Writing, reading and checking recovery files.
#include "model/recoveryfile.h"

#include <cerrno>

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

#include <signal.h>

namespace velmo {

namespace {

constexpr QByteArrayView kMagic = "VELMO-RECOVERY ";
const QString kSuffix = QStringLiteral(".velmo-recovery");

QByteArray digestOf(QByteArrayView bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

bool processIsRunning(qint64 pid)
{
    if (pid <= 0)
        return false;
    // EPERM: it runs, under another user.
    return ::kill(pid_t(pid), 0) == 0 || errno == EPERM;
}

} // namespace

QString RecoveryFile::folder()
{
    // The XDG base directory rules ignore a relative value.
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty() || QDir::isRelativePath(state))
        state = QDir::homePath() + QStringLiteral("/.local/state");
    return state + QStringLiteral("/velmo/recovery");
}

QString RecoveryFile::untitledPrefix()
{
    return QStringLiteral("untitled-");
}

QString RecoveryFile::pathFor(const QString &documentPath)
{
    if (documentPath.isEmpty())
        return folder() + u'/' + untitledPrefix() +
               QString::number(QCoreApplication::applicationPid()) + kSuffix;
    // The path itself may be longer than a file name may be; its digest is not, and the file's
    // own name keeps the folder readable for a person looking into it.
    const QString absolute = QFileInfo(documentPath).absoluteFilePath();
    const QString digest = QString::fromLatin1(
        QCryptographicHash::hash(absolute.toUtf8(), QCryptographicHash::Sha1).toHex().left(16));
    QString base = QFileInfo(absolute).completeBaseName().left(60);
    base.replace(u'/', u'_');
    return folder() + u'/' + base + u'-' + digest + kSuffix;
}

QByteArray RecoveryFile::header(const QString &documentPath, const QDateTime &written,
                                QByteArrayView documentBytes)
{
    const QJsonObject fields{
        {QStringLiteral("document"), documentPath},
        {QStringLiteral("written"), written.toUTC().toString(Qt::ISODateWithMs)},
        {QStringLiteral("size"), qint64(documentBytes.size())},
        {QStringLiteral("sha256"), QString::fromLatin1(digestOf(documentBytes))},
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
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(head) != head.size() ||
        file.write(documentBytes.data(), documentBytes.size()) != documentBytes.size() ||
        !file.commit()) {
        if (error != nullptr)
            *error = file.errorString();
        return false;
    }
    return true;
}

RecoveryFile::ReadResult RecoveryFile::read(const QString &path, Contents &contents, QString *why)
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
    const QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return broken(file.errorString());

    const qsizetype firstEnd = data.indexOf('\n');
    if (firstEnd < 0 || !data.startsWith(kMagic))
        return broken(QStringLiteral("復元データではありません"));
    bool numeric = false;
    const int version =
        QByteArrayView(data).sliced(kMagic.size(), firstEnd - kMagic.size()).toInt(&numeric);
    if (!numeric || version != kFormatVersion)
        return broken(QStringLiteral("別の版の Velmo が書いた復元データです"));
    const qsizetype secondEnd = data.indexOf('\n', firstEnd + 1);
    if (secondEnd < 0)
        return broken(QStringLiteral("復元データが途中で切れています"));
    QJsonParseError parseError;
    const QJsonDocument json =
        QJsonDocument::fromJson(data.sliced(firstEnd + 1, secondEnd - firstEnd - 1), &parseError);
    if (parseError.error != QJsonParseError::NoError || !json.isObject())
        return broken(QStringLiteral("復元データの見出しが壊れています"));
    const QJsonObject header = json.object();
    // The size is only compared with what is there, never used to allocate.
    const QByteArrayView bytes = QByteArrayView(data).sliced(secondEnd + 1);
    if (header.value(QStringLiteral("size")).toInteger(-1) != bytes.size())
        return broken(QStringLiteral("復元データが途中で切れています"));
    if (header.value(QStringLiteral("sha256")).toString().toLatin1() != digestOf(bytes))
        return broken(QStringLiteral("復元データが壊れています"));
    contents.documentPath = header.value(QStringLiteral("document")).toString();
    contents.written = QDateTime::fromString(header.value(QStringLiteral("written")).toString(),
                                             Qt::ISODateWithMs);
    if (!contents.written.isValid())
        contents.written = info.lastModified();
    contents.documentBytes = bytes.toByteArray();
    return ReadResult::Read;
}

QString RecoveryFile::setAside(const QString &path)
{
    QString target = path + QStringLiteral(".broken");
    for (int n = 2; QFileInfo::exists(target) && n < 1000; ++n)
        target = path + QStringLiteral(".broken.%1").arg(n);
    return QFile::rename(path, target) ? target : QString();
}

QStringList RecoveryFile::orphanedUntitled()
{
    const QDir dir(folder());
    const QFileInfoList files =
        dir.entryInfoList({untitledPrefix() + u'*' + kSuffix}, QDir::Files, QDir::Time);
    QStringList orphans;
    for (const QFileInfo &file : files) {
        const QString name = file.fileName();
        bool numeric = false;
        const qint64 pid = QStringView(name)
                               .sliced(untitledPrefix().size(),
                                       name.size() - untitledPrefix().size() - kSuffix.size())
                               .toLongLong(&numeric);
        if (numeric && pid != QCoreApplication::applicationPid() && !processIsRunning(pid))
            orphans << file.absoluteFilePath();
    }
    return orphans;
}

} // namespace velmo
