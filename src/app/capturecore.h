#pragma once
// The capture run in one place: the session with its camera, the Start/stop loop with its
// timer, the interval, motion-triggered capture, the daily timer program, the one-second clock
// and the store's housekeeping. The windows and the program without a display each build one
// and attach a presenter to it; everything else that takes part in a run connects to its
// signals. It knows no widgets.

#include "capture/capturesettings.h"
#include "capture/storedpicture.h"
#include "shell/applicationstate.h"
#include "shell/timer/threadedtimer.h"

#include <QObject>
#include <QTimer>

#include <memory>

class CaptureLoop;
class CaptureService;
class CaptureSession;
class ClockSource;
class IntervalModel;
class Messages;
class MotionCapture;
class Sound;
class StoreSpace;
class TimerProgramRunner;

class CaptureCore : public QObject
{
    Q_OBJECT
public:
    /// What the run uses and does not own; each must outlive the core.
    struct Services
    {
        CaptureService &camera;
        const ClockSource &clock;
        Sound &click;
        Sound &alarm;
        Messages &messages;
        /// The store's file system, for "Keep free"; none: the working directory's.
        StoreSpace *storeSpace = nullptr;
    };

    explicit CaptureCore(const Services &services);
    ~CaptureCore() override;

    /// Readies the store for a run: what a killed run left mid-write goes, "1" is made.
    static void openStore();
    /// Tidies the store at the end: temporaries, the working picture "1/capture.jpg" and the
    /// empty directories go.
    static void closeStore();

    ApplicationState &state() { return m_state; }
    CaptureSettings &settings() { return m_settings; }
    CaptureSession &session() { return *m_session; }
    CaptureLoop &loop() { return *m_loop; }
    IntervalModel &interval() { return *m_interval; }
    MotionCapture &motion() { return *m_motion; }
    TimerProgramRunner &timerProgram() { return *m_timerProgram; }
    /// The capture timer: its ticks are the loop's; it runs from start.
    ThreadedTimer &captureTimer() { return m_captureTimer; }

    bool clockRunning() const { return m_clockTimer.isActive(); }
    /// One tick of the one-second clock at the clock's time: a pending clear first, then the
    /// clock fields, then the timer program's start check.
    void clockTick();

signals:
    /// A value of the run's state changed (the counter, the directory, a flag, the clock).
    void stateChanged(ApplicationState::Field field);
    void started();
    void stopped();
    void pictureWritten(const StoredPicture &picture);
    /// The run ended because of a failure; reason is worded for the user.
    void failed(const QString &reason);
    /// Due times of the run went by without a picture (a slow tick, a suspended machine).
    void ticksSkipped(quint64 count);
    /// A motion started a batch whose first picture is firstPicture.
    void motionStarted(int firstPicture);
    void motionEnded();
    void cameraLost(const QString &reason);
    void cameraBack();
    void timerProgramStarted();
    /// The timer program stopped capture at stopTime ("9:05:03").
    void timerProgramStopped(const QString &stopTime);
    /// A timer program that follows the sun has the new day's times (text); polar when the sun
    /// does not rise or set that day.
    void timerProgramDay(const QString &text, bool polar);
    /// The clock tick: a confirmed clear of the store is due now.
    void pendingClearDue();
    /// The clock tick set the clock fields to now.
    void clockTicked();

private:
    void wireRun();

    ApplicationState m_state;
    CaptureSettings m_settings;
    const ClockSource &m_clock;
    std::unique_ptr<StoreSpace> m_ownSpace; // when none is given
    ThreadedTimer m_captureTimer;
    QTimer m_clockTimer;
    QTimer m_endCheckTimer; // while capture runs
    std::unique_ptr<CaptureSession> m_session;
    std::unique_ptr<IntervalModel> m_interval;
    std::unique_ptr<CaptureLoop> m_loop;
    std::unique_ptr<MotionCapture> m_motion;
    std::unique_ptr<TimerProgramRunner> m_timerProgram;
};
