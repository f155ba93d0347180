// The object commands of the menu tree and their effect on the document.
#include "model/objectcommands.h"

#include <memory>

#include "model/category.h"
#include "model/classification.h"
#include "model/contentgroup.h"
#include "model/document.h"
#include "model/fileutil.h"
#include "model/listmoves.h"
#include "model/objectcopy.h"
#include "model/page.h"
#include "model/site.h"

using namespace Qt::StringLiterals;

namespace velmo {

namespace {

ObjectCommands::ContextMenu makeMenu(const QString &name, int position,
                                     QList<ObjectCommands::MenuItem> items)
{
    return {name, position, std::move(items)};
}

// Appends object to target's list for objects of its class; false for any other pair.
bool appendTo(Object *target, Object *object)
{
    if (auto *category = object_cast<Category>(object)) {
        if (auto *parent = object_cast<Category>(target)) {
            parent->categories.add(category, parent);
            return true;
        }
        if (auto *parent = object_cast<Classification>(target)) {
            parent->categories.add(category, parent);
            return true;
        }
    } else if (auto *page = object_cast<Page>(object)) {
        if (auto *parent = object_cast<Category>(target)) {
            parent->pages.add(page, parent);
            return true;
        }
    } else if (auto *group = object_cast<ContentGroup>(object)) {
        if (auto *parent = object_cast<Page>(target)) {
            parent->contentGroups.add(group, parent);
            return true;
        }
        if (auto *parent = object_cast<ContentGroup>(target)) {
            parent->subGroups.add(group, parent);
            return true;
        }
    }
    return false;
}

bool isAcceptedPair(const Object *source, const Object *target)
{
    if (object_cast<Category>(source) != nullptr)
        return object_cast<Category>(target) || object_cast<Classification>(target);
    if (object_cast<Page>(source) != nullptr)
        return object_cast<Category>(target) != nullptr;
    if (object_cast<ContentGroup>(source) != nullptr)
        return object_cast<Page>(target) || object_cast<ContentGroup>(target);
    return false;
}

ContentGroup *newContentGroup()
{
    auto *group = new ContentGroup;
    group->name = u"コンテンツ%1"_s.arg(group->id.seq);
    // Bit 0 off, bit 4 on: how a group made from the tree starts out in the content editor.
    group->groupOption = (group->groupOption & ~0x1) | 0x10;
    return group;
}

// The template a new page or content group starts with, so that it can be output at once: its
// previous sibling's, else the first file (by name) of the site's template folder.
QString defaultTemplate(Object *parent, const QString &previousSibling, const QString &folder)
{
    if (!previousSibling.isEmpty())
        return previousSibling;
    const Site *site = ancestorOf<Site>(parent);
    if (site == nullptr || site->templatePath.isEmpty())
        return {};
    QStringList names = listFiles(site->templatePath + folder + u"/*"_s);
    std::sort(names.begin(), names.end());
    return names.value(0);
}

template<class T>
QString lastTemplateOf(const ObjectListOf<T> &list)
{
    return list.isEmpty() ? QString() : list.last()->templateName;
}

} // namespace

QString ObjectCommands::unknownClassMessage()
{
    return u"判定できないクラスがTreeCtrlに配置されています。"_s;
}

ObjectCommands::MenuKind ObjectCommands::contextMenuFor(const Object *object, ContextMenu *menu)
{
    ContextMenu chosen;
    if (object == nullptr)
        return MenuKind::None;
    if (const auto *classification = object_cast<Classification>(object)) {
        switch (classification->kind) {
        case Classification::kKindMenu:
            chosen = makeMenu(u"class_category"_s, 1, {{NewCategory, u"新規メニュー追加 (&W)"_s}});
            break;
        case Classification::kKindPlugin:
            chosen = makeMenu(u"class_plugin"_s, 3,
                              {{NewPluginPage, u"新規プラグインページ追加 (&W)"_s}});
            break;
        case Classification::kKindData:
            chosen = makeMenu(u"class_data"_s, 5, {{NewData, u"新規データ追加 (&W)"_s}});
            break;
        default:
            return MenuKind::Unknown;
        }
    } else if (const auto *category = object_cast<Category>(object)) {
        if (category->kind != Category::kKindOrdinary && category->kind != Category::kKindLinkMenu)
            return MenuKind::Unknown;
        chosen = makeMenu(u"category"_s, 2,
                          {{NewCategory, u"新規メニュー追加 (&W)"_s},
                           {NewPage, u"新規ページ追加"_s},
                           {0, QString()},
                           {DeleteCategory, u"メニュー項目削除 (&D)"_s}});
    } else if (object_cast<Page>(object) != nullptr) {
        chosen = makeMenu(u"page"_s, 8,
                          {{NewContentGroup, u"新規コンテンツ作成 (&W)"_s},
                           {0, QString()},
                           {DeletePage, u"ページ削除 (&D)"_s}});
    } else if (object_cast<ContentGroup>(object) != nullptr) {
        chosen = makeMenu(u"content_group"_s, 9,
                          {{NewContentGroup, u"新規コンテンツ追加 (&W)"_s},
                           {0, QString()},
                           {DeleteContentGroup, u"コンテンツ削除 (&D)"_s}});
    } else {
        switch (object->typeCode) {
        case kClassSite:
        case kClassContent:
        case kClassCondition:
        case kClassGenre:
            return MenuKind::None;
        default:
            return MenuKind::Unknown;
        }
    }
    if (menu != nullptr)
        *menu = chosen;
    return MenuKind::Shown;
}

ObjectCommands::Outcome ObjectCommands::run(int command, Object *target)
{
    Outcome outcome;
    if (target == nullptr)
        return outcome;
    switch (command) {
    case NewCategory:
        if (auto *classification = object_cast<Classification>(target)) {
            auto *category = new Category;
            category->name = u"メニュー"_s;
            classification->categories.add(category, classification);
            outcome.created = category;
        } else if (auto *parent = object_cast<Category>(target)) {
            auto *category = new Category;
            category->name = u"メニュー"_s;
            parent->categories.add(category, parent);
            outcome.created = category;
        }
        break;
    case NewPluginPage:
        if (auto *classification = object_cast<Classification>(target)) {
            auto *page = new Page;
            page->name = u"プラグインページ"_s;
            classification->pages.add(page, classification);
            outcome.created = page;
        }
        break;
    case NewPage:
        if (auto *category = object_cast<Category>(target)) {
            auto *page = new Page;
            page->name = u"ページ"_s;
            // Plug-in pages keep theirs empty: they merge into every page of their template, so
            // a default would merge them at once.
            page->templateName = defaultTemplate(category, lastTemplateOf(category->pages),
                                                 Document::pageTemplateFolderName());
            category->pages.add(page, category);
            outcome.created = page;
        }
        break;
    case NewContentGroup:
        if (auto *page = object_cast<Page>(target)) {
            ContentGroup *group = newContentGroup();
            group->templateName = defaultTemplate(page, lastTemplateOf(page->contentGroups),
                                                  Document::contentTemplateFolderName());
            const auto *owner = object_cast<Classification>(page->parent());
            if (owner != nullptr && owner->kind == Classification::kKindPlugin)
                group->kind = ContentGroup::kKindPlugin;
            page->contentGroups.add(group, page);
            outcome.created = group;
        } else if (auto *parent = object_cast<ContentGroup>(target)) {
            ContentGroup *group = newContentGroup();
            group->templateName = defaultTemplate(parent, lastTemplateOf(parent->subGroups),
                                                  Document::contentTemplateFolderName());
            group->kind = parent->kind;
            parent->subGroups.add(group, parent);
            outcome.created = group;
        }
        break;
    case DeleteCategory:
        return deleteToStorage(target, kClassCategory);
    case DeletePage:
        return deleteToStorage(target, kClassPage);
    case DeleteContentGroup:
        return deleteToStorage(target, kClassContentGroup);
    default:
        // No handler (32809, 32810, anything unknown): not even a rebuild.
        return outcome;
    }
    outcome.changed = outcome.created != nullptr;
    outcome.rebuildMenuTree = true;
    return outcome;
}

ObjectCommands::Outcome ObjectCommands::deleteToStorage(Object *target, qint32 expectedClass)
{
    Outcome outcome;
    outcome.rebuildMenuTree = true;
    if (target->typeCode != expectedClass)
        return outcome;
    switch (m_global.deleteToStorage(target)) {
    case StorageResult::NotDetached:
        // Reported; the object stays and nothing is rebuilt.
        return {};
    case StorageResult::Stored:
        outcome.refreshStorageTree = true;
        outcome.changed = true;
        break;
    case StorageResult::Destroyed:
        outcome.changed = true;
        break;
    }
    return outcome;
}

bool ObjectCommands::moveUp(Object *object)
{
    return moveObjectUp(object) >= 0;
}

bool ObjectCommands::moveDown(Object *object)
{
    return moveObjectDown(object) >= 0;
}

bool ObjectCommands::canDrop(const Object *source, const Object *target)
{
    if (source == nullptr || target == nullptr || !isAcceptedPair(source, target))
        return false;
    // Under itself the object would own itself: it would leave the document and never be freed.
    return !isAncestorOrSelf(source, target);
}

bool ObjectCommands::dropObject(Object *source, Object *target, bool copy)
{
    if (!canDrop(source, target))
        return false;
    if (copy) {
        std::unique_ptr<Object> duplicate = duplicateSubtree(*source);
        if (!appendTo(target, duplicate.get()))
            return false;
        duplicate.release();
        return true;
    }
    Object *parent = source->parent();
    if (parent == nullptr || parent->removeChild(source) == 0)
        return false;
    source->setParent(nullptr);
    // The pair was checked above, so the append cannot refuse.
    appendTo(target, source);
    return true;
}

} // namespace velmo
