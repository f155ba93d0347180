// The pane that shows the form for the selected object's class.
#include "app/formpane.h"

#include <QStackedLayout>

#include "model/object.h"

using namespace Qt::StringLiterals;

FormPane::FormPane(QList<qint32> acceptedClasses, QWidget *parent)
    : QFrame(parent), m_acceptedClasses(std::move(acceptedClasses))
{
    // Sunken like the panes of a splitter window, so that the empty panes still read as panes.
    setFrameShape(QFrame::StyledPanel);
    m_stack = new QStackedLayout(this);
    m_stack->setContentsMargins(0, 0, 0, 0);
    m_empty = new QWidget(this);
    m_empty->setObjectName(u"emptyForm"_s);
    m_stack->addWidget(m_empty);
}

FormPane::Entry *FormPane::entryFor(qint32 classCode)
{
    for (Entry &entry : m_entries) {
        if (entry.classCode == classCode)
            return &entry;
    }
    return nullptr;
}

bool FormPane::registerForm(qint32 classCode, QWidget *form, ObjectSetter setObject)
{
    if (form == nullptr || !acceptsClass(classCode))
        return false;
    if (Entry *old = entryFor(classCode)) {
        if (old->form == form) {
            old->setObject = std::move(setObject);
            return true;
        }
        delete old->form.data();
        old->form = form;
        old->setObject = std::move(setObject);
    } else {
        m_entries.append({classCode, form, std::move(setObject)});
    }
    // The stack keeps a form it shows fitted to the pane, also when the pane is resized. One
    // form may serve several classes; it is in the stack once.
    if (m_stack->indexOf(form) < 0)
        m_stack->addWidget(form);
    m_stack->setCurrentWidget(m_empty);
    return true;
}

QWidget *FormPane::formFor(qint32 classCode) const
{
    for (const Entry &entry : m_entries) {
        if (entry.classCode == classCode)
            return entry.form.data();
    }
    return nullptr;
}

QWidget *FormPane::shownForm() const
{
    QWidget *current = m_stack->currentWidget();
    return current == m_empty ? nullptr : current;
}

void FormPane::onObjectSelected(velmo::Object *object)
{
    m_stack->setCurrentWidget(m_empty);
    if (object == nullptr) {
        for (const Entry &entry : std::as_const(m_entries)) {
            if (!entry.form.isNull() && entry.setObject)
                entry.setObject(nullptr);
        }
        return;
    }
    if (!acceptsClass(object->typeCode))
        return;
    Entry *entry = entryFor(object->typeCode);
    if (entry == nullptr || entry->form.isNull())
        return;
    if (entry->setObject)
        entry->setObject(object);
    m_stack->setCurrentWidget(entry->form.data());
}
