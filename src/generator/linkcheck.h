// LinkCheck: finds the links of a generated site that lead nowhere — local pages, pictures and
// style sheet resources that are missing, and #anchors a page does not have — by parsing each
// page as a browser would.
#pragma once

#include <memory>
#include <optional>

#include <QByteArray>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include "generator/pagekey.h"

namespace velmo::gen {

class LinkCheck
{
public:
    // One link as a page or style sheet holds it.
    struct Link
    {
        QString url;
        // Where it is written, from 1; the column counts UTF-16 code units, as editors do. 0
        // where there is no place in a file (a content call written into text).
        int line = 0;
        int column = 0;
        // What a reader sees of it: the text of a link, the alternative text of a picture.
        QString text;
    };
    // What one page offers and points to: its links, and the ids and the names of its <a>
    // elements, which are what a #fragment can scroll to.
    struct PageLinks
    {
        QList<Link> links;
        QSet<QString> anchors;
        // False for markup nested too deep to be parsed in reasonable time; nothing is read.
        bool readable = true;
        // Links past kMaxLinksPerPage, counted and not kept.
        qsizetype droppedLinks = 0;
    };
    // How deep elements may nest before a page is left unread: the parser's time grows with
    // the square of the depth, and real pages stay far below.
    static constexpr int kMaxNesting = 2000;
    // The parser holds about forty times a page's size while it reads it: pages over this size
    // are parsed one at a time, each alone, so that a check never holds several at once.
    static constexpr qsizetype kLargePage = 2 * 1024 * 1024;
    // Links kept of one page; the rest are counted and said to be unchecked.
    static constexpr qsizetype kMaxLinksPerPage = 50000;
    // Parses kept between runs are used only by a check of the same version: raise it whenever
    // extractPageLinks would yield anything else for the same bytes.
    static constexpr quint32 kExtractionVersion = 1;
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
        // Links that leave the site (http, https, mailto): listed, fetched only on request
        // (ExternalLinkCheck), which takes those it checked off this list.
        QList<Broken> unchecked;
        // External links that answered with a redirection, the reason naming where to.
        QList<Broken> redirected;
        int pagesChecked = 0;
        // Distinct external addresses fetched, when they were.
        int externalChecked = 0;
    };

    // pagesAhead: how many pages handed over may wait for the parsers; enough to keep them busy.
    explicit LinkCheck(int pagesAhead = 16);
    ~LinkCheck();
    LinkCheck(const LinkCheck &) = delete;
    LinkCheck &operator=(const LinkCheck &) = delete;

    // Keeps what the parse of each page yields in file between runs (PageLinkCache::fileFor
    // names one per site), so that a page whose bytes were parsed before is not parsed again;
    // its links are still resolved on every run, as other pages may have changed. Set before
    // pages are added; empty for none. The file is read when first needed.
    void setCacheFile(const QString &file);
    // Reads the cache file now rather than with the first page, for a caller that has time to
    // spare (waiting for another thread).
    void readCacheFile();

    // Takes a page the output has just written, to be parsed on another core while the output
    // goes on, so that finish() need not read it again; a later page of the same path replaces
    // it. Never waits: while the parsers are behind, the page is left for finish().
    void addPage(const QString &path, const QByteArray &bytes);
    // Makes room for this many pages to be added, a hint that spares growing the tables.
    void expectPages(qsizetype count);
    // Takes a page the output left on disk as an earlier run wrote it, whose bytes hash to key:
    // finish() takes its parse from the cache file, or reads the page where that has none.
    void addKnownPage(const QString &path, const PageKey &key);
    // Checks the pages (*.html, *.htm) and style sheets (*.css) among files, each an absolute
    // path below folder, reading those not added; a link is resolved against folder as the
    // site's root. Forgets the added pages.
    Result finish(const QString &folder, const QStringList &files);

    // The same without pages added beforehand.
    static Result check(const QString &folder, const QStringList &files);
    // The same for every page and style sheet below folder.
    static Result checkFolder(const QString &folder);

    // Every address html refers to, with its place and text: links, pictures and other
    // resources, url() and @import in style attributes and <style> elements, a form's local
    // action, a refresh's target. Broken markup is read as far as a browser would.
    // Reader::Parser makes the full HTML5 parser read every page, not only those that need its
    // repairs; both give the same.
    enum class Reader { Any, Parser };
    static PageLinks extractPageLinks(const QByteArray &html, Reader reader = Reader::Any);
    // The same read by the one-pass scanner alone; nothing for a page that needs the parser's
    // repairs.
    static std::optional<PageLinks> scanPageLinks(const QByteArray &html);
    // The url() and @import addresses of a style sheet, outside its comments.
    static QList<Link> extractStyleSheetLinks(const QByteArray &css);

private:
    struct Added;
    std::unique_ptr<Added> d;
};

} // namespace velmo::gen
