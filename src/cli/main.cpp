// velmo-cli, the headless tool: resaves, dumps and builds .vlm documents without a GUI, and
// writes the sample document.
#include <csignal>
#include <cstdio>
#include <utility>

#include <QCoreApplication>
#include <QFileInfo>
#include <QStringList>

#include <signal.h>

#include "cli/deploycommand.h"
#include "cli/documentdump.h"
#include "cli/linkreport.h"
#include "cli/sampledocument.h"
#include "deploy/serversettings.h"
#include "generator/assemblyrecord.h"
#include "generator/externallinkcheck.h"
#include "generator/pagelinkcache.h"
#include "generator/siteoutput.h"
#include "generator/sitepaths.h"
#include "model/dataroot.h"
#include "model/document.h"
#include "model/documentfile.h"
#include "model/messagereporter.h"
#include "model/site.h"

using namespace Qt::StringLiterals;

namespace {

enum ExitCode {
    kExitOk = 0,
    kExitFailed = 1,
    kExitUsage = 2,
    kExitBrokenLinks = 3,
    // Plus the signal's number, as shells report a program that a signal ended.
    kExitSignalled = 128
};

volatile std::sig_atomic_t caughtSignal = 0;

// The first SIGINT or SIGTERM lets the output finish the file it is writing and stop, so that
// nothing half written or temporary stays in the published folder; a second one ends the
// program at once.
void stopOnSignal(int signal)
{
    caughtSignal = signal;
    velmo::gen::SiteOutput::requestStop();
}

void installStopHandlers()
{
    struct sigaction action
    {};
    action.sa_handler = stopOnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

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
        "       velmo-cli deploy DOC.vlm --home DIR [--site NAME] --to URL\n"
        "                        [--identity KEYFILE] [--dry-run] [--insecure-host-key]\n"
        "                                         build the site as build does, then send it\n"
        "                                         to URL (sftp://user@host:port/path, ftps://\n"
        "                                         or ftp://); the password comes from\n"
        "                                         VELMO_DEPLOY_PASSWORD or the secret store.\n"
        "                                         Exit 1: files failed; 4: no connection\n"
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

// What build, check and deploy ask for.
struct BuildRequest
{
    QString document;
    QString siteName;
    QString home;
    bool haveSite = false;
    bool external = false;
    bool checkOnly = false;
};

// Generates the site and, unless checkOnly, publishes it, printing the summary and link report;
// the published folder and the site's identity go to published and siteKey.
// The document a command opened, left to the end of the process: freeing a large site's objects
// one by one takes longer than building it when its pages are unchanged. Held here, it is not a
// leak to the sanitizers either.
velmo::Document *openedDocument = nullptr;

int buildSite(const BuildRequest &request, QString *published = nullptr, QString *siteKey = nullptr)
{
    Q_ASSERT(openedDocument == nullptr);
    openedDocument = new velmo::Document(velmo::DataRoot::resolve(
        request.home, QCoreApplication::applicationDirPath(), installedShareFolder()));
    velmo::Document &global = *openedDocument;
    if (!QFileInfo::exists(request.document)) {
        printError(QStringLiteral("velmo-cli: %1: no such file").arg(request.document));
        return kExitUsage;
    }
    if (!velmo::DocumentFile::open(global, request.document))
        return kExitUsage;

    velmo::Site *site = nullptr;
    for (velmo::Site *candidate : global.sites) {
        if (!request.haveSite || candidate->name == request.siteName) {
            site = candidate;
            break;
        }
    }
    if (site == nullptr) {
        printError(request.haveSite
                       ? QStringLiteral("velmo-cli: no site named \"%1\"").arg(request.siteName)
                       : QStringLiteral("velmo-cli: the document has no site"));
        return kExitFailed;
    }
    if (!global.setCurrentSite(site))
        return kExitFailed;
    if (siteKey != nullptr)
        *siteKey = velmo::deploy::ServerSettings::siteKey(*site);

    installStopHandlers();
    velmo::gen::SiteOutput output(global);
    // Pages are parsed for the check while the output goes on; those unchanged since the last
    // run are not parsed again.
    velmo::gen::LinkCheck check;
    const QString workingFolder = velmo::gen::SitePaths::workingFolder(global, *site);
    check.setCacheFile(velmo::gen::PageLinkCache::fileFor(workingFolder));
    // Pages whose inputs did not change since the last run are taken from disk as they are.
    output.setAssemblyRecordFile(velmo::gen::AssemblyRecord::fileFor(workingFolder));
    output.setLinkCheck(&check);
    if (request.checkOnly) {
        // Pages that could not be written are reported; the check still covers the others. The
        // working folder is swept first, as for a publication, so that nothing an earlier run
        // left there is taken for a page of this one.
        const velmo::gen::SiteOutput::Result generated = output.checkSite();
        if (generated == velmo::gen::SiteOutput::Result::Stopped)
            return kExitSignalled + caughtSignal;
        if (generated != velmo::gen::SiteOutput::Result::Done &&
            generated != velmo::gen::SiteOutput::Result::Incomplete)
            return kExitFailed;
        const velmo::gen::LinkCheck::Result links = checkedLinks(output, request.external);
        LinkReport::print(links);
        return links.broken.isEmpty() ? kExitOk : kExitBrokenLinks;
    }
    QString folder;
    const velmo::gen::SiteOutput::Result result = output.outputSite(&folder);
    if (result == velmo::gen::SiteOutput::Result::Stopped)
        return kExitSignalled + caughtSignal;
    if (published != nullptr)
        *published = folder;
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
                                .arg(folder)
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
    LinkReport::print(checkedLinks(output, request.external));
    std::fflush(stdout);
    // The summary still helps, but a script must not take an incomplete site for a good one.
    return result == velmo::gen::SiteOutput::Result::Done ? kExitOk : kExitFailed;
}

// Reads the options build, check and deploy share (the document, --site, --home); false when
// args.at(*i) is none of them.
bool takeBuildOption(const QStringList &args, qsizetype *i, BuildRequest *request)
{
    const QString &arg = args.at(*i);
    if ((arg == u"--site" || arg == u"--home") && *i + 1 < args.size()) {
        (arg == u"--site" ? request->siteName : request->home) = args.at(++*i);
        request->haveSite |= arg == u"--site";
        return true;
    }
    if (!arg.startsWith(u"--") && request->document.isEmpty()) {
        request->document = arg;
        return true;
    }
    return false;
}

int build(const QStringList &args, bool checkOnly)
{
    BuildRequest request;
    request.checkOnly = checkOnly;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args.at(i) == u"--external")
            request.external = true;
        else if (!takeBuildOption(args, &i, &request))
            return usage();
    }
    if (request.document.isEmpty())
        return usage();
    return buildSite(request);
}

int deploy(const QStringList &args)
{
    BuildRequest build;
    DeployCommand::Request request;
    QString url;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        if (arg == u"--dry-run") {
            request.dryRun = true;
        } else if (arg == u"--insecure-host-key") {
            request.insecureHostKey = true;
        } else if ((arg == u"--to" || arg == u"--identity") && i + 1 < args.size()) {
            (arg == u"--to" ? url : request.server.keyFile) = args.at(++i);
        } else if (!takeBuildOption(args, &i, &build)) {
            return usage();
        }
    }
    if (build.document.isEmpty() || url.isEmpty())
        return usage();
    const QString keyFile = request.server.keyFile;
    QString error;
    if (!velmo::deploy::ServerSettings::fromUrl(url, &request.server, &error)) {
        printError(u"velmo-cli: "_s + error);
        return kExitUsage;
    }
    request.server.keyFile = keyFile;
    if (!keyFile.isEmpty() &&
        request.server.protocol != velmo::deploy::ServerSettings::Protocol::Sftp) {
        printError(u"velmo-cli: --identity is for sftp:// only"_s);
        return kExitUsage;
    }
    if (!keyFile.isEmpty() && !QFileInfo(keyFile).isReadable()) {
        printError(u"velmo-cli: %1: the key file cannot be read"_s.arg(keyFile));
        return kExitUsage;
    }
    const int built = buildSite(build, &request.publishedFolder, &request.siteKey);
    // A transfer takes far longer than freeing the document, and needs none of its memory.
    delete std::exchange(openedDocument, nullptr);
    if (built != kExitOk) {
        // A site built only in part would publish its gaps: nothing is sent.
        printError(u"velmo-cli: the site was not built completely; nothing was transferred"_s);
        return built;
    }
    // The transfer writes each file under a temporary name and renames it into place, and the
    // next run removes what a stopped one left: here a signal may end the program at once.
    signal(SIGINT, SIG_DFL);
    signal(SIGTERM, SIG_DFL);
    return DeployCommand::run(request);
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
    if (command == u"deploy")
        return deploy(args.mid(1));
    if (command == u"sample")
        return sample(args.mid(1));
    return usage();
}
