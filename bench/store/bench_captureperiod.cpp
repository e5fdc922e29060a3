// The real capture period of a run of the whole program over the test scene, for requested
// intervals of 100, 500, 1000 and 5000 ms set through the interval arrows and "Fine -" and
// started with "Start", at 320 x 240 and 640 x 480. Each tick is seen when the picture path box
// changes at its start. A run is 50 ticks (100 at 100 ms). Counters: the mean period and its
// error in per cent of the request, the worst deviation of one period from the request, and
// the drift after the last tick (its time minus ticks x the request, from "Start"). 5000 ms
// takes over four minutes; pick one with --benchmark_filter=BM_CapturePeriod/1000/1 and the
// like (the second number: 0 for 640 x 480, 1 for 320 x 240).
#include "benchprogram.h"

#include <QEventLoop>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

int ticksFor(int requestMs)
{
    return requestMs <= 100 ? 100 : 50;
}

double milliseconds(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

// Runs capture for the ticks given and returns the start and the time of every tick.
std::vector<Clock::time_point> captureRun(BenchProgram &program, int requestMs, int ticks)
{
    QPushButton *start = program.panel()->start;
    std::vector<Clock::time_point> times;
    times.reserve(std::size_t(ticks) + 1);
    QEventLoop loop;
    const QMetaObject::Connection seen =
        QObject::connect(program.panel()->picturePathBox, &QLineEdit::textChanged, &loop, [&] {
            times.push_back(Clock::now());
            if (int(times.size()) == ticks + 1)
                loop.quit();
        });
    QTimer::singleShot(2 * ticks * requestMs + 20000, &loop, &QEventLoop::quit);
    start->click();
    times.insert(times.begin(), Clock::now());
    loop.exec();
    start->click();
    QObject::disconnect(seen);
    return times;
}

void BM_CapturePeriod(benchmark::State &run)
{
    const int request = int(run.range(0));
    const int ticks = ticksFor(request);
    BenchProgram program(int(run.range(1)));
    if (!program.failure().empty()) {
        run.SkipWithError(program.failure().c_str());
        return;
    }
    if (!program.requestInterval(request)) {
        run.SkipWithError("the interval controls cannot request this interval");
        return;
    }
    for (auto _ : run) {
        const std::vector<Clock::time_point> times = captureRun(program, request, ticks);
        if (int(times.size()) != ticks + 1 || program.errors() > 0) {
            run.SkipWithError("the run did not reach its last tick");
            return;
        }
        double worst = 0;
        for (int i = 1; i <= ticks; ++i)
            worst = std::max(worst, std::abs(milliseconds(times[i] - times[i - 1]) - request));
        const double total = milliseconds(times[std::size_t(ticks)] - times[0]);
        const double mean = total / ticks;
        run.SetIterationTime(total / 1000);
        run.counters["mean_period_ms"] = mean;
        run.counters["error_percent"] = 100 * (mean - request) / request;
        run.counters["worst_deviation_ms"] = worst;
        run.counters["drift_ms"] = total - double(ticks) * request;
        run.counters["timer_period_ms"] = program.captureTimer().interval();
    }
}
BENCHMARK(BM_CapturePeriod)
    ->ArgsProduct({{100, 500, 1000, 5000}, {Size320x240, Size640x480}})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
} // namespace

int main(int argc, char **argv)
{
    return runQtBenchmarks(argc, argv);
}
