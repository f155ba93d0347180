// WebColorSelectDialog: the palette above a box that names the colour under the mouse.
#include "editors/webcolorselectdialog.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "editors/webcolorpalette.h"
#include "editors/webcolortable.h"

using namespace Qt::StringLiterals;

namespace velmo::ui {

WebColorSelectDialog::WebColorSelectDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(u"webColorSelectDialog"_s);
    setWindowTitle(u"色の選択"_s);

    m_palette = new WebColorPalette(this);
    m_palette->setObjectName(u"colorPalette"_s);
    m_palette->setMinimumSize(kWebColorColumns * 12, kWebColorRows * 12);

    // Only names the colour: the pick is the click on the palette, so typing here would be
    // ignored and is not offered.
    m_colorEdit = new QLineEdit(this);
    m_colorEdit->setObjectName(u"colorEdit"_s);
    m_colorEdit->setReadOnly(true);

    auto *cancel = new QPushButton(u"キャンセル"_s, this);
    cancel->setObjectName(u"cancelButton"_s);
    cancel->setAutoDefault(false);

    connect(m_palette, &WebColorPalette::hoveredIndexChanged, this,
            &WebColorSelectDialog::showColor);
    connect(m_palette, &WebColorPalette::clicked, this, &WebColorSelectDialog::pickHoveredColor);
    connect(cancel, &QPushButton::clicked, this, &WebColorSelectDialog::reject);

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(m_colorEdit);
    bottom->addStretch();
    bottom->addWidget(cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_palette, 1);
    layout->addLayout(bottom);
}

void WebColorSelectDialog::showColor(int index)
{
    m_colorEdit->setText(webColorText(index));
}

void WebColorSelectDialog::pickHoveredColor()
{
    m_result = webColorText(m_palette->hoveredIndex());
    accept();
}

} // namespace velmo::ui
