// FormPane, a pane that shows one form per class of document object: the forms are handed in
// once (when the editing forms exist), kept hidden, and the one for the selected object's class
// fills the pane.
#pragma once

#include <functional>

#include <QFrame>
#include <QList>
#include <QPointer>

class QStackedLayout;

namespace velmo {
class Object;
}

class FormPane : public QFrame
{
    Q_OBJECT

public:
    // Called with the object a form is about to show, or with null when what it held may be
    // about to go (nothing is selected, or the document is being replaced).
    using ObjectSetter = std::function<void(velmo::Object *)>;

    // Takes form as a child shown for objects of classCode; a second form for the same class
    // replaces the first, which is destroyed. Classes this pane does not show are refused
    // (false). A form that is destroyed elsewhere is simply forgotten.
    bool registerForm(qint32 classCode, QWidget *form, ObjectSetter setObject = {});

    QWidget *formFor(qint32 classCode) const;
    // The form on view, or null when the pane is empty.
    QWidget *shownForm() const;
    bool acceptsClass(qint32 classCode) const { return m_acceptedClasses.contains(classCode); }

    // The selection changed: every form is hidden, then the form for object's class is given the
    // object and shown. Null hides them all and tells every form to let go of its object.
    void onObjectSelected(velmo::Object *object);

protected:
    FormPane(QList<qint32> acceptedClasses, QWidget *parent);

private:
    struct Entry
    {
        qint32 classCode = 0;
        QPointer<QWidget> form;
        ObjectSetter setObject;
    };

    Entry *entryFor(qint32 classCode);

    QList<qint32> m_acceptedClasses;
    QList<Entry> m_entries;
    QStackedLayout *m_stack = nullptr;
    QWidget *m_empty = nullptr;
};
