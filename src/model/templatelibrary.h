// TemplateLibrary: the lists of menu, page and content templates of the current site's
// template folder, and the resolution of a template name to its file.
#pragma once

#include <QString>

namespace velmo {

class Document;
class Object;

class TemplateLibrary
{
public:
    // Re-reads the three template lists of the current site and stamps the time; 1, or 0
    // without a current site (lists left as they were).
    static int listTemplates(Document &global);
    // The index of name in the list that fits object (a site: menu templates, a page: page
    // templates, a content group: content templates), name then becoming the template's full
    // path; -1 with name unchanged when it is not listed or nothing can be looked up. Lists
    // older than ten seconds are read again first.
    static int checkTemplateFile(Document &global, Object *object, QString &name);
};

} // namespace velmo
