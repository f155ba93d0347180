// Template texts read once per site output: every page of a site uses the same menu and
// content templates, and reading them for each page would dominate the output time.
#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

#include "generator/templateprogram.h"

namespace velmo::gen {

class TemplateCache
{
public:
    // The text of a UTF-8 file of the template folder folder; empty when it cannot be read, or
    // when it is a link that leads out of folder (templates come as archives, which keep links:
    // one must not publish any file of the disk).
    const QString &text(const QString &path, const QString &folder);
    // True once text(path) found no readable file there (an empty file is not missing).
    bool isMissing(const QString &path) const { return m_missing.contains(path); }
    // The files text() and isInside() refused as leading out of their template folder, in the
    // order met.
    const QStringList &refused() const { return m_refused; }
    // True when path lies in folder, links followed; a path that does not is noted as refused.
    bool isInside(const QString &path, const QString &folder);
    // The menu template files (full paths, in listing order) of a template folder.
    const QStringList &menuTemplates(const QString &templatePath);
    // A file's program and what parsing it gave.
    struct Parsed
    {
        TemplateProgram program;
        TemplateProgram::ParseResult result = TemplateProgram::ParseResult::NoFunction;
    };

    // The file's program, parsed once. Callers copy the program to run it with their own
    // bindings.
    const Parsed &program(const QString &path, const QString &folder);
    // Creates the folders of a file's path once per output (every page of a folder shares them);
    // a failure is not remembered, so that each page of the folder hears of it.
    bool createFolderPath(const QString &filePath, QString *reason = nullptr);
    // True the first time a key is claimed in this output: work that every page would repeat
    // with the same result (the style sheet copy) is done by the first page only.
    bool claimOnce(const QString &key);
    // The current year as the pages of this output print it: asked of the clock once, since
    // that reads the time zone each time.
    const QString &year();
    // relativePath(target, page) for a page file: pages of one folder share it, and every page
    // links the style sheet and the site's root.
    const QString &relativeLink(const QString &target, const QString &page);
    // The size of the last page assembled: the pages of a site are much alike, and one made
    // with room for the next page's size grows in place.
    qsizetype lastPageSize() const { return m_lastPageSize; }
    void setLastPageSize(qsizetype size) { m_lastPageSize = size; }
    void clear();

private:
    QHash<QString, QString> m_texts;
    QSet<QString> m_missing;
    QStringList m_refused;
    QHash<QString, QStringList> m_menuTemplates;
    QHash<QString, Parsed> m_programs;
    QSet<QString> m_folders;
    QSet<QString> m_claimed;
    QString m_year;
    QHash<QString, QString> m_links;
    qsizetype m_lastPageSize = 0;
};

} // namespace velmo::gen
