// TemplateFiles: the template files a page or content group can choose from in its site's
// template folder, and the paths of a chosen template and of the site's style sheet.
#pragma once

#include <QString>
#include <QStringList>

namespace velmo {

class Object;
class Site;

class TemplateFiles
{
public:
    // The page templates ("*.*html" in "ページテンプレート") or the content templates
    // ("*.template" in "コンテンツテンプレート") of site, sorted by name; empty when the
    // folder is missing or holds none.
    static QStringList pageTemplates(const Site &site);
    static QStringList contentTemplates(const Site &site);
    // The choices for object (a page or a content group) in its own site; empty otherwise.
    static QStringList choicesFor(const Object *object);
    // The entry of choices that current names, else the first; empty without choices, which
    // leaves the object's template as it is.
    static QString choose(const QStringList &choices, const QString &current);

    // The file of object's template (page or content group) in its site's template folder, and
    // the site's main style sheet; empty when object has no site, or no template is chosen.
    static QString templatePathOf(const Object *object);
    static QString styleSheetPath(const Site &site);
};

} // namespace velmo
