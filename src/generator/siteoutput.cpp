// Generating a site or one page.
#include "generator/siteoutput.h"

#include <atomic>
#include <cerrno>
#include <future>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtConcurrent/QtConcurrentMap>

#include <fcntl.h>
#include <sys/stat.h>

#include "generator/imageoutput.h"
#include "generator/levelnameuse.h"
#include "generator/pageassembly.h"
#include "generator/pagecontext.h"
#include "generator/pagefiles.h"
#include "generator/pagewriter.h"
#include "generator/sitepaths.h"
#include "model/category.h"
#include "model/classification.h"
#include "model/confinedfolder.h"
#include "model/contentgroup.h"
#include "model/document.h"
#include "model/fileutil.h"
#include "model/folderlock.h"
#include "model/objectcopy.h"
#include "model/page.h"
#include "model/site.h"
#include "model/templatelibrary.h"

using namespace Qt::StringLiterals;

namespace velmo::gen {

namespace {

// The preview-area flag is 0 only while a whole site is output, whatever way the output ends.
class WholeSiteFlag
{
public:
    explicit WholeSiteFlag(Document &global) : m_global(global) { m_global.previewAreaFlag = 0; }
    ~WholeSiteFlag() { m_global.previewAreaFlag = 1; }
    WholeSiteFlag(const WholeSiteFlag &) = delete;
    WholeSiteFlag &operator=(const WholeSiteFlag &) = delete;

private:
    Document &m_global;
};

void collectInto(CategoryList &list, QList<Category *> &out)
{
    for (Category *category : list) {
        if (category->typeCode != kClassCategory)
            continue;
        out << category;
        if (category->kind == Category::kKindOrdinary || category->kind == Category::kKindLinkMenu)
            collectInto(category->categories, out);
    }
}

// Adds copies of the plug-in page's content groups to page for this one generation.
void mergePluginPage(Page &page, const Page &plugin, QList<ContentGroup *> &merged)
{
    for (const ContentGroup *group : plugin.contentGroups) {
        std::unique_ptr<velmo::Object> copy = duplicateSubtree(*group);
        auto *added = static_cast<ContentGroup *>(copy.release());
        page.contentGroups.add(added, &page);
        page.temporaryGroups << added->id;
        merged << added;
    }
}

// Removes exactly the copies merge added. Never by identity: a page's own group may carry the
// identity a fresh copy got (the same second and sequence number), and would then be deleted
// while still in the document.
void undoPluginMerge(Page &page, const QList<ContentGroup *> &merged)
{
    for (ContentGroup *group : merged) {
        // By position: the list's own removal looks the identity up first.
        const int index = page.contentGroups.indexOfObject(group);
        if (index >= 0) {
            page.contentGroups.removeAt(index);
            delete group;
        }
    }
    page.temporaryGroups.clear();
}

// True unless a copy was needed and failed; copied says whether one was made.
bool copyIfDifferent(const QString &source, const QString &target, bool *copied, QString *reason)
{
    *copied = false;
    if (QFileInfo::exists(target) && sameFileContents(source, target))
        return true;
    *copied = copyFileReplacing(source, target, reason);
    return *copied;
}

struct FileState
{
    bool regular = false;
    off_t size = 0;
    timespec modified{};
};

FileState stateOf(const QString &path)
{
    struct stat info
    {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return {};
    return {S_ISREG(info.st_mode), info.st_size, info.st_mtim};
}

bool sameTime(const timespec &a, const timespec &b)
{
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

} // namespace

SiteOutput::SiteOutput(Document &global)
    : m_global(global), m_scaler(std::make_unique<ImageScaler>())
{}

bool SiteOutput::waitForPictures()
{
    bool finished = true;
    if (m_scaler->pendingCount() > 0) {
        if (m_pictureWaiter)
            finished = m_pictureWaiter(*m_scaler);
        else
            m_scaler->waitForDone();
    }
    if (!finished)
        m_scaler->cancel();
    for (const ImageScaler::Outcome &outcome : m_scaler->takeOutcomes())
        ImageOutput::count(outcome, &m_statistics);
    return finished;
}

void SiteOutput::report(const QString &message)
{
    m_global.report(message);
    m_statistics.messages << message;
}

QList<Category *> SiteOutput::collectCategories(const Site &site)
{
    QList<Category *> categories;
    for (Classification *classification : site.classifications)
        collectInto(classification->categories, categories);
    return categories;
}

Page *SiteOutput::findHomePage(Site &site)
{
    Classification *first = site.classifications.first();
    Category *home = first != nullptr ? object_cast<Category>(first->categories.first()) : nullptr;
    if (home == nullptr)
        return nullptr;
    if (home->kind != Category::kKindLinkMenu)
        return home->pages.first();
    velmo::Object *target = site.findById(home->linkTarget);
    if (auto *page = object_cast<Page>(target))
        return page;
    if (object_cast<ContentGroup>(target) != nullptr)
        return const_cast<Page *>(ancestorOf<Page>(target));
    return nullptr;
}

SiteOutput::PrepareResult SiteOutput::prepareWorkingFolder(Document &global, velmo::Object *object,
                                                           OutputStatistics *statistics)
{
    auto *site = object_cast<Site>(object);
    if (site == nullptr)
        return PrepareResult::NotSite;
    const QString workingFolder = SitePaths::workingFolder(global, *site);
    // Templates come as archives, which keep links: a file of the template folder that leads
    // out of it could publish any file of the disk.
    QStringList refused;
    // A copy that fails leaves its target as it was (never half written): the target is still
    // produced, so the sweep keeps an earlier copy, but not published.
    const auto copy = [statistics, site, &refused](const QString &source, const QString &target) {
        if (!resolvesInside(source, site->templatePath)) {
            refused << source;
            return;
        }
        QString reason;
        bool copied = false;
        const bool ok = createFolderPath(target, &reason) != 0 &&
                        copyIfDifferent(source, target, &copied, &reason);
        if (statistics == nullptr)
            return;
        statistics->filesCopied += copied ? 1 : 0;
        statistics->producedFiles.insert(target);
        if (!ok)
            statistics->noteWriteFailure(target, reason);
        else if (!copied)
            statistics->keptFiles.insert(target);
    };
    const QString templateCss = site->templatePath + Document::cssFolderName();
    if (SitePaths::isPlainName(site->mainCss)) {
        const QString source = templateCss + u'/' + site->mainCss;
        if (QFileInfo(source).isFile())
            copy(source, workingFolder + Document::cssFolderName() + u'/' + site->mainCss);
    }
    const QString rootFiles = site->templatePath + u'/' + siteRootFolderName();
    for (const QString &name : listFiles(rootFiles + QStringLiteral("/*")))
        copy(rootFiles + u'/' + name, workingFolder + u'/' + name);
    const QString images = workingFolder + Document::templateImageFolderName();
    const QString sourceImages = site->templatePath + Document::templateImageFolderName();
    const QStringList names = listFiles(sourceImages + QStringLiteral("/*.*"));
    for (const QString &name : names)
        copy(sourceImages + u'/' + name, images + u'/' + name);

    QStringList lines;
    for (const QString &path : std::as_const(refused))
        lines << QStringLiteral("%1（テンプレートフォルダの外を指すリンクです）").arg(path);
    // Listings pass over names that are not UTF-8; without a word the file would just be gone.
    for (const QString &folder : {rootFiles, sourceImages}) {
        for (const QString &name : undecodableNames(folder))
            lines << QStringLiteral("%1/%2（ファイル名が UTF-8 ではありません）").arg(folder, name);
    }
    if (!lines.isEmpty()) {
        const QString message =
            QStringLiteral("次のテンプレートのファイルは出力しませんでした。\r\n") +
            lines.join(QStringLiteral("\r\n"));
        global.report(message);
        if (statistics != nullptr)
            statistics->messages << message;
    }
    return PrepareResult::Prepared;
}

namespace {

// Set from signal handlers: a lock-free flag is all they may touch.
std::atomic<bool> stopRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free);

const QString kBusy =
    QStringLiteral("このサイトは別の出力が実行中です。終わってからもう一度出力してください。");

} // namespace

void SiteOutput::requestStop()
{
    stopRequested.store(true, std::memory_order_relaxed);
}

bool SiteOutput::isStopRequested()
{
    return stopRequested.load(std::memory_order_relaxed);
}

void SiteOutput::clearStopRequest()
{
    stopRequested.store(false, std::memory_order_relaxed);
}

SiteOutput::Result SiteOutput::outputSite(QString *publishedFolder)
{
    return runWholeSite(true, publishedFolder);
}

SiteOutput::Result SiteOutput::checkSite()
{
    return runWholeSite(false, nullptr);
}

SiteOutput::Result SiteOutput::runWholeSite(bool publish, QString *publishedFolder)
{
    WholeSiteFlag wholeSite(m_global);
    Site *site = m_global.getCurrentSite();
    if (site == nullptr) {
        report(QStringLiteral("SiteOutput() 指定のサイト情報が取得できませんでした。"));
        return Result::NoSite;
    }
    const QString workingFolder = SitePaths::workingFolder(m_global, *site);
    // Two runs in one working folder would each sweep away the other's files.
    const FolderLock lock(workingFolder);
    if (lock.isHeldElsewhere()) {
        report(kBusy);
        return Result::Busy;
    }
    // The working folder must end up holding exactly this output. Rather than deleting it and
    // creating every file again (inode churn that costs more than generating the pages), the
    // output goes into it and whatever it did not produce is swept away afterwards; unchanged
    // pages keep their times.
    if (QFileInfo(workingFolder).exists() && !QFileInfo(workingFolder).isDir() &&
        deleteFolder(workingFolder, m_global.temporaryFolder()) == 0) {
        report(QStringLiteral("テンポラリファイルがクリアできませんでした。"));
        return Result::NotCleared;
    }
    m_statistics.producedFiles.clear();
    clearWriteFailures();
    m_statistics.keptFiles.clear();
    const Result result = generateAll(*site);
    if (result == Result::Stopped)
        return reportStopped();
    // Nothing is checked or published from a working folder still waiting for its pictures,
    // nor from one the user gave up on.
    if (result == Result::Cancelled || !waitForPictures())
        return Result::Cancelled;
    QStringList files;
    if (!sweepWorkingFolder(workingFolder, &files)) {
        report(QStringLiteral("テンポラリファイルがクリアできませんでした。"));
        return Result::NotCleared;
    }
    const QString published = publish ? SitePaths::publishedFolder(m_global, *site) : QString();
    // The check reads the working folder while the publication copies out of it, on another
    // core; a published folder inside the working folder is written there, so the check waits.
    std::future<LinkCheck::Result> checking;
    if (m_linkCheck != nullptr && !published.isEmpty() &&
        !publishesIntoWorkingFolder(workingFolder, published)) {
        const QSet<QString> &produced = m_statistics.producedFiles;
        checking =
            std::async(std::launch::async, [check = m_linkCheck, workingFolder,
                                            files = QStringList(produced.begin(), produced.end())] {
                return check->finish(workingFolder, files);
            });
    } else {
        finishLinkCheck(workingFolder);
    }
    if (!publish)
        return reportWriteFailures(result);
    if (published.isEmpty()) {
        report(QStringLiteral("サイト名「%1」は公開フォルダの名前に使えません。\r\n"
                              "サイトは作業フォルダ %2 に出力されました。")
                   .arg(site->name, workingFolder));
    } else {
        this->publish(workingFolder, published, files);
    }
    if (checking.valid()) {
        m_linkCheckResult = checking.get();
        mergeExpansionFailures(workingFolder);
    }
    if (publishedFolder != nullptr)
        *publishedFolder = published;
    if (isStopRequested())
        return reportStopped();
    return reportWriteFailures(result);
}

SiteOutput::Result SiteOutput::reportStopped()
{
    reportWriteFailures(Result::Done);
    report(QStringLiteral(
        "出力を中断しました。公開フォルダには、書き終えたファイルだけが入っています。"));
    return Result::Stopped;
}

void SiteOutput::publish(const QString &workingFolder, const QString &published,
                         const QStringList &files)
{
    // What failed in the working folder is not published: web/ keeps its earlier version,
    // complete, rather than a cut-short or missing one.
    QSet<QString> failed;
    const QString prefix = workingFolder + u'/';
    for (const QString &path : std::as_const(m_statistics.failedFiles)) {
        if (path.startsWith(prefix))
            failed.insert(QDir::cleanPath(path.mid(prefix.size())));
    }
    const ConfinedFolder target(published);
    if (!target.isOpen()) {
        m_statistics.noteWriteFailure(published, target.openError());
        return;
    }
    // Only what the last publication listed is Velmo's: a file the user put there (an
    // .htaccess, a verification file, a page of their own) was never on the list. The list
    // lies in a folder users handle, so it is not trusted further than naming paths inside.
    QSet<QString> owned;
    const std::optional<QByteArray> list =
        target.readBytes(publishedListName(), kMaxTextFileBytes * 4);
    for (const QString &line : QString::fromUtf8(list.value_or(QByteArray())).split(u'\n')) {
        const QString entry = line.trimmed();
        if (ConfinedFolder::isPlainRelativePath(entry) && entry != publishedListName() &&
            entry != publishingMarkName())
            owned.insert(entry);
    }
    // A run killed while publishing leaves its mark, and its temporary copies, behind; a
    // folder without a list may hold what versions without one left.
    if (!list || target.entry(publishingMarkName()).kind != ConfinedFolder::Kind::Missing) {
        QSet<QString> own = owned;
        const qsizetype start = QDir::cleanPath(workingFolder).size() + 1;
        for (const QString &file : files)
            own.insert(QDir::cleanPath(file).mid(start));
        target.removeLeftovers(own);
    }
    QString reason;
    if (!target.writeBytes(publishingMarkName(),
                           QByteArray::number(QCoreApplication::applicationPid()), &reason)) {
        m_statistics.noteWriteFailure(published + u'/' + publishingMarkName(), reason);
        return;
    }
    QList<WriteFailure> publishFailures;
    const QStringList written =
        publishFiles(workingFolder, target, files, failed, owned, &publishFailures);
    for (const WriteFailure &failure : std::as_const(publishFailures)) {
        m_statistics.noteWriteFailure(failure.path, failure.reason);
        // A file that did not reach web/ must not be pruned from it either.
        if (failure.path.startsWith(published + u'/'))
            failed.insert(QDir::cleanPath(failure.path.mid(published.size() + 1)));
    }
    prunePublishedFolder(target, owned, written, failed);
    target.removeFile(publishingMarkName());
}

void SiteOutput::clearWriteFailures()
{
    m_statistics.writeFailures.clear();
    m_statistics.failedFiles.clear();
    m_statistics.expansionFailures.clear();
}

SiteOutput::Result SiteOutput::reportWriteFailures(Result result)
{
    const QList<WriteFailure> &failures = m_statistics.writeFailures;
    if (failures.isEmpty())
        return result;
    // One message for the run, bounded: a full disk fails every file after the first.
    constexpr int kListed = 20;
    QStringList lines;
    for (qsizetype i = 0; i < failures.size() && i < kListed; ++i)
        lines << QStringLiteral("%1\r\n　%2").arg(failures.at(i).path, failures.at(i).reason);
    if (failures.size() > kListed)
        lines << QStringLiteral("ほか %1 件").arg(failures.size() - kListed);
    report(QStringLiteral("次のファイルを書き込めませんでした。\r\n") +
           lines.join(QStringLiteral("\r\n")) +
           QStringLiteral(
               "\r\n出力は完全ではありません。書き込めなかったファイルは公開されていません。"));
    return result == Result::Done ? Result::Incomplete : result;
}

QString SiteOutput::publishedListName()
{
    return QStringLiteral(".velmo-published");
}

QString SiteOutput::publishingMarkName()
{
    return QStringLiteral(".velmo-publishing");
}

void SiteOutput::prunePublishedFolder(const ConfinedFolder &published, const QSet<QString> &owned,
                                      const QStringList &files, const QSet<QString> &kept)
{
    QStringList written;
    for (const QString &entry : files) {
        if (!kept.contains(entry))
            written << entry;
    }
    // What could not be written this time is still Velmo's when it was before, and a file of
    // the user's that was not written over never becomes Velmo's.
    for (const QString &entry : kept) {
        if (owned.contains(entry) && published.entry(entry).kind == ConfinedFolder::Kind::File)
            written << entry;
    }
    const QSet<QString> current(written.cbegin(), written.cend());
    const bool stopped = isStopRequested();
    for (const QString &entry : owned) {
        if (current.contains(entry))
            continue;
        // A stopped publication has not written what would replace them: they stay listed.
        if (stopped)
            written << entry;
        else
            published.removeFile(entry);
    }
    std::sort(written.begin(), written.end());
    // Replaced whole or not at all: a list cut short would keep a later publication from
    // pruning what it no longer names, and take Velmo's files for the user's.
    QString reason;
    if (!published.writeBytes(publishedListName(), (written.join(u'\n') + u'\n').toUtf8(), &reason))
        m_statistics.noteWriteFailure(published.root() + u'/' + publishedListName(), reason);
}

namespace {

// The path with links resolved, for a folder that may not be made yet: the nearest folder
// above it that exists, resolved, and the rest as it is. Empty where nothing resolves.
QString resolvedPath(const QString &path)
{
    QString existing = QDir::cleanPath(path);
    QString rest;
    while (!existing.isEmpty()) {
        if (const QString resolved = QFileInfo(existing).canonicalFilePath(); !resolved.isEmpty())
            return rest.isEmpty() ? resolved : QDir::cleanPath(resolved + u'/' + rest);
        const qsizetype slash = existing.lastIndexOf(u'/');
        if (slash < 0 || existing == u"/")
            break;
        rest = rest.isEmpty() ? existing.mid(slash + 1) : existing.mid(slash + 1) + u'/' + rest;
        existing.truncate(slash == 0 ? 1 : slash);
    }
    return {};
}

} // namespace

bool SiteOutput::publishesIntoWorkingFolder(const QString &workingFolder, const QString &published)
{
    // Either unknown counts as inside: the general copy is the one that cannot go wrong.
    const QString sourceRoot = resolvedPath(workingFolder);
    const QString destinationRoot = resolvedPath(published);
    return destinationRoot.isEmpty() || sourceRoot.isEmpty() || destinationRoot == sourceRoot ||
           destinationRoot.startsWith(sourceRoot + u'/');
}

QStringList SiteOutput::publishFiles(const QString &workingFolder, const ConfinedFolder &published,
                                     const QStringList &files, const QSet<QString> &skipped,
                                     const QSet<QString> &owned, QList<WriteFailure> *failures)
{
    const qsizetype prefix = QDir::cleanPath(workingFolder).size() + 1;
    QStringList relative;
    relative.reserve(files.size());
    for (const QString &file : files)
        relative << QDir::cleanPath(file).mid(prefix);
    // A published folder that is the working folder or lies inside it takes the general copy,
    // which leaves its own subtree out; every file counts as published.
    if (publishesIntoWorkingFolder(workingFolder, published.root())) {
        copyFolderTree(workingFolder, published.root(), skipped, failures);
        for (const QString &file : std::as_const(relative))
            countPublished(file, true);
        return relative;
    }
    const QString root = published.root() + u'/';
    QStringList present;
    struct Copy
    {
        qsizetype index;
        timespec modified;
    };
    QList<Copy> copies;
    for (qsizetype i = 0; i < files.size() && !isStopRequested(); ++i) {
        const QString &source = files[i];
        const QString &name = relative[i];
        if (skipped.contains(name))
            continue;
        const FileState from = stateOf(source);
        if (!from.regular)
            continue;
        const ConfinedFolder::Entry to = published.entry(name);
        QString refusal;
        switch (to.kind) {
        case ConfinedFolder::Kind::File:
            if (to.size == from.size) {
                // Only a file this output left alone can be known by its time: one it rewrote
                // may have been given the time it had, within the clock's granularity.
                if (m_statistics.keptFiles.contains(source) &&
                    sameTime(to.modified, from.modified)) {
                    present << name;
                    countPublished(name, false);
                    continue;
                }
                if (published.holdsSameBytes(source, name)) {
                    published.setModified(name, from.modified);
                    present << name;
                    countPublished(name, false);
                    continue;
                }
            }
            if (!owned.contains(name))
                refusal = QStringLiteral("公開フォルダにある同じ名前のファイルは Velmo が書いたもの"
                                         "ではないため、上書きしませんでした。公開するには、その"
                                         "ファイルを移すか消してから出力し直してください。");
            break;
        case ConfinedFolder::Kind::Link:
            refusal = writeFailureReason(ELOOP);
            break;
        case ConfinedFolder::Kind::Folder:
            refusal = writeFailureReason(EISDIR);
            break;
        case ConfinedFolder::Kind::Other:
            refusal = QStringLiteral("同じ名前の、通常のファイルではないもの（FIFO など）が"
                                     "あります。");
            break;
        case ConfinedFolder::Kind::Missing:
        case ConfinedFolder::Kind::Blocked:
            // A link or a file on the way: the copy fails, and says which.
            break;
        }
        if (!refusal.isEmpty())
            failures->append({root + name, refusal});
        else
            copies.append({i, from.modified});
    }
    // Copying is mostly the kernel creating files, which goes on on every core as well.
    const QList<WriteFailure> copyFailures = QtConcurrent::blockingMapped<QList<WriteFailure>>(
        copies, [&](const Copy &copy) -> WriteFailure {
            if (isStopRequested())
                return {QString(), QString()};
            QString reason;
            if (!published.copyInto(files[copy.index], relative[copy.index], &copy.modified,
                                    &reason))
                return {root + relative[copy.index], reason};
            return {relative[copy.index], QString()};
        });
    for (const WriteFailure &copy : copyFailures) {
        if (!copy.reason.isEmpty()) {
            failures->append(copy);
        } else if (!copy.path.isEmpty()) {
            present << copy.path;
            countPublished(copy.path, true);
        }
    }
    return present;
}

void SiteOutput::countPublished(const QString &file, bool written)
{
    static const QStringList pictures = {u".jpg"_s, u".jpeg"_s, u".png"_s, u".gif"_s, u".bmp"_s,
                                         u".tif"_s, u".tiff"_s, u".svg"_s, u".webp"_s};
    const auto endsWithAny = [&file](const QStringList &suffixes) {
        return std::any_of(suffixes.begin(), suffixes.end(), [&file](const QString &suffix) {
            return file.endsWith(suffix, Qt::CaseInsensitive);
        });
    };
    OutputStatistics &s = m_statistics;
    if (endsWithAny({u".html"_s, u".htm"_s}))
        ++(written ? s.pagesPublished : s.pagesAlreadyPublished);
    else if (written && endsWithAny(pictures))
        ++s.picturesPublished;
    else if (written)
        ++s.otherFilesPublished;
}

bool SiteOutput::sweepWorkingFolder(const QString &workingFolder, QStringList *kept)
{
    bool ok = true;
    FolderTree tree = listFolderTree(workingFolder);
    if (kept != nullptr)
        kept->reserve(tree.files.size());
    for (const QString &path : std::as_const(tree.files)) {
        const std::optional<qint64> writer =
            temporaryWriter(QStringView(path).sliced(path.lastIndexOf(u'/') + 1));
        if (writer && *writer != QCoreApplication::applicationPid() && processIsRunning(*writer)) {
            // A copy another program (a preview in a second window) has under way.
            continue;
        } else if (!m_statistics.producedFiles.contains(path)) {
            ok &= QFile::remove(path);
        } else if (kept != nullptr) {
            *kept << path;
        }
    }
    // Each after what it held, so that emptied parents go too; folders still holding output
    // stay.
    for (const QString &folder : std::as_const(tree.folders))
        QDir().rmdir(folder);
    return ok;
}

SiteOutput::Result SiteOutput::regenerateAll()
{
    Site *site = m_global.getCurrentSite();
    if (site == nullptr) {
        report(QStringLiteral("SiteOutput() 指定のサイト情報が取得できませんでした。"));
        return Result::NoSite;
    }
    const FolderLock lock(SitePaths::workingFolder(m_global, *site));
    if (lock.isHeldElsewhere()) {
        report(kBusy);
        return Result::Busy;
    }
    clearWriteFailures();
    const Result result = generateAll(*site);
    if (result == Result::Stopped)
        return reportStopped();
    if (result == Result::Cancelled || !waitForPictures())
        return Result::Cancelled;
    finishLinkCheck(SitePaths::workingFolder(m_global, *site));
    return reportWriteFailures(result);
}

void SiteOutput::finishLinkCheck(const QString &workingFolder)
{
    if (m_linkCheck == nullptr)
        return;
    const QSet<QString> &produced = m_statistics.producedFiles;
    m_linkCheckResult =
        m_linkCheck->finish(workingFolder, QStringList(produced.begin(), produced.end()));
    mergeExpansionFailures(workingFolder);
}

void SiteOutput::mergeExpansionFailures(const QString &workingFolder)
{
    // The address a failed call left is a broken link of its page: the check's entry, with its
    // line, takes the failure's reason instead of a second entry for the same link.
    QHash<std::pair<QString, QString>, QList<qsizetype>> entries;
    QList<LinkCheck::Broken> &broken = m_linkCheckResult.broken;
    for (qsizetype i = 0; i < broken.size(); ++i)
        entries[{broken[i].file, broken[i].link.url}].append(i);
    const QDir root(workingFolder);
    for (const ExpansionFailure &failure : std::as_const(m_statistics.expansionFailures)) {
        if (!m_statistics.producedFiles.contains(failure.page))
            continue;
        const QString reason =
            QStringLiteral("%1 %2（%3）").arg(failure.reason, failure.call, failure.group);
        const QString file = root.relativeFilePath(failure.page);
        auto it = entries.find({file, failure.address});
        if (it != entries.end() && !it->isEmpty()) {
            broken[it->takeFirst()].reason = reason;
        } else {
            // Written where the check reads no link (in text), or to a place that exists.
            broken.append({file, {failure.address, 0, 0, {}}, reason});
        }
    }
}

void SiteOutput::reportPreviewFailures(qsizetype from)
{
    // The live preview writes the page again on every pause in typing: what was said of it
    // once is not said again until it changes.
    QStringList shown;
    for (qsizetype i = from; i < m_statistics.expansionFailures.size(); ++i)
        shown << m_statistics.expansionFailures[i].message();
    if (shown != m_shownExpansionFailures)
        reportExpansionFailures(from);
    m_shownExpansionFailures = shown;
}

void SiteOutput::reportExpansionFailures(qsizetype from)
{
    const QList<ExpansionFailure> &failures = m_statistics.expansionFailures;
    if (from >= failures.size())
        return;
    // One message for a run or a page: a box per call would bury the user in boxes.
    constexpr int kListed = 20;
    QStringList lines;
    for (qsizetype i = from; i < failures.size() && lines.size() < kListed; ++i)
        lines << failures[i].message();
    if (failures.size() - from > kListed)
        lines << QStringLiteral("ほか %1 件").arg(failures.size() - from - kListed);
    report(QStringLiteral("次の _image() / _id_link() を展開できませんでした。\r\n") +
           lines.join(QStringLiteral("\r\n")));
}

SiteOutput::Result SiteOutput::generateAll(Site &site)
{
    m_cache.clear();
    // Pages whose inputs are all as the last run found them are taken from disk. The record
    // holds only what a run said nothing about: a page that failed or was complained of is
    // made again, and says so again. The key is made while the run gets ready.
    std::optional<AssemblyRecord> record;
    QList<std::pair<Category *, QString>> storedLinks;
    std::future<AssemblyRecord::Key> runKey;
    m_recordedPages.clear();
    m_assembledTraces.clear();
    if (!m_assemblyRecordFile.isEmpty() && m_global.getCurrentSite() == &site)
        runKey = startAssemblyRunKey(site, SitePaths::workingFolder(m_global, site), storedLinks);
    prepareWorkingFolder(m_global, &site, &m_statistics);
    m_runSite = &site;
    m_feedEntries.clear();
    m_runCategories = collectCategories(site);
    m_linkPathsByFolder.clear();
    m_linkPathsFolder.clear();
    m_runCategoryFolders.clear();
    if (m_cacheMenus)
        m_menuOutputs.begin(site);
    // A page whose file an earlier page writes would replace that page without a word: the
    // first keeps the file, and the user hears of the other.
    const PageFiles files(site);
    if (runKey.valid()) {
        record.emplace(m_assemblyRecordFile);
        // While the key is still being made.
        if (m_linkCheck != nullptr)
            m_linkCheck->readCacheFile();
        m_runKey = runKey.get();
        for (auto &[category, link] : storedLinks)
            category->auxText = std::move(link);
        m_record = &*record;
        m_runWorkingFolder = SitePaths::workingFolder(m_global, site);
    }
    if (m_linkCheck != nullptr)
        m_linkCheck->expectPages(files.count());
    m_recordedPages.reserve(files.count());
    m_statistics.producedFiles.reserve(files.count());
    m_statistics.keptFiles.reserve(files.count());
    const qsizetype messagesBefore = m_statistics.messages.size();
    // The link check reads each page the writer has on disk, on the writer's thread; the
    // record knows the page by the same bytes.
    LinkCheck *check = m_linkCheck;
    QHash<QString, PageKey> writtenKeys;
    QHash<QString, PageKey> *keys = record ? &writtenKeys : nullptr;
    PageWriter writer([check, keys](const QString &path, const QByteArray &bytes) {
        if (check != nullptr)
            check->addPage(path, bytes);
        if (keys != nullptr)
            keys->insert(path, PageLinkCache::keyOf(bytes));
    });
    m_pageWriter = &writer;
    m_handedEntries.clear();
    QSet<const Page *> skipped;
    for (const PageFiles::Clash &clash : files.clashes())
        skipped.insert(clash.skipped);
    bool stopped = false;
    bool cancelled = false;
    for (Category *category : std::as_const(m_runCategories)) {
        for (Page *page : category->pages) {
            ContentGroup *first = page->contentGroups.first();
            if (first == nullptr || skipped.contains(page) || cancelled)
                continue;
            if ((stopped = isStopRequested()))
                break;
            if (m_cancelCheck && m_cancelCheck()) {
                cancelled = true;
                continue;
            }
            OutputContext context{this, {}};
            QString path;
            ObjectChain chain;
            // Group, page and the categories above: room for the usual depth at once.
            chain.reserve(8);
            first->outputThroughSite(context, path, chain);
        }
        if (stopped)
            break;
    }
    takeWrittenPages(writer, std::exchange(m_handedEntries, {}));
    m_pageWriter = nullptr;
    if (record)
        recordWrittenPages(writtenKeys);
    if (!stopped)
        writeSiteFeeds(site, SitePaths::workingFolder(m_global, site));
    m_runSite = nullptr;
    m_runCategories.clear();
    m_linkPathsByFolder.clear();
    m_linkPathsFolder.clear();
    m_runCategoryFolders.clear();
    m_menuOutputs.clear();
    m_record = nullptr;
    if (cancelled) {
        m_scaler->cancel();
        if (record)
            record->forget();
        return Result::Cancelled;
    }
    // Pages that clash and pages without a template are named whether or not the others are
    // assembled; what the templates said is heard only from pages assembled.
    bool quiet = m_statistics.messages.size() == messagesBefore;
    if (const QString message = files.skippedMessage(); !message.isEmpty())
        report(message);
    // A level renamed in the site leaves the templates that read the old name with empty menus.
    if (const QString message = LevelNameUse::unknownNamesMessage(site, m_cache);
        !message.isEmpty()) {
        report(message);
        quiet = false;
    }
    reportPagesWithoutTemplate();
    const qsizetype messagesAfterPages = m_statistics.messages.size();
    reportRefusedTemplates(true);
    reportExpansionFailures(0);
    quiet &= m_statistics.messages.size() == messagesAfterPages;
    if (record) {
        if (quiet && !stopped && m_statistics.writeFailures.isEmpty() &&
            m_statistics.expansionFailures.isEmpty())
            record->save(m_runKey, m_recordedPages);
        else
            record->forget();
    }
    m_recordedPages.clear();
    m_assembledTraces.clear();
    return stopped ? Result::Stopped : Result::Done;
}

bool SiteOutput::countPage(const PageWriter::Done &page)
{
    switch (page.outcome) {
    case PageWriter::Outcome::Failed:
        m_statistics.noteWriteFailure(page.path, page.reason);
        return false;
    case PageWriter::Outcome::Unchanged:
        ++m_statistics.pagesUnchanged;
        m_statistics.keptFiles.insert(page.path);
        break;
    case PageWriter::Outcome::Written:
        ++m_statistics.pagesWritten;
        break;
    }
    m_statistics.producedFiles.insert(page.path);
    return true;
}

void SiteOutput::takeWrittenPages(PageWriter &writer, const QList<SiteFeeds::Entry> &entries)
{
    const QList<PageWriter::Done> pages = writer.finish();
    for (qsizetype i = 0; i < pages.size(); ++i) {
        if (countPage(pages[i]))
            m_feedEntries << entries.value(i);
    }
}

QString SiteOutput::siteRootFolderName()
{
    return QStringLiteral("site_root");
}

void SiteOutput::writeSiteFeeds(const Site &site, const QString &workingFolder)
{
    const std::optional<QUrl> base = SiteFeeds::baseUrl(site);
    if (!base)
        return;
    const std::pair<QString, QByteArray> files[] = {
        {QStringLiteral("sitemap.xml"), SiteFeeds::sitemap(*base, m_feedEntries)},
        {QStringLiteral("feed.xml"), SiteFeeds::feed(site, *base, m_feedEntries)},
    };
    for (const auto &[name, bytes] : files) {
        if (QFileInfo::exists(site.templatePath + u'/' + siteRootFolderName() + u'/' + name))
            continue;
        const QString path = workingFolder + u'/' + name;
        QString reason;
        if (fileHoldsBytes(path, bytes)) {
            m_statistics.keptFiles.insert(path);
        } else if (!writeFileBytes(path, bytes, &reason)) {
            QFile::remove(path);
            m_statistics.noteWriteFailure(path, reason);
            continue;
        }
        m_statistics.producedFiles.insert(path);
    }
}

QString SiteOutput::templateProblem(const Site &site, const Page &page)
{
    const QString name = PageFiles::pageLabel(page);
    if (page.templateName.isEmpty())
        return QStringLiteral("「%1」: テンプレートが設定されていません。").arg(name);
    if (!SitePaths::isPlainName(page.templateName))
        return QStringLiteral("「%1」: テンプレート「%2」が見つかりません。")
            .arg(name, page.templateName);
    const QString path =
        site.templatePath + Document::pageTemplateFolderName() + u'/' + page.templateName;
    m_cache.text(path, site.templatePath);
    if (!m_cache.isMissing(path))
        return {};
    if (m_cache.refused().contains(path))
        return QStringLiteral(
                   "「%1」: テンプレート「%2」はテンプレートフォルダの外を指すリンクのため"
                   "読み込みません。")
            .arg(name, page.templateName);
    // A folder, a FIFO or a device, or a link to nothing: the name is there in the template
    // folder, so "not found" would send the user looking for the wrong fault.
    const QFileInfo info(path);
    if (info.exists() || info.isSymLink())
        return QStringLiteral("「%1」: テンプレート「%2」を読み込めません。")
            .arg(name, page.templateName);
    return QStringLiteral("「%1」: テンプレート「%2」が見つかりません。")
        .arg(name, page.templateName);
}

void SiteOutput::reportRefusedTemplates(bool wholeSite)
{
    // Page templates are named with their pages already.
    QStringList refused;
    for (const QString &path : m_cache.refused()) {
        if (!path.contains(Document::pageTemplateFolderName() + u'/'))
            refused << path;
    }
    // A preview writes its page on every pause in typing: said again only when it changes.
    if (!wholeSite && refused == std::exchange(m_shownRefusedTemplates, refused))
        return;
    if (!refused.isEmpty())
        report(QStringLiteral("次のテンプレートはテンプレートフォルダの外を指すリンクのため、"
                              "読み込みませんでした。\r\n") +
               refused.join(QStringLiteral("\r\n")));
}

void SiteOutput::reportPagesWithoutTemplate()
{
    if (m_pagesWithoutTemplate.isEmpty())
        return;
    // One message for the whole run: a box per page would bury the user in boxes.
    constexpr int kListed = 20;
    QStringList lines = m_pagesWithoutTemplate.mid(0, kListed);
    if (m_pagesWithoutTemplate.size() > kListed)
        lines << QStringLiteral("ほか %1 ページ").arg(m_pagesWithoutTemplate.size() - kListed);
    report(QStringLiteral("次のページはテンプレートがないため出力されませんでした。\r\n") +
           lines.join(QStringLiteral("\r\n")));
    m_pagesWithoutTemplate.clear();
}

SiteOutput::PreviewOutput SiteOutput::outputObject(velmo::Object *object)
{
    PreviewOutput output;
    if (object == nullptr)
        return output;
    m_cache.clear();
    clearWriteFailures();
    OutputContext context{this, {}};
    QString path;
    ObjectChain chain;
    if (object->outputThroughSite(context, path, chain) != 0) {
        output.result = PreviewResult::Written;
        output.path = context.outputPath;
    }
    reportRefusedTemplates(false);
    reportWriteFailures(Result::Done);
    return output;
}

void SiteOutput::updateLinkPaths(Site &site, const QString &workingFolder,
                                 const QString &outputPath)
{
    if (m_runSite != &site) {
        for (Category *category : collectCategories(site))
            category->auxText =
                relativePath(SitePaths::categoryFolder(site, *category, workingFolder), outputPath);
        return;
    }
    // Every category's link from this page's folder; pages of one folder share them, so a
    // whole-site run computes them once per folder.
    const QList<Category *> &categories = m_runCategories;
    const QString folder = outputPath.left(outputPath.lastIndexOf(u'/'));
    // Pages come category by category: most find their folder's links already in place.
    if (folder == m_linkPathsFolder)
        return;
    m_linkPathsFolder = folder;
    auto it = m_linkPathsByFolder.constFind(folder);
    if (it != m_linkPathsByFolder.constEnd() && it->size() == categories.size()) {
        for (int i = 0; i < categories.size(); ++i)
            categories[i]->auxText = it->at(i);
        return;
    }
    // Still folders times categories links: splitting each category's folder once per run,
    // not once per folder, took a third of a rebuild on a site of a few hundred categories.
    if (m_runCategoryFolders.size() != categories.size()) {
        m_runCategoryFolders.clear();
        m_runCategoryFolders.reserve(categories.size());
        for (const Category *category : categories)
            m_runCategoryFolders << pathComponents(
                SitePaths::categoryFolder(site, *category, workingFolder));
    }
    const QStringList base = pathComponents(outputPath);
    QStringList paths;
    paths.reserve(categories.size());
    for (qsizetype i = 0; i < categories.size(); ++i) {
        categories[i]->auxText = relativePath(m_runCategoryFolders.at(i), base);
        paths << categories[i]->auxText;
    }
    m_linkPathsByFolder.insert(folder, paths);
}

std::future<AssemblyRecord::Key>
SiteOutput::startAssemblyRunKey(Site &site, const QString &workingFolder,
                                QList<std::pair<Category *, QString>> &storedLinks)
{
    // The lists of templates a page may name are read afresh, so that they are what the
    // folders below hold now.
    TemplateLibrary::listTemplates(m_global);
    PageContext context;
    context.global = &m_global;
    context.site = &site;
    context.siteWorkingFolder = workingFolder;
    const ImageOutput::Folders folders = context.imageFolders();
    QStringList values{workingFolder,
                       site.templatePath,
                       folders.userImageFolder,
                       folders.siteImageFolder,
                       folders.cacheFolder,
                       m_cache.year(),
                       QString::number(m_global.previewAreaFlag)};
    for (const PreviewArea &area : std::as_const(m_global.previewAreas))
        values << area.pattern << QString::number(area.on);
    for (const QStringList *list :
         {&m_global.menuTemplates, &m_global.pageTemplates, &m_global.contentTemplates})
        values << QString::number(list->size()) << *list;
    // A category's link from the last page made is stored with it, but every page sets it
    // afresh before reading it: it is not an input. The caller puts the links back.
    for (Category *category : collectCategories(site))
        storedLinks.append({category, std::exchange(category->auxText, QString())});
    const QString &base = site.templatePath;
    QStringList templateFolders{
        base + Document::pageTemplateFolderName(), base + Document::menuTemplateFolderName(),
        base + Document::contentTemplateFolderName(), base + Document::cssFolderName()};
    // Only read until the key is taken: the site's data, and files nothing else writes.
    return std::async(std::launch::async, [&site, values = std::move(values),
                                           templateFolders = std::move(templateFolders)] {
        return AssemblyRecord::runKey(site, values, templateFolders);
    });
}

bool SiteOutput::keepRecordedPage(const PageContext &context, bool isHome)
{
    const AssemblyRecord::Page *kept = m_record->find(m_runKey, context.outputPath);
    if (kept == nullptr)
        return false;
    PageContext replaying = context;
    replaying.trace = nullptr;
    if (!PageAssembly::replay(replaying, kept->trace))
        return false;
    m_handedEntries << SiteFeeds::entryFor(
        *context.page, context.outputPath.mid(context.siteWorkingFolder.size() + 1), isHome);
    m_pageWriter->keep(context.outputPath);
    if (m_linkCheck != nullptr)
        m_linkCheck->addKnownPage(context.outputPath, kept->bytes);
    m_recordedPages.insert(context.outputPath, *kept);
    ++m_statistics.pagesKept;
    return true;
}

void SiteOutput::recordWrittenPages(const QHash<QString, PageKey> &written)
{
    for (auto it = m_assembledTraces.begin(); it != m_assembledTraces.end(); ++it) {
        const auto key = written.constFind(it.key());
        AssemblyRecord::Page page;
        if (key == written.cend() || m_statistics.failedFiles.contains(it.key()) ||
            !AssemblyRecord::stat(it.key(), &page.size, &page.changed))
            continue;
        page.bytes = *key;
        page.trace = std::move(it.value());
        m_recordedPages.insert(it.key(), std::move(page));
    }
    m_assembledTraces.clear();
}

int SiteOutput::generatePage(Site &site, OutputContext &context, const QString &,
                             ObjectChain &chain)
{
    Page *page = nullptr;
    for (velmo::Object *object : chain) {
        if ((page = object_cast<Page>(object)) != nullptr)
            break;
    }
    if (page == nullptr)
        return 0;

    Page *home = findHomePage(site);
    QString homeFileName;
    if (home != nullptr) {
        homeFileName = home->fileName;
        home->fileName = QStringLiteral("index");
        home->outputFlags |= Page::kOutputHomePage;
    }
    const auto *parentClassification = object_cast<Classification>(page->parent());
    const bool isPluginPage = parentClassification != nullptr &&
                              parentClassification->kind == Classification::kKindPlugin;
    QList<ContentGroup *> merged;
    if (!isPluginPage) {
        Classification *plugins = site.classifications.at(1);
        if (plugins != nullptr && plugins->kind == Classification::kKindPlugin) {
            for (Page *plugin : plugins->pages) {
                if (plugin != page && plugin->templateName == page->templateName)
                    mergePluginPage(*page, *plugin, merged);
            }
        }
    }

    const bool recording = m_record != nullptr && m_runSite == &site && m_pageWriter != nullptr;
    const QString workingFolder =
        recording ? m_runWorkingFolder : SitePaths::workingFolder(m_global, site);
    const QString outputPath = SitePaths::pageFile(site, *page, workingFolder);
    AssemblyTrace trace;
    const PageContext pageContext{
        &m_global, &site,         page,           workingFolder,  outputPath,
        &m_cache,  &m_statistics, &m_menuOutputs, m_scaler.get(), recording ? &trace : nullptr};
    int written = 0;
    // A recorded page had its template, and the template folder is as it was then.
    if (recording && !outputPath.isEmpty() && keepRecordedPage(pageContext, page == home)) {
        context.outputPath = outputPath;
        written = 1;
    } else if (outputPath.isEmpty()) {
        report(QStringLiteral("ページ「%1」を出力できません。ファイル名またはフォルダ名が不正です。"
                              "\r\n%2")
                   .arg(page->name, page->fileName));
    } else if (const QString problem = templateProblem(site, *page);
               !problem.isEmpty() && m_runSite == &site) {
        // A whole-site output publishes no empty page for it; the user hears of every such page
        // once the run is over. A preview still shows what there is.
        m_pagesWithoutTemplate << problem;
    } else {
        // A preview without its template looks like a page with nothing on it. Said once for
        // the page shown: the live preview writes it again on every keystroke, and a message
        // each time would make the page impossible to edit. A page left without a template on
        // purpose is not worth a message.
        if (m_runSite != &site) {
            if (!problem.isEmpty() && problem != m_shownTemplateProblem &&
                !page->templateName.isEmpty())
                report(problem);
            m_shownTemplateProblem = problem;
        }
        QString text;
        if (SitePaths::isPlainName(page->templateName))
            text = m_cache.text(site.templatePath + Document::pageTemplateFolderName() + u'/' +
                                    page->templateName,
                                site.templatePath);
        updateLinkPaths(site, workingFolder, outputPath);
        const qsizetype failuresBefore = m_statistics.expansionFailures.size();
        const qsizetype messagesBefore = m_statistics.messages.size();
        const qsizetype writeFailuresBefore = m_statistics.writeFailures.size();
        PageAssembly::assemble(pageContext, text);
        if (m_runSite != &site)
            reportPreviewFailures(failuresBefore);
        if (recording && m_statistics.expansionFailures.size() == failuresBefore &&
            m_statistics.messages.size() == messagesBefore &&
            m_statistics.writeFailures.size() == writeFailuresBefore)
            m_assembledTraces.insert(outputPath, std::move(trace));
        QString reason;
        if (!m_cache.createFolderPath(outputPath, &reason)) {
            m_statistics.noteWriteFailure(outputPath, reason);
        } else if (m_runSite == &site && m_pageWriter != nullptr) {
            // Written while the next page is assembled; counted once the run has them all.
            m_handedEntries << SiteFeeds::entryFor(*page, outputPath.mid(workingFolder.size() + 1),
                                                   page == home);
            m_pageWriter->write(outputPath, std::move(text));
            written = 1;
        } else {
            written = countPage(PageWriter::put(outputPath, text.toUtf8())) ? 1 : 0;
        }
        context.outputPath = outputPath;
    }

    if (home != nullptr) {
        home->outputFlags &= ~Page::kOutputHomePage;
        home->fileName = homeFileName;
    }
    undoPluginMerge(*page, merged);
    // Within a whole-site run nothing else touches the model between two pages: clearing just
    // this chain leaves every mark clear, so the next page need not clear the whole site.
    if (m_runSite == &site) {
        for (velmo::Object *object : chain)
            object->outputMark = 0;
        site.outputMarksClean = true;
    }
    return written;
}

} // namespace velmo::gen
