// MarkupScanner: reads a page's tags, attributes and text in one pass without building a
// document tree, for pages whose tree is exactly the markup as written.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QVarLengthArray>

namespace velmo::gen {

// The full HTML5 parser repairs markup as browsers do: it closes elements the page leaves open,
// moves text out of tables, clones misnested formatting elements. A page whose end tags all
// close the element last opened, and that uses none of the elements the parser treats
// specially, needs no repair; its tree is the markup in the order written. The scanner reads
// such a page at the speed of a search for "<", and gives up, for the parser to read the
// page, at the first thing the parser could read otherwise: an element closed implicitly or
// misnested, text that a table would move, an entity it does not know, an element it does not
// know to be plain.
class MarkupScanner
{
public:
    struct Attribute
    {
        QByteArrayView name;  // lower case
        QByteArrayView value; // character references decoded
        // The value as written, with its quotes; empty when there is none.
        QByteArrayView raw;
        qsizetype nameOffset = 0;
    };
    using Attributes = QVarLengthArray<Attribute, 8>;

    class Handler
    {
    public:
        virtual ~Handler() = default;
        // tag is the parser's number for the element's name (a GumboTag).
        virtual void startElement(int tag, const Attributes &attributes) = 0;
        // Also for void elements, right after their start.
        virtual void endElement(int tag) = 0;
        // Whether text is wanted from here on; text not wanted is only looked at.
        virtual bool wantsText() const = 0;
        // One text node as the parser keeps it: references decoded, "\r\n" and "\r" as "\n".
        virtual void text(QByteArrayView text) = 0;
        // The content of a style or script element, as written, at offset in the page; given
        // to text() as well when text is wanted.
        virtual void rawText(int tag, QByteArrayView raw, qsizetype offset) = 0;
    };

    // Reads html into handler. False when the page is not one the scanner reads exactly as
    // the parser does, or nests deeper than maxDepth; handler has then seen part of it.
    static bool scan(QByteArrayView html, Handler &handler, int maxDepth);
};

} // namespace velmo::gen
