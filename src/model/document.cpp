// Document: the document root, the shared run-time state and the announced edit operations.
#include "model/document.h"

#include <type_traits>

#include "model/archive.h"
#include "model/category.h"
#include "model/classification.h"
#include "model/content.h"
#include "model/contentgroup.h"
#include "model/messagereporter.h"
#include "model/objectbox.h"
#include "model/page.h"
#include "model/site.h"

namespace velmo {

namespace {

StderrReporter g_stderrReporter;

struct BuiltInPartType
{
    qint32 code;
    const char16_t *name;
};

constexpr BuiltInPartType kBuiltInPartTypes[] = {
    {Content::kKindShortText, u"短い文字列(255)"},
    {Content::kKindLongText, u"長い文字列(∞)"},
    {Content::kKindLink, u"リンク"},
    {Content::kKindBanner, u"バナー"},
    {Content::kKindInteger, u"数値(int)"},
    {Content::kKindReal, u"実数(double)"},
    {Content::kKindMoney, u"金額(int)"},
    {Content::kKindDateTime, u"日時"},
    {Content::kKindPeriod, u"期間"},
    {Content::kKindChoice, u"選択"},
    {Content::kKindImage, u"画像"},
    {Content::kKindImageLink, u"画像リンク"},
};

// The element at the position of the site's identity is that very site.
bool isDocumentSite(const SiteList &sites, const Object *site)
{
    // The address is looked for first: a site destroyed behind the root's back must not be
    // read through a stale pointer.
    const int position = sites.indexOfObject(site);
    return position >= 0 && sites.indexOf(site->id) == position;
}

} // namespace

Document::Document(const QString &programFolder)
    : m_programFolder(programFolder), m_webFolder(programFolder + QStringLiteral("/web")),
      m_temporaryFolder(programFolder + QStringLiteral("/temporary")),
      m_sampleTemplateFolder(programFolder + QStringLiteral("/template/サンプル/サンプル１")),
      m_reporter(&g_stderrReporter)
{}

Document::~Document() = default;

void Document::report(const QString &message) const
{
    m_reporter->showMessage(message);
}

void Document::setReporter(MessageReporter *reporter)
{
    m_reporter = reporter != nullptr ? reporter : &g_stderrReporter;
}

int Document::store(Archive &ar) const
{
    if (!ar.isStoring())
        return 0;
    ar.writeTag(tags::Global);
    const int a = contentTypes.store(ar);
    const int b = partTypes.store(ar);
    const int c = sites.store(ar);
    return a && b && c ? 1 : 0;
}

int Document::load(Archive &ar)
{
    if (!ar.isLoading())
        return 0;
    Q_EMIT aboutToReset();
    contentTypes.clear();
    partTypes.clear();
    sites.clear();
    m_currentSite.reset();
    // Whatever was read, the objects are this document's now; the reset is announced even when
    // the archive gives up half-way.
    struct ResetAnnouncer
    {
        Document &document;
        ~ResetAnnouncer() { Q_EMIT document.reset(); }
    } announcer{*this};
    ar.readTag({tags::Global});
    const int a = contentTypes.load(ar, nullptr);
    const int b = partTypes.load(ar, nullptr);
    const int c = sites.load(ar, nullptr);
    return a && b && c ? 1 : 0;
}

void Document::newDocument()
{
    Q_EMIT aboutToReset();
    sites.clear();
    m_currentSite.reset();
    previewAreas.clear();
    previewAreaFlag = 0;
    Q_EMIT reset();
}

namespace {

// Hands every element of from to to, whose old elements are destroyed.
template<class List>
void moveElements(List &from, List &to)
{
    to.clear();
    for (auto *element : from)
        to.add(element, nullptr);
    from.release();
}

} // namespace

void Document::replaceContent(Document &incoming)
{
    Q_EMIT aboutToReset();
    sites.clear();
    m_currentSite.reset();
    previewAreas.clear();
    previewAreaFlag = 0;
    moveElements(incoming.contentTypes, contentTypes);
    moveElements(incoming.partTypes, partTypes);
    moveElements(incoming.sites, sites);
    Q_EMIT reset();
}

void Document::addBuiltInCatalogue()
{
    if (m_builtInCatalogueAdded)
        return;
    m_builtInCatalogueAdded = true;

    for (const BuiltInPartType &type : kBuiltInPartTypes) {
        const ObjectId id(0, type.code);
        if (partTypes.indexOf(id) >= 0)
            continue;
        auto *part = new Content;
        part->id = id;
        part->kind = type.code;
        part->name = QString::fromUtf16(type.name);
        partTypes.add(part, nullptr);
    }

    const ObjectId textTypeId(0, ContentGroup::kKindBuiltInText);
    if (contentTypes.indexOf(textTypeId) < 0) {
        // The constructor already adds "内容".
        auto *type = new ContentGroup;
        type->kind = ContentGroup::kKindBuiltInText;
        type->id = textTypeId;
        type->name = QStringLiteral("文章(通常)");
        // The constructor's "内容" was put in under the identity the group had then.
        for (Content *part : type->contents)
            part->setParent(type);
        contentTypes.add(type, nullptr);
        for (const char16_t *partName : {u"章のタイトル", u"章の内容"}) {
            auto *part = new Content;
            part->kind = Content::kKindLongText;
            part->name = QString::fromUtf16(partName);
            type->addContent(part);
        }
    }
}

Site *Document::createSite()
{
    auto *site = new Site;
    site->templatePath = m_sampleTemplateFolder;
    insertObject(nullptr, site);
    return site;
}

Site *Document::getCurrentSite()
{
    Site *site = currentSiteUnchecked();
    if (site == nullptr)
        report(QStringLiteral("選択サイトが取得できませんでした。"));
    return site;
}

Site *Document::currentSiteUnchecked() const
{
    Site *site = m_currentSite.as<Site>();
    return site != nullptr && isDocumentSite(sites, site) ? site : nullptr;
}

int Document::setCurrentSite(Object *site)
{
    auto *candidate = object_cast<Site>(site);
    if (candidate == nullptr || !isDocumentSite(sites, candidate)) {
        report(QStringLiteral("サイトが選択できませんでした。"));
        return 0;
    }
    if (m_currentSite.get() != candidate) {
        m_currentSite = ObjectRef(candidate);
        Q_EMIT currentSiteChanged(candidate);
    }
    return 1;
}

bool Document::holds(const Object *object) const
{
    if (object == nullptr)
        return false;
    // Parent links end at a site, or at a storage box, which has no link to its site.
    const Object *top = object;
    for (int depth = 0; top->parent() != nullptr && depth < 100000; ++depth)
        top = top->parent();
    for (const Site *site : sites) {
        if (site == top || &site->objectBox == top)
            return true;
    }
    return false;
}

namespace {

// The list element of class T that object is, or null: the box's untyped list takes any object.
template<class T>
T *asElement(Object *object)
{
    if constexpr (std::is_same_v<T, Object>)
        return object;
    else
        return object_cast<T>(object);
}

bool isBoxedClass(qint32 code)
{
    return code == kClassCategory || code == kClassPage || code == kClassContentGroup;
}

} // namespace

// Calls f with owner's list for object's class; false when there is none. Only these pairs
// exist in the document; any other would be an object the file and the output do not know.
template<class F>
bool Document::withList(Object *owner, const Object *object, F &&f)
{
    if (object == nullptr)
        return false;
    const qint32 code = object->typeCode;
    if (owner == nullptr) {
        if (code != kClassSite)
            return false;
        f(sites);
        return true;
    }
    if (auto *site = object_cast<Site>(owner)) {
        if (code != kClassClassification)
            return false;
        f(site->classifications);
    } else if (auto *classification = object_cast<Classification>(owner)) {
        if (code == kClassCategory)
            f(classification->categories);
        else if (code == kClassPage)
            f(classification->pages);
        else
            return false;
    } else if (auto *category = object_cast<Category>(owner)) {
        if (code == kClassCategory)
            f(category->categories);
        else if (code == kClassPage)
            f(category->pages);
        else
            return false;
    } else if (auto *page = object_cast<Page>(owner)) {
        if (code != kClassContentGroup)
            return false;
        f(page->contentGroups);
    } else if (auto *group = object_cast<ContentGroup>(owner)) {
        if (code == kClassContentGroup)
            f(group->subGroups);
        else if (code == kClassContent)
            f(group->contents);
        else
            return false;
    } else if (auto *box = object_cast<ObjectBox>(owner)) {
        if (!isBoxedClass(code))
            return false;
        f(box->items);
    } else {
        return false;
    }
    return true;
}

bool Document::accepts(const Object *owner, const Object *object) const
{
    bool typed = false;
    const bool listed = const_cast<Document *>(this)->withList(
        const_cast<Object *>(owner), object, [&typed, object](auto &list) {
            using T = typename std::remove_reference_t<decltype(list)>::Element;
            typed = asElement<T>(const_cast<Object *>(object)) != nullptr;
        });
    return listed && typed;
}

int Document::indexInOwner(const Object *object) const
{
    int index = -1;
    const_cast<Document *>(this)->withList(
        object != nullptr ? object->parent() : nullptr, object,
        [&index, object](auto &list) { index = list.indexOfObject(object); });
    return index;
}

int Document::siblingCount(const Object *object) const
{
    int count = 0;
    if (indexInOwner(object) >= 0) {
        const_cast<Document *>(this)->withList(object->parent(), object,
                                               [&count](auto &list) { count = list.count(); });
    }
    return count;
}

bool Document::insertObject(Object *owner, Object *object, int index)
{
    // Only a detached object is placed: one still in a list would end up in two.
    if (object == nullptr || object->parent() != nullptr || indexInOwner(object) >= 0 ||
        !accepts(owner, object))
        return false;
    withList(owner, object, [owner, object, index](auto &list) {
        using T = typename std::remove_reference_t<decltype(list)>::Element;
        T *element = asElement<T>(object);
        element->setParent(owner);
        list.insertAt(index < 0 ? list.count() : index, element);
    });
    Q_EMIT objectInserted(object);
    return true;
}

int Document::takeObject(Object *object)
{
    const int index = indexInOwner(object);
    if (index < 0)
        return -1;
    Object *owner = object->parent();
    withList(owner, object, [index](auto &list) { list.removeAt(index); });
    if (m_currentSite.get() == object) {
        m_currentSite.reset();
        Q_EMIT currentSiteChanged(nullptr);
    }
    Q_EMIT objectRemoved(object, owner);
    return index;
}

bool Document::moveObject(Object *object, Object *newOwner, int index)
{
    const int from = indexInOwner(object);
    if (from < 0 || !accepts(newOwner, object))
        return false;
    Object *owner = object->parent();
    withList(owner, object, [from](auto &list) { list.takeAt(from); });
    withList(newOwner, object, [newOwner, object, index](auto &list) {
        using T = typename std::remove_reference_t<decltype(list)>::Element;
        T *element = asElement<T>(object);
        element->setParent(newOwner);
        list.insertAt(index < 0 ? list.count() : index, element);
    });
    Q_EMIT objectMoved(object, owner);
    return true;
}

bool Document::setField(Object *object, Field field, const FieldValue &value)
{
    if (object == nullptr)
        return false;
    const std::optional<FieldValue> old = readField(*object, field);
    if (!old || old->index() != value.index())
        return false;
    if (*old == value)
        return true;
    writeField(*object, field, value);
    Q_EMIT objectChanged(object, field);
    return true;
}

void Document::setPreviewAreas(const QList<PreviewArea> &areas)
{
    if (areas == previewAreas)
        return;
    previewAreas = areas;
    Q_EMIT previewAreasChanged();
}

} // namespace velmo
