// SampleDocument: the demonstration document that `velmo-cli sample` writes — a small café
// site on the bundled sample template, with a two-level menu, a link menu, pictures and links.
#pragma once

#include <QString>

namespace velmo {

class Document;
class Site;

class SampleDocument
{
public:
    // Appends the demonstration site to global's sites, on global's sample template folder.
    static Site *addSite(Document &global);

    // Writes a document holding the built-in catalogue and the demonstration site to path.
    // False when the file cannot be written; the reason has gone to global's reporter.
    static bool write(Document &global, const QString &path);
};

} // namespace velmo
