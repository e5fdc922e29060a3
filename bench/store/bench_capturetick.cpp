// The cost of one capture tick in the whole program: grab of a test scene frame, bitmap, JPEG
// encoding, the write through a temporary file into the store and the numbering, at 320 x 240
// and 640 x 480.
//
// The test scene delivers 25 frames a second and a grab hands over only a frame not given
// before, waiting for one otherwise. BM_CaptureTick therefore times each tick alone, after an
// untimed wait of 60 ms (event loop running, as between real ticks) that makes sure a new
// frame is there: it measures the work of a tick, as in any run with a period above 40 ms.
// BM_CaptureTickBackToBack ticks without that wait, so it includes the wait for the next frame.
#include "app/application.h"
#include "app/applicationstate.h"
#include "app/controlpanel.h"
#include "app/mainwindow.h"
#include "app/messages.h"
#include "app/toolwindows.h"
#include "capture/captureformatcontrols.h"
#include "capture/capturepreferenceswindow.h"
#include "capture/driverdialog.h"
#include "capture/service/linuxcaptureservice.h"
#include "store/captureloop.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>

namespace {
struct CountedMessages : Messages
{
    int errors = 0;
    void information(const QString &text) override { report(text); }
    void error(const QString &text) override
    {
        ++errors;
        report(text);
    }
    static void report(const QString &text) { std::fprintf(stderr, "%s\n", qPrintable(text)); }
};

void pick(QComboBox *list, int index)
{
    list->setCurrentIndex(index);
    emit list->activated(index);
}

void runEventsFor(int milliseconds)
{
    QElapsedTimer elapsed;
    elapsed.start();
    while (elapsed.elapsed() < milliseconds)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

// The program in a fresh working directory with its sounds, the test scene connected and the
// format confirmed at one entry of the size list, capture started and its timer held still.
class Program
{
public:
    explicit Program(int sizeEntry) : m_previous(QDir::currentPath())
    {
        QDir::setCurrent(m_dir.path());
        for (const char *name : {"click.wav", "alarm.wav"})
            QFile::copy(QStringLiteral(VARDELLA_SOURCE_DIR "/data/") + name, name);
        m_app = std::make_unique<Application>(*qApp);
        auto messages = std::make_unique<CountedMessages>();
        m_messages = messages.get();
        m_app->setMessages(std::move(messages));
        QString error;
        if (!m_app->start(&error) || !connect(sizeEntry))
            m_failure = error.isEmpty() ? "could not connect the test scene" : qPrintable(error);
        m_app->mainWindow().panel()->start->click();
        m_app->mainWindow().captureTimer().setEnabled(false);
    }
    ~Program()
    {
        m_app.reset();
        QDir::setCurrent(m_previous);
    }

    const std::string &failure() const { return m_failure; }
    int errors() const { return m_messages->errors; }
    Application &app() { return *m_app; }

private:
    bool connect(int sizeEntry)
    {
        ControlPanel *panel = m_app->mainWindow().panel();
        panel->driver->click();
        auto *driver =
            qobject_cast<DriverDialog *>(m_app->toolWindows().window(ToolWindows::Role::Driver));
        const int entry = driver->driverList()->findText(LinuxCaptureService::TestSceneName);
        if (entry < 0)
            return false;
        pick(driver->driverList(), entry);
        driver->findChild<QPushButton *>("ok")->click();
        panel->format->click();
        auto *preferences = qobject_cast<CapturePreferencesWindow *>(
            m_app->toolWindows().window(ToolWindows::Role::CapturePreferences));
        pick(preferences->controls().sizeList, sizeEntry);
        preferences->findChild<QPushButton *>("ok")->click();
        return m_app->state().FormatChosen && m_messages->errors == 0;
    }

    QString m_previous;
    QTemporaryDir m_dir;
    std::unique_ptr<Application> m_app;
    CountedMessages *m_messages = nullptr;
    std::string m_failure;
};

// The size list's entries "640 x 480" and "320 x 240".
constexpr int Size640x480 = 0;
constexpr int Size320x240 = 1;

void BM_CaptureTick(benchmark::State &run)
{
    Program program(int(run.range(0)));
    if (!program.failure().empty()) {
        run.SkipWithError(program.failure().c_str());
        return;
    }
    CaptureLoop &loop = program.app().captureLoop();
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
    if (program.errors() > 0 || !program.app().state().CaptureRunning)
        run.SkipWithError("capture stopped with an error");
    run.counters["bytes_per_picture"] = double(QFileInfo("1/capture0.jpg").size());
}
BENCHMARK(BM_CaptureTick)
    ->ArgName("size")
    ->Arg(Size320x240)
    ->Arg(Size640x480)
    ->Iterations(200)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

void BM_CaptureTickBackToBack(benchmark::State &run)
{
    Program program(int(run.range(0)));
    if (!program.failure().empty()) {
        run.SkipWithError(program.failure().c_str());
        return;
    }
    CaptureLoop &loop = program.app().captureLoop();
    for (auto _ : run)
        loop.captureTick();
    if (program.errors() > 0 || !program.app().state().CaptureRunning)
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
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
