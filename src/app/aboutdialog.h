// AboutDialog, the version dialog ("バージョン情報 Velmo").
#pragma once

#include <QDialog>

class AboutDialog : public QDialog
{
    Q_OBJECT

public:
    explicit AboutDialog(QWidget *parent = nullptr);

    static QString versionText();
};
