// The content-group form.
#include "editors/contentgroupform.h"

#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "app/documentcontroller.h"
#include "editors/templatecombo.h"
#include "model/contentgroup.h"
#include "model/site.h"
#include "model/templatefiles.h"

using namespace Qt::StringLiterals;

namespace velmo::ui {

ContentGroupForm::ContentGroupForm(DocumentController &controller, QWidget *parent)
    : PropertyForm(controller, parent)
{
    setObjectName(u"contentGroupForm"_s);
    m_title = makeLineEdit(u"contentTitleEdit"_s, velmo::Field::Name);
    setNameEdit(m_title);
    m_template = new TemplateCombo(this);
    m_template->setObjectName(u"contentTemplateCombo"_s);
    connect(m_template, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (auto *group = editable<velmo::ContentGroup>(); group != nullptr && index >= 0)
            m_controller.setTemplateName(group, m_template->templateAt(index));
    });
    m_showTemplate = new QPushButton(u"表示"_s, this);
    m_showTemplate->setObjectName(u"showContentTemplateButton"_s);
    connect(m_showTemplate, &QPushButton::clicked, this, [this] {
        if (auto *group = editable<velmo::ContentGroup>())
            m_controller.openInTextEditor(velmo::TemplateFiles::templatePathOf(group));
    });
    m_styleSheet = new QLineEdit(this);
    m_styleSheet->setObjectName(u"styleSheetEdit"_s);
    m_styleSheet->setReadOnly(true);
    m_styleSheet->setAlignment(Qt::AlignRight);
    m_showStyleSheet = new QPushButton(u"表示"_s, this);
    m_showStyleSheet->setObjectName(u"showStyleSheetButton"_s);
    connect(m_showStyleSheet, &QPushButton::clicked, this,
            [this] { m_controller.openInTextEditor(m_styleSheet->text()); });
    // Only groups of other kinds hold data rows; nothing fills them yet.
    m_dataList = new QListWidget(this);
    m_dataList->setObjectName(u"dataList"_s);

    auto *templateRow = new QHBoxLayout;
    templateRow->addWidget(m_template, 1);
    templateRow->addWidget(m_showTemplate);
    auto *styleRow = new QHBoxLayout;
    styleRow->addWidget(m_styleSheet, 1);
    styleRow->addWidget(m_showStyleSheet);
    auto *form = new QFormLayout(this);
    form->setRowWrapPolicy(QFormLayout::WrapLongRows);
    form->addRow(u"コンテンツ タイトル"_s, m_title);
    form->addRow(u"テンプレート"_s, templateRow);
    form->addRow(u"使用 CSS"_s, styleRow);
    form->addRow(m_dataList);
}

void ContentGroupForm::load(velmo::Object *target)
{
    auto *group = velmo::object_cast<velmo::ContentGroup>(target);
    setEnabled(group != nullptr);
    const bool dataRows = group != nullptr && group->kind == velmo::ContentGroup::kKindOther;
    m_dataList->setVisible(dataRows);
    m_dataList->setEnabled(dataRows);
    if (group == nullptr) {
        m_title->clear();
        m_template->clear();
        m_styleSheet->clear();
        return;
    }
    setText(m_title, group->name);
    const velmo::Site *site = velmo::ancestorOf<velmo::Site>(group);
    const QString styleSheet =
        site != nullptr ? velmo::TemplateFiles::styleSheetPath(*site) : QString();
    setText(m_styleSheet, QFileInfo(styleSheet).isFile() ? styleSheet : QString());
    // The box shows the end of a long path; the whole of it is a hover away.
    m_styleSheet->setToolTip(m_styleSheet->text());
    const QString chosen = m_template->fill(group, group->templateName);
    if (!chosen.isEmpty() && chosen != group->templateName)
        m_controller.setTemplateName(group, chosen);
}

} // namespace velmo::ui
