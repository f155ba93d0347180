// DeployPlan: what a transfer does — which published files are uploaded, which replace what is
// on the server, which of Velmo's old files are deleted — worked out from the published folder,
// the server's real listing and the local record of earlier uploads.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

#include "deploy/deployrecord.h"
#include "deploy/remotelisting.h"

namespace velmo::deploy {

class DeployPlan
{
public:
    struct LocalFile
    {
        // Relative to the published folder, "/" between folders.
        QString path;
        qint64 size = 0;
        QByteArray hash;
    };
    struct Action
    {
        enum class Kind {
            Upload,
            Replace,
            Delete,
        };
        Kind kind = Kind::Upload;
        QString path;
        qint64 size = 0;
    };
    struct Conflict
    {
        QString path;
        QString reason;
    };
    using RemoteTree = RemoteListing::Tree;

    // The temporary name a file is uploaded under before it is renamed over path.
    static QString temporaryName(const QString &path);
    // Whether a published file is Velmo's own bookkeeping, never uploaded.
    static bool isBookkeeping(const QString &path);

    static DeployPlan make(const QList<LocalFile> &local, const RemoteTree &remote,
                           const DeployRecord &record);

    // Uploads and replacements first, in path order, then the deletions.
    const QList<Action> &actions() const { return m_actions; }
    // Published files that cannot be sent as the server stands (a folder or link in the way).
    const QList<Conflict> &conflicts() const { return m_conflicts; }
    const QStringList &unchanged() const { return m_unchanged; }
    int count(Action::Kind kind) const;
    qint64 bytesToSend() const;
    bool isEmpty() const { return m_actions.isEmpty() && m_conflicts.isEmpty(); }

private:
    QList<Action> m_actions;
    QList<Conflict> m_conflicts;
    QStringList m_unchanged;
};

} // namespace velmo::deploy
