// LinkReport: the link check of a generated site as velmo-cli prints it.
#pragma once

#include <QString>

#include "generator/linkcheck.h"

class LinkReport
{
public:
    // One line per broken or redirected link ("page:line:column: link: reason 「text」"), one
    // per external address not checked, then the counts, on standard output.
    static void print(const velmo::gen::LinkCheck::Result &result);
};
