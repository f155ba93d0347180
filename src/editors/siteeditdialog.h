// SiteEditDialog ("サイト編集 ダイアログ"): creates, orders and deletes the document's sites and
// edits their texts, template folder, main style sheet and level names, written in as typed.
#pragma once

#include <functional>

#include <QDialog>
#include <QStringList>

#include "model/objectfield.h"
#include "model/objectref.h"

class FileDialogWrapper;
class MessageBoxWrapper;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QTreeWidget;
class QUrl;

namespace velmo {
class Document;
class DocumentWriter;
class Site;
} // namespace velmo

namespace velmo::ui {

class ImagePreviewFrame;
class ObjectListView;

class SiteEditDialog : public QDialog
{
    Q_OBJECT

public:
    // Opens an address or a local file with the desktop's default handler; replaceable so that
    // tests can watch it.
    using UrlOpener = std::function<bool(const QUrl &)>;

    SiteEditDialog(DocumentWriter &writer, MessageBoxWrapper &messages, FileDialogWrapper &files,
                   QWidget *parent = nullptr);
    ~SiteEditDialog() override;

    // Runs the dialog modally for "管理". Its edits are in the document (and the undo history)
    // whichever way it closes; the site last selected in it is the current site.
    // Opens the server settings ("サーバー設定") of a site; where the dialog has none, its button
    // is hidden.
    using ServerSettingsOpener = std::function<void(Site &site, QWidget *parent)>;

    static int run(DocumentWriter &writer, MessageBoxWrapper &messages, FileDialogWrapper &files,
                   QWidget *parent = nullptr, ServerSettingsOpener serverSettings = {});
    void setServerSettingsOpener(ServerSettingsOpener opener);

    void setUrlOpener(UrlOpener opener) { m_openUrl = std::move(opener); }

    // The site whose properties the fields show, or null.
    Site *shownSite() const;

    // Escape and the close box close the dialog as OK does: nothing is left to undo.
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildWidgets();
    void initialise();
    void fillSiteList();
    void selectSiteRow(int row);
    // The site of the list's selected row; with sameIndex only when the document's site list
    // holds it at that very index.
    Site *selectedSite(bool sameIndex = false) const;
    int selectedRow() const;
    void onSiteSelected(Object *object);
    void loadSite(Site *site);
    void clearFields();
    void fillLevelList(const Site &site);
    void fillStyleSheetList(const Site &site);
    void processStyleSheet();
    void showPreviewPicture(const Site &site);
    void onTextEdited(Field field, const QString &text, int column);
    void onLevelSelected();
    void onLevelNameEdited(const QString &text);
    // Names the templates that read the chosen level's name, as a warning once typed differs.
    void showLevelUse(const QString &typed);
    // Why name cannot be a site's name (the folder it is published to), or empty.
    static QString siteNameProblem(const QString &name);
    void onChooseTemplate();
    void onNewSite();
    void onMove(bool up);
    void onDeleteSite();
    void onOpenAddress();
    void onOpenStartPage();
    // Browser 1 of the settings, else the desktop's browser; false when none started.
    bool openInBrowser(const QUrl &url) const;
    QString browserNotStartedMessage(const QString &caption) const;
    void resizeSiteColumns();

    DocumentWriter &m_writer;
    Document &m_document;
    MessageBoxWrapper &m_messages;
    FileDialogWrapper &m_files;
    UrlOpener m_openUrl;
    ObjectRef m_shown;
    // Set while fields and lists are filled by the program, so that their change notifications
    // are not taken for the user's edits.
    bool m_loading = true;
    bool m_initialised = false;

    ObjectListView *m_siteList = nullptr;
    QPushButton *m_newButton = nullptr;
    QPushButton *m_upButton = nullptr;
    QPushButton *m_downButton = nullptr;
    QPushButton *m_deleteButton = nullptr;
    QLineEdit *m_nameEdit = nullptr;
    QLineEdit *m_urlEdit = nullptr;
    QPushButton *m_openAddressButton = nullptr;
    QLineEdit *m_homeTitleEdit = nullptr;
    QPlainTextEdit *m_summaryEdit = nullptr;
    QLineEdit *m_keywordsEdit = nullptr;
    QLineEdit *m_authorEdit = nullptr;
    QLineEdit *m_imageFolderEdit = nullptr;
    QLineEdit *m_templateEdit = nullptr;
    QPushButton *m_templateButton = nullptr;
    QPushButton *m_serverButton = nullptr;
    ServerSettingsOpener m_openServerSettings;
    QListWidget *m_styleSheetList = nullptr;
    ImagePreviewFrame *m_preview = nullptr;
    QPushButton *m_previewButton = nullptr;
    QTreeWidget *m_levelList = nullptr;
    QLineEdit *m_levelLabelEdit = nullptr;
    QLineEdit *m_levelNameEdit = nullptr;
    QLabel *m_levelUse = nullptr;
    // The chosen level's name when it was chosen, and the templates that read it.
    QString m_levelShownName;
    QStringList m_levelReaders;
    QLabel *m_nameProblem = nullptr;
    // The caption of the button that is opening a browser, for what the user is told.
    QString m_opening;
    QList<QWidget *> m_siteWidgets;
};

} // namespace velmo::ui
