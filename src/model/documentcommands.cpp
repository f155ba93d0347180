// The document's undo steps.
#include "model/documentcommands.h"

#include <algorithm>

namespace velmo {

PlaceCommand::PlaceCommand(Document &document, std::unique_ptr<Object> object, Object *owner,
                           int index, const QString &text)
    : UndoCommand(text), m_document(document), m_object(object.release()), m_owner(owner),
      m_index(index)
{}

PlaceCommand::~PlaceCommand()
{
    if (m_owned)
        delete m_object;
}

bool PlaceCommand::redo()
{
    if (!m_owned || !m_document.insertObject(m_owner, m_object, m_index))
        return false;
    m_owned = false;
    return true;
}

void PlaceCommand::undo()
{
    if (m_document.takeObject(m_object) >= 0)
        m_owned = true;
}

TakeCommand::TakeCommand(Document &document, Object *object, const QString &text)
    : UndoCommand(text), m_document(document), m_object(object)
{}

TakeCommand::~TakeCommand()
{
    if (m_owned)
        delete m_object;
}

bool TakeCommand::redo()
{
    if (m_owned)
        return false;
    m_owner = m_object->parent();
    m_wasCurrent = m_document.currentSiteUnchecked() == m_object;
    m_index = m_document.takeObject(m_object);
    if (m_index < 0)
        return false;
    m_owned = true;
    return true;
}

void TakeCommand::undo()
{
    if (!m_owned || !m_document.insertObject(m_owner, m_object, m_index))
        return;
    m_owned = false;
    if (m_wasCurrent)
        m_document.setCurrentSite(m_object);
}

MoveCommand::MoveCommand(Document &document, Object *object, Object *newOwner, int index,
                         const QString &text)
    : UndoCommand(text), m_document(document), m_object(object), m_newOwner(newOwner),
      m_newIndex(index)
{}

bool MoveCommand::redo()
{
    m_oldOwner = m_object->parent();
    m_oldIndex = m_document.indexInOwner(m_object);
    if (m_oldIndex < 0)
        return false;
    const int index = m_placedIndex >= 0 ? m_placedIndex : m_newIndex;
    if (!m_document.moveObject(m_object, m_newOwner, index))
        return false;
    m_placedIndex = m_document.indexInOwner(m_object);
    return true;
}

void MoveCommand::undo()
{
    m_document.moveObject(m_object, m_oldOwner, m_oldIndex);
}

FieldCommand::FieldCommand(Document &document, Object *object, Field field,
                           const FieldValue &value, bool mergeable)
    : UndoCommand(object != nullptr ? fieldChangeName(*object, field) : QString()),
      m_document(document), m_object(object), m_field(field), m_mergeable(mergeable),
      m_after(value)
{}

FieldCommand::TextChange FieldCommand::diff(const QString &before, const QString &after)
{
    TextChange change;
    const qsizetype shorter = std::min(before.size(), after.size());
    while (change.head < shorter && before.at(change.head) == after.at(change.head))
        ++change.head;
    while (change.tail < shorter - change.head &&
           before.at(before.size() - 1 - change.tail) == after.at(after.size() - 1 - change.tail))
        ++change.tail;
    change.before = before.mid(change.head, before.size() - change.head - change.tail);
    change.after = after.mid(change.head, after.size() - change.head - change.tail);
    return change;
}

QString FieldCommand::apply(const QString &text, const TextChange &change, bool forward)
{
    const QString &removed = forward ? change.before : change.after;
    const QString &inserted = forward ? change.after : change.before;
    return text.left(change.head) + inserted +
           text.mid(change.head + removed.size(), change.tail);
}

bool FieldCommand::redo()
{
    if (m_object == nullptr)
        return false;
    if (m_done)
        return write(true);
    const std::optional<FieldValue> old = readField(*m_object, m_field);
    if (!old || old->index() != m_after.index() || *old == m_after)
        return false;
    m_isText = std::holds_alternative<QString>(m_after);
    if (m_isText) {
        m_text = diff(std::get<QString>(*old), std::get<QString>(m_after));
        // Only the difference is kept from here on.
        m_after = FieldValue();
    } else {
        m_before = *old;
    }
    m_done = true;
    return write(true);
}

void FieldCommand::undo()
{
    write(false);
}

bool FieldCommand::write(bool forward)
{
    FieldValue value;
    if (m_isText) {
        const std::optional<FieldValue> now = readField(*m_object, m_field);
        if (!now)
            return false;
        value = apply(std::get<QString>(*now), m_text, forward);
    } else {
        value = forward ? m_after : m_before;
    }
    return m_document.setField(m_object, m_field, value);
}

bool FieldCommand::mergeWith(const UndoCommand &next)
{
    const auto *other = dynamic_cast<const FieldCommand *>(&next);
    if (other == nullptr || !m_mergeable || !other->m_mergeable || other->m_object != m_object ||
        other->m_field != m_field || !m_done || !other->m_done)
        return false;
    if (m_isText) {
        // The document holds other's result; other's start is this command's result.
        const QString now = std::get<QString>(*readField(*m_object, m_field));
        const QString between = apply(now, other->m_text, false);
        m_text = diff(apply(between, m_text, false), now);
    } else {
        m_after = other->m_after;
    }
    return true;
}

bool FieldCommand::isEmpty() const
{
    if (m_isText)
        return m_text.before == m_text.after;
    return m_before == m_after;
}

PreviewAreasCommand::PreviewAreasCommand(Document &document, const QList<PreviewArea> &areas)
    : UndoCommand(QStringLiteral("プレビューオプションの変更")), m_document(document),
      m_before(document.previewAreas), m_after(areas)
{}

bool PreviewAreasCommand::redo()
{
    if (m_before == m_after)
        return false;
    m_document.setPreviewAreas(m_after);
    return true;
}

void PreviewAreasCommand::undo()
{
    m_document.setPreviewAreas(m_before);
}

CurrentSiteCommand::CurrentSiteCommand(Document &document, Site *site)
    : UndoCommand(QString()), m_document(document), m_site(site)
{}

bool CurrentSiteCommand::redo()
{
    m_before = ObjectRef(m_document.currentSiteUnchecked());
    return m_document.setCurrentSite(m_site) != 0;
}

void CurrentSiteCommand::undo()
{
    if (Object *before = m_before.get())
        m_document.setCurrentSite(before);
}

CommandGroup::~CommandGroup()
{
    // Newest first, as in the history itself.
    while (!m_commands.empty())
        m_commands.pop_back();
}

bool CommandGroup::redo()
{
    for (size_t i = 0; i < m_commands.size(); ++i) {
        if (!m_commands[i]->redo()) {
            while (i > 0)
                m_commands[--i]->undo();
            return false;
        }
    }
    return !m_commands.empty();
}

void CommandGroup::undo()
{
    for (auto it = m_commands.rbegin(); it != m_commands.rend(); ++it)
        (*it)->undo();
}

Object *CommandGroup::subject(bool undone) const
{
    return m_commands.empty() ? nullptr : m_commands.front()->subject(undone);
}

} // namespace velmo
