// DeployController, what "サーバーへ転送" and the server settings dialog forward to: each site's
// server settings and password, the connection test, and the transfer of the current site —
// output first, then the plan for the user to agree to, then the files — off the GUI thread.
#pragma once

#include <functional>
#include <memory>

#include <QFutureWatcher>
#include <QObject>

#include "deploy/serversettings.h"
#include "deploy/sitedeploy.h"

class DocumentController;
class QSettings;

namespace velmo {
class Site;
} // namespace velmo

class DeployController : public QObject
{
    Q_OBJECT

public:
    // Asks the user for the password of what (the server); false when they cancelled.
    using PasswordPrompt = std::function<bool(const QString &what, QString *password)>;

    DeployController(DocumentController &controller, QSettings &settings,
                     QObject *parent = nullptr);
    ~DeployController() override;

    // The server settings of site; false when it has none yet.
    bool serverSettings(const velmo::Site &site, velmo::deploy::ServerSettings *settings) const;
    // Stores site's settings; with remember the password goes to the secret store (false when
    // there is none: it is then asked for at each transfer), without it any stored one goes.
    bool saveServerSettings(const velmo::Site &site, const velmo::deploy::ServerSettings &settings,
                            const QString &password, bool remember);
    // The password the secret store holds for settings, or empty.
    QString storedPassword(const velmo::deploy::ServerSettings &settings) const;

    // "接続テスト": connects, lists the remote folder and says what it found (connectionTested).
    void testConnection(const velmo::deploy::ServerSettings &settings, const QString &password);

    // "サーバーへ転送" for the current site. Without settings, serverSettingsNeeded; else the
    // output runs, the server is listed (busy), and planReady asks for agreement.
    void deployCurrentSite();
    // The user agreed to the plan: the files go (progressChanged … finished).
    void confirm();
    // The user declined the plan, or cancelled the listing or the transfer.
    void cancel();
    bool isRunning() const { return m_deploy != nullptr; }
    void setPasswordPrompt(PasswordPrompt prompt) { m_prompt = std::move(prompt); }
    // Options of the transfers (tests point them at their own known_hosts).
    void setOptions(const velmo::deploy::SiteDeploy::Options &options) { m_options = options; }

Q_SIGNALS:
    void connectionTested(bool ok, const QString &message);
    void serverSettingsNeeded(velmo::Site *site);
    // The server is being listed; cancel() stops it.
    void listingStarted();
    void planReady(const velmo::deploy::DeployPlan &plan);
    void progressChanged(const velmo::deploy::SiteDeploy::Progress &progress);
    // The transfer is over (or never began): one line for the status bar.
    void finished(const QString &summary);

private:
    void onPrepared(velmo::deploy::SiteDeploy::Result result);
    void onExecuted(velmo::deploy::SiteDeploy::Result result);
    void end(const QString &summary);

    DocumentController &m_controller;
    QSettings &m_settings;
    PasswordPrompt m_prompt;
    velmo::deploy::SiteDeploy::Options m_options;
    std::unique_ptr<velmo::deploy::SiteDeploy> m_deploy;
    QFutureWatcher<velmo::deploy::SiteDeploy::Result> m_watcher;
    QFutureWatcher<std::pair<bool, QString>> m_testWatcher;
    bool m_executing = false;
};
