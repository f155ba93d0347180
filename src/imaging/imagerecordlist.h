// ImageRecordList: the pictures of one folder as the image selection lists them (file times,
// byte count and header size, a thumbnail once decoded), their sort orders and the selection.
#pragma once

#include <QDateTime>
#include <QImage>
#include <QList>
#include <QString>

namespace velmo::img {

struct ImageRecord
{
    enum class State { Pending, Ready, Unreadable };

    QString path; // the file's real name, case kept
    QString fileName;
    QDateTime created; // invalid when the file system does not record it
    QDateTime modified;
    quint64 byteCount = 0;
    // From the file's header; 0 x 0 when the header cannot be read.
    int width = 0;
    int height = 0;
    State state = State::Pending;
    QImage thumbnail;

    bool isInsertable() const { return state != State::Unreadable; }
};

class ImageRecordList
{
public:
    // The sort types: an even one is what a button's first press gives, the odd one its second.
    enum SortType {
        NameAscending = 0,
        NameDescending = 1,
        NewestFirst = 2,
        OldestFirst = 3,
        SmallestFirst = 4,
        LargestFirst = 5,
        FewestBytesFirst = 6,
        MostBytesFirst = 7,
    };
    enum SortKey { ByName = 0, ByModified = 1, BySize = 2, ByBytes = 3 };

    // Lists the folder's .gif, .jpg, .bmp, .png and .tiff files (extension in any case) in the
    // sort order chosen last, by name until a sort is chosen, and selects the first.
    void load(const QString &folder);
    void clear();

    // The type a button press gives after the current sort: its first order, or the reverse.
    int sortTypeFor(SortKey key) const;
    // Sorts and selects the first record.
    void sort(int type);
    int sortType() const { return m_sortType; }

    const QList<ImageRecord> &records() const { return m_records; }
    qsizetype size() const { return m_records.size(); }
    const ImageRecord &at(qsizetype index) const { return m_records.at(index); }
    ImageRecord &at(qsizetype index) { return m_records[index]; }
    qsizetype indexOf(const QString &path) const;

    // -1 selects nothing and leaves selectedPath as it was, the way a click on no row does.
    void select(qsizetype index);
    qsizetype selectedIndex() const { return m_selected; }
    QString selectedPath() const { return m_selectedPath; }
    const ImageRecord *selectedRecord() const;

private:
    void order(int type);

    QList<ImageRecord> m_records;
    int m_sortType = -1;
    qsizetype m_selected = -1;
    QString m_selectedPath;
};

} // namespace velmo::img
