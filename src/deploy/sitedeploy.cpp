// Carrying out one transfer of a published site.
#include "deploy/sitedeploy.h"

#include <cerrno>
#include <csignal>
#include <thread>

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>

using namespace Qt::StringLiterals;

namespace velmo::deploy {

// What the transfer threads share.
struct SiteDeploy::Run
{
    QList<DeployPlan::Action> transfers;
    std::atomic<qsizetype> next{0};
    Progress progress;
    // Set when the server can no longer be reached: the files not yet begun fail with it.
    QString broken;
};

namespace {

QByteArray sha256(const QByteArray &data)
{
    return QCryptographicHash::hash(data, QCryptographicHash::Sha256).toHex();
}

// Whether some process holds the file open for writing (or maps it writable). The kernel
// grants a read lease only when nobody does; it is given back at once. A writer that opens
// the file in that moment would be reported to us with a signal, so the lease announces
// itself with SIGURG, which is ignored unless asked for, rather than SIGIO, which ends the
// process. Where leases are not available (another owner's file, some file systems) the
// answer is "no" and the size-and-time comparison stands alone.
bool heldOpenForWriting(int fd)
{
    if (::fcntl(fd, F_SETSIG, SIGURG) != 0)
        return false;
    if (::fcntl(fd, F_SETLEASE, F_RDLCK) != 0)
        return errno == EAGAIN;
    ::fcntl(fd, F_SETLEASE, F_UNLCK);
    return false;
}

} // namespace

SiteDeploy::SiteDeploy(const ServerSettings &settings, const QString &password,
                       const QString &publishedFolder, const QString &recordFile,
                       const Options &options)
    : m_settings(settings), m_password(password), m_publishedFolder(publishedFolder),
      m_recordFile(recordFile), m_options(options)
{}

SiteDeploy::~SiteDeploy()
{
    m_password.fill(u'\0');
}

bool SiteDeploy::readWholeFile(const QString &path, QByteArray *data, QString *error)
{
    // A file being rewritten while it is read would go out half old, half new: it is read
    // again until its size and time stay the same around one whole read and nobody holds it
    // open for writing at its end. The last matters for a writer that stops half-way through
    // rewriting a file in place: size and time then stay still while the content is torn.
    for (int attempt = 0; attempt < 5; ++attempt) {
        const QFileInfo before(path);
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            *error = u"公開フォルダのファイルを読めません: %1"_s.arg(file.errorString());
            return false;
        }
        *data = file.readAll();
        const bool beingWritten = heldOpenForWriting(file.handle());
        file.close();
        const QFileInfo after(path);
        if (!beingWritten && before.exists() && after.exists() && before.size() == data->size() &&
            after.size() == data->size() && before.lastModified() == after.lastModified())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50 << attempt));
    }
    *error = u"公開フォルダのファイルが読む間に書き換えられ続けたため、送りませんでした。"_s;
    return false;
}

SiteDeploy::Result SiteDeploy::prepare()
{
    m_prepared = false;
    m_error.clear();
    QList<DeployPlan::LocalFile> local;
    const QString root = QDir(m_publishedFolder).absolutePath();
    if (!QFileInfo(root).isDir()) {
        m_error = u"公開フォルダ %1 がありません。先に HTML出力 をしてください。"_s.arg(root);
        return Result::Failed;
    }
    QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString relative = path.mid(root.size() + 1);
        if (DeployPlan::isBookkeeping(relative))
            continue;
        QByteArray data;
        QString reason;
        if (!readWholeFile(path, &data, &reason)) {
            addFailure(relative, reason);
            continue;
        }
        local.append({relative, data.size(), sha256(data)});
    }
    m_recordState = m_record.load(m_recordFile);

    RemoteListing::Tree remote;
    const RemoteConnection::Status status = listServer(&remote);
    if (status == RemoteConnection::Status::Cancelled)
        return Result::Cancelled;
    if (status != RemoteConnection::Status::Ok)
        return Result::ConnectionFailed;
    // A recorded file that is gone from the server, or is no longer a plain file there, is no
    // longer Velmo's to judge or to delete.
    for (const QString &path : m_record.files().keys()) {
        const auto there = remote.constFind(path);
        if (there == remote.cend() || there->type != RemoteListing::Entry::Type::File)
            m_record.remove(path);
    }
    m_plan = DeployPlan::make(local, remote, m_record);
    m_prepared = true;
    return Result::Done;
}

RemoteConnection::Status SiteDeploy::listServer(RemoteListing::Tree *tree)
{
    // The first connection lists the top alone: a refused login or host key is then said once.
    RemoteConnection &first = connection(0);
    QList<RemoteListing::Entry> top;
    RemoteConnection::Status status = first.listFolder(QString(), &top);
    m_hostKey = first.hostKey();
    m_hostKeyRefused = !first.refusedHostKey().isEmpty();
    if (status != RemoteConnection::Status::Ok) {
        m_error = first.error();
        return status;
    }
    std::mutex mutex;
    std::condition_variable changed;
    QStringList waiting;
    int busy = 0;
    const auto take = [&](const QString &folder, const QList<RemoteListing::Entry> &entries) {
        for (const RemoteListing::Entry &entry : entries) {
            const QString path = folder.isEmpty() ? entry.name : folder + u'/' + entry.name;
            tree->insert(path, entry);
            if (entry.type == RemoteListing::Entry::Type::Folder)
                waiting.append(path);
        }
    };
    take(QString(), top);
    const auto work = [&](RemoteConnection &connection) {
        std::unique_lock lock(mutex);
        for (;;) {
            changed.wait(lock, [&] {
                return !waiting.isEmpty() || busy == 0 || status != RemoteConnection::Status::Ok;
            });
            if (waiting.isEmpty() || status != RemoteConnection::Status::Ok)
                break;
            const QString folder = waiting.takeLast();
            ++busy;
            lock.unlock();
            QList<RemoteListing::Entry> entries;
            const RemoteConnection::Status listed = connection.listFolder(folder, &entries);
            lock.lock();
            --busy;
            if (listed == RemoteConnection::Status::Ok) {
                take(folder, entries);
            } else if (status == RemoteConnection::Status::Ok) {
                status = listed;
                m_error = connection.error();
            }
            changed.notify_all();
        }
        changed.notify_all();
    };
    std::vector<std::thread> helpers;
    for (int i = 1; i < qMax(1, m_options.connections); ++i) {
        RemoteConnection &helper = connection(size_t(i));
        helpers.emplace_back([&work, &helper] { work(helper); });
    }
    work(first);
    for (std::thread &helper : helpers)
        helper.join();
    return status;
}

RemoteConnection &SiteDeploy::connection(size_t index)
{
    while (m_connections.size() <= index)
        m_connections.push_back(std::make_unique<RemoteConnection>(
            m_settings, m_password, m_options.connection, &m_cancelled));
    return *m_connections[index];
}

void SiteDeploy::addFailure(const QString &path, const QString &message)
{
    m_failures.append({path, message});
    ++m_counts.failed;
}

void SiteDeploy::transferFiles(Run &run, RemoteConnection &connection,
                               const ProgressHandler &handler)
{
    while (!m_cancelled.load()) {
        const qsizetype index = run.next.fetch_add(1);
        if (index >= run.transfers.size())
            return;
        const DeployPlan::Action &action = run.transfers.at(index);
        {
            const std::lock_guard lock(m_mutex);
            if (!run.broken.isEmpty()) {
                addFailure(action.path, run.broken);
                continue;
            }
            run.progress.currentFile = action.path;
            if (handler)
                handler(run.progress);
        }
        QByteArray data;
        QString reason;
        RemoteConnection::Status status = RemoteConnection::Status::Failed;
        qint64 counted = 0;
        if (readWholeFile(m_publishedFolder + u'/' + action.path, &data, &reason)) {
            const auto progress = [&](qint64 sent) {
                const std::lock_guard lock(m_mutex);
                run.progress.bytesDone += sent - counted;
                counted = sent;
            };
            status = connection.upload(action.path, data, progress);
            // One broken connection may be the server's hiccup: the file is tried once more
            // on a new one before the run counts the server as gone.
            if (status == RemoteConnection::Status::ConnectionFailed && !m_cancelled.load())
                status = connection.upload(action.path, data, progress);
            reason = connection.error();
        }
        const std::lock_guard lock(m_mutex);
        run.progress.bytesDone += data.size() - counted;
        if (status == RemoteConnection::Status::Ok) {
            m_record.set(action.path, {data.size(), sha256(data)});
            ++(action.kind == DeployPlan::Action::Kind::Upload ? m_counts.uploaded
                                                               : m_counts.replaced);
        } else if (status != RemoteConnection::Status::Cancelled) {
            addFailure(action.path, reason);
            if (status == RemoteConnection::Status::ConnectionFailed)
                run.broken = reason;
        }
        ++run.progress.filesDone;
        run.progress.currentFile = action.path;
        if (handler)
            handler(run.progress);
    }
}

void SiteDeploy::deleteFiles(Run &run, const ProgressHandler &handler)
{
    RemoteConnection &remote = connection(0);
    for (const DeployPlan::Action &action : m_plan.actions()) {
        if (action.kind != DeployPlan::Action::Kind::Delete || m_cancelled.load())
            continue;
        if (!run.broken.isEmpty()) {
            addFailure(action.path, run.broken);
            continue;
        }
        const RemoteConnection::Status status = remote.remove(action.path);
        const std::lock_guard lock(m_mutex);
        // Gone already is as good as deleted.
        if (status == RemoteConnection::Status::Ok ||
            status == RemoteConnection::Status::NotFound) {
            m_record.remove(action.path);
            if (!DeployPlan::isBookkeeping(action.path))
                ++m_counts.deleted;
        } else if (status != RemoteConnection::Status::Cancelled) {
            addFailure(action.path, remote.error());
            if (status == RemoteConnection::Status::ConnectionFailed)
                run.broken = remote.error();
        }
        ++run.progress.filesDone;
        run.progress.currentFile = action.path;
        if (handler)
            handler(run.progress);
    }
}

SiteDeploy::Result SiteDeploy::execute(const ProgressHandler &handler)
{
    if (!m_prepared)
        return Result::Failed;
    Run run;
    for (const DeployPlan::Action &action : m_plan.actions()) {
        if (action.kind != DeployPlan::Action::Kind::Delete)
            run.transfers.append(action);
    }
    run.progress.filesTotal = int(m_plan.actions().size());
    run.progress.bytesTotal = m_plan.bytesToSend();
    for (const DeployPlan::Conflict &conflict : m_plan.conflicts())
        addFailure(conflict.path, conflict.reason);
    m_counts.unchanged = int(m_plan.unchanged().size());
    if (handler)
        handler(run.progress);

    const int threads = int(qMin<qsizetype>(qMax(1, m_options.connections), run.transfers.size()));
    std::vector<std::thread> workers;
    for (int i = 0; i < threads; ++i) {
        RemoteConnection &worker = connection(size_t(i));
        workers.emplace_back(
            [this, &run, &worker, &handler] { transferFiles(run, worker, handler); });
    }
    for (std::thread &worker : workers)
        worker.join();
    deleteFiles(run, handler);
    return finish();
}

SiteDeploy::Result SiteDeploy::finish()
{
    QString error;
    if (!m_record.save(m_recordFile, &error))
        addFailure(m_recordFile, u"転送の記録を保存できませんでした: %1"_s.arg(error));
    if (m_cancelled.load())
        return Result::Cancelled;
    return m_failures.isEmpty() ? Result::Done : Result::Failed;
}

} // namespace velmo::deploy
