// UndoHistory, the one linear history of the document's changes: commands that can be undone
// and redone, typing merged into one step, a capped length, and the state that was last saved.
#pragma once

#include <memory>
#include <vector>

#include <QObject>
#include <QString>

namespace velmo {

class Object;

// One step of the history. The first redo() does the change; later ones do it again after an
// undo(). Each command keeps what it needs to go both ways, objects taken out included.
class UndoCommand
{
public:
    explicit UndoCommand(const QString &text) : m_text(text) {}
    virtual ~UndoCommand() = default;
    UndoCommand(const UndoCommand &) = delete;
    UndoCommand &operator=(const UndoCommand &) = delete;

    // What the 編集 menu calls the step.
    const QString &text() const { return m_text; }

    // False when the change could not be made: then nothing changed, and the first redo() keeps
    // the command out of the history.
    virtual bool redo() = 0;
    virtual void undo() = 0;
    // Takes next into this command when both are one burst of typing into the same field.
    virtual bool mergeWith(const UndoCommand &next)
    {
        Q_UNUSED(next);
        return false;
    }
    // After merging, whether the command changes anything at all (typing undone by hand).
    virtual bool isEmpty() const { return false; }
    // Whether the document's file would change: the preview options are run-time state.
    virtual bool changesFile() const { return true; }
    // The object to select and show after the step was undone or redone; null for none.
    virtual Object *subject(bool undone) const
    {
        Q_UNUSED(undone);
        return nullptr;
    }

private:
    QString m_text;
};

class UndoHistory : public QObject
{
    Q_OBJECT

public:
    static constexpr int kDefaultLimit = 1000;

    explicit UndoHistory(QObject *parent = nullptr);
    ~UndoHistory() override;

    // Does command and keeps it as the newest step, dropping every step that could be redone.
    // While a burst of typing goes on, a command that merges into the newest step joins it.
    // False when the command failed: nothing changed and no step was added.
    bool push(std::unique_ptr<UndoCommand> command);

    bool canUndo() const { return m_index > 0; }
    bool canRedo() const { return m_index < int(m_commands.size()); }
    // The step that undo or redo would take, or empty.
    QString undoText() const;
    QString redoText() const;
    void undo();
    void redo();

    // Steps done: the index of the next redo.
    int index() const { return m_index; }
    int count() const { return int(m_commands.size()); }
    const UndoCommand *command(int index) const;

    // Steps beyond limit are forgotten, oldest first, with what they hold.
    void setLimit(int limit);
    int limit() const { return m_limit; }

    // The present state is the one in the file (after a save or an open).
    void setClean();
    // Whether the file holds what the document holds: no step that changes the file lies
    // between the saved state and now.
    bool isClean() const;
    // Forgets every step; the present state counts as saved.
    void clear();

    // Ends the running burst of typing: the next command is a step of its own.
    void closeMerge() { m_mergeOpen = false; }

Q_SIGNALS:
    // Steps were added, undone, redone, merged or forgotten.
    void changed();
    void cleanChanged(bool clean);
    // A step was undone (undone is true) or redone.
    void stepApplied(const velmo::UndoCommand *command, bool undone);

private:
    void dropRedoSteps();
    void enforceLimit();
    void announce(bool wasClean);

    std::vector<std::unique_ptr<UndoCommand>> m_commands;
    int m_index = 0;
    // The index whose state is in the file; -1 when that state can no longer be reached.
    int m_cleanIndex = 0;
    int m_limit = kDefaultLimit;
    bool m_mergeOpen = false;
};

} // namespace velmo
