// OnOffList: fixed row widgets that show the areas from the scroll position on.
#include "editors/onofflist.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QWheelEvent>

using namespace Qt::StringLiterals;

namespace velmo::ui {

namespace {

void fillBackground(QWidget *widget, const QColor &color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, color);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

// Keeps a row's height and the button column's place while a row has no area to show.
void retainSizeWhenHidden(QWidget *widget)
{
    QSizePolicy policy = widget->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    widget->setSizePolicy(policy);
}

} // namespace

OnOffList::OnOffList(QWidget *parent) : QWidget(parent)
{
    setObjectName(u"onOffList"_s);
    fillBackground(this, QColor(200, 200, 200));

    auto *rows = new QVBoxLayout;
    rows->setContentsMargins(1, 1, 1, 1);
    rows->setSpacing(2);
    for (int k = 0; k < kVisibleRows; ++k) {
        Row &row = m_rows[std::size_t(k)];
        row.frame = new QWidget(this);
        row.frame->setObjectName(u"row%1"_s.arg(k));
        fillBackground(row.frame, QColor(220, 220, 220));

        row.name = new QLabel(row.frame);
        row.name->setObjectName(u"nameLabel"_s);
        // Marker patterns can be long; they are cut at the buttons instead of widening the list.
        row.name->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

        row.on = new QPushButton(u"ON"_s, row.frame);
        row.on->setObjectName(u"onButton"_s);
        row.off = new QPushButton(u"OFF"_s, row.frame);
        row.off->setObjectName(u"offButton"_s);
        for (QPushButton *button : {row.on, row.off}) {
            // Checked is the pressed look of the current value; focus would only add a frame.
            button->setCheckable(true);
            button->setAutoDefault(false);
            button->setFocusPolicy(Qt::NoFocus);
            button->setFixedWidth(76);
            retainSizeWhenHidden(button);
        }
        connect(row.on, &QPushButton::clicked, this, [this, k] { setValue(k, 1); });
        connect(row.off, &QPushButton::clicked, this, [this, k] { setValue(k, 0); });

        auto *rowLayout = new QHBoxLayout(row.frame);
        rowLayout->setContentsMargins(4, 1, 1, 1);
        // The gap between the two buttons is part of neither: a click there changes nothing.
        rowLayout->setSpacing(3);
        rowLayout->addWidget(row.name, 1);
        rowLayout->addWidget(row.on);
        rowLayout->addWidget(row.off);
        rows->addWidget(row.frame, 1);
    }

    m_scrollBar = new QScrollBar(Qt::Vertical, this);
    m_scrollBar->setObjectName(u"scrollBar"_s);
    m_scrollBar->setSingleStep(1);
    m_scrollBar->setPageStep(kPageStep);
    m_scrollBar->setRange(0, 0);
    connect(m_scrollBar, &QScrollBar::valueChanged, this, &OnOffList::refreshRows);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(rows, 1);
    layout->addWidget(m_scrollBar);
    refreshRows();
}

void OnOffList::setAreas(const QList<PreviewArea> &areas)
{
    m_areas = areas;
    {
        const QSignalBlocker blocker(m_scrollBar);
        m_scrollBar->setRange(0, int(m_areas.size()));
        m_scrollBar->setValue(0);
    }
    refreshRows();
}

int OnOffList::firstRow() const
{
    return m_scrollBar->value();
}

void OnOffList::wheelEvent(QWheelEvent *event)
{
    const int delta = event->angleDelta().y();
    if (delta < 0)
        m_scrollBar->setValue(m_scrollBar->value() + 1);
    else if (delta > 0)
        m_scrollBar->setValue(m_scrollBar->value() - 1);
    event->accept();
}

void OnOffList::setValue(int visibleRow, int value)
{
    const qsizetype index = qsizetype(firstRow()) + visibleRow;
    if (index >= 0 && index < m_areas.size())
        m_areas[index].on = value;
    refreshRows();
}

void OnOffList::refreshRows()
{
    const int first = firstRow();
    for (int k = 0; k < kVisibleRows; ++k) {
        const Row &row = m_rows[std::size_t(k)];
        const qsizetype index = qsizetype(first) + k;
        const bool shown = index < m_areas.size();
        const QString name = shown ? m_areas.at(index).pattern : QString();
        row.name->setText(name);
        row.name->setToolTip(name);
        row.on->setVisible(shown);
        row.off->setVisible(shown);
        // Set after every click as well: a click on the checked button would otherwise
        // uncheck it although the value stays.
        const bool on = shown && m_areas.at(index).on != 0;
        row.on->setChecked(on);
        row.off->setChecked(shown && !on);
    }
}

} // namespace velmo::ui
