// Comparing the published folder with the server.
#include "deploy/deployplan.h"

#include <algorithm>

#include <QSet>

using namespace Qt::StringLiterals;

namespace velmo::deploy {

namespace {

const QString kTemporarySuffix = QStringLiteral(".velmo-part");

QString folderOf(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    return slash < 0 ? QString() : path.left(slash);
}

QString nameOf(const QString &path)
{
    return path.mid(path.lastIndexOf(u'/') + 1);
}

// A name the commands to the server can carry: no control characters (a line break would end an
// FTP command early).
bool hasControlCharacter(const QString &path)
{
    return std::any_of(path.cbegin(), path.cend(), [](QChar c) { return c.unicode() < 0x20; });
}

// Why path cannot be written as the server stands, or empty.
QString obstacle(const QString &path, const DeployPlan::RemoteTree &remote)
{
    if (hasControlCharacter(path))
        return u"ファイル名に制御文字が含まれているため転送できません。"_s;
    // Every folder on the way must be a real folder: a link there would be followed.
    for (QString folder = folderOf(path); !folder.isEmpty(); folder = folderOf(folder)) {
        const auto it = remote.constFind(folder);
        if (it == remote.cend() || it->type == RemoteListing::Entry::Type::Folder)
            continue;
        return it->type == RemoteListing::Entry::Type::Link
                   ? u"サーバーの「%1」はシンボリックリンクです。リンクはたどりません。"_s.arg(
                         folder)
                   : u"サーバーの「%1」はフォルダではありません。"_s.arg(folder);
    }
    const auto it = remote.constFind(path);
    if (it == remote.cend() || it->type == RemoteListing::Entry::Type::File)
        return {};
    if (it->type == RemoteListing::Entry::Type::Folder)
        return u"サーバーでは同じ名前のフォルダがあります。フォルダは消しません。"_s;
    if (it->type == RemoteListing::Entry::Type::Link)
        return u"サーバーでは同じ名前のシンボリックリンクがあります。リンクはたどらず、置き換えません。"_s;
    return u"サーバーでは同じ名前のファイルでないものがあります。"_s;
}

} // namespace

QString DeployPlan::temporaryName(const QString &path)
{
    const QString folder = folderOf(path);
    const QString name = u'.' + nameOf(path) + kTemporarySuffix;
    return folder.isEmpty() ? name : folder + u'/' + name;
}

bool DeployPlan::isBookkeeping(const QString &path)
{
    const QString name = nameOf(path);
    return name.startsWith(u".velmo-"_s) || name.endsWith(kTemporarySuffix);
}

DeployPlan DeployPlan::make(const QList<LocalFile> &local, const RemoteTree &remote,
                            const DeployRecord &record)
{
    DeployPlan plan;
    QSet<QString> published;
    QList<LocalFile> sorted = local;
    std::sort(sorted.begin(), sorted.end(),
              [](const LocalFile &a, const LocalFile &b) { return a.path < b.path; });
    for (const LocalFile &file : sorted) {
        if (isBookkeeping(file.path))
            continue;
        published.insert(file.path);
        const QString reason = obstacle(file.path, remote);
        if (!reason.isEmpty()) {
            plan.m_conflicts.append({file.path, reason});
            continue;
        }
        const auto there = remote.constFind(file.path);
        if (there == remote.cend()) {
            plan.m_actions.append({Action::Kind::Upload, file.path, file.size});
            continue;
        }
        // Only what Velmo itself sent, still of the size it had, counts as the same content.
        const DeployRecord::File *sent = record.find(file.path);
        if (sent != nullptr && sent->size == file.size && sent->hash == file.hash &&
            there->size == file.size)
            plan.m_unchanged.append(file.path);
        else
            plan.m_actions.append({Action::Kind::Replace, file.path, file.size});
    }

    QStringList deletions;
    for (auto it = record.files().cbegin(); it != record.files().cend(); ++it) {
        const auto there = remote.constFind(it.key());
        // A file the user put in its place (or turned into a folder or link) is theirs now.
        if (!published.contains(it.key()) && there != remote.cend() &&
            there->type == RemoteListing::Entry::Type::File)
            deletions.append(it.key());
    }
    // What a cancelled or broken run left under a temporary name is Velmo's own; one that
    // this run uploads under the same name again is overwritten and renamed anyway.
    QSet<QString> temporaries;
    for (const Action &action : std::as_const(plan.m_actions))
        temporaries.insert(temporaryName(action.path));
    for (auto it = remote.cbegin(); it != remote.cend(); ++it) {
        if (it->type == RemoteListing::Entry::Type::File && nameOf(it.key()).startsWith(u'.') &&
            it.key().endsWith(kTemporarySuffix) && !temporaries.contains(it.key()))
            deletions.append(it.key());
    }
    std::sort(deletions.begin(), deletions.end());
    for (const QString &path : deletions)
        plan.m_actions.append({Action::Kind::Delete, path, remote.value(path).size});
    return plan;
}

int DeployPlan::count(Action::Kind kind) const
{
    return int(std::count_if(m_actions.cbegin(), m_actions.cend(),
                             [kind](const Action &action) { return action.kind == kind; }));
}

qint64 DeployPlan::bytesToSend() const
{
    qint64 total = 0;
    for (const Action &action : m_actions) {
        if (action.kind != Action::Kind::Delete)
            total += action.size;
    }
    return total;
}

} // namespace velmo::deploy
