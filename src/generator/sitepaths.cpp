// Where a site's pages go.
#include "generator/sitepaths.h"

#include <algorithm>

#include <QStringList>

#include "model/category.h"
#include "model/classification.h"
#include "model/document.h"
#include "model/page.h"
#include "model/site.h"

namespace velmo::gen {

QString SitePaths::workingFolder(const Document &global, const Site &site)
{
    QString identity = site.id.toText();
    if (identity.isEmpty())
        identity = QStringLiteral("site");
    return global.temporaryFolder() + u'/' + identity;
}

QString SitePaths::publishedFolder(const Document &global, const Site &site)
{
    if (!isPlainName(site.name))
        return QString();
    return global.webFolder() + u'/' + site.name;
}

const Category *SitePaths::homeCategory(const Site &site)
{
    const Classification *first = site.classifications.first();
    return first != nullptr ? first->categories.first() : nullptr;
}

bool SitePaths::isPlainName(const QString &name)
{
    return !name.isEmpty() && name != u"." && name != u".." && !name.contains(u'/') &&
           !name.contains(u'\\') && !name.contains(QChar(0));
}

bool SitePaths::isRelativeInside(const QString &path)
{
    QString unified = path;
    unified.replace(u'\\', u'/');
    if (unified.startsWith(u'/') || unified.contains(QChar(0)))
        return false;
    const QStringList parts = unified.split(u'/', Qt::SkipEmptyParts);
    return std::none_of(parts.begin(), parts.end(),
                        [](const QString &part) { return part == u".."; });
}

QString SitePaths::categoryFolder(const Site &site, const Category &category,
                                  const QString &workingFolder)
{
    const Category *home = homeCategory(site);
    QStringList names;
    for (const Object *up = &category; up != nullptr; up = up->parent()) {
        const auto *c = object_cast<Category>(up);
        if (c == nullptr)
            break;
        if (c != home)
            names.prepend(c->folderName);
    }
    QString folder = workingFolder;
    for (const QString &name : names) {
        // An empty folder name adds no level.
        if (!name.isEmpty())
            folder += u'/' + name;
    }
    return folder;
}

QString SitePaths::pageFile(const Site &site, const Page &page, const QString &workingFolder)
{
    if (page.outputFlags & Page::kOutputHomePage)
        return workingFolder + QStringLiteral("/index.html");
    if (!isPlainName(page.fileName + QStringLiteral(".html")) || page.fileName.isEmpty())
        return QString();
    QString folder = workingFolder;
    if (const auto *category = object_cast<Category>(page.parent())) {
        for (const Object *up = category; up != nullptr; up = up->parent()) {
            const auto *c = object_cast<Category>(up);
            if (c == nullptr)
                break;
            if (!c->folderName.isEmpty() && !isPlainName(c->folderName))
                return QString();
        }
        folder = categoryFolder(site, *category, workingFolder);
    }
    return folder + u'/' + page.fileName + QStringLiteral(".html");
}

} // namespace velmo::gen
