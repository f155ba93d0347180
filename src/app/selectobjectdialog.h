// SelectObjectDialog, the modal "オブジェクトの選択" dialog: the menu hierarchy fully expanded,
// from which the user picks a page or a content group, e.g. as the target of a link.
#pragma once

#include <QDialog>

#include "model/objectid.h"
#include "model/objectref.h"

class QPlainTextEdit;
class QPushButton;
class ObjectTree;

namespace velmo {
class Document;
class Object;
} // namespace velmo

class SelectObjectDialog : public QDialog
{
    Q_OBJECT

public:
    explicit SelectObjectDialog(velmo::Document &global, QWidget *parent = nullptr);

    // The texts the link callers (category form, content editor) use.
    static QString linkTargetCaption();
    static QString linkTargetDescription();

    void setCaptionText(const QString &text) { m_caption = text; }
    void setDescriptionText(const QString &text) { m_description = text; }
    // The object whose subtree is offered; the callers pass the current site's first hierarchy.
    void setRootObject(velmo::Object *root);
    // On entry the object to preselect (compared by identity); null for none.
    void setSelectedObject(velmo::Object *object);
    // The object chosen with OK; null after Cancel, or when the object is gone meanwhile.
    velmo::Object *selectedObject() const;

    // Sets the texts and fills the tree (only when a root is set), then runs the dialog.
    int doModal();
    // What doModal does before the dialog runs; for callers that show the dialog themselves.
    void initDialog();

    ObjectTree *tree() const { return m_tree; }

    // OK: taken only with a page or a content group selected, otherwise the user is told.
    void accept() override;
    // Cancel (and Escape): nothing is chosen.
    void reject() override;

private:
    void onSelectionChanged();

    velmo::Document &m_global;
    QString m_caption;
    QString m_description;
    velmo::ObjectRef m_root;
    velmo::ObjectRef m_selected;
    // Kept apart: the preselection is by identity, also when the object passed in is gone.
    velmo::ObjectId m_selectedId;
    QPlainTextEdit *m_descriptionEdit = nullptr;
    ObjectTree *m_tree = nullptr;
    QPushButton *m_okButton = nullptr;
    QPushButton *m_cancelButton = nullptr;
};
