// The share of one core the program takes while it only shows the live picture: the test
// scene connected at 320 x 240, 640 x 480, 1280 x 720 and 1920 x 1080, preview on at the
// default preview rate, the capture window stretched over a video area of the main window's
// default size. Process CPU time (every thread, the capture thread included) over wall time
// while the event loop runs, and per frame painted. Goals: at most 2 % of one core at
// 320 x 240; at the larger sizes at most 2 x the 320 x 240 CPU time per painted frame of the
// same run (ratio, beside its limit). VARDELLA_IDLE_SECONDS shortens each size's run (default
// 30 s).
#include "capture/capturesettings.h"
#include "capture/service/capturewidget.h"
#include "capture/service/linuxcaptureservice.h"
#include "qtbenchmain.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <QTimer>
#include <QWidget>

#include <benchmark/benchmark.h>

#include <ctime>

namespace {
// The main window's video area at its default size.
const QSize VideoAreaSize(784, 482);

double processCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

int runSeconds()
{
    const int seconds = qEnvironmentVariableIntValue("VARDELLA_IDLE_SECONDS");
    return seconds > 0 ? seconds : 30;
}

void runEventsFor(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

// Counts the capture window's paint events: the frames that reached the screen.
struct PaintCounter : QObject
{
    int paints = 0;
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

// The live picture as the capture session sets it up after "Driver" and "Format".
bool showLivePicture(LinuxCaptureService &service, QWidget &videoArea, QSize size, QString &why)
{
    const CaptureSettings defaults;
    const int scene = int(service.driverDescriptions().indexOf(LinuxCaptureService::TestSceneName));
    if (const Result<> made = service.createWindow(VideoAreaSize); !made) {
        why = made.error();
        return false;
    }
    service.window()->setParent(&videoArea);
    service.window()->show();
    // Braced lists run in order: the steps are taken one after the other.
    const Result<> steps[] = {
        service.connectDriver(scene),
        service.setVideoFormat(VideoHeader::make(size.width(), size.height(), defaults.BitCount)),
        service.setScale(true),
        service.setPreviewRate(defaults.PreviewRateMs),
        service.setPreview(true),
    };
    for (const Result<> &step : steps) {
        if (!step) {
            why = step.error();
            return false;
        }
    }
    return true;
}

void BM_PreviewIdle(benchmark::State &state)
{
    QWidget videoArea;
    videoArea.resize(VideoAreaSize);
    videoArea.show();
    LinuxCaptureService service;
    service.setDisplayFactory(CaptureWidget::factory());
    QString why;
    const QSize size(int(state.range(0)), int(state.range(1)));
    if (!showLivePicture(service, videoArea, size, why)) {
        state.SkipWithError(qPrintable(why));
        return;
    }
    PaintCounter counter;
    service.window()->installEventFilter(&counter);
    runEventsFor(1000); // the camera thread started, first frames converted and painted
    const int seconds = runSeconds();
    double cpu = 0;
    double wall = 0;
    int paints = 0;
    for (auto _ : state) {
        counter.paints = 0;
        QElapsedTimer clock;
        const double cpuBefore = processCpuSeconds();
        clock.start();
        runEventsFor(seconds * 1000);
        cpu += processCpuSeconds() - cpuBefore;
        wall += double(clock.nsecsElapsed()) * 1e-9;
        paints += counter.paints;
    }
    // The first size run is the smallest: the figure the others are held to.
    static double smallestMsPerFrame = 0.0;
    const double msPerFrame = paints > 0 ? 1000.0 * cpu / paints : 0.0;
    if (size == QSize(320, 240))
        smallestMsPerFrame = msPerFrame;
    state.counters["cpu_percent"] = 100.0 * cpu / wall;
    state.counters["painted_fps"] = double(paints) / wall;
    state.counters["cpu_ms_per_frame"] = msPerFrame;
    state.counters["seconds"] = wall;
    if (smallestMsPerFrame > 0.0 && size != QSize(320, 240)) {
        state.counters["ratio"] = msPerFrame / smallestMsPerFrame;
        state.counters["limit"] = 2.0;
    }
}
} // namespace

BENCHMARK(BM_PreviewIdle)
    ->Args({320, 240})
    ->Args({640, 480})
    ->Args({1280, 720})
    ->Args({1920, 1080})
    ->ArgNames({"w", "h"})
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

int main(int argc, char **argv)
{
    return runQtBenchmarks(argc, argv);
}
