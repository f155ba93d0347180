// The server settings dialog of a site.
#include "app/serversettingsdialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "app/deploycontroller.h"
#include "model/site.h"

using namespace Qt::StringLiterals;
using velmo::deploy::ServerSettings;

ServerSettingsDialog::ServerSettingsDialog(DeployController &controller, velmo::Site &site,
                                           QWidget *parent)
    : QDialog(parent), m_controller(controller), m_site(site)
{
    setObjectName(u"serverSettingsDialog"_s);
    setWindowTitle(u"サーバー設定"_s);
    const auto named = [](QWidget *widget, const QString &name) {
        widget->setObjectName(name);
        return widget;
    };
    m_protocol = new QComboBox(this);
    m_protocol->addItem(u"SFTP"_s, int(ServerSettings::Protocol::Sftp));
    m_protocol->addItem(u"FTPS（明示的 TLS）"_s, int(ServerSettings::Protocol::Ftps));
    m_protocol->addItem(u"FTP"_s, int(ServerSettings::Protocol::Ftp));
    named(m_protocol, u"protocolCombo"_s);
    m_host = static_cast<QLineEdit *>(named(new QLineEdit(this), u"hostEdit"_s));
    m_port = static_cast<QSpinBox *>(named(new QSpinBox(this), u"portSpin"_s));
    m_port->setRange(0, 65535);
    m_port->setSpecialValueText(u"既定"_s);
    m_user = static_cast<QLineEdit *>(named(new QLineEdit(this), u"userEdit"_s));
    m_folder = static_cast<QLineEdit *>(named(new QLineEdit(this), u"remoteFolderEdit"_s));
    m_folder->setPlaceholderText(u"/var/www/site"_s);
    m_password = static_cast<QLineEdit *>(named(new QLineEdit(this), u"passwordEdit"_s));
    m_password->setEchoMode(QLineEdit::Password);
    m_remember = static_cast<QCheckBox *>(
        named(new QCheckBox(u"パスワードを保存する（デスクトップのパスワード保管庫）"_s, this),
              u"rememberCheck"_s));
    m_remember->setChecked(true);
    m_keyFile = static_cast<QLineEdit *>(named(new QLineEdit(this), u"keyFileEdit"_s));
    m_keyFile->setPlaceholderText(u"使わないときは空欄（パスワードでログイン）"_s);
    m_browse = static_cast<QPushButton *>(
        named(new QPushButton(u"参照..."_s, this), u"browseKeyButton"_s));
    m_checkHostKey = static_cast<QCheckBox *>(named(
        new QCheckBox(u"ホスト鍵を確認する（known_hosts か接続テストで確かめた鍵のみ）"_s, this),
        u"hostKeyCheck"_s));
    m_checkCertificate = static_cast<QCheckBox *>(
        named(new QCheckBox(u"サーバー証明書を確認する"_s, this), u"certificateCheck"_s));
    m_test =
        static_cast<QPushButton *>(named(new QPushButton(u"接続テスト"_s, this), u"testButton"_s));
    m_result = static_cast<QLabel *>(named(new QLabel(this), u"testResult"_s));
    m_result->setWordWrap(true);
    m_result->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto *form = new QFormLayout;
    form->addRow(u"プロトコル"_s, m_protocol);
    form->addRow(u"ホスト"_s, m_host);
    form->addRow(u"ポート"_s, m_port);
    form->addRow(u"ユーザー名"_s, m_user);
    form->addRow(u"サーバーのフォルダ"_s, m_folder);
    form->addRow(u"パスワード"_s, m_password);
    form->addRow(QString(), m_remember);
    auto *keyRow = new QHBoxLayout;
    keyRow->addWidget(m_keyFile, 1);
    keyRow->addWidget(m_browse);
    form->addRow(u"秘密鍵ファイル"_s, keyRow);
    form->addRow(QString(), m_checkHostKey);
    form->addRow(QString(), m_checkCertificate);
    auto *testRow = new QHBoxLayout;
    testRow->addWidget(m_test);
    testRow->addWidget(m_result, 1);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(u"buttons"_s);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(u"サイト「%1」の公開先"_s.arg(site.name), this));
    layout->addLayout(form);
    layout->addLayout(testRow);
    layout->addWidget(buttons);
    setMinimumWidth(520);

    connect(buttons, &QDialogButtonBox::accepted, this, &ServerSettingsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ServerSettingsDialog::reject);
    connect(m_protocol, &QComboBox::currentIndexChanged, this,
            &ServerSettingsDialog::onProtocolChanged);
    connect(m_test, &QPushButton::clicked, this, &ServerSettingsDialog::onTest);
    connect(m_browse, &QPushButton::clicked, this, [this] {
        const QString file =
            QFileDialog::getOpenFileName(this, u"秘密鍵ファイル"_s, m_keyFile->text());
        if (!file.isEmpty())
            m_keyFile->setText(file);
    });
    connect(&m_controller, &DeployController::connectionTested, this,
            [this](bool ok, const QString &message) {
                m_test->setEnabled(true);
                m_result->setText(message);
                if (ok) {
                    const qsizetype at = message.indexOf(u"SHA256:"_s);
                    m_seenHostKey = at < 0 ? QString() : message.mid(at);
                }
            });
    load();
}

void ServerSettingsDialog::run(DeployController &controller, velmo::Site &site, QWidget *parent)
{
    ServerSettingsDialog dialog(controller, site, parent);
    dialog.exec();
}

void ServerSettingsDialog::load()
{
    ServerSettings settings;
    const bool present = m_controller.serverSettings(m_site, &settings);
    m_protocol->setCurrentIndex(m_protocol->findData(int(settings.protocol)));
    m_host->setText(settings.host);
    m_port->setValue(settings.port);
    m_user->setText(settings.user);
    m_folder->setText(settings.remoteFolder);
    m_keyFile->setText(settings.keyFile);
    m_checkHostKey->setChecked(settings.checkHostKey);
    m_checkCertificate->setChecked(settings.checkCertificate);
    m_trustedHostKey = settings.trustedHostKey;
    if (present)
        m_password->setText(m_controller.storedPassword(settings));
    onProtocolChanged();
}

void ServerSettingsDialog::onProtocolChanged()
{
    const auto protocol = ServerSettings::Protocol(m_protocol->currentData().toInt());
    const bool sftp = protocol == ServerSettings::Protocol::Sftp;
    m_keyFile->setEnabled(sftp);
    m_browse->setEnabled(sftp);
    m_checkHostKey->setEnabled(sftp);
    m_checkCertificate->setEnabled(protocol == ServerSettings::Protocol::Ftps);
}

ServerSettings ServerSettingsDialog::settings() const
{
    ServerSettings settings;
    settings.protocol = ServerSettings::Protocol(m_protocol->currentData().toInt());
    settings.host = m_host->text().trimmed();
    settings.port = m_port->value();
    settings.user = m_user->text().trimmed();
    settings.remoteFolder = m_folder->text().trimmed();
    settings.keyFile = settings.protocol == ServerSettings::Protocol::Sftp
                           ? m_keyFile->text().trimmed()
                           : QString();
    settings.checkHostKey = m_checkHostKey->isChecked();
    settings.checkCertificate = m_checkCertificate->isChecked();
    settings.trustedHostKey = m_seenHostKey.isEmpty() ? m_trustedHostKey : m_seenHostKey;
    return settings;
}

void ServerSettingsDialog::onTest()
{
    m_test->setEnabled(false);
    m_result->setText(u"接続しています..."_s);
    // The test shows the host key for the user to judge; it is trusted only once OK keeps it.
    ServerSettings shown = settings();
    shown.checkHostKey = false;
    m_controller.testConnection(shown, m_password->text());
}

void ServerSettingsDialog::accept()
{
    const ServerSettings chosen = settings();
    if (!chosen.isValid()) {
        m_result->setText(u"ホストとユーザー名を入力してください。"_s);
        return;
    }
    if (!m_controller.saveServerSettings(m_site, chosen, m_password->text(),
                                         m_remember->isChecked() && !m_password->text().isEmpty()))
        m_result->setText(
            u"パスワードの保管庫が使えないため、パスワードは転送のたびに尋ねます。"_s);
    QDialog::accept();
}
