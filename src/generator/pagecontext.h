// Everything the assembly of one page needs to know: the document root, the site and page
// being generated, where the page goes, the template cache and the output statistics.
#pragma once

#include <QString>

#include "generator/imageoutput.h"

namespace velmo {
class Document;
class Page;
class Site;
} // namespace velmo

namespace velmo::gen {

struct AssemblyTrace;
struct OutputStatistics;
class ImageScaler;
class MenuOutputCache;
class TemplateCache;

struct PageContext
{
    Document *global = nullptr;
    Site *site = nullptr;
    Page *page = nullptr;
    QString siteWorkingFolder;
    QString outputPath;
    TemplateCache *cache = nullptr;
    OutputStatistics *statistics = nullptr;
    // Null where every page runs its menus itself (previews).
    MenuOutputCache *menus = nullptr;
    // Where pictures to be scaled are handed; null: each is made while the page is assembled.
    ImageScaler *scaler = nullptr;
    // Where a whole-site output keeps what the assembly did besides the page's text.
    AssemblyTrace *trace = nullptr;

    // Shows a message (through the document's reporter) and keeps it for the summary.
    void report(const QString &message) const;
    // The data root's user_image/ and the site's image folder in the working folder.
    QString userImageFolder() const;
    QString siteImageFolder() const;
    // Both, and the cache of scaled pictures in the data root's temporary/.
    ImageOutput::Folders imageFolders() const;
};

} // namespace velmo::gen
