// Autosave and recovery: a program killed while editing, recovery files that cannot be trusted,
// and a document never saved.
#include <cstdio>

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
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

// Starts the child on document and waits until it says words.
bool startEditing(QProcess &child, const QString &document, const QByteArray &words)
{
    child.start(QCoreApplication::applicationFilePath(),
                {QString::fromLatin1(kChildOption), document});
    if (!child.waitForStarted())
        return false;
    QByteArray said;
    const QDeadlineTimer deadline(30000);
    while (!said.contains(words) && !deadline.hasExpired() && child.state() == QProcess::Running)
        if (child.waitForReadyRead(200))
            said += child.readAllStandardOutput();
    if (!said.contains(words))
        qWarning("the child said: %s", said.constData());
    return said.contains(words);
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
    void twoProgramsOnOneDocument();
    void failedAutosaveIsShown();
};

void TestRecovery::killedProgramLosesAtMostOneInterval()
{
    AppFixture f;
    const QString document = copyOfSample(f);
    QVERIFY(!document.isEmpty());

    QProcess child;
    QVERIFY(startEditing(child, document, "written 2"));
    const QString recovery = RecoveryFile::pathFor(document, child.processId());
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
    // Bytes cut off the end (negative: added, as holes that cost no disk), the version.
    QTest::addColumn<qint64>("cut");
    QTest::addColumn<QByteArray>("version");
    QTest::newRow("cut short") << qint64(100) << QByteArray("1");
    QTest::newRow("another version") << qint64(0) << QByteArray("2");
    // Turned down by its size against the header's, before a byte of it is read.
    QTest::newRow("3 GB") << -(qint64(3) << 30) << QByteArray("1");
}

void TestRecovery::untrustedRecoveryIsSetAside()
{
    QFETCH(qint64, cut);
    QFETCH(QByteArray, version);
    AppFixture f;
    const QString document = copyOfSample(f);
    const QByteArray original = apptest::readAll(document);
    // As a program that has ended left it.
    const QString recovery = RecoveryFile::pathFor(document, 999999999);
    QVERIFY(RecoveryFile::write(recovery, document, QDateTime::currentDateTimeUtc().addSecs(60),
                                original));
    QByteArray bytes = apptest::readAll(recovery);
    bytes.chop(qMax<qint64>(0, cut));
    bytes.replace("VELMO-RECOVERY 1\n", "VELMO-RECOVERY " + version + '\n');
    QVERIFY(apptest::writeAll(recovery, bytes));
    const qint64 size = bytes.size() - qMin<qint64>(0, cut);
    QVERIFY(QFile::resize(recovery, size));

    QVERIFY(f.start(document));
    QVERIFY(f.messageBoxes().shownTexts().constFirst().contains(u"使えません"_s));
    QVERIFY(!QFileInfo::exists(recovery));
    QCOMPARE(QFileInfo(recovery + u".broken"_s).size(), size);
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

void TestRecovery::twoProgramsOnOneDocument()
{
    AppFixture f;
    const QString document = copyOfSample(f);
    QProcess child;
    QVERIFY(startEditing(child, document, "written 1"));
    const QString childs = RecoveryFile::pathFor(document, child.processId());
    QVERIFY(QFileInfo::exists(childs));

    // A second program on the same document: the first one's recovery is not offered while
    // it runs, and saving the document leaves it alone.
    QVERIFY(f.start(document));
    QVERIFY(f.messageBoxes().shownTexts().isEmpty());
    f.app().controller().renameObject(f.global().sites.first(), u"saved by the second"_s);
    QVERIFY(f.doc().doFileSave());
    QVERIFY(QFileInfo::exists(childs));

    // The first one dies: its edits are offered although the file was saved after them, and
    // the question says so, with both times.
    child.kill();
    QVERIFY(child.waitForFinished());
    AppFixture next;
    next.messageBoxes().queueAnswer(QMessageBox::Discard);
    QVERIFY(next.start(document));
    QCOMPARE(next.messageBoxes().shownTexts().size(), 1);
    const QString question = next.messageBoxes().shownTexts().constFirst();
    QVERIFY2(question.contains(u"文書は復元データより後に保存されています"_s) &&
                 question.contains(u"文書の保存日時: 20"_s) &&
                 question.contains(u"復元データの日時: 20"_s),
             qPrintable(question));
    QVERIFY(!QFileInfo::exists(childs));
    QCOMPARE(next.global().sites.first()->name, u"saved by the second"_s);
}

void TestRecovery::failedAutosaveIsShown()
{
    // A file where the recovery folder should be: no recovery can be written.
    const QString folder = RecoveryFile::folder();
    QVERIFY(QDir(folder).removeRecursively());
    QVERIFY(apptest::writeAll(folder, "in the way"));
    AppFixture f;
    QVERIFY(f.start());
    QVERIFY(f.app().controller().writer().createSite(u"unsaved"_s) != nullptr);
    QVERIFY(f.app().autoSave().writeNow());
    f.app().autoSave().waitForWrite();
    QVERIFY(QFile::remove(folder));
    QCOMPARE(f.messageBoxes().shownTexts().size(), 1);
    QVERIFY2(f.messageBoxes().shownTexts().constFirst().startsWith(u"自動保存できませんでした"_s),
             qPrintable(f.messageBoxes().shownTexts().constFirst()));
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
