// SiteForm, the property pane's form for a site: the current site's name and buttons that open
// its template's folders and the user image folder in the file manager, and its server settings.
#pragma once

#include <functional>

#include <QWidget>

#include "model/objectref.h"

class QLineEdit;

namespace velmo {
class Document;
class Site;
} // namespace velmo

namespace velmo::ui {

class SiteForm : public QWidget
{
    Q_OBJECT

public:
    // Opens a folder in the desktop's file manager; replaceable so that tests can watch it.
    using FolderOpener = std::function<bool(const QString &folder)>;

    explicit SiteForm(Document &document, QWidget *parent = nullptr);

    // The site the pane selected, or null when it may be about to go. The name shown is read
    // when the form is shown.
    void setObject(Object *object);
    void setFolderOpener(FolderOpener opener) { m_openFolder = std::move(opener); }
    // "サーバー設定" opens the site's server settings through opener.
    using ServerSettingsOpener = std::function<void(Site &site, QWidget *parent)>;
    void setServerSettingsOpener(ServerSettingsOpener opener);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void refresh();
    // Opens the current site's template folder followed by subFolder ("/css" …).
    void openTemplateFolder(const QString &subFolder);
    void openUserImageFolder();
    // Opens folder; the user hears why when it does not open.
    void open(const QString &folder);
    static QString folderNotOpenedMessage(const QString &folder);

    Document &m_document;
    ObjectRef m_object;
    FolderOpener m_openFolder;
    QLineEdit *m_nameEdit = nullptr;
    QWidget *m_serverButton = nullptr;
    ServerSettingsOpener m_openServerSettings;
};

} // namespace velmo::ui
