// The kinds of step the undo history holds for the document: an object placed, taken out or
// moved, a field written, the preview options set, and several of them as one step. Each goes
// through the document's announced edit operations.
//
// Ownership follows the state: an object in the document belongs to the document; one taken
// out belongs to the command that took it (a TakeCommand done, a PlaceCommand undone), which
// destroys it when the history forgets the command. A command only ever places objects it
// made or took itself, so no object has two owners.
#pragma once

#include <memory>
#include <vector>

#include "model/document.h"
#include "model/objectfield.h"
#include "model/undohistory.h"

namespace velmo {

// Puts an object the command owns (a new one, or a copy) into owner's list at index.
class PlaceCommand : public UndoCommand
{
public:
    PlaceCommand(Document &document, std::unique_ptr<Object> object, Object *owner, int index,
                 const QString &text);
    ~PlaceCommand() override;

    bool redo() override;
    void undo() override;
    Object *subject(bool undone) const override { return undone ? m_owner : m_object; }
    Object *object() const { return m_object; }

private:
    Document &m_document;
    Object *m_object;
    Object *m_owner;
    int m_index;
    bool m_owned = true;
};

// Takes an object out of the document; undo puts it back where it was. A site that was the
// current one is current again after the undo.
class TakeCommand : public UndoCommand
{
public:
    TakeCommand(Document &document, Object *object, const QString &text);
    ~TakeCommand() override;

    bool redo() override;
    void undo() override;
    Object *subject(bool undone) const override { return undone ? m_object : m_owner; }

private:
    Document &m_document;
    Object *m_object;
    Object *m_owner = nullptr;
    int m_index = -1;
    bool m_wasCurrent = false;
    bool m_owned = false;
};

// Moves an object within the document: into newOwner's list at index (-1: appended).
class MoveCommand : public UndoCommand
{
public:
    MoveCommand(Document &document, Object *object, Object *newOwner, int index,
                const QString &text);

    bool redo() override;
    void undo() override;
    Object *subject(bool) const override { return m_object; }

private:
    Document &m_document;
    Object *m_object;
    Object *m_newOwner;
    int m_newIndex;
    Object *m_oldOwner = nullptr;
    int m_oldIndex = -1;
    // Where the object actually went, for undo and redo after the first time.
    int m_placedIndex = -1;
};

// Writes one field. Texts keep only what differs, so that a long text edited in one place
// costs the history the place, not two copies of the text. Typing into the same field merges.
class FieldCommand : public UndoCommand
{
public:
    FieldCommand(Document &document, Object *object, Field field, const FieldValue &value,
                 bool mergeable);

    bool redo() override;
    void undo() override;
    bool mergeWith(const UndoCommand &next) override;
    bool isEmpty() const override;
    Object *subject(bool) const override { return m_object; }

private:
    // A text change as the part between an unchanged head and tail.
    struct TextChange
    {
        int head = 0;
        int tail = 0;
        QString before;
        QString after;
    };
    static TextChange diff(const QString &before, const QString &after);
    static QString apply(const QString &text, const TextChange &change, bool forward);
    bool write(bool forward);

    Document &m_document;
    Object *m_object;
    Field m_field;
    bool m_mergeable;
    bool m_done = false;
    // Until the first redo, the value to write; after it, m_before holds the old value for
    // fields other than texts.
    FieldValue m_after;
    FieldValue m_before;
    bool m_isText = false;
    TextChange m_text;
};

// The preview options; they are not stored in the file.
class PreviewAreasCommand : public UndoCommand
{
public:
    PreviewAreasCommand(Document &document, const QList<PreviewArea> &areas);

    bool redo() override;
    void undo() override;
    bool changesFile() const override { return false; }

private:
    Document &m_document;
    QList<PreviewArea> m_before;
    QList<PreviewArea> m_after;
};

// Makes a site the current one; undo makes the one before current again. Not a change of the
// file, but of what the window shows: undoing a new site returns to the site shown before.
class CurrentSiteCommand : public UndoCommand
{
public:
    CurrentSiteCommand(Document &document, Site *site);

    bool redo() override;
    void undo() override;
    bool changesFile() const override { return false; }

private:
    Document &m_document;
    Site *m_site;
    ObjectRef m_before;
};

// Several commands as one step: done in order, undone in reverse. When one of them fails the
// first time, those done are undone and the group fails.
class CommandGroup : public UndoCommand
{
public:
    explicit CommandGroup(const QString &text) : UndoCommand(text) {}
    ~CommandGroup() override;

    void add(std::unique_ptr<UndoCommand> command) { m_commands.push_back(std::move(command)); }
    bool isEmpty() const override { return m_commands.empty(); }

    bool redo() override;
    void undo() override;
    Object *subject(bool undone) const override;

private:
    std::vector<std::unique_ptr<UndoCommand>> m_commands;
};

} // namespace velmo
