// Where a site's pages go: the working and published folders, each category's folder, and
// the check that keeps names from the document from leading outside those folders.
#pragma once

#include <QString>

namespace velmo {
class Category;
class Document;
class Page;
class Site;
} // namespace velmo

namespace velmo::gen {

class SitePaths
{
public:
    // temporary/<time>_<seq> ("site" when the identity text is empty).
    static QString workingFolder(const Document &global, const Site &site);
    // web/<site name>; empty when the name cannot be a folder name.
    static QString publishedFolder(const Document &global, const Site &site);
    // The first category of the first hierarchy: its pages and sub-categories are written
    // straight into the working folder, which is also where links to it point.
    static const Category *homeCategory(const Site &site);
    // The folder of a category's pages: the working folder followed by the folder names of the
    // category and its enclosing categories, outermost first, the home category adding none.
    static QString categoryFolder(const Site &site, const Category &category,
                                  const QString &workingFolder);
    // The file a page is written to (the home page is index.html in the working folder); empty
    // when a folder or file name on the way is not a plain single name.
    static QString pageFile(const Site &site, const Page &page, const QString &workingFolder);
    // A single folder or file name: not empty, no separator, not "." or "..".
    static bool isPlainName(const QString &name);
    // A relative path that stays inside the folder it is appended to (empty is the folder).
    static bool isRelativeInside(const QString &path);
};

} // namespace velmo::gen
