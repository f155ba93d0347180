// velmo-cli, the headless tool: resaves and dumps .vlm documents without a GUI.
#include "cli/documentdump.h"

#include "model/messagereporter.h"
#include "model/qdocumentfile.h"
#include "model/qglobal.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStringList>

#include <cstdio>

namespace {

enum ExitCode { kExitOk = 0, kExitFailed = 1, kExitUsage = 2 };

void printError(const QString &text)
{
    velmo::StderrReporter().showMessage(text);
}

int usage()
{
    printError(QStringLiteral(
        "usage: velmo-cli resave IN.vlm OUT.vlm   open IN as the application does and save it "
        "as OUT\n"
        "       velmo-cli dump IN.vlm             print the document as JSON"));
    return kExitUsage;
}

int resave(const QString &in, const QString &out)
{
    velmo::QGlobal global(QCoreApplication::applicationDirPath());
    if (!QFileInfo::exists(in)) {
        printError(QStringLiteral("velmo-cli: %1: no such file").arg(in));
        return kExitFailed;
    }
    if (!velmo::QDocumentFile::open(global, in))
        return kExitFailed;
    return velmo::QDocumentFile::save(global, out) ? kExitOk : kExitFailed;
}

int dump(const QString &in)
{
    velmo::QGlobal global(QCoreApplication::applicationDirPath());
    if (!QFileInfo::exists(in)) {
        printError(QStringLiteral("velmo-cli: %1: no such file").arg(in));
        return kExitFailed;
    }
    if (!velmo::QDocumentFile::open(global, in))
        return kExitFailed;
    const QByteArray json = velmo::DocumentDump::toUtf8(global);
    if (std::fwrite(json.constData(), 1, size_t(json.size()), stdout) != size_t(json.size()))
        return kExitFailed;
    return std::fflush(stdout) == 0 ? kExitOk : kExitFailed;
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
    return usage();
}
