// LinkCheck: finds the links of a generated site that lead nowhere — local pages, pictures and
// style sheet resources that are missing, and #anchors a page does not have — by parsing each
// page as a browser would.
#pragma once

#include <memory>

#include <QByteArray>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

namespace velmo::gen {

class LinkCheck
{
public:
    // One link as a page or style sheet holds it.
    struct Link
    {
        QString url;
        int line = 0;
    };
    // What one page offers and points to: its links, and the ids and names it can be scrolled
    // to.
    struct PageLinks
    {
        QList<Link> links;
        QSet<QString> anchors;
        // False for markup nested too deep to be parsed in reasonable time; nothing is read.
        bool readable = true;
    };
    // How deep elements may nest before a page is left unread: the parser's time grows with
    // the square of the depth, and real pages stay far below.
    static constexpr int kMaxNesting = 2000;
    struct Broken
    {
        // The page or style sheet, relative to the checked folder, with "/" separators.
        QString file;
        Link link;
        // Why the link leads nowhere, for the user.
        QString reason;
    };
    struct Result
    {
        // The checked folder, which the files below are relative to.
        QString folder;
        QList<Broken> broken;
        // Links that leave the site (http, https, mailto): listed, never fetched.
        QList<Broken> unchecked;
        int pagesChecked = 0;
    };

    // pagesAhead: how many pages handed over may wait for the parsers; enough to keep them busy.
    explicit LinkCheck(int pagesAhead = 16);
    ~LinkCheck();
    LinkCheck(const LinkCheck &) = delete;
    LinkCheck &operator=(const LinkCheck &) = delete;

    // Takes a page the output has just written, to be parsed on another core while the output
    // goes on, so that finish() need not read it again; a later page of the same path replaces
    // it. Never waits: while the parsers are behind, the page is left for finish().
    void addPage(const QString &path, const QByteArray &bytes);
    // Checks the pages (*.html, *.htm) and style sheets (*.css) among files, each an absolute
    // path below folder, reading those not added; a link is resolved against folder as the
    // site's root. Forgets the added pages.
    Result finish(const QString &folder, const QStringList &files);

    // The same without pages added beforehand.
    static Result check(const QString &folder, const QStringList &files);
    // The same for every page and style sheet below folder.
    static Result checkFolder(const QString &folder);

    // The href, src and srcset values of html with their lines, and its ids and names. Broken
    // markup is read as far as a browser would.
    static PageLinks extractPageLinks(const QByteArray &html);
    // The url(...) values of a style sheet.
    static QList<Link> extractStyleSheetLinks(const QString &css);

private:
    struct Added;
    std::unique_ptr<Added> d;
};

} // namespace velmo::gen
