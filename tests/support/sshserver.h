// SshServer: OpenSSH's sshd started on 127.0.0.1 for one test, not as a daemon, with a port,
// folder, host key, user key and configuration of its own; stopped (or frozen) on demand.
#pragma once

#include <csignal>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>

#include <unistd.h>

class SshServer
{
public:
    SshServer()
    {
        if (!QFile::exists(sshd())) {
            m_error = QStringLiteral("%1 is not installed (openssh-server)").arg(sshd());
            return;
        }
        // Privilege separation wants its empty folder; only root may make it.
        QDir().mkpath(QStringLiteral("/run/sshd"));
        const QString keygen = QStringLiteral("ssh-keygen");
        for (const QString &name : {QStringLiteral("hostkey"), QStringLiteral("userkey")}) {
            if (QProcess::execute(keygen, {QStringLiteral("-q"), QStringLiteral("-t"),
                                           QStringLiteral("ed25519"), QStringLiteral("-N"),
                                           QString(), QStringLiteral("-f"), path(name)}) != 0) {
                m_error = QStringLiteral("ssh-keygen could not make a key");
                return;
            }
        }
        QFile::copy(path(QStringLiteral("userkey.pub")), path(QStringLiteral("authorized_keys")));
        QDir().mkpath(root());
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost);
        m_port = probe.serverPort();
        probe.close();
        QFile config(path(QStringLiteral("sshd_config")));
        config.open(QIODevice::WriteOnly);
        config.write(QStringLiteral("Port %1\nListenAddress 127.0.0.1\nHostKey %2\n"
                                    "PidFile %3\nAuthorizedKeysFile %4\nStrictModes no\n"
                                    "PermitRootLogin yes\nPasswordAuthentication yes\n"
                                    "KbdInteractiveAuthentication no\nUsePAM no\n"
                                    "Subsystem sftp internal-sftp\nLogLevel ERROR\n")
                         .arg(m_port)
                         .arg(path(QStringLiteral("hostkey")), path(QStringLiteral("sshd.pid")),
                              path(QStringLiteral("authorized_keys")))
                         .toUtf8());
        config.close();
        start();
    }
    ~SshServer() { stop(); }
    SshServer(const SshServer &) = delete;
    SshServer &operator=(const SshServer &) = delete;

    static QString sshd() { return QStringLiteral("/usr/sbin/sshd"); }
    const QString &error() const { return m_error; }
    int port() const { return m_port; }
    // The folder the tests publish into.
    QString root() const { return path(QStringLiteral("root")); }
    QString userKey() const { return path(QStringLiteral("userkey")); }
    QString hostKeyFile() const { return path(QStringLiteral("hostkey.pub")); }
    QString path(const QString &name) const { return m_dir.filePath(name); }
    QString user() const
    {
        return QString::fromLocal8Bit(qgetenv("USER").isEmpty() ? "root" : qgetenv("USER"));
    }

    // (Re)starts sshd on the same port; true once it takes connections.
    bool start()
    {
        stop();
        m_process.start(sshd(), {QStringLiteral("-D"), QStringLiteral("-e"), QStringLiteral("-f"),
                                 path(QStringLiteral("sshd_config"))});
        if (!m_process.waitForStarted(5000)) {
            m_error = QStringLiteral("sshd cannot be started: ") + m_process.errorString();
            return false;
        }
        for (int i = 0; i < 50; ++i) {
            QTcpSocket socket;
            socket.connectToHost(QHostAddress::LocalHost, quint16(m_port));
            if (socket.waitForConnected(200))
                return true;
            if (m_process.state() != QProcess::Running)
                break;
            QThread::msleep(100);
        }
        m_error = QStringLiteral("sshd did not start: ") +
                  QString::fromLocal8Bit(m_process.readAllStandardError());
        return false;
    }
    // Ends sshd and every session it runs, at once; callable from any thread.
    void kill() { signalAll(SIGKILL); }
    // Ends sshd and waits for it.
    void stop()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        signalAll(SIGCONT);
        signalAll(SIGKILL);
        m_process.waitForFinished(5000);
    }
    // Freezes (or thaws) sshd and its sessions: a server that stops answering.
    void freeze(bool frozen) { signalAll(frozen ? SIGSTOP : SIGCONT); }

private:
    // sshd and its sessions: each session forks off into a session of its own, so they are
    // found by their parents, not by a process group.
    void signalAll(int signal)
    {
        QList<qint64> family{m_process.processId()};
        for (qsizetype known = 0; known != family.size();) {
            known = family.size();
            const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
            for (const QString &entry : entries) {
                bool number = false;
                const qint64 pid = entry.toLongLong(&number);
                if (!number || family.contains(pid))
                    continue;
                QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
                if (!stat.open(QIODevice::ReadOnly))
                    continue;
                const QByteArray text = stat.readAll();
                const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
                if (fields.size() > 1 && family.contains(fields.at(1).toLongLong()))
                    family.append(pid);
            }
        }
        for (qint64 pid : family) {
            if (pid > 0)
                ::kill(pid_t(pid), signal);
        }
    }

    QTemporaryDir m_dir;
    QProcess m_process;
    QString m_error;
    int m_port = 0;
};
