// The real capture period of a run of the whole program over the test scene, for requested
// intervals of 100, 500, 1000 and 5000 ms set through the interval arrows and "Fine -" and
// started with "Start", at 320 x 240 and 640 x 480. Each tick is seen when the picture path box
// changes at its start. A run is 50 ticks (100 at 100 ms). Counters: the mean period and its
// error in per cent of the request, the worst deviation of one period from the request, and
// the drift after the last tick (its time minus ticks x the request, from "Start"). 5000 ms
// takes over four minutes; pick one with --benchmark_filter=BM_CapturePeriod/1000/1 and the
// like (the second number: 0 for 640 x 480, 1 for 320 x 240). BM_CapturePeriodWithCommand
// runs 100 ms at 320 x 240 with a command on each picture that notes its start and sleeps 1 s, set
// in "Custom settings" as a user does: four run at once, the others wait or are dropped, and the
// period should not notice. BM_CapturePeriodAtSizes runs 500 ms at 320 x 240, 640 x 480,
// 1280 x 720 and 1920 x 1080, each beside its limits: an error within 0.5 % and a worst
// deviation under 10 ms.
#include "benchprogram.h"
#include "shell/picturenames.h"

#include <QEventLoop>
#include <QImageReader>
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

int linesIn(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? int(file.readAll().count('\n')) : 0;
}

// The command on each picture through its line in "Custom settings", confirmed with Enter.
bool setPictureCommand(BenchProgram &program, const QString &command)
{
    QWidget *custom = program.app->toolWindows().window(ToolWindows::Role::CustomSettings);
    auto *line = custom ? custom->findChild<QLineEdit *>("command-picture") : nullptr;
    if (!line)
        return false;
    line->setText(command);
    emit line->returnPressed();
    return true;
}

void measurePeriod(benchmark::State &run, const QString &command, QSize expected = {})
{
    const int request = int(run.range(0));
    const int ticks = ticksFor(request);
    BenchProgram program(int(run.range(1)));
    if (!program.failure().empty()) {
        run.SkipWithError(program.failure().c_str());
        return;
    }
    if (!command.isEmpty() && !setPictureCommand(program, command)) {
        run.SkipWithError("the command line of \"Custom settings\" is missing");
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
        if (!command.isEmpty())
            run.counters["commands_started"] = linesIn("started");
    }
    if (expected.isValid() && QImageReader(PictureStore::PicturePath(1, 1)).size() != expected)
        run.SkipWithError("the pictures are not of the size asked for");
}

void BM_CapturePeriodAtSizes(benchmark::State &run)
{
    measurePeriod(run, {}, QSize(int(run.range(2)), int(run.range(3))));
    run.counters["limit_error_percent"] = 0.5;
    run.counters["limit_worst_ms"] = 10;
}
// The request, the size list entry and the size it stands for.
BENCHMARK(BM_CapturePeriodAtSizes)
    ->Args({500, Size320x240, 320, 240})
    ->Args({500, Size640x480, 640, 480})
    ->Args({500, Size1280x720, 1280, 720})
    ->Args({500, Size1920x1080, 1920, 1080})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
void BM_CapturePeriod(benchmark::State &run)
{
    measurePeriod(run, {});
}
BENCHMARK(BM_CapturePeriod)
    ->ArgsProduct({{100, 500, 1000, 5000}, {Size320x240, Size640x480}})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

void BM_CapturePeriodWithCommand(benchmark::State &run)
{
    measurePeriod(run, QStringLiteral(R"(sh -c "echo %n >> started; sleep 1")"));
}
BENCHMARK(BM_CapturePeriodWithCommand)
    ->Args({100, Size320x240})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
} // namespace

int main(int argc, char **argv)
{
    return runQtBenchmarks(argc, argv);
}
