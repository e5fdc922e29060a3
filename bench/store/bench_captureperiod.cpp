// The real capture period of a run of the whole program over the test scene, for requested
// intervals of 100, 500, 1000 and 5000 ms set through the interval arrows and "Fine -" and
// started with "Start", so that the timer adjustment applies. Each tick is seen when the
// picture path box changes at its start. Counters: the mean period over the run, the worst
// deviation of one period from the request, and the drift after 50 ticks (time of tick 50
// minus 50 x the request). 5000 ms takes over four minutes; pick one interval with
// --benchmark_filter=BM_CapturePeriod/1000 and the like.
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
#include "store/intervalcontrols.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
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

// The program in a fresh working directory with its sounds, the test scene connected and the
// format confirmed with "320 x 240" picked in the size list; capture not yet started.
class Program
{
public:
    Program() : m_previous(QDir::currentPath())
    {
        QDir::setCurrent(m_dir.path());
        for (const char *name : {"click.wav", "alarm.wav"})
            QFile::copy(QStringLiteral(VARDELLA_SOURCE_DIR "/data/") + name, name);
        m_app = std::make_unique<Application>(*qApp);
        auto messages = std::make_unique<CountedMessages>();
        m_messages = messages.get();
        m_app->setMessages(std::move(messages));
        QString error;
        if (!m_app->start(&error) || !connect())
            m_failure = error.isEmpty() ? "could not connect the test scene" : qPrintable(error);
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
    bool connect()
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
        pick(preferences->controls().sizeList, 1); // "320 x 240"
        preferences->findChild<QPushButton *>("ok")->click();
        return m_app->state().FormatChosen && m_messages->errors == 0;
    }

    QString m_previous;
    QTemporaryDir m_dir;
    std::unique_ptr<Application> m_app;
    CountedMessages *m_messages = nullptr;
    std::string m_failure;
};

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
    ControlPanel *panel = app.mainWindow().panel();
    const int seconds = std::max(1, requestMs / 1000);
    while (panel->intervalArrows->position() > seconds)
        pressArrow(panel->intervalArrows, "down");
    while (panel->intervalArrows->position() < seconds)
        pressArrow(panel->intervalArrows, "up");
    for (int ms = 1000; ms > requestMs; ms -= 50)
        panel->fineMinus->click();
    return app.intervalControls().requestedIntervalMs() == requestMs;
}

// Runs capture until tick 50 and returns the start and the time of every tick.
std::vector<Clock::time_point> captureRun(Application &app, int requestMs)
{
    ControlPanel *panel = app.mainWindow().panel();
    std::vector<Clock::time_point> times;
    times.reserve(Ticks + 1);
    QEventLoop loop;
    const QMetaObject::Connection seen =
        QObject::connect(panel->picturePathBox, &QLineEdit::textChanged, &loop, [&] {
            times.push_back(Clock::now());
            if (int(times.size()) == Ticks + 1)
                loop.quit();
        });
    QTimer::singleShot(2 * Ticks * requestMs + 20000, &loop, &QEventLoop::quit);
    panel->start->click();
    times.insert(times.begin(), Clock::now());
    loop.exec();
    panel->start->click();
    QObject::disconnect(seen);
    return times;
}

void BM_CapturePeriod(benchmark::State &run)
{
    const int request = int(run.range(0));
    Program program;
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
        run.counters["timer_period_ms"] = program.app().mainWindow().captureTimer().interval();
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
