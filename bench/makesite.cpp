// Writes the generator benchmarks' synthetic site as a document with its template folder, so
// that velmo-cli build can be timed and its peak memory measured as a user would run it.
#include <cstdio>

#include <QCoreApplication>
#include <QDir>
#include <QStringList>

#include "model/document.h"
#include "model/documentfile.h"
#include "syntheticsite.h"

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    bool ok = args.size() == 3;
    const int pages = ok ? args.at(2).toInt(&ok) : 0;
    if (!ok || pages <= 0) {
        std::fprintf(stderr, "usage: velmo_make_site HOME PAGES\n"
                             "  writes HOME/site.vlm and its templates; then time\n"
                             "  velmo-cli build HOME/site.vlm --home HOME\n");
        return 2;
    }
    const QString home = QDir(args.at(1)).absolutePath();
    if (!QDir().mkpath(home)) {
        std::fprintf(stderr, "velmo_make_site: cannot create %s\n", qPrintable(home));
        return 1;
    }
    velmo::Document global(home);
    makeSyntheticSite(global, home, 50, 4, pages);
    return velmo::DocumentFile::save(global, home + QStringLiteral("/site.vlm")) ? 0 : 1;
}
