// The real capture period of a run of the whole program over the test scene, for requested
// intervals of 100, 500, 1000 and 5000 ms set through the interval arrows and "Fine -" and
// started with "Start", so that the timer adjustment applies. Each tick is seen when the
// picture path box changes at its start. Counters: the mean period over the run, the worst
// deviation of one period from the request, and the drift after 50 ticks (time of tick 50
// minus 50 x the request). 5000 ms takes over four minutes; pick one interval with
// --benchmark_filter=BM_CapturePeriod/1000 and the like.
#include "benchprogram.h"
#include "shell/updowncontrol.h"
#include "store/intervalcontrols.h"

#include <QEventLoop>
#include <QTimer>
#include <QToolButton>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

namespace {
using namespace benchprogram;

using Clock = std::chrono::steady_clock;
constexpr int Ticks = 50;

double milliseconds(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

void pressArrow(UpDownControl *arrows, const char *which)
{
    arrows->findChild<QToolButton *>(which)->click();
}

// Whole seconds through the interval arrows; below a second, "Fine -" from 1 s in 50 ms steps.
bool requestInterval(Application &app, int requestMs)
{
    auto *arrows = control<UpDownControl>(app, "intervalArrows");
    const int seconds = std::max(1, requestMs / 1000);
    while (arrows->position() > seconds)
        pressArrow(arrows, "down");
    while (arrows->position() < seconds)
        pressArrow(arrows, "up");
    for (int ms = 1000; ms > requestMs; ms -= 50)
        control<QPushButton>(app, "fineMinus")->click();
    return app.intervalControls().requestedIntervalMs() == requestMs;
}

// Runs capture until tick 50 and returns the start and the time of every tick.
std::vector<Clock::time_point> captureRun(Application &app, int requestMs)
{
    auto *start = control<QPushButton>(app, "start");
    std::vector<Clock::time_point> times;
    times.reserve(Ticks + 1);
    QEventLoop loop;
    const QMetaObject::Connection seen = QObject::connect(control<QLineEdit>(app, "picturePathBox"),
                                                          &QLineEdit::textChanged, &loop, [&] {
                                                              times.push_back(Clock::now());
                                                              if (int(times.size()) == Ticks + 1)
                                                                  loop.quit();
                                                          });
    QTimer::singleShot(2 * Ticks * requestMs + 20000, &loop, &QEventLoop::quit);
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
    Program program(Size320x240);
    if (!program.failure().empty()) {
        run.SkipWithError(program.failure().c_str());
        return;
    }
    if (!requestInterval(program.app(), request)) {
        run.SkipWithError("the interval controls cannot request this interval");
        return;
    }
    for (auto _ : run) {
        const std::vector<Clock::time_point> times = captureRun(program.app(), request);
        if (int(times.size()) != Ticks + 1 || program.errors() > 0) {
            run.SkipWithError("the run did not reach 50 ticks");
            return;
        }
        double worst = 0;
        for (int i = 1; i <= Ticks; ++i)
            worst = std::max(worst, std::abs(milliseconds(times[i] - times[i - 1]) - request));
        const double total = milliseconds(times[Ticks] - times[0]);
        run.SetIterationTime(total / 1000);
        run.counters["mean_period_ms"] = total / Ticks;
        run.counters["worst_deviation_ms"] = worst;
        run.counters["drift_ms"] = total - double(Ticks) * request;
        run.counters["timer_period_ms"] = program.app().captureTimer().interval();
    }
}
BENCHMARK(BM_CapturePeriod)
    ->Arg(100)
    ->Arg(500)
    ->Arg(1000)
    ->Arg(5000)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
} // namespace

int main(int argc, char **argv)
{
    return runQtBenchmarks(argc, argv);
}
