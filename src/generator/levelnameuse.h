// LevelNameUse, the names the menu and content templates of a site read as menu levels: a level
// renamed in the site ("メニュー階層の対応名") leaves every template that still reads the old
// name with an empty menu, so output names them, and the level editor warns before a rename.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace velmo {
class Site;
}

namespace velmo::gen {

class TemplateCache;

class LevelNameUse
{
public:
    // The names a template's calls read as object lists ("レベル１" in "レベル１[i].タイトル"),
    // each once, in the order they first appear. Texts that put() writes are not read.
    static QStringList namesReadBy(const QString &templateText);

    struct Template
    {
        // The template folder's sub-folder and the file, as the user finds it there.
        QString file;
        QStringList names;
    };
    // The menu templates, then the content templates, of site's template folder.
    static QList<Template> templatesOf(const Site &site, TemplateCache &cache);
    // The templates that read name as a menu level.
    static QStringList templatesReading(const Site &site, const QString &name);
    // One message naming each template and the names it reads that are neither a level name
    // of site nor a content list; empty when every name is found.
    static QString unknownNamesMessage(const Site &site, TemplateCache &cache);
};

} // namespace velmo::gen
