// CategoryForm, the property form of a category (a menu): link menu and its target, display
// name, folder name and memo, each written into the category as it is edited.
#pragma once

#include "editors/propertyform.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace velmo::ui {

class CategoryForm : public PropertyForm
{
    Q_OBJECT

public:
    explicit CategoryForm(DocumentController &controller, QWidget *parent = nullptr);

    // "．．．": the user picks the link target among the site's pages and content groups.
    void chooseLinkTarget();

protected:
    void load(velmo::Object *target) override;

private:
    void setEnabledFlag(bool on);
    void setLinkMenu(bool on);

    QPushButton *m_enabledButton = nullptr;
    QPushButton *m_disabledButton = nullptr;
    QCheckBox *m_linkMenu = nullptr;
    QPushButton *m_linkButton = nullptr;
    QLineEdit *m_linkTarget = nullptr;
    QLineEdit *m_name = nullptr;
    QLineEdit *m_folderName = nullptr;
    QLabel *m_folderClash = nullptr;
    QPlainTextEdit *m_memo = nullptr;
};

} // namespace velmo::ui
