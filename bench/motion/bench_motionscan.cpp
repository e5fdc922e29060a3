// Motion scanning in the whole program over the test scene, armed from the timer-motion menu
// as a user arms it (still scene: no clock, no moving box).
//
// BM_ScanTick: one scan tick at the real settings (grab, the frame to the detector, the scan
// of a 50 x 50 grid at 320 x 240), at 320 x 240 and 640 x 480. Each tick is timed alone after
// an untimed wait of 60 ms, so that a new frame is there, as every 100 ms in a real run.
//
// BM_ScanTickRefined: the same tick, side by side in one run, without and then with the cells
// of a quarter of the picture ignored and 50 pictures before motion kept (the ring full).
// ratio is the median tick with them over the median without; limit 1.2.
//
// BM_ArmedCpuShare: process CPU time over wall time while the event loop runs for
// VARDELLA_ARMED_SECONDS (default 10) with detection armed, and the same time with only the
// live picture shown (preview on, not armed). scan_share is the difference: what armed
// scanning costs. Goal: scan_share under 2 % of one core at 640 x 480.
#include "benchprogram.h"
#include "capture/service/testsceneoptions.h"
#include "motion/motioncapture.h"

#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <thread>

namespace {

double processCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

// The share of one core the process takes while the event loop runs for seconds, waiting for
// events as the program does (not polling them).
double cpuShare(int seconds)
{
    const double cpu = processCpuSeconds();
    const auto begin = std::chrono::steady_clock::now();
    QEventLoop loop;
    QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
    loop.exec();
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    return (processCpuSeconds() - cpu) / wall;
}

// A still scene, then "Prog.", "Activate MD", "OK".
bool arm(BenchProgram &program)
{
    program.scene().motion = false;
    program.scene().clock = false;
    program.arm();
    return program.app->motionCapture().scanArmed();
}

void BM_ScanTick(benchmark::State &run)
{
    BenchProgram program(int(run.range(0)));
    if (!program.failure().empty() || !arm(program)) {
        run.SkipWithError(program.failure().empty() ? "not armed" : program.failure().c_str());
        return;
    }
    MotionCapture &motion = program.app->motionCapture();
    for (auto _ : run) {
        // Not the event loop: the scan timer would take the new frame first.
        std::this_thread::sleep_for(std::chrono::milliseconds(60));
        const auto begin = std::chrono::steady_clock::now();
        motion.scanTick();
        run.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count());
    }
    if (program.errors() > 0 || program.state().CaptureRunning() || !motion.scanArmed())
        run.SkipWithError("the scan reported motion or failed");
}
BENCHMARK(BM_ScanTick)
    ->ArgName("size")
    ->Arg(Size320x240)
    ->Arg(Size640x480)
    ->Iterations(100)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// The median of count scan ticks, each after a wait for a new frame, in milliseconds.
double medianTickMs(MotionCapture &motion, int count)
{
    std::vector<double> ms;
    for (int i = 0; i < count; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(60));
        const auto begin = std::chrono::steady_clock::now();
        motion.scanTick();
        ms.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin)
                .count());
    }
    std::nth_element(ms.begin(), ms.begin() + count / 2, ms.end());
    return ms[static_cast<std::size_t>(count / 2)];
}

void BM_ScanTickRefined(benchmark::State &run)
{
    constexpr int Ticks = 60;
    constexpr double Limit = 1.2;
    BenchProgram program(int(run.range(0)));
    if (!program.failure().empty() || !arm(program)) {
        run.SkipWithError(program.failure().empty() ? "not armed" : program.failure().c_str());
        return;
    }
    MotionCapture &motion = program.app->motionCapture();
    MotionMask mask;
    for (int r = 0; r < 25; ++r)
        for (int c = 0; c < 25; ++c)
            mask.setCell(50, 50, r, c, true);
    for (auto _ : run) {
        motion.setMask({});
        motion.setPicturesBeforeMotion(0);
        const double plain = medianTickMs(motion, Ticks);
        motion.setMask(mask);
        motion.setPicturesBeforeMotion(PreCaptureRing::MaxFrames);
        medianTickMs(motion, PreCaptureRing::MaxFrames); // fills the ring
        const double refined = medianTickMs(motion, Ticks);
        run.SetIterationTime(refined / 1000);
        run.counters["plain_ms"] = plain;
        run.counters["refined_ms"] = refined;
        run.counters["ratio"] = refined / plain;
        if (refined / plain > Limit)
            run.SkipWithError("a tick with mask and pictures before motion costs over 1.2 x");
    }
    if (program.errors() > 0 || program.state().CaptureRunning() || !motion.scanArmed())
        run.SkipWithError("the scan reported motion or failed");
}
BENCHMARK(BM_ScanTickRefined)
    ->ArgName("size")
    ->Arg(Size320x240)
    ->Arg(Size640x480)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

void BM_ArmedCpuShare(benchmark::State &run)
{
    const int seconds = qEnvironmentVariableIntValue("VARDELLA_ARMED_SECONDS") > 0
                            ? qEnvironmentVariableIntValue("VARDELLA_ARMED_SECONDS")
                            : 10;
    BenchProgram program(int(run.range(0)));
    if (!program.failure().empty()) {
        run.SkipWithError(program.failure().c_str());
        return;
    }
    for (auto _ : run) {
        runEventsFor(500); // the live picture settles
        const double idle = cpuShare(seconds);
        if (!arm(program)) {
            run.SkipWithError("not armed");
            return;
        }
        const double armed = cpuShare(seconds);
        run.counters["idle_share_pct"] = idle * 100;
        run.counters["armed_share_pct"] = armed * 100;
        run.counters["scan_share_pct"] = (armed - idle) * 100;
    }
    if (program.errors() > 0 || !program.app->motionCapture().scanArmed())
        run.SkipWithError("scanning stopped");
}
BENCHMARK(BM_ArmedCpuShare)
    ->ArgName("size")
    ->Arg(Size320x240)
    ->Arg(Size640x480)
    ->Iterations(1)
    ->Unit(benchmark::kSecond);
} // namespace

int main(int argc, char **argv)
{
    return runQtBenchmarks(argc, argv);
}
