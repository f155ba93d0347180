// Generating a whole site ("HTML出力", "全て更新") or one page (previews): preparing the site's
// working folder, walking its pages, generating each page and publishing the result.
#pragma once

#include <functional>
#include <future>
#include <memory>
#include <utility>

#include <QHash>
#include <QList>
#include <QString>

#include "generator/assemblyrecord.h"
#include "generator/imagescaler.h"
#include "generator/linkcheck.h"
#include "generator/menuoutputcache.h"
#include "generator/outputstatistics.h"
#include "generator/pagewriter.h"
#include "generator/sitefeeds.h"
#include "generator/templatecache.h"
#include "model/outputcontext.h"

namespace velmo {
class Category;
class ConfinedFolder;
class Document;
class Object;
class Page;
class Site;
} // namespace velmo

namespace velmo::gen {

struct PageContext;

class SiteOutput : public velmo::PageGenerator
{
public:
    enum class Result {
        Done,
        // No valid current site (reported).
        NoSite,
        // The working folder could not be deleted (reported); nothing was generated.
        NotCleared,
        // Generated, but some files could not be written (reported, each named); those were
        // not published, and the published folder keeps their earlier versions.
        Incomplete,
        // Another run is outputting the same site (reported); nothing was done.
        Busy,
        // Stopped on request (reported): what was published is complete file by file, and the
        // published list still names every file Velmo wrote there.
        Stopped,
        // The user stopped it: nothing was published.
        Cancelled,
    };

    enum class PreviewResult {
        // No page was written: no object, no page or site above it, an invalid file name, or
        // the file could not be written.
        NotWritten = 0,
        // The page's file holds the generated page (written now or already up to date).
        Written = 1,
    };
    struct PreviewOutput
    {
        PreviewResult result = PreviewResult::NotWritten;
        // The written file's path; empty unless result is Written.
        QString path;
    };

    enum class PrepareResult {
        // The object is not a site; nothing was copied.
        NotSite = 0,
        Prepared = 1,
    };

    explicit SiteOutput(Document &global);

    // "HTML出力" for the current site: generates every page of its categories so that its
    // working folder holds exactly this output (nothing left from earlier ones), and copies
    // the folder to the published one, whose path is returned in publishedFolder for the
    // caller to open. Every optional area is output.
    Result outputSite(QString *publishedFolder = nullptr);
    // The same output with its link check, publishing nothing: what a publication would hold.
    Result checkSite();
    // "全て更新": the same generation into the existing working folder, with the preview
    // options applied; nothing is published.
    Result regenerateAll();
    // Generates the page that holds object (a content, content group or page), as previews do;
    // Written and the written file's path when a page was written.
    PreviewOutput outputObject(velmo::Object *object);

    // Copies the main style sheet and the template images into the site's working folder.
    // NotSite when object is not a site.
    static PrepareResult prepareWorkingFolder(Document &global, velmo::Object *object,
                                              OutputStatistics *statistics = nullptr);
    // The site's categories in menu order: each hierarchy's categories depth first, a category
    // before its sub-categories.
    static QList<Category *> collectCategories(const Site &site);
    // The page that is the site's home page, or null.
    static Page *findHomePage(Site &site);

    const OutputStatistics &statistics() const { return m_statistics; }
    // Scales the pictures the pages ask for on every core while the pages are written. A
    // whole-site run waits for it before anything is checked or published; a preview does not,
    // its page referring to where the pictures will be (idle() then says when they are).
    ImageScaler &pictureScaler() { return *m_scaler; }
    // How a whole-site run waits for its pictures: false when the user cancelled. Without one
    // the run blocks until they are done.
    void setPictureWaiter(std::function<bool(ImageScaler &)> waiter)
    {
        m_pictureWaiter = std::move(waiter);
    }
    // Asked before each page of a whole-site run; true stops the run, which then publishes
    // nothing.
    void setCancelCheck(std::function<bool()> check) { m_cancelCheck = std::move(check); }
    // On by default: a whole-site run expands each menu once per selected chain and folder.
    // Off, every page runs its menus, which must give the same bytes.
    void setMenuCaching(bool on) { m_cacheMenus = on; }
    // Checks the links of what a whole-site run produces: every page written or found
    // unchanged is handed to check, to be parsed while the output goes on, and the check is
    // finished once the working folder holds the whole output, before anything is published
    // from it. Its result is linkCheck().
    void setLinkCheck(LinkCheck *check) { m_linkCheck = check; }
    const LinkCheck::Result &linkCheck() const { return m_linkCheckResult; }
    // Keeps in file (AssemblyRecord::fileFor names one per site) what each page's assembly
    // in a whole-site run did, so that the next run takes a page whose inputs are all as they
    // were from disk instead of assembling it again. Empty: every page is assembled.
    void setAssemblyRecordFile(const QString &file) { m_assemblyRecordFile = file; }
    // The file in a published folder that lists what the last publication wrote there.
    static QString publishedListName();
    // The file that stands in a published folder while a publication is under way: found at
    // the start of the next one, it says that one was killed and left temporary copies.
    static QString publishingMarkName();
    // The template folder whose files are copied to the site's root as they are (an icon, a
    // robots.txt, a sitemap.xml or feed.xml of the template's own).
    static QString siteRootFolderName();

    int generatePage(Site &site, OutputContext &context, const QString &subFolder,
                     ObjectChain &chain) override;

    // Asks every output of this program to stop before its next page or file. Only sets a flag,
    // so that a signal handler may call it.
    static void requestStop();
    static bool isStopRequested();
    // Lets outputs run again.
    static void clearStopRequest();

private:
    Result runWholeSite(bool publish, QString *publishedFolder);
    // Says that the run stopped on request, with what it could not write.
    Result reportStopped();
    // Copies the swept working folder's files to the published folder and prunes it.
    void publish(const QString &workingFolder, const QString &published, const QStringList &files);
    // Shows a message and keeps it for the summary.
    void report(const QString &message);
    Result generateAll(Site &site);
    // Counts the pages the writer put on disk, or could not, and lists those there for the
    // feeds; entries go with the pages handed over, in the same order.
    void takeWrittenPages(PageWriter &writer, const QList<SiteFeeds::Entry> &entries);
    // Counts one page as written, unchanged or failed; true when it is on disk.
    bool countPage(const PageWriter::Done &page);
    // Waits for the pictures asked for and counts what became of them; false when cancelled.
    bool waitForPictures();
    // Finishes the link check, when there is one, on what this run produced.
    void finishLinkCheck(const QString &workingFolder);
    // Removes from the working folder every file this output did not produce, and the folders
    // left empty; false when something could not be removed. The files that stay go to kept.
    bool sweepWorkingFolder(const QString &workingFolder, QStringList *kept = nullptr);
    // Copies the working folder's files (as listed by the sweep) to published where they
    // differ, leaving out those in skipped (relative paths) and listing in failures what could
    // not be written. A file that stands in published without being in owned (what Velmo wrote
    // there before) is the user's and stays. Returns the paths, relative to both folders, of
    // the files published folder now holds from this output.
    // Whether published is, or lies in, the working folder (or either cannot be resolved).
    static bool publishesIntoWorkingFolder(const QString &workingFolder, const QString &published);
    QStringList publishFiles(const QString &workingFolder, const ConfinedFolder &published,
                             const QStringList &files, const QSet<QString> &skipped,
                             const QSet<QString> &owned, QList<WriteFailure> *failures);
    // Counts a file of the publication (relative path) as written to the published folder, or
    // as there already.
    void countPublished(const QString &file, bool written);
    void updateLinkPaths(Site &site, const QString &workingFolder, const QString &outputPath);
    // Starts making the key of everything but the page's own file that the pages of site are
    // made from, on a thread of its own; the site's data must not change until it is taken,
    // nor its categories' links, which are moved to storedLinks meanwhile.
    std::future<AssemblyRecord::Key>
    startAssemblyRunKey(Site &site, const QString &workingFolder,
                        QList<std::pair<Category *, QString>> &storedLinks);
    // Takes the page as the last run left it, when the record has it and its pictures still go
    // where they went; false: it must be assembled.
    bool keepRecordedPage(const PageContext &context, bool isHome);
    // Records the pages this run assembled cleanly, once the writer is done with them.
    void recordWrittenPages(const QHash<QString, PageKey> &written);
    // Removes from published the files of the last publication (owned) that this one no
    // longer writes, then lists what this one wrote. Files in kept (paths below the published
    // folder) stay where they are, and on the list when they were on it. A stopped publication
    // removes nothing and lists both.
    void prunePublishedFolder(const ConfinedFolder &published, const QSet<QString> &owned,
                              const QStringList &files, const QSet<QString> &kept);
    // Starts a run's account of files that could not be written.
    void clearWriteFailures();
    // One message naming the files this run could not write; Incomplete when there were any.
    Result reportWriteFailures(Result result);
    // Why page cannot be output ("「category / page」: …"), empty when its template is there.
    QString templateProblem(const Site &site, const Page &page);
    void reportPagesWithoutTemplate();
    // Names the menu and content templates that were links leading out of their folder; a
    // preview only when they differ from what the last one named.
    void reportRefusedTemplates(bool wholeSite);
    // Writes sitemap.xml and feed.xml of the pages of this run, when the site has an address
    // and its template does not bring its own.
    void writeSiteFeeds(const Site &site, const QString &workingFolder);
    // One message naming the content calls from index from on that could not be expanded.
    void reportExpansionFailures(qsizetype from);
    void reportPreviewFailures(qsizetype from);
    // Gives the broken links that failed content calls left their reason.
    void mergeExpansionFailures(const QString &workingFolder);

    Document &m_global;
    std::unique_ptr<ImageScaler> m_scaler;
    std::function<bool(ImageScaler &)> m_pictureWaiter;
    std::function<bool()> m_cancelCheck;
    TemplateCache m_cache;
    MenuOutputCache m_menuOutputs;
    bool m_cacheMenus = true;
    LinkCheck *m_linkCheck = nullptr;
    LinkCheck::Result m_linkCheckResult;
    OutputStatistics m_statistics;
    // Within one whole-site run: the categories and, per output folder, their link paths.
    const Site *m_runSite = nullptr;
    QList<Category *> m_runCategories;
    QHash<QString, QStringList> m_linkPathsByFolder;
    // The folder whose links the categories hold now.
    QString m_linkPathsFolder;
    // The components of each of m_runCategories' folders, split once per run.
    QList<QStringList> m_runCategoryFolders;
    QStringList m_pagesWithoutTemplate;
    QList<SiteFeeds::Entry> m_feedEntries;
    // Within a whole-site run: where its pages go, and their feed entries in handing order.
    PageWriter *m_pageWriter = nullptr;
    QList<SiteFeeds::Entry> m_handedEntries;
    // What the last preview said of its page's template, so that refreshing it does not repeat it.
    QString m_shownTemplateProblem;
    QStringList m_shownExpansionFailures;
    QStringList m_shownRefusedTemplates;
    QString m_assemblyRecordFile;
    // Within a whole-site run that keeps a record: the last run's, this run's key, the pages
    // this run took from it or assembled without a word, and what the assembled ones did.
    const AssemblyRecord *m_record = nullptr;
    AssemblyRecord::Key m_runKey;
    QString m_runWorkingFolder;
    QHash<QString, AssemblyRecord::Page> m_recordedPages;
    QHash<QString, AssemblyTrace> m_assembledTraces;
};

} // namespace velmo::gen
