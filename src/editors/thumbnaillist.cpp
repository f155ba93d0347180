// ThumbnailList: painting five rows from the scroll position, hit testing clicks, and taking
// thumbnails from the loader as they arrive.
#include "editors/thumbnaillist.h"

#include <algorithm>

#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include "editors/thumbnailloader.h"

using namespace Qt::StringLiterals;

namespace velmo::ui {

namespace {

const QColor kBackground(230, 230, 230);
const QColor kSelectedRow(200, 200, 200);

QString localTimeText(const QDateTime &time)
{
    return time.isValid() ? time.toLocalTime().toString(u"yyyy/MM/dd-HH:mm:ss"_s) : QString();
}

} // namespace

ThumbnailList::ThumbnailList(QWidget *parent) : QWidget(parent)
{
    setObjectName(u"thumbnailList"_s);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(320, 300);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    m_loader = new ThumbnailLoader(this);
    connect(m_loader, &ThumbnailLoader::thumbnailReady, this, &ThumbnailList::thumbnailArrived);
}

ThumbnailList::~ThumbnailList()
{
    // Stop the workers before the records they would report to are gone.
    delete m_loader;
    m_loader = nullptr;
}

void ThumbnailList::setScrollBar(QScrollBar *scrollBar)
{
    m_scrollBar = scrollBar;
    if (m_scrollBar == nullptr)
        return;
    m_scrollBar->setSingleStep(1);
    m_scrollBar->setPageStep(4);
    m_scrollBar->setRange(0, int(m_records.size()));
    connect(m_scrollBar, &QScrollBar::valueChanged, this, [this] {
        update();
        prioritizeShownRows();
    });
}

void ThumbnailList::load(const QString &folder)
{
    m_loader->cancel();
    m_records.load(folder);
    m_pendingCount = 0;
    for (const img::ImageRecord &record : m_records.records())
        m_pendingCount += record.state == img::ImageRecord::State::Pending ? 1 : 0;
    if (m_scrollBar != nullptr) {
        const QSignalBlocker block(m_scrollBar);
        m_scrollBar->setRange(0, int(m_records.size()));
        m_scrollBar->setValue(0);
    }
    // Display order puts the shown rows first already.
    m_loader->start(pendingPaths(0, m_records.size()), img::ThumbnailCache::flavorFor(rowSide()));
    update();
    if (!m_records.records().isEmpty())
        reportSelection();
}

void ThumbnailList::sortBy(img::ImageRecordList::SortKey key)
{
    sort(m_records.sortTypeFor(key));
}

void ThumbnailList::sort(int type)
{
    m_records.sort(type);
    prioritizeShownRows();
    update();
    if (!m_records.records().isEmpty())
        reportSelection();
}

void ThumbnailList::stopLoading()
{
    m_loader->cancel();
}

bool ThumbnailList::isSelectedPathInsertable() const
{
    const qsizetype index = m_records.indexOf(m_records.selectedPath());
    return index < 0 || m_records.at(index).isInsertable();
}

int ThumbnailList::firstRow() const
{
    return m_scrollBar != nullptr ? m_scrollBar->value() : 0;
}

QRect ThumbnailList::rowRect(int row) const
{
    const int side = rowSide();
    const int y = row * (side + 1);
    if (row < 0 || row >= kRows || firstRow() + row >= m_records.size() || y >= height())
        return {};
    return QRect(0, y, width(), std::min(side, height() - y));
}

QString ThumbnailList::caption(qsizetype index) const
{
    const img::ImageRecord &record = m_records.at(index);
    QString text = u"[ %1 ] (%2)\n\n[%3x%4]\n作成 :%5\n更新 :%6\nBYTE数 :%7"_s.arg(
        record.fileName, QString::number(index), QString::number(record.width),
        QString::number(record.height), localTimeText(record.created),
        localTimeText(record.modified), QString::number(record.byteCount));
    if (record.state == img::ImageRecord::State::Unreadable)
        text += u"\n読み込めません"_s;
    return text;
}

bool ThumbnailList::thumbnailsComplete() const
{
    return m_pendingCount == 0;
}

void ThumbnailList::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), kBackground);
    if (m_records.records().isEmpty() || m_scrollBar == nullptr)
        return;
    const int side = rowSide();
    const int first = firstRow();
    for (int row = 0; row < kRows; ++row) {
        const QRect rowArea = rowRect(row);
        if (rowArea.isEmpty())
            break;
        const qsizetype index = first + row;
        const img::ImageRecord &record = m_records.at(index);
        painter.save();
        painter.setClipRect(rowArea);
        if (index == m_records.selectedIndex())
            painter.fillRect(rowArea, kSelectedRow);

        const QRect box(2, rowArea.top(), side, side);
        painter.fillRect(box, Qt::white);
        if (!record.thumbnail.isNull()) {
            const QSize fitted = record.thumbnail.size().scaled(box.size(), Qt::KeepAspectRatio);
            const QRect target(box.left() + (side - fitted.width()) / 2,
                               box.top() + (side - fitted.height()) / 2, fitted.width(),
                               fitted.height());
            painter.setRenderHint(QPainter::SmoothPixmapTransform);
            painter.drawImage(target, record.thumbnail);
        } else if (record.state == img::ImageRecord::State::Unreadable) {
            painter.setPen(Qt::darkRed);
            painter.drawText(box, Qt::AlignCenter | Qt::TextWordWrap, u"読み込めません"_s);
        }

        painter.setPen(palette().color(QPalette::Text));
        const QRect textArea(QPoint(side + 7, rowArea.top() + 5),
                             QPoint(width() - 5, rowArea.bottom() - 5));
        painter.drawText(textArea, Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, caption(index));
        painter.restore();
    }
}

void ThumbnailList::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    qsizetype hit = -1;
    for (int row = 0; row < kRows; ++row) {
        if (rowRect(row).contains(event->position().toPoint())) {
            hit = firstRow() + row;
            break;
        }
    }
    m_records.select(hit);
    update();
    reportSelection();
}

void ThumbnailList::wheelEvent(QWheelEvent *event)
{
    if (m_scrollBar == nullptr)
        return QWidget::wheelEvent(event);
    // A notch (120) is one row; touchpads send fractions of it, which add up.
    m_wheelRemainder += event->angleDelta().y();
    const int rows = m_wheelRemainder / 120;
    m_wheelRemainder -= rows * 120;
    if (rows != 0)
        m_scrollBar->setValue(m_scrollBar->value() - rows);
    event->accept();
}

void ThumbnailList::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    update();
}

void ThumbnailList::thumbnailArrived(const QString &path, const QImage &image)
{
    const qsizetype index = m_records.indexOf(path);
    if (index < 0)
        return;
    img::ImageRecord &record = m_records.at(index);
    if (record.state != img::ImageRecord::State::Pending)
        return;
    record.thumbnail = image;
    record.state =
        image.isNull() ? img::ImageRecord::State::Unreadable : img::ImageRecord::State::Ready;
    --m_pendingCount;
    if (index >= firstRow() && index < firstRow() + kRows)
        update();
    Q_EMIT recordUpdated(index);
}

void ThumbnailList::reportSelection()
{
    Q_EMIT recordSelected(m_records.selectedRecord());
}

void ThumbnailList::prioritizeShownRows()
{
    const qsizetype first = firstRow();
    if (first < m_records.size())
        m_loader->prioritize(pendingPaths(first, kRows));
}

QStringList ThumbnailList::pendingPaths(qsizetype from, qsizetype count) const
{
    QStringList paths;
    const qsizetype end = std::min(m_records.size(), from + count);
    for (qsizetype i = from; i < end; ++i) {
        if (m_records.at(i).state == img::ImageRecord::State::Pending)
            paths.append(m_records.at(i).path);
    }
    return paths;
}

} // namespace velmo::ui
