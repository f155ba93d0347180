// The window of broken links after a site output.
#include "app/brokenlinkswindow.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

#include "generator/externallinkcheck.h"

using namespace Qt::StringLiterals;

BrokenLinksWindow::BrokenLinksWindow(QWidget *parent) : QDialog(parent)
{
    setObjectName(u"brokenLinksWindow"_s);
    setWindowTitle(u"リンク切れ"_s);
    m_summary = new QLabel(this);
    m_summary->setWordWrap(true);
    m_list = new QTreeWidget(this);
    m_list->setObjectName(u"brokenLinkList"_s);
    m_list->setHeaderLabels({u"ページ"_s, u"行:列"_s, u"リンク"_s, u"理由"_s, u"テキスト"_s});
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem *item) {
        Q_EMIT pageRequested(m_folder + u'/' + item->text(0));
    });
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    m_external = buttons->addButton(u"外部リンクも確認"_s, QDialogButtonBox::ActionRole);
    m_external->setObjectName(u"checkExternalLinks"_s);
    connect(m_external, &QPushButton::clicked, this, &BrokenLinksWindow::checkExternalLinks);
    connect(&m_checking, &QFutureWatcher<velmo::gen::LinkCheck::Result>::finished, this, [this] {
        if (m_checked == m_shown)
            display(m_checking.result(), m_folder);
        else
            m_external->setEnabled(!m_result.unchecked.isEmpty());
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_summary);
    layout->addWidget(m_list, 1);
    layout->addWidget(buttons);
    resize(860, 420);
}

void BrokenLinksWindow::showResult(const velmo::gen::LinkCheck::Result &result,
                                   const QString &folder)
{
    ++m_shown;
    display(result, folder);
}

void BrokenLinksWindow::display(const velmo::gen::LinkCheck::Result &result, const QString &folder)
{
    m_result = result;
    m_folder = folder;
    m_list->clear();
    QList<QTreeWidgetItem *> items;
    for (const auto *list : {&result.broken, &result.redirected}) {
        for (const velmo::gen::LinkCheck::Broken &broken : *list) {
            const QString place = broken.link.line > 0
                                      ? u"%1:%2"_s.arg(broken.link.line).arg(broken.link.column)
                                      : QString();
            items << new QTreeWidgetItem(
                {broken.file, place, broken.link.url, broken.reason, broken.link.text});
        }
    }
    m_list->addTopLevelItems(items);
    QString summary = u"%1 ページを確認し、リンク切れが %2 件見つかりました。"
                      u"ダブルクリックでそのページを表示します。"_s.arg(result.pagesChecked)
                          .arg(result.broken.size());
    if (result.externalChecked > 0)
        summary += u"外部リンクのアドレス %1 件を確認しました（転送 %2 件）。"_s
                       .arg(result.externalChecked)
                       .arg(result.redirected.size());
    if (!result.unchecked.isEmpty())
        summary += u"外部リンク %1 件は確認していません。"_s.arg(result.unchecked.size());
    m_summary->setText(summary);
    m_external->setEnabled(!m_checking.isRunning() &&
                           velmo::gen::ExternalLinkCheck::hasUncheckedAddresses(result));
}

void BrokenLinksWindow::checkExternalLinks()
{
    if (m_checking.isRunning())
        return;
    m_external->setEnabled(false);
    m_checked = m_shown;
    m_summary->setText(u"外部リンク %1 件を確認しています…"_s.arg(m_result.unchecked.size()));
    m_checking.setFuture(QtConcurrent::run([result = m_result]() mutable {
        velmo::gen::ExternalLinkCheck().apply(result);
        return result;
    }));
}
