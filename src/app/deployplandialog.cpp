// The list of what a transfer would change.
#include "app/deployplandialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;
using velmo::deploy::DeployPlan;

DeployPlanDialog::DeployPlanDialog(const DeployPlan &plan, const QString &server, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(u"deployPlanDialog"_s);
    setWindowTitle(u"サーバーへ転送"_s);
    auto *summary =
        new QLabel(u"%1 に次の変更をします。\n%2"_s.arg(server, countsText(plan)), this);
    summary->setObjectName(u"planSummary"_s);
    auto *list = new QTreeWidget(this);
    list->setObjectName(u"planList"_s);
    list->setHeaderLabels({u"操作"_s, u"ファイル"_s});
    list->setRootIsDecorated(false);
    list->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    for (const DeployPlan::Action &action : plan.actions()) {
        const QString verb = action.kind == DeployPlan::Action::Kind::Upload ? u"アップロード"_s
                             : action.kind == DeployPlan::Action::Kind::Replace ? u"置き換え"_s
                                                                                : u"削除"_s;
        new QTreeWidgetItem(list, {verb, action.path});
    }
    for (const DeployPlan::Conflict &conflict : plan.conflicts())
        new QTreeWidgetItem(list,
                            {u"転送できません"_s, conflict.path + u" — "_s + conflict.reason});
    auto *buttons = new QDialogButtonBox(this);
    buttons->setObjectName(u"planButtons"_s);
    QPushButton *go = buttons->addButton(u"転送"_s, QDialogButtonBox::AcceptRole);
    go->setObjectName(u"deployButton"_s);
    go->setEnabled(!plan.actions().isEmpty());
    buttons->addButton(u"キャンセル"_s, QDialogButtonBox::RejectRole)
        ->setObjectName(u"cancelButton"_s);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(summary);
    layout->addWidget(list, 1);
    layout->addWidget(buttons);
    resize(640, 420);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

QString DeployPlanDialog::countsText(const DeployPlan &plan)
{
    QString text = u"アップロード %1 件、置き換え %2 件、削除 %3 件（変更なし %4 件）"_s
                       .arg(plan.count(DeployPlan::Action::Kind::Upload))
                       .arg(plan.count(DeployPlan::Action::Kind::Replace))
                       .arg(plan.count(DeployPlan::Action::Kind::Delete))
                       .arg(plan.unchanged().size());
    if (!plan.conflicts().isEmpty())
        text += u"、転送できないもの %1 件"_s.arg(plan.conflicts().size());
    return text;
}
