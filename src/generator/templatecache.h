// Template texts read once per site output: every page of a site uses the same menu and
// content templates, and reading them for each page would dominate the output time.
#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

namespace velmo::gen {

class TemplateCache
{
public:
    // The text of a UTF-8 file; empty when it cannot be read.
    const QString &text(const QString &path);
    // The menu template files (full paths, in listing order) of a template folder.
    const QStringList &menuTemplates(const QString &templatePath);
    void clear();

private:
    QHash<QString, QString> m_texts;
    QHash<QString, QStringList> m_menuTemplates;
};

} // namespace velmo::gen
