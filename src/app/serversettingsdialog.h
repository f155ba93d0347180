// ServerSettingsDialog, "サーバー設定": where a site is published — protocol, host, port, user,
// remote folder, password or key file, the host key and certificate checks — with "接続テスト".
#pragma once

#include <QDialog>

#include "deploy/serversettings.h"

class DeployController;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace velmo {
class Site;
} // namespace velmo

class ServerSettingsDialog : public QDialog
{
    Q_OBJECT

public:
    ServerSettingsDialog(DeployController &controller, velmo::Site &site,
                         QWidget *parent = nullptr);

    // Shows the dialog for site; OK stores what it holds.
    static void run(DeployController &controller, velmo::Site &site, QWidget *parent);

    // What the fields say now.
    velmo::deploy::ServerSettings settings() const;
    void accept() override;

private:
    void load();
    void onProtocolChanged();
    void onTest();

    DeployController &m_controller;
    velmo::Site &m_site;
    QComboBox *m_protocol = nullptr;
    QLineEdit *m_host = nullptr;
    QSpinBox *m_port = nullptr;
    QLineEdit *m_user = nullptr;
    QLineEdit *m_folder = nullptr;
    QLineEdit *m_password = nullptr;
    QCheckBox *m_remember = nullptr;
    QLineEdit *m_keyFile = nullptr;
    QPushButton *m_browse = nullptr;
    QCheckBox *m_checkHostKey = nullptr;
    QCheckBox *m_checkCertificate = nullptr;
    QPushButton *m_test = nullptr;
    QLabel *m_result = nullptr;
    // The host key the last test saw, trusted once the user keeps these settings.
    QString m_seenHostKey;
    QString m_trustedHostKey;
};
