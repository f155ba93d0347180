// CAboutDlg, the version dialog ("バージョン情報 Velmo").
#pragma once

#include <QDialog>

class CAboutDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CAboutDlg(QWidget *parent = nullptr);

    static QString versionText();
};
