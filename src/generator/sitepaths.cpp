// Where a site's pages go.
#include "generator/sitepaths.h"

#include <algorithm>

#include <QStringList>
#include <QVarLengthArray>

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

namespace {

bool holdsSeparator(QStringView name)
{
    return std::any_of(name.begin(), name.end(),
                       [](QChar c) { return c == u'/' || c == u'\\' || c == QChar(0); });
}

// The folder names from the top down to category, the home category's left out. Every page
// asks for these: they are gathered without copying a name.
using FolderNames = QVarLengthArray<const QString *, 8>;
FolderNames folderNames(const Site &site, const Category &category)
{
    const Category *home = SitePaths::homeCategory(site);
    FolderNames names;
    for (const Object *up = &category; up != nullptr; up = up->parent()) {
        const auto *c = object_cast<Category>(up);
        if (c == nullptr)
            break;
        // An empty folder name adds no level.
        if (c != home && !c->folderName.isEmpty())
            names.append(&c->folderName);
    }
    std::reverse(names.begin(), names.end());
    return names;
}

QString joined(const QString &workingFolder, const FolderNames &names, const QString &fileName)
{
    qsizetype size = workingFolder.size() + fileName.size() + 6;
    for (const QString *name : names)
        size += name->size() + 1;
    QString path;
    path.reserve(size);
    path += workingFolder;
    for (const QString *name : names) {
        path += u'/';
        path += *name;
    }
    if (!fileName.isEmpty()) {
        path += u'/';
        path += fileName;
        path += u".html";
    }
    return path;
}

} // namespace

QString SitePaths::categoryFolder(const Site &site, const Category &category,
                                  const QString &workingFolder)
{
    return joined(workingFolder, folderNames(site, category), QString());
}

QString SitePaths::pageFile(const Site &site, const Page &page, const QString &workingFolder)
{
    if (page.outputFlags & Page::kOutputHomePage)
        return workingFolder + QStringLiteral("/index.html");
    // With ".html" after it, the name cannot be "." or "..".
    if (page.fileName.isEmpty() || holdsSeparator(page.fileName))
        return QString();
    const auto *category = object_cast<Category>(page.parent());
    if (category == nullptr)
        return workingFolder + u'/' + page.fileName + QStringLiteral(".html");
    for (const Object *up = category; up != nullptr; up = up->parent()) {
        const auto *c = object_cast<Category>(up);
        if (c == nullptr)
            break;
        if (!c->folderName.isEmpty() && !isPlainName(c->folderName))
            return QString();
    }
    return joined(workingFolder, folderNames(site, *category), page.fileName);
}

} // namespace velmo::gen
