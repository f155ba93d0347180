// The link check of a generated site, with gumbo as the HTML5 parser.
#include "generator/linkcheck.h"

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdlib>
#include <optional>
#include <utility>
#include <vector>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QScopeGuard>
#include <QSemaphore>
#include <QThread>
#include <QThreadPool>
#include <QUrl>
#include <QtConcurrent/QtConcurrentMap>

#include <gumbo.h>

#include "model/fileutil.h"

namespace velmo::gen {

namespace {

// The parser's memory for one page at a time: it makes many small allocations that all live
// until the page is done, so a bump allocator reset after each page replaces most of the
// parse's work in malloc and free. One per thread, as pages are parsed on every core.
class ParseArena
{
public:
    ParseArena() = default;
    ParseArena(const ParseArena &) = delete;
    ParseArena &operator=(const ParseArena &) = delete;
    ~ParseArena()
    {
        reset();
        std::free(m_first);
    }

    GumboOptions options()
    {
        GumboOptions options = kGumboDefaultOptions;
        options.allocator = &ParseArena::allocate;
        options.deallocator = [](void *, void *) {};
        options.userdata = this;
        // Parse errors are of no use to the check; recording them costs allocations.
        options.max_errors = 0;
        return options;
    }

    // Frees what the last page needed beyond the first block, which is kept for the next page.
    void reset()
    {
        for (void *block : m_extra)
            std::free(block);
        m_extra.clear();
        m_current = m_first;
        m_used = 0;
        m_capacity = m_first != nullptr ? kBlockBytes : 0;
    }

private:
    static constexpr size_t kBlockBytes = size_t(1) << 20;
    static constexpr size_t kAlignment = alignof(std::max_align_t);

    static void *allocate(void *userdata, size_t size)
    {
        return static_cast<ParseArena *>(userdata)->take(size);
    }

    void *take(size_t size)
    {
        size = (size + kAlignment - 1) & ~(kAlignment - 1);
        if (size > kBlockBytes / 4) {
            // Large buffers (a long text run) get a block of their own.
            void *block = std::malloc(size);
            if (block == nullptr)
                qFatal("out of memory while parsing a page");
            m_extra.push_back(block);
            return block;
        }
        if (m_used + size > m_capacity) {
            void *block = std::malloc(kBlockBytes);
            if (block == nullptr)
                qFatal("out of memory while parsing a page");
            if (m_first == nullptr)
                m_first = block;
            else
                m_extra.push_back(block);
            m_current = block;
            m_used = 0;
            m_capacity = kBlockBytes;
        }
        void *result = static_cast<char *>(m_current) + m_used;
        m_used += size;
        return result;
    }

    void *m_first = nullptr;
    void *m_current = nullptr;
    size_t m_used = 0;
    size_t m_capacity = 0;
    std::vector<void *> m_extra;
};

QString fromPiece(const char *text)
{
    return text != nullptr ? QString::fromUtf8(text) : QString();
}

// The URLs of a srcset value: each candidate is a URL followed by an optional descriptor.
QStringList srcsetUrls(const QString &value)
{
    QStringList urls;
    const QStringList candidates = value.split(u',', Qt::SkipEmptyParts);
    for (const QString &candidate : candidates) {
        const QString url = candidate.trimmed().section(u' ', 0, 0);
        if (!url.isEmpty())
            urls << url;
    }
    return urls;
}

bool isExternal(QStringView url)
{
    return url.startsWith(u"http://", Qt::CaseInsensitive) ||
           url.startsWith(u"https://", Qt::CaseInsensitive) ||
           url.startsWith(u"mailto:", Qt::CaseInsensitive) || url.startsWith(u"//");
}

// Links that name no file to check: scripts, inline data, telephone numbers and the like.
bool isIgnored(QStringView url)
{
    if (url.isEmpty())
        return true;
    const qsizetype colon = url.indexOf(u':');
    if (colon <= 0)
        return false;
    const qsizetype slash = url.indexOf(u'/');
    // A scheme comes before any "/"; "a:b/c" is a scheme, "a/b:c" a relative path.
    return (slash < 0 || colon < slash) && !isExternal(url);
}

bool isPage(const QString &path)
{
    return path.endsWith(u".html", Qt::CaseInsensitive) ||
           path.endsWith(u".htm", Qt::CaseInsensitive);
}

QString folderOf(const QString &file)
{
    return file.left(file.lastIndexOf(u'/'));
}

// What the files of the output are known to hold, shared by the threads that resolve links:
// filled while pages are parsed, read-only afterwards, apart from the few paths outside the
// output that are looked up on the way, under a lock.
class SiteFiles
{
public:
    explicit SiteFiles(QString root) : m_root(std::move(root)) {}

    const QString &root() const { return m_root; }
    QString relative(const QString &path) const
    {
        if (path.size() > m_root.size() && path.startsWith(m_root) &&
            path.at(m_root.size()) == u'/')
            return path.sliced(m_root.size() + 1);
        return QDir(m_root).relativeFilePath(path);
    }

    void addFile(const QString &path) { m_files.insert(path); }
    void addAnchors(const QString &page, QSet<QString> anchors)
    {
        m_anchors.insert(page, std::move(anchors));
    }

    bool isFile(const QString &path)
    {
        if (m_files.contains(path))
            return true;
        const QMutexLocker lock(&m_mutex);
        auto it = m_otherFiles.find(path);
        if (it == m_otherFiles.end())
            it = m_otherFiles.insert(path, QFileInfo(path).isFile());
        return *it;
    }

    bool hasAnchor(const QString &page, const QString &anchor)
    {
        if (const auto it = m_anchors.constFind(page); it != m_anchors.cend())
            return it->contains(anchor);
        // A page that was not among those checked, such as one left from an earlier output.
        const QMutexLocker lock(&m_mutex);
        auto it = m_otherAnchors.find(page);
        if (it == m_otherAnchors.end()) {
            const std::optional<QByteArray> bytes = readTextFileBytes(page);
            it = m_otherAnchors.insert(page, bytes ? LinkCheck::extractPageLinks(*bytes).anchors
                                                   : QSet<QString>());
        }
        return it->contains(anchor);
    }

private:
    const QString m_root;
    QSet<QString> m_files;
    QHash<QString, QSet<QString>> m_anchors;
    QMutex m_mutex;
    QHash<QString, bool> m_otherFiles;
    QHash<QString, QSet<QString>> m_otherAnchors;
};

// Resolves the links of the files of one folder. Every page of a folder carries the same menu
// links: each is resolved once per folder.
class FolderResolver
{
public:
    explicit FolderResolver(SiteFiles &site) : m_site(site) {}

    void checkLink(const QString &file, const QString &relativeFile, const LinkCheck::Link &link,
                   LinkCheck::Result &result)
    {
        const QString url = link.url.trimmed();
        if (isIgnored(url))
            return;
        if (isExternal(url)) {
            result.unchecked.append({relativeFile, link, QStringLiteral("外部リンク")});
            return;
        }
        QString reason;
        if (url.startsWith(u'#')) {
            // Leads into the page itself: the same text means another place on every page.
            reason = reasonFor(file, url);
        } else {
            auto it = m_reasons.find(url);
            if (it == m_reasons.end())
                it = m_reasons.insert(url, reasonFor(file, url));
            reason = *it;
        }
        if (!reason.isEmpty())
            result.broken.append({relativeFile, link, reason});
    }

private:
    // Why url leads nowhere from file; empty when it leads somewhere.
    QString reasonFor(const QString &file, const QString &url)
    {
        const QString &root = m_site.root();
        const QUrl parsed(url);
        const QString fragment = parsed.fragment(QUrl::FullyDecoded);
        const QString path = parsed.path(QUrl::FullyDecoded);
        QString target;
        if (path.isEmpty())
            target = file;
        else if (path.startsWith(u'/'))
            target = QDir::cleanPath(root + path);
        else
            target = QDir::cleanPath(folderOf(file) + u'/' + path);
        if (path.endsWith(u'/') || (!m_site.isFile(target) && QFileInfo(target).isDir()))
            target += QStringLiteral("/index.html");
        if (target != root && !target.startsWith(root + u'/'))
            return QStringLiteral("サイトの外を指しています");
        if (!m_site.isFile(target))
            return QStringLiteral("ファイルがありません");
        if (!fragment.isEmpty() && isPage(target) && !m_site.hasAnchor(target, fragment))
            return QStringLiteral("ページに #%1 がありません").arg(fragment);
        return {};
    }

    SiteFiles &m_site;
    QHash<QString, QString> m_reasons;
};

// Elements that never hold others: they open no level of nesting.
bool isVoidElement(QByteArrayView name)
{
    static const QByteArrayView kVoid[] = {"area",  "base",   "br",    "col",  "embed",
                                           "hr",    "img",    "input", "link", "meta",
                                           "param", "source", "track", "wbr"};
    for (QByteArrayView element : kVoid) {
        if (name.size() == element.size() &&
            qstrnicmp(name.data(), element.data(), size_t(name.size())) == 0)
            return true;
    }
    return false;
}

// The deepest nesting the markup can reach, counted from its start and end tags; it may count
// more than a parser builds (unclosed elements), never less.
int nestingBound(const QByteArray &html)
{
    int depth = 0;
    int deepest = 0;
    const qsizetype size = html.size();
    for (qsizetype i = 0; i + 1 < size; ++i) {
        if (html.at(i) != '<')
            continue;
        const char next = html.at(i + 1);
        if (next == '/') {
            depth = qMax(0, depth - 1);
            continue;
        }
        if (!std::isalpha(static_cast<unsigned char>(next)))
            continue;
        qsizetype end = i + 1;
        while (end < size && std::isalnum(static_cast<unsigned char>(html.at(end))))
            ++end;
        if (isVoidElement(QByteArrayView(html).sliced(i + 1, end - i - 1)))
            continue;
        deepest = qMax(deepest, ++depth);
    }
    return deepest;
}

} // namespace

LinkCheck::PageLinks LinkCheck::extractPageLinks(const QByteArray &html)
{
    PageLinks page;
    if (nestingBound(html) > kMaxNesting) {
        page.readable = false;
        return page;
    }
    thread_local ParseArena arena;
    const GumboOptions options = arena.options();
    // Freed as a whole below, never node by node.
    const auto release = qScopeGuard([] { arena.reset(); });
    GumboOutput *output = gumbo_parse_with_options(&options, html.constData(), size_t(html.size()));
    // An explicit stack: a page nested deeper than the call stack allows is still read.
    QList<const GumboNode *> pending{output->root};
    while (!pending.isEmpty()) {
        const GumboNode *node = pending.takeLast();
        if (node->type != GUMBO_NODE_ELEMENT && node->type != GUMBO_NODE_TEMPLATE)
            continue;
        const GumboElement &element = node->v.element;
        // The parser repairs misnested markup as browsers do, cloning an open <a> into the
        // elements that follow while the original stays where it was: one link in the source,
        // one entry in the list.
        constexpr unsigned kCloned = GUMBO_INSERTION_RECONSTRUCTED_FORMATTING_ELEMENT |
                                     GUMBO_INSERTION_ADOPTION_AGENCY_CLONED;
        const unsigned attributes =
            (node->parse_flags & kCloned) != 0 ? 0 : element.attributes.length;
        for (unsigned i = 0; i < attributes; ++i) {
            const auto *attribute = static_cast<const GumboAttribute *>(element.attributes.data[i]);
            // Only these five matter; most attributes of a page (class, style, alt) are passed
            // over without making strings of them.
            const QByteArrayView name(attribute->name);
            const bool link = name == "href" || name == "src";
            const bool srcset = !link && name == "srcset";
            const bool anchor = !link && !srcset && (name == "id" || name == "name");
            if (!link && !srcset && !anchor)
                continue;
            const QString value = fromPiece(attribute->value);
            // The name's position: the parser leaves the value's unset for an attribute written
            // without one ("<a href>").
            const int line = int(attribute->name_start.line);
            if (link) {
                page.links.append({value, line});
            } else if (srcset) {
                for (const QString &url : srcsetUrls(value))
                    page.links.append({url, line});
            } else {
                page.anchors.insert(value);
            }
        }
        // Children in reverse, so that links come out in the page's order.
        for (unsigned i = element.children.length; i > 0; --i)
            pending.append(static_cast<const GumboNode *>(element.children.data[i - 1]));
    }
    return page;
}

QList<LinkCheck::Link> LinkCheck::extractStyleSheetLinks(const QString &css)
{
    QList<Link> links;
    int line = 1;
    qsizetype lineStart = 0;
    for (qsizetype at = css.indexOf(u"url(", 0, Qt::CaseInsensitive); at >= 0;
         at = css.indexOf(u"url(", at + 4, Qt::CaseInsensitive)) {
        line += int(css.mid(lineStart, at - lineStart).count(u'\n'));
        lineStart = at;
        qsizetype begin = at + 4;
        while (begin < css.size() && css.at(begin).isSpace())
            ++begin;
        if (begin >= css.size())
            break;
        const QChar quote = css.at(begin);
        qsizetype end;
        if (quote == u'"' || quote == u'\'') {
            end = css.indexOf(quote, begin + 1);
            ++begin;
        } else {
            end = css.indexOf(u')', begin);
        }
        if (end < 0)
            break;
        links.append({css.mid(begin, end - begin).trimmed(), line});
    }
    return links;
}

// The pages handed over by the output, parsed on a pool of their own so that finish() can wait
// for exactly these.
struct LinkCheck::Added
{
    explicit Added(int pagesAhead) : slots(pagesAhead)
    {
        // The output itself keeps a core busy: one fewer parses beside it.
        pool.setMaxThreadCount(qMax(1, QThread::idealThreadCount() - 1));
    }

    // Pages handed over but not parsed yet.
    QSemaphore slots;
    QMutex mutex;
    // Pages are numbered as they are handed over. A path's parse is good only while it is of
    // the path's latest page: one handed over later but left unparsed must be read instead.
    quint64 handedOver = 0;
    QHash<QString, quint64> latest;
    QHash<QString, std::pair<quint64, PageLinks>> pages;
    // Last, so that it is destroyed first: its destructor waits for the parses that use the
    // members above.
    QThreadPool pool;
};

LinkCheck::LinkCheck(int pagesAhead) : d(std::make_unique<Added>(pagesAhead)) {}

LinkCheck::~LinkCheck()
{
    d->pool.waitForDone();
}

void LinkCheck::addPage(const QString &path, const QByteArray &bytes)
{
    // When the parsers are behind, the page is left to finish(), which reads it again and
    // parses it on every core: the output never waits for the check, and pages do not pile up
    // in memory.
    const QString cleanPath = QDir::cleanPath(path);
    quint64 order = 0;
    {
        const QMutexLocker lock(&d->mutex);
        order = ++d->handedOver;
        d->latest.insert(cleanPath, order);
    }
    if (!d->slots.tryAcquire())
        return;
    Added *added = d.get();
    d->pool.start([added, cleanPath, bytes, order] {
        PageLinks links = extractPageLinks(bytes);
        {
            const QMutexLocker lock(&added->mutex);
            if (added->latest.value(cleanPath) == order)
                added->pages.insert(cleanPath, {order, std::move(links)});
        }
        added->slots.release();
    });
}

LinkCheck::Result LinkCheck::check(const QString &folder, const QStringList &files)
{
    return LinkCheck().finish(folder, files);
}

LinkCheck::Result LinkCheck::finish(const QString &folder, const QStringList &files)
{
    d->pool.waitForDone();
    QHash<QString, std::pair<quint64, PageLinks>> added = std::exchange(d->pages, {});
    // A parse that finished before a later page of its path was handed over and left unparsed.
    const QHash<QString, quint64> latest = std::exchange(d->latest, {});
    added.removeIf(
        [&latest](const auto &entry) { return latest.value(entry.key()) != entry.value().first; });

    QStringList sorted;
    sorted.reserve(files.size());
    for (const QString &file : files)
        sorted << QDir::cleanPath(file);
    sorted.sort();
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());

    // Every page is read and parsed once, on every core, before any link is followed: a link's
    // anchor is then looked up among what is already known. Other files are only looked at.
    struct Parsed
    {
        QString file;
        bool exists = false;
        bool read = false;
        PageLinks links;
    };
    QList<Parsed> parsed =
        QtConcurrent::blockingMapped<QList<Parsed>>(sorted, [&added](const QString &file) {
            Parsed result{file, false, false, {}};
            const bool page = isPage(file);
            if (page) {
                if (const auto it = added.constFind(file); it != added.cend()) {
                    result.exists = result.read = true;
                    result.links = it->second;
                    return result;
                }
            } else if (!file.endsWith(u".css", Qt::CaseInsensitive)) {
                result.exists = QFileInfo(file).isFile();
                return result;
            }
            const std::optional<QByteArray> bytes = readTextFileBytes(file);
            if (!bytes)
                return result;
            result.exists = result.read = true;
            if (page)
                result.links = extractPageLinks(*bytes);
            else
                result.links.links = extractStyleSheetLinks(QString::fromUtf8(*bytes));
            return result;
        });

    SiteFiles site(QDir::cleanPath(folder));
    Result result;
    result.folder = folder;
    // The files of one folder, next to each other in the sorted list, are resolved together.
    QList<std::pair<qsizetype, qsizetype>> folders;
    for (qsizetype i = 0; i < parsed.size(); ++i) {
        Parsed &entry = parsed[i];
        if (entry.exists)
            site.addFile(entry.file);
        if (entry.read && isPage(entry.file)) {
            site.addAnchors(entry.file, std::exchange(entry.links.anchors, {}));
            ++result.pagesChecked;
        }
        if (folders.isEmpty() ||
            folderOf(parsed[folders.last().first].file) != folderOf(entry.file))
            folders.append({i, i + 1});
        else
            folders.last().second = i + 1;
    }

    const QList<Result> perFolder = QtConcurrent::blockingMapped<QList<Result>>(
        folders, [&parsed, &site](const std::pair<qsizetype, qsizetype> &range) {
            Result found;
            FolderResolver resolver(site);
            for (qsizetype i = range.first; i < range.second; ++i) {
                const Parsed &entry = parsed.at(i);
                if (!entry.read)
                    continue;
                const QString relativeFile = site.relative(entry.file);
                if (!entry.links.readable)
                    found.broken.append(
                        {relativeFile,
                         {},
                         QStringLiteral("要素の入れ子が深すぎるため確認できません")});
                for (const Link &link : entry.links.links)
                    resolver.checkLink(entry.file, relativeFile, link, found);
            }
            return found;
        });
    for (const Result &found : perFolder) {
        result.broken += found.broken;
        result.unchecked += found.unchecked;
    }
    return result;
}

LinkCheck::Result LinkCheck::checkFolder(const QString &folder)
{
    QStringList files;
    QDirIterator it(folder,
                    {QStringLiteral("*.html"), QStringLiteral("*.htm"), QStringLiteral("*.css")},
                    QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << it.next();
    return check(folder, files);
}

} // namespace velmo::gen
