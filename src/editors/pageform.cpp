// The page form.
#include "editors/pageform.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "app/documentcontroller.h"
#include "editors/templatecombo.h"
#include "model/page.h"
#include "model/templatefiles.h"

using namespace Qt::StringLiterals;

namespace velmo::ui {

PageForm::PageForm(DocumentController &controller, QWidget *parent)
    : PropertyForm(controller, parent)
{
    setObjectName(u"pageForm"_s);
    m_name = makeLineEdit(u"pageNameEdit"_s, velmo::Field::Name);
    setNameEdit(m_name);
    m_fileName = makeLineEdit(u"pageFileNameEdit"_s, velmo::Field::FileName);
    m_title = makeLineEdit(u"pageTitleEdit"_s, velmo::Field::Title);
    m_summary = makeTextEdit(u"pageSummaryEdit"_s, velmo::Field::Summary);
    m_keywords = makeLineEdit(u"pageKeywordsEdit"_s, velmo::Field::Keywords);
    m_template = new TemplateCombo(this);
    m_template->setObjectName(u"pageTemplateCombo"_s);
    connect(m_template, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (auto *page = editable<velmo::Page>(); page != nullptr && index >= 0)
            m_controller.setTemplateName(page, m_template->itemText(index));
    });
    m_showTemplate = new QPushButton(u"表示"_s, this);
    m_showTemplate->setObjectName(u"showPageTemplateButton"_s);
    connect(m_showTemplate, &QPushButton::clicked, this, [this] {
        if (auto *page = editable<velmo::Page>())
            m_controller.openInTextEditor(velmo::TemplateFiles::templatePathOf(page));
    });

    auto *fileName = new QHBoxLayout;
    fileName->addWidget(m_fileName, 1);
    fileName->addWidget(new QLabel(u".html"_s, this));
    auto *templateRow = new QHBoxLayout;
    templateRow->addWidget(m_template, 1);
    templateRow->addWidget(m_showTemplate);
    auto *form = new QFormLayout(this);
    form->setRowWrapPolicy(QFormLayout::WrapLongRows);
    form->addRow(u"ページ項目名"_s, m_name);
    form->addRow(u"ページファイル名"_s, fileName);
    form->addRow(u"ページ タイトル"_s, m_title);
    form->addRow(u"ページ概要"_s, m_summary);
    form->addRow(u"ページ 固有キーワード"_s, m_keywords);
    form->addRow(u"ページ テンプレート"_s, templateRow);
}

void PageForm::load(velmo::Object *target)
{
    auto *page = velmo::object_cast<velmo::Page>(target);
    setEnabled(page != nullptr);
    if (page == nullptr) {
        for (QLineEdit *edit : {m_name, m_fileName, m_title, m_keywords})
            edit->clear();
        m_summary->clear();
        m_template->clear();
        return;
    }
    setText(m_name, page->name);
    setText(m_fileName, page->fileName);
    setText(m_title, page->title);
    setText(m_summary, page->summary);
    setText(m_keywords, page->keywords);
    // A page whose template file is gone takes the first one, so that it can be output.
    const QString chosen = m_template->fill(page, page->templateName);
    if (!chosen.isEmpty() && chosen != page->templateName)
        m_controller.setTemplateName(page, chosen);
}

} // namespace velmo::ui
