// velmo-cli deploy as a user runs it, against sshd on 127.0.0.1: usage errors, the dry run's
// lines, the host key check, a wrong password, and the counts and exit status of real runs.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "model/fileutil.h"
#include "sshserver.h"

namespace {

struct Run
{
    int exitCode = -1;
    QStringList out;
    QString err;
};

class TestCliDeploy : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_home;
    std::unique_ptr<SshServer> m_server;
    QString m_document;

    QString url() const
    {
        return u"sftp://%1@127.0.0.1:%2%3/www"_qs.arg(m_server->user())
            .arg(m_server->port())
            .arg(m_server->root());
    }

    Run deploy(QStringList extra, const QString &password = {})
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        // Its own known_hosts, its own record and no secret store to ask.
        environment.insert(u"HOME"_qs, m_home.path());
        environment.insert(u"XDG_STATE_HOME"_qs, m_home.filePath(u"state"_qs));
        environment.remove(u"DBUS_SESSION_BUS_ADDRESS"_qs);
        environment.insert(u"VELMO_DEPLOY_PASSWORD"_qs, password);
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(VELMO_CLI),
                      QStringList{u"deploy"_qs, m_document, u"--home"_qs, m_home.path()} + extra);
        if (!process.waitForFinished(120000))
            return {};
        return {process.exitCode(),
                QString::fromUtf8(process.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts),
                QString::fromUtf8(process.readAllStandardError())};
    }

private Q_SLOTS:
    void initTestCase()
    {
        const QString programs = QStringLiteral(VELMO_PROGRAM_DIR);
        velmo::copyFolderTree(programs + u"/template"_qs, m_home.filePath(u"template"_qs));
        velmo::copyFolderTree(programs + u"/user_image"_qs, m_home.filePath(u"user_image"_qs));
        m_document = m_home.filePath(u"sample.vlm"_qs);
        QProcess sample;
        sample.start(QStringLiteral(VELMO_CLI),
                     {u"sample"_qs, m_document, u"--home"_qs, m_home.path()});
        QVERIFY(sample.waitForFinished(60000));
        QCOMPARE(sample.exitCode(), 0);
    }

    void usageErrors_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("no --to") << QStringList();
        QTest::newRow("another scheme") << QStringList{u"--to"_qs, u"http://a@b/"_qs};
        QTest::newRow("a password in the URL") << QStringList{u"--to"_qs, u"sftp://u:pw@h/x"_qs};
        QTest::newRow("no user") << QStringList{u"--to"_qs, u"sftp://h/x"_qs};
        QTest::newRow("a key for ftp")
            << QStringList{u"--to"_qs, u"ftp://u@h/x"_qs, u"--identity"_qs, m_document};
        QTest::newRow("a key file that is not there")
            << QStringList{u"--to"_qs, u"sftp://u@h/x"_qs, u"--identity"_qs, u"/none"_qs};
        QTest::newRow("an unknown option")
            << QStringList{u"--to"_qs, u"sftp://u@h/x"_qs, u"--x"_qs};
    }
    void usageErrors()
    {
        QFETCH(QStringList, arguments);
        const Run run = deploy(arguments);
        QCOMPARE(run.exitCode, 2);
        QVERIFY(!run.err.isEmpty());
    }

    void transfersWithItsCountsAndExitStatus()
    {
        m_server = std::make_unique<SshServer>();
        if (!m_server->error().isEmpty())
            QSKIP(qPrintable(u"SKIP: "_qs + m_server->error()));
        QDir().mkpath(m_server->root() + u"/www"_qs);
        const QStringList key{u"--to"_qs, url(), u"--identity"_qs, m_server->userKey()};

        // An unknown host key is refused, with its fingerprint.
        Run run = deploy(key + QStringList{u"--dry-run"_qs});
        QCOMPARE(run.exitCode, 4);
        QVERIFY2(run.err.contains(u"SHA256:"_qs), qPrintable(run.err));

        // The dry run lists what it would do and changes nothing.
        run = deploy(key + QStringList{u"--dry-run"_qs, u"--insecure-host-key"_qs});
        QCOMPARE(run.exitCode, 0);
        QVERIFY(run.out.contains(u"upload index.html"_qs));
        QCOMPARE(run.out.last(), u"failed: 0"_qs);
        const int planned = run.out.filter(QRegularExpression(u"^upload "_qs)).size();
        QVERIFY(planned > 3);
        QCOMPARE(run.out.at(run.out.size() - 5), u"uploaded: %1"_qs.arg(planned));
        QVERIFY(QDir(m_server->root() + u"/www"_qs).isEmpty());

        // A wrong password is a failed login.
        run = deploy({u"--to"_qs, url(), u"--insecure-host-key"_qs}, u"wrong"_qs);
        QCOMPARE(run.exitCode, 4);

        // Trusted through known_hosts, the real run sends everything, then nothing.
        QDir().mkpath(m_home.filePath(u".ssh"_qs));
        QFile known(m_home.filePath(u".ssh/known_hosts"_qs));
        QVERIFY(known.open(QIODevice::WriteOnly));
        QFile hostKey(m_server->hostKeyFile());
        QVERIFY(hostKey.open(QIODevice::ReadOnly));
        known.write(u"[127.0.0.1]:%1 "_qs.arg(m_server->port()).toUtf8() + hostKey.readAll());
        known.close();
        run = deploy(key);
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out.mid(run.out.size() - 5),
                 (QStringList{u"uploaded: %1"_qs.arg(planned), u"replaced: 0"_qs, u"deleted: 0"_qs,
                              u"unchanged: 0"_qs, u"failed: 0"_qs}));
        run = deploy(key);
        QCOMPARE(run.out.mid(run.out.size() - 5),
                 (QStringList{u"uploaded: 0"_qs, u"replaced: 0"_qs, u"deleted: 0"_qs,
                              u"unchanged: %1"_qs.arg(planned), u"failed: 0"_qs}));

        // A file the server cannot take: named on stderr, exit 1.
        QFile::remove(m_server->root() + u"/www/index.html"_qs);
        QDir().mkpath(m_server->root() + u"/www/index.html"_qs);
        run = deploy(key);
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains(u"index.html"_qs), qPrintable(run.err));
        QCOMPARE(run.out.last(), u"failed: 1"_qs);
    }
};

} // namespace

QTEST_GUILESS_MAIN(TestCliDeploy)
#include "tst_clideploy.moc"
