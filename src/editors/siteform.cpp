// SiteForm: a read-only name above six folder buttons.
#include "editors/siteform.h"

#include <QFileInfo>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/externalprograms.h"
#include "model/document.h"
#include "model/site.h"

using namespace Qt::StringLiterals;

namespace velmo::ui {

SiteForm::SiteForm(Document &document, QWidget *parent)
    : QWidget(parent), m_document(document),
      m_openFolder([global = QPointer<Document>(&document)](const QString &folder) {
          return launchProgram(folder, QString(), [global, folder] {
              if (global != nullptr)
                  global->report(folderNotOpenedMessage(folder));
          });
      })
{
    setObjectName(u"siteForm"_s);
    m_nameEdit = new QLineEdit(this);
    m_nameEdit->setObjectName(u"siteNameEdit"_s);
    m_nameEdit->setReadOnly(true);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_nameEdit);
    const struct
    {
        const char16_t *caption;
        const char16_t *name;
        QString subFolder;
    } templateButtons[] = {
        {u"ページ テンプレートフォルダを開く", u"pageTemplateButton",
         Document::pageTemplateFolderName()},
        {u"メニュー テンプレートフォルダを開く", u"menuTemplateButton",
         Document::menuTemplateFolderName()},
        {u"コンテンツ テンプレートフォルダを開く", u"contentTemplateButton",
         Document::contentTemplateFolderName()},
        {u"CSS フォルダを開く", u"cssFolderButton", Document::cssFolderName()},
        {u"イメージ テンプレートフォルダを開く", u"imageTemplateButton",
         Document::templateImageFolderName()},
    };
    for (const auto &entry : templateButtons) {
        auto *button = new QPushButton(QString::fromUtf16(entry.caption), this);
        button->setObjectName(QString::fromUtf16(entry.name));
        connect(button, &QPushButton::clicked, this,
                [this, subFolder = entry.subFolder] { openTemplateFolder(subFolder); });
        layout->addWidget(button);
    }
    auto *userImages = new QPushButton(u"ユーザイメージ フォルダを開く"_s, this);
    userImages->setObjectName(u"userImageButton"_s);
    connect(userImages, &QPushButton::clicked, this, &SiteForm::openUserImageFolder);
    layout->addWidget(userImages);
    auto *server = new QPushButton(u"サーバー設定"_s, this);
    server->setObjectName(u"serverSettingsButton"_s);
    server->setVisible(false);
    connect(server, &QPushButton::clicked, this, [this] {
        if (Site *site = m_object.as<Site>(); site != nullptr && m_openServerSettings)
            m_openServerSettings(*site, this);
    });
    m_serverButton = server;
    layout->addWidget(server);
    layout->addStretch();
}

void SiteForm::setObject(Object *object)
{
    m_object = ObjectRef(object);
    if (isVisible())
        refresh();
}

void SiteForm::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    refresh();
}

void SiteForm::refresh()
{
    // A display that may show no site: without one, the pane's own site, else nothing. The
    // checked lookup would tell the user each time the form appears.
    const Site *site = m_document.currentSiteUnchecked();
    if (site == nullptr)
        site = m_object.as<Site>();
    m_nameEdit->setText(site != nullptr ? site->name : QString());
}

void SiteForm::openTemplateFolder(const QString &subFolder)
{
    const Site *site = m_document.getCurrentSite();
    if (site == nullptr || !m_openFolder)
        return;
    open(site->templatePath + subFolder);
}

void SiteForm::openUserImageFolder()
{
    if (m_openFolder)
        open(m_document.programFolder() + u"/user_image"_s);
}

void SiteForm::open(const QString &folder)
{
    if (m_openFolder(folder))
        return;
    // A folder the template lacks is no fault of the file manager's.
    if (!QFileInfo(folder).isDir())
        m_document.report(u"フォルダがありません。\r\n"_s + folder);
    else
        m_document.report(folderNotOpenedMessage(folder));
}

QString SiteForm::folderNotOpenedMessage(const QString &folder)
{
    return u"フォルダを開けませんでした。\r\n%1\r\n"
           u"デスクトップの設定で、既定のファイルマネージャを選んでください。"_s.arg(folder);
}

void SiteForm::setServerSettingsOpener(ServerSettingsOpener opener)
{
    m_openServerSettings = std::move(opener);
    m_serverButton->setVisible(bool(m_openServerSettings));
}

} // namespace velmo::ui
