// SiteStyleSheet: copying the chosen style sheet and rewriting the template's start page.
#include "generator/sitestylesheet.h"

#include "generator/sitepaths.h"
#include "generator/wildcardmatcher.h"
#include "model/document.h"
#include "model/fileutil.h"
#include "model/site.h"

using namespace Qt::StringLiterals;

namespace velmo::gen {

SiteStyleSheet::Result SiteStyleSheet::apply(Document &global, const Site &site,
                                             const QString &name)
{
    // The name comes from a folder listing, but it is joined to paths: anything that is not a
    // single file name would reach outside the css folders.
    if (!SitePaths::isPlainName(name)) {
        global.report(u"テンプレート画像フォルダ名が取得できませんでした。\r\n"
                      u"サイト情報は更新されません。"_s);
        return Result::NoName;
    }
    const QString templateFolder = site.templatePath;
    const QString working = SitePaths::workingFolder(global, site);

    // Only files that are in the template, links followed: an output names those that are not.
    const auto copyFromTemplate = [&templateFolder](const QString &source, const QString &target) {
        if (resolvesInside(source, templateFolder))
            copyFileReplacing(source, target);
    };
    const QString cssTarget = working + Document::cssFolderName() + u'/' + name;
    createFolderPath(cssTarget);
    copyFromTemplate(templateFolder + Document::cssFolderName() + u'/' + name, cssTarget);

    const QString images = working + Document::templateImageFolderName();
    createFolderPath(images + u"/a.jpg"_s);
    const QString sourceImages = templateFolder + Document::templateImageFolderName();
    for (const QString &file : listFiles(sourceImages + u"/*.*"_s))
        copyFromTemplate(sourceImages + u'/' + file, images + u'/' + file);

    // A template without a start page is told the same as one whose page has no link.
    const QString start = templateFolder + u"/index.html"_s;
    QString page =
        resolvesInside(start, templateFolder) ? readTextFile(start).value_or(QString()) : QString();
    QString link;
    const int at = WildcardMatcher::find(page, u"href*.css", 0, &link);
    if (at < 0) {
        global.report(u"HTML ファイルに CSS Meta 置き換え部分が見つかりません。"_s);
        return Result::NoLink;
    }
    const QString replaced = QString(link).replace(u"style.css"_s, name);
    page.replace(at, link.size(), replaced);
    writeTextFile(page, startPage(global, site));
    return Result::Applied;
}

QString SiteStyleSheet::startPage(const Document &global, const Site &site)
{
    return SitePaths::workingFolder(global, site) + u"/index.html"_s;
}

QString SiteStyleSheet::previewPicture(const Document &global, const Site &site)
{
    return SitePaths::workingFolder(global, site) + u"/preview.jpg"_s;
}

} // namespace velmo::gen
