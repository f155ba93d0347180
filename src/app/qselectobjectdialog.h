// QSelectObjectDialog, the modal "オブジェクトの選択" dialog: the menu hierarchy fully expanded,
// from which the user picks a page or a content group, e.g. as the target of a link.
#pragma once

#include "model/qid.h"

#include <QDialog>

class QPlainTextEdit;
class QPushButton;
class QTreeCtrl;
class QTreeWidgetItem;

namespace velmo {
class QGlobal;
class QObject;
} // namespace velmo

class QSelectObjectDialog : public QDialog
{
    Q_OBJECT

public:
    explicit QSelectObjectDialog(velmo::QGlobal &global, QWidget *parent = nullptr);

    // The texts the link callers (category form, content editor) use.
    static QString linkTargetCaption();
    static QString linkTargetDescription();

    void setCaptionText(const QString &text) { m_caption = text; }
    void setDescriptionText(const QString &text) { m_description = text; }
    // The object whose subtree is offered; the callers pass the current site's first hierarchy.
    void setRootObject(velmo::QObject *root);
    // On entry the object to preselect (compared by identity); null for none.
    void setSelectedObject(velmo::QObject *object);
    // The object chosen with OK; null after Cancel, or when the object is gone meanwhile.
    velmo::QObject *selectedObject() const;

    // Sets the texts and fills the tree (only when a root is set), then runs the dialog.
    int DoModal();
    // What DoModal does before the dialog runs; for callers that show the dialog themselves.
    void initDialog();

    QTreeCtrl *tree() const { return m_tree; }

    // OK: taken only with a page or a content group selected, otherwise the user is told.
    void accept() override;
    // Cancel (and Escape): nothing is chosen.
    void reject() override;

private:
    void onSelectionChanged();

    velmo::QGlobal &m_global;
    QString m_caption;
    QString m_description;
    velmo::QObject *m_root = nullptr;
    velmo::QID m_rootId;
    velmo::QObject *m_selected = nullptr;
    velmo::QID m_selectedId;
    QPlainTextEdit *m_descriptionEdit = nullptr;
    QTreeCtrl *m_tree = nullptr;
    QPushButton *m_okButton = nullptr;
    QPushButton *m_cancelButton = nullptr;
};
