// Measures the peak memory of opening a large document against its file size. The load runs in a
// fresh process of this program, so nothing of the generation counts towards its peak.
#include <cstdio>
#include <cstring>
#include <optional>

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include "model/document.h"
#include "model/documentfile.h"
#include "model/messagereporter.h"
#include "syntheticdocument.h"

namespace {

using namespace velmo;

constexpr qint64 kDefaultObjects = 100000;
constexpr qint64 kMiB = 1024 * 1024;
// The figure to reach: peak memory of a load at most 4 × the file size + 50 MB.
constexpr qint64 kSizeFactor = 4;
constexpr qint64 kAllowance = 50'000'000;
const char kMeasureOption[] = "--measure";

void usage(const char *program)
{
    std::fprintf(stderr,
                 "usage: %s [--objects N] [--seed S] [FILE]\n"
                 "  Opens FILE (a .vlm document) in a child process and compares the load's peak\n"
                 "  memory with the file size. Without FILE, or when FILE does not exist, a\n"
                 "  synthetic document of N objects (default %lld) is written first.\n",
                 program, static_cast<long long>(kDefaultObjects));
}

// A field of /proc/self/status in bytes ("VmHWM", "VmRSS"), or -1.
qint64 statusBytes(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray key = QByteArray(field) + ':';
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(key)) {
            const QByteArray kib = line.mid(key.size()).trimmed().split(' ').value(0);
            bool ok = false;
            const qint64 value = kib.toLongLong(&ok);
            return ok ? value * 1024 : -1;
        }
    }
    return -1;
}

class CountingReporter : public MessageReporter
{
public:
    void showMessage(const QString &text) override
    {
        std::fprintf(stderr, "%s\n", qPrintable(text));
        ++count;
    }
    int count = 0;
};

// The child: loads the file and prints "baseline peak resident" in bytes on one line.
int measure(const QString &path)
{
    // Resetting the high-water mark makes it start from the current size; where the kernel
    // refuses, the baseline below is still taken against the current size.
    if (QFile clearRefs(QStringLiteral("/proc/self/clear_refs"));
        clearRefs.open(QIODevice::WriteOnly))
        clearRefs.write("5");
    CountingReporter reporter;
    Document global;
    global.setReporter(&reporter);
    const qint64 baseline = statusBytes("VmRSS");
    const bool ok = DocumentFile::open(global, path);
    const qint64 peak = statusBytes("VmHWM");
    const qint64 resident = statusBytes("VmRSS");
    if (!ok || reporter.count > 0 || baseline < 0 || peak < 0)
        return 1;
    std::printf("%lld %lld %lld\n", static_cast<long long>(baseline), static_cast<long long>(peak),
                static_cast<long long>(resident));
    return 0;
}

double mib(qint64 bytes)
{
    return double(bytes) / double(kMiB);
}

bool writeSynthetic(const QString &path, qint64 objects, quint64 seed)
{
    std::printf("writing a synthetic document of %lld objects to %s\n",
                static_cast<long long>(objects), qPrintable(path));
    const bench::SyntheticDocument document = bench::generateSyntheticDocument(objects, seed);
    CountingReporter reporter;
    document.global->setReporter(&reporter);
    return DocumentFile::save(*document.global, path);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 3 && std::strcmp(argv[1], kMeasureOption) == 0)
        return measure(QString::fromLocal8Bit(argv[2]));

    QCoreApplication app(argc, argv);
    qint64 objects = kDefaultObjects;
    quint64 seed = 1;
    std::optional<QString> path;
    const QStringList args = app.arguments();
    for (qsizetype i = 1; i < args.size(); ++i) {
        bool ok = true;
        if (args[i] == u"--objects" && i + 1 < args.size()) {
            objects = args[++i].toLongLong(&ok);
        } else if (args[i] == u"--seed" && i + 1 < args.size()) {
            seed = args[++i].toULongLong(&ok);
        } else if (!args[i].startsWith(u'-') && !path) {
            path = args[i];
        } else {
            ok = false;
        }
        if (!ok) {
            usage(argv[0]);
            return 2;
        }
    }

    QTemporaryDir folder;
    if (!path) {
        if (!folder.isValid()) {
            std::fprintf(stderr, "no temporary folder\n");
            return 1;
        }
        path = folder.filePath(QStringLiteral("synthetic.vlm"));
    }
    if (!QFileInfo::exists(*path) && !writeSynthetic(*path, objects, seed))
        return 1;
    const qint64 fileSize = QFileInfo(*path).size();

    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(),
                {QString::fromLatin1(kMeasureOption), *path});
    if (!child.waitForFinished(-1) || child.exitStatus() != QProcess::NormalExit ||
        child.exitCode() != 0) {
        std::fprintf(stderr, "the load in the child process failed\n");
        return 1;
    }
    const QList<QByteArray> fields = child.readAllStandardOutput().trimmed().split(' ');
    if (fields.size() != 3) {
        std::fprintf(stderr, "unexpected answer from the child process\n");
        return 1;
    }
    const qint64 baseline = fields[0].toLongLong();
    const qint64 peak = fields[1].toLongLong();
    const qint64 resident = fields[2].toLongLong();
    const qint64 used = peak - baseline;
    const qint64 limit = kSizeFactor * fileSize + kAllowance;

    std::printf("file size            %10.1f MiB (%lld bytes)\n", mib(fileSize),
                static_cast<long long>(fileSize));
    std::printf("baseline resident    %10.1f MiB\n", mib(baseline));
    std::printf("peak during load     %10.1f MiB (VmHWM)\n", mib(peak));
    std::printf("resident after load  %10.1f MiB\n", mib(resident));
    std::printf("load peak - baseline %10.1f MiB = %.2f x file size\n", mib(used),
                double(used) / double(fileSize));
    std::printf("limit (4 x size + 50 MB) %6.1f MiB: %s\n", mib(limit),
                used <= limit ? "met" : "EXCEEDED");
    return used <= limit ? 0 : 1;
}
