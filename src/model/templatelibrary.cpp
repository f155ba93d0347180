// TemplateLibrary: listing a site's templates and resolving template names to files.
#include "model/templatelibrary.h"

#include "model/clock.h"
#include "model/document.h"
#include "model/fileutil.h"
#include "model/object.h"
#include "model/site.h"

namespace velmo {

namespace {

// Forms resolve names on every redraw; reading the folders each time would be wasteful,
// and never reading them again would hide templates added while the program runs.
constexpr qint64 kListLifetimeSeconds = 10;

QStringList listFolder(const QString &folder, const QString &mask)
{
    return listFiles(folder + u'/' + mask);
}

} // namespace

int TemplateLibrary::listTemplates(Document &global)
{
    const Site *site = global.getCurrentSite();
    if (site == nullptr)
        return 0;
    const QString &base = site->templatePath;
    global.menuTemplates =
        listFolder(base + Document::menuTemplateFolderName(), QStringLiteral("*.template"));
    global.pageTemplates =
        listFolder(base + Document::pageTemplateFolderName(), QStringLiteral("*.html"));
    global.contentTemplates =
        listFolder(base + Document::contentTemplateFolderName(), QStringLiteral("*.template"));
    global.templatesListedAt = currentTime();
    return 1;
}

std::optional<TemplateLibrary::TemplateFile>
TemplateLibrary::checkTemplateFile(Document &global, Object *object, const QString &name)
{
    if (object == nullptr) {
        global.report(
            QStringLiteral("無効なオブジェクトポインタが指定されました。(CheckTemplateFile)"));
        return std::nullopt;
    }
    // The site is asked for once, before the refresh, so that a missing site is reported
    // once rather than by the refresh and again here.
    const Site *site = global.getCurrentSite();
    if (site == nullptr)
        return std::nullopt;

    // A clock set back would otherwise keep the lists from ever being read again.
    const qint64 now = currentTime();
    if (now - global.templatesListedAt > kListLifetimeSeconds || now < global.templatesListedAt)
        listTemplates(global);

    const QStringList *list = nullptr;
    QString folder;
    switch (object->typeCode) {
    case kClassSite:
        list = &global.menuTemplates;
        folder = Document::menuTemplateFolderName();
        break;
    case kClassPage:
        list = &global.pageTemplates;
        folder = Document::pageTemplateFolderName();
        break;
    case kClassContentGroup:
        list = &global.contentTemplates;
        folder = Document::contentTemplateFolderName();
        break;
    default:
        global.report(
            QStringLiteral("無効なオブジェクトタイプが指定されました。(CheckTemplateFile)"));
        return std::nullopt;
    }

    const qsizetype index = list->indexOf(name);
    if (index < 0)
        return std::nullopt;
    return TemplateFile{int(index), site->templatePath + folder + u'/' + name};
}

} // namespace velmo
