// SelectOlStyleDialog: one button per marker style; any of them picks and closes.
#include "editors/selectolstyledialog.h"

#include <QGridLayout>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace velmo::ui {

namespace {

struct OlStyle
{
    QString label;
    QString declaration;
    QString objectName;
};

// clang-format off
const OlStyle kStyles[] = {
    {u"指定無し"_s,     QString(),                                    u"noStyleButton"_s},
    {u"マーカーなし"_s, u"list-style-type: none"_s,                   u"noMarkerButton"_s},
    {u"●"_s,            u"list-style-type: disc"_s,                   u"discButton"_s},
    {u"○"_s,            u"list-style-type: circle"_s,                 u"circleButton"_s},
    {u"■"_s,            u"list-style-type: square"_s,                 u"squareButton"_s},
    {u"ⅰ ⅱ ⅲ"_s,        u"list-style-type: lower-roman"_s,            u"lowerRomanButton"_s},
    {u"Ⅰ Ⅱ Ⅲ"_s,        u"list-style-type: upper-roman"_s,            u"upperRomanButton"_s},
    {u"1 2 3"_s,        u"list-style-type: decimal"_s,                u"decimalButton"_s},
    {u"0 1 2 3"_s,      u"list-style-type: decimal-leading-zero"_s,   u"decimalLeadingZeroButton"_s},
    {u"a b c"_s,        u"list-style-type: lower-alpha"_s,            u"lowerAlphaButton"_s},
    {u"A B C"_s,        u"list-style-type: upper-alpha"_s,            u"upperAlphaButton"_s},
};
// clang-format on

} // namespace

SelectOlStyleDialog::SelectOlStyleDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(u"selectOlStyleDialog"_s);
    setWindowTitle(u"リストの種類"_s);

    auto *layout = new QGridLayout(this);
    int at = 0;
    for (const OlStyle &style : kStyles) {
        auto *button = new QPushButton(style.label, this);
        button->setObjectName(style.objectName);
        button->setAutoDefault(false);
        const QString declaration = style.declaration;
        connect(button, &QPushButton::clicked, this, [this, declaration] {
            m_result = declaration;
            accept();
        });
        layout->addWidget(button, at / 2, at % 2);
        ++at;
    }
}

} // namespace velmo::ui
