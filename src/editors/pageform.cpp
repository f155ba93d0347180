// The page form.
#include "editors/pageform.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/documentcontroller.h"
#include "editors/templatecombo.h"
#include "generator/pagefiles.h"
#include "generator/siteoutput.h"
#include "model/classification.h"
#include "model/page.h"
#include "model/site.h"
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
            m_controller.setTemplateName(page, m_template->templateAt(index));
    });
    m_showTemplate = new QPushButton(u"表示"_s, this);
    m_showTemplate->setObjectName(u"showPageTemplateButton"_s);
    connect(m_showTemplate, &QPushButton::clicked, this, [this] {
        if (auto *page = editable<velmo::Page>())
            m_controller.openInTextEditor(velmo::TemplateFiles::templatePathOf(page));
    });

    m_fileClash = new QLabel(u"同じフォルダに同じファイル名のページがあります"_s, this);
    m_fileClash->setObjectName(u"pageFileClashLabel"_s);
    m_fileClash->setStyleSheet(u"color: #c00000;"_s);
    m_fileClash->setWordWrap(true);
    m_fileClash->hide();

    auto *fileName = new QHBoxLayout;
    fileName->addWidget(m_fileName, 1);
    fileName->addWidget(new QLabel(u".html"_s, this));
    auto *fileRows = new QVBoxLayout;
    fileRows->setContentsMargins(0, 0, 0, 0);
    fileRows->addLayout(fileName);
    fileRows->addWidget(m_fileClash);
    auto *templateRow = new QHBoxLayout;
    templateRow->addWidget(m_template, 1);
    templateRow->addWidget(m_showTemplate);
    auto *form = new QFormLayout(this);
    form->setRowWrapPolicy(QFormLayout::WrapLongRows);
    form->addRow(u"ページ項目名"_s, m_name);
    form->addRow(u"ページファイル名"_s, fileRows);
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
    showFileName(*page);
    setText(m_title, page->title);
    setText(m_summary, page->summary);
    setText(m_keywords, page->keywords);
    // A page whose template file is gone takes the first one, so that it can be output. A
    // plug-in page is merged into every page of its template: it keeps what it has, an empty
    // template included, until the user chooses.
    const auto *owner = velmo::object_cast<velmo::Classification>(page->parent());
    const bool plugin = owner != nullptr && owner->kind == velmo::Classification::kKindPlugin;
    const QString chosen = m_template->fill(page, page->templateName, plugin);
    if (!plugin && !chosen.isEmpty() && chosen != page->templateName)
        m_controller.setTemplateName(page, chosen);
}

void PageForm::showFileName(velmo::Page &page)
{
    auto *site = velmo::ancestorOf<velmo::Site>(&page);
    // The home page is published as index.html whatever its own name: the box says so, and
    // typing into it would change nothing the user can see.
    const bool home = site != nullptr && velmo::gen::SiteOutput::findHomePage(*site) == &page;
    m_fileName->setReadOnly(home);
    m_fileName->setToolTip(home ? u"ホームページは index.html として出力されます"_s : QString());
    setText(m_fileName, home ? u"index"_s : page.fileName);
    const velmo::Page *other = nullptr;
    if (site != nullptr)
        other = velmo::gen::PageFiles(*site, velmo::gen::PageFiles::Pages::All).clashingWith(&page);
    m_fileClash->setVisible(other != nullptr);
    m_fileClash->setToolTip(other != nullptr ? velmo::gen::PageFiles::pageLabel(*other)
                                             : QString());
}

} // namespace velmo::ui
