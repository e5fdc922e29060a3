#pragma once
// The whole program for the capture benchmarks: started in a fresh working directory over the
// test scene, its messages counted instead of shown.

#include "app/application.h"
#include "capture/captureformatcontrols.h"
#include "capture/capturepreferenceswindow.h"
#include "capture/driverdialog.h"
#include "capture/service/linuxcaptureservice.h"
#include "qtbenchmain.h"
#include "shell/applicationstate.h"
#include "shell/mainwindow.h"
#include "shell/messages.h"
#include "shell/toolwindows.h"
#include "shell/updowncontrol.h"
#include "store/intervalcontrols.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>

namespace benchprogram {

/// A control of the main window, found by its name as a user's tools find it.
template <class W> W *control(Application &app, const char *name)
{
    return app.mainWindow().findChild<W *>(QString::fromLatin1(name));
}

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

inline void pick(QComboBox *list, int index)
{
    list->setCurrentIndex(index);
    emit list->activated(index);
}

inline void pressArrow(UpDownControl *arrows, const char *which)
{
    arrows->findChild<QToolButton *>(which)->click();
}

// Whole seconds through the interval arrows; below a second, "Fine -" from 1 s in 50 ms steps.
inline bool requestInterval(Application &app, int requestMs)
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

inline void runEventsFor(int milliseconds)
{
    QElapsedTimer elapsed;
    elapsed.start();
    while (elapsed.elapsed() < milliseconds)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

// The program in a fresh working directory with its sounds, the test scene connected and the
// format confirmed at one entry of the size list; capture not yet started.
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
        control<QPushButton>(*m_app, "driver")->click();
        auto *driver =
            qobject_cast<DriverDialog *>(m_app->toolWindows().window(ToolWindows::Role::Driver));
        const int entry = driver->driverList()->findText(LinuxCaptureService::TestSceneName);
        if (entry < 0)
            return false;
        pick(driver->driverList(), entry);
        driver->findChild<QPushButton *>("ok")->click();
        control<QPushButton>(*m_app, "format")->click();
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

} // namespace benchprogram
