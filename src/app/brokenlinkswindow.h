// BrokenLinksWindow, "リンク切れ": the links of the last site output that lead nowhere, with
// page, link and line; a double-click shows the page in the preview.
#pragma once

#include <QDialog>

#include "generator/linkcheck.h"

class QLabel;
class QTreeWidget;

class BrokenLinksWindow : public QDialog
{
    Q_OBJECT

public:
    explicit BrokenLinksWindow(QWidget *parent = nullptr);

    // Lists result's broken links, whose files lie below folder.
    void showResult(const velmo::gen::LinkCheck::Result &result, const QString &folder);
    QTreeWidget *list() const { return m_list; }

Q_SIGNALS:
    // The page at path is to be shown in the preview.
    void pageRequested(const QString &path);

private:
    QLabel *m_summary = nullptr;
    QTreeWidget *m_list = nullptr;
    QString m_folder;
};
