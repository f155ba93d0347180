// The output of each menu template kept for the rest of a whole-site run, so that the pages of
// one category do not run the same menu loop again.
#pragma once

#include <optional>

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include "model/objectid.h"

namespace velmo {
class Category;
class Site;
} // namespace velmo

namespace velmo::gen {

struct PageContext;

class MenuOutputCache
{
public:
    struct Output
    {
        QString text;
        // What the run reported: every page that takes the output reports it again.
        QStringList messages;
    };

    // Starts a run over site: notes the identities its link menus point at.
    void begin(const velmo::Site &site);
    void clear();

    // Everything a menu template can read that varies between the pages of one run: the
    // selected entry of each menu level (it decides the levels bound and "選択") and the
    // folder that the levels' relative paths start from. Empty when this page must run the
    // menus itself: outside a run, and on a page holding an object a link menu points at. A
    // link to a content group is "#anchor" on its own page only (the one marked, as only the
    // chain of the page being generated is within a run), and a fresh copy of a plug-in group
    // may take the identity a link points at and be found instead, on that page alone.
    std::optional<QString> keyOf(const PageContext &context,
                                 const QList<const velmo::Category *> &selected) const;

    const Output *find(const QString &templatePath, const QString &key) const;
    void insert(const QString &templatePath, const QString &key, Output output);

private:
    const velmo::Site *m_site = nullptr;
    QSet<ObjectId> m_linkTargets;
    QHash<QString, Output> m_outputs;
};

} // namespace velmo::gen
