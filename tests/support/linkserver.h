// LinkServer: starts tests/support/linkserver.py, the HTTP server on 127.0.0.1 that the external
// link check is tested and measured against, and stops it again.
#pragma once

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QStringList>

class LinkServer
{
public:
    // Starts the script; error() says why when it could not.
    explicit LinkServer(const QString &script)
    {
        // A proxy set for this machine must not stand between the check and the server.
        qputenv("no_proxy", "127.0.0.1,localhost,.localhost");
        qputenv("NO_PROXY", "127.0.0.1,localhost,.localhost");
        m_process.start(QStringLiteral("python3"), {script});
        if (!m_process.waitForStarted(10000)) {
            m_error = QStringLiteral("python3 cannot be started: ") + m_process.errorString();
            return;
        }
        if (!m_process.waitForReadyRead(10000)) {
            m_error = QStringLiteral("the link server did not start: ") +
                      QString::fromUtf8(m_process.readAllStandardError());
            return;
        }
        const QStringList words = QString::fromUtf8(m_process.readLine()).split(u' ');
        if (words.size() == 4) {
            m_port = words[1].toInt();
            m_silentPort = words[3].trimmed().toInt();
        }
        if (m_port == 0)
            m_error = QStringLiteral("the link server gave no port");
    }
    ~LinkServer()
    {
        // It stops when its input closes; one that does not is ended.
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(3000)) {
            m_process.kill();
            m_process.waitForFinished(3000);
        }
    }
    LinkServer(const LinkServer &) = delete;
    LinkServer &operator=(const LinkServer &) = delete;

    const QString &error() const { return m_error; }
    // http://host:port, for a host name that reaches 127.0.0.1 ("127.0.0.1", "a.localhost").
    QString base(const QString &host = QStringLiteral("127.0.0.1")) const
    {
        return QStringLiteral("http://%1:%2").arg(host).arg(m_port);
    }
    // An address whose server takes the connection and never answers.
    QString silent() const { return QStringLiteral("http://127.0.0.1:%1/").arg(m_silentPort); }

    // The server's account: "most", the most requests one host had at once, and "requests",
    // the number per path.
    QJsonObject stats()
    {
        QProcess client;
        client.start(QStringLiteral("python3"),
                     {QStringLiteral("-c"),
                      QStringLiteral("import urllib.request as r,sys;"
                                     "o=r.build_opener(r.ProxyHandler({}));"
                                     "sys.stdout.write(o.open('%1/stats').read().decode())")
                          .arg(base())});
        client.waitForFinished(10000);
        return QJsonDocument::fromJson(client.readAllStandardOutput()).object();
    }

private:
    QProcess m_process;
    QString m_error;
    int m_port = 0;
    int m_silentPort = 0;
};
