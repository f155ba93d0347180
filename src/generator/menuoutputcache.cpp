// Menu outputs kept within one whole-site run.
#include "generator/menuoutputcache.h"

#include "generator/pagecontext.h"
#include "model/category.h"
#include "model/classification.h"
#include "model/contentgroup.h"
#include "model/page.h"
#include "model/site.h"

namespace velmo::gen {

void MenuOutputCache::begin(const velmo::Site &site)
{
    clear();
    m_site = &site;
    const Classification *first = site.classifications.first();
    if (first == nullptr)
        return;
    // Every category a menu level can hold: the levels follow the first hierarchy's
    // "categories" lists down, whatever the kind of the category selected on the way.
    QList<const Category *> pending;
    for (const Category *category : first->categories)
        pending << category;
    while (!pending.isEmpty()) {
        const Category *category = pending.takeLast();
        for (const Category *sub : category->categories)
            pending << sub;
        if (category->kind == Category::kKindLinkMenu && category->linkTitle.isEmpty())
            m_linkTargets.insert(category->linkTarget);
    }
}

void MenuOutputCache::clear()
{
    m_site = nullptr;
    m_linkTargets.clear();
    m_outputs.clear();
}

std::optional<QString> MenuOutputCache::keyOf(const PageContext &context,
                                              const QList<const velmo::Category *> &selected) const
{
    if (m_site == nullptr || context.site != m_site || context.page == nullptr)
        return std::nullopt;
    if (!m_linkTargets.isEmpty()) {
        bool shadowed = false;
        for (ContentGroup *group : context.page->contentGroups) {
            group->forEachBelow(Children::Hierarchy, [this, &shadowed](velmo::Object *object) {
                shadowed = m_linkTargets.contains(object->id);
                return !shadowed;
            });
            if (shadowed)
                return std::nullopt;
        }
    }
    // Relative paths start from the page's folder only because the page's name holds a dot
    // (relativePath keeps a last step without one); ".html" gives it one, but a key that
    // relied on that would break silently the day it does not.
    const QString &path = context.outputPath;
    const qsizetype slash = path.lastIndexOf(u'/');
    QString key = QStringView(path).mid(slash + 1).contains(u'.') ? path.left(slash) : path;
    key += u'\n';
    // Pointers identify the categories: none is created or deleted within a run.
    for (const Category *category : selected)
        key += QString::number(quintptr(category), 16) + u' ';
    return key;
}

const MenuOutputCache::Output *MenuOutputCache::find(const QString &templatePath,
                                                     const QString &key) const
{
    const auto it = m_outputs.constFind(templatePath + u'\0' + key);
    return it != m_outputs.cend() ? &*it : nullptr;
}

void MenuOutputCache::insert(const QString &templatePath, const QString &key, Output output)
{
    m_outputs.insert(templatePath + u'\0' + key, std::move(output));
}

} // namespace velmo::gen
