// The autosave interval dialog.
#include "app/autosavedialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>

#include "app/okcancelbuttons.h"

using namespace Qt::StringLiterals;

AutoSaveDialog::AutoSaveDialog(int seconds, QWidget *parent) : QDialog(parent)
{
    setObjectName(u"autoSaveDialog"_s);
    setWindowTitle(u"自動保存の設定"_s);
    m_seconds = new QSpinBox(this);
    m_seconds->setObjectName(u"autoSaveIntervalSpin"_s);
    // Up to an hour: a longer interval protects little more than none.
    m_seconds->setRange(0, 3600);
    m_seconds->setSuffix(u" 秒"_s);
    m_seconds->setSpecialValueText(u"しない"_s);
    m_seconds->setValue(seconds);

    // One sentence a line: wrapped to the spin box's width, the text broke mid-phrase.
    auto *explanation =
        new QLabel(u"保存していない変更があるあいだ、この間隔で復元データを書き込みます。\n"
                   u"文書のファイルそのものは変わりません。\n"
                   u"0 にすると自動保存しません。"_s,
                   this);
    auto *form = new QFormLayout;
    form->addRow(u"自動保存の間隔"_s, m_seconds);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(explanation);
    layout->addLayout(form);
    layout->addWidget(makeOkCancelButtons(this));
}

int AutoSaveDialog::seconds() const
{
    return m_seconds->value();
}
