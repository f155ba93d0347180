// The template choices of the property forms, listed from the site's template folder.
#include "model/templatefiles.h"

#include <algorithm>

#include "model/contentgroup.h"
#include "model/document.h"
#include "model/fileutil.h"
#include "model/page.h"
#include "model/site.h"

using namespace Qt::StringLiterals;

namespace velmo {

namespace {

QStringList sortedFiles(const Site &site, const QString &folder, const QString &pattern)
{
    if (site.templatePath.isEmpty())
        return {};
    QStringList names = listFiles(site.templatePath + folder + u'/' + pattern);
    std::sort(names.begin(), names.end());
    return names;
}

// A template name is a plain file name: one taken from a document must not lead out of the
// template folder when it is opened.
bool isPlainFileName(const QString &name)
{
    return !name.isEmpty() && name != u"."_s && name != u".."_s && !name.contains(u'/') &&
           !name.contains(u'\\');
}

} // namespace

QStringList TemplateFiles::pageTemplates(const Site &site)
{
    return sortedFiles(site, Document::pageTemplateFolderName(), u"*.*html"_s);
}

QStringList TemplateFiles::contentTemplates(const Site &site)
{
    return sortedFiles(site, Document::contentTemplateFolderName(), u"*.template"_s);
}

QStringList TemplateFiles::choicesFor(const Object *object)
{
    const Site *site = ancestorOf<Site>(object);
    if (site == nullptr)
        return {};
    if (object_cast<Page>(object) != nullptr)
        return pageTemplates(*site);
    if (object_cast<ContentGroup>(object) != nullptr)
        return contentTemplates(*site);
    return {};
}

QString TemplateFiles::choose(const QStringList &choices, const QString &current)
{
    if (choices.contains(current))
        return current;
    return choices.value(0);
}

QString TemplateFiles::templatePathOf(const Object *object)
{
    const Site *site = ancestorOf<Site>(object);
    if (site == nullptr || site->templatePath.isEmpty())
        return {};
    QString folder;
    QString name;
    if (const auto *page = object_cast<Page>(object)) {
        folder = Document::pageTemplateFolderName();
        name = page->templateName;
    } else if (const auto *group = object_cast<ContentGroup>(object)) {
        folder = Document::contentTemplateFolderName();
        name = group->templateName;
    }
    if (!isPlainFileName(name))
        return {};
    return site->templatePath + folder + u'/' + name;
}

QString TemplateFiles::styleSheetPath(const Site &site)
{
    if (site.templatePath.isEmpty() || !isPlainFileName(site.mainCss))
        return {};
    return site.templatePath + Document::cssFolderName() + u'/' + site.mainCss;
}

} // namespace velmo
