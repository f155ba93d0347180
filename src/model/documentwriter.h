// DocumentWriter, the one writer of the document: every change the user makes — objects made,
// deleted, moved, copied, cut and pasted, every field of every form, the preview options —
// becomes a command on the undo history here, and the document announces it.
#pragma once

#include <memory>

#include <QList>
#include <QString>

#include "model/objectfield.h"
#include "model/objectref.h"

namespace velmo {

class Category;
class Content;
class Document;
class Object;
class Site;
class UndoCommand;
class UndoHistory;
struct PreviewArea;

class DocumentWriter
{
public:
    DocumentWriter(Document &document, UndoHistory &history);
    ~DocumentWriter();
    DocumentWriter(const DocumentWriter &) = delete;
    DocumentWriter &operator=(const DocumentWriter &) = delete;

    Document &document() const { return m_document; }
    UndoHistory &history() const { return m_history; }

    // Fields. What is typed into one field is one step until endTyping() or any other command;
    // a choice (template, style sheet, switch) is a step of its own. Each returns false, and adds no step, when object is not in the
    // document, has no such field, or the value is already there.
    bool setField(Object *object, Field field, const FieldValue &value);
    bool rename(Object *object, const QString &name);
    // The link-menu check box: the category's kind changes, its link target stays.
    bool setLinkMenu(Category *category, bool on);
    // The category leads to target (a page or content group); its link title is emptied.
    bool setLinkTarget(Category *category, const Object *target);
    // The template of a page or content group.
    bool setTemplateName(Object *object, const QString &name);
    bool setPreviewAreas(const QList<PreviewArea> &areas);
    // The next write is a step of its own (the field lost the focus).
    void endTyping();

    // A command of the menu tree's context menu on target (ObjectCommands::Command). Returns
    // the object a New command made (null for the rest); Delete commands move target to the
    // storage box as deleteToStorage does.
    Object *runMenuCommand(int command, Object *target);
    // Moves a category, page or content group into its site's storage box. When the parent
    // cannot let go, or no site can take it, the user is told; in the second case the object
    // is taken out of the document all the same (undo brings it back).
    bool deleteToStorage(Object *object);
    // "空にする": takes everything out of site's storage box, as one step. How many objects went.
    int emptyStorage(Site *site);
    // "上へ" / "下へ" on a category, page, content group or site, wrapping at the ends. True
    // when the object is where it should be (a list of one stays as it is, with no step).
    bool moveWithinList(Object *object, bool up);
    // A drop of source on target: moved, or a copy with fresh identities placed.
    bool drop(Object *source, Object *target, bool copy);

    // Sites: a new one named name on the sample template, with "image" as picture folder,
    // made current; one deleted with everything it holds.
    Site *createSite(const QString &name);
    bool deleteSite(Site *site);

    // The clipboard of categories, pages and content groups. Copy keeps a copy of object; cut
    // also takes object out of the document. Paste places what was kept into target, or beside
    // target when target cannot hold it; the first paste after a cut keeps the identities (so
    // links to the object lead to it again), other pastes get fresh ones.
    bool canCopy(const Object *object) const;
    bool copy(Object *object);
    bool cut(Object *object);
    bool canPaste(const Object *target) const;
    Object *paste(Object *target);

private:
    bool push(std::unique_ptr<UndoCommand> command);
    // The owner that takes what the clipboard holds when pasted on target, or null.
    Object *pasteOwner(const Object *target) const;

    Document &m_document;
    UndoHistory &m_history;
    std::unique_ptr<Object> m_clipboard;
    // The object a cut took out, while the clipboard holds its copy with its identities.
    ObjectRef m_cutOriginal;
    bool m_clipboardFromCut = false;
};

} // namespace velmo
