// Transfers against real servers on 127.0.0.1: OpenSSH's sshd for SFTP, pyftpdlib for FTP and
// FTPS. Each test starts its own and says SKIP, with the reason, where one cannot start.
#include <thread>

#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "deploy/sitedeploy.h"
#include "ftpserver.h"
#include "sshserver.h"

using namespace velmo::deploy;

namespace {

void writeFile(const QString &path, const QByteArray &data)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(data);
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// Every file below root with its bytes, by relative path; bookkeeping left out.
QMap<QString, QByteArray> tree(const QString &root)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (!DeployPlan::isBookkeeping(path))
            files.insert(path.mid(root.size() + 1), readFile(path));
    }
    return files;
}

// One server of each kind behind the same questions.
struct Server
{
    std::unique_ptr<SshServer> ssh;
    std::unique_ptr<FtpServer> ftp;
    ServerSettings settings;
    QString password;
    QString folder;

    QString error() const { return ssh ? ssh->error() : ftp->error(); }
};

Server startServer(ServerSettings::Protocol protocol)
{
    Server server;
    server.settings.protocol = protocol;
    server.settings.host = u"127.0.0.1"_qs;
    if (protocol == ServerSettings::Protocol::Sftp) {
        server.ssh = std::make_unique<SshServer>();
        server.settings.port = server.ssh->port();
        server.settings.user = server.ssh->user();
        server.settings.keyFile = server.ssh->userKey();
        server.settings.remoteFolder = server.ssh->root() + u"/公開 site"_qs;
        server.folder = server.settings.remoteFolder;
    } else {
        server.ftp = std::make_unique<FtpServer>(QStringLiteral(VELMO_FTP_SERVER),
                                                 protocol == ServerSettings::Protocol::Ftps);
        server.settings.port = server.ftp->port();
        server.settings.user = server.ftp->user();
        server.settings.checkCertificate = false;
        server.password = FtpServer::password();
        server.settings.remoteFolder = u"公開 site"_qs;
        server.folder = server.ftp->root() + u"/公開 site"_qs;
    }
    QDir().mkpath(server.folder);
    return server;
}

SiteDeploy::Options testOptions(const QString &knownHosts)
{
    SiteDeploy::Options options;
    options.connection.acceptUnknownHostKey = true;
    options.connection.knownHostsFile = knownHosts;
    return options;
}

} // namespace

class TestSiteDeploy : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString published() const { return m_dir.filePath(u"web/site"_qs); }
    QString record() const { return m_dir.filePath(u"record.tsv"_qs); }
    QString knownHosts() const { return m_dir.filePath(u"known_hosts"_qs); }

    SiteDeploy::Result run(const Server &server, SiteDeploy::Counts *counts = nullptr,
                           QList<SiteDeploy::Failure> *failures = nullptr,
                           const SiteDeploy::Options &options = {},
                           const SiteDeploy::ProgressHandler &handler = {})
    {
        SiteDeploy::Options used = options;
        used.connection.acceptUnknownHostKey = true;
        used.connection.knownHostsFile = knownHosts();
        SiteDeploy deploy(server.settings, server.password, published(), record(), used);
        SiteDeploy::Result result = deploy.prepare();
        if (result == SiteDeploy::Result::Done)
            result = deploy.execute(handler);
        for (const SiteDeploy::Failure &failure : deploy.failures())
            qInfo() << failure.path << failure.message;
        if (!deploy.error().isEmpty())
            qInfo() << deploy.error();
        if (counts != nullptr)
            *counts = deploy.counts();
        if (failures != nullptr)
            *failures = deploy.failures();
        return result;
    }

private Q_SLOTS:
    void init()
    {
        QDir(published()).removeRecursively();
        QFile::remove(record());
    }

    // The whole cycle on each protocol: a first upload, nothing to do, one change and one
    // page gone, a lost record; names with blanks and Japanese keep their bytes, and the
    // user's own file stays.
    void keepsTheServerInStep_data()
    {
        QTest::addColumn<int>("protocol");
        QTest::newRow("sftp") << int(ServerSettings::Protocol::Sftp);
        QTest::newRow("ftp") << int(ServerSettings::Protocol::Ftp);
        QTest::newRow("ftps") << int(ServerSettings::Protocol::Ftps);
    }
    void keepsTheServerInStep()
    {
        QFETCH(int, protocol);
        const Server server = startServer(ServerSettings::Protocol(protocol));
        if (!server.error().isEmpty())
            QSKIP(qPrintable(u"SKIP: "_qs + server.error()));
        writeFile(server.folder + u"/.htaccess"_qs, "Options -Indexes\n");
        writeFile(published() + u"/index.html"_qs, "<p>home</p>");
        writeFile(published() + u"/写真 帳/a  b.html"_qs, "<p>日本語</p>");
        writeFile(published() + u"/css/s.css"_qs, "p{}");
        writeFile(published() + u"/.velmo-published"_qs, "index.html\n");

        SiteDeploy::Counts counts;
        QList<SiteDeploy::Failure> failures;
        QCOMPARE(run(server, &counts, &failures), SiteDeploy::Result::Done);
        QCOMPARE(counts.uploaded, 3);
        QVERIFY(QFile::exists(server.folder + u"/写真 帳/a  b.html"_qs));
        QVERIFY(!QFile::exists(server.folder + u"/.velmo-published"_qs));

        QCOMPARE(run(server, &counts), SiteDeploy::Result::Done);
        QCOMPARE(counts.unchanged, 3);
        QCOMPARE(counts.uploaded + counts.replaced + counts.deleted, 0);

        writeFile(published() + u"/index.html"_qs, "<p>HOME</p>");
        QFile::remove(published() + u"/css/s.css"_qs);
        QCOMPARE(run(server, &counts), SiteDeploy::Result::Done);
        QCOMPARE(counts.replaced, 1);
        QCOMPARE(counts.deleted, 1);
        QCOMPARE(counts.unchanged, 1);
        QMap<QString, QByteArray> expected = tree(published());
        expected.insert(u".htaccess"_qs, "Options -Indexes\n");
        QCOMPARE(tree(server.folder), expected);

        // Without its record Velmo compares everything and deletes nothing.
        QFile::remove(record());
        QCOMPARE(run(server, &counts), SiteDeploy::Result::Done);
        QCOMPARE(counts.replaced, 2);
        QCOMPARE(counts.unchanged, 0);
        QCOMPARE(tree(server.folder), expected);
    }

    void connectionFailures_data()
    {
        QTest::addColumn<int>("protocol");
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("message");
        const int sftp = int(ServerSettings::Protocol::Sftp);
        const int ftp = int(ServerSettings::Protocol::Ftp);
        const int ftps = int(ServerSettings::Protocol::Ftps);
        // clang-format off
        QTest::newRow("sftp wrong password") << sftp << u"password"_qs << u"ログインできません"_qs;
        QTest::newRow("sftp unknown host key") << sftp << u"hostkey"_qs << u"SHA256:"_qs;
        QTest::newRow("sftp no such folder") << sftp << u"folder"_qs << u"ありません"_qs;
        QTest::newRow("ftp wrong password") << ftp << u"password"_qs << u"ログインできません"_qs;
        QTest::newRow("ftp no such folder") << ftp << u"folder"_qs << u"ありません"_qs;
        QTest::newRow("ftps untrusted certificate") << ftps << u"certificate"_qs << u"証明書"_qs;
        QTest::newRow("nobody listening") << ftp << u"port"_qs << u"接続できません"_qs;
        // clang-format on
    }
    void connectionFailures()
    {
        QFETCH(int, protocol);
        QFETCH(QString, fault);
        QFETCH(QString, message);
        Server server = startServer(ServerSettings::Protocol(protocol));
        if (!server.error().isEmpty())
            QSKIP(qPrintable(u"SKIP: "_qs + server.error()));
        writeFile(published() + u"/index.html"_qs, "x");
        SiteDeploy::Options options = testOptions(knownHosts());
        if (fault == u"password") {
            server.settings.keyFile.clear();
            server.password = u"wrong"_qs;
        } else if (fault == u"hostkey") {
            options.connection.acceptUnknownHostKey = false;
        } else if (fault == u"folder") {
            server.settings.remoteFolder += u"/none"_qs;
        } else if (fault == u"certificate") {
            server.settings.checkCertificate = true;
        } else {
            server.settings.port = 1;
        }
        SiteDeploy deploy(server.settings, server.password, published(), record(), options);
        QCOMPARE(deploy.prepare(), SiteDeploy::Result::ConnectionFailed);
        QVERIFY2(deploy.error().contains(message), qPrintable(deploy.error()));
        if (fault == u"hostkey") {
            // The fingerprint shown is the one ssh-keygen gives for the server's key.
            QProcess keygen;
            keygen.start(u"ssh-keygen"_qs, {u"-lf"_qs, server.ssh->hostKeyFile()});
            QVERIFY(keygen.waitForFinished());
            const QString fingerprint =
                QString::fromLatin1(keygen.readAllStandardOutput()).section(u' ', 1, 1);
            QVERIFY2(deploy.error().contains(fingerprint), qPrintable(deploy.error()));
            // Once in known_hosts it is trusted.
            writeFile(knownHosts(), u"[127.0.0.1]:%1 "_qs.arg(server.settings.port).toUtf8() +
                                        readFile(server.ssh->hostKeyFile()));
            SiteDeploy trusted(server.settings, server.password, published(), record(), options);
            QCOMPARE(trusted.prepare(), SiteDeploy::Result::Done);
            QFile::remove(knownHosts());
        }
    }

    // A folder that cannot be written: each file named with the server's answer.
    void unwritableFolderNamesEachFile()
    {
        Server server = startServer(ServerSettings::Protocol::Ftp);
        if (!server.error().isEmpty())
            QSKIP(qPrintable(u"SKIP: "_qs + server.error()));
        server.settings.user = u"reader"_qs;
        writeFile(published() + u"/a.html"_qs, "a");
        writeFile(published() + u"/b.html"_qs, "b");
        SiteDeploy::Counts counts;
        QList<SiteDeploy::Failure> failures;
        QCOMPARE(run(server, &counts, &failures), SiteDeploy::Result::Failed);
        QCOMPARE(counts.failed, 2);
        QCOMPARE(failures.size(), 2);
        for (const SiteDeploy::Failure &failure : failures)
            QVERIFY2(failure.message.contains(u"550"_qs), qPrintable(failure.message));
    }

    // The server dies half-way: the files not sent are named, the run fails, the next run
    // completes the site and clears what the broken one left under temporary names.
    void serverStoppedInTheMiddle()
    {
        Server server = startServer(ServerSettings::Protocol::Sftp);
        if (!server.error().isEmpty())
            QSKIP(qPrintable(u"SKIP: "_qs + server.error()));
        for (int i = 0; i < 40; ++i)
            writeFile(published() + u"/p%1.html"_qs.arg(i), QByteArray(20000, char('a' + i % 26)));
        SiteDeploy::Options options;
        options.connections = 2;
        SshServer *ssh = server.ssh.get();
        const auto killAfterFive = [ssh](const SiteDeploy::Progress &progress) {
            if (progress.filesDone == 5)
                ssh->kill();
        };
        SiteDeploy::Counts counts;
        QList<SiteDeploy::Failure> failures;
        QCOMPARE(run(server, &counts, &failures, options, killAfterFive),
                 SiteDeploy::Result::Failed);
        QVERIFY(counts.failed > 0);
        QCOMPARE(counts.failed, failures.size());
        QCOMPARE(counts.uploaded + counts.failed, 40);
        for (const SiteDeploy::Failure &failure : failures)
            QVERIFY2(failure.path.startsWith(u'p') && !failure.message.isEmpty(),
                     qPrintable(failure.path + failure.message));

        QVERIFY(server.ssh->start());
        QCOMPARE(run(server, &counts), SiteDeploy::Result::Done);
        QCOMPARE(tree(server.folder), tree(published()));
        QDirIterator left(server.folder, {u"*.velmo-part"_qs}, QDir::Files | QDir::Hidden);
        QVERIFY(!left.hasNext());
    }

    // Cancelled half-way: what is on the server is whole (old or new, never half), the run says
    // so, and the next run completes the site.
    void cancelledRunLeavesWholeFiles()
    {
        Server server = startServer(ServerSettings::Protocol::Sftp);
        if (!server.error().isEmpty())
            QSKIP(qPrintable(u"SKIP: "_qs + server.error()));
        for (int i = 0; i < 30; ++i)
            writeFile(published() + u"/p%1.html"_qs.arg(i), QByteArray(50000, char('a' + i % 26)));
        SiteDeploy::Options options = testOptions(knownHosts());
        options.connections = 2;
        SiteDeploy deploy(server.settings, server.password, published(), record(), options);
        QCOMPARE(deploy.prepare(), SiteDeploy::Result::Done);
        QCOMPARE(deploy.execute([&deploy](const SiteDeploy::Progress &progress) {
            if (progress.filesDone == 4)
                deploy.cancel();
        }),
                 SiteDeploy::Result::Cancelled);
        QVERIFY(deploy.counts().uploaded < 30);
        const QMap<QString, QByteArray> local = tree(published());
        const QMap<QString, QByteArray> sent = tree(server.folder);
        for (auto it = sent.cbegin(); it != sent.cend(); ++it)
            QCOMPARE(it.value(), local.value(it.key()));

        SiteDeploy::Counts counts;
        QCOMPARE(run(server, &counts), SiteDeploy::Result::Done);
        QCOMPARE(tree(server.folder), local);
    }

    // A server that stops answering ends the run with a message, within the stall time.
    void silentServerDoesNotHang()
    {
        Server server = startServer(ServerSettings::Protocol::Sftp);
        if (!server.error().isEmpty())
            QSKIP(qPrintable(u"SKIP: "_qs + server.error()));
        writeFile(published() + u"/a.html"_qs, QByteArray(1000, 'a'));
        writeFile(published() + u"/b.html"_qs, QByteArray(1000, 'b'));
        SiteDeploy::Options options;
        options.connections = 1;
        options.connection.connectTimeoutSeconds = 2;
        options.connection.stallSeconds = 2;
        const auto freeze = [&server](const SiteDeploy::Progress &progress) {
            if (progress.filesDone == 1)
                server.ssh->freeze(true);
        };
        QElapsedTimer clock;
        clock.start();
        QList<SiteDeploy::Failure> failures;
        QCOMPARE(run(server, nullptr, &failures, options, freeze), SiteDeploy::Result::Failed);
        server.ssh->freeze(false);
        QVERIFY2(clock.elapsed() < 20000, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(failures.size(), 1);
        QVERIFY2(failures[0].message.contains(u"応答しません"_qs), qPrintable(failures[0].message));
    }

    // Links on the server lead outside the folder: nothing is written or deleted through them.
    void linksAreNeverFollowed()
    {
        Server server = startServer(ServerSettings::Protocol::Sftp);
        if (!server.error().isEmpty())
            QSKIP(qPrintable(u"SKIP: "_qs + server.error()));
        const QString outside = m_dir.filePath(u"outside"_qs);
        writeFile(outside + u"/victim.html"_qs, "outside");
        writeFile(outside + u"/s.css"_qs, "outside");
        QVERIFY(QFile::link(outside, server.folder + u"/css"_qs));
        QVERIFY(QFile::link(outside + u"/victim.html"_qs, server.folder + u"/a.html"_qs));
        QVERIFY(QFile::link(outside + u"/victim.html"_qs, server.folder + u"/old.html"_qs));
        writeFile(published() + u"/a.html"_qs, "mine");
        writeFile(published() + u"/css/s.css"_qs, "mine");
        writeFile(published() + u"/index.html"_qs, "mine");
        // Velmo once sent old.html; now a link stands there and it is no longer published.
        DeployRecord sent;
        sent.set(u"old.html"_qs, {4, QByteArray(64, 'a')});
        QVERIFY(sent.save(record()));

        SiteDeploy::Counts counts;
        QList<SiteDeploy::Failure> failures;
        QCOMPARE(run(server, &counts, &failures), SiteDeploy::Result::Failed);
        QCOMPARE(counts.uploaded, 1);
        QCOMPARE(counts.deleted, 0);
        QCOMPARE(failures.size(), 2);
        QCOMPARE(readFile(outside + u"/victim.html"_qs), QByteArray("outside"));
        QCOMPARE(readFile(outside + u"/s.css"_qs), QByteArray("outside"));
        QVERIFY(QFileInfo(server.folder + u"/a.html"_qs).isSymLink());
        QVERIFY(QFileInfo(server.folder + u"/old.html"_qs).isSymLink());
    }

    // A published file rewritten while it is sent: only whole versions ever reach the server.
    void onlyWholeFilesAreSent()
    {
        Server server = startServer(ServerSettings::Protocol::Sftp);
        if (!server.error().isEmpty())
            QSKIP(qPrintable(u"SKIP: "_qs + server.error()));
        const QString path = published() + u"/big.html"_qs;
        const QByteArray first(300000, 'a');
        const QByteArray second(600000, 'b');
        writeFile(path, first);
        std::atomic<bool> done{false};
        // Rewritten in place in pieces, so a plain read would catch it half old, half new.
        std::thread writer([&] {
            for (int round = 0; !done.load(); ++round) {
                QFile file(path);
                if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
                    continue;
                const QByteArray &data = round % 2 ? second : first;
                for (qsizetype at = 0; at < data.size(); at += 50000) {
                    file.write(data.mid(at, 50000));
                    file.flush();
                }
                file.close();
                std::this_thread::sleep_for(std::chrono::milliseconds(30));
            }
        });
        SiteDeploy::Counts counts;
        const SiteDeploy::Result result = run(server, &counts);
        done.store(true);
        writer.join();
        const QByteArray sent = readFile(server.folder + u"/big.html"_qs);
        if (result == SiteDeploy::Result::Done)
            QVERIFY(sent == first || sent == second);
        else
            QVERIFY(!QFile::exists(server.folder + u"/big.html"_qs));

        // A writer stopped half-way leaves size and time still: the open file gives it away.
        QFile paused(path);
        QVERIFY(paused.open(QIODevice::WriteOnly | QIODevice::Truncate));
        paused.write(second.left(200000));
        paused.flush();
        QList<SiteDeploy::Failure> failures;
        QCOMPARE(run(server, &counts, &failures), SiteDeploy::Result::Failed);
        QCOMPARE(failures.size(), 1);
        QCOMPARE(failures.first().path, u"big.html"_qs);
        QVERIFY(readFile(server.folder + u"/big.html"_qs) != second.left(200000));
    }
};

QTEST_GUILESS_MAIN(TestSiteDeploy)
#include "tst_sitedeploy.moc"
