// The object selection dialog.
#include "app/selectobjectdialog.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/objecttree.h"
#include "model/document.h"
#include "model/object.h"

using namespace Qt::StringLiterals;

SelectObjectDialog::SelectObjectDialog(velmo::Document &global, QWidget *parent)
    : QDialog(parent), m_global(global), m_caption(u"オブジェクトの選択"_s)
{
    setObjectName(u"selectObjectDialog"_s);
    setWindowTitle(m_caption);
    setModal(true);

    m_descriptionEdit = new QPlainTextEdit(this);
    m_descriptionEdit->setObjectName(u"descriptionEdit"_s);
    m_descriptionEdit->setReadOnly(true);
    m_descriptionEdit->setMaximumHeight(3 * fontMetrics().lineSpacing() + 12);

    m_tree = new ObjectTree(global, this);
    m_tree->setObjectName(u"objectTree"_s);
    // Only shows and selects: no state kept in the objects, no reports, no drags, no editing.
    m_tree->setTracksState(false);
    m_tree->setDragAndDropEnabled(false);

    m_okButton = new QPushButton(u"OK"_s, this);
    m_okButton->setObjectName(u"okButton"_s);
    m_okButton->setDefault(true);
    m_cancelButton = new QPushButton(u"キャンセル"_s, this);
    m_cancelButton->setObjectName(u"cancelButton"_s);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_okButton);
    buttons->addWidget(m_cancelButton);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_descriptionEdit);
    layout->addWidget(m_tree, 1);
    layout->addLayout(buttons);
    resize(360, 480);

    connect(m_okButton, &QPushButton::clicked, this, &SelectObjectDialog::accept);
    connect(m_cancelButton, &QPushButton::clicked, this, &SelectObjectDialog::reject);
    connect(m_tree->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &SelectObjectDialog::onSelectionChanged);
}

QString SelectObjectDialog::linkTargetCaption()
{
    return u"リンク先ページ選択"_s;
}

QString SelectObjectDialog::linkTargetDescription()
{
    return u"リンク先のページかコンテンツを選択して[OK]を押してください。"_s;
}

void SelectObjectDialog::setRootObject(velmo::Object *root)
{
    m_root = velmo::ObjectRef(root);
}

void SelectObjectDialog::setSelectedObject(velmo::Object *object)
{
    m_selected = velmo::ObjectRef(object);
    m_selectedId = object != nullptr ? object->id : velmo::ObjectId();
}

velmo::Object *SelectObjectDialog::selectedObject() const
{
    velmo::Object *selected = m_selected.get();
    return selected != nullptr && selected->id == m_selectedId && m_global.holds(selected) ? selected
                                                                                          : nullptr;
}

void SelectObjectDialog::initDialog()
{
    velmo::Object *root = m_root.get();
    if (root == nullptr || !m_global.holds(root))
        return;
    setWindowTitle(m_caption);
    m_descriptionEdit->setPlainText(m_description);

    // The preselection is by identity; it may name an object other than the one passed in.
    const velmo::ObjectId preselected = m_selectedId;
    m_tree->setRoot(root);
    m_tree->expandAll();
    if (!preselected.isNull())
        m_tree->selectObject(root->findById(preselected));
}

int SelectObjectDialog::doModal()
{
    initDialog();
    return exec();
}

void SelectObjectDialog::onSelectionChanged()
{
    setSelectedObject(m_tree->selectedObject());
}

void SelectObjectDialog::accept()
{
    const velmo::Object *chosen = selectedObject();
    if (chosen == nullptr ||
        (chosen->typeCode != velmo::kClassPage && chosen->typeCode != velmo::kClassContentGroup)) {
        m_global.report(u"ページかコンテンツを選択して [OK] を押してください。"_s);
        return;
    }
    QDialog::accept();
}

void SelectObjectDialog::reject()
{
    setSelectedObject(nullptr);
    QDialog::reject();
}
