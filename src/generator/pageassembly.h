// Turning a page template into a finished page: the style sheet link, menus, content blocks,
// the site's and page's texts, hidden sections, switched-off areas and escape sequences.
#pragma once

#include <QString>

namespace velmo {
class Page;
}

namespace velmo::gen {

struct AssemblyTrace;
struct PageContext;

class PageAssembly
{
public:
    static const QString &styleSheetBlockPattern();
    // The block around a page's link to the site's feed: kept where the site has an address
    // to write feed.xml with, removed elsewhere so that it never leads nowhere.
    static const QString &feedBlockPattern();

    // Assembles text (the page template's content) in place for context's page.
    static void assemble(const PageContext &context, QString &text);
    // Does again what an earlier assembly of context's page did besides its text (copies the
    // style sheet, places its pictures) as trace has it. False when a picture now goes
    // elsewhere: then the page must be assembled.
    static bool replay(const PageContext &context, const AssemblyTrace &trace);

    // "A - B - page": the names of the enclosing ordinary categories, outermost first.
    static QString pagePath(const Page &page);
    // The site's keywords, then "," and the page's own when it has any.
    static QString keywords(const PageContext &context);
};

} // namespace velmo::gen
