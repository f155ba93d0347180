// The one writer of the document.
#include "model/documentwriter.h"

#include "model/category.h"
#include "model/content.h"
#include "model/document.h"
#include "model/documentcommands.h"
#include "model/objectcommands.h"
#include "model/objectcopy.h"
#include "model/site.h"
#include "model/undohistory.h"

using namespace Qt::StringLiterals;

namespace velmo {

namespace {

// Fields the user types into: their writes merge into one step per burst of typing. The rest
// are chosen (a template, a style sheet, a switch), and each choice is a step of its own.
bool isTyped(Field field)
{
    switch (field) {
    case Field::Enabled:
    case Field::CategoryKind:
    case Field::LinkTarget:
    case Field::TemplateName:
    case Field::TemplatePath:
    case Field::MainCss:
        return false;
    default:
        return true;
    }
}

} // namespace

DocumentWriter::DocumentWriter(Document &document, UndoHistory &history)
    : m_document(document), m_history(history)
{}

DocumentWriter::~DocumentWriter() = default;

bool DocumentWriter::push(std::unique_ptr<UndoCommand> command)
{
    return m_history.push(std::move(command));
}

bool DocumentWriter::setField(Object *object, Field field, const FieldValue &value)
{
    if (!m_document.holds(object))
        return false;
    const std::optional<FieldValue> old = readField(*object, field);
    if (!old || *old == value)
        return false;
    return push(std::make_unique<FieldCommand>(m_document, object, field, value, isTyped(field)));
}

bool DocumentWriter::rename(Object *object, const QString &name)
{
    return setField(object, Field::Name, name);
}

bool DocumentWriter::setLinkMenu(Category *category, bool on)
{
    const qint32 kind = on ? Category::kKindLinkMenu : Category::kKindOrdinary;
    if (category == nullptr || !m_document.holds(category) || category->kind == kind)
        return false;
    return push(
        std::make_unique<FieldCommand>(m_document, category, Field::CategoryKind, kind, false));
}

bool DocumentWriter::setLinkTarget(Category *category, const Object *target)
{
    if (category == nullptr || target == nullptr || !m_document.holds(category) ||
        (target->typeCode != kClassPage && target->typeCode != kClassContentGroup))
        return false;
    auto group = std::make_unique<CommandGroup>(fieldChangeName(*category, Field::LinkTarget));
    if (category->linkTarget != target->id)
        group->add(std::make_unique<FieldCommand>(m_document, category, Field::LinkTarget,
                                                  target->id, false));
    if (!category->linkTitle.isEmpty())
        group->add(std::make_unique<FieldCommand>(m_document, category, Field::LinkTitle,
                                                  QString(), false));
    return !group->isEmpty() && push(std::move(group));
}

bool DocumentWriter::setTemplateName(Object *object, const QString &name)
{
    if (object == nullptr ||
        (object->typeCode != kClassPage && object->typeCode != kClassContentGroup))
        return false;
    return setField(object, Field::TemplateName, name);
}

bool DocumentWriter::setPreviewAreas(const QList<PreviewArea> &areas)
{
    if (areas == m_document.previewAreas)
        return false;
    return push(std::make_unique<PreviewAreasCommand>(m_document, areas));
}

void DocumentWriter::endTyping()
{
    m_history.closeMerge();
}

Object *DocumentWriter::runMenuCommand(int command, Object *target)
{
    if (target == nullptr || !m_document.holds(target))
        return nullptr;
    if (ObjectCommands::isDeleteCommand(command)) {
        // Each delete command is offered for its own class only.
        if (ObjectCommands::deleteCommandFor(target) == command)
            deleteToStorage(target);
        return nullptr;
    }
    std::unique_ptr<Object> created = ObjectCommands::newObjectFor(command, target);
    if (created == nullptr)
        return nullptr;
    Object *object = created.get();
    return push(std::make_unique<PlaceCommand>(m_document, std::move(created), target, -1,
                                               ObjectCommands::stepName(command)))
               ? object
               : nullptr;
}

bool DocumentWriter::deleteToStorage(Object *object)
{
    if (object == nullptr || !m_document.holds(object))
        return false;
    if (!ObjectCommands::canDeleteToStorage(object)) {
        m_document.report(u"選択メニューの Tree 親クラスが判定できませんでした。"_s);
        return false;
    }
    const QString step = ObjectCommands::stepName(ObjectCommands::DeletePage);
    Site *site = ancestorOf<Site>(object);
    if (site == nullptr)
        site = m_document.currentSiteUnchecked();
    if (site != nullptr)
        return push(std::make_unique<MoveCommand>(m_document, object, &site->objectBox, -1, step));
    m_document.report(u"選択サイトが見つからないか、一時保存場所へ登録できませんでした。\r\n"
                      u"オブジェクトは削除されます。"_s);
    return push(std::make_unique<TakeCommand>(m_document, object, step));
}

int DocumentWriter::emptyStorage(Site *site)
{
    if (site == nullptr || !m_document.holds(site) || site->objectBox.items.isEmpty())
        return 0;
    auto group = std::make_unique<CommandGroup>(u"一時置き場を空にする"_s);
    // From the last: each item is then taken from the end, and undo puts each back in turn.
    int count = 0;
    for (int i = site->objectBox.items.count() - 1; i >= 0; --i) {
        Object *item = site->objectBox.items.at(i);
        item->forEachBelow(Children::Owned, [&count](Object *) {
            ++count;
            return true;
        });
        group->add(std::make_unique<TakeCommand>(m_document, item, group->text()));
    }
    return push(std::move(group)) ? count : 0;
}

bool DocumentWriter::moveWithinList(Object *object, bool up)
{
    if (object == nullptr || !m_document.holds(object))
        return false;
    // Only the lists the user orders: sites, and the menu tree's categories, pages and groups.
    const bool site = object_cast<Site>(object) != nullptr;
    if (!site && !ObjectCommands::canDeleteToStorage(object))
        return false;
    const int index = m_document.indexInOwner(object);
    if (index < 0)
        return false;
    Object *owner = object->parent();
    const int count = m_document.siblingCount(object);
    // The entry is taken out first; the index is where it goes among the others.
    int target;
    if (up)
        target = index > 0 ? index - 1 : count - 1;
    else
        target = index < count - 1 ? index + 1 : 0;
    if (target == index)
        return true;
    return push(std::make_unique<MoveCommand>(m_document, object, owner, target,
                                              up ? u"上へ移動"_s : u"下へ移動"_s));
}

bool DocumentWriter::drop(Object *source, Object *target, bool copy)
{
    if (!m_document.holds(source) || !m_document.holds(target) ||
        !ObjectCommands::canDrop(source, target))
        return false;
    if (copy)
        return push(std::make_unique<PlaceCommand>(m_document, duplicateSubtree(*source), target,
                                                   -1, u"ドラッグによるコピー"_s));
    // A move needs the parent to let go of it, as a delete does.
    if (!ObjectCommands::canDeleteToStorage(source) &&
        object_cast<ObjectBox>(source->parent()) == nullptr)
        return false;
    return push(
        std::make_unique<MoveCommand>(m_document, source, target, -1, u"ドラッグによる移動"_s));
}

Site *DocumentWriter::createSite(const QString &name)
{
    auto site = std::make_unique<Site>();
    site->name = name;
    site->imageFolder = u"image"_s;
    site->templatePath = m_document.sampleTemplateFolder();
    Site *created = site.get();
    auto group = std::make_unique<CommandGroup>(u"サイトの追加"_s);
    group->add(
        std::make_unique<PlaceCommand>(m_document, std::move(site), nullptr, -1, group->text()));
    group->add(std::make_unique<CurrentSiteCommand>(m_document, created));
    return push(std::move(group)) ? created : nullptr;
}

bool DocumentWriter::deleteSite(Site *site)
{
    if (site == nullptr || m_document.sites.indexOfObject(site) < 0)
        return false;
    return push(std::make_unique<TakeCommand>(m_document, site, u"サイトの削除"_s));
}

bool DocumentWriter::canCopy(const Object *object) const
{
    return m_document.holds(object) && ObjectCommands::canDeleteToStorage(object);
}

bool DocumentWriter::copy(Object *object)
{
    if (!canCopy(object))
        return false;
    m_clipboard = detachedClone(*object);
    m_cutOriginal.reset();
    m_clipboardFromCut = false;
    return true;
}

bool DocumentWriter::cut(Object *object)
{
    if (!canCopy(object))
        return false;
    std::unique_ptr<Object> kept = detachedClone(*object);
    if (!push(std::make_unique<TakeCommand>(m_document, object, u"切り取り"_s)))
        return false;
    m_clipboard = std::move(kept);
    m_cutOriginal = ObjectRef(object);
    m_clipboardFromCut = true;
    return true;
}

Object *DocumentWriter::pasteOwner(const Object *target) const
{
    if (m_clipboard == nullptr || !m_document.holds(target))
        return nullptr;
    for (const Object *owner = target; owner != nullptr; owner = owner->parent()) {
        if (ObjectCommands::isAcceptedPair(m_clipboard.get(), owner))
            return const_cast<Object *>(owner);
        // Beside target, not anywhere above it.
        if (owner != target)
            break;
    }
    return nullptr;
}

bool DocumentWriter::canPaste(const Object *target) const
{
    return pasteOwner(target) != nullptr;
}

Object *DocumentWriter::paste(Object *target)
{
    Object *owner = pasteOwner(target);
    if (owner == nullptr)
        return nullptr;
    // The identities of a cut object may be taken again only while it is out of the document.
    const Object *original = m_cutOriginal.get();
    const bool keepIds = m_clipboardFromCut && (original == nullptr || !m_document.holds(original));
    std::unique_ptr<Object> placed =
        keepIds ? detachedClone(*m_clipboard) : duplicateSubtree(*m_clipboard);
    Object *object = placed.get();
    if (!push(std::make_unique<PlaceCommand>(m_document, std::move(placed), owner, -1,
                                             u"貼り付け"_s)))
        return nullptr;
    m_clipboardFromCut = false;
    return object;
}

} // namespace velmo
