// SiteEditDialog: the site list with its commands above the site's fields, its template, style
// sheet and preview picture, and its menu level names.
#include "editors/siteeditdialog.h"

#include <QEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

#include "app/externalprograms.h"
#include "app/filedialogwrapper.h"
#include "app/messageboxwrapper.h"
#include "editors/imagepreviewframe.h"
#include "editors/objectlistview.h"
#include "editors/stringinputdialog.h"
#include "editors/webcapturedialog.h"
#include "generator/levelnameuse.h"
#include "generator/sitepaths.h"
#include "generator/sitestylesheet.h"
#include "model/document.h"
#include "model/documentwriter.h"
#include "model/fileutil.h"
#include "model/objectlistdisplay.h"
#include "model/site.h"

using namespace Qt::StringLiterals;

namespace velmo::ui {

namespace {

// The level list shows the first five of the site's ten level names.
constexpr int kShownLevels = 5;
constexpr int kNameColumn = 1;
constexpr int kAuthorColumn = 3;

QLabel *caption(const QString &text, QWidget *buddy)
{
    auto *label = new QLabel(text);
    // The captions name HTML tags ("<H1>"), which rich text would swallow.
    label->setTextFormat(Qt::PlainText);
    label->setBuddy(buddy);
    return label;
}

QPushButton *button(const QString &text, const QString &name)
{
    auto *pushButton = new QPushButton(text);
    pushButton->setObjectName(name);
    // Enter in a field must close the dialog as OK, never add, move or delete a site.
    pushButton->setAutoDefault(false);
    return pushButton;
}

QLineEdit *lineEdit(const QString &name)
{
    auto *edit = new QLineEdit;
    edit->setObjectName(name);
    return edit;
}

} // namespace

SiteEditDialog::SiteEditDialog(DocumentWriter &writer, MessageBoxWrapper &messages,
                               FileDialogWrapper &files, QWidget *parent)
    : QDialog(parent), m_writer(writer), m_document(writer.document()), m_messages(messages),
      m_files(files), m_openUrl([this](const QUrl &url) { return openInBrowser(url); })
{
    setObjectName(u"siteEditDialog"_s);
    setWindowTitle(u"サイト編集 ダイアログ"_s);
    buildWidgets();
    fillSiteList();
    clearFields();
}

SiteEditDialog::~SiteEditDialog() = default;

int SiteEditDialog::run(DocumentWriter &writer, MessageBoxWrapper &messages,
                        FileDialogWrapper &files, QWidget *parent,
                        ServerSettingsOpener serverSettings)
{
    SiteEditDialog dialog(writer, messages, files, parent);
    dialog.setServerSettingsOpener(std::move(serverSettings));
    return dialog.exec();
}

void SiteEditDialog::setServerSettingsOpener(ServerSettingsOpener opener)
{
    m_openServerSettings = std::move(opener);
    m_serverButton->setVisible(bool(m_openServerSettings));
}

Site *SiteEditDialog::shownSite() const
{
    return m_shown.as<Site>();
}

void SiteEditDialog::buildWidgets()
{
    m_siteList = new ObjectListView;
    m_siteList->setObjectName(u"siteList"_s);
    m_siteList->setSelectionMode(QAbstractItemView::SingleSelection);
    m_siteList->setHeaderLabels({u"ＩＤ"_s, u"名称"_s, u"作成日時"_s, u"製作者"_s});
    m_siteList->header()->setStretchLastSection(false);
    m_siteList->installEventFilter(this);
    m_siteList->setMinimumHeight(120);
    connect(m_siteList, &ObjectListView::objectSelected, this, &SiteEditDialog::onSiteSelected);

    m_newButton = button(u"新規サイト追加"_s, u"newSiteButton"_s);
    m_upButton = button(u"上へ"_s, u"upButton"_s);
    m_downButton = button(u"下へ"_s, u"downButton"_s);
    m_deleteButton = button(u"サイト削除"_s, u"deleteSiteButton"_s);
    QPushButton *topOk = button(u"OK"_s, u"okButtonTop"_s);
    connect(m_newButton, &QPushButton::clicked, this, &SiteEditDialog::onNewSite);
    connect(m_upButton, &QPushButton::clicked, this, [this] { onMove(true); });
    connect(m_downButton, &QPushButton::clicked, this, [this] { onMove(false); });
    connect(m_deleteButton, &QPushButton::clicked, this, &SiteEditDialog::onDeleteSite);
    connect(topOk, &QPushButton::clicked, this, &QDialog::accept);

    auto *listButtons = new QVBoxLayout;
    for (QPushButton *b : {m_newButton, m_upButton, m_downButton, m_deleteButton})
        listButtons->addWidget(b);
    listButtons->addStretch();
    listButtons->addWidget(topOk);
    auto *top = new QHBoxLayout;
    top->addWidget(m_siteList, 1);
    top->addLayout(listButtons);

    // The site's texts.
    m_nameEdit = lineEdit(u"nameEdit"_s);
    m_urlEdit = lineEdit(u"urlEdit"_s);
    m_openAddressButton = button(u"IE 表示"_s, u"openAddressButton"_s);
    m_homeTitleEdit = lineEdit(u"homeTitleEdit"_s);
    m_summaryEdit = new QPlainTextEdit;
    m_summaryEdit->setObjectName(u"summaryEdit"_s);
    m_summaryEdit->setTabChangesFocus(true);
    m_summaryEdit->setMinimumHeight(m_summaryEdit->fontMetrics().lineSpacing() * 4);
    m_keywordsEdit = lineEdit(u"keywordsEdit"_s);
    m_authorEdit = lineEdit(u"authorEdit"_s);
    m_imageFolderEdit = lineEdit(u"imageFolderEdit"_s);

    auto *texts = new QVBoxLayout;
    texts->addWidget(caption(u"サイト名 （管理用の名称）"_s, m_nameEdit));
    texts->addWidget(m_nameEdit);
    m_nameProblem = new QLabel;
    m_nameProblem->setObjectName(u"nameProblemLabel"_s);
    m_nameProblem->setTextFormat(Qt::PlainText);
    m_nameProblem->setWordWrap(true);
    m_nameProblem->setStyleSheet(u"color: #c00000;"_s);
    m_nameProblem->hide();
    texts->addWidget(m_nameProblem);
    texts->addWidget(caption(u"サイト アドレス （管理用の ＵＲＬ）"_s, m_urlEdit));
    auto *urlRow = new QHBoxLayout;
    urlRow->addWidget(m_urlEdit, 1);
    urlRow->addWidget(m_openAddressButton);
    texts->addLayout(urlRow);
    texts->addWidget(caption(u"ホームページタイトル ( <H1> )"_s, m_homeTitleEdit));
    texts->addWidget(m_homeTitleEdit);
    texts->addWidget(caption(u"ホームページ概要"_s, m_summaryEdit));
    texts->addWidget(m_summaryEdit, 1);
    texts->addWidget(
        caption(u"ホームページ共通キーワード\u3000( <META> keyword )"_s, m_keywordsEdit));
    texts->addWidget(m_keywordsEdit);
    texts->addWidget(caption(u"製作者名 （<Address> Copyright）"_s, m_authorEdit));
    texts->addWidget(m_authorEdit);
    texts->addWidget(caption(u"ユーザー画像 配置フォルダ名"_s, m_imageFolderEdit));
    texts->addWidget(m_imageFolderEdit);

    const struct
    {
        QLineEdit *edit;
        Field field;
        int column;
    } lineFields[] = {
        {m_nameEdit, Field::Name, kNameColumn},       {m_urlEdit, Field::SiteUrl, -1},
        {m_homeTitleEdit, Field::HomeTitle, -1},      {m_keywordsEdit, Field::Keywords, -1},
        {m_authorEdit, Field::Author, kAuthorColumn}, {m_imageFolderEdit, Field::ImageFolder, -1},
    };
    for (const auto &f : lineFields) {
        connect(f.edit, &QLineEdit::textChanged, this,
                [this, field = f.field, column = f.column](const QString &text) {
                    onTextEdited(field, text, column);
                });
    }
    connect(m_summaryEdit, &QPlainTextEdit::textChanged, this,
            [this] { onTextEdited(Field::Summary, m_summaryEdit->toPlainText(), -1); });
    // A burst of typing is one step of the history, until the box loses the focus.
    for (QWidget *edit :
         std::initializer_list<QWidget *>{m_nameEdit, m_urlEdit, m_homeTitleEdit, m_keywordsEdit,
                                          m_authorEdit, m_imageFolderEdit, m_summaryEdit})
        edit->installEventFilter(this);
    connect(m_openAddressButton, &QPushButton::clicked, this, &SiteEditDialog::onOpenAddress);

    // The template, its style sheets and the picture of the start page.
    m_templateEdit = lineEdit(u"templateEdit"_s);
    m_templateEdit->setReadOnly(true);
    m_templateButton = button(u"・・・"_s, u"templateButton"_s);
    connect(m_templateButton, &QPushButton::clicked, this, &SiteEditDialog::onChooseTemplate);
    m_styleSheetList = new QListWidget;
    m_styleSheetList->setObjectName(u"styleSheetList"_s);
    connect(m_styleSheetList, &QListWidget::itemSelectionChanged, this, [this] {
        if (!m_loading)
            processStyleSheet();
    });
    m_preview = new ImagePreviewFrame(m_messages);
    // The picture is of a 1024 x 768 browser.
    m_preview->setMinimumSize(256, 192);
    m_previewButton = button(u"IE プレビュー"_s, u"previewButton"_s);
    connect(m_previewButton, &QPushButton::clicked, this, &SiteEditDialog::onOpenStartPage);

    auto *templateRow = new QHBoxLayout;
    templateRow->addWidget(m_templateEdit, 1);
    templateRow->addWidget(m_templateButton);
    auto *styleColumn = new QVBoxLayout;
    styleColumn->addWidget(caption(u"サイトイメージ（メインCSS）"_s, m_styleSheetList));
    styleColumn->addWidget(m_styleSheetList, 1);
    auto *pictureColumn = new QVBoxLayout;
    pictureColumn->addWidget(m_preview, 1);
    pictureColumn->addWidget(m_previewButton, 0, Qt::AlignRight);
    auto *styleRow = new QHBoxLayout;
    styleRow->addLayout(styleColumn, 2);
    styleRow->addLayout(pictureColumn, 3);

    // The menu level names.
    m_levelList = new QTreeWidget;
    m_levelList->setObjectName(u"levelList"_s);
    m_levelList->setRootIsDecorated(false);
    m_levelList->setAllColumnsShowFocus(true);
    m_levelList->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_levelList->setHeaderLabels({u"階層名"_s, u"対応名称"_s});
    m_levelList->setColumnWidth(0, 200);
    m_levelList->setColumnWidth(1, 200);
    connect(m_levelList, &QTreeWidget::itemSelectionChanged, this,
            &SiteEditDialog::onLevelSelected);
    m_levelLabelEdit = lineEdit(u"levelLabelEdit"_s);
    m_levelLabelEdit->setReadOnly(true);
    m_levelNameEdit = lineEdit(u"levelNameEdit"_s);
    connect(m_levelNameEdit, &QLineEdit::textChanged, this, &SiteEditDialog::onLevelNameEdited);
    auto *levelEdits = new QHBoxLayout;
    levelEdits->addWidget(m_levelLabelEdit, 1);
    levelEdits->addWidget(m_levelNameEdit, 2);
    // The templates find a level by this name: they are named before it is changed.
    m_levelUse = new QLabel;
    m_levelUse->setObjectName(u"levelUseLabel"_s);
    m_levelUse->setTextFormat(Qt::PlainText);
    m_levelUse->setWordWrap(true);
    // Room for a few template names, so that the dialog does not jump as they come and go.
    m_levelUse->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_levelUse->setMinimumHeight(m_levelUse->fontMetrics().lineSpacing() * 4);

    auto *right = new QVBoxLayout;
    right->addWidget(caption(u"テンプレート選択 （フルパス）"_s, m_templateButton));
    right->addLayout(templateRow);
    right->addLayout(styleRow, 3);
    right->addWidget(caption(u"メニュー階層の対応名"_s, m_levelList));
    right->addWidget(m_levelList, 2);
    right->addLayout(levelEdits);
    right->addWidget(m_levelUse);

    auto *middle = new QHBoxLayout;
    middle->addLayout(texts, 1);
    middle->addSpacing(12);
    middle->addLayout(right, 1);

    QPushButton *bottomOk = button(u"OK"_s, u"okButton"_s);
    bottomOk->setDefault(true);
    connect(bottomOk, &QPushButton::clicked, this, &QDialog::accept);
    // Where the selected site is published; kept in the user's settings, not in the document.
    m_serverButton = button(u"サーバー設定"_s, u"serverSettingsButton"_s);
    m_serverButton->setVisible(false);
    connect(m_serverButton, &QPushButton::clicked, this, [this] {
        if (Site *site = shownSite(); site != nullptr && m_openServerSettings)
            m_openServerSettings(*site, this);
    });
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(m_serverButton);
    bottom->addStretch();
    bottom->addWidget(bottomOk);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top, 2);
    layout->addLayout(middle, 5);
    layout->addLayout(bottom);

    m_siteWidgets = {m_upButton,       m_downButton,        m_deleteButton,    m_nameEdit,
                     m_urlEdit,        m_openAddressButton, m_homeTitleEdit,   m_summaryEdit,
                     m_keywordsEdit,   m_authorEdit,        m_imageFolderEdit, m_templateButton,
                     m_styleSheetList, m_previewButton,     m_levelList,       m_levelNameEdit};
    // The level list's two 200-pixel columns and the picture set the width.
    resize(1000, 720);
}

void SiteEditDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // After the first show, so that the picture is fitted into the frame's real size.
    if (!m_initialised) {
        m_initialised = true;
        QTimer::singleShot(0, this, &SiteEditDialog::initialise);
    }
}

void SiteEditDialog::initialise()
{
    m_loading = false;
    // The site the navigation shows, which is the one the user last chose here too.
    const SiteList &sites = m_document.sites;
    const int row = sites.indexOfObject(m_document.currentSiteUnchecked());
    if (row >= 0) {
        selectSiteRow(row);
        loadSite(sites.at(row));
    }
}

void SiteEditDialog::reject()
{
    accept();
}

bool SiteEditDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_siteList && event->type() == QEvent::Resize)
        QTimer::singleShot(0, this, &SiteEditDialog::resizeSiteColumns);
    if (event->type() == QEvent::FocusOut && watched != m_siteList)
        m_writer.endTyping();
    return QDialog::eventFilter(watched, event);
}

void SiteEditDialog::resizeSiteColumns()
{
    const int width = m_siteList->viewport()->width();
    for (int column = 0; column < 4; ++column)
        m_siteList->setColumnWidth(column, width * ObjectListDisplay::kColumnTenths[column] / 10);
}

void SiteEditDialog::fillSiteList()
{
    QScopedValueRollback<bool> loading(m_loading, true);
    m_siteList->clearRows();
    for (Site *site : m_document.sites)
        m_siteList->addObjectRow(site, ObjectListDisplay::row(site).cells);
}

void SiteEditDialog::selectSiteRow(int row)
{
    if (QTreeWidgetItem *item = m_siteList->topLevelItem(row)) {
        m_siteList->setCurrentItem(item);
        m_siteList->scrollToItem(item);
    }
}

int SiteEditDialog::selectedRow() const
{
    const QModelIndexList rows = m_siteList->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.constFirst().row();
}

Site *SiteEditDialog::selectedSite(bool sameIndex) const
{
    const int row = selectedRow();
    auto *site = object_cast<Site>(m_siteList->objectAt(row));
    if (site == nullptr)
        return nullptr;
    if (sameIndex) {
        const Site *atIndex = m_document.sites.at(row);
        if (atIndex == nullptr || atIndex->id != site->id)
            return nullptr;
    }
    return site;
}

void SiteEditDialog::onSiteSelected(Object *object)
{
    auto *site = object_cast<Site>(object);
    if (site == nullptr)
        return;
    // The site chosen here is the one the navigation shows once the dialog closes.
    if (m_document.sites.indexOfObject(site) >= 0)
        m_document.setCurrentSite(site);
    // A site the program selected has been loaded already; the list reports it afterwards.
    if (site != shownSite())
        loadSite(site);
}

void SiteEditDialog::clearFields()
{
    QScopedValueRollback<bool> loading(m_loading, true);
    m_shown.reset();
    for (QLineEdit *edit : {m_nameEdit, m_urlEdit, m_homeTitleEdit, m_keywordsEdit, m_authorEdit,
                            m_imageFolderEdit, m_templateEdit, m_levelLabelEdit, m_levelNameEdit})
        edit->clear();
    m_summaryEdit->clear();
    m_styleSheetList->clear();
    m_levelList->clear();
    m_levelUse->clear();
    m_nameProblem->hide();
    m_preview->clear();
    for (QWidget *widget : std::as_const(m_siteWidgets))
        widget->setEnabled(false);
}

void SiteEditDialog::loadSite(Site *site)
{
    {
        QScopedValueRollback<bool> loading(m_loading, true);
        m_shown = ObjectRef(site);
        for (QWidget *widget : std::as_const(m_siteWidgets))
            widget->setEnabled(true);
        m_nameEdit->setText(site->name);
        m_nameProblem->hide();
        m_urlEdit->setText(site->siteUrl);
        m_homeTitleEdit->setText(site->homeTitle);
        m_summaryEdit->setPlainText(site->summary);
        m_keywordsEdit->setText(site->keywords);
        m_authorEdit->setText(site->author);
        m_imageFolderEdit->setText(site->imageFolder);
        m_templateEdit->setText(site->templatePath);
        fillLevelList(*site);
        fillStyleSheetList(*site);
    }
    showPreviewPicture(*site);
    processStyleSheet();
}

void SiteEditDialog::fillLevelList(const Site &site)
{
    m_levelList->clear();
    for (int level = 1; level <= kShownLevels; ++level) {
        m_levelList->addTopLevelItem(new QTreeWidgetItem(
            {u"第"_s + QString::number(level) + u"階層"_s, site.levelName(level - 1)}));
    }
    m_levelLabelEdit->clear();
    m_levelNameEdit->clear();
    m_levelUse->clear();
    // Nothing to name until a level is chosen.
    m_levelNameEdit->setEnabled(false);
}

void SiteEditDialog::showLevelUse(const QString &typed)
{
    if (m_levelReaders.isEmpty()) {
        m_levelUse->setStyleSheet(QString());
        m_levelUse->setText(
            m_levelShownName.isEmpty()
                ? QString()
                : u"「%1」を読むテンプレートはありません。"_s.arg(m_levelShownName));
        return;
    }
    const QString files = m_levelReaders.join(u"、"_s);
    if (typed == m_levelShownName) {
        m_levelUse->setStyleSheet(QString());
        m_levelUse->setText(u"「%1」を読むテンプレート: %2"_s.arg(m_levelShownName, files));
        return;
    }
    m_levelUse->setStyleSheet(u"color: #c00000;"_s);
    m_levelUse->setText(
        u"次のテンプレートは「%1」を読んでいます。名前を変えると、そのメニューは空に"
        u"なります: %2"_s.arg(m_levelShownName, files));
}

void SiteEditDialog::fillStyleSheetList(const Site &site)
{
    m_styleSheetList->clear();
    const QStringList names =
        listFiles(site.templatePath + Document::cssFolderName() + u"/*.css"_s);
    m_styleSheetList->addItems(names);
    if (names.isEmpty())
        return;
    const qsizetype main = names.indexOf(site.mainCss);
    m_styleSheetList->setCurrentRow(main >= 0 ? int(main) : 0);
}

void SiteEditDialog::showPreviewPicture(const Site &site)
{
    // The picture of an earlier choice, until a new one is taken; a missing one is no error.
    const QString picture = gen::SiteStyleSheet::previewPicture(m_document, site);
    if (QFileInfo(picture).isFile())
        m_preview->load(picture);
    else
        m_preview->clear();
}

void SiteEditDialog::processStyleSheet()
{
    Site *site = selectedSite();
    const QList<QListWidgetItem *> chosen = m_styleSheetList->selectedItems();
    if (site == nullptr || chosen.isEmpty())
        return;
    ObjectRef guard(site);
    const QString name = chosen.constFirst()->text();
    if (gen::SiteStyleSheet::apply(m_document, *site, name) != gen::SiteStyleSheet::Result::Applied)
        return;
    m_writer.setField(site, Field::MainCss, name);
    const QString picture = gen::SiteStyleSheet::previewPicture(m_document, *site);
    WebCaptureDialog capture(m_messages, this);
    capture.setAddress(gen::SiteStyleSheet::startPage(m_document, *site));
    capture.setOutputPath(picture);
    // The capture waits in an event loop of its own; the site is only read through guard after.
    if (capture.exec() == QDialog::Accepted && guard.get() == shownSite())
        m_preview->load(picture);
}

void SiteEditDialog::onTextEdited(Field field, const QString &text, int column)
{
    if (m_loading)
        return;
    Site *site = selectedSite();
    if (site == nullptr)
        return;
    if (field == Field::Name) {
        // A renamed site is checked as a new one is: its name is the folder it is published to.
        const QString problem = siteNameProblem(text.trimmed());
        m_nameProblem->setText(problem);
        m_nameProblem->setVisible(!problem.isEmpty());
        if (!problem.isEmpty())
            return;
    }
    m_writer.setField(site, field, text);
    if (column >= 0) {
        if (QTreeWidgetItem *item = m_siteList->topLevelItem(selectedRow()))
            item->setText(column, text);
    }
}

void SiteEditDialog::onLevelSelected()
{
    if (m_loading)
        return;
    QScopedValueRollback<bool> loading(m_loading, true);
    const QList<QTreeWidgetItem *> chosen = m_levelList->selectedItems();
    m_levelNameEdit->setEnabled(!chosen.isEmpty());
    m_levelLabelEdit->setText(chosen.isEmpty() ? QString() : chosen.constFirst()->text(0));
    m_levelShownName = chosen.isEmpty() ? QString() : chosen.constFirst()->text(1);
    m_levelNameEdit->setText(m_levelShownName);
    const Site *site = selectedSite();
    m_levelReaders = site != nullptr && !m_levelShownName.isEmpty()
                         ? gen::LevelNameUse::templatesReading(*site, m_levelShownName)
                         : QStringList();
    showLevelUse(m_levelShownName);
}

void SiteEditDialog::onLevelNameEdited(const QString &text)
{
    if (m_loading)
        return;
    Site *site = selectedSite(true);
    const QList<QTreeWidgetItem *> chosen = m_levelList->selectedItems();
    if (site == nullptr || chosen.isEmpty())
        return;
    m_writer.setField(site, levelNameField(m_levelList->indexOfTopLevelItem(chosen.constFirst())),
                      text);
    chosen.constFirst()->setText(1, text);
    showLevelUse(text);
}

void SiteEditDialog::onChooseTemplate()
{
    Site *site = selectedSite();
    if (site == nullptr)
        return;
    ObjectRef guard(site);
    const QString folder =
        m_files.getExistingDirectory(u"テンプレートパス選択"_s, site->templatePath);
    site = guard.as<Site>();
    // Cancelling the picker is the user's choice, no failure.
    if (site == nullptr || folder.isEmpty())
        return;
    if (!QFileInfo(folder).isDir()) {
        m_messages.inform(u"フォルダ指定変更に失敗しました。\r\nサイト情報は更新されません。"_s);
        return;
    }
    m_writer.setField(site, Field::TemplatePath, folder);
    loadSite(site);
}

void SiteEditDialog::onNewSite()
{
    StringInputDialog input(this);
    input.setTitle(u"サイト名 入力"_s);
    input.setPrompt(u"新規作成するサイト名を入力してください。\r\n"
                    u"ローカル出力先のフォルダ名として使用されます。"_s);
    input.setText(QString());
    if (input.exec() != QDialog::Accepted)
        return;
    const QString name = input.text().trimmed();
    if (name.isEmpty()) {
        m_messages.inform(u"サイト名が空でした。\r\n新規サイトは作成されません。"_s);
        return;
    }
    // The name becomes the folder the site is published to.
    if (const QString problem = siteNameProblem(name); !problem.isEmpty()) {
        m_messages.inform(problem + u"\r\n新規サイトは作成されません。"_s);
        return;
    }
    Site *site = m_writer.createSite(name);
    if (site == nullptr)
        return;
    fillSiteList();
    selectSiteRow(m_document.sites.count() - 1);
    loadSite(site);
}

QString SiteEditDialog::siteNameProblem(const QString &name)
{
    if (name.isEmpty())
        return u"サイト名が空です。"_s;
    if (!gen::SitePaths::isPlainName(name))
        return u"サイト名「%1」はフォルダ名に使えません。\r\n"
               u"「/」「\\」を含む名前と「.」「..」は使えません。"_s.arg(name);
    return {};
}

void SiteEditDialog::onMove(bool up)
{
    Site *site = selectedSite(true);
    if (site == nullptr)
        return;
    if (!m_writer.moveWithinList(site, up))
        return;
    fillSiteList();
    selectSiteRow(m_document.sites.indexOfObject(site));
    loadSite(site);
}

void SiteEditDialog::onDeleteSite()
{
    Site *site = selectedSite(true);
    if (site == nullptr)
        return;
    const int row = selectedRow();
    ObjectRef guard(site);
    const QMessageBox::StandardButton answer = m_messages.ask(
        u"サイト(%1)を削除しようとしています。\r\n削除する場合は、[はい]を押してください。"_s.arg(
            site->name),
        QMessageBox::Question, QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    site = guard.as<Site>();
    if (answer != QMessageBox::Yes || site == nullptr)
        return;
    m_writer.deleteSite(site);
    fillSiteList();
    // The neighbour takes the selection, and with it becomes the current site.
    const int next = qMin(row, m_document.sites.count() - 1);
    if (next < 0) {
        clearFields();
        return;
    }
    selectSiteRow(next);
    loadSite(m_document.sites.at(next));
}

void SiteEditDialog::onOpenAddress()
{
    const QString address = m_urlEdit->text().trimmed();
    m_opening = m_openAddressButton->text();
    if (!address.isEmpty() && m_openUrl && !m_openUrl(QUrl::fromUserInput(address)))
        m_messages.inform(browserNotStartedMessage(m_opening));
}

void SiteEditDialog::onOpenStartPage()
{
    const Site *site = selectedSite();
    m_opening = m_previewButton->text();
    if (site != nullptr && m_openUrl &&
        !m_openUrl(QUrl::fromLocalFile(gen::SiteStyleSheet::startPage(m_document, *site))))
        m_messages.inform(browserNotStartedMessage(m_opening));
}

QString SiteEditDialog::browserNotStartedMessage(const QString &caption) const
{
    return programNotStartedMessage(
        caption, m_document.externalPrograms.browserPaths[0],
        externalProgramLabel(&ExternalProgramSettings::browserPaths, 0));
}

bool SiteEditDialog::openInBrowser(const QUrl &url) const
{
    // The browser the user set first, as the preview's "ブラウザ１" does; else the desktop's.
    const QString &program = m_document.externalPrograms.browserPaths[0];
    const QString address = url.toString(QUrl::FullyEncoded);
    // Said through the document: the dialog may be closed when the failure is known.
    const LaunchFailed failed = [global = QPointer<Document>(&m_document),
                                 message = browserNotStartedMessage(m_opening)] {
        if (global != nullptr)
            global->report(message);
    };
    return program.isEmpty() ? openInDefaultBrowser(address, failed)
                             : launchProgram(program, address, failed);
}

} // namespace velmo::ui
