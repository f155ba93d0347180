// Running the menu and content-group templates of a page.
#include "generator/templateexpansion.h"

#include <algorithm>
#include <utility>

#include "generator/assemblytrace.h"
#include "generator/htmlcontext.h"
#include "generator/imageoutput.h"
#include "generator/markedtext.h"
#include "generator/menuoutputcache.h"
#include "generator/outputstatistics.h"
#include "generator/pagecontext.h"
#include "generator/previewareas.h"
#include "generator/sitepaths.h"
#include "generator/templatecache.h"
#include "generator/templateprogram.h"
#include "generator/wildcardmatcher.h"
#include "imaging/imageobject.h"
#include "model/category.h"
#include "model/classification.h"
#include "model/content.h"
#include "model/contentgroup.h"
#include "model/fileutil.h"
#include "model/page.h"
#include "model/site.h"
#include "model/templatelibrary.h"

namespace velmo::gen {

namespace {

constexpr int kMaxMenuLevels = 10;
// Content groups nest; a document could nest them without end, the page cannot.
constexpr int kMaxGroupNesting = 64;

QString parseFailure(TemplateProgram::ParseResult result, const QString &path)
{
    return (result == TemplateProgram::ParseResult::CallAtEnd
                ? QStringLiteral("終端が見つかりません\r\n")
                : QStringLiteral("次の関数へ進めません\r\n")) +
           path;
}

void prepareProgram(TemplateProgram &program, const PageContext &context,
                    const QList<QList<velmo::Object *>> &levels)
{
    program.setSite(context.site);
    program.setSiteWorkingFolder(context.siteWorkingFolder);
    program.setPageOutputPath(context.outputPath);
    for (int k = 0; k < levels.size(); ++k)
        program.bindObjects(context.site->levelName(k), levels[k]);
}

void reportProgramMessages(const PageContext &context, const TemplateProgram &program)
{
    for (const QString &message : program.messages())
        context.report(message);
}

// "_image(a.jpg,10,20)" → "_image", "a.jpg", "10", "20".
QStringList callPieces(const QString &matched)
{
    QString call = matched;
    call.replace(u'(', u':').replace(u')', u':').replace(u',', u':');
    return WildcardMatcher::split(call, u":");
}

// The folder a page lives in: the working folder for the home page.
QString pageFolder(const PageContext &context, const Page *page, const Category &category)
{
    if (page != nullptr && (page->outputFlags & Page::kOutputHomePage))
        return context.siteWorkingFolder;
    return SitePaths::categoryFolder(*context.site, category, context.siteWorkingFolder);
}

// What a call that could not be expanded leaves: an address that leads nowhere on purpose, so
// that the link check lists the page's link with the reason.
const QString &nowhere()
{
    static const QString address = QStringLiteral("#velmo-missing-link");
    return address;
}

// The expansion of one call: the address, or the reason it failed and the address the page
// gets instead.
struct CallResult
{
    QString address;
    QString failure;
};

CallResult failed(const QString &reason, QString address = nowhere())
{
    return {std::move(address), reason};
}

CallResult expandIdLink(const PageContext &context, const QString &matched)
{
    const QStringList pieces = callPieces(matched);
    if (pieces.size() != 3)
        return failed(QStringLiteral("_id_link() パラメータ数が不正です。"));
    const ObjectId target(pieces[1].trimmed().toInt(), pieces[2].trimmed().toInt());
    velmo::Object *object = context.site->findById(target);
    const Category *category = ancestorOf<Category>(object);
    if (category == nullptr) {
        // Gone, or in the storage box: either way the page it named is not on the site. A
        // page deleted from the menu tree waits in the box, where its name is still known.
        if (object == nullptr)
            object = context.site->objectBox.findById(target);
        const Page *page = ancestorOf<Page>(object);
        const QString name = page != nullptr     ? page->name
                             : object != nullptr ? object->name
                                                 : target.toText();
        return failed(QStringLiteral("リンク先のページ「%1」が見つかりません").arg(name));
    }
    QString link;
    if (const auto *page = object_cast<Page>(object)) {
        link = relativePath(pageFolder(context, page, *category), context.outputPath) + u'/' +
               page->fileName + QStringLiteral(".html");
    } else if (object_cast<ContentGroup>(object) != nullptr) {
        const Page *holder = ancestorOf<Page>(object);
        QString anchor = object->name;
        anchor.replace(u' ', u'_');
        link = relativePath(pageFolder(context, holder, *category), context.outputPath) + u'/' +
               (holder != nullptr ? holder->fileName : QString()) + QStringLiteral(".html#") +
               anchor;
    } else {
        link = relativePath(pageFolder(context, nullptr, *category), context.outputPath);
    }
    return {ImageOutput::unifySeparators(link), {}};
}

CallResult expandImage(const PageContext &context, const QString &matched)
{
    const QStringList pieces = callPieces(matched);
    if (pieces.size() != 4)
        return failed(QStringLiteral("_image() パラメータ数が不正です。"));
    bool widthOk = false;
    bool heightOk = false;
    const int width = pieces[2].trimmed().toInt(&widthOk);
    const int height = pieces[3].trimmed().toInt(&heightOk);
    // Exactly one zero dimension would ask for an empty picture; more pixels than a picture
    // may be decoded with would take minutes and gigabytes to scale to.
    if (!widthOk || !heightOk || width < 0 || width > 30000 || height < 0 || height > 30000 ||
        ((width == 0) != (height == 0)) ||
        qint64(width) * height > img::ImageObject::kMaxDecodedPixels)
        return failed(QStringLiteral("_image() 画像の大きさが不正です。"));
    if (!SitePaths::isRelativeInside(context.site->imageFolder))
        return failed(QStringLiteral("_image() 画像フォルダ名が不正です。\r\n") +
                      context.site->imageFolder);
    const ImageOutput::Folders folders = context.imageFolders();
    QString why;
    if (const std::optional<QString> address = ImageOutput::placeImage(
            folders, pieces[1], width, height, context.outputPath, context.statistics, &why)) {
        if (context.trace != nullptr)
            context.trace->pictures.append({pieces[1], width, height, *address});
        return {*address, {}};
    }
    // The page refers to where the picture would be, so that putting it into the user image
    // folder (or a picture that can be read) and generating again mends the page.
    return failed(
        why.isEmpty() ? QStringLiteral("_image() 指定の画像が見つかりません。") : why,
        ImageOutput::intendedAddress(folders, pieces[1], width, height, context.outputPath)
            .value_or(nowhere()));
}

bool expandGroup(const PageContext &context, ContentGroup &group, int headingLevel,
                 const QList<QList<velmo::Object *>> &levels, TemplateExpansion::Blocks &blocks)
{
    if (headingLevel - 3 >= kMaxGroupNesting)
        return true;
    const std::optional<TemplateLibrary::TemplateFile> file =
        TemplateLibrary::checkTemplateFile(*context.global, &group, group.templateName);
    if (!file)
        return true;
    const QString &path = file->path;

    const TemplateCache::Parsed &parsed = context.cache->program(path, context.site->templatePath);
    if (parsed.result != TemplateProgram::ParseResult::Parsed) {
        context.report(parseFailure(parsed.result, path));
        return false;
    }
    TemplateProgram program = parsed.program;
    prepareProgram(program, context, levels);
    program.bindText(QStringLiteral("hx"), QStringLiteral("h%1").arg(headingLevel));
    QList<velmo::Object *> contents;
    for (Content *content : group.contents)
        contents << content;
    program.bindObjects(QStringLiteral("コンテンツ"), contents);
    const TemplateProgram::RunResult result = program.run();
    reportProgramMessages(context, program);
    if (result != TemplateProgram::RunResult::NotStarted) {
        const QString output = TemplateExpansion::expandLinksAndImages(
            context, program.outputText(), group.name.isEmpty() ? group.templateName : group.name);
        // Each run is capped, but a dozen groups of a looping template would still add up to
        // gigabytes: the page as a whole stops at the same limit.
        qsizetype total = output.size();
        for (const auto &block : std::as_const(blocks))
            total += block.second.size();
        if (total > TemplateProgram::kMaxOutputLength) {
            context.report(QStringLiteral("ページ「%1」の出力が上限（%2 文字）に達したため、"
                                          "残りのコンテンツは出力されません。")
                               .arg(context.page->name)
                               .arg(TemplateProgram::kMaxOutputLength));
            return false;
        }
        const QString &name = program.blockName();
        auto it = std::find_if(blocks.begin(), blocks.end(),
                               [&name](const auto &block) { return block.first == name; });
        if (it != blocks.end())
            it->second += output;
        else
            blocks.append({name, output});
    }
    for (ContentGroup *sub : group.subGroups) {
        if (!expandGroup(context, *sub, headingLevel + 1, levels, blocks))
            return false;
    }
    return true;
}

} // namespace

QString TemplateExpansion::blockPattern(const QString &name)
{
    return QStringLiteral("<!--__") + name + QStringLiteral("開始__-->*<!--__") + name +
           QStringLiteral("終了__-->");
}

QList<QList<velmo::Object *>> TemplateExpansion::menuLevels(const PageContext &context,
                                                            QList<const Category *> *selected)
{
    QList<QList<velmo::Object *>> levels;
    const Classification *first = context.site->classifications.first();
    if (first == nullptr)
        return levels;
    const CategoryList *level = &first->categories;
    while (level != nullptr && levels.size() < kMaxMenuLevels) {
        QList<velmo::Object *> entries;
        const Category *marked = nullptr;
        for (Category *category : *level) {
            entries << category;
            if (marked == nullptr && category->outputMark != 0)
                marked = category;
        }
        levels << entries;
        if (marked != nullptr && selected != nullptr)
            *selected << marked;
        level = marked != nullptr ? &marked->categories : nullptr;
    }
    return levels;
}

void TemplateExpansion::expandMenus(const PageContext &context, MarkedText &page)
{
    const QStringList &files = context.cache->menuTemplates(context.site->templatePath);
    if (files.isEmpty())
        return;
    // The blocks this page has, and where each stands in the page as the template wrote it:
    // read in one pass, since a menu may sit inside an attribute (a link's href).
    struct Block
    {
        const QString *path;
        QString pattern;
        qsizetype at;
        HtmlContext html;
    };
    QList<Block> present;
    for (const QString &path : files) {
        const QString &text = context.cache->text(path, context.site->templatePath);
        QString call;
        if (WildcardMatcher::find(text, u"name(*)", 0, &call) < 0)
            continue;
        QString pattern = blockPattern(call.mid(5, call.size() - 6));
        const int at = page.find(pattern, 0);
        if (at >= 0)
            present.append({&path, std::move(pattern), at, {}});
    }
    if (present.isEmpty())
        return;
    {
        QList<Block *> byPosition;
        for (Block &block : present)
            byPosition << &block;
        std::sort(byPosition.begin(), byPosition.end(),
                  [](const Block *a, const Block *b) { return a->at < b->at; });
        HtmlContext html;
        qsizetype read = 0;
        for (Block *block : std::as_const(byPosition)) {
            html.scan(page.text(), read, block->at);
            read = block->at;
            block->html = html;
        }
    }

    QList<const Category *> selected;
    const QList<QList<velmo::Object *>> levels = menuLevels(context, &selected);
    const std::optional<QString> pageKey =
        context.menus != nullptr ? context.menus->keyOf(context, selected) : std::nullopt;
    for (const Block &block : std::as_const(present)) {
        const QString &path = *block.path;
        const QString &pattern = block.pattern;
        // A menu switched off for previews is left out like a switched-off content block;
        // expanding it anyway would make the switch do nothing.
        if (!PreviewAreas::isMarkerOn(*context.global, pattern)) {
            page.replaceMatch(pattern, QString(), 0);
            continue;
        }
        const TemplateCache::Parsed &parsed =
            context.cache->program(path, context.site->templatePath);
        if (parsed.result != TemplateProgram::ParseResult::Parsed) {
            context.report(parseFailure(parsed.result, path));
            return;
        }
        std::optional<QString> key = pageKey;
        if (key) {
            *key += block.html.key();
            if (const MenuOutputCache::Output *kept = context.menus->find(path, *key)) {
                for (const QString &message : kept->messages)
                    context.report(message);
                page.replaceMatch(pattern, kept->text, 0);
                continue;
            }
        }
        TemplateProgram program = parsed.program;
        prepareProgram(program, context, levels);
        program.setStartContext(block.html);
        const TemplateProgram::RunResult result = program.run();
        reportProgramMessages(context, program);
        const QString output =
            result != TemplateProgram::RunResult::NotStarted ? program.outputText() : QString();
        page.replaceMatch(pattern, output, 0);
        if (key)
            context.menus->insert(path, *key, {output, program.messages()});
    }
}

bool TemplateExpansion::expandContentGroups(const PageContext &context, Blocks &blocks)
{
    const QList<QList<velmo::Object *>> levels = menuLevels(context);
    for (ContentGroup *group : context.page->contentGroups) {
        if (!expandGroup(context, *group, 3, levels, blocks))
            return false;
    }
    return true;
}

QString TemplateExpansion::expandLinksAndImages(const PageContext &context, QString text,
                                                const QString &groupName)
{
    // All image calls first, then all link calls, each pass left to right into a new text.
    // Searching from the start again after every call and moving the rest of the text for
    // every replacement made a content template that repeats a text holding calls thousands
    // of times run for hours. What a replacement inserts is not searched again, so a page
    // named "_image(…)" stays a name. A call that fails still gets an address: the calls after
    // it are expanded all the same, and no call is left in the page as written.
    using Expand = CallResult (*)(const PageContext &, const QString &);
    const std::pair<QStringView, Expand> passes[] = {{u"_image(*)", expandImage},
                                                     {u"_id_link(*)", expandIdLink}};
    for (const auto &[pattern, expand] : passes) {
        QString result;
        qsizetype from = 0;
        QString matched;
        // Addresses go into attribute values: read where each call stands.
        HtmlContext html;
        for (int at; (at = WildcardMatcher::find(text, pattern, int(from), &matched)) >= 0;) {
            const CallResult call = expand(context, matched);
            if (!call.failure.isEmpty()) {
                ExpansionFailure failure{context.outputPath, context.page->name, groupName, matched,
                                         call.failure,       call.address};
                if (context.statistics != nullptr)
                    context.statistics->expansionFailures.append(std::move(failure));
                else
                    context.report(failure.message());
            }
            html.scan(text, from, at);
            result += QStringView(text).mid(from, at - from);
            result += html.escaped(call.address);
            from = at + matched.size();
        }
        if (from > 0) {
            result += QStringView(text).mid(from);
            text = std::move(result);
        }
    }
    return text;
}
} // namespace velmo::gen
