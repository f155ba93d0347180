// The category form.
#include "editors/categoryform.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/documentcontroller.h"
#include "app/selectobjectdialog.h"
#include "generator/pagefiles.h"
#include "model/category.h"
#include "model/classification.h"
#include "model/document.h"
#include "model/site.h"

using namespace Qt::StringLiterals;

namespace velmo::ui {

CategoryForm::CategoryForm(DocumentController &controller, QWidget *parent)
    : PropertyForm(controller, parent)
{
    setObjectName(u"categoryForm"_s);

    // The enabled flag has its buttons, but no output reads it yet: they stay out of sight.
    m_enabledButton = new QPushButton(u"有効"_s, this);
    m_enabledButton->setObjectName(u"enabledButton"_s);
    m_disabledButton = new QPushButton(u"無効"_s, this);
    m_disabledButton->setObjectName(u"disabledButton"_s);
    for (QPushButton *button : {m_enabledButton, m_disabledButton}) {
        button->setCheckable(true);
        button->hide();
    }
    connect(m_enabledButton, &QPushButton::clicked, this, [this] { setEnabledFlag(true); });
    connect(m_disabledButton, &QPushButton::clicked, this, [this] { setEnabledFlag(false); });

    m_linkMenu = new QCheckBox(u"リンクメニュー"_s, this);
    m_linkMenu->setObjectName(u"linkMenuCheck"_s);
    connect(m_linkMenu, &QCheckBox::clicked, this, &CategoryForm::setLinkMenu);
    m_linkButton = new QPushButton(u"．．．"_s, this);
    m_linkButton->setObjectName(u"linkTargetButton"_s);
    connect(m_linkButton, &QPushButton::clicked, this, &CategoryForm::chooseLinkTarget);
    m_linkTarget = new QLineEdit(this);
    m_linkTarget->setObjectName(u"linkTargetEdit"_s);
    m_linkTarget->setReadOnly(true);
    m_linkTarget->setAlignment(Qt::AlignCenter);

    m_name = makeLineEdit(u"menuNameEdit"_s, velmo::Field::Name);
    m_folderName = makeLineEdit(u"folderNameEdit"_s, velmo::Field::FolderName);
    // Folder names are lower case: letters turn as they are typed, the caret staying put.
    connect(m_folderName, &QLineEdit::textEdited, this, [this](const QString &text) {
        const QString lower = text.toLower();
        if (lower != text) {
            const int caret = m_folderName->cursorPosition();
            m_folderName->setText(lower);
            m_folderName->setCursorPosition(caret);
        }
    });
    setNameEdit(m_name);
    m_folderClash = new QLabel(u"同じフォルダ名のカテゴリがあります"_s, this);
    m_folderClash->setObjectName(u"folderClashLabel"_s);
    m_folderClash->setStyleSheet(u"color: #c00000;"_s);
    m_folderClash->setWordWrap(true);
    m_folderClash->hide();
    m_memo = makeTextEdit(u"memoEdit"_s, velmo::Field::Memo);

    auto *link = new QHBoxLayout;
    link->addWidget(m_linkMenu);
    link->addWidget(m_linkButton);
    link->addWidget(m_linkTarget, 1);
    auto *form = new QFormLayout(this);
    form->setRowWrapPolicy(QFormLayout::WrapLongRows);
    form->addRow(link);
    form->addRow(u"メニュー表示名"_s, m_name);
    auto *folderRows = new QVBoxLayout;
    folderRows->setContentsMargins(0, 0, 0, 0);
    folderRows->addWidget(m_folderName);
    folderRows->addWidget(m_folderClash);
    form->addRow(u"カテゴリ フォルダ名"_s, folderRows);
    form->addRow(u"メモ"_s, m_memo);
}

void CategoryForm::load(velmo::Object *target)
{
    auto *category = velmo::object_cast<velmo::Category>(target);
    setEnabled(category != nullptr);
    if (category == nullptr) {
        for (QLineEdit *edit : {m_linkTarget, m_name, m_folderName})
            edit->clear();
        m_memo->clear();
        return;
    }
    m_enabledButton->setChecked(category->enabled != 0);
    m_disabledButton->setChecked(category->enabled == 0);
    const bool link = category->isLinkMenu();
    m_linkMenu->setChecked(link);
    m_linkButton->setEnabled(link);
    m_linkTarget->setEnabled(link);
    auto *site = velmo::ancestorOf<velmo::Site>(category);
    if (!link) {
        m_linkTarget->clear();
    } else if (!category->linkTitle.isEmpty()) {
        setText(m_linkTarget, category->linkTitle);
    } else {
        // The target by its name, as the tree shows it; an identity means nothing to the user.
        const velmo::Object *linked = site != nullptr && !category->linkTarget.isNull()
                                          ? site->findById(category->linkTarget)
                                          : nullptr;
        setText(m_linkTarget, linked != nullptr               ? linked->name
                              : category->linkTarget.isNull() ? u"（未設定）"_s
                                                              : u"（見つかりません）"_s);
    }
    setText(m_name, category->name);
    setText(m_folderName, category->folderName);
    setText(m_memo, category->memo);
    const velmo::Category *sharing =
        site != nullptr ? velmo::gen::PageFiles(*site, velmo::gen::PageFiles::Pages::All)
                              .sharingFolderWith(category)
                        : nullptr;
    m_folderClash->setVisible(sharing != nullptr);
    m_folderClash->setToolTip(sharing != nullptr ? sharing->name : QString());
}

void CategoryForm::setEnabledFlag(bool on)
{
    auto *category = editable<velmo::Category>();
    if (category == nullptr)
        return;
    m_controller.setField(category, velmo::Field::Enabled, qint32(on ? 1 : 0));
    m_enabledButton->setChecked(on);
    m_disabledButton->setChecked(!on);
}

void CategoryForm::setLinkMenu(bool on)
{
    auto *category = editable<velmo::Category>();
    if (category == nullptr)
        return;
    m_linkButton->setEnabled(on);
    m_controller.setLinkMenu(category, on);
    reload();
}

void CategoryForm::chooseLinkTarget()
{
    auto *category = editable<velmo::Category>();
    if (category == nullptr)
        return;
    velmo::Document &document = m_controller.document();
    velmo::Site *site = velmo::ancestorOf<velmo::Site>(category);
    if (site == nullptr)
        return;
    SelectObjectDialog dialog(document, this);
    dialog.setCaptionText(SelectObjectDialog::linkTargetCaption());
    dialog.setDescriptionText(SelectObjectDialog::linkTargetDescription());
    dialog.setRootObject(site->classifications.first());
    dialog.setSelectedObject(category);
    const velmo::ObjectRef held(category);
    if (dialog.doModal() == QDialog::Accepted && held.get() == category) {
        velmo::Object *chosen = dialog.selectedObject();
        if (chosen != nullptr && (chosen->typeCode == velmo::kClassPage ||
                                  chosen->typeCode == velmo::kClassContentGroup))
            m_controller.setLinkTarget(category, chosen);
    }
    reload();
}

} // namespace velmo::ui
