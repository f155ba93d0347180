// QGlobal: the document root and the shared run-time state.
#include "model/qglobal.h"

#include "model/messagereporter.h"
#include "model/qarchive.h"
#include "model/qcategory.h"
#include "model/qclassification.h"
#include "model/qcontent.h"
#include "model/qcontentgroup.h"
#include "model/qpage.h"
#include "model/qsite.h"

namespace velmo {

namespace {

StderrReporter g_stderrReporter;

struct BuiltInPartType
{
    qint32 code;
    const char16_t *name;
};

constexpr BuiltInPartType kBuiltInPartTypes[] = {
    {QContent::kKindShortText, u"短い文字列(255)"},
    {QContent::kKindLongText, u"長い文字列(∞)"},
    {QContent::kKindLink, u"リンク"},
    {QContent::kKindBanner, u"バナー"},
    {QContent::kKindInteger, u"数値(int)"},
    {QContent::kKindReal, u"実数(double)"},
    {QContent::kKindMoney, u"金額(int)"},
    {QContent::kKindDateTime, u"日時"},
    {QContent::kKindPeriod, u"期間"},
    {QContent::kKindChoice, u"選択"},
    {QContent::kKindImage, u"画像"},
    {QContent::kKindImageLink, u"画像リンク"},
};

// The element at the position of the site's identity is that very site.
bool isDocumentSite(const QSiteList &sites, const QObject *site)
{
    // The address is looked for first: a site destroyed behind the root's back must not be
    // read through a stale pointer.
    const int position = sites.indexOfObject(site);
    return position >= 0 && sites.IndexOf(site->id) == position;
}

} // namespace

QGlobal::QGlobal(const QString &programFolder)
    : m_programFolder(programFolder), m_webFolder(programFolder + QStringLiteral("/web")),
      m_temporaryFolder(programFolder + QStringLiteral("/temporary")),
      m_sampleTemplateFolder(programFolder + QStringLiteral("/template/サンプル/サンプル１")),
      m_reporter(&g_stderrReporter)
{
    sequenceCounter = 0;
}

QGlobal::~QGlobal() = default;

void QGlobal::report(const QString &message) const
{
    m_reporter->showMessage(message);
}

void QGlobal::setReporter(MessageReporter *reporter)
{
    m_reporter = reporter != nullptr ? reporter : &g_stderrReporter;
}

int QGlobal::Store(QArchive &ar) const
{
    if (!ar.IsStoring())
        return 0;
    ar.writeTag(tags::Global);
    const int a = contentTypes.Store(ar);
    const int b = partTypes.Store(ar);
    const int c = sites.Store(ar);
    return a && b && c ? 1 : 0;
}

int QGlobal::Load(QArchive &ar)
{
    if (!ar.IsLoading())
        return 0;
    contentTypes.Clear();
    partTypes.Clear();
    sites.Clear();
    m_currentSite = nullptr;
    ar.readTag({tags::Global});
    const int a = contentTypes.Load(ar, nullptr);
    const int b = partTypes.Load(ar, nullptr);
    const int c = sites.Load(ar, nullptr);
    return a && b && c ? 1 : 0;
}

void QGlobal::NewDocument()
{
    if (clearNavigationTree)
        clearNavigationTree();
    sites.Clear();
    m_currentSite = nullptr;
    previewAreas.clear();
    previewAreaFlag = 0;
}

void QGlobal::AddBuiltInCatalogue()
{
    if (m_builtInCatalogueAdded)
        return;
    m_builtInCatalogueAdded = true;

    for (const BuiltInPartType &type : kBuiltInPartTypes) {
        const QID id(0, type.code);
        if (partTypes.IndexOf(id) >= 0)
            continue;
        auto *part = new QContent;
        part->id = id;
        part->kind = type.code;
        part->name = QString::fromUtf16(type.name);
        partTypes.Add(part, nullptr);
    }

    const QID textTypeId(0, QContentGroup::kKindBuiltInText);
    if (contentTypes.IndexOf(textTypeId) < 0) {
        // The constructor already adds "内容".
        auto *type = new QContentGroup;
        type->kind = QContentGroup::kKindBuiltInText;
        type->id = textTypeId;
        type->name = QStringLiteral("文章(通常)");
        // The constructor's "内容" was put in under the identity the group had then.
        for (QContent *part : type->contents)
            part->SetParent(type);
        contentTypes.Add(type, nullptr);
        for (const char16_t *partName : {u"章のタイトル", u"章の内容"}) {
            auto *part = new QContent;
            part->kind = QContent::kKindLongText;
            part->name = QString::fromUtf16(partName);
            type->AddContent(part);
        }
    }
}

QSite *QGlobal::CreateSite()
{
    m_modified = true;
    auto *site = new QSite;
    site->templatePath = m_sampleTemplateFolder;
    sites.Add(site, nullptr);
    return site;
}

QSite *QGlobal::getCurrentSite()
{
    bool valid = m_currentSite != nullptr && isDocumentSite(sites, m_currentSite);
    if (valid && navigationTreeRoot) {
        const QObject *root = navigationTreeRoot();
        valid = root == m_currentSite && root->id == m_currentSite->id;
    }
    if (!valid) {
        report(QStringLiteral("選択サイトが取得できませんでした。"));
        return nullptr;
    }
    return m_currentSite;
}

int QGlobal::setCurrentSite(QObject *site)
{
    auto *candidate = object_cast<QSite>(site);
    if (candidate == nullptr || !isDocumentSite(sites, candidate)) {
        report(QStringLiteral("サイトが選択できませんでした。"));
        return 0;
    }
    m_currentSite = candidate;
    return 1;
}

StorageResult QGlobal::DeleteToStorage(QObject *object)
{
    // Only these parents hold these objects in a list the user may delete from.
    QObject *up = object != nullptr ? object->parent() : nullptr;
    bool knownParent = false;
    if (object_cast<QCategory>(object) != nullptr)
        knownParent = object_cast<QCategory>(up) || object_cast<QClassification>(up);
    else if (object_cast<QPage>(object) != nullptr)
        knownParent = object_cast<QCategory>(up) != nullptr;
    else if (object_cast<QContentGroup>(object) != nullptr)
        knownParent = object_cast<QPage>(up) || object_cast<QContentGroup>(up);
    if (!knownParent || up->RemoveChild(object) == 0) {
        report(QStringLiteral("選択メニューの Tree 親クラスが判定できませんでした。"));
        return StorageResult::NotDetached;
    }
    if (QSite *site = getCurrentSite()) {
        site->objectBox.PutInBox(object);
        return StorageResult::Stored;
    }
    report(QStringLiteral("選択サイトが見つからないか、一時保存場所へ登録できませんでした。\r\n"
                          "オブジェクトは削除されます。"));
    delete object;
    return StorageResult::Destroyed;
}

} // namespace velmo
