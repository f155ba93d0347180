// velmo-cli, the headless tool: resaves, dumps and builds .vlm documents without a GUI, and
// writes the sample document.
#include <cstdio>

#include <QCoreApplication>
#include <QFileInfo>
#include <QStringList>

#include "cli/documentdump.h"
#include "cli/linkreport.h"
#include "cli/sampledocument.h"
#include "generator/externallinkcheck.h"
#include "generator/siteoutput.h"
#include "model/dataroot.h"
#include "model/document.h"
#include "model/documentfile.h"
#include "model/messagereporter.h"
#include "model/site.h"

namespace {

enum ExitCode { kExitOk = 0, kExitFailed = 1, kExitUsage = 2, kExitBrokenLinks = 3 };

void printError(const QString &text)
{
    velmo::StderrReporter().showMessage(text);
}

int usage()
{
    printError(QStringLiteral(
        "usage: velmo-cli resave IN.vlm OUT.vlm   open IN as the application does and save it "
        "as OUT\n"
        "       velmo-cli dump IN.vlm             print the document as JSON\n"
        "       velmo-cli build DOC.vlm [--site NAME] [--home DIR] [--external]\n"
        "                                         generate a site and publish it to DIR/web\n"
        "       velmo-cli check DOC.vlm [--site NAME] [--home DIR] [--external]\n"
        "                                         generate a site without publishing it and\n"
        "                                         list its broken links (exit 3 if any);\n"
        "                                         --external also asks the servers of its\n"
        "                                         http(s) links\n"
        "       velmo-cli sample OUT.vlm [--home DIR]\n"
        "                                         write the sample document, its site on the\n"
        "                                         sample template of DIR"));
    return kExitUsage;
}

int resave(const QString &in, const QString &out)
{
    velmo::Document global(QCoreApplication::applicationDirPath());
    if (!QFileInfo::exists(in)) {
        printError(QStringLiteral("velmo-cli: %1: no such file").arg(in));
        return kExitFailed;
    }
    if (!velmo::DocumentFile::open(global, in))
        return kExitFailed;
    return velmo::DocumentFile::save(global, out) ? kExitOk : kExitFailed;
}

int dump(const QString &in)
{
    velmo::Document global(QCoreApplication::applicationDirPath());
    if (!QFileInfo::exists(in)) {
        printError(QStringLiteral("velmo-cli: %1: no such file").arg(in));
        return kExitFailed;
    }
    if (!velmo::DocumentFile::open(global, in))
        return kExitFailed;
    if (!velmo::DocumentDump::write(global, stdout))
        return kExitFailed;
    return std::fflush(stdout) == 0 ? kExitOk : kExitFailed;
}

// The folder of the installed sample template, beside the installed programs.
QString installedShareFolder()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/../share/velmo");
}

// The output's link check, its external links asked for when external is set.
velmo::gen::LinkCheck::Result checkedLinks(const velmo::gen::SiteOutput &output, bool external)
{
    velmo::gen::LinkCheck::Result result = output.linkCheck();
    if (external)
        velmo::gen::ExternalLinkCheck().apply(result);
    return result;
}

int build(const QStringList &args, bool checkOnly)
{
    QString document;
    QString siteName;
    QString home;
    bool haveSite = false;
    bool external = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        if (arg == u"--external") {
            external = true;
        } else if ((arg == u"--site" || arg == u"--home") && i + 1 < args.size()) {
            (arg == u"--site" ? siteName : home) = args.at(++i);
            haveSite |= arg == u"--site";
        } else if (!arg.startsWith(u"--") && document.isEmpty()) {
            document = arg;
        } else {
            return usage();
        }
    }
    if (document.isEmpty())
        return usage();

    velmo::Document global(velmo::DataRoot::resolve(home, QCoreApplication::applicationDirPath(),
                                                    installedShareFolder()));
    if (!QFileInfo::exists(document)) {
        printError(QStringLiteral("velmo-cli: %1: no such file").arg(document));
        return kExitUsage;
    }
    if (!velmo::DocumentFile::open(global, document))
        return kExitUsage;

    velmo::Site *site = nullptr;
    for (velmo::Site *candidate : global.sites) {
        if (!haveSite || candidate->name == siteName) {
            site = candidate;
            break;
        }
    }
    if (site == nullptr) {
        printError(haveSite ? QStringLiteral("velmo-cli: no site named \"%1\"").arg(siteName)
                            : QStringLiteral("velmo-cli: the document has no site"));
        return kExitFailed;
    }
    if (!global.setCurrentSite(site))
        return kExitFailed;

    velmo::gen::SiteOutput output(global);
    // Pages are parsed for the check while the output goes on.
    velmo::gen::LinkCheck check;
    output.setLinkCheck(&check);
    if (checkOnly) {
        // Pages that could not be written are reported; the check still covers the others.
        const velmo::gen::SiteOutput::Result generated = output.regenerateAll();
        if (generated != velmo::gen::SiteOutput::Result::Done &&
            generated != velmo::gen::SiteOutput::Result::Incomplete)
            return kExitFailed;
        const velmo::gen::LinkCheck::Result links = checkedLinks(output, external);
        LinkReport::print(links);
        return links.broken.isEmpty() ? kExitOk : kExitBrokenLinks;
    }
    QString published;
    const velmo::gen::SiteOutput::Result result = output.outputSite(&published);
    if (result != velmo::gen::SiteOutput::Result::Done &&
        result != velmo::gen::SiteOutput::Result::Incomplete)
        return kExitFailed;
    const velmo::gen::OutputStatistics &stats = output.statistics();
    const QString summary = QStringLiteral("published: %1\n"
                                           "pages written: %2\n"
                                           "pages unchanged: %3\n"
                                           "files copied: %4\n"
                                           "pictures scaled: %5\n"
                                           "pictures from the cache: %6\n"
                                           "pages published: %7\n"
                                           "pictures published: %8\n"
                                           "other files published: %9\n"
                                           "messages: %10\n")
                                .arg(published)
                                .arg(stats.pagesWritten)
                                .arg(stats.pagesUnchanged)
                                .arg(stats.filesCopied)
                                .arg(stats.picturesScaled)
                                .arg(stats.picturesFromCache)
                                .arg(stats.pagesPublished)
                                .arg(stats.picturesPublished)
                                .arg(stats.otherFilesPublished)
                                .arg(stats.messages.size());
    const QByteArray bytes = summary.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    // Publishing has gone on regardless; what leads nowhere is listed, not hidden.
    LinkReport::print(checkedLinks(output, external));
    // The summary still helps, but a script must not take an incomplete site for a good one.
    return result == velmo::gen::SiteOutput::Result::Done ? kExitOk : kExitFailed;
}

int sample(const QStringList &args)
{
    QString out;
    QString home;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        if (arg == u"--home" && i + 1 < args.size() && home.isEmpty())
            home = args.at(++i);
        else if (!arg.startsWith(u"--") && out.isEmpty())
            out = arg;
        else
            return usage();
    }
    if (out.isEmpty())
        return usage();

    velmo::Document global(velmo::DataRoot::resolve(home, QCoreApplication::applicationDirPath(),
                                                    installedShareFolder()));
    if (!velmo::SampleDocument::write(global, out))
        return kExitFailed;
    // The document is still worth having (the template can be put there later), but a build
    // of it would give empty pages until then.
    if (!QFileInfo(global.sampleTemplateFolder()).isDir())
        printError(QStringLiteral("velmo-cli: the sample template %1 does not exist yet")
                       .arg(global.sampleTemplateFolder()));
    const QByteArray bytes = QStringLiteral("written: %1\n").arg(out).toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    return kExitOk;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.isEmpty())
        return usage();
    const QString command = args.first();
    if (command == u"resave" && args.size() == 3)
        return resave(args.at(1), args.at(2));
    if (command == u"dump" && args.size() == 2)
        return dump(args.at(1));
    if (command == u"build")
        return build(args.mid(1), false);
    if (command == u"check")
        return build(args.mid(1), true);
    if (command == u"sample")
        return sample(args.mid(1));
    return usage();
}
