// Template texts read once per site output.
#include "generator/templatecache.h"

#include <QDate>
#include <QFileInfo>

#include "model/document.h"
#include "model/fileutil.h"

namespace velmo::gen {

bool TemplateCache::isInside(const QString &path, const QString &folder)
{
    if (resolvesInside(path, folder))
        return true;
    // Missing is not refused: the caller says so in its own words.
    if (QFileInfo::exists(path) && !m_refused.contains(path))
        m_refused << path;
    return false;
}

const QString &TemplateCache::text(const QString &path, const QString &folder)
{
    auto it = m_texts.find(path);
    if (it == m_texts.end()) {
        std::optional<QString> read =
            isInside(path, folder) ? readTextFile(path) : std::optional<QString>();
        if (!read)
            m_missing.insert(path);
        it = m_texts.insert(path, std::move(read).value_or(QString()));
    }
    return *it;
}

const QStringList &TemplateCache::menuTemplates(const QString &templatePath)
{
    auto it = m_menuTemplates.find(templatePath);
    if (it == m_menuTemplates.end()) {
        const QString folder = templatePath + Document::menuTemplateFolderName();
        const QStringList names = listFiles(folder + QStringLiteral("/*.template"));
        QStringList paths;
        for (const QString &name : names)
            paths << folder + u'/' + name;
        it = m_menuTemplates.insert(templatePath, paths);
    }
    return *it;
}

const TemplateCache::Parsed &TemplateCache::program(const QString &path, const QString &folder)
{
    auto it = m_programs.find(path);
    if (it == m_programs.end()) {
        Parsed parsed;
        parsed.result = parsed.program.parse(text(path, folder));
        it = m_programs.insert(path, parsed);
    }
    return *it;
}

bool TemplateCache::createFolderPath(const QString &filePath, QString *reason)
{
    const QString folder = filePath.left(filePath.lastIndexOf(u'/'));
    if (m_folders.contains(folder))
        return true;
    if (velmo::createFolderPath(filePath, reason) == 0)
        return false;
    m_folders.insert(folder);
    return true;
}

bool TemplateCache::claimOnce(const QString &key)
{
    if (m_claimed.contains(key))
        return false;
    m_claimed.insert(key);
    return true;
}

const QString &TemplateCache::year()
{
    if (m_year.isEmpty())
        m_year = QString::number(QDate::currentDate().year());
    return m_year;
}

const QString &TemplateCache::relativeLink(const QString &target, const QString &page)
{
    // Below a file, the link depends only on the folders above it.
    const qsizetype cut = qMax(page.lastIndexOf(u'/'), page.lastIndexOf(u'\\'));
    const QStringView file = QStringView(page).mid(cut + 1);
    QString key = target + u'\n';
    key += cut >= 0 && file.contains(u'.') ? QStringView(page).left(cut) : QStringView(page);
    auto it = m_links.constFind(key);
    if (it == m_links.constEnd())
        it = m_links.insert(key, relativePath(target, page));
    return *it;
}

void TemplateCache::clear()
{
    m_links.clear();
    m_lastPageSize = 0;
    m_year.clear();
    m_claimed.clear();
    m_texts.clear();
    m_missing.clear();
    m_refused.clear();
    m_menuTemplates.clear();
    m_programs.clear();
    m_folders.clear();
}

} // namespace velmo::gen
