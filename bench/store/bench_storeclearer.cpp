// The clear routine: the whole store (320000 delete-by-name calls, nearly all of missing
// files) and one full directory of 5000 pictures, recreated outside the timed region.
#include "shell/applicationstate.h"
#include "store/picturestore.h"
#include "store/storeclearer.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {
// A fresh store as working directory for the lifetime of one benchmark.
class StoreDir
{
public:
    StoreDir() : m_previous(QDir::currentPath()) { QDir::setCurrent(m_dir.path()); }
    ~StoreDir() { QDir::setCurrent(m_previous); }

private:
    QString m_previous;
    QTemporaryDir m_dir;
};

void createPictures(int directory, int first, int last)
{
    PictureStore::CreateDirectory(directory);
    for (int n = first; n <= last; ++n) {
        QFile file(PictureStore::PicturePath(directory, n));
        file.open(QIODevice::WriteOnly);
    }
}

void BM_ClearWholeStore(benchmark::State &run)
{
    StoreDir dir;
    for (int d = 1; d <= PictureStore::DirectoryCount; ++d)
        PictureStore::CreateDirectory(d);
    ClearReport report;
    for (auto _ : run) {
        run.PauseTiming();
        // A few pictures at the start, the middle and the end; the rest are missing.
        createPictures(1, 0, 9);
        createPictures(32, 155000, 155009);
        createPictures(64, 319990, 319999);
        ApplicationState state;
        state.setMaxFrames(PictureStore::StoreCapacity);
        run.ResumeTiming();
        report = StoreClearer::ClearStore(state, true, [](int) {});
    }
    run.counters["names"] = report.namesTried;
    run.counters["deleted"] = report.filesDeleted;
    run.counters["ns_per_name"] = benchmark::Counter(double(report.namesTried),
                                                     benchmark::Counter::kIsIterationInvariantRate |
                                                         benchmark::Counter::kInvert);
}
BENCHMARK(BM_ClearWholeStore)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ClearFullDirectory(benchmark::State &run)
{
    StoreDir dir;
    ClearReport report;
    for (auto _ : run) {
        run.PauseTiming();
        createPictures(1, 0, 4999);
        ApplicationState state;
        state.setMaxFrames(4999); // directory "1" exactly: pictures 0 to 4999
        run.ResumeTiming();
        report = StoreClearer::ClearStore(state, true, [](int) {});
    }
    run.counters["deleted"] = report.filesDeleted;
}
BENCHMARK(BM_ClearFullDirectory)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
