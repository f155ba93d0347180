// LinkReport: the link check of a generated site as velmo-cli prints it.
#pragma once

#include <QString>

#include "generator/linkcheck.h"

namespace velmo::gen {
class SiteOutput;
}
namespace velmo {
class Document;
class Site;
} // namespace velmo

class LinkReport
{
public:
    // Finishes check on what output produced in site's working folder (generated, not yet
    // published).
    static velmo::gen::LinkCheck::Result check(velmo::gen::LinkCheck &check,
                                               const velmo::Document &global,
                                               const velmo::Site &site,
                                               const velmo::gen::SiteOutput &output);
    // One line per broken link ("page:line: link: reason"), then a count, on standard output;
    // the external links that were not followed are counted only.
    static void print(const velmo::gen::LinkCheck::Result &result);
};
