// DeployPlanDialog: what "サーバーへ転送" would change on the server — uploads, replacements and
// deletions with their counts, and the files that cannot be sent — for the user to agree to.
#pragma once

#include <QDialog>

#include "deploy/deployplan.h"

class QLabel;
class QTreeWidget;

class DeployPlanDialog : public QDialog
{
    Q_OBJECT

public:
    DeployPlanDialog(const velmo::deploy::DeployPlan &plan, const QString &server,
                     QWidget *parent = nullptr);

    // "アップロード 3 件、置き換え 1 件、削除 2 件（変更なし 40 件）".
    static QString countsText(const velmo::deploy::DeployPlan &plan);
};
