#pragma once
// Interval capture: the Start/stop toggle through which every part of the program starts or
// stops capture, and the capture tick that stores one picture per timer period.

#include "capture/capturesession.h"
#include "store/picturestore.h"

#include <QObject>

class CaptureRunHooks;
class IntervalControls;
class MainWindow;
class Messages;

class CaptureLoop : public QObject
{
    Q_OBJECT
public:
    CaptureLoop(MainWindow &mainWindow, CaptureSession &session, IntervalControls &interval,
                Messages &messages);

    void setHooks(CaptureRunHooks *hooks);

    /// The Start/stop toggle: stops a running capture, or starts one.
    void startStop();
    /// Whether the toggle stands at "running" (capture may still be paused by CaptureRunning).
    bool toggledOn() const { return m_toggle; }
    /// Pauses capture without touching the toggle or the timers: ticks then store nothing.
    /// withCaption puts back the caption "Start" in the idle colour ("Driver", "Format", "Clear").
    void pause(bool withCaption);
    /// One capture tick (normally delivered by the capture timer).
    void captureTick();

private:
    void stop();
    void start();
    void tick();
    /// Counts grabs that gave no frame; false when capture was stopped for them.
    bool noteGrab(const CaptureSession::Grab &grab);
    void grabtimePause();
    void afterPicture(PictureStore::Advance advance);
    void stopWithError(const QString &message);
    void deviceLost(const QString &reason);

    MainWindow &m_main;
    CaptureSession &m_session;
    IntervalControls &m_interval;
    Messages &m_messages;
    CaptureRunHooks *m_hooks;
    bool m_toggle = false;
    bool m_inTick = false;
    int m_failedGrabs = 0;
};
