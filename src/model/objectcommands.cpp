// The object commands of the menu tree and their effect on the document.
#include "model/objectcommands.h"

#include <memory>

#include "model/category.h"
#include "model/classification.h"
#include "model/contentgroup.h"
#include "model/document.h"
#include "model/fileutil.h"
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

std::unique_ptr<Object> ObjectCommands::newObjectFor(int command, Object *target)
{
    if (target == nullptr)
        return nullptr;
    switch (command) {
    case NewCategory:
        if (object_cast<Classification>(target) != nullptr ||
            object_cast<Category>(target) != nullptr) {
            auto category = std::make_unique<Category>();
            category->name = u"メニュー"_s;
            return category;
        }
        break;
    case NewPluginPage:
        if (object_cast<Classification>(target) != nullptr) {
            auto page = std::make_unique<Page>();
            page->name = u"プラグインページ"_s;
            return page;
        }
        break;
    case NewPage:
        if (auto *category = object_cast<Category>(target)) {
            auto page = std::make_unique<Page>();
            page->name = u"ページ"_s;
            // Plug-in pages keep theirs empty: they merge into every page of their template, so
            // a default would merge them at once.
            page->templateName = defaultTemplate(category, lastTemplateOf(category->pages),
                                                 Document::pageTemplateFolderName());
            return page;
        }
        break;
    case NewContentGroup:
        if (auto *page = object_cast<Page>(target)) {
            std::unique_ptr<ContentGroup> group(newContentGroup());
            group->templateName = defaultTemplate(page, lastTemplateOf(page->contentGroups),
                                                  Document::contentTemplateFolderName());
            const auto *owner = object_cast<Classification>(page->parent());
            if (owner != nullptr && owner->kind == Classification::kKindPlugin)
                group->kind = ContentGroup::kKindPlugin;
            return group;
        }
        if (auto *parent = object_cast<ContentGroup>(target)) {
            std::unique_ptr<ContentGroup> group(newContentGroup());
            group->templateName = defaultTemplate(parent, lastTemplateOf(parent->subGroups),
                                                  Document::contentTemplateFolderName());
            group->kind = parent->kind;
            return group;
        }
        break;
    default:
        break;
    }
    return nullptr;
}

QString ObjectCommands::stepName(int command)
{
    switch (command) {
    case NewCategory:
        return u"メニューの追加"_s;
    case NewPage:
        return u"ページの追加"_s;
    case NewPluginPage:
        return u"プラグインページの追加"_s;
    case NewContentGroup:
        return u"コンテンツの追加"_s;
    case DeleteCategory:
    case DeletePage:
    case DeleteContentGroup:
        return u"一時置き場へ移動"_s;
    default:
        return {};
    }
}

bool ObjectCommands::isDeleteCommand(int command)
{
    return command == DeleteCategory || command == DeletePage || command == DeleteContentGroup;
}

int ObjectCommands::deleteCommandFor(const Object *target)
{
    ContextMenu menu;
    if (contextMenuFor(target, &menu) != MenuKind::Shown)
        return 0;
    for (const MenuItem &item : std::as_const(menu.items)) {
        if (isDeleteCommand(item.command))
            return item.command;
    }
    return 0;
}

namespace {

bool isPluginHierarchy(const Object *object)
{
    const auto *classification = object_cast<Classification>(object);
    return classification != nullptr && classification->kind == Classification::kKindPlugin;
}

} // namespace

bool ObjectCommands::canDeleteToStorage(const Object *object)
{
    // Only these parents hold these objects in a list the user may delete from. A plug-in page
    // is a page like any other: left out, it could never be removed.
    const Object *up = object != nullptr ? object->parent() : nullptr;
    if (object_cast<Category>(object) != nullptr)
        return object_cast<Category>(up) || object_cast<Classification>(up);
    if (object_cast<Page>(object) != nullptr)
        return object_cast<Category>(up) != nullptr || isPluginHierarchy(up);
    if (object_cast<ContentGroup>(object) != nullptr)
        return object_cast<Page>(up) || object_cast<ContentGroup>(up);
    return false;
}

bool ObjectCommands::isAcceptedPair(const Object *source, const Object *target)
{
    if (object_cast<Category>(source) != nullptr)
        return object_cast<Category>(target) || object_cast<Classification>(target);
    // A plug-in page taken to the storage box can be brought back.
    if (object_cast<Page>(source) != nullptr)
        return object_cast<Category>(target) != nullptr || isPluginHierarchy(target);
    if (object_cast<ContentGroup>(source) != nullptr)
        return object_cast<Page>(target) || object_cast<ContentGroup>(target);
    return false;
}

bool ObjectCommands::canDrop(const Object *source, const Object *target)
{
    if (source == nullptr || target == nullptr || !isAcceptedPair(source, target))
        return false;
    // Under itself the object would own itself: it would leave the document and never be freed.
    return !isAncestorOrSelf(source, target);
}

} // namespace velmo
