// The menu-level names that a site's templates read.
#include "generator/levelnameuse.h"

#include "generator/expression.h"
#include "generator/templatecache.h"
#include "generator/templateprogram.h"
#include "model/document.h"
#include "model/site.h"
#include "model/templatefiles.h"

using namespace Qt::StringLiterals;

namespace velmo::gen {

namespace {

// The list of a content group's contents, bound for content templates besides the levels.
const QString kContents = u"コンテンツ"_s;

} // namespace

QStringList LevelNameUse::namesReadBy(const QString &templateText)
{
    TemplateProgram program;
    program.parse(templateText);
    QStringList names;
    for (const Instruction &instruction : program.instructions()) {
        switch (instruction.code) {
        case TemplateProgram::For:
        case TemplateProgram::If:
        case TemplateProgram::Replace:
        case TemplateProgram::ReplaceSpaces:
            break;
        default:
            continue;
        }
        // An operand that reads a list is a name followed by "." or "[": "レベル１.メニュー数",
        // "レベル１[i+1].タイトル"; the operators and separators stand between operands.
        const QString &argument = program.argumentText(instruction);
        qsizetype start = 0;
        for (qsizetype i = 0; i <= argument.size(); ++i) {
            const QChar c = i < argument.size() ? argument.at(i) : QChar(u' ');
            if (!c.isSpace() && !QStringView(u";=<>!+-,").contains(c))
                continue;
            const QStringView token = QStringView(argument).mid(start, i - start);
            start = i + 1;
            const qsizetype end =
                std::min(token.indexOf(u'.') < 0 ? token.size() : token.indexOf(u'.'),
                         token.indexOf(u'[') < 0 ? token.size() : token.indexOf(u'['));
            if (end == token.size() || end == 0 || Expression::startsWithDigit(token))
                continue;
            const QString name = token.left(end).toString();
            if (!names.contains(name))
                names << name;
        }
    }
    return names;
}

QList<LevelNameUse::Template> LevelNameUse::templatesOf(const Site &site, TemplateCache &cache)
{
    QList<Template> templates;
    if (site.templatePath.isEmpty())
        return templates;
    for (const QString &path : cache.menuTemplates(site.templatePath)) {
        templates.append(
            {Document::menuTemplateFolderName().mid(1) + path.mid(path.lastIndexOf(u'/')),
             namesReadBy(cache.text(path, site.templatePath))});
    }
    const QString contentFolder = Document::contentTemplateFolderName();
    for (const QString &name : TemplateFiles::contentTemplates(site)) {
        templates.append({contentFolder.mid(1) + u'/' + name,
                          namesReadBy(cache.text(site.templatePath + contentFolder + u'/' + name,
                                                 site.templatePath))});
    }
    return templates;
}

QStringList LevelNameUse::templatesReading(const Site &site, const QString &name)
{
    TemplateCache cache;
    QStringList files;
    for (const Template &entry : templatesOf(site, cache)) {
        if (entry.names.contains(name))
            files << entry.file;
    }
    return files;
}

QString LevelNameUse::unknownNamesMessage(const Site &site, TemplateCache &cache)
{
    QStringList lines;
    for (const Template &entry : templatesOf(site, cache)) {
        QStringList unknown;
        for (const QString &name : entry.names) {
            if (name != kContents && std::find(site.levelNames.begin(), site.levelNames.end(),
                                               name) == site.levelNames.end())
                unknown << u"「%1」"_s.arg(name);
        }
        if (!unknown.isEmpty())
            lines << u"%1: %2"_s.arg(entry.file, unknown.join(u"、"_s));
    }
    if (lines.isEmpty())
        return {};
    return u"次のテンプレートが読むメニュー階層の名前が、サイトの「メニュー階層の対応名」にありませ"
           u"ん。"
           u"その名前のメニューは空になります。\r\n"_s +
           lines.join(u"\r\n"_s);
}

} // namespace velmo::gen
