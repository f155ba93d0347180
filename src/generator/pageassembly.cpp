// Page assembly.
#include "generator/pageassembly.h"

#include <QFileInfo>

#include "generator/assemblytrace.h"
#include "generator/htmlcontext.h"
#include "generator/imageoutput.h"
#include "generator/markedtext.h"
#include "generator/outputstatistics.h"
#include "generator/pagecontext.h"
#include "generator/previewareas.h"
#include "generator/sitefeeds.h"
#include "generator/sitepaths.h"
#include "generator/templatecache.h"
#include "generator/templateexpansion.h"
#include "generator/wildcardmatcher.h"
#include "model/category.h"
#include "model/document.h"
#include "model/fileutil.h"
#include "model/page.h"
#include "model/site.h"

namespace velmo::gen {

namespace {

bool isOn(const PageContext &context, const QString &pattern)
{
    return PreviewAreas::isMarkerOn(*context.global, pattern) != 0;
}

// Copies the site's style sheet to css/style.css of the working folder (an empty one when the
// template has none), once per run, and returns where it goes.
QString copyStyleSheet(const PageContext &context)
{
    const QString target = context.siteWorkingFolder + QStringLiteral("/css/style.css");
    if (context.trace != nullptr)
        context.trace->styleSheet = true;
    // Every page of a run copies the same style sheet: once is enough.
    if (context.cache == nullptr || context.cache->claimOnce(target)) {
        const QString &name = context.site->mainCss;
        const QString source = context.site->templatePath + Document::cssFolderName() + u'/' + name;
        QString css;
        QString problem;
        // The same check as the copy of css/<mainCss>: a document must not make output read,
        // and publish, a file outside the template's css folder.
        if (!SitePaths::isPlainName(name)) {
            problem = QStringLiteral("テンプレートの css フォルダの外を指しています。");
        } else if (const QFileInfo info(source); !info.exists()) {
            problem = QStringLiteral("テンプレートの css フォルダにありません。");
        } else if (!resolvesInside(source, context.site->templatePath)) {
            problem = QStringLiteral("テンプレートのフォルダの外へのリンクです。");
        } else if (!info.isFile()) {
            problem = QStringLiteral("通常のファイルではありません。");
        } else if (const std::optional<QString> read = readTextFile(source)) {
            css = *read;
        } else {
            problem = QStringLiteral("読み込めません。");
        }
        // Said once for as long as it stays so: previews write the style sheet on every pause
        // in typing. A site that names no style sheet has nothing to say.
        if (name.isEmpty())
            problem.clear();
        if (context.statistics != nullptr && problem != context.statistics->styleSheetProblem) {
            context.statistics->styleSheetProblem = problem;
            if (!problem.isEmpty())
                context.report(QStringLiteral("スタイルシート「%1」を使えません。%2\r\n"
                                              "ページは空の style.css にリンクしています。\r\n%3")
                                   .arg(name, problem, source));
        }
        QString reason;
        const bool written =
            createFolderPath(target, &reason) != 0 && writeTextFileIfChanged(css, target, &reason);
        if (context.statistics != nullptr) {
            if (written)
                context.statistics->producedFiles.insert(target);
            else
                context.statistics->noteWriteFailure(target, reason);
        }
    }
    return target;
}

// Copies the style sheet and returns the page's link to it as "href=\"…".
QString writeStyleSheet(const PageContext &context)
{
    const QString target = copyStyleSheet(context);
    const QString link = context.cache != nullptr
                             ? context.cache->relativeLink(target, context.outputPath)
                             : relativePath(target, context.outputPath);
    return QStringLiteral("href=\"") + ImageOutput::unifySeparators(link);
}

void replaceStyleSheetBlock(const PageContext &context, MarkedText &text)
{
    const QString &pattern = PageAssembly::styleSheetBlockPattern();
    // Switched off, the block stays here and goes with the other switched-off areas.
    if (!isOn(context, pattern))
        return;
    const QString link = writeStyleSheet(context);
    QString block;
    const int at = text.find(pattern, 0, &block);
    if (at < 0)
        return;
    const qsizetype length = block.size();
    WildcardMatcher::replaceMatch(block, u"href*.css", link, 0);
    text.replace(at, length, block);
}

// Replaces every match of a value marker's pattern, escaping value where the marker stands
// inside an attribute value. What a replacement inserts is not searched again.
void replaceValueMarker(MarkedText &text, QStringView pattern, const QString &value)
{
    // Reading the page up to each marker costs a scan of the page per marker; a value that
    // escaping could change only by its spaces matters only inside a tag, which the last "<"
    // before the marker coming after the last ">" tells without reading the page.
    const auto insideTag = [&text, &pattern] {
        const QString &page = text.text();
        QString matched;
        for (int at = 0; (at = text.find(pattern, at, &matched)) >= 0; at += int(matched.size())) {
            if (at > 0 && page.lastIndexOf(u'<', at - 1) > page.lastIndexOf(u'>', at - 1))
                return true;
        }
        return false;
    };
    if (!HtmlContext::needsEscaping(value) ||
        (!HtmlContext::needsEscapingInQuotes(value) && !insideTag())) {
        text.replaceAll(pattern, value);
        return;
    }
    HtmlContext html;
    qsizetype read = 0;
    QString matched;
    for (int at; (at = text.find(pattern, read, &matched)) >= 0;) {
        html.scan(text.text(), read, at);
        read = at;
        const QString written = html.escaped(value);
        text.replace(at, matched.size(), written);
        // The inserted value is read as part of the page (its markup changes the context) but
        // never searched for markers.
        html.scan(text.text(), read, at + written.size());
        read = at + written.size();
    }
}

// The feed's link stays, without its markers, only where feed.xml is written.
void replaceFeedBlocks(const PageContext &context, MarkedText &text)
{
    const QString &pattern = PageAssembly::feedBlockPattern();
    const bool kept = SiteFeeds::baseUrl(*context.site) && isOn(context, pattern);
    const qsizetype opening = pattern.indexOf(u'*');
    const qsizetype closing = pattern.size() - opening - 1;
    QString block;
    qsizetype from = 0;
    // Each replacement is shorter than its block: the loop ends.
    for (int at; (at = text.find(pattern, from, &block)) >= 0;) {
        const QString inner =
            kept ? block.mid(opening, block.size() - opening - closing) : QString();
        text.replace(at, block.size(), inner);
        from = at + inner.size();
    }
}

} // namespace

const QString &PageAssembly::styleSheetBlockPattern()
{
    static const QString pattern = QStringLiteral(
        "<!--__スタイルシート指定メタ開始__-->*<!--__スタイルシート指定メタ終了__-->");
    return pattern;
}

const QString &PageAssembly::feedBlockPattern()
{
    static const QString pattern =
        QStringLiteral("<!--__フィード指定メタ開始__-->*<!--__フィード指定メタ終了__-->");
    return pattern;
}

QString PageAssembly::pagePath(const Page &page)
{
    QString path;
    for (const velmo::Object *up = page.parent(); up != nullptr && up->typeCode != kClassSite;
         up = up->parent()) {
        const auto *category = object_cast<Category>(up);
        if (category != nullptr && !category->isLinkMenu())
            path = category->name + QStringLiteral(" - ") + path;
    }
    return path + page.name;
}

QString PageAssembly::keywords(const PageContext &context)
{
    QString value = context.site->keywords;
    if (!context.page->keywords.isEmpty())
        value += u',' + context.page->keywords;
    return value;
}

bool PageAssembly::replay(const PageContext &context, const AssemblyTrace &trace)
{
    if (trace.styleSheet)
        copyStyleSheet(context);
    if (trace.pictures.isEmpty())
        return true;
    const ImageOutput::Folders folders = context.imageFolders();
    for (const AssemblyTrace::Picture &picture : trace.pictures) {
        QString why;
        if (ImageOutput::placeImage(folders, picture.path, picture.width, picture.height,
                                    context.outputPath, context.statistics,
                                    &why) != picture.address)
            return false;
    }
    return true;
}

void PageAssembly::assemble(const PageContext &context, QString &pageText)
{
    MarkedText text(std::move(pageText));
    text.reserve(qMax(text.text().size(), context.cache->lastPageSize()) * 9 / 8);
    replaceStyleSheetBlock(context, text);
    replaceFeedBlocks(context, text);

    TemplateExpansion::expandMenus(context, text);

    TemplateExpansion::Blocks blocks;
    if (TemplateExpansion::expandContentGroups(context, blocks)) {
        for (const auto &[name, output] : blocks) {
            const QString pattern = TemplateExpansion::blockPattern(name);
            text.replaceMatch(pattern, isOn(context, pattern) ? output : QString(), 0);
        }
    }

    const Site &site = *context.site;
    const Page &page = *context.page;
    const QPair<const char16_t *, QString> values[] = {
        {u"<!--__サイト名__-->(*)", site.homeTitle},
        {u"<!--__サイト概要__-->(*)", site.summary},
        {u"<!--__サイト作者__-->(*)", site.author},
        {u"<!--__製作年__-->(*)", context.cache->year()},
        {u"<!--__ページタイトル__-->(*)", page.title},
        {u"<!--__ページパス__-->(*)", pagePath(page)},
        {u"<!--__ページ概要__-->(*)", page.summary},
        {u"<!--__ページキーワード__-->(*)", keywords(context)},
        // The way from the page up to the site's root ("./", "../"), for links to the files
        // there, such as the icon and the feed, from pages at any depth.
        {u"<!--__ルートパス__-->(*)", ImageOutput::unifySeparators(context.cache->relativeLink(
                                          context.siteWorkingFolder, context.outputPath))},
    };
    for (const auto &[marker, value] : values) {
        const QString pattern = QString::fromUtf16(marker);
        replaceValueMarker(text, pattern, isOn(context, pattern) ? value : QString());
    }

    text.replaceAll(u"<NOT_OUTPUT>*</NOT_OUTPUT>", u"");
    text.replaceAll(u"<not_output>*</not_output>", u"");

    // isMarkerOn may rescan and so change the list: walk a copy.
    const QList<PreviewArea> areas = context.global->previewAreas;
    for (const PreviewArea &area : areas) {
        if (!isOn(context, area.pattern))
            text.replaceAll(area.pattern, u"");
    }

    pageText = text.take();
    context.cache->setLastPageSize(pageText.size());
    // Each replacement below reads the whole page; most pages hold no backslash at all, and
    // one quick look for it spared a rebuild a twelfth of its time.
    if (!pageText.contains(u'\\'))
        return;
    pageText.replace(QStringLiteral("\\r"), QStringLiteral("\r"));
    pageText.replace(QStringLiteral("\\n"), QStringLiteral("\n"));
    pageText.replace(QStringLiteral("\\t"), QStringLiteral("\t"));
}

} // namespace velmo::gen
