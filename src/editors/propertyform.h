// PropertyForm, what the property forms share: the document object they edit (held so that it
// may go away meanwhile), the loading flag that keeps filling the controls from writing back,
// edit boxes that write one field each through the controller (a burst of typing is one step
// of the history, ended when the box loses the focus), and a fresh load whenever the form is
// shown or the object changes, by an undo for instance.
#pragma once

#include <QWidget>

#include "model/objectfield.h"
#include "model/objectref.h"

class DocumentController;
class QLineEdit;
class QPlainTextEdit;

namespace velmo::ui {

class PropertyForm : public QWidget
{
    Q_OBJECT

public:
    // The object to edit (or null to let go); the form fills its controls from it.
    void setObject(velmo::Object *object);
    velmo::Object *object() const { return m_object.get(); }
    // Fills the controls from the object again.
    void reload();
    // Puts the keyboard focus into the name box, its text selected for typing over.
    void editName();

protected:
    PropertyForm(DocumentController &controller, QWidget *parent);

    // Fills the controls from target; called with the loading flag set, and with null when
    // the object is gone.
    virtual void load(velmo::Object *target) = 0;
    void showEvent(QShowEvent *event) override;

    // The object as T when a change may be written into it: not while the controls are being
    // filled, and only while it still belongs to the document.
    template<class T>
    T *editable() const
    {
        return m_loading ? nullptr : m_object.as<T>();
    }
    bool isLoading() const { return m_loading; }
    void setNameEdit(QLineEdit *edit) { m_nameEdit = edit; }

    // An edit box whose every change is written into field of the object (not while loading).
    QLineEdit *makeLineEdit(const QString &name, velmo::Field field);
    QPlainTextEdit *makeTextEdit(const QString &name, velmo::Field field);
    // Watches an edit control: losing the focus ends its burst of typing, and the undo keys
    // go to the document's history rather than the control's own.
    void watchEdit(QWidget *edit);
    bool eventFilter(QObject *watched, QEvent *event) override;
    // Sets text without moving the caret of a box the user is typing in.
    static void setText(QLineEdit *edit, const QString &text);
    static void setText(QPlainTextEdit *edit, const QString &text);

    DocumentController &m_controller;

private:
    void onObjectChanged(velmo::Object *object);

    velmo::ObjectRef m_object;
    bool m_loading = false;
    bool m_skipShowLoad = false;
    QLineEdit *m_nameEdit = nullptr;
};

} // namespace velmo::ui
