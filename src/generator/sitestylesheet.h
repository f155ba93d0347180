// SiteStyleSheet: a style sheet of the site's template taken into the site's working folder,
// with a sample start page that links it, as the site dialog does when one is chosen.
#pragma once

#include <QString>

namespace velmo {
class Document;
class Site;
} // namespace velmo

namespace velmo::gen {

class SiteStyleSheet
{
public:
    enum class Result {
        // No usable name: nothing copied, nothing changed.
        NoName,
        // Style sheet and template images copied, but the template's index.html has no style
        // sheet link: no start page, the site's main style sheet unchanged.
        NoLink,
        // Start page written: name is to be stored as the site's main style sheet.
        Applied,
    };

    // Copies css/<name> and the template images from the site's template folder into its
    // working folder and writes the template's index.html there with its style sheet link
    // pointing at name. Storing name as the site's main style sheet is the caller's edit of the
    // document. Failures the user must hear of are reported through the document; failed file
    // copies are not.
    static Result apply(Document &global, const Site &site, const QString &name);

    // The sample start page in the site's working folder, and the picture taken of it.
    static QString startPage(const Document &global, const Site &site);
    static QString previewPicture(const Document &global, const Site &site);
};

} // namespace velmo::gen
