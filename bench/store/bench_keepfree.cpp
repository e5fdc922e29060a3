// What "Keep free" adds to each capture tick: one look at the store's file system (statvfs)
// and one at the picture the new one replaces, against a real directory on the machine's disk.
// With the limit off, the check asks nothing.
#include "store/keepfree.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {
void BM_KeepFreeCheck(benchmark::State &run)
{
    const QTemporaryDir dir;
    const QString previous = QDir::currentPath();
    QDir::setCurrent(dir.path());
    QDir().mkpath(QStringLiteral("1"));
    const QString path = QStringLiteral("1/capture7.jpg");
    if (run.range(0) != 0) {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(QByteArray(30000, 'x')) != 30000)
            run.SkipWithError("cannot write the replaced picture");
    }
    WorkingDirectorySpace space;
    KeepFree keepFree(space);
    keepFree.setMegabytes(int(run.range(1)));
    keepFree.pictureStored(30000);
    int restarts = 0;
    for (auto _ : run)
        restarts += keepFree.restartNeeded(7, path, 320 * 240 * 3) ? 1 : 0;
    benchmark::DoNotOptimize(restarts);
    QDir::setCurrent(previous);
}
BENCHMARK(BM_KeepFreeCheck)
    ->ArgNames({"replaces", "keep_free_mb"})
    ->ArgsProduct({{0, 1}, {0, 200}})
    ->Unit(benchmark::kMicrosecond);
} // namespace

BENCHMARK_MAIN();
