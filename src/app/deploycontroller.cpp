// The controller of transfers to the web server.
#include "app/deploycontroller.h"

#include <QSettings>
#include <QtConcurrent/QtConcurrentRun>

#include "app/documentcontroller.h"
#include "deploy/deployrecord.h"
#include "deploy/passwordstore.h"
#include "deploy/remoteconnection.h"
#include "model/document.h"
#include "model/site.h"

using namespace Qt::StringLiterals;
using velmo::deploy::DeployPlan;
using velmo::deploy::PasswordStore;
using velmo::deploy::ServerSettings;
using velmo::deploy::SiteDeploy;

DeployController::DeployController(DocumentController &controller, QSettings &settings,
                                   QObject *parent)
    : QObject(parent), m_controller(controller), m_settings(settings)
{
    connect(&m_watcher, &QFutureWatcherBase::finished, this, [this] {
        const SiteDeploy::Result result = m_watcher.result();
        if (m_executing)
            onExecuted(result);
        else
            onPrepared(result);
    });
    connect(&m_testWatcher, &QFutureWatcherBase::finished, this, [this] {
        const auto [ok, message] = m_testWatcher.result();
        Q_EMIT connectionTested(ok, message);
    });
}

DeployController::~DeployController()
{
    // A transfer still running is stopped before its objects go.
    if (m_deploy)
        m_deploy->cancel();
    m_watcher.waitForFinished();
    m_testWatcher.waitForFinished();
}

bool DeployController::serverSettings(const velmo::Site &site, ServerSettings *settings) const
{
    return settings->load(m_settings, ServerSettings::siteKey(site));
}

bool DeployController::saveServerSettings(const velmo::Site &site, const ServerSettings &settings,
                                          const QString &password, bool remember)
{
    settings.save(m_settings, ServerSettings::siteKey(site));
    m_settings.sync();
    if (!remember) {
        PasswordStore::remove(settings.secretKey());
        return true;
    }
    return PasswordStore::write(settings.secretKey(), password) == PasswordStore::Result::Ok;
}

QString DeployController::storedPassword(const ServerSettings &settings) const
{
    QString password;
    PasswordStore::read(settings.secretKey(), &password);
    return password;
}

void DeployController::testConnection(const ServerSettings &settings, const QString &password)
{
    const velmo::deploy::RemoteConnection::Options options = m_options.connection;
    m_testWatcher.setFuture(QtConcurrent::run([settings, password, options] {
        velmo::deploy::RemoteConnection connection(settings, password, options);
        QList<velmo::deploy::RemoteListing::Entry> entries;
        if (connection.listFolder(QString(), &entries) !=
            velmo::deploy::RemoteConnection::Status::Ok)
            return std::pair(false, connection.error());
        int files = 0;
        for (const auto &entry : entries)
            files += entry.type == velmo::deploy::RemoteListing::Entry::Type::File ? 1 : 0;
        QString message = u"接続できました。%1 にはファイル %2 個、そのほか %3 個があります。"_s
                              .arg(settings.remoteFolder.isEmpty() ? u"/"_s : settings.remoteFolder)
                              .arg(files)
                              .arg(entries.size() - files);
        if (!connection.hostKey().isEmpty())
            message += u"\nホスト鍵: "_s + connection.hostKey();
        return std::pair(true, message);
    }));
}

void DeployController::deployCurrentSite()
{
    if (m_deploy)
        return;
    velmo::Document &document = m_controller.document();
    velmo::Site *site = document.currentSiteUnchecked();
    if (site == nullptr)
        return;
    ServerSettings settings;
    if (!serverSettings(*site, &settings) || !settings.isValid()) {
        Q_EMIT serverSettingsNeeded(site);
        return;
    }
    QString password = storedPassword(settings);
    // Without a secret store (or a stored password) the user is asked each time.
    if (password.isEmpty() && settings.keyFile.isEmpty() &&
        (!m_prompt || !m_prompt(settings.url(), &password)))
        return;

    QString published;
    const velmo::gen::SiteOutput::Result output = m_controller.outputSite(&published);
    if (output != velmo::gen::SiteOutput::Result::Done) {
        // A site published only in part would put its gaps online.
        end(u"サーバーへ転送: HTML出力が完了しなかったため、転送しませんでした。"_s);
        return;
    }
    const QString record =
        velmo::deploy::DeployRecord::defaultFile(ServerSettings::siteKey(*site), settings.url());
    m_deploy = std::make_unique<SiteDeploy>(settings, password, published, record, m_options);
    m_executing = false;
    Q_EMIT listingStarted();
    SiteDeploy *deploy = m_deploy.get();
    m_watcher.setFuture(QtConcurrent::run([deploy] { return deploy->prepare(); }));
}

void DeployController::onPrepared(SiteDeploy::Result result)
{
    if (result == SiteDeploy::Result::Cancelled) {
        end(u"サーバーへ転送: 中止しました。サーバーは変更していません。"_s);
        return;
    }
    if (result != SiteDeploy::Result::Done) {
        const QString error = m_deploy->error();
        m_controller.document().report(error);
        end(u"サーバーへ転送: 失敗しました。"_s + error);
        return;
    }
    const DeployPlan &plan = m_deploy->plan();
    if (plan.isEmpty() && m_deploy->failures().isEmpty()) {
        end(u"サーバーへ転送: 変更はありません（%1 ファイルは同じです）。"_s.arg(
            plan.unchanged().size()));
        return;
    }
    Q_EMIT planReady(plan);
}

void DeployController::confirm()
{
    if (!m_deploy || m_executing || m_watcher.isRunning())
        return;
    m_executing = true;
    SiteDeploy *deploy = m_deploy.get();
    m_watcher.setFuture(QtConcurrent::run([this, deploy] {
        // From the transfer threads to the GUI thread, in order.
        return deploy->execute([this](const SiteDeploy::Progress &progress) {
            QMetaObject::invokeMethod(
                this, [this, progress] { Q_EMIT progressChanged(progress); }, Qt::QueuedConnection);
        });
    }));
}

void DeployController::cancel()
{
    if (!m_deploy)
        return;
    m_deploy->cancel();
    // A plan declined: nothing runs, and nothing was changed.
    if (!m_watcher.isRunning())
        end(u"サーバーへ転送: 中止しました。サーバーは変更していません。"_s);
}

void DeployController::onExecuted(SiteDeploy::Result result)
{
    const SiteDeploy::Counts &counts = m_deploy->counts();
    const QList<SiteDeploy::Failure> &failures = m_deploy->failures();
    if (!failures.isEmpty()) {
        QStringList lines;
        constexpr int kListed = 20;
        for (qsizetype i = 0; i < qMin<qsizetype>(kListed, failures.size()); ++i)
            lines << failures[i].path + u": "_s + failures[i].message;
        if (failures.size() > kListed)
            lines << u"ほか %1 件"_s.arg(failures.size() - kListed);
        m_controller.document().report(u"次のファイルを転送できませんでした。\r\n"_s +
                                       lines.join(u"\r\n"_s) +
                                       u"\r\n次に転送するとき、残りを送ります。"_s);
    }
    const QString outcome = result == SiteDeploy::Result::Done        ? u"完了"_s
                            : result == SiteDeploy::Result::Cancelled ? u"中止"_s
                                                                      : u"失敗"_s;
    end(u"サーバーへ転送（%1）: アップロード %2 件、置き換え %3 件、削除 %4 件、変更なし %5 件、"
        u"失敗 %6 件"_s.arg(outcome)
            .arg(counts.uploaded)
            .arg(counts.replaced)
            .arg(counts.deleted)
            .arg(counts.unchanged)
            .arg(counts.failed));
}

void DeployController::end(const QString &summary)
{
    m_deploy.reset();
    m_executing = false;
    Q_EMIT finished(summary);
}
