// SelectOlStyleDialog: picks the list-style-type declaration of a numbered list.
#pragma once

#include <QDialog>

namespace velmo::ui {

class SelectOlStyleDialog : public QDialog
{
    Q_OBJECT

public:
    explicit SelectOlStyleDialog(QWidget *parent = nullptr);

    // After Accepted: the declaration, e.g. "list-style-type: disc"; empty for "指定無し",
    // which means a plain list without a style attribute.
    QString result() const { return m_result; }

private:
    QString m_result;
};

} // namespace velmo::ui
