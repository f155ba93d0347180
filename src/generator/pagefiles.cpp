// Where a site output writes each page, and the pages and categories that would share a file or
// a folder.
#include "generator/pagefiles.h"

#include <QStringList>

#include "generator/siteoutput.h"
#include "generator/sitepaths.h"
#include "model/category.h"
#include "model/page.h"
#include "model/site.h"

using namespace Qt::StringLiterals;

namespace velmo::gen {

PageFiles::PageFiles(Site &site, Pages which)
{
    const QList<Category *> categories = SiteOutput::collectCategories(site);
    const Page *home = SiteOutput::findHomePage(site);
    QHash<QString, const Page *> owners;
    auto claim = [&](const Page *page, const QString &file) {
        m_files.insert(page, file);
        const auto it = owners.constFind(file);
        if (it == owners.cend())
            owners.insert(file, page);
        else
            m_clashes.append({*it, page, file});
    };
    // The home page is index.html wherever its category stands in the menu.
    if (home != nullptr && (which == Pages::All || !home->contentGroups.isEmpty()))
        claim(home, u"index.html"_s);
    for (const Category *category : categories) {
        if (!category->isLinkMenu()) {
            const QString folder = SitePaths::categoryFolder(site, *category, QString());
            m_folderOf.insert(category, folder);
            m_folders[folder].append(category);
        }
        for (const Page *page : category->pages) {
            if (page == home || (which == Pages::Written && page->contentGroups.isEmpty()))
                continue;
            const QString path = SitePaths::pageFile(site, *page, QString());
            // A name that cannot be a file is reported by the output itself.
            if (!path.isEmpty())
                claim(page, path.mid(1));
        }
    }
}

const Page *PageFiles::keptInsteadOf(const Page *page) const
{
    for (const Clash &clash : m_clashes) {
        if (clash.skipped == page)
            return clash.kept;
    }
    return nullptr;
}

const Page *PageFiles::clashingWith(const Page *page) const
{
    for (const Clash &clash : m_clashes) {
        if (clash.skipped == page)
            return clash.kept;
        if (clash.kept == page)
            return clash.skipped;
    }
    return nullptr;
}

const Category *PageFiles::sharingFolderWith(const Category *category) const
{
    const auto folder = m_folderOf.constFind(category);
    if (folder == m_folderOf.cend())
        return nullptr;
    for (const Category *other : m_folders.value(*folder)) {
        // A folder name left empty puts a sub-category's pages into its parent's folder on
        // purpose.
        if (other != category && !isAncestorOrSelf(other, category) &&
            !isAncestorOrSelf(category, other))
            return other;
    }
    return nullptr;
}

QString PageFiles::pageLabel(const Page &page)
{
    if (const auto *category = object_cast<Category>(page.parent()))
        return category->name + u" / "_s + page.name;
    return page.name;
}

QString PageFiles::skippedMessage() const
{
    if (m_clashes.isEmpty())
        return {};
    constexpr int kListed = 20;
    QStringList lines;
    for (const Clash &clash : m_clashes) {
        if (lines.size() == kListed) {
            lines << u"ほか %1 ページ"_s.arg(m_clashes.size() - kListed);
            break;
        }
        lines << u"「%1」は「%2」と同じファイル %3 に出力されるため、出力しませんでした。"_s.arg(
            pageLabel(*clash.skipped), pageLabel(*clash.kept), clash.file);
    }
    return u"同じフォルダに同じファイル名のページがあります。\r\n"_s + lines.join(u"\r\n"_s);
}

} // namespace velmo::gen
