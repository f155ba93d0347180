// Document: the document root and the shared run-time state.
#include "model/document.h"

#include "model/archive.h"
#include "model/category.h"
#include "model/classification.h"
#include "model/content.h"
#include "model/contentgroup.h"
#include "model/messagereporter.h"
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
{
    sequenceCounter = 0;
}

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
    contentTypes.clear();
    partTypes.clear();
    sites.clear();
    m_currentSite = nullptr;
    ar.readTag({tags::Global});
    const int a = contentTypes.load(ar, nullptr);
    const int b = partTypes.load(ar, nullptr);
    const int c = sites.load(ar, nullptr);
    return a && b && c ? 1 : 0;
}

void Document::newDocument()
{
    if (clearNavigationTree)
        clearNavigationTree();
    sites.clear();
    m_currentSite = nullptr;
    previewAreas.clear();
    previewAreaFlag = 0;
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
    m_modified = true;
    auto *site = new Site;
    site->templatePath = m_sampleTemplateFolder;
    sites.add(site, nullptr);
    return site;
}

int Document::deleteSite(Site *site)
{
    const int index = sites.indexOfObject(site);
    if (index < 0)
        return 0;
    // Forgotten before the object goes, so that a later site at the same address is not taken
    // for the current one.
    if (m_currentSite == site)
        m_currentSite = nullptr;
    sites.removeAt(index);
    delete site;
    m_modified = true;
    return 1;
}

Site *Document::getCurrentSite()
{
    bool valid = m_currentSite != nullptr && isDocumentSite(sites, m_currentSite);
    if (valid && navigationTreeRoot) {
        const Object *root = navigationTreeRoot();
        valid = root == m_currentSite && root->id == m_currentSite->id;
    }
    if (!valid) {
        report(QStringLiteral("選択サイトが取得できませんでした。"));
        return nullptr;
    }
    return m_currentSite;
}

int Document::setCurrentSite(Object *site)
{
    auto *candidate = object_cast<Site>(site);
    if (candidate == nullptr || !isDocumentSite(sites, candidate)) {
        report(QStringLiteral("サイトが選択できませんでした。"));
        return 0;
    }
    m_currentSite = candidate;
    return 1;
}

StorageResult Document::deleteToStorage(Object *object)
{
    // Only these parents hold these objects in a list the user may delete from.
    Object *up = object != nullptr ? object->parent() : nullptr;
    bool knownParent = false;
    if (object_cast<Category>(object) != nullptr)
        knownParent = object_cast<Category>(up) || object_cast<Classification>(up);
    else if (object_cast<Page>(object) != nullptr)
        knownParent = object_cast<Category>(up) != nullptr;
    else if (object_cast<ContentGroup>(object) != nullptr)
        knownParent = object_cast<Page>(up) || object_cast<ContentGroup>(up);
    if (!knownParent || up->removeChild(object) == 0) {
        report(QStringLiteral("選択メニューの Tree 親クラスが判定できませんでした。"));
        return StorageResult::NotDetached;
    }
    if (Site *site = getCurrentSite()) {
        site->objectBox.putInBox(object);
        return StorageResult::Stored;
    }
    report(QStringLiteral("選択サイトが見つからないか、一時保存場所へ登録できませんでした。\r\n"
                          "オブジェクトは削除されます。"));
    delete object;
    return StorageResult::Destroyed;
}

bool Document::owns(const Object *object) const
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

} // namespace velmo
