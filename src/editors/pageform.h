// PageForm, the property form of a page: name, file name, title, summary, keywords and the page
// template, each written into the page as it is edited.
#pragma once

#include <QStringList>

#include "editors/propertyform.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace velmo {
class Page;
}

namespace velmo::ui {

class TemplateCombo;

class PageForm : public PropertyForm
{
    Q_OBJECT

public:
    explicit PageForm(DocumentController &controller, QWidget *parent = nullptr);

protected:
    void load(velmo::Object *target) override;

private:
    // The file-name box and what it says: the home page's is index, and a name another page of
    // the folder has too is marked.
    void showFileName(velmo::Page &page);

    QLineEdit *m_name = nullptr;
    QLineEdit *m_fileName = nullptr;
    QLabel *m_fileClash = nullptr;
    QLineEdit *m_title = nullptr;
    QPlainTextEdit *m_summary = nullptr;
    QLineEdit *m_keywords = nullptr;
    TemplateCombo *m_template = nullptr;
    QPushButton *m_showTemplate = nullptr;
};

} // namespace velmo::ui
