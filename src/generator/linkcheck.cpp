// The link check of a generated site, with gumbo as the HTML5 parser.
#include "generator/linkcheck.h"

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdlib>
#include <initializer_list>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QReadWriteLock>
#include <QScopeGuard>
#include <QSemaphore>
#include <QThread>
#include <QThreadPool>
#include <QUrl>
#include <QVarLengthArray>
#include <QtConcurrent/QtConcurrentMap>

#include <gumbo.h>
#include <malloc.h>

#include "generator/markupscanner.h"
#include "generator/pagelinkcache.h"
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

// The URLs of a srcset value, read as browsers read it: each candidate is a URL up to white
// space, then descriptors up to a comma outside parentheses. A URL may hold commas itself
// (data: URLs do); only those it ends with separate.
QStringList srcsetUrls(const QString &value)
{
    QStringList urls;
    const qsizetype size = value.size();
    qsizetype at = 0;
    while (at < size) {
        while (at < size && (value.at(at).isSpace() || value.at(at) == u','))
            ++at;
        const qsizetype start = at;
        while (at < size && !value.at(at).isSpace())
            ++at;
        QString url = value.mid(start, at - start);
        if (url.endsWith(u',')) {
            while (url.endsWith(u','))
                url.chop(1);
        } else {
            int parentheses = 0;
            for (; at < size && (parentheses > 0 || value.at(at) != u','); ++at) {
                if (value.at(at) == u'(')
                    ++parentheses;
                else if (value.at(at) == u')' && parentheses > 0)
                    --parentheses;
            }
        }
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

// The fragment exactly as the link writes it.
QString rawFragment(const QString &url)
{
    const qsizetype hash = url.indexOf(u'#');
    return hash < 0 ? QString() : url.mid(hash + 1);
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
    // A page too large to be read: whatever anchor a link asks of it is taken to be there.
    void addUnreadPage(const QString &path) { m_unread.insert(path); }
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
        if (m_unread.contains(page))
            return true;
        // A page that was not among those checked, such as one left from an earlier output.
        const QMutexLocker lock(&m_mutex);
        auto it = m_otherAnchors.find(page);
        if (it == m_otherAnchors.end()) {
            const std::optional<QByteArray> bytes = readTextFileBytes(page);
            // Unread (too large, say): unknown, not missing.
            if (!bytes)
                return true;
            it = m_otherAnchors.insert(page, LinkCheck::extractPageLinks(*bytes).anchors);
        }
        return it->contains(anchor);
    }

private:
    const QString m_root;
    QSet<QString> m_files;
    QSet<QString> m_unread;
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

    // Checks the link at index of file's links.
    void checkLink(const QString &file, const QString &relativeFile, const LinkCheck::Link &link,
                   qsizetype index, LinkCheck::Result &result)
    {
        // The pages of a folder come one after the other, and most of their links are their
        // menus' links, the very same strings at the same places: such a link's outcome is the
        // last page's, without looking its text up. The strings outlive the resolver.
        if (index < m_lastOutcomes.size() && m_lastOutcomes[index].url == link.url.constData() &&
            m_lastOutcomes[index].size == link.url.size()) {
            apply(m_lastOutcomes[index], relativeFile, link, result);
            return;
        }
        Outcome outcome{link.url.constData(), link.url.size(), Outcome::Checked, nullptr};
        const QString url = link.url.trimmed();
        if (isIgnored(url)) {
            outcome.kind = Outcome::Ignored;
        } else if (isExternal(url)) {
            outcome.kind = Outcome::External;
        } else if (url.startsWith(u'#')) {
            // Leads into the page itself: the same text means another place on every page.
            if (index < m_lastOutcomes.size())
                m_lastOutcomes[index] = {};
            const QString reason = reasonFor(file, url);
            if (!reason.isEmpty())
                result.broken.append({relativeFile, link, reason});
            return;
        } else {
            auto it = m_reasons.find(url);
            if (it == m_reasons.end())
                it = m_reasons.emplace(url, reasonFor(file, url)).first;
            outcome.reason = &it->second;
        }
        if (index >= m_lastOutcomes.size())
            m_lastOutcomes.resize(index + 1);
        m_lastOutcomes[index] = outcome;
        apply(outcome, relativeFile, link, result);
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
        if (target.endsWith(u".css", Qt::CaseInsensitive))
            m_linkedStyleSheets.insert(target);
        // An empty fragment and "top" are the top of any page. A browser looks for the fragment
        // as written, then decoded: id="c%20d" is reached by #c%20d.
        if (!fragment.isEmpty() && fragment.compare(u"top", Qt::CaseInsensitive) != 0 &&
            isPage(target) && !m_site.hasAnchor(target, fragment) &&
            !m_site.hasAnchor(target, rawFragment(url)))
            return QStringLiteral("ページに #%1 がありません").arg(fragment);
        return {};
    }

    struct Outcome
    {
        // The link's text, known by where its characters are.
        const QChar *url = nullptr;
        qsizetype size = 0;
        enum Kind { Ignored, External, Checked } kind = Checked;
        // In m_reasons, whose values stay where they are while it only grows.
        const QString *reason = nullptr;
    };

    static void apply(const Outcome &outcome, const QString &relativeFile,
                      const LinkCheck::Link &link, LinkCheck::Result &result)
    {
        if (outcome.kind == Outcome::External)
            result.unchecked.append({relativeFile, link, QStringLiteral("外部リンク")});
        else if (outcome.kind == Outcome::Checked && !outcome.reason->isEmpty())
            result.broken.append({relativeFile, link, *outcome.reason});
    }

    SiteFiles &m_site;
    // std::unordered_map keeps its values in place as it grows; QHash moves them.
    std::unordered_map<QString, QString> m_reasons;
    QList<Outcome> m_lastOutcomes;

public:
    // The style sheets that the links read so far lead to.
    QSet<QString> m_linkedStyleSheets;
};

bool startsWithNoCase(QByteArrayView text, qsizetype at, QByteArrayView word)
{
    return at + word.size() <= text.size() &&
           qstrnicmp(text.data() + at, word.data(), size_t(word.size())) == 0;
}

// What the nesting count needs to know of an element.
struct ElementKind
{
    // Never holds others: opens no level of nesting.
    bool isVoid = false;
    // Its end tag goes through the parser's adoption agency, which may leave a clone open in
    // its place: only closing the element just opened is sure to take a level away.
    bool formatting = false;
    // An end tag of an element opened before it cannot reach past it: the parser ignores such
    // an end tag.
    bool boundary = false;
    // A table's part, whose end tag closes the cells inside it: only a tableBoundary element
    // bounds its reach.
    bool tablePart = false;
    bool tableBoundary = false;
    // Its start tag closes an element of its own kind left open just before it.
    bool closesSibling = false;
    bool cell = false;
    // Its text holds no tags.
    bool rawText = false;
};

ElementKind kindOfElement(std::string_view name)
{
    static const std::unordered_map<std::string_view, ElementKind> known = [] {
        std::unordered_map<std::string_view, ElementKind> kinds;
        const auto mark = [&kinds](std::initializer_list<std::string_view> names,
                                   bool ElementKind::*flag) {
            for (std::string_view element : names)
                kinds[element].*flag = true;
        };
        mark({"area", "base", "br", "col", "embed", "hr", "img", "input", "link", "meta", "param",
              "source", "track", "wbr"},
             &ElementKind::isVoid);
        mark({"a", "b", "big", "code", "em", "font", "i", "nobr", "s", "small", "strike", "strong",
              "tt", "u"},
             &ElementKind::formatting);
        mark({"applet", "caption",  "html",          "table",          "td",    "th",  "marquee",
              "object", "template", "foreignobject", "desc",           "title", "mi",  "mo",
              "mn",     "ms",       "mtext",         "annotation-xml", "svg",   "math"},
             &ElementKind::boundary);
        mark({"table", "tbody", "thead", "tfoot", "tr", "td", "th", "caption", "colgroup"},
             &ElementKind::tablePart);
        mark({"html", "table", "template"}, &ElementKind::tableBoundary);
        mark({"p", "li", "dd", "dt", "option", "tr", "td", "th", "rb", "rt", "rp"},
             &ElementKind::closesSibling);
        mark({"td", "th"}, &ElementKind::cell);
        mark({"script", "style"}, &ElementKind::rawText);
        return kinds;
    }();
    const auto it = known.find(name);
    return it != known.end() ? it->second : ElementKind{};
}

struct NameHash
{
    using is_transparent = void;
    size_t operator()(std::string_view name) const { return std::hash<std::string_view>{}(name); }
};

// The deepest nesting the markup can reach, read from its start and end tags much as the
// parser reads them: an end tag closes only what is open and within its reach, so that one
// that the parser would ignore ("</x>" after "<div>") takes no level away. It may count more
// than the parser builds (elements closed implicitly), and stops counting past limit.
int nestingBound(const QByteArray &html, int limit)
{
    struct Open
    {
        int name;
        bool boundary;
        bool tableBoundary;
    };
    std::vector<Open> stack;
    // Names are told apart by their first kLongestName characters, which no element exceeds.
    constexpr size_t kLongestName = 64;
    std::unordered_map<std::string, int, NameHash, std::equal_to<>> ids;
    std::vector<ElementKind> kinds;
    // For each name, where it stands in the stack; and where the nearest boundaries stand.
    std::vector<std::vector<int>> positions;
    std::vector<int> boundaries;
    std::vector<int> tableBoundaries;
    int deepest = 0;
    const auto pop = [&] {
        const Open &top = stack.back();
        const int at = int(stack.size()) - 1;
        positions[size_t(top.name)].pop_back();
        if (top.boundary && !boundaries.empty() && boundaries.back() == at)
            boundaries.pop_back();
        if (top.tableBoundary && !tableBoundaries.empty() && tableBoundaries.back() == at)
            tableBoundaries.pop_back();
        stack.pop_back();
    };
    const qsizetype size = html.size();
    const char *data = html.constData();
    char buffer[kLongestName];
    for (qsizetype i = 0; i + 1 < size; ++i) {
        if (data[i] != '<')
            continue;
        if (i + 3 < size && data[i + 1] == '!' && data[i + 2] == '-' && data[i + 3] == '-') {
            const qsizetype close = html.indexOf("-->", i + 4);
            i = close < 0 ? size : close + 2;
            continue;
        }
        const bool end = data[i + 1] == '/';
        qsizetype at = i + (end ? 2 : 1);
        if (at >= size || !std::isalpha(static_cast<unsigned char>(data[at])))
            continue;
        size_t length = 0;
        for (; at < size && (std::isalnum(static_cast<unsigned char>(data[at])) ||
                             data[at] == '-' || data[at] == ':');
             ++at) {
            if (length < kLongestName)
                buffer[length++] = char(std::tolower(static_cast<unsigned char>(data[at])));
        }
        const std::string_view name(buffer, length);
        auto found = ids.find(name);
        if (end) {
            if (found == ids.end() || positions[size_t(found->second)].empty())
                continue;
            const int id = found->second;
            if (stack.back().name == id) {
                pop();
                continue;
            }
            const ElementKind &kind = kinds[size_t(id)];
            if (kind.formatting)
                continue;
            const int target = positions[size_t(id)].back();
            const std::vector<int> &bounds = kind.tablePart ? tableBoundaries : boundaries;
            if (!bounds.empty() && bounds.back() > target)
                continue;
            while (int(stack.size()) > target)
                pop();
            continue;
        }
        if (found == ids.end()) {
            found = ids.emplace(std::string(name), int(kinds.size())).first;
            kinds.push_back(kindOfElement(name));
            positions.emplace_back();
        }
        const int id = found->second;
        const ElementKind kind = kinds[size_t(id)];
        if (kind.isVoid)
            continue;
        if (!stack.empty() && kind.closesSibling &&
            (stack.back().name == id || (kind.cell && kinds[size_t(stack.back().name)].cell)))
            pop();
        const int index = int(stack.size());
        stack.push_back({id, kind.boundary, kind.tableBoundary});
        positions[size_t(id)].push_back(index);
        if (kind.boundary)
            boundaries.push_back(index);
        if (kind.tableBoundary)
            tableBoundaries.push_back(index);
        deepest = qMax(deepest, int(stack.size()));
        if (deepest > limit)
            return deepest;
        // Script and style text holds no tags, whatever it looks like, up to its own end tag
        // in any case; without one, to the end of the page.
        if (kind.rawText) {
            const QByteArrayView own(name.data(), qsizetype(name.size()));
            qsizetype close = at;
            while ((close = html.indexOf("</", close)) >= 0 &&
                   !startsWithNoCase(html, close + 2, own))
                close += 2;
            i = close < 0 ? size : close - 1;
        }
    }
    return deepest;
}

} // namespace

namespace {

// Finds line and column of byte offsets in UTF-8 text, walking forward from the last place
// asked for: links come in the order they are written, so a page is walked about once.
class SourceCursor
{
public:
    explicit SourceCursor(QByteArrayView text) : m_text(text) {}

    // Where offset lies. lineHint is the line the parser gave, used only for an offset behind
    // the last one asked for.
    std::pair<int, int> at(qsizetype offset, int lineHint = 0)
    {
        offset = qBound<qsizetype>(0, offset, m_text.size());
        if (offset < m_offset) {
            // Behind (rare): the column from the start of its line.
            qsizetype start = offset;
            while (start > 0 && m_text[start - 1] != '\n' && m_text[start - 1] != '\r')
                --start;
            return {lineHint, columnBetween(start, offset) + 1};
        }
        for (; m_offset < offset; ++m_offset) {
            // A line ends at a line feed, a carriage return or both, as the parser counts.
            const char c = m_text[m_offset];
            if (c == '\r' || (c == '\n' && (m_offset == 0 || m_text[m_offset - 1] != '\r'))) {
                ++m_line;
                m_column = 1;
            } else if (c == '\n') {
                continue;
            } else {
                m_column += units(static_cast<unsigned char>(m_text[m_offset]));
            }
        }
        return {m_line, m_column};
    }

private:
    // One code unit per character, two for those beyond the 16-bit range; none for the bytes
    // that continue a character.
    static int units(unsigned char byte)
    {
        return (byte & 0xC0) == 0x80 ? 0 : byte >= 0xF0 ? 2 : 1;
    }
    int columnBetween(qsizetype from, qsizetype to) const
    {
        int column = 0;
        for (qsizetype i = from; i < to; ++i)
            column += units(static_cast<unsigned char>(m_text[i]));
        return column;
    }

    QByteArrayView m_text;
    qsizetype m_offset = 0;
    int m_line = 1;
    int m_column = 1;
};

bool isCssSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

// The end of the quoted string whose quote is at `at` (one past its closing quote).
qsizetype skipCssString(QByteArrayView css, qsizetype at)
{
    const char quote = css[at];
    qsizetype i = at + 1;
    while (i < css.size() && css[i] != quote && css[i] != '\n') {
        if (css[i] == '\\')
            ++i;
        ++i;
    }
    return qMin(i + 1, css.size());
}

// The addresses of url(…) and @import in CSS, each with its byte offset in css; comments are
// passed over, and strings only looked into after @import.
QList<std::pair<qsizetype, QString>> cssAddresses(QByteArrayView css)
{
    QList<std::pair<qsizetype, QString>> found;
    const qsizetype size = css.size();
    qsizetype i = 0;
    while (i < size) {
        const char c = css[i];
        if (c == '/' && i + 1 < size && css[i + 1] == '*') {
            const qsizetype close = QByteArrayView(css).indexOf("*/", i + 2);
            i = close < 0 ? size : close + 2;
        } else if (c == '"' || c == '\'') {
            i = skipCssString(css, i);
        } else if ((c == 'u' || c == 'U') && startsWithNoCase(css, i, "url(") &&
                   (i == 0 || !(std::isalnum(static_cast<unsigned char>(css[i - 1])) ||
                                css[i - 1] == '-' || css[i - 1] == '_'))) {
            qsizetype begin = i + 4;
            while (begin < size && isCssSpace(css[begin]))
                ++begin;
            qsizetype end;
            if (begin < size && (css[begin] == '"' || css[begin] == '\'')) {
                end = skipCssString(css, begin);
                found.append({begin + 1, QString::fromUtf8(css.sliced(
                                             begin + 1, qMax<qsizetype>(0, end - begin - 2)))});
            } else {
                end = begin;
                while (end < size && css[end] != ')')
                    ++end;
                found.append({begin, QString::fromUtf8(css.sliced(begin, end - begin)).trimmed()});
            }
            i = qMax(end, begin + 1);
        } else if (c == '@' && startsWithNoCase(css, i, "@import")) {
            qsizetype at = i + 7;
            while (at < size && isCssSpace(css[at]))
                ++at;
            // The string form; url(…) is found by the loop like any other.
            if (at < size && (css[at] == '"' || css[at] == '\'')) {
                const qsizetype end = skipCssString(css, at);
                found.append({at + 1, QString::fromUtf8(
                                          css.sliced(at + 1, qMax<qsizetype>(0, end - at - 2)))});
                i = end;
            } else {
                i = at;
            }
        } else {
            ++i;
        }
    }
    return found;
}

// Which attribute of which element holds an address.
enum class AddressKind { None, Url, LocalUrl, Srcset, Css, Refresh };

AddressKind addressKind(GumboTag tag, QByteArrayView name)
{
    switch (name.size()) {
    case 3:
        return name == "src" ? AddressKind::Url : AddressKind::None;
    case 4:
        if (name == "href")
            return AddressKind::Url;
        if (name == "cite")
            return AddressKind::Url;
        if (name == "data")
            return tag == GUMBO_TAG_OBJECT ? AddressKind::Url : AddressKind::None;
        return AddressKind::None;
    case 5:
        return name == "style" ? AddressKind::Css : AddressKind::None;
    case 6:
        if (name == "srcset")
            return AddressKind::Srcset;
        if (name == "poster")
            return AddressKind::Url;
        // A form sends to its action; only one on this site can be checked without sending.
        if (name == "action")
            return tag == GUMBO_TAG_FORM ? AddressKind::LocalUrl : AddressKind::None;
        return AddressKind::None;
    case 7:
        if (name == "content")
            return tag == GUMBO_TAG_META ? AddressKind::Refresh : AddressKind::None;
        return AddressKind::None;
    case 8:
        if (name == "longdesc" || name == "manifest")
            return AddressKind::Url;
        return AddressKind::None;
    case 10:
        if (name == "background" || name == "xlink:href")
            return AddressKind::Url;
        if (name == "formaction")
            return AddressKind::LocalUrl;
        return AddressKind::None;
    case 11:
        return name == "imagesrcset" ? AddressKind::Srcset : AddressKind::None;
    default:
        return AddressKind::None;
    }
}

// What extraction reads of an attribute, from the parser's tree or from the scanner.
struct AttributeRead
{
    QByteArrayView name;
    QByteArrayView value;
    // The value as written, with its quotes.
    QByteArrayView raw;
    qsizetype nameOffset = 0;
    // The line of the name, 0 where it is to be counted.
    int line = 0;
};

const AttributeRead *attributeOf(std::span<const AttributeRead> attributes, QByteArrayView name)
{
    for (const AttributeRead &attribute : attributes) {
        if (attribute.name == name)
            return &attribute;
    }
    return nullptr;
}

// A <link> that names no resource to fetch, only a host to get ready for.
bool isHostHint(std::span<const AttributeRead> attributes)
{
    const AttributeRead *rel = attributeOf(attributes, "rel");
    return rel != nullptr &&
           (rel->value.contains("preconnect") || rel->value.contains("dns-prefetch"));
}

// The target of <meta http-equiv="refresh" content="5; url=…">.
std::optional<QString> refreshTarget(std::span<const AttributeRead> attributes,
                                     const QString &content)
{
    const AttributeRead *equiv = attributeOf(attributes, "http-equiv");
    if (equiv == nullptr || equiv->value.compare("refresh", Qt::CaseInsensitive) != 0)
        return std::nullopt;
    const qsizetype at = content.indexOf(u"url", 0, Qt::CaseInsensitive);
    if (at < 0)
        return std::nullopt;
    QString url = content.mid(at + 3).trimmed();
    if (!url.startsWith(u'='))
        return std::nullopt;
    url = url.mid(1).trimmed();
    if (url.size() >= 2 && (url.front() == u'"' || url.front() == u'\'') &&
        url.back() == url.front())
        url = url.mid(1, url.size() - 2);
    return url;
}

constexpr qsizetype kLongestLinkText = 240;
constexpr int kDeepestLinkText = 32;

// A link's text from what a reader sees in its element (UTF-8) and the alternative text of
// the first picture inside, for a link that shows only a picture.
QString finishLinkText(QByteArray text, const QByteArray *alternative)
{
    text = text.simplified();
    if (text.isEmpty() && alternative != nullptr)
        text = alternative->simplified();
    QString result = QString::fromUtf8(text).simplified();
    if (result.size() > 80)
        result = result.left(79) + u'…';
    return result;
}

// The text a reader sees in node, as UTF-8, up to a line's length; the alternative text of a
// picture inside when there is no other. Bytes first, one string at the end: every link of
// every page passes here.
void collectText(const GumboNode *node, QByteArray &text, std::optional<QByteArray> &alternative,
                 int depth = 0)
{
    if (text.size() > kLongestLinkText || depth > kDeepestLinkText)
        return;
    if (node->type == GUMBO_NODE_TEXT || node->type == GUMBO_NODE_WHITESPACE ||
        node->type == GUMBO_NODE_CDATA) {
        text += node->v.text.text;
        return;
    }
    if (node->type != GUMBO_NODE_ELEMENT)
        return;
    const GumboElement &element = node->v.element;
    if (element.tag == GUMBO_TAG_IMG && !alternative) {
        if (const GumboAttribute *alt = gumbo_get_attribute(&element.attributes, "alt"))
            alternative = QByteArray(alt->value);
    }
    for (unsigned i = 0; i < element.children.length; ++i)
        collectText(static_cast<const GumboNode *>(element.children.data[i]), text, alternative,
                    depth + 1);
}

QString linkText(const GumboNode *node)
{
    QByteArray text;
    std::optional<QByteArray> alternative;
    collectText(node, text, alternative);
    return finishLinkText(std::move(text), alternative ? &*alternative : nullptr);
}

// The text of a link that is not an <a>: a picture's or an area's alternative text.
QString alternativeText(GumboTag tag, std::span<const AttributeRead> attributes)
{
    if (tag != GUMBO_TAG_IMG && tag != GUMBO_TAG_AREA && tag != GUMBO_TAG_INPUT)
        return {};
    const AttributeRead *alt = attributeOf(attributes, "alt");
    return alt != nullptr ? finishLinkText(alt->value.toByteArray(), nullptr) : QString();
}

// Puts a page's links and anchors together, element by element in the page's order, whichever
// reader read them.
class LinkCollector
{
public:
    LinkCollector(const QByteArray &html, LinkCheck::PageLinks &page)
        : m_html(html), m_page(page), m_cursor(html)
    {}

    // The links and anchors of one element; textOf() gives the element's link text, asked for
    // once, when the element has an address.
    template<typename TextOf>
    void readElement(GumboTag tag, std::span<const AttributeRead> attributes, TextOf textOf)
    {
        QString text;
        bool haveText = false;
        for (const AttributeRead &attribute : attributes) {
            // Most attributes of a page (class, alt, title) are passed over without making
            // strings of them.
            const QByteArrayView name = attribute.name;
            if (name == "id" || (name == "name" && tag == GUMBO_TAG_A)) {
                m_page.anchors.insert(QString::fromUtf8(attribute.value));
                continue;
            }
            const AddressKind kind = addressKind(tag, name);
            if (kind == AddressKind::None)
                continue;
            if (kind == AddressKind::Url && tag == GUMBO_TAG_LINK && isHostHint(attributes))
                continue;
            if (!haveText) {
                text = textOf();
                haveText = true;
            }
            QString value = QString::fromUtf8(attribute.value);
            switch (kind) {
            case AddressKind::Url:
                add(attribute, std::move(value), false, text);
                break;
            case AddressKind::LocalUrl:
                if (!isExternal(value.trimmed()))
                    add(attribute, std::move(value), false, text);
                break;
            case AddressKind::Srcset:
                for (QString &url : srcsetUrls(value))
                    add(attribute, std::move(url), true, text);
                break;
            case AddressKind::Css: {
                const QByteArray css = value.toUtf8();
                for (auto &[offset, url] : cssAddresses(css))
                    add(attribute, std::move(url), true, QString());
                break;
            }
            case AddressKind::Refresh:
                if (std::optional<QString> url = refreshTarget(attributes, value))
                    add(attribute, std::move(*url), true, QString());
                break;
            case AddressKind::None:
                break;
            }
        }
    }

    // The addresses in a <style> element's text, as written at offset.
    void readStyle(QByteArrayView css, qsizetype offset, int line)
    {
        for (auto &[inside, url] : cssAddresses(css)) {
            if (m_page.links.size() >= LinkCheck::kMaxLinksPerPage) {
                ++m_page.droppedLinks;
                continue;
            }
            auto [at, column] = m_cursor.at(offset + inside, line);
            m_page.links.append({std::move(url), at, column, {}});
        }
    }

private:
    // Where an address stands: the attribute's place, and inside a value that holds several
    // (srcset, style) the address's own when it is written there as it reads.
    // Addresses of one value come in the order they are written: each is looked for after the
    // one before, so that a value of thousands is searched once, not once for each.
    std::pair<int, int> place(const AttributeRead &attribute, const QString &url)
    {
        qsizetype offset = attribute.nameOffset;
        if (std::exchange(m_searched, attribute.nameOffset) != attribute.nameOffset) {
            m_searchFrom = 0;
            // The scanner gives no lines: a new attribute's name lies ahead of every place
            // asked for before it, and its line is where the cursor gets to.
            m_nameLine =
                attribute.line > 0 ? attribute.line : m_cursor.at(attribute.nameOffset).first;
        }
        if (!url.isEmpty() && attribute.raw.data() != nullptr) {
            const QByteArray bytes = url.toUtf8();
            const qsizetype inside = attribute.raw.indexOf(bytes, m_searchFrom);
            if (inside >= 0) {
                offset = attribute.raw.data() - m_html.constData() + inside;
                m_searchFrom = inside + bytes.size();
            }
        }
        return m_cursor.at(offset, m_nameLine);
    }

    void add(const AttributeRead &attribute, QString url, bool several, const QString &text)
    {
        if (m_page.links.size() >= LinkCheck::kMaxLinksPerPage) {
            ++m_page.droppedLinks;
            return;
        }
        auto [line, column] = place(attribute, several ? url : QString());
        m_page.links.append({std::move(url), line, column, text});
    }

    const QByteArray &m_html;
    LinkCheck::PageLinks &m_page;
    SourceCursor m_cursor;
    qsizetype m_searched = -1;
    qsizetype m_searchFrom = 0;
    int m_nameLine = 0;
};

// Reads a page whose tree is its markup as written (MarkupScanner), collecting the text of each
// <a> as the parser's tree would give it.
class ScannedPage : public MarkupScanner::Handler
{
public:
    ScannedPage(const QByteArray &html, LinkCheck::PageLinks &page)
        : m_page(page), m_collector(html, page)
    {}

    void startElement(int tag, const MarkupScanner::Attributes &scanned) override
    {
        QVarLengthArray<AttributeRead, 8> attributes;
        for (const MarkupScanner::Attribute &attribute : scanned)
            attributes.append(
                {attribute.name, attribute.value, attribute.raw, attribute.nameOffset, 0});
        if (m_depth > 0) {
            // An element inside the <a>, as deep as the parser's tree puts it.
            if (tag == GUMBO_TAG_IMG && !m_alternative && m_depth <= kDeepestLinkText &&
                m_text.size() <= kLongestLinkText) {
                if (const AttributeRead *alt = attributeOf(attributes, "alt"))
                    m_alternative = alt->value.toByteArray();
            }
            ++m_depth;
        }
        const qsizetype first = m_page.links.size();
        bool textWanted = false;
        m_collector.readElement(GumboTag(tag), attributes, [&] {
            textWanted = tag == GUMBO_TAG_A;
            return textWanted ? pendingText() : alternativeText(GumboTag(tag), attributes);
        });
        if (textWanted) {
            m_depth = 1;
            m_first = first;
            m_last = m_page.links.size();
            m_text.clear();
            m_alternative.reset();
        }
    }

    void endElement(int tag) override
    {
        Q_UNUSED(tag);
        if (m_depth > 0 && --m_depth == 0)
            finish();
    }

    bool wantsText() const override { return m_depth > 0; }

    void text(QByteArrayView text) override
    {
        if (m_depth <= kDeepestLinkText && m_text.size() <= kLongestLinkText)
            m_text += text;
    }

    void rawText(int tag, QByteArrayView raw, qsizetype offset) override
    {
        if (tag == GUMBO_TAG_STYLE)
            m_collector.readStyle(raw, offset, 0);
    }

    // An <a> the page leaves open ends with it.
    void finishPage()
    {
        if (m_depth > 0)
            finish();
    }

private:
    // Stands for an <a>'s text until its end: no link text holds a control character, as
    // pages with them are left to the parser.
    static const QString &pendingText()
    {
        static const QString pending(QChar(1));
        return pending;
    }

    void finish()
    {
        m_depth = 0;
        const QString text =
            finishLinkText(std::move(m_text), m_alternative ? &*m_alternative : nullptr);
        // Only the links that take the element's text: a style attribute's url()s have none.
        for (qsizetype i = m_first; i < m_last; ++i) {
            if (m_page.links[i].text == pendingText())
                m_page.links[i].text = text;
        }
        m_text.clear();
    }

    LinkCheck::PageLinks &m_page;
    LinkCollector m_collector;
    // Within an <a> whose links are those from m_first to m_last: how many elements are open
    // from it.
    int m_depth = 0;
    qsizetype m_first = 0;
    qsizetype m_last = 0;
    QByteArray m_text;
    std::optional<QByteArray> m_alternative;
};

// Reads a page with the full HTML5 parser, repairs and all.
LinkCheck::PageLinks parsePageLinks(const QByteArray &html)
{
    LinkCheck::PageLinks page;
    if (nestingBound(html, LinkCheck::kMaxNesting) > LinkCheck::kMaxNesting) {
        page.readable = false;
        return page;
    }
    // Pages are parsed on every core; a large one waits until it can be parsed alone.
    static QReadWriteLock parsing;
    const bool large = html.size() > LinkCheck::kLargePage;
    if (large)
        parsing.lockForWrite();
    else
        parsing.lockForRead();
    const auto unlock = qScopeGuard([] { parsing.unlock(); });
    thread_local ParseArena arena;
    // The arena never reuses what the parser frees on the way (token buffers, vectors that
    // grew): for a large page that doubles what the parse holds, so it goes to malloc instead.
    GumboOptions options = arena.options();
    if (large) {
        options = kGumboDefaultOptions;
        options.max_errors = 0;
    }
    GumboOutput *output = gumbo_parse_with_options(&options, html.constData(), size_t(html.size()));
    // Freed as a whole below, never node by node, unless it came from malloc.
    const auto release = qScopeGuard([&] {
        if (large) {
            gumbo_destroy_output(&options, output);
            // Each thread frees into its own malloc arena, where the next large page, parsed
            // on another thread, would not find it: given back, it is one parse's worth again.
            ::malloc_trim(0);
        } else {
            arena.reset();
        }
    });
    LinkCollector collector(html, page);
    // An explicit stack: a page nested deeper than the call stack allows is still read.
    QList<const GumboNode *> pending{output->root};
    QVarLengthArray<AttributeRead, 8> attributes;
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
        attributes.clear();
        if ((node->parse_flags & kCloned) == 0) {
            for (unsigned i = 0; i < element.attributes.length; ++i) {
                const auto *attribute =
                    static_cast<const GumboAttribute *>(element.attributes.data[i]);
                attributes.append(
                    {QByteArrayView(attribute->name), QByteArrayView(attribute->value),
                     QByteArrayView(attribute->original_value.data,
                                    qsizetype(attribute->original_value.length)),
                     qsizetype(attribute->name_start.offset), int(attribute->name_start.line)});
            }
        }
        collector.readElement(element.tag, attributes, [&] {
            return element.tag == GUMBO_TAG_A ? linkText(node)
                                              : alternativeText(element.tag, attributes);
        });
        if (element.tag == GUMBO_TAG_STYLE) {
            // Its text as written: a style element's content holds no character references.
            for (unsigned i = 0; i < element.children.length; ++i) {
                const auto *child = static_cast<const GumboNode *>(element.children.data[i]);
                if (child->type != GUMBO_NODE_TEXT && child->type != GUMBO_NODE_WHITESPACE)
                    continue;
                const GumboText &css = child->v.text;
                collector.readStyle(
                    QByteArrayView(css.original_text.data, qsizetype(css.original_text.length)),
                    css.original_text.data - html.constData(), int(css.start_pos.line));
            }
            continue;
        }
        // Children in reverse, so that links come out in the page's order.
        for (unsigned i = element.children.length; i > 0; --i)
            pending.append(static_cast<const GumboNode *>(element.children.data[i - 1]));
    }
    return page;
}

} // namespace

std::optional<LinkCheck::PageLinks> LinkCheck::scanPageLinks(const QByteArray &html)
{
    PageLinks page;
    ScannedPage scanned(html, page);
    // The margin leaves pages near the depth limit to the parser, which decides on them.
    if (!MarkupScanner::scan(html, scanned, kMaxNesting - 8))
        return std::nullopt;
    scanned.finishPage();
    return page;
}

LinkCheck::PageLinks LinkCheck::extractPageLinks(const QByteArray &html, Reader reader)
{
    // Pages of one site share their template, and with it what makes the scanner give up:
    // after a run of pages it could not read, it tries only one page in kSkipped, so that a
    // site the parser must read costs what it did.
    constexpr int kRefusedBeforeSkipping = 8;
    constexpr int kSkipped = 32;
    thread_local int refusedInARow = 0;
    thread_local int skipping = 0;
    if (reader == Reader::Any && skipping > 0) {
        --skipping;
    } else if (reader == Reader::Any) {
        // Most pages need none of the parser's repairs: read at a fraction of its cost.
        if (std::optional<PageLinks> page = scanPageLinks(html)) {
            refusedInARow = 0;
            return std::move(*page);
        }
        if (++refusedInARow >= kRefusedBeforeSkipping)
            skipping = kSkipped;
    }
    return parsePageLinks(html);
}

QList<LinkCheck::Link> LinkCheck::extractStyleSheetLinks(const QByteArray &css)
{
    QList<Link> links;
    SourceCursor cursor(css);
    for (auto &[offset, url] : cssAddresses(css)) {
        auto [line, column] = cursor.at(offset);
        links.append({std::move(url), line, column, {}});
    }
    return links;
}

namespace {

// A page's parse, and the key it is kept under when there is a cache.
struct ParsedPage
{
    PageLinkCache::Key key;
    bool fresh = true;
    LinkCheck::PageLinks links;
};

ParsedPage parsePage(const PageLinkCache *cache, const QByteArray &bytes)
{
    ParsedPage page;
    if (cache != nullptr) {
        page.key = PageLinkCache::keyOf(bytes);
        if (std::optional<LinkCheck::PageLinks> known = cache->find(page.key)) {
            page.fresh = false;
            page.links = std::move(*known);
            return page;
        }
    }
    page.links = LinkCheck::extractPageLinks(bytes);
    return page;
}

// A page known by its key, its strings shared with those of the last page this thread took
// from the cache: pages come folder by folder, and those of a folder share their menus.
std::optional<LinkCheck::PageLinks> findKnown(const PageLinkCache &cache,
                                              const PageLinkCache::Key &key)
{
    thread_local QList<LinkCheck::Link> last;
    std::optional<LinkCheck::PageLinks> links = cache.find(key, &last);
    if (links)
        last = links->links;
    return links;
}

} // namespace

// The pages handed over by the output, parsed on a pool of their own so that finish() can wait
// for exactly these.
// The pages of a site repeat the same links, a menu on each of them, in the same order: a
// page shares each string that the page before it has at the same place, which keeps a check
// of ten thousand pages from holding hundreds of thousands of copies at the cost of a
// comparison, where looking every string up in a set cost a fifth of a rebuild.
class SharedStrings
{
public:
    void share(LinkCheck::PageLinks &page)
    {
        page.links.squeeze();
        const QMutexLocker lock(&m_mutex);
        const qsizetype common = qMin(page.links.size(), m_last.size());
        for (qsizetype i = 0; i < common; ++i) {
            LinkCheck::Link &link = page.links[i];
            const LinkCheck::Link &last = m_last.at(i);
            if (link.url == last.url)
                link.url = last.url;
            if (link.text == last.text)
                link.text = last.text;
        }
        m_last = page.links;
    }
    // The pages keep their strings; the next run starts afresh.
    void clear()
    {
        const QMutexLocker lock(&m_mutex);
        m_last.clear();
    }

private:
    QMutex m_mutex;
    QList<LinkCheck::Link> m_last;
};

struct LinkCheck::Added
{
    explicit Added(int pagesAhead) : slots(pagesAhead)
    {
        // The output itself keeps a core busy: one fewer parses beside it.
        pool.setMaxThreadCount(qMax(1, QThread::idealThreadCount() - 1));
    }

    // Numbers a page handed over for cleanPath; known is the key of a page on disk as an
    // earlier run wrote it.
    quint64 handOver(const QString &cleanPath, std::optional<PageLinkCache::Key> known)
    {
        const QMutexLocker lock(&mutex);
        latest.insert(cleanPath, {++handedOver, known});
        return handedOver;
    }
    // Keeps a parse made on the pool and frees the parse's slot.
    void keep(const QString &cleanPath, quint64 order, ParsedPage page)
    {
        {
            const QMutexLocker lock(&pagesMutex);
            keepLocked(cleanPath, order, std::move(page));
        }
        slots.release();
    }
    // An earlier page's parse never replaces a later one's. Whether a later page of the path
    // was handed over but not parsed is left to finish(), which drops such parses: looking it
    // up here would hold the lock the output's thread numbers pages with.
    void keepLocked(const QString &cleanPath, quint64 order, ParsedPage page)
    {
        const auto it = pages.constFind(cleanPath);
        if (it == pages.cend() || it->first < order)
            pages.insert(cleanPath, {order, std::move(page)});
    }

    // Pages on disk as an earlier run wrote them go to the pool in batches: one page is too
    // little work for a task, whose start, end and lock cost the output's thread as much.
    struct Known
    {
        QString cleanPath;
        PageLinkCache::Key key;
        quint64 order = 0;
    };
    static constexpr qsizetype kKnownBatch = 32;
    void startKnownBatch()
    {
        QList<Known> batch = std::exchange(pendingKnown, {});
        // While the parsers are behind, the pages are left for finish().
        if (batch.isEmpty() || !slots.tryAcquire())
            return;
        pool.start([this, batch = std::move(batch), cache = cache] {
            QList<std::pair<const Known *, PageLinks>> found;
            found.reserve(batch.size());
            for (const Known &page : batch) {
                if (std::optional<PageLinks> links = findKnown(*cache, page.key))
                    found.append({&page, std::move(*links)});
            }
            {
                const QMutexLocker lock(&pagesMutex);
                for (auto &[page, links] : found)
                    keepLocked(page->cleanPath, page->order, {page->key, false, std::move(links)});
            }
            slots.release();
        });
    }

    // Pages handed over but not parsed yet.
    QSemaphore slots;
    QMutex mutex;
    // Pages are numbered as they are handed over. A path's parse is good only while it is of
    // the path's latest page: one handed over later but left unparsed must be read instead.
    quint64 handedOver = 0;
    // The number of each path's latest page, and for a page on disk as an earlier run wrote
    // it, the key of its bytes.
    struct Handed
    {
        quint64 order = 0;
        std::optional<PageLinkCache::Key> known;
    };
    QHash<QString, Handed> latest;
    // The parses made on the pool.
    QMutex pagesMutex;
    QHash<QString, std::pair<quint64, ParsedPage>> pages;
    // Known pages not handed to the pool yet; only the thread handing pages over uses it.
    QList<Known> pendingKnown;
    SharedStrings strings;
    // Shared with the parses and the write of the cache, which may outlive a later setting.
    std::shared_ptr<const PageLinkCache> cache;
    // The file set and not read yet.
    QString cacheFile;
    // Last, so that it is destroyed first: its destructor waits for the parses that use the
    // members above.
    QThreadPool pool;
};

LinkCheck::LinkCheck(int pagesAhead) : d(std::make_unique<Added>(pagesAhead)) {}

LinkCheck::~LinkCheck()
{
    d->pool.waitForDone();
}

void LinkCheck::expectPages(qsizetype count)
{
    {
        const QMutexLocker lock(&d->mutex);
        d->latest.reserve(count);
    }
    const QMutexLocker lock(&d->pagesMutex);
    d->pages.reserve(count);
}

void LinkCheck::setCacheFile(const QString &file)
{
    d->cache = nullptr;
    d->cacheFile = file;
}

void LinkCheck::readCacheFile()
{
    // A large site's file takes tens of milliseconds to read.
    if (!d->cacheFile.isEmpty())
        d->cache = std::make_shared<const PageLinkCache>(std::exchange(d->cacheFile, {}));
}

void LinkCheck::addPage(const QString &path, const QByteArray &bytes)
{
    // When the parsers are behind, the page is left to finish(), which reads it again and
    // parses it on every core: the output never waits for the check, and pages do not pile up
    // in memory.
    readCacheFile();
    const QString cleanPath = QDir::cleanPath(path);
    const quint64 order = d->handOver(cleanPath, std::nullopt);
    // A page over the limit is not checked at all (finish() says so).
    if (bytes.size() > kMaxTextFileBytes || !d->slots.tryAcquire())
        return;
    Added *added = d.get();
    d->pool.start([added, cache = d->cache, cleanPath, bytes, order] {
        ParsedPage page = parsePage(cache.get(), bytes);
        added->strings.share(page.links);
        added->keep(cleanPath, order, std::move(page));
    });
}

void LinkCheck::addKnownPage(const QString &path, const PageKey &key)
{
    readCacheFile();
    const QString cleanPath = QDir::cleanPath(path);
    const quint64 order = d->handOver(cleanPath, key);
    // Taken from the cache on a parser's thread while the output goes on, or by finish().
    if (d->cache == nullptr)
        return;
    d->pendingKnown.append({cleanPath, key, order});
    if (d->pendingKnown.size() >= Added::kKnownBatch)
        d->startKnownBatch();
}

LinkCheck::Result LinkCheck::check(const QString &folder, const QStringList &files)
{
    return LinkCheck().finish(folder, files);
}

LinkCheck::Result LinkCheck::finish(const QString &folder, const QStringList &files)
{
    // The last known pages, fewer than a batch, are taken below with the rest.
    d->pendingKnown.clear();
    d->pool.waitForDone();
    readCacheFile();
    QHash<QString, std::pair<quint64, ParsedPage>> added = std::exchange(d->pages, {});
    const std::shared_ptr<const PageLinkCache> cache = d->cache;
    // A parse that finished before a later page of its path was handed over and left unparsed.
    QHash<QString, Added::Handed> latest = std::exchange(d->latest, {});
    added.removeIf([&latest](const auto &entry) {
        return latest.value(entry.key()).order != entry.value().first;
    });

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
        // A page over the size any text file may have: it is there, but not checked.
        bool tooLarge = false;
        PageLinks links;
        // A style sheet's text, to know its copies by.
        QByteArray css;
        PageLinkCache::Key key;
        // Parsed in this run, not found in the cache.
        bool fresh = false;
    };
    QList<Parsed> parsed = QtConcurrent::blockingMapped<QList<Parsed>>(
        sorted, [this, &added, &latest, &cache](const QString &file) {
            Parsed result{file, false, false, false, {}, {}, {}, false};
            const bool page = isPage(file);
            if (page) {
                if (const auto it = added.constFind(file); it != added.cend()) {
                    result.exists = result.read = true;
                    result.links = it->second.links;
                    result.key = it->second.key;
                    result.fresh = it->second.fresh;
                    return result;
                }
                if (const auto it = latest.constFind(file);
                    it != latest.cend() && it->known && cache) {
                    if (std::optional<PageLinks> links = findKnown(*cache, *it->known)) {
                        result.exists = result.read = true;
                        result.links = std::move(*links);
                        result.key = *it->known;
                        return result;
                    }
                }
            } else if (!file.endsWith(u".css", Qt::CaseInsensitive)) {
                result.exists = QFileInfo(file).isFile();
                return result;
            }
            const std::optional<QByteArray> bytes = readTextFileBytes(file);
            if (!bytes) {
                const QFileInfo info(file);
                result.exists = result.tooLarge = info.isFile() && info.size() > kMaxTextFileBytes;
                return result;
            }
            result.exists = result.read = true;
            if (page) {
                ParsedPage parsedPage = parsePage(cache.get(), *bytes);
                d->strings.share(parsedPage.links);
                result.links = std::move(parsedPage.links);
                result.key = parsedPage.key;
                result.fresh = parsedPage.fresh;
            } else {
                result.links.links = extractStyleSheetLinks(*bytes);
                result.css = *bytes;
            }
            return result;
        });

    d->strings.clear();
    // Shared, to be freed with the rest after the check (it holds a mutex).
    auto sitePointer = std::make_shared<SiteFiles>(QDir::cleanPath(folder));
    SiteFiles &site = *sitePointer;
    Result result;
    result.folder = folder;
    // The files of one folder, next to each other in the sorted list, are resolved together.
    QList<std::pair<qsizetype, qsizetype>> folders;
    for (qsizetype i = 0; i < parsed.size(); ++i) {
        Parsed &entry = parsed[i];
        if (entry.exists)
            site.addFile(entry.file);
        if (entry.tooLarge)
            site.addUnreadPage(entry.file);
        if (entry.read && isPage(entry.file)) {
            // Shared, not moved: the cache's write below keeps the page's parse whole.
            site.addAnchors(entry.file, entry.links.anchors);
            ++result.pagesChecked;
        }
        if (folders.isEmpty() ||
            folderOf(parsed[folders.last().first].file) != folderOf(entry.file))
            folders.append({i, i + 1});
        else
            folders.last().second = i + 1;
    }

    struct Found
    {
        Result result;
        QSet<QString> linkedStyleSheets;
    };
    const QList<Found> perFolder = QtConcurrent::blockingMapped<
        QList<Found>>(folders, [&parsed, &site](const std::pair<qsizetype, qsizetype> &range) {
        Found found;
        FolderResolver resolver(site);
        for (qsizetype i = range.first; i < range.second; ++i) {
            const Parsed &entry = parsed.at(i);
            const QString relativeFile = site.relative(entry.file);
            if (entry.tooLarge)
                found.result.broken.append(
                    {relativeFile,
                     {},
                     QStringLiteral("%1 MB を超えるため、このファイルのリンクは確認していません")
                         .arg(kMaxTextFileBytes / (1024 * 1024))});
            if (!entry.read)
                continue;
            if (!entry.links.readable)
                found.result.broken.append(
                    {relativeFile, {}, QStringLiteral("要素の入れ子が深すぎるため確認できません")});
            if (entry.links.droppedLinks > 0)
                found.result.broken.append(
                    {relativeFile,
                     {},
                     QStringLiteral("リンクが多すぎるため、最初の %1 件だけ確認しました"
                                    "（残り %2 件は確認していません）")
                         .arg(kMaxLinksPerPage)
                         .arg(entry.links.droppedLinks)});
            for (qsizetype k = 0; k < entry.links.links.size(); ++k)
                resolver.checkLink(entry.file, relativeFile, entry.links.links[k], k, found.result);
        }
        found.linkedStyleSheets = std::move(resolver.m_linkedStyleSheets);
        return found;
    });
    QSet<QString> linked;
    for (const Found &found : perFolder)
        linked.unite(found.linkedStyleSheets);

    // A style sheet published twice with the same text in one folder (the template's sheet and
    // the style.css made from it) has the same faults twice: they are reported for the copy
    // the pages link to, else for the first.
    QHash<std::pair<QString, QByteArray>, QStringList> copies;
    for (const Parsed &entry : std::as_const(parsed)) {
        if (!entry.css.isEmpty())
            copies[{folderOf(entry.file), entry.css}].append(entry.file);
    }
    QSet<QString> repeated;
    for (const QStringList &same : std::as_const(copies)) {
        if (same.size() < 2)
            continue;
        const auto kept = std::find_if(same.cbegin(), same.cend(), [&linked](const QString &file) {
            return linked.contains(file);
        });
        const QString &reported = kept != same.cend() ? *kept : same.first();
        for (const QString &file : same) {
            if (file != reported)
                repeated.insert(site.relative(file));
        }
    }
    for (const Found &found : perFolder) {
        for (const Broken &broken : found.result.broken) {
            if (!repeated.contains(broken.file))
                result.broken.append(broken);
        }
        for (const Broken &external : found.result.unchecked) {
            if (!repeated.contains(external.file))
                result.unchecked.append(external);
        }
    }
    // Written while the caller goes on (publishing, the report); the destructor and the next
    // finish() wait for it. What the check built is freed there too: a large site's parses
    // take longer to free than to resolve.
    d->pool.start([cache, parsed = std::move(parsed), added = std::move(added),
                   latest = std::move(latest), site = std::move(sitePointer)]() mutable {
        if (cache != nullptr) {
            QList<PageLinkCache::Entry> entries;
            entries.reserve(parsed.size());
            for (const Parsed &entry : parsed) {
                if (entry.read && isPage(entry.file))
                    entries.append({entry.key, entry.fresh ? &entry.links : nullptr});
            }
            cache->save(entries);
        }
        site.reset();
        added.clear();
        latest.clear();
        parsed.clear();
    });
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
