#pragma once
// The whole program for the benchmarks: the tests' harness, with the test scene connected and
// the format confirmed at one entry of the size list, its messages printed on stderr as they
// come; capture not yet started.

#include "common/captureapp.h"
#include "qtbenchmain.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <string>

// The size list's entries "640 x 480" and "320 x 240", and the test scene's own sizes after the
// described entries.
constexpr int Size640x480 = 0;
constexpr int Size320x240 = 1;
constexpr int Size1280x720 = 5;
constexpr int Size1920x1080 = 6;

// Recorded and printed as they come: a benchmark has no test log.
struct EchoedMessages : RecordedMessages
{
    void information(const QString &text) override
    {
        RecordedMessages::information(text);
        echo(text);
    }
    void error(const QString &text) override
    {
        RecordedMessages::error(text);
        echo(text);
    }
    static void echo(const QString &text) { std::fprintf(stderr, "%s\n", qPrintable(text)); }
};

struct BenchProgram : CaptureApp
{
    explicit BenchProgram(int sizeEntry)
    {
        auto echoed = std::make_unique<EchoedMessages>();
        messages = echoed.get();
        app->setMessages(std::move(echoed)); // in place of the recorded ones, before start
        QString error;
        if (!ready(&error, sizeEntry))
            m_failure = error.isEmpty() ? "the program did not start" : error.toStdString();
    }

    /// Why the program is not ready; empty when it is.
    const std::string &failure() const { return m_failure; }
    int errors() const { return int(messages->errors.size()); }

    // Whole seconds through the interval arrows; below a second, "Fine -" from 1 s in 50 ms steps.
    bool requestInterval(int requestMs)
    {
        UpDownControl *arrows = panel()->intervalArrows;
        const int seconds = std::max(1, requestMs / 1000);
        while (arrows->position() > seconds)
            press(arrows, UpDownControl::Direction::Down);
        while (arrows->position() < seconds)
            press(arrows, UpDownControl::Direction::Up);
        for (int ms = 1000; ms > requestMs; ms -= 50)
            panel()->fineMinus->click();
        return app->intervalControls().requestedIntervalMs() == requestMs;
    }

private:
    std::string m_failure;
};

inline void runEventsFor(int milliseconds)
{
    QElapsedTimer elapsed;
    elapsed.start();
    while (elapsed.elapsed() < milliseconds)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}
