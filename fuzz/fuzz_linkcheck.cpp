// libFuzzer entry over the link check's reading of pages and style sheets: any bytes are parsed
// as a page and as a style sheet, and what comes out must be well-formed; a page read by the
// scanner must give exactly what the full parser gives.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include <QByteArray>
#include <QString>

#include "generator/linkcheck.h"

using velmo::gen::LinkCheck;

namespace {

[[noreturn]] void fail(const char *what)
{
    std::fprintf(stderr, "link extraction broken: %s\n", what);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const LinkCheck::PageLinks page = LinkCheck::extractPageLinks(bytes);
    // Lines count from 1 and cannot pass the number of line breaks the input has.
    // The parser also counts a lone carriage return as a line break.
    const qsizetype lines = bytes.count('\n') + bytes.count('\r') + 1;
    for (const LinkCheck::Link &link : page.links) {
        if (link.line < 1 || link.line > lines || link.column < 1) {
            std::fprintf(stderr, "line %d of %lld: %s\n", link.line, qlonglong(lines),
                         qPrintable(link.url));
            fail("a page link's line lies outside the page");
        }
    }
    if (!page.readable && !page.links.isEmpty())
        fail("an unreadable page yielded links");
    if (const std::optional<LinkCheck::PageLinks> scanned = LinkCheck::scanPageLinks(bytes)) {
        const LinkCheck::PageLinks parsed =
            LinkCheck::extractPageLinks(bytes, LinkCheck::Reader::Parser);
        if (parsed.anchors != scanned->anchors || parsed.readable != scanned->readable ||
            parsed.droppedLinks != scanned->droppedLinks ||
            parsed.links.size() != scanned->links.size())
            fail("the scanner and the parser read the page differently");
        for (qsizetype i = 0; i < parsed.links.size(); ++i) {
            const LinkCheck::Link &a = scanned->links[i];
            const LinkCheck::Link &b = parsed.links[i];
            if (a.url != b.url || a.line != b.line || a.column != b.column || a.text != b.text) {
                std::fprintf(stderr, "%s %d:%d %s / %s %d:%d %s\n", qPrintable(a.url), a.line,
                             a.column, qPrintable(a.text), qPrintable(b.url), b.line, b.column,
                             qPrintable(b.text));
                fail("the scanner and the parser place or name a link differently");
            }
        }
    }

    for (const LinkCheck::Link &link : LinkCheck::extractStyleSheetLinks(bytes)) {
        if (link.line < 1 || link.line > lines || link.column < 1)
            fail("a style sheet link's place lies outside the sheet");
        if (link.url.size() > bytes.size())
            fail("a style sheet link is longer than the sheet");
    }
    return 0;
}
