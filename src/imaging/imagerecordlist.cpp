// Listing a picture folder from file information and headers alone (no pixels are decoded
// here), and the list's four sort keys in both directions.
#include "imaging/imagerecordlist.h"

#include <algorithm>
#include <array>

#include <QDir>
#include <QFileInfo>

#include "imaging/imageobject.h"

namespace velmo::img {

namespace {

// ".jpeg" and ".tif" are deliberately absent: the list has always offered these five.
constexpr std::array<QStringView, 5> kExtensions{u".gif", u".jpg", u".bmp", u".png", u".tiff"};

qint64 areaOf(const ImageRecord &record)
{
    // In 64 bits: two sides of 65536 overflow an int.
    return qint64(record.width) * record.height;
}

// Names compare without regard to case, the way the list has always ordered them, and by the
// real name only to keep "A.jpg" and "a.jpg" in a fixed order.
int compareNames(const ImageRecord &a, const ImageRecord &b)
{
    const int folded = QString::compare(a.fileName.toLower(), b.fileName.toLower());
    return folded != 0 ? folded : QString::compare(a.fileName, b.fileName);
}

} // namespace

void ImageRecordList::clear()
{
    m_records.clear();
    m_selected = -1;
    m_selectedPath.clear();
}

void ImageRecordList::load(const QString &folder)
{
    clear();
    const QDir dir(folder);
    const QStringList names = dir.entryList(QDir::Files, QDir::Unsorted);
    for (QStringView extension : kExtensions) {
        for (const QString &name : names) {
            if (!name.endsWith(extension, Qt::CaseInsensitive))
                continue;
            const QFileInfo info(dir.filePath(name));
            ImageRecord record;
            record.path = info.filePath();
            record.fileName = name;
            record.created = info.birthTime();
            record.modified = info.lastModified();
            record.byteCount = quint64(info.size());
            if (!ImageObject::readImageSize(record.path, &record.width, &record.height))
                record.state = ImageRecord::State::Unreadable;
            m_records.append(std::move(record));
        }
    }
    // By name until a sort is chosen: the file system's order means nothing to the user.
    order(m_sortType >= 0 ? m_sortType : NameAscending);
    select(m_records.isEmpty() ? -1 : 0);
}

int ImageRecordList::sortTypeFor(SortKey key) const
{
    const int first = int(key) * 2;
    return m_sortType == first ? first + 1 : first;
}

void ImageRecordList::sort(int type)
{
    if (type < NameAscending || type > MostBytesFirst)
        return;
    order(type);
    m_sortType = type;
    if (!m_records.isEmpty())
        select(0);
}

void ImageRecordList::order(int type)
{
    auto before = [type](const ImageRecord &a, const ImageRecord &b) {
        switch (type) {
        case NameDescending:
            return compareNames(a, b) > 0;
        case NameAscending:
            return compareNames(a, b) < 0;
        case NewestFirst:
            return a.modified.toSecsSinceEpoch() > b.modified.toSecsSinceEpoch();
        case OldestFirst:
            return a.modified.toSecsSinceEpoch() < b.modified.toSecsSinceEpoch();
        case SmallestFirst:
            return areaOf(a) < areaOf(b);
        case LargestFirst:
            return areaOf(a) > areaOf(b);
        case FewestBytesFirst:
            return a.byteCount < b.byteCount;
        default:
            return a.byteCount > b.byteCount;
        }
    };
    std::stable_sort(m_records.begin(), m_records.end(), before);
}

qsizetype ImageRecordList::indexOf(const QString &path) const
{
    for (qsizetype i = 0; i < m_records.size(); ++i) {
        if (m_records.at(i).path == path)
            return i;
    }
    return -1;
}

void ImageRecordList::select(qsizetype index)
{
    if (index < 0 || index >= m_records.size()) {
        m_selected = -1;
        return;
    }
    m_selected = index;
    m_selectedPath = m_records.at(index).path;
}

const ImageRecord *ImageRecordList::selectedRecord() const
{
    return m_selected >= 0 ? &m_records.at(m_selected) : nullptr;
}

} // namespace velmo::img
