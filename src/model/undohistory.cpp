// The undo history: its steps, merging, the cap and the saved state.
#include "model/undohistory.h"

#include <algorithm>

namespace velmo {

UndoHistory::UndoHistory(QObject *parent) : QObject(parent) {}

UndoHistory::~UndoHistory()
{
    // Newest first: a later step may hold objects that an earlier one refers to.
    while (!m_commands.empty())
        m_commands.pop_back();
}

const UndoCommand *UndoHistory::command(int index) const
{
    return index >= 0 && index < count() ? m_commands[size_t(index)].get() : nullptr;
}

QString UndoHistory::undoText() const
{
    return canUndo() ? m_commands[size_t(m_index - 1)]->text() : QString();
}

QString UndoHistory::redoText() const
{
    return canRedo() ? m_commands[size_t(m_index)]->text() : QString();
}

bool UndoHistory::push(std::unique_ptr<UndoCommand> command)
{
    if (command == nullptr)
        return false;
    const bool wasClean = isClean();
    if (!command->redo())
        return false;
    dropRedoSteps();
    UndoCommand *newest = m_index > 0 ? m_commands[size_t(m_index - 1)].get() : nullptr;
    if (m_mergeOpen && newest != nullptr && m_cleanIndex != m_index &&
        newest->mergeWith(*command)) {
        if (newest->isEmpty()) {
            // The typing went back to where it started: no step is left of it.
            m_commands.pop_back();
            --m_index;
            m_mergeOpen = false;
        }
    } else {
        m_commands.push_back(std::move(command));
        ++m_index;
        m_mergeOpen = true;
        enforceLimit();
    }
    announce(wasClean);
    return true;
}

void UndoHistory::undo()
{
    if (!canUndo())
        return;
    const bool wasClean = isClean();
    m_mergeOpen = false;
    UndoCommand *step = m_commands[size_t(--m_index)].get();
    step->undo();
    announce(wasClean);
    Q_EMIT stepApplied(step, true);
}

void UndoHistory::redo()
{
    if (!canRedo())
        return;
    const bool wasClean = isClean();
    m_mergeOpen = false;
    UndoCommand *step = m_commands[size_t(m_index++)].get();
    step->redo();
    announce(wasClean);
    Q_EMIT stepApplied(step, false);
}

void UndoHistory::setLimit(int limit)
{
    m_limit = std::max(1, limit);
    const bool wasClean = isClean();
    enforceLimit();
    announce(wasClean);
}

void UndoHistory::setClean()
{
    const bool wasClean = isClean();
    m_cleanIndex = m_index;
    // Typing after a save is a step of its own, so that undo can return to the saved text.
    m_mergeOpen = false;
    announce(wasClean);
}

bool UndoHistory::isClean() const
{
    if (m_cleanIndex < 0)
        return false;
    const int from = std::min(m_cleanIndex, m_index);
    const int to = std::max(m_cleanIndex, m_index);
    for (int i = from; i < to; ++i) {
        if (m_commands[size_t(i)]->changesFile())
            return false;
    }
    return true;
}

void UndoHistory::clear()
{
    const bool wasClean = isClean();
    while (!m_commands.empty())
        m_commands.pop_back();
    m_index = 0;
    m_cleanIndex = 0;
    m_mergeOpen = false;
    announce(wasClean);
}

void UndoHistory::dropRedoSteps()
{
    if (m_cleanIndex > m_index)
        m_cleanIndex = -1;
    // Newest first, as in the destructor.
    while (int(m_commands.size()) > m_index)
        m_commands.pop_back();
}

void UndoHistory::enforceLimit()
{
    // Only steps already done are forgotten; those that could still be redone stay.
    const int excess = std::min(count() - m_limit, m_index);
    if (excess <= 0)
        return;
    m_commands.erase(m_commands.begin(), m_commands.begin() + excess);
    m_index -= excess;
    if (m_cleanIndex >= 0)
        m_cleanIndex = m_cleanIndex >= excess ? m_cleanIndex - excess : -1;
}

void UndoHistory::announce(bool wasClean)
{
    Q_EMIT changed();
    const bool clean = isClean();
    if (clean != wasClean)
        Q_EMIT cleanChanged(clean);
}

} // namespace velmo
