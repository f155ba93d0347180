// FtpServer: an FTP server on 127.0.0.1 for one test — pyftpdlib (tests/support/ftpserver.py) for
// FTP, vsftpd with a certificate made for it for explicit FTPS — serving a folder of its own.
#pragma once

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>

class FtpServer
{
public:
    // Plain FTP is pyftpdlib's (script); FTPS is vsftpd's, as the client's TLS data connections
    // and pyftpdlib's do not agree on Debian 12.
    FtpServer(const QString &script, bool tls) : m_tls(tls)
    {
        QDir().mkpath(root());
        if (tls)
            startVsftpd();
        else
            startPyftpdlib(script);
    }
    ~FtpServer()
    {
        m_process.closeWriteChannel();
        if (m_tls)
            m_process.terminate();
        if (!m_process.waitForFinished(3000)) {
            m_process.kill();
            m_process.waitForFinished(3000);
        }
    }
    FtpServer(const FtpServer &) = delete;
    FtpServer &operator=(const FtpServer &) = delete;

    const QString &error() const { return m_error; }
    int port() const { return m_port; }
    QString root() const { return m_dir.filePath(QStringLiteral("root")); }
    // vsftpd takes anonymous logins only, with any password.
    QString user() const { return m_tls ? QStringLiteral("anonymous") : QStringLiteral("velmo"); }
    static QString password() { return QStringLiteral("ftp-secret"); }

private:
    void startPyftpdlib(const QString &script)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("VELMO_TEST_FTP_PASSWORD"), password());
        m_process.setProcessEnvironment(environment);
        // Debian's interpreter: pyftpdlib is its package (python3-pyftpdlib).
        m_process.start(QStringLiteral("/usr/bin/python3"), {script, root()});
        bool started = m_process.waitForStarted(10000);
        while (started && !m_process.canReadLine())
            started = m_process.waitForReadyRead(10000);
        const QList<QByteArray> words = m_process.readLine().trimmed().split(' ');
        m_port = started && words.size() == 2 ? words.at(1).toInt() : 0;
        if (m_port == 0)
            m_error = QStringLiteral("the FTP server (pyftpdlib) did not start: ") +
                      QString::fromUtf8(m_process.readAllStandardError());
    }

    void startVsftpd()
    {
        const QString vsftpd = QStringLiteral("/usr/sbin/vsftpd");
        if (!QFile::exists(vsftpd)) {
            m_error = QStringLiteral("vsftpd is not installed");
            return;
        }
        const QString pem = m_dir.filePath(QStringLiteral("server.pem"));
        QProcess openssl;
        openssl.setStandardErrorFile(QProcess::nullDevice());
        openssl.start(QStringLiteral("openssl"),
                      {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
                       QStringLiteral("rsa:2048"), QStringLiteral("-nodes"),
                       QStringLiteral("-days"), QStringLiteral("1"), QStringLiteral("-subj"),
                       QStringLiteral("/CN=127.0.0.1"), QStringLiteral("-keyout"), pem,
                       QStringLiteral("-out"), pem});
        if (!openssl.waitForFinished(30000) || openssl.exitCode() != 0) {
            m_error = QStringLiteral("openssl could not make a certificate");
            return;
        }
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost);
        m_port = probe.serverPort();
        probe.close();
        const QString empty = m_dir.filePath(QStringLiteral("empty"));
        QDir().mkpath(empty);
        QFile config(m_dir.filePath(QStringLiteral("vsftpd.conf")));
        config.open(QIODevice::WriteOnly);
        config.write(
            QStringLiteral("listen=YES\nlisten_address=127.0.0.1\nlisten_port=%1\nbackground=NO\n"
                           "anonymous_enable=YES\nlocal_enable=NO\nwrite_enable=YES\n"
                           "anon_upload_enable=YES\nanon_mkdir_write_enable=YES\n"
                           "anon_other_write_enable=YES\nanon_root=%2\nno_anon_password=YES\n"
                           "anon_umask=022\nssl_enable=YES\nallow_anon_ssl=YES\n"
                           "force_anon_logins_ssl=YES\nforce_anon_data_ssl=YES\n"
                           "rsa_cert_file=%3\nrsa_private_key_file=%3\nrequire_ssl_reuse=NO\n"
                           "seccomp_sandbox=NO\nsecure_chroot_dir=%4\n"
                           "run_as_launching_user=YES\nutf8_filesystem=YES\nmax_per_ip=0\n")
                .arg(m_port)
                .arg(root(), pem, empty)
                .toUtf8());
        config.close();
        m_process.start(vsftpd, {config.fileName()});
        for (int i = 0; i < 50 && m_process.waitForStarted(5000); ++i) {
            QTcpSocket socket;
            socket.connectToHost(QHostAddress::LocalHost, quint16(m_port));
            if (socket.waitForConnected(200))
                return;
            if (m_process.state() != QProcess::Running)
                break;
            QThread::msleep(100);
        }
        m_error = QStringLiteral("vsftpd did not start: ") +
                  QString::fromLocal8Bit(m_process.readAllStandardError());
    }

    QTemporaryDir m_dir;
    QProcess m_process;
    QString m_error;
    int m_port = 0;
    bool m_tls = false;
};
