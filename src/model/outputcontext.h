// What travels along an output walk from a content up to its site: the page generator to
// call at the site's end and the path of the page it wrote.
#pragma once

#include <QList>
#include <QString>

namespace velmo {

class Object;
class Site;

// The objects an output walk passed, from the starting object up to the site.
using ObjectChain = QList<Object *>;

struct OutputContext;

// Generates the page at the bottom of a chain. The site calls it at the end of every walk
// after marking the chain; it returns 1 when it wrote a page.
class PageGenerator
{
public:
    virtual ~PageGenerator() = default;
    virtual int generatePage(Site &site, OutputContext &context, const QString &subFolder,
                             ObjectChain &chain) = 0;
};

struct OutputContext
{
    PageGenerator *generator = nullptr;
    // Full path of the written page when the walk produced one.
    QString outputPath;
};

} // namespace velmo
