// AutoSaveDialog: "自動保存の設定", the interval of the autosave in seconds.
#pragma once

#include <QDialog>

class QSpinBox;

class AutoSaveDialog : public QDialog
{
    Q_OBJECT

public:
    explicit AutoSaveDialog(int seconds, QWidget *parent = nullptr);

    // 0 turns autosaving off.
    int seconds() const;

private:
    QSpinBox *m_seconds = nullptr;
};
