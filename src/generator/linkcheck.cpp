// The link check of a generated site, with gumbo as the HTML5 parser.
#include "generator/linkcheck.h"

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
#include <QScopeGuard>
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

bool isExternal(const QString &url)
{
    const QString lower = url.left(8).toLower();
    return lower.startsWith(u"http://") || lower.startsWith(u"https://") ||
           lower.startsWith(u"mailto:") || url.startsWith(u"//");
}

// Links that name no file to check: scripts, inline data, telephone numbers and the like.
bool isIgnored(const QString &url)
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

struct Checker
{
    QString root;
    QHash<QString, QSet<QString>> anchorsOf;
    // Most links of a site are its menus, the same few files from every page: each is looked
    // up once.
    QHash<QString, bool> isFile;
    LinkCheck::Result result;

    bool fileExists(const QString &path)
    {
        auto it = isFile.find(path);
        if (it == isFile.end())
            it = isFile.insert(path, QFileInfo(path).isFile());
        return *it;
    }

    QString relative(const QString &path) const { return QDir(root).relativeFilePath(path); }

    const QSet<QString> *anchors(const QString &page)
    {
        auto it = anchorsOf.find(page);
        if (it == anchorsOf.end()) {
            const std::optional<QByteArray> bytes = readTextFileBytes(page);
            it = anchorsOf.insert(page, bytes ? LinkCheck::extractPageLinks(*bytes).anchors
                                              : QSet<QString>());
        }
        return &*it;
    }

    // Why url leads nowhere from file; empty when it leads somewhere. Depends on the file's
    // folder only, unless url is a bare #anchor.
    QString reasonFor(const QString &file, const QString &url)
    {
        const QUrl parsed(url);
        const QString fragment = parsed.fragment(QUrl::FullyDecoded);
        QString path = parsed.path(QUrl::FullyDecoded);
        QString target;
        if (path.isEmpty())
            target = file;
        else if (path.startsWith(u'/'))
            target = QDir::cleanPath(root + path);
        else
            target = QDir::cleanPath(QFileInfo(file).absolutePath() + u'/' + path);
        if (path.endsWith(u'/') || (!fileExists(target) && QFileInfo(target).isDir()))
            target += QStringLiteral("/index.html");
        if (target != root && !target.startsWith(root + u'/'))
            return QStringLiteral("サイトの外を指しています");
        if (!fileExists(target))
            return QStringLiteral("ファイルがありません");
        if (!fragment.isEmpty() && isPage(target) && !anchors(target)->contains(fragment))
            return QStringLiteral("ページに #%1 がありません").arg(fragment);
        return {};
    }

    void checkLink(const QString &file, const LinkCheck::Link &link)
    {
        const QString url = link.url.trimmed();
        if (isIgnored(url))
            return;
        if (isExternal(url)) {
            result.unchecked.append({relative(file), link, QStringLiteral("外部リンク")});
            return;
        }
        // Every page of a folder carries the same menu links: each is resolved once.
        const QString key =
            (url.startsWith(u'#') ? file : file.left(file.lastIndexOf(u'/'))) + u'\n' + url;
        auto it = reasons.find(key);
        if (it == reasons.end())
            it = reasons.insert(key, reasonFor(file, url));
        if (!it->isEmpty())
            result.broken.append({relative(file), link, *it});
    }

    QHash<QString, QString> reasons;
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
    // The parser repairs misnested markup as browsers do, cloning an open <a> into the
    // elements that follow: one link in the source, one entry in the list.
    QSet<std::pair<QString, int>> seen;
    const auto add = [&](const QString &url, int line) {
        if (!seen.contains({url, line})) {
            seen.insert({url, line});
            page.links.append({url, line});
        }
    };
    while (!pending.isEmpty()) {
        const GumboNode *node = pending.takeLast();
        if (node->type != GUMBO_NODE_ELEMENT && node->type != GUMBO_NODE_TEMPLATE)
            continue;
        const GumboElement &element = node->v.element;
        for (unsigned i = 0; i < element.attributes.length; ++i) {
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
                add(value, line);
            } else if (srcset) {
                for (const QString &url : srcsetUrls(value))
                    add(url, line);
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

LinkCheck::Result LinkCheck::check(const QString &folder, const QStringList &files)
{
    Checker checker{QDir::cleanPath(folder), {}, {}, {}, {}};
    QStringList sorted;
    for (const QString &file : files)
        sorted << QDir::cleanPath(file);
    sorted.sort();
    // Every page is read and parsed once, on every core, before any link is followed: a
    // link's anchor is then looked up among what is already known.
    struct Parsed
    {
        QString file;
        bool page = false;
        bool read = false;
        PageLinks links;
    };
    QStringList candidates;
    for (const QString &file : std::as_const(sorted)) {
        if (isPage(file) || file.endsWith(u".css", Qt::CaseInsensitive))
            candidates << file;
    }
    const QList<Parsed> parsed =
        QtConcurrent::blockingMapped<QList<Parsed>>(candidates, [](const QString &file) {
            Parsed result{file, isPage(file), false, {}};
            const std::optional<QByteArray> bytes = readTextFileBytes(file);
            if (!bytes)
                return result;
            result.read = true;
            if (result.page)
                result.links = extractPageLinks(*bytes);
            else
                result.links.links = extractStyleSheetLinks(QString::fromUtf8(*bytes));
            return result;
        });
    QList<std::pair<QString, QList<Link>>> linksOf;
    for (const Parsed &entry : parsed) {
        if (!entry.read)
            continue;
        if (entry.page) {
            if (!entry.links.readable)
                checker.result.broken.append(
                    {checker.relative(entry.file),
                     {},
                     QStringLiteral("要素の入れ子が深すぎるため確認できません")});
            checker.anchorsOf.insert(entry.file, entry.links.anchors);
            ++checker.result.pagesChecked;
        }
        linksOf.append({entry.file, entry.links.links});
    }
    for (const auto &[file, links] : std::as_const(linksOf)) {
        for (const Link &link : links)
            checker.checkLink(file, link);
    }
    return checker.result;
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
