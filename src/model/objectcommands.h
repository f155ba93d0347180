// ObjectCommands, what the menu tree's context menu, its "上へ"/"下へ" buttons and drag and drop
// do to the document: which menu an object gets, new categories, pages and content groups,
// moving objects into the storage box, reordering, and moving or copying by drop.
#pragma once

#include <QList>
#include <QString>

namespace velmo {

class Document;
class Object;

class ObjectCommands
{
public:
    // The menu command IDs of the original program.
    enum Command : int {
        NewCategory = 32777,
        DeleteCategory = 32778,
        NewPage = 32784,
        DeletePage = 32785,
        NewContentGroup = 32796,
        DeleteContentGroup = 32797,
        NewPluginPage = 32806,
        // Offered or defined, but without a handler: choosing them does nothing.
        NewLinkData = 32809,
        NewData = 32810,
    };

    struct MenuItem
    {
        // 0 for a separator.
        int command = 0;
        QString caption;
    };

    struct ContextMenu
    {
        // The sub-menu's name and position in the original menu resource.
        QString name;
        int position = -1;
        QList<MenuItem> items;
    };

    enum class MenuKind {
        // A menu is shown.
        Shown,
        // Sites, contents, conditions and genres have no menu.
        None,
        // A classification or category of an unknown kind, or an unknown class: the user is told.
        Unknown,
    };

    // What a command asks of the navigation form afterwards.
    struct Outcome
    {
        bool rebuildMenuTree = false;
        bool refreshStorageTree = false;
        // The document changed.
        bool changed = false;
        // The object a New command made, for the window to select.
        Object *created = nullptr;
    };

    explicit ObjectCommands(Document &global) : m_global(global) {}

    static MenuKind contextMenuFor(const Object *object, ContextMenu *menu);
    static QString unknownClassMessage();

    // Runs command on target (the selected object, which the caller has checked still exists).
    Outcome run(int command, Object *target);

    // "上へ" / "下へ": true when the object moved within its parent's list (a one-entry list
    // counts, its order simply stays).
    static bool moveUp(Object *object);
    static bool moveDown(Object *object);

    // Whether dropping source on target does anything: one of the accepted pairs, and target
    // is neither source nor below it.
    static bool canDrop(const Object *source, const Object *target);
    // Appends source (move) or a copy of it with fresh identities (copy) to target's list for
    // it. A move needs source's parent to let go of it. True when the document changed.
    static bool dropObject(Object *source, Object *target, bool copy);

private:
    Outcome deleteToStorage(Object *target, qint32 expectedClass);

    Document &m_global;
};

} // namespace velmo
