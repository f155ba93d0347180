// TemplateLibrary: the lists of menu, page and content templates of the current site's
// template folder, and the resolution of a template name to its file.
#pragma once

#include <optional>

#include <QString>

namespace velmo {

class Document;
class Object;

class TemplateLibrary
{
public:
    // A template name found in its list.
    struct TemplateFile
    {
        // The name's index in the list.
        int index = 0;
        // The template's full path.
        QString path;
    };

    // Re-reads the three template lists of the current site and stamps the time; 1, or 0
    // without a current site (lists left as they were).
    static int listTemplates(Document &global);
    // The index of name in the list that fits object (a site: menu templates, a page: page
    // templates, a content group: content templates) and the template's full path; nothing
    // when it is not listed or nothing can be looked up. Lists older than ten seconds are read
    // again first.
    static std::optional<TemplateFile> checkTemplateFile(Document &global, Object *object,
                                                         const QString &name);
};

} // namespace velmo
