// A synthetic site for the generator benchmarks: a template folder with a two-level menu and
// one content template, and a site of top-level categories with sub-categories and pages.
#pragma once

#include <QString>

namespace velmo {
class Document;
class Page;
class Site;
} // namespace velmo

struct SyntheticSite
{
    velmo::Site *site = nullptr;
    // A page in the middle of the site, for single-page regeneration.
    velmo::Page *middlePage = nullptr;
};

// Writes the template folder under root and adds a site of topCategories × subCategories
// categories holding pages pages in all (spread evenly), three content groups of about 700
// characters each per page, to global; makes it the current site.
SyntheticSite makeSyntheticSite(velmo::Document &global, const QString &root, int topCategories,
                                int subCategories, int pages);
