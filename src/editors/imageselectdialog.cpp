// ImageSelectDialog: the folder tree, the thumbnail list with its sort buttons, the size boxes
// with the proportion rule and the three insert buttons.
#include "editors/imageselectdialog.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/externalprograms.h"
#include "app/treeimagelist.h"
#include "editors/thumbnaillist.h"

using namespace Qt::StringLiterals;

namespace velmo::ui {

namespace {

constexpr int kPathRole = Qt::UserRole;
// Set once the item's subfolders have been listed.
constexpr int kFilledRole = Qt::UserRole + 1;

QPushButton *makeButton(const QString &text, const QString &name, QWidget *parent)
{
    auto *button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

QLineEdit *makeNumberEdit(const QString &name, QWidget *parent)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(name);
    // Six digits keep number x side within 64 bits and the insert size sane.
    edit->setValidator(new QRegularExpressionValidator(QRegularExpression(u"[0-9]{0,6}"_s), edit));
    return edit;
}

QLabel *labelFor(const QString &text, QWidget *buddy, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}

// An empty or unparsable box counts as 0, the way the boxes have always been read.
qint64 numberIn(const QLineEdit *edit)
{
    return edit->text().toLongLong();
}

} // namespace

ImageSelectDialog::ImageSelectDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(u"imageSelectDialog"_s);
    setWindowTitle(u"画像選択"_s);

    m_infoText = new QPlainTextEdit(this);
    m_infoText->setObjectName(u"infoText"_s);
    m_infoText->setReadOnly(true);
    m_infoText->setFocusPolicy(Qt::NoFocus);
    m_infoText->setFixedHeight(m_infoText->fontMetrics().lineSpacing() * 2 + 12);

    m_tree = new QTreeWidget(this);
    m_tree->setObjectName(u"folderTree"_s);
    m_tree->header()->hide();
    m_tree->setMinimumWidth(180);
    connect(m_tree, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem *item) {
        if (item != nullptr)
            showFolder(item->data(0, kPathRole).toString());
    });
    connect(m_tree, &QTreeWidget::itemExpanded, this, &ImageSelectDialog::fillFolder);

    m_list = new ThumbnailList(this);
    m_scrollBar = new QScrollBar(Qt::Vertical, this);
    m_scrollBar->setObjectName(u"thumbnailScrollBar"_s);
    m_list->setScrollBar(m_scrollBar);
    connect(m_list, &ThumbnailList::recordSelected, this, &ImageSelectDialog::recordSelected);
    connect(m_list, &ThumbnailList::recordUpdated, this, &ImageSelectDialog::updateInsertButtons);

    auto *sortRow = new QHBoxLayout;
    const std::pair<QString, QString> sorts[] = {
        {u"名前でソート"_s, u"sortByNameButton"_s},
        {u"更新日時でソート"_s, u"sortByTimeButton"_s},
        {u"画像の大きさでソート"_s, u"sortBySizeButton"_s},
        {u"BYTE数でソート"_s, u"sortByBytesButton"_s},
    };
    for (int key = 0; key < 4; ++key) {
        QPushButton *button = makeButton(sorts[key].first, sorts[key].second, this);
        connect(button, &QPushButton::clicked, this,
                [this, key] { m_list->sortBy(img::ImageRecordList::SortKey(key)); });
        sortRow->addWidget(button);
    }

    auto *listRow = new QHBoxLayout;
    listRow->setSpacing(0);
    listRow->addWidget(m_list, 1);
    listRow->addWidget(m_scrollBar);
    auto *listColumn = new QVBoxLayout;
    listColumn->addLayout(listRow, 1);
    listColumn->addLayout(sortRow);

    QPushButton *openFolder = makeButton(u"フォルダを開く"_s, u"openFolderButton"_s, this);
    connect(openFolder, &QPushButton::clicked, this,
            [this] { launchProgram(m_currentFolder, QString()); });
    QPushButton *refreshButton = makeButton(u"更新"_s, u"refreshButton"_s, this);
    connect(refreshButton, &QPushButton::clicked, this, &ImageSelectDialog::refresh);
    auto *folderButtons = new QHBoxLayout;
    folderButtons->addWidget(openFolder);
    folderButtons->addWidget(refreshButton);

    m_selectedImage = new QLineEdit(this);
    m_selectedImage->setObjectName(u"selectedImageEdit"_s);
    m_selectedImage->setReadOnly(true);

    auto *note = new QLabel(
        u"★ 拡大縮小して挿入する場合には、幅,高さ を設定してから 各 [挿入] ボタンを押してください。"_s,
        this);
    note->setObjectName(u"sizeNote"_s);
    note->setWordWrap(true);
    m_widthEdit = makeNumberEdit(u"widthEdit"_s, this);
    m_heightEdit = makeNumberEdit(u"heightEdit"_s, this);
    connect(m_widthEdit, &QLineEdit::textChanged, this, &ImageSelectDialog::widthEdited);
    connect(m_heightEdit, &QLineEdit::textChanged, this, &ImageSelectDialog::heightEdited);
    m_keepRatio = new QCheckBox(u"比率を固定"_s, this);
    m_keepRatio->setObjectName(u"keepRatioCheck"_s);
    connect(m_keepRatio, &QCheckBox::toggled, this, [this](bool on) {
        if (on)
            widthEdited();
    });
    auto *sizeGroup = new QGroupBox(u"拡大・縮小"_s, this);
    auto *sizeLayout = new QGridLayout(sizeGroup);
    sizeLayout->addWidget(labelFor(u"幅"_s, m_widthEdit, this), 0, 0);
    sizeLayout->addWidget(m_widthEdit, 0, 1);
    sizeLayout->addWidget(labelFor(u"高"_s, m_heightEdit, this), 0, 2);
    sizeLayout->addWidget(m_heightEdit, 0, 3);
    sizeLayout->addWidget(m_keepRatio, 1, 0, 1, 4);

    m_urlEdit = new QLineEdit(this);
    m_urlEdit->setObjectName(u"urlEdit"_s);
    // What a reader without the picture (or a screen reader) gets instead; empty for decoration.
    m_altEdit = new QLineEdit(this);
    m_altEdit->setObjectName(u"altEdit"_s);
    m_altEdit->setPlaceholderText(u"画像の内容を短く（飾りの画像なら空欄）"_s);

    const std::pair<QString, QString> inserts[] = {
        {u"画像"_s, u"insertImageButton"_s},
        {u"画像リンク"_s, u"insertImageLinkButton"_s},
        {u"サムネイル リンク"_s, u"insertThumbnailLinkButton"_s},
    };
    auto *right = new QVBoxLayout;
    right->addLayout(folderButtons);
    right->addWidget(labelFor(u"選択画像"_s, m_selectedImage, this));
    right->addWidget(m_selectedImage);
    right->addWidget(note);
    right->addWidget(sizeGroup);
    right->addWidget(labelFor(u"代替テキスト (alt)"_s, m_altEdit, this));
    right->addWidget(m_altEdit);
    right->addWidget(labelFor(u"URL"_s, m_urlEdit, this));
    right->addWidget(m_urlEdit);
    // Each way of inserting: its name, and its "挿入" button beside it.
    auto *insertGrid = new QGridLayout;
    for (int kind = InsertImage; kind <= InsertThumbnailLink; ++kind) {
        QPushButton *button = makeButton(u"挿入"_s, inserts[kind - InsertImage].second, this);
        connect(button, &QPushButton::clicked, this, [this, kind] { insert(kind); });
        m_insertButtons.append(button);
        const int row = kind - InsertImage;
        insertGrid->addWidget(labelFor(inserts[row].first, button, this), row, 0);
        insertGrid->addWidget(button, row, 1);
    }
    insertGrid->setColumnStretch(1, 1);
    right->addSpacing(8);
    right->addLayout(insertGrid);
    m_insertButtons.first()->setDefault(true);
    right->addStretch(1);
    QPushButton *cancel = makeButton(u"キャンセル"_s, u"cancelButton"_s, this);
    connect(cancel, &QPushButton::clicked, this, &ImageSelectDialog::reject);
    right->addWidget(cancel);

    auto *body = new QHBoxLayout;
    body->addWidget(m_tree);
    body->addLayout(listColumn, 1);
    body->addLayout(right);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_infoText);
    layout->addLayout(body, 1);
    resize(1000, 680);

    setInitialSize(m_width, m_height);
}

void ImageSelectDialog::setInitialSize(int width, int height)
{
    m_width = width;
    m_height = height;
    m_updating = true;
    m_widthEdit->setText(QString::number(width));
    m_heightEdit->setText(QString::number(height));
    m_updating = false;
}

void ImageSelectDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!m_started)
        start();
}

void ImageSelectDialog::start()
{
    m_started = true;
    m_updating = true;
    m_rootFolder = QDir::cleanPath(m_rootFolder);
    m_currentFolder = m_rootFolder;
    const QString start = QDir::cleanPath(m_startFolder);
    if (!m_startFolder.isEmpty() && start.startsWith(m_rootFolder + u'/') &&
        QFileInfo(start).isDir())
        m_currentFolder = start;
    buildFolderTree();
    showFolder(m_currentFolder);
    m_keepRatio->setChecked(true);
    m_updating = false;
}

void ImageSelectDialog::buildFolderTree()
{
    const QSignalBlocker block(m_tree);
    m_tree->setUpdatesEnabled(false);
    m_tree->clear();
    m_listedFolders.clear();
    if (QTreeWidgetItem *root = addFolder(nullptr, m_rootFolder)) {
        fillFolder(root);
        root->setExpanded(true);
        // The folder shown, however deep: the folders on its way are filled, and only they.
        QTreeWidgetItem *current = root;
        const QString below = QDir(m_rootFolder).relativeFilePath(m_currentFolder);
        if (m_currentFolder != m_rootFolder && !below.startsWith(u".."_s)) {
            for (const QString &name : below.split(u'/', Qt::SkipEmptyParts)) {
                QTreeWidgetItem *next = nullptr;
                for (int i = 0; i < current->childCount() && next == nullptr; ++i) {
                    if (current->child(i)->text(0) == name)
                        next = current->child(i);
                }
                if (next == nullptr)
                    break;
                fillFolder(next);
                current->setExpanded(true);
                current = next;
            }
        }
        m_tree->setCurrentItem(current);
    }
    m_tree->setUpdatesEnabled(true);
}

QTreeWidgetItem *ImageSelectDialog::addFolder(QTreeWidgetItem *parent, const QString &path)
{
    const QFileInfo info(path);
    if (!info.isDir())
        return nullptr;
    auto *item = parent != nullptr ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(m_tree);
    item->setText(0, path.section(u'/', -1));
    item->setData(0, kPathRole, path);
    item->setIcon(0,
                  TreeImageList::shared().icon(TreeImageList::kFolder, TreeImageList::kOpenFolder));
    // Whether it holds folders is found out when it is opened: a user image folder of tens of
    // thousands of folders would otherwise be walked whole at every opening of the dialog.
    item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    return item;
}

void ImageSelectDialog::fillFolder(QTreeWidgetItem *item)
{
    if (item->data(0, kFilledRole).toBool())
        return;
    item->setData(0, kFilledRole, true);
    const QString path = item->data(0, kPathRole).toString();
    // A link back to a folder above, or to one shown elsewhere, would make the tree endless.
    m_listedFolders.insert(QFileInfo(path).canonicalFilePath());
    const QStringList names =
        QDir(path).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Unsorted);
    for (const QString &name : names) {
        const QString child = path + u'/' + name;
        const QString canonical = QFileInfo(child).canonicalFilePath();
        if (canonical.isEmpty() || m_listedFolders.contains(canonical))
            continue;
        m_listedFolders.insert(canonical);
        addFolder(item, child);
    }
    item->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
}

void ImageSelectDialog::showFolder(const QString &folder)
{
    m_currentFolder = folder;
    m_list->load(folder);
    updateInsertButtons();
}

void ImageSelectDialog::refresh()
{
    if (!QFileInfo(m_currentFolder).isDir())
        m_currentFolder = m_rootFolder;
    buildFolderTree();
    showFolder(m_currentFolder);
}

void ImageSelectDialog::recordSelected(const img::ImageRecord *record)
{
    if (record == nullptr) {
        m_selectedSize.reset();
        updateInsertButtons();
        return;
    }
    const bool wasUpdating = m_updating;
    m_updating = true;
    m_widthEdit->setText(QString::number(record->width));
    m_heightEdit->setText(QString::number(record->height));
    m_selectedImage->setText(record->fileName);
    m_selectedSize = QSize(record->width, record->height);
    m_updating = wasUpdating;
    updateInsertButtons();
}

void ImageSelectDialog::widthEdited()
{
    // An unreadable header gives a 0 x 0 picture: there is no proportion to keep.
    if (m_updating || !m_keepRatio->isChecked() || !m_selectedSize || m_selectedSize->isEmpty())
        return;
    const qint64 height =
        numberIn(m_widthEdit) * m_selectedSize->height() / m_selectedSize->width();
    m_updating = true;
    m_heightEdit->setText(QString::number(height == 0 ? 1 : height));
    m_updating = false;
}

void ImageSelectDialog::heightEdited()
{
    if (m_updating || !m_keepRatio->isChecked() || !m_selectedSize || m_selectedSize->isEmpty())
        return;
    const qint64 width =
        numberIn(m_heightEdit) * m_selectedSize->width() / m_selectedSize->height();
    m_updating = true;
    m_widthEdit->setText(QString::number(width == 0 ? 1 : width));
    m_updating = false;
}

void ImageSelectDialog::updateInsertButtons()
{
    const bool insertable = m_list->isSelectedPathInsertable();
    for (QPushButton *button : std::as_const(m_insertButtons))
        button->setEnabled(insertable);
}

void ImageSelectDialog::insert(int kind)
{
    // A picture that cannot be decoded would give the page a broken image.
    if (!m_list->isSelectedPathInsertable())
        return;
    m_imagePath = m_list->selectedPath();
    m_insertKind = kind;
    m_width = int(numberIn(m_widthEdit));
    m_height = int(numberIn(m_heightEdit));
    if (kind == InsertImageLink)
        m_linkAddress = m_urlEdit->text();
    m_alternative = m_altEdit->text().trimmed();
    accept();
}

void ImageSelectDialog::done(int result)
{
    // Thumbnails of the rest of the folder are of no use once the dialog is closed.
    m_list->stopLoading();
    QDialog::done(result);
}

} // namespace velmo::ui
