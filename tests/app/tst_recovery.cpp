// Autosave and recovery: a program killed while editing, recovery files that cannot be trusted,
// and a document never saved.
#include <cstdio>

#include <QApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

#include "app/autosave.h"
#include "app/documentcontroller.h"
#include "apptestsupport.h"
#include "model/documentfile.h"
#include "model/recoveryfile.h"
#include "model/site.h"

using namespace Qt::StringLiterals;
using apptest::AppFixture;
using velmo::RecoveryFile;

namespace {

constexpr char kChildOption[] = "--edit-until-killed";

QString copyOfSample(AppFixture &f)
{
    const QString target = f.path(u"doc.vlm"_s);
    if (!QFile::copy(apptest::fixture(u"sample.vlm"_s), target))
        return {};
    QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
    return target;
}

// The child: renames the first site after each autosave and says so, until it is killed.
int editUntilKilled(const QString &document)
{
    AppFixture f;
    AutoSave::setIntervalSetting(f.settings(), 1);
    if (!f.start(document) || f.global().sites.isEmpty())
        return 2;
    DocumentController &controller = f.app().controller();
    velmo::Site *site = f.global().sites.first();
    int round = 1;
    controller.renameObject(site, u"edit %1"_s.arg(round));
    QObject::connect(&f.app().autoSave(), &AutoSave::written, &controller, [&] {
        std::printf("written %d\n", round);
        std::fflush(stdout);
        controller.renameObject(site, u"edit %1"_s.arg(++round));
    });
    return QApplication::exec();
}

} // namespace

class TestRecovery : public QObject
{
    Q_OBJECT

public:
    static void initMain() { apptest::initMain(); }

private Q_SLOTS:
    void killedProgramLosesAtMostOneInterval();
    void untrustedRecoveryIsSetAside_data();
    void untrustedRecoveryIsSetAside();
    void untitledDocumentIsRecovered();
};

void TestRecovery::killedProgramLosesAtMostOneInterval()
{
    AppFixture f;
    const QString document = copyOfSample(f);
    QVERIFY(!document.isEmpty());
    const QString recovery = RecoveryFile::pathFor(document);
    QFile::remove(recovery);

    QProcess child;
    child.start(QCoreApplication::applicationFilePath(),
                {QString::fromLatin1(kChildOption), document});
    QVERIFY(child.waitForStarted());
    QByteArray said;
    const QDeadlineTimer deadline(30000);
    while (!said.contains("written 2") && !deadline.hasExpired() &&
           child.state() == QProcess::Running)
        if (child.waitForReadyRead(200))
            said += child.readAllStandardOutput();
    QVERIFY2(said.contains("written 2"), said.constData());
    child.kill(); // SIGKILL: no handler runs
    QVERIFY(child.waitForFinished());
    QVERIFY(QFileInfo::exists(recovery));

    f.messageBoxes().queueAnswer(QMessageBox::Yes);
    QVERIFY(f.start(document));
    QVERIFY(f.messageBoxes().shownTexts().constFirst().contains(u"復元データ"_s));
    // The child was at "edit 3" when it died; "edit 2" was written at the latest a second ago.
    const QString name = f.global().sites.first()->name;
    QVERIFY2(name == u"edit 2"_s || name == u"edit 3"_s, qPrintable(name));
    QCOMPARE(f.doc().pathName(), document);
    QVERIFY(f.doc().isModified());

    // Saving puts the recovered state into the user's file; the recovery has served.
    QVERIFY(f.doc().doFileSave());
    QVERIFY(!QFileInfo::exists(recovery));
    velmo::Document reread;
    QVERIFY(velmo::DocumentFile::open(reread, document));
    QCOMPARE(reread.sites.first()->name, name);
}

void TestRecovery::untrustedRecoveryIsSetAside_data()
{
    QTest::addColumn<int>("cut");
    QTest::addColumn<QByteArray>("version");
    QTest::newRow("cut short") << 100 << QByteArray("1");
    QTest::newRow("another version") << 0 << QByteArray("2");
}

void TestRecovery::untrustedRecoveryIsSetAside()
{
    QFETCH(int, cut);
    QFETCH(QByteArray, version);
    AppFixture f;
    const QString document = copyOfSample(f);
    const QByteArray original = apptest::readAll(document);
    const QString recovery = RecoveryFile::pathFor(document);
    QVERIFY(RecoveryFile::write(recovery, document, QDateTime::currentDateTimeUtc().addSecs(60),
                                original));
    QByteArray bytes = apptest::readAll(recovery);
    bytes.chop(cut);
    bytes.replace("VELMO-RECOVERY 1\n", "VELMO-RECOVERY " + version + '\n');
    QVERIFY(apptest::writeAll(recovery, bytes));

    QVERIFY(f.start(document));
    QVERIFY(f.messageBoxes().shownTexts().constFirst().contains(u"使えません"_s));
    QVERIFY(!QFileInfo::exists(recovery));
    QCOMPARE(apptest::readAll(recovery + u".broken"_s), bytes);
    QVERIFY(!f.doc().isModified());
    QCOMPARE(apptest::readAll(document), original);
}

void TestRecovery::untitledDocumentIsRecovered()
{
    AppFixture f;
    QVERIFY(f.start());
    AutoSave &autoSave = f.app().autoSave();
    // Nothing edited: nothing to write, however often the timer runs.
    QVERIFY(!autoSave.writeNow());
    QVERIFY(f.app().controller().writer().createSite(u"unsaved"_s) != nullptr);
    QVERIFY(autoSave.writeNow());
    autoSave.waitForWrite();
    QVERIFY(!autoSave.writeNow());
    const QString own = RecoveryFile::pathFor(QString());
    QCOMPARE(autoSave.recoveryPath(), own);

    // As a program that ended without saving would have left it.
    const QString orphan = QFileInfo(own).path() + u"/untitled-999999999.velmo-recovery"_s;
    QFile::remove(orphan);
    QVERIFY(QFile::rename(own, orphan));
    // A write cut short by a kill leaves its temporary file; one of a running program stays.
    const QString stale = orphan + u".999999999.tmp"_s;
    const QString running = orphan + u".%1.tmp"_s.arg(QCoreApplication::applicationPid());
    for (const QString &path : {stale, running}) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    AppFixture next;
    next.messageBoxes().queueAnswer(QMessageBox::Yes);
    QVERIFY(next.start());
    QCOMPARE(next.global().sites.count(), 1);
    QCOMPARE(next.global().sites.first()->name, u"unsaved"_s);
    QCOMPARE(next.doc().title(), u"無題"_s);
    QVERIFY(next.doc().isModified());
    QVERIFY(!QFileInfo::exists(stale));
    QVERIFY(QFile::remove(running));

    // Given up on close: the recovery goes with it.
    next.messageBoxes().queueAnswer(QMessageBox::No);
    QVERIFY(next.doc().saveModified());
    QVERIFY(!QFileInfo::exists(orphan));
}

int main(int argc, char **argv)
{
    if (argc == 3 && qstrcmp(argv[1], kChildOption) == 0) {
        // The parent's private folders (settings, state) are inherited through the environment.
        Application::prepareApplication();
        QApplication application(argc, argv);
        return editUntilKilled(QString::fromLocal8Bit(argv[2]));
    }
    TestRecovery::initMain();
    QApplication application(argc, argv);
    TestRecovery test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_recovery.moc"
