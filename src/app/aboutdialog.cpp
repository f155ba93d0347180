// The version dialog.
#include "app/aboutdialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/appicon.h"

using namespace Qt::StringLiterals;

AboutDialog::AboutDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(u"aboutDialog"_s);
    setWindowTitle(u"バージョン情報 Velmo"_s);

    auto *icon = new QLabel(this);
    icon->setPixmap(velmoLogo(64));
    icon->setAlignment(Qt::AlignTop);

    auto *version = new QLabel(versionText(), this);
    version->setObjectName(u"versionLabel"_s);
    auto *details = new QLabel(
        u"カテゴリで整理した小さな静的ウェブサイトを作成します。\nQt %1 で動作しています。"_s.arg(
            QString::fromLatin1(qVersion())),
        this);

    auto *texts = new QVBoxLayout;
    texts->addWidget(version);
    texts->addWidget(details);
    texts->addStretch(1);

    auto *top = new QHBoxLayout;
    top->addWidget(icon);
    top->addSpacing(12);
    top->addLayout(texts, 1);

    auto *box = new QDialogButtonBox(this);
    QPushButton *ok = box->addButton(u"OK"_s, QDialogButtonBox::AcceptRole);
    ok->setObjectName(u"okButton"_s);
    ok->setDefault(true);
    connect(box, &QDialogButtonBox::accepted, this, &AboutDialog::accept);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(box);
    setFixedSize(sizeHint());
}

QString AboutDialog::versionText()
{
    return u"Velmo バージョン %1"_s.arg(QStringLiteral(VELMO_VERSION));
}
