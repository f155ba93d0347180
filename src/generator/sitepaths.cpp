// Where a site's pages go.
#include "generator/sitepaths.h"

#include "model/qcategory.h"
#include "model/qclassification.h"
#include "model/qglobal.h"
#include "model/qpage.h"
#include "model/qsite.h"

#include <QStringList>

#include <algorithm>

namespace velmo::gen {

QString SitePaths::workingFolder(const QGlobal &global, const QSite &site)
{
    QString identity = site.id.ToText();
    if (identity.isEmpty())
        identity = QStringLiteral("site");
    return global.temporaryFolder() + u'/' + identity;
}

QString SitePaths::publishedFolder(const QGlobal &global, const QSite &site)
{
    if (!isPlainName(site.name))
        return QString();
    return global.webFolder() + u'/' + site.name;
}

const QCategory *SitePaths::homeCategory(const QSite &site)
{
    const QClassification *first = site.classifications.first();
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

QString SitePaths::categoryFolder(const QSite &site, const QCategory &category,
                                  const QString &workingFolder)
{
    const QCategory *home = homeCategory(site);
    QStringList names;
    for (const QObject *up = &category; up != nullptr; up = up->parent()) {
        const auto *c = object_cast<QCategory>(up);
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

QString SitePaths::pageFile(const QSite &site, const QPage &page, const QString &workingFolder)
{
    if (page.outputFlags & QPage::kOutputHomePage)
        return workingFolder + QStringLiteral("/index.html");
    if (!isPlainName(page.fileName + QStringLiteral(".html")) || page.fileName.isEmpty())
        return QString();
    QString folder = workingFolder;
    if (const auto *category = object_cast<QCategory>(page.parent())) {
        for (const QObject *up = category; up != nullptr; up = up->parent()) {
            const auto *c = object_cast<QCategory>(up);
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
