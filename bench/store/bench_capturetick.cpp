// The cost of one capture tick in the whole program: grab of a test scene frame, bitmap, JPEG
// encoding, the write through a temporary file into the store and the numbering, at 320 x 240
// and 640 x 480, without and with the time stamp on pictures.
//
// The test scene delivers 25 frames a second and a grab hands over only a frame not given
// before, waiting for one otherwise. BM_CaptureTick therefore times each tick alone, after an
// untimed wait of 60 ms (event loop running, as between real ticks) that makes sure a new
// frame is there: it measures the work of a tick, as in any run with a period above 40 ms.
// BM_CaptureTickBackToBack ticks without that wait, so it includes the wait for the next frame.
#include "benchprogram.h"
#include "capture/capturecontroller.h"
#include "store/captureloop.h"

#include <QFileInfo>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>

namespace {
void BM_CaptureTick(benchmark::State &run)
{
    BenchProgram program(int(run.range(0)));
    if (!program.failure().empty()) {
        run.SkipWithError(program.failure().c_str());
        return;
    }
    program.startHeld(); // the benchmark delivers the ticks
    program.app->core().session().setTimeStamp(run.range(1) != 0);
    CaptureLoop &loop = program.loop();
    double longest = 0;
    for (auto _ : run) {
        runEventsFor(60); // a new frame is surely there
        const auto begin = std::chrono::steady_clock::now();
        loop.captureTick();
        const auto end = std::chrono::steady_clock::now();
        const double seconds = std::chrono::duration<double>(end - begin).count();
        run.SetIterationTime(seconds);
        longest = std::max(longest, seconds);
    }
    run.counters["longest_tick_ms"] = longest * 1000;
    if (program.errors() > 0 || !program.state().CaptureRunning())
        run.SkipWithError("capture stopped with an error");
    run.counters["bytes_per_picture"] = double(QFileInfo("1/capture0.jpg").size());
}
BENCHMARK(BM_CaptureTick)
    ->ArgNames({"size", "stamp"})
    ->ArgsProduct({{Size320x240, Size640x480}, {0, 1}})
    ->Iterations(200)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

void BM_CaptureTickBackToBack(benchmark::State &run)
{
    BenchProgram program(int(run.range(0)));
    if (!program.failure().empty()) {
        run.SkipWithError(program.failure().c_str());
        return;
    }
    program.startHeld();
    CaptureLoop &loop = program.loop();
    for (auto _ : run)
        loop.captureTick();
    if (program.errors() > 0 || !program.state().CaptureRunning())
        run.SkipWithError("capture stopped with an error");
}
BENCHMARK(BM_CaptureTickBackToBack)
    ->ArgName("size")
    ->Arg(Size320x240)
    ->Arg(Size640x480)
    ->Iterations(50)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
} // namespace

int main(int argc, char **argv)
{
    return runQtBenchmarks(argc, argv);
}
