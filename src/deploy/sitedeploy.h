// SiteDeploy: one transfer of a published site folder to its web server — the server's listing,
// the plan against it and the local record, then the uploads over several connections at once,
// the deletions, and the record brought up to date with what really happened.
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include <QList>
#include <QString>

#include "deploy/deployplan.h"
#include "deploy/deployrecord.h"
#include "deploy/remoteconnection.h"
#include "deploy/serversettings.h"

namespace velmo::deploy {

class SiteDeploy
{
public:
    struct Options
    {
        RemoteConnection::Options connection;
        // Uploads at once, each over a connection of its own.
        int connections = 4;
    };
    enum class Result {
        Done,
        // Some files could not be sent or deleted (each named in failures()).
        Failed,
        // The server could not be reached, logged into or listed (error() says why).
        ConnectionFailed,
        Cancelled,
    };
    struct Failure
    {
        QString path;
        QString message;
    };
    struct Counts
    {
        int uploaded = 0;
        int replaced = 0;
        int deleted = 0;
        int unchanged = 0;
        int failed = 0;
    };
    struct Progress
    {
        int filesDone = 0;
        int filesTotal = 0;
        qint64 bytesDone = 0;
        qint64 bytesTotal = 0;
        // Relative path of the file just started or finished.
        QString currentFile;
    };
    using ProgressHandler = std::function<void(const Progress &)>;

    SiteDeploy(const ServerSettings &settings, const QString &password,
               const QString &publishedFolder, const QString &recordFile, const Options &options);
    ~SiteDeploy();

    // Reads the published folder and the record, lists the server and works out the plan.
    Result prepare();
    const DeployPlan &plan() const { return m_plan; }
    DeployRecord::LoadResult recordState() const { return m_recordState; }

    // Carries out the plan; handler hears of every file begun and finished (from the transfer
    // threads, one call at a time).
    Result execute(const ProgressHandler &handler = {});
    // From any thread: files under way are abandoned at once, no further file is begun, and
    // what was sent is recorded. The old files on the server stay whole.
    void cancel() { m_cancelled.store(true); }
    bool isCancelled() const { return m_cancelled.load(); }

    const Counts &counts() const { return m_counts; }
    const QList<Failure> &failures() const { return m_failures; }
    // Why the run could not go on at all, or empty.
    const QString &error() const { return m_error; }
    // The SFTP host key shown by the server, and whether it was refused.
    QString hostKey() const { return m_hostKey; }
    bool hostKeyRefused() const { return m_hostKeyRefused; }

    // Reads path whole, making sure it did not change while it was read; false with a reason.
    static bool readWholeFile(const QString &path, QByteArray *data, QString *error);

private:
    struct Run;
    // Lists every folder below the remote folder, over several connections at once (one
    // listing per folder is what a run waits for most); links are listed, never entered.
    RemoteConnection::Status listServer(RemoteListing::Tree *tree);
    void transferFiles(Run &run, RemoteConnection &connection, const ProgressHandler &handler);
    // The connection at index, made on first use; the listing's are kept for the transfer, so
    // that a small change costs no new login.
    RemoteConnection &connection(size_t index);
    void deleteFiles(Run &run, const ProgressHandler &handler);
    void addFailure(const QString &path, const QString &message);
    Result finish();

    ServerSettings m_settings;
    QString m_password;
    QString m_publishedFolder;
    QString m_recordFile;
    Options m_options;
    std::atomic<bool> m_cancelled{false};
    DeployRecord m_record;
    DeployRecord::LoadResult m_recordState = DeployRecord::LoadResult::Missing;
    DeployPlan m_plan;
    Counts m_counts;
    QList<Failure> m_failures;
    QString m_error;
    QString m_hostKey;
    bool m_hostKeyRefused = false;
    bool m_prepared = false;
    std::mutex m_mutex;
    std::vector<std::unique_ptr<RemoteConnection>> m_connections;
};

} // namespace velmo::deploy
