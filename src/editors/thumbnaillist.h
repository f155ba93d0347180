// ThumbnailList: the pictures of one folder as rows of thumbnails with name, size, dates and
// byte count, five rows at a time, scrolled by a scroll bar that the parent places.
#pragma once

#include <QWidget>

#include "imaging/imagerecordlist.h"

class QScrollBar;

namespace velmo::ui {

class ThumbnailLoader;

class ThumbnailList : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kRows = 5;

    explicit ThumbnailList(QWidget *parent = nullptr);
    ~ThumbnailList() override;

    // The bar that sets the first shown row; its range follows the loaded folder.
    void setScrollBar(QScrollBar *scrollBar);

    // Lists the folder, selects its first picture and starts decoding thumbnails, the shown
    // rows first. Thumbnails of the folder shown before are no longer delivered.
    void load(const QString &folder);
    // A button press: the key's first order, or its reverse when it was the last sort.
    void sortBy(img::ImageRecordList::SortKey key);
    void sort(int type);
    // Drops the thumbnails not decoded yet; the shown ones stay.
    void stopLoading();

    const img::ImageRecordList &records() const { return m_records; }
    QString selectedPath() const { return m_records.selectedPath(); }
    // True when the picture an insert would use can be inserted (no selection counts as true:
    // the insert then returns an empty path and the caller inserts nothing).
    bool isSelectedPathInsertable() const;
    int firstRow() const;
    int rowSide() const { return height() / kRows; }
    // The rectangle of shown row k (0 … 4), empty when no record is shown there.
    QRect rowRect(int row) const;
    // The text beside the thumbnail of a record.
    QString caption(qsizetype index) const;
    // True once every listed picture has a thumbnail or is known to be unreadable.
    bool thumbnailsComplete() const;

Q_SIGNALS:
    // The selected record, or nullptr when a click hit no row; valid during the call only.
    void recordSelected(const velmo::img::ImageRecord *record);
    // A thumbnail arrived or a picture turned out unreadable.
    void recordUpdated(qsizetype index);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void thumbnailArrived(const QString &path, const QImage &image);
    void reportSelection();
    // Asks the loader for the rows now shown before the rest.
    void prioritizeShownRows();
    QStringList pendingPaths(qsizetype from, qsizetype count) const;

    img::ImageRecordList m_records;
    QScrollBar *m_scrollBar = nullptr;
    ThumbnailLoader *m_loader = nullptr;
    int m_pendingCount = 0;
    int m_wheelRemainder = 0;
};

} // namespace velmo::ui
