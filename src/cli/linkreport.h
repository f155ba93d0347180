// LinkReport: the link check of a generated site as velmo-cli prints it.
#pragma once

#include <QString>

#include "generator/linkcheck.h"

class LinkReport
{
public:
    // One line per broken link ("page:line: link: reason"), then a count, on standard output;
    // the external links that were not followed are counted only.
    static void print(const velmo::gen::LinkCheck::Result &result);
};
