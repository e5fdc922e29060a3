#pragma once
// Interval capture: the Start/stop toggle through which every part of the program starts or
// stops capture, and the capture tick that stores one picture per timer period. It shows
// nothing itself: the windows and the console present its signals, and the subsystems that
// take part in a run (motion-triggered capture, the timer program) connect to them.

#include "capture/camerarecovery.h"
#include "capture/captureruncontrol.h"
#include "capture/capturesession.h"
#include "capture/storedpicture.h"
#include "capture/timedframe.h"
#include "store/keepfree.h"
#include "store/picturestore.h"

#include <QObject>
#include <QString>

#include <vector>

class IntervalModel;
class Messages;
class Sound;
class ThreadedTimer;
struct ApplicationState;

class CaptureLoop : public QObject, public CaptureRunControl
{
    Q_OBJECT
public:
    /// The capture timer's ticks are delivered to captureTick() by whoever owns the timer.
    /// space is the store's file system, for "Keep free".
    CaptureLoop(ApplicationState &state, Sound &click, ThreadedTimer &timer,
                CaptureSession &session, IntervalModel &interval, Messages &messages,
                StoreSpace &space);

    /// The Start/stop toggle: stops a running capture, or starts one.
    void startStop() override;
    /// Whether the toggle stands at "running" (capture may still be paused by CaptureRunning).
    bool toggledOn() const { return m_toggle; }
    /// Pauses capture without touching the toggle or the timers: ticks then store nothing.
    /// withCaption puts back the caption "Start" in the idle colour ("Driver", "Format", "Clear").
    void pause(bool withCaption) override;
    /// One capture tick (normally delivered by the capture timer).
    void captureTick();
    /// Stores frames grabbed earlier (the moments before a motion) as the next pictures, oldest
    /// first, numbered, checked against "Keep free" and announced as a tick's picture is; each
    /// file keeps its grab time. A picture that cannot be stored ends them, as it ends a run.
    void storeEarlierFrames(const std::vector<TimedFrame> &frames);
    /// Waits for a camera lost during a run; its patience may be set here.
    CameraRecovery &cameraRecovery() { return m_recovery; }
    /// Megabytes kept free on the store's file system (0: none); numbering restarts at 0
    /// before a picture would take them. The counter limits shown to the user stay as they are.
    void setKeepFreeMegabytes(int megabytes) { m_keepFree.setMegabytes(megabytes); }
    int keepFreeMegabytes() const { return m_keepFree.megabytes(); }

signals:
    /// A run starts: grabs from now on store pictures (the motion scan stops).
    void started();
    /// A run ended.
    void stopped();
    /// Capture was paused by a new driver or format; withCaption: "Start" is due again.
    void paused(bool withCaption);
    /// A tick is about to grab the picture at path.
    void grabbing(const QString &path);
    /// The picture counter moved on to counter after a grab, stored or not.
    void counterAdvanced(int counter);
    /// A grabbed frame was stored.
    void pictureWritten(const StoredPicture &picture);
    /// A picture could not be stored, or the camera failed or stayed away: the run ends.
    void failed(const QString &reason);
    /// A word for the status bar ("Camera lost at ..."); empty clears it.
    void statusNote(const QString &text);
    /// The camera went away during a run; the run waits for it.
    void cameraLost(const QString &reason);
    /// The camera is back; the run goes on.
    void cameraBack();
    /// The first picture since numbering restarted was stored.
    void firstPictureStored();
    /// A picture was stored and capture still runs; a subsystem may press Start/stop here.
    void pictureStored();
    /// A tick went by without a picture while the camera was away; capture still runs.
    void pictureSkipped();

private:
    void stop();
    void start();
    void tick();
    bool storeEarlier(const TimedFrame &frame);
    /// The number the tick's picture gets: the counter, or 0 when it would not fit.
    int numberWithinLimit();
    /// Stores the frame a full disk had no room for (grab) where room can be made: at number,
    /// or as picture 0; number and path follow.
    CaptureSession::GrabResult makeRoom(int &number, QString &path,
                                        CaptureSession::GrabResult grab);
    /// Said once a run: numbering restarted at picture number, for the kept space or a full disk.
    void noteLimit(int number, bool diskFull);
    /// Counts grabs that gave no frame; false when capture was stopped for them.
    bool noteGrab(const QString &reason);
    void grabtimePause();
    /// Due times the run could not keep (a slow tick, a suspended machine) are not made up.
    void ticksSkipped(quint64 count);
    void afterPicture(PictureStore::Advance advance);
    bool running() const;
    void stopWithError(const QString &message, const QString &reason);
    void deviceLost(const QString &reason);
    void skipWhileLost();
    void cameraReturned();
    void endWait();
    QString lostNote(const QString &state) const;

    ApplicationState &m_state;
    Sound &m_click;
    ThreadedTimer &m_timer;
    CaptureSession &m_session;
    IntervalModel &m_interval;
    Messages &m_messages;
    bool m_toggle = false;
    int m_failedGrabs = 0;
    CameraRecovery m_recovery;
    quint64 m_skippedWhileLost = 0;
    KeepFree m_keepFree;
    bool m_limitNoted = false;
};
