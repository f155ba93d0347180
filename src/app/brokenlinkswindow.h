// BrokenLinksWindow, "リンク切れ": the links of the last site output that lead nowhere, with
// page, place, link, reason and text; a double-click shows the page in the preview, and
// "外部リンクも確認" asks the servers of the external links.
#pragma once

#include <QDialog>
#include <QFutureWatcher>

#include "generator/linkcheck.h"

class QLabel;
class QPushButton;
class QTreeWidget;

class BrokenLinksWindow : public QDialog
{
    Q_OBJECT

public:
    explicit BrokenLinksWindow(QWidget *parent = nullptr);

    // Lists result's broken links, whose files lie below folder.
    void showResult(const velmo::gen::LinkCheck::Result &result, const QString &folder);
    QTreeWidget *list() const { return m_list; }
    QPushButton *externalButton() const { return m_external; }

Q_SIGNALS:
    // The page at path is to be shown in the preview.
    void pageRequested(const QString &path);

private:
    // Asks for the external links away from the window's thread: a hundred slow servers
    // must not freeze it.
    void checkExternalLinks();
    void display(const velmo::gen::LinkCheck::Result &result, const QString &folder);

    QLabel *m_summary = nullptr;
    QTreeWidget *m_list = nullptr;
    QPushButton *m_external = nullptr;
    QString m_folder;
    velmo::gen::LinkCheck::Result m_result;
    QFutureWatcher<velmo::gen::LinkCheck::Result> m_checking;
    // A check of the external links finishing after a newer output was shown is not shown.
    int m_shown = 0;
    int m_checked = 0;
};
