// Benchmarks of the transfer to a web server: the 2,000-page synthetic site sent over SFTP to an
// sshd started on 127.0.0.1 — nothing changed, one page changed, and the first upload.
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include "deploy/sitedeploy.h"
#include "generator/siteoutput.h"
#include "model/document.h"
#include "model/messagereporter.h"
#include "sshserver.h"
#include "syntheticsite.h"

namespace {

class SilentReporter : public velmo::MessageReporter
{
public:
    void showMessage(const QString &) override {}
};

// The synthetic site published once, and an sshd to send it to.
struct DeployBench
{
    DeployBench()
    {
        global.setReporter(&reporter);
        makeSyntheticSite(global, root.path(), 50, 4, 2000);
        velmo::gen::SiteOutput(global).outputSite(&published);
        settings.protocol = velmo::deploy::ServerSettings::Protocol::Sftp;
        settings.host = QStringLiteral("127.0.0.1");
        settings.port = server.port();
        settings.user = server.user();
        settings.keyFile = server.userKey();
        settings.remoteFolder = server.root() + QStringLiteral("/www");
        options.connection.acceptUnknownHostKey = true;
        options.connection.knownHostsFile = root.filePath(QStringLiteral("known_hosts"));
    }

    velmo::deploy::SiteDeploy::Counts run()
    {
        velmo::deploy::SiteDeploy deploy(settings, QString(), published, record(), options);
        if (deploy.prepare() != velmo::deploy::SiteDeploy::Result::Done ||
            deploy.execute() != velmo::deploy::SiteDeploy::Result::Done)
            return {-1, -1, -1, -1, -1};
        return deploy.counts();
    }
    QString record() const { return root.filePath(QStringLiteral("record.tsv")); }
    void clearServer()
    {
        QDir(settings.remoteFolder).removeRecursively();
        QDir().mkpath(settings.remoteFolder);
        QFile::remove(record());
    }

    QTemporaryDir root{QDir::currentPath() + QStringLiteral("/velmo-bench-XXXXXX")};
    velmo::Document global{root.path()};
    SilentReporter reporter;
    QString published;
    SshServer server;
    velmo::deploy::ServerSettings settings;
    velmo::deploy::SiteDeploy::Options options;
};

DeployBench &bench()
{
    static DeployBench instance;
    return instance;
}

bool ready(benchmark::State &state)
{
    if (!bench().server.error().isEmpty()) {
        state.SkipWithError(qPrintable(bench().server.error()));
        return false;
    }
    return true;
}

void report(benchmark::State &state, const velmo::deploy::SiteDeploy::Counts &counts)
{
    state.counters["uploaded"] = counts.uploaded;
    state.counters["replaced"] = counts.replaced;
    state.counters["unchanged"] = counts.unchanged;
    state.counters["failed"] = counts.failed;
}

// Nothing changed since the last transfer: one listing of the server, the plan, nothing sent.
void BM_DeployUnchanged(benchmark::State &state)
{
    if (!ready(state))
        return;
    bench().clearServer();
    bench().run();
    velmo::deploy::SiteDeploy::Counts counts;
    for (auto _ : state)
        counts = bench().run();
    report(state, counts);
}
BENCHMARK(BM_DeployUnchanged)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

// One page edited between transfers: exactly that file is sent.
void BM_DeployOnePageChanged(benchmark::State &state)
{
    if (!ready(state))
        return;
    bench().clearServer();
    bench().run();
    const QString page = bench().published + QStringLiteral("/index.html");
    QFile file(page);
    file.open(QIODevice::ReadOnly);
    const QByteArray original = file.readAll();
    file.close();
    velmo::deploy::SiteDeploy::Counts counts;
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(original + "<!-- " + QByteArray::number(++round) + " -->");
        file.close();
        state.ResumeTiming();
        counts = bench().run();
    }
    report(state, counts);
}
BENCHMARK(BM_DeployOnePageChanged)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

// The first transfer of the whole site to an empty folder.
void BM_DeployFirstUpload(benchmark::State &state)
{
    if (!ready(state))
        return;
    velmo::deploy::SiteDeploy::Counts counts;
    for (auto _ : state) {
        state.PauseTiming();
        bench().clearServer();
        state.ResumeTiming();
        counts = bench().run();
    }
    report(state, counts);
}
BENCHMARK(BM_DeployFirstUpload)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

} // namespace

BENCHMARK_MAIN();
