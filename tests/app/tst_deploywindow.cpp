// "サーバーへ転送" in the real window against sshd on 127.0.0.1: the server settings dialog with
// its connection test, the list of what would change, the transfer and the status bar.
#include <QCheckBox>
#include <QComboBox>
#include <QDirIterator>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTreeWidget>

#include "app/deploycontroller.h"
#include "app/serversettingsdialog.h"
#include "apptestsupport.h"
#include "model/site.h"
#include "navtestsupport.h"
#include "sshserver.h"

using namespace Qt::StringLiterals;

namespace {

// With VELMO_SCREENSHOTS set (under Xvfb), what the user sees is kept there as pictures.
void keepPicture(QWidget *widget, const QString &name)
{
    const QString folder = qEnvironmentVariable("VELMO_SCREENSHOTS");
    if (!folder.isEmpty())
        widget->window()->grab().save(folder + u'/' + name + u".png"_s);
}

} // namespace

class TestDeployWindow : public QObject
{
    Q_OBJECT

public:
    static void initMain() { apptest::initMain(); }

private Q_SLOTS:
    void settingsThenTransfer()
    {
        SshServer server;
        if (!server.error().isEmpty())
            QSKIP(qPrintable(u"SKIP: "_s + server.error()));
        apptest::AppFixture f;
        QVERIFY(f.start());
        navtest::writeTemplate(f.path(u"tpl"_s));
        const navtest::SampleSite sample = navtest::makeSampleSite(f.global(), f.path(u"tpl"_s));
        f.frame()->initialUpdateFrame();
        DeployController &deploy = f.app().deploy();
        velmo::deploy::SiteDeploy::Options options;
        options.connection.knownHostsFile = f.path(u"known_hosts"_s);
        deploy.setOptions(options);
        const QString folder = server.root() + u"/公開"_s;
        QDir().mkpath(folder);

        // Without settings the command asks for them first.
        bool asked = false;
        apptest::whenShown(u"serverSettingsDialog"_s, [&](QWidget *dialog) {
            asked = true;
            static_cast<QDialog *>(dialog)->reject();
        });
        QPushButton *button = f.navigation()->deployButton();
        QCOMPARE(button->text(), u"サーバーへ転送"_s);
        QTest::mouseClick(button, Qt::LeftButton);
        QTRY_VERIFY(asked);

        ServerSettingsDialog dialog(deploy, *sample.site, f.frame());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        dialog.findChild<QComboBox *>(u"protocolCombo"_s)->setCurrentIndex(0);
        apptest::retype(dialog.findChild<QLineEdit *>(u"hostEdit"_s), u"127.0.0.1"_s);
        dialog.findChild<QSpinBox *>(u"portSpin"_s)->setValue(server.port());
        apptest::retype(dialog.findChild<QLineEdit *>(u"userEdit"_s), server.user());
        apptest::retype(dialog.findChild<QLineEdit *>(u"remoteFolderEdit"_s), folder);
        apptest::retype(dialog.findChild<QLineEdit *>(u"keyFileEdit"_s), server.userKey());
        QVERIFY(dialog.findChild<QCheckBox *>(u"hostKeyCheck"_s)->isChecked());
        QTest::mouseClick(dialog.findChild<QPushButton *>(u"testButton"_s), Qt::LeftButton);
        auto *result = dialog.findChild<QLabel *>(u"testResult"_s);
        QTRY_VERIFY_WITH_TIMEOUT(result->text().startsWith(u"接続できました"_s), 20000);
        QVERIFY(result->text().contains(u"SHA256:"_s));
        keepPicture(&dialog, u"server-settings"_s);
        dialog.accept();

        // Kept in the user's settings by the site's identity, the host key the test saw
        // trusted from now on; not a step of the document's history.
        velmo::deploy::ServerSettings stored;
        QVERIFY(deploy.serverSettings(*sample.site, &stored));
        QCOMPARE(stored.remoteFolder, folder);
        QVERIFY(stored.trustedHostKey.startsWith(u"SHA256:"_s));
        QVERIFY(f.settings().childGroups().contains(u"Deploy"_s));

        // The output runs, the plan is shown, the user agrees, the files go.
        QDialog *plan = nullptr;
        apptest::whenShown(u"deployPlanDialog"_s,
                           [&](QWidget *shown) { plan = static_cast<QDialog *>(shown); });
        bool progressSeen = false;
        connect(&deploy, &DeployController::progressChanged, this, [&] {
            if (auto *progress = f.frame()->findChild<QProgressDialog *>(u"deployProgress"_s);
                progress != nullptr && !progressSeen) {
                progressSeen = true;
                keepPicture(progress, u"deploy-progress"_s);
            }
        });
        QTest::mouseClick(button, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(plan != nullptr, 20000);
        auto *list = plan->findChild<QTreeWidget *>(u"planList"_s);
        const int files = list->topLevelItemCount();
        QVERIFY(files >= 4);
        QVERIFY2(plan->findChild<QLabel *>(u"planSummary"_s)
                     ->text()
                     .contains(u"アップロード %1 件、置き換え 0 件、削除 0 件"_s.arg(files)),
                 qPrintable(plan->findChild<QLabel *>(u"planSummary"_s)->text()));
        keepPicture(plan, u"deploy-plan"_s);
        QTest::mouseClick(plan->findChild<QPushButton *>(u"deployButton"_s), Qt::LeftButton);
        auto *status = f.frame()->findChild<QLabel *>(u"outputResult"_s);
        QTRY_VERIFY_WITH_TIMEOUT(status->text().startsWith(u"サーバーへ転送（完了）"_s), 20000);
        QVERIFY2(status->text().contains(u"アップロード %1 件"_s.arg(files)),
                 qPrintable(status->text()));
        QVERIFY(progressSeen);
        keepPicture(f.frame(), u"main-window"_s);
        QVERIFY(QFile::exists(folder + u"/index.html"_s));
        QTRY_VERIFY(f.frame()->findChild<QProgressDialog *>(u"deployProgress"_s) == nullptr);

        // Nothing changed: said so, and nothing to agree to.
        plan = nullptr;
        QTest::mouseClick(button, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(status->text().contains(u"変更はありません"_s), 20000);
        QVERIFY(plan == nullptr);
        QVERIFY(f.messageBoxes().shownTexts().isEmpty());
    }
};

QTEST_MAIN(TestDeployWindow)
#include "tst_deploywindow.moc"
