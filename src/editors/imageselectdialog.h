// ImageSelectDialog ("画像選択"): picks a picture from the user image folder and its subfolders,
// the size to insert it with and one of three ways of inserting it.
#pragma once

#include <optional>

#include <QDialog>
#include <QSet>
#include <QString>

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QScrollBar;
class QTreeWidget;
class QTreeWidgetItem;

namespace velmo::img {
struct ImageRecord;
}

namespace velmo::ui {

class ThumbnailList;

class ImageSelectDialog : public QDialog
{
    Q_OBJECT

public:
    enum InsertKind { InsertImage = 1, InsertImageLink = 2, InsertThumbnailLink = 3 };

    explicit ImageSelectDialog(QWidget *parent = nullptr);

    // Set before the dialog is shown: the folder the tree starts at and the size the boxes show
    // until a picture is selected.
    void setRootFolder(const QString &folder) { m_rootFolder = folder; }
    // The folder shown first, when it lies below the root folder and still exists: the one the
    // user left the dialog in last time.
    void setStartFolder(const QString &folder) { m_startFolder = folder; }
    void setInitialSize(int width, int height);

    // After Accepted: the chosen file (empty when the folder had none), how to insert it, the
    // size from the boxes and, for an image link, the link address.
    QString imagePath() const { return m_imagePath; }
    int insertKind() const { return m_insertKind; }
    int width() const { return m_width; }
    int height() const { return m_height; }
    QString linkAddress() const { return m_linkAddress; }
    // The picture's alternative text, as typed.
    QString alternativeText() const { return m_alternative; }

    QString rootFolder() const { return m_rootFolder; }
    QString currentFolder() const { return m_currentFolder; }
    ThumbnailList *thumbnailList() const { return m_list; }

    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void start();
    void buildFolderTree();
    // An item for the folder at path under parent (the tree's root when null), without its
    // subfolders; null when path is not a folder.
    QTreeWidgetItem *addFolder(QTreeWidgetItem *parent, const QString &path);
    // Lists the item's subfolders into it, once.
    void fillFolder(QTreeWidgetItem *item);
    void showFolder(const QString &folder);
    void refresh();
    void recordSelected(const img::ImageRecord *record);
    void widthEdited();
    void heightEdited();
    void updateInsertButtons();
    void insert(int kind);

    QPlainTextEdit *m_infoText = nullptr;
    QTreeWidget *m_tree = nullptr;
    ThumbnailList *m_list = nullptr;
    QScrollBar *m_scrollBar = nullptr;
    QLineEdit *m_selectedImage = nullptr;
    QLineEdit *m_widthEdit = nullptr;
    QLineEdit *m_heightEdit = nullptr;
    QCheckBox *m_keepRatio = nullptr;
    QLineEdit *m_urlEdit = nullptr;
    QLineEdit *m_altEdit = nullptr;
    QList<QPushButton *> m_insertButtons;

    QString m_rootFolder;
    QString m_startFolder;
    QString m_currentFolder;
    // The folders in the tree, links resolved: each is shown once.
    QSet<QString> m_listedFolders;
    bool m_started = false;
    // Set while the dialog fills its own boxes, so that the proportion rule does not echo.
    bool m_updating = false;
    // The size of the picture last reported by the list, for the proportion rule.
    std::optional<QSize> m_selectedSize;

    QString m_imagePath;
    int m_insertKind = InsertImage;
    int m_width = 200;
    int m_height = 200;
    QString m_linkAddress;
    QString m_alternative;
};

} // namespace velmo::ui
