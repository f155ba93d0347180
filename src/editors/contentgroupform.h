// ContentGroupForm, the property form of a content group ("コンテンツ"): title, content template
// and the site's style sheet, with "表示" opening either in the text editor.
#pragma once

#include "editors/propertyform.h"

class QLineEdit;
class QListWidget;
class QPushButton;

namespace velmo::ui {

class TemplateCombo;

class ContentGroupForm : public PropertyForm
{
    Q_OBJECT

public:
    explicit ContentGroupForm(DocumentController &controller, QWidget *parent = nullptr);

protected:
    void load(velmo::Object *target) override;

private:
    QLineEdit *m_title = nullptr;
    TemplateCombo *m_template = nullptr;
    QPushButton *m_showTemplate = nullptr;
    QLineEdit *m_styleSheet = nullptr;
    QPushButton *m_showStyleSheet = nullptr;
    QListWidget *m_dataList = nullptr;
};

} // namespace velmo::ui
