// PreviewAreas: the marker scan of the page templates and the on/off lookup.
#include "generator/previewareas.h"

#include <algorithm>

#include "generator/wildcardmatcher.h"
#include "model/document.h"
#include "model/fileutil.h"
#include "model/site.h"

namespace velmo::gen {

namespace {

const QString kStart = QStringLiteral("開始");
const QString kEnd = QStringLiteral("終了");

void collectPatterns(const QString &text, QStringList &patterns)
{
    static const QString marker = QStringLiteral("<!--__*__-->");
    QString matched;
    // Each search starts one character after the previous match, not after its end, so a
    // marker that opens inside an unterminated one is still found.
    for (int at = WildcardMatcher::find(text, marker, 0, &matched); at >= 0;
         at = WildcardMatcher::find(text, marker, at + 1, &matched)) {
        if (matched.contains(kEnd))
            continue;
        if (matched.contains(kStart)) {
            QString closing = matched;
            closing.replace(kStart, kEnd);
            patterns << matched + u'*' + closing;
        } else {
            patterns << matched + QStringLiteral("(*)");
        }
    }
}

qsizetype indexOfPattern(const QList<PreviewArea> &areas, const QString &pattern)
{
    const auto it = std::find_if(areas.cbegin(), areas.cend(),
                                 [&](const PreviewArea &area) { return area.pattern == pattern; });
    return it == areas.cend() ? -1 : it - areas.cbegin();
}

} // namespace

int PreviewAreas::collectMarkers(Document &global)
{
    global.previewAreaFlag = 1;
    QStringList patterns;
    if (const Site *site = global.getCurrentSite()) {
        const QString folder = site->templatePath + Document::pageTemplateFolderName();
        const QStringList files = listFiles(folder + QStringLiteral("/*.html"));
        for (const QString &file : files) {
            const QString path = folder + u'/' + file;
            if (!resolvesInside(path, site->templatePath))
                continue;
            if (const std::optional<QString> text = readTextFile(path))
                collectPatterns(*text, patterns);
        }
    }
    for (const QString &pattern : std::as_const(patterns)) {
        if (indexOfPattern(global.previewAreas, pattern) < 0)
            global.previewAreas.append(PreviewArea{1, pattern});
    }
    return int(global.previewAreas.size());
}

int PreviewAreas::isMarkerOn(Document &global, const QString &pattern)
{
    if (global.previewAreaFlag == 0)
        return 1;
    qsizetype index = indexOfPattern(global.previewAreas, pattern);
    if (index < 0 && global.previewAreas.isEmpty() && collectMarkers(global) > 0)
        index = indexOfPattern(global.previewAreas, pattern);
    return index < 0 ? 0 : global.previewAreas.at(index).on;
}

} // namespace velmo::gen
