// The share of one core the program takes while it only shows the live picture: the test
// scene connected at 320 x 240, preview on at the default preview rate, the capture window
// stretched over a video area of the main window's default size. Process CPU time (every
// thread, the capture thread included) over wall time while the event loop runs.
// Goal: at most 2 % of one core. VARDELLA_IDLE_SECONDS shortens the run (default 30 s).
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
bool showLivePicture(LinuxCaptureService &service, QWidget &videoArea, QString &why)
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
        service.setVideoFormat(VideoHeader::make(320, 240, defaults.BitCount)),
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
    if (!showLivePicture(service, videoArea, why)) {
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
    state.counters["cpu_percent"] = 100.0 * cpu / wall;
    state.counters["painted_fps"] = double(paints) / wall;
    state.counters["seconds"] = wall;
}
} // namespace

BENCHMARK(BM_PreviewIdle)->Iterations(1)->Unit(benchmark::kSecond);

int main(int argc, char **argv)
{
    return runQtBenchmarks(argc, argv);
}
