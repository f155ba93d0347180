// Page assembly.
#include "generator/pageassembly.h"

#include "generator/imageoutput.h"
#include "generator/outputstatistics.h"
#include "generator/pagecontext.h"
#include "generator/previewareas.h"
#include "generator/qwildcardmatcher.h"
#include "generator/templatecache.h"
#include "generator/templateexpansion.h"
#include "model/fileutil.h"
#include "model/qcategory.h"
#include "model/qglobal.h"
#include "model/qpage.h"
#include "model/qsite.h"

#include <QDate>

namespace velmo::gen {

namespace {

bool isOn(const PageContext &context, const QString &pattern)
{
    return PreviewAreas::isMarkerOn(*context.global, pattern) != 0;
}

// Copies the site's style sheet to css/style.css of the working folder (an empty one when the
// template has none) and returns the page's link to it as "href=\"…".
QString writeStyleSheet(const PageContext &context)
{
    const QString target = context.siteWorkingFolder + QStringLiteral("/css/style.css");
    // Every page of a run copies the same style sheet: once is enough.
    if (context.cache == nullptr || context.cache->claimOnce(target)) {
        const QString source =
            context.site->templatePath + QGlobal::cssFolderName() + u'/' + context.site->mainCss;
        QString css;
        if (!context.site->mainCss.isEmpty())
            ReadTextFile(source, css);
        CreateFolderPath(target);
        WriteTextFileIfChanged(css, target);
        if (context.statistics != nullptr)
            context.statistics->producedFiles.insert(target);
    }
    return QStringLiteral("href=\"") +
           ImageOutput::unifySeparators(RelativePath(target, context.outputPath));
}

void replaceStyleSheetBlock(const PageContext &context, QString &text)
{
    const QString &pattern = PageAssembly::styleSheetBlockPattern();
    // Switched off, the block stays here and goes with the other switched-off areas.
    if (!isOn(context, pattern))
        return;
    const QString link = writeStyleSheet(context);
    QString block;
    if (QWildcardMatcher::find(text, pattern, 0, &block) < 0)
        return;
    QWildcardMatcher::replaceMatch(block, u"href*.css", link, 0);
    QWildcardMatcher::replaceMatch(text, pattern, block, 0);
}

} // namespace

const QString &PageAssembly::styleSheetBlockPattern()
{
    static const QString pattern = QStringLiteral(
        "<!--__スタイルシート指定メタ開始__-->*<!--__スタイルシート指定メタ終了__-->");
    return pattern;
}

QString PageAssembly::pagePath(const QPage &page)
{
    QString path;
    for (const velmo::QObject *up = page.parent(); up != nullptr && up->typeCode != kClassSite;
         up = up->parent()) {
        const auto *category = object_cast<QCategory>(up);
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

void PageAssembly::assemble(const PageContext &context, QString &text)
{
    replaceStyleSheetBlock(context, text);

    TemplateExpansion::expandMenus(context, text);

    TemplateExpansion::Blocks blocks;
    if (TemplateExpansion::expandContentGroups(context, blocks)) {
        for (const auto &[name, output] : blocks) {
            const QString pattern = TemplateExpansion::blockPattern(name);
            QWildcardMatcher::replaceMatch(text, pattern,
                                           isOn(context, pattern) ? output : QString(), 0);
        }
    }

    const QSite &site = *context.site;
    const QPage &page = *context.page;
    const QPair<const char16_t *, QString> values[] = {
        {u"<!--__サイト名__-->(*)", site.homeTitle},
        {u"<!--__サイト概要__-->(*)", site.summary},
        {u"<!--__サイト作者__-->(*)", site.author},
        {u"<!--__製作年__-->(*)", QString::number(QDate::currentDate().year())},
        {u"<!--__ページタイトル__-->(*)", page.title},
        {u"<!--__ページパス__-->(*)", pagePath(page)},
        {u"<!--__ページ概要__-->(*)", page.summary},
        {u"<!--__ページキーワード__-->(*)", keywords(context)},
    };
    for (const auto &[marker, value] : values) {
        const QString pattern = QString::fromUtf16(marker);
        QWildcardMatcher::replaceAll(text, pattern, isOn(context, pattern) ? value : QString());
    }

    QWildcardMatcher::replaceAll(text, u"<NOT_OUTPUT>*</NOT_OUTPUT>", u"");
    QWildcardMatcher::replaceAll(text, u"<not_output>*</not_output>", u"");

    // isMarkerOn may rescan and so change the list: walk a copy.
    const QList<PreviewArea> areas = context.global->previewAreas;
    for (const PreviewArea &area : areas) {
        if (!isOn(context, area.pattern))
            QWildcardMatcher::replaceAll(text, area.pattern, u"");
    }

    text.replace(QStringLiteral("\\r"), QStringLiteral("\r"));
    text.replace(QStringLiteral("\\n"), QStringLiteral("\n"));
    text.replace(QStringLiteral("\\t"), QStringLiteral("\t"));
}

} // namespace velmo::gen
