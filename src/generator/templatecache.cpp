// Template texts read once per site output.
#include "generator/templatecache.h"

#include "model/fileutil.h"
#include "model/qglobal.h"

namespace velmo::gen {

const QString &TemplateCache::text(const QString &path)
{
    auto it = m_texts.find(path);
    if (it == m_texts.end()) {
        QString content;
        ReadTextFile(path, content);
        it = m_texts.insert(path, content);
    }
    return *it;
}

const QStringList &TemplateCache::menuTemplates(const QString &templatePath)
{
    auto it = m_menuTemplates.find(templatePath);
    if (it == m_menuTemplates.end()) {
        const QString folder = templatePath + QGlobal::menuTemplateFolderName();
        QStringList names;
        ListFiles(folder + QStringLiteral("/*.template"), names);
        QStringList paths;
        for (const QString &name : names)
            paths << folder + u'/' + name;
        it = m_menuTemplates.insert(templatePath, paths);
    }
    return *it;
}

void TemplateCache::clear()
{
    m_texts.clear();
    m_menuTemplates.clear();
}

} // namespace velmo::gen
