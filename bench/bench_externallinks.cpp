// The external link check of 200 addresses on 20 hosts against tests/support/linkserver.py on
// 127.0.0.1, answering at once: the time for all of them, and the most requests one host had
// at once.
#include <QCoreApplication>
#include <QJsonObject>

#include <benchmark/benchmark.h>

#include "generator/externallinkcheck.h"
#include "linkserver.h"

namespace {

void BM_ExternalLinks(benchmark::State &state)
{
    LinkServer server(QStringLiteral(VELMO_LINK_SERVER));
    if (!server.error().isEmpty()) {
        state.SkipWithError(qPrintable(server.error()));
        return;
    }
    // Host names under .localhost reach 127.0.0.1 without a name server, each a host of its
    // own to the check.
    QStringList urls;
    for (int i = 0; i < 200; ++i)
        urls << server.base(QStringLiteral("h%1.localhost").arg(i % 20)) +
                    QStringLiteral("/page/%1").arg(i);
    velmo::gen::ExternalLinkCheck::Settings settings;
    settings.cacheFile.clear();
    qsizetype good = 0;
    for (auto _ : state) {
        const QList<velmo::gen::ExternalLinkCheck::Answer> answers =
            velmo::gen::ExternalLinkCheck(settings).check(urls);
        good = std::count_if(answers.cbegin(), answers.cend(), [](const auto &answer) {
            return answer.verdict == velmo::gen::ExternalLinkCheck::Verdict::Ok;
        });
    }
    if (good != urls.size())
        state.SkipWithError("not every address answered 200");
    state.counters["addresses"] = double(urls.size());
    state.counters["most_per_host"] = server.stats().value(QStringLiteral("most")).toInt();
}
BENCHMARK(BM_ExternalLinks)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
