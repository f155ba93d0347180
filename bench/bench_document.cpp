// Timings of the document file on a 100,000-object synthetic document: load from memory and from
// a file, save to a file, and the search for the object that a search reaches last.
#include <memory>

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include "model/document.h"
#include "model/documentfile.h"
#include "model/messagereporter.h"
#include "model/recoveryfile.h"
#include "model/site.h"
#include "syntheticdocument.h"

namespace {

using namespace velmo;

constexpr qint64 kObjects = 100000;

class RecordingReporter : public MessageReporter
{
public:
    void showMessage(const QString &text) override { last = text; }
    QString last;
};

// Built once and shared, so that every benchmark times the same bytes.
struct Fixture
{
    Fixture() : document(bench::generateSyntheticDocument(kObjects))
    {
        document.global->setReporter(&reporter);
        path = folder.filePath(QStringLiteral("document.vlm"));
        if (!DocumentFile::toBytes(*document.global, bytes) ||
            !DocumentFile::save(*document.global, path)) {
            error = "the synthetic document could not be written";
            return;
        }
        // A save or a load that wrote or read something else than the bytes would make every
        // timing moot.
        QFile saved(path);
        if (!saved.open(QIODevice::ReadOnly) || saved.readAll() != bytes) {
            error = "the saved file differs from the document's bytes";
            return;
        }
        Document reloaded;
        QByteArray again;
        if (!DocumentFile::openBytes(reloaded, bytes) || !DocumentFile::toBytes(reloaded, again) ||
            again != bytes)
            error = "the synthetic document does not survive a load and save unchanged";
    }

    RecordingReporter reporter;
    bench::SyntheticDocument document;
    QByteArray bytes;
    QTemporaryDir folder;
    QString path;
    const char *error = nullptr;
};

Fixture &fixture()
{
    static Fixture instance;
    return instance;
}

// Null (after marking the benchmark skipped) when the fixture is unusable.
Fixture *readyFixture(benchmark::State &state)
{
    Fixture &f = fixture();
    if (f.error != nullptr || !f.folder.isValid()) {
        state.SkipWithError(f.error != nullptr ? f.error : "no temporary folder");
        return nullptr;
    }
    state.counters["file_bytes"] = double(f.bytes.size());
    state.counters["objects"] = double(f.document.objectCount);
    return &f;
}

template<class Open>
void timeLoad(benchmark::State &state, Fixture &f, Open open)
{
    RecordingReporter reporter;
    for (auto _ : state) {
        // Building the empty root and destroying the loaded model are not part of a load.
        state.PauseTiming();
        auto global = std::make_unique<Document>();
        global->setReporter(&reporter);
        state.ResumeTiming();
        const bool ok = open(*global);
        state.PauseTiming();
        if (!ok || global->sites.count() != f.document.global->sites.count()) {
            state.SkipWithError("the document did not load");
            break;
        }
        global.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * f.bytes.size());
}

void BM_LoadFromMemory(benchmark::State &state)
{
    if (Fixture *f = readyFixture(state))
        timeLoad(state, *f, [f](Document &g) { return DocumentFile::openBytes(g, f->bytes); });
}
BENCHMARK(BM_LoadFromMemory)->Unit(benchmark::kMillisecond);

void BM_LoadFromFile(benchmark::State &state)
{
    if (Fixture *f = readyFixture(state))
        timeLoad(state, *f, [f](Document &g) { return DocumentFile::open(g, f->path); });
}
BENCHMARK(BM_LoadFromFile)->Unit(benchmark::kMillisecond);

void BM_SaveToFile(benchmark::State &state)
{
    Fixture *f = readyFixture(state);
    if (f == nullptr)
        return;
    const QString target = f->folder.filePath(QStringLiteral("saved.vlm"));
    for (auto _ : state) {
        if (!DocumentFile::save(*f->document.global, target)) {
            state.SkipWithError(qPrintable(f->reporter.last));
            break;
        }
    }
    state.SetBytesProcessed(state.iterations() * f->bytes.size());
}
BENCHMARK(BM_SaveToFile)->Unit(benchmark::kMillisecond);

// The whole document in one byte array, as tests and the fuzzer take it; unlike a save, it has
// to fault in fresh memory of the file's size.
void BM_SaveToBytes(benchmark::State &state)
{
    Fixture *f = readyFixture(state);
    if (f == nullptr)
        return;
    for (auto _ : state) {
        QByteArray out;
        if (!DocumentFile::toBytes(*f->document.global, out)) {
            state.SkipWithError("the document could not be encoded");
            break;
        }
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(state.iterations() * f->bytes.size());
}
BENCHMARK(BM_SaveToBytes)->Unit(benchmark::kMillisecond);

// The autosave's share on the GUI thread: the document encoded into a buffer kept from the last
// time.
void BM_AutoSaveSnapshot(benchmark::State &state)
{
    Fixture *f = readyFixture(state);
    if (f == nullptr)
        return;
    QByteArray snapshot;
    DocumentFile::toBytes(*f->document.global, snapshot);
    for (auto _ : state) {
        if (!DocumentFile::toBytes(*f->document.global, snapshot)) {
            state.SkipWithError("the document could not be encoded");
            break;
        }
        benchmark::DoNotOptimize(snapshot.data());
    }
    state.SetBytesProcessed(state.iterations() * f->bytes.size());
}
BENCHMARK(BM_AutoSaveSnapshot)->Unit(benchmark::kMillisecond);

// A whole autosave: the snapshot and the recovery file written from it (on a worker in the
// program).
void BM_AutoSave(benchmark::State &state)
{
    Fixture *f = readyFixture(state);
    if (f == nullptr)
        return;
    const QString target = f->folder.filePath(QStringLiteral("recovery/doc.velmo-recovery"));
    QByteArray snapshot;
    DocumentFile::toBytes(*f->document.global, snapshot);
    for (auto _ : state) {
        if (!DocumentFile::toBytes(*f->document.global, snapshot) ||
            !RecoveryFile::write(target, f->path, QDateTime::currentDateTimeUtc(), snapshot)) {
            state.SkipWithError("the recovery file could not be written");
            break;
        }
    }
    state.SetBytesProcessed(state.iterations() * f->bytes.size());
}
BENCHMARK(BM_AutoSave)->Unit(benchmark::kMillisecond);

void BM_FindByIdInLastSite(benchmark::State &state)
{
    Fixture *f = readyFixture(state);
    if (f == nullptr)
        return;
    Site *site = f->document.global->sites.last();
    const ObjectId target = f->document.lastObjectId;
    for (auto _ : state) {
        velmo::Object *found = site->findById(target);
        benchmark::DoNotOptimize(found);
        if (found != f->document.lastObject) {
            state.SkipWithError("the last object was not found");
            break;
        }
    }
}
BENCHMARK(BM_FindByIdInLastSite)->Unit(benchmark::kMicrosecond);

// The worst case of a lookup that does not know the site: every site is searched in full.
void BM_FindByIdThroughAllSites(benchmark::State &state)
{
    Fixture *f = readyFixture(state);
    if (f == nullptr)
        return;
    const ObjectId target = f->document.lastObjectId;
    for (auto _ : state) {
        velmo::Object *found = nullptr;
        for (Site *site : f->document.global->sites) {
            found = site->findById(target);
            if (found != nullptr)
                break;
        }
        benchmark::DoNotOptimize(found);
        if (found != f->document.lastObject) {
            state.SkipWithError("the last object was not found");
            break;
        }
    }
}
BENCHMARK(BM_FindByIdThroughAllSites)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
