// ObjectCommands, the rules of the menu tree's context menu and of drag and drop: which menu an
// object gets, the new categories, pages and content groups its commands make, what may be
// deleted to the storage box and what may be dropped where. DocumentWriter carries them out.
#pragma once

#include <memory>

#include <QList>
#include <QString>

namespace velmo {

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

    static MenuKind contextMenuFor(const Object *object, ContextMenu *menu);
    static QString unknownClassMessage();

    // The object a New command makes for target, not yet placed: target is to own it. Null for
    // a command that makes nothing, or a target it does not apply to.
    static std::unique_ptr<Object> newObjectFor(int command, Object *target);
    // What the 編集 menu calls the step of command.
    static QString stepName(int command);
    // The delete command target's context menu offers, or 0.
    static int deleteCommandFor(const Object *target);
    // Whether command deletes to the storage box.
    static bool isDeleteCommand(int command);
    // Whether object may be deleted to the storage box from where it is: a category from a
    // category or hierarchy, a page from a category, a content group from a page or group.
    static bool canDeleteToStorage(const Object *object);

    // Whether an object of source's class is placed into target's list by a drop or a paste.
    static bool isAcceptedPair(const Object *source, const Object *target);
    // Whether dropping source on target does anything: one of the accepted pairs, and target
    // is neither source nor below it.
    static bool canDrop(const Object *source, const Object *target);
};

} // namespace velmo
