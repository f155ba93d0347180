// Reading and writing the local record of what was uploaded.
#include "deploy/deployrecord.h"

#include <algorithm>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QSaveFile>

using namespace Qt::StringLiterals;

namespace velmo::deploy {

namespace {

// The first line names the format; the last counts the files, so that a record cut short at
// a line's end is still seen as damaged.
constexpr QByteArrayView kHeader = "velmo-deploy-record 1";
constexpr QByteArrayView kEnd = "end ";

QString stateFolder()
{
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty())
        state = QDir::homePath() + u"/.local/state"_s;
    return state + u"/velmo/deploy"_s;
}

} // namespace

QString DeployRecord::defaultFile(const QString &siteKey, const QString &serverUrl)
{
    const QByteArray server =
        QCryptographicHash::hash(serverUrl.toUtf8(), QCryptographicHash::Sha256).toHex().left(16);
    return stateFolder() + u'/' + siteKey + u'/' + QString::fromLatin1(server) + u".tsv"_s;
}

DeployRecord::LoadResult DeployRecord::load(const QString &path)
{
    m_files.clear();
    QFile file(path);
    if (!file.exists())
        return LoadResult::Missing;
    if (!file.open(QIODevice::ReadOnly))
        return LoadResult::Damaged;
    const QList<QByteArray> lines = file.readAll().split('\n');
    // Header, entries, the count and the empty piece after the last line break.
    if (lines.size() < 3 || lines.first() != kHeader || !lines.last().isEmpty() ||
        !lines.at(lines.size() - 2).startsWith(kEnd))
        return LoadResult::Damaged;
    bool ok = false;
    const qsizetype count = lines.at(lines.size() - 2).mid(kEnd.size()).toLongLong(&ok);
    if (!ok || count != lines.size() - 3)
        return LoadResult::Damaged;
    for (qsizetype i = 1; i < lines.size() - 2; ++i) {
        const QList<QByteArray> fields = lines.at(i).split('\t');
        File entry;
        entry.size = fields.size() == 3 ? fields.at(0).toLongLong(&ok) : -1;
        entry.hash = fields.value(1);
        const QString name = QString::fromUtf8(fields.value(2));
        if (!ok || entry.size < 0 || entry.hash.size() != 64 || name.isEmpty()) {
            m_files.clear();
            return LoadResult::Damaged;
        }
        m_files.insert(name, entry);
    }
    return LoadResult::Loaded;
}

bool DeployRecord::save(const QString &path, QString *error) const
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QStringList names = m_files.keys();
    std::sort(names.begin(), names.end());
    QByteArray text = kHeader.toByteArray() + '\n';
    for (const QString &name : names) {
        const File &entry = m_files[name];
        text += QByteArray::number(entry.size) + '\t' + entry.hash + '\t' + name.toUtf8() + '\n';
    }
    text += kEnd.toByteArray() + QByteArray::number(names.size()) + '\n';
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(text) == text.size() && file.commit())
        return true;
    if (error != nullptr)
        *error = u"%1: %2"_s.arg(path, file.errorString());
    return false;
}

const DeployRecord::File *DeployRecord::find(const QString &path) const
{
    const auto it = m_files.constFind(path);
    return it == m_files.cend() ? nullptr : &*it;
}

} // namespace velmo::deploy
