#include "store/captureloop.h"

#include "capture/capturesession.h"
#include "shell/applicationstate.h"
#include "shell/messages.h"
#include "shell/sound.h"
#include "shell/timer/threadedtimer.h"
#include "store/intervalmodel.h"

#include <QCoreApplication>
#include <QDate>
#include <QFile>
#include <QThread>
#include <QTimer>

#include <exception>

#include <sys/resource.h>

namespace {
constexpr int MaxFailedGrabs = 3;
constexpr int PreviewRestartAboveMs = 400;
const QString Waiting = QStringLiteral(", waiting for it to come back");

// The first picture of a run raises the process's priority, so that a busy desktop does not
// delay the ticks; without the privilege the request fails and nothing changes.
void raiseProcessPriority()
{
    setpriority(PRIO_PROCESS, 0, -10);
}
} // namespace

CaptureLoop::CaptureLoop(ApplicationState &state, Sound &click, ThreadedTimer &timer,
                         CaptureSession &session, IntervalModel &interval, Messages &messages,
                         StoreSpace &space)
    : m_state(state), m_click(click), m_timer(timer), m_session(session), m_interval(interval),
      m_messages(messages), m_recovery(session.service()), m_keepFree(space)
{
    // Grabbed frames and the preview frames between Start and the first tick alike: a picture
    // that cannot be written ends the run. A full disk leaves it to the next tick, which makes
    // room in the store if any can be made.
    connect(&m_session, &CaptureSession::pictureFailed, this,
            [this](const QString &message, bool noSpace) {
                if (m_state.CaptureRunning() && !noSpace)
                    stopWithError(QStringLiteral("Capture stopped: the picture %1").arg(message),
                                  message);
            });
    // Said once, and kept in the status bar until the next Start, without holding capture up.
    connect(&m_session, &CaptureSession::earlierRunOverwritten, this, [this](const QString &path) {
        emit statusNote(QStringLiteral("Overwriting pictures of an earlier run from ") + path);
    });
    connect(&m_session.service(), &CaptureService::deviceLost, this,
            [this](const QString &reason) { deviceLost(reason); });
    connect(&m_recovery, &CameraRecovery::returned, this, &CaptureLoop::cameraReturned);
    connect(&m_recovery, &CameraRecovery::gaveUp, this, [this](const QString &reason) {
        emit statusNote(lostNote({}));
        stopWithError(QStringLiteral("Capture stopped: the video device is gone (%1).").arg(reason),
                      reason);
    });
    // Pictures keep time: tick k of a run is due k intervals after Start, whatever a tick costs.
    m_timer.setPacing(Pacing::Grid);
    connect(&m_timer, &ThreadedTimer::ticksSkipped, this, &CaptureLoop::ticksSkipped);
}

void CaptureLoop::startStop()
{
    m_click.play();
    PictureStore::CreateDirectory(1);
    if (!m_state.FormatChosen()) {
        m_messages.information(QStringLiteral("Select a videoformat first!"));
        return;
    }
    if (m_toggle)
        stop();
    else
        start();
}

void CaptureLoop::stop()
{
    endWait();
    m_state.setCaptureRunning(false);
    m_timer.setEnabled(false);
    m_toggle = false;
    m_session.ClearFrameCallback();
    m_session.PreviewOn();
    emit stopped();
}

void CaptureLoop::start()
{
    m_toggle = true;
    m_state.setCaptureRunning(true);
    m_failedGrabs = 0;
    m_limitNoted = false;
    m_interval.AdjustTimerPeriod();
    m_state.refreshMonthDay(QDate::currentDate());
    m_session.SetFrameCallback();
    emit started();
    m_timer.restart(); // the grid of this run starts now
}

void CaptureLoop::pause(bool withCaption)
{
    endWait(); // a new driver or format is the user's choice now
    m_state.setCaptureRunning(false);
    m_keepFree.forgetPictureSize();
    emit paused(withCaption);
}

bool CaptureLoop::running() const
{
    return m_toggle && m_state.CaptureRunning();
}

void CaptureLoop::captureTick()
{
    if (!m_state.CaptureRunning())
        return;
    if (m_recovery.waiting()) {
        skipWhileLost();
        return;
    }
    try {
        tick();
    } catch (const std::exception &e) {
        const QString reason = QString::fromLocal8Bit(e.what());
        stopWithError(QStringLiteral("Capture stopped: %1").arg(reason), reason);
    }
}

void CaptureLoop::tick()
{
    int number = numberWithinLimit();
    QString path = PictureStore::PicturePath(m_state.CurrentDirectory(), number);
    emit grabbing(path);

    m_session.SetFrameCallback();
    CaptureSession::GrabResult grab = m_session.GrabFrame(number, path);
    m_session.ClearFrameCallback();
    if (!grab && grab.error().noSpace && m_state.CaptureRunning())
        grab = makeRoom(number, path, std::move(grab));
    // A picture that could not be written stops capture; nothing was stored, so the number
    // stays (0, when a full disk had restarted it).
    if (!grab && grab.error().frameCame) {
        if (m_state.CaptureRunning())
            stopWithError(
                QStringLiteral("Capture stopped: the picture %1").arg(grab.error().reason),
                grab.error().reason);
        return;
    }
    if (!m_state.CaptureRunning())
        return;
    // This grab met the loss: the number waits for the camera, as later ticks do.
    if (m_recovery.waiting()) {
        skipWhileLost();
        return;
    }
    if (grab) {
        m_failedGrabs = 0;
        m_keepFree.pictureStored(grab->bytes);
        emit pictureWritten(*grab);
    } else if (!noteGrab(grab.error().reason)) {
        return;
    }

    const int m = number + 1;
    m_state.setPictureCounter(m);
    emit counterAdvanced(m);
    afterPicture(PictureStore::AdvanceAfterCapture(m_state, [this] { grabtimePause(); }));
    if (running())
        emit pictureStored();
}

void CaptureLoop::storeEarlierFrames(const std::vector<TimedFrame> &frames)
{
    for (const TimedFrame &frame : frames) {
        if (!storeEarlier(frame))
            return;
    }
}

bool CaptureLoop::storeEarlier(const TimedFrame &frame)
{
    int number = numberWithinLimit();
    QString path = PictureStore::PicturePath(m_state.CurrentDirectory(), number);
    emit grabbing(path);
    CaptureSession::GrabResult stored =
        m_session.StoreEarlier(frame.frame, frame.grabbed, number, path);
    if (!stored && stored.error().noSpace)
        stored = makeRoom(number, path, std::move(stored));
    if (!stored) {
        stopWithError(QStringLiteral("Capture stopped: the picture %1").arg(stored.error().reason),
                      stored.error().reason);
        return false;
    }
    m_keepFree.pictureStored(stored->bytes);
    emit pictureWritten(*stored);
    const int m = number + 1;
    m_state.setPictureCounter(m);
    emit counterAdvanced(m);
    // No pause at a new directory: the frames were grabbed long ago.
    afterPicture(PictureStore::AdvanceAfterCapture(m_state, {}));
    return true;
}

// A full disk. The picture a new one replaces frees its room only once the new one is complete,
// so on a disk without room for one more picture it goes first. When nothing at this number
// gives room, the numbering restarts and picture 0 gives it, as the oldest. The run stops only
// when even that leaves no room.
CaptureSession::GrabResult CaptureLoop::makeRoom(int &number, QString &path,
                                                 CaptureSession::GrabResult grab)
{
    if (QFile::remove(path))
        grab = m_session.StoreAgain(number, path);
    if (grab || !grab.error().noSpace || number == 0)
        return grab;
    const int limitedAt = number;
    PictureStore::RestartNumbering(m_state);
    number = 0;
    path = PictureStore::PicturePath(m_state.CurrentDirectory(), number);
    emit grabbing(path);
    grab = m_session.StoreAgain(number, path);
    if (!grab && grab.error().noSpace && QFile::remove(path))
        grab = m_session.StoreAgain(number, path);
    if (grab)
        noteLimit(limitedAt, true);
    return grab;
}

int CaptureLoop::numberWithinLimit()
{
    const int number = m_state.PictureCounter();
    const QString path = PictureStore::PicturePath(m_state.CurrentDirectory(), number);
    if (!m_keepFree.restartNeeded(number, path, m_session.frameBytes()))
        return number;
    noteLimit(number, false);
    PictureStore::RestartNumbering(m_state);
    return 0;
}

// The mount point is looked up only for the one note of a run.
void CaptureLoop::noteLimit(int number, bool diskFull)
{
    if (m_limitNoted)
        return;
    m_limitNoted = true;
    const QString where = m_keepFree.mountPoint();
    const QString why =
        diskFull
            ? QStringLiteral("no space left on %1").arg(where)
            : QStringLiteral("keeping %1 MB free on %2").arg(m_keepFree.megabytes()).arg(where);
    emit statusNote(QStringLiteral("Store limited at picture %1: %2").arg(number).arg(why));
}

bool CaptureLoop::noteGrab(const QString &reason)
{
    // The number still advances, so that numbering stays in step with the ticks, but the
    // failure shows, and a camera that keeps failing ends the run.
    ++m_failedGrabs;
    emit statusNote(QStringLiteral("No frame at %1").arg(QTime::currentTime().toString()));
    if (m_failedGrabs < MaxFailedGrabs)
        return true;
    const QString why = reason.isEmpty() ? QStringLiteral("no frame") : reason;
    stopWithError(QStringLiteral("Capture stopped: %1 grabs in a row gave no frame (%2).")
                      .arg(MaxFailedGrabs)
                      .arg(why),
                  why);
    return false;
}

void CaptureLoop::afterPicture(PictureStore::Advance advance)
{
    if (advance == PictureStore::Advance::FirstPicture) {
        emit firstPictureStored();
        raiseProcessPriority();
    } else if (advance == PictureStore::Advance::Continued &&
               m_timer.interval() > PreviewRestartAboveMs) {
        m_session.PreviewOn(); // the grab left the live picture stopped
    }
}

// Part of the tick, so it does not shift the grid: the timer waits for the tick to end.
void CaptureLoop::grabtimePause()
{
    QThread::msleep(100);
    QCoreApplication::processEvents();
    QThread::msleep(100);
}

void CaptureLoop::ticksSkipped(quint64 count)
{
    if (!running())
        return;
    if (m_recovery.waiting()) {
        m_skippedWhileLost += count;
        emit statusNote(lostNote(Waiting));
        return;
    }
    const QString time = QTime::currentTime().toString();
    emit statusNote(count == 1 ? QStringLiteral("1 picture skipped at %1").arg(time)
                               : QStringLiteral("%1 pictures skipped at %2").arg(count).arg(time));
}

void CaptureLoop::stopWithError(const QString &message, const QString &reason)
{
    // The stop half of Start/stop, without its format check: a run that was paused by "Driver"
    // must still end here rather than answer with a refusal.
    if (m_toggle) {
        m_click.play();
        stop();
    } else {
        m_state.setCaptureRunning(false);
    }
    emit failed(reason);
    // Shown once the current handler has returned, never from inside a frame delivery.
    QTimer::singleShot(0, this, [this, message] { m_messages.error(message); });
}

void CaptureLoop::deviceLost(const QString &reason)
{
    // A run waits for the camera to come back, on the grid it keeps; it ends only when the
    // wait is given up.
    if (running()) {
        m_skippedWhileLost = 0;
        m_recovery.begin(reason);
        emit statusNote(lostNote(Waiting));
        emit cameraLost(reason);
    } else {
        QTimer::singleShot(0, this, [this, reason] {
            m_messages.error(QStringLiteral("The video device is gone (%1).").arg(reason));
        });
    }
}

void CaptureLoop::skipWhileLost()
{
    // Not a failed grab: a camera that is away for a while must not end the run by itself.
    ++m_skippedWhileLost;
    emit statusNote(lostNote(Waiting));
    emit pictureSkipped();
}

// state: ", waiting for it to come back", ", back at ..." or nothing once the wait ended.
QString CaptureLoop::lostNote(const QString &state) const
{
    QString note = QStringLiteral("Camera lost at %1").arg(m_recovery.lostAt().toString()) + state;
    if (m_skippedWhileLost == 1)
        note += QStringLiteral("; 1 picture skipped");
    else if (m_skippedWhileLost > 1)
        note += QStringLiteral("; %1 pictures skipped").arg(m_skippedWhileLost);
    return note;
}

void CaptureLoop::cameraReturned()
{
    // The next due time of the run's grid stores the next number, with the settings it had.
    m_failedGrabs = 0;
    emit statusNote(lostNote(QStringLiteral(", back at %1").arg(QTime::currentTime().toString())));
    emit cameraBack();
}

void CaptureLoop::endWait()
{
    if (!m_recovery.waiting())
        return;
    m_recovery.cancel();
    emit statusNote(lostNote({}));
}
