// The window of broken links after a site output.
#include "app/brokenlinkswindow.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

BrokenLinksWindow::BrokenLinksWindow(QWidget *parent) : QDialog(parent)
{
    setObjectName(u"brokenLinksWindow"_s);
    setWindowTitle(u"リンク切れ"_s);
    m_summary = new QLabel(this);
    m_list = new QTreeWidget(this);
    m_list->setObjectName(u"brokenLinkList"_s);
    m_list->setHeaderLabels({u"ページ"_s, u"行"_s, u"リンク"_s, u"理由"_s});
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem *item) {
        Q_EMIT pageRequested(m_folder + u'/' + item->text(0));
    });
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_summary);
    layout->addWidget(m_list, 1);
    layout->addWidget(buttons);
    resize(760, 420);
}

void BrokenLinksWindow::showResult(const velmo::gen::LinkCheck::Result &result,
                                   const QString &folder)
{
    m_folder = folder;
    m_list->clear();
    QList<QTreeWidgetItem *> items;
    for (const velmo::gen::LinkCheck::Broken &broken : result.broken)
        items << new QTreeWidgetItem(
            {broken.file, QString::number(broken.link.line), broken.link.url, broken.reason});
    m_list->addTopLevelItems(items);
    m_summary->setText(
        u"%1 ページを確認し、リンク切れが %2 件見つかりました。"
        u"ダブルクリックでそのページを表示します（外部リンク %3 件は確認していません）。"_s
            .arg(result.pagesChecked)
            .arg(result.broken.size())
            .arg(result.unchecked.size()));
    m_summary->setWordWrap(true);
}
