#include "store/captureloop.h"

#include "app/applicationstate.h"
#include "app/controlpanel.h"
#include "app/mainwindow.h"
#include "app/messages.h"
#include "capture/capturesession.h"
#include "settings/sound.h"
#include "store/capturerunhooks.h"
#include "store/controltexts.h"
#include "store/intervalcontrols.h"
#include "store/picturestore.h"

#include <QCoreApplication>
#include <QDate>
#include <QThread>
#include <QTimer>

#include <exception>

#include <sys/resource.h>

namespace {
constexpr int IdleColour = 1;
constexpr int RunningColour = 235;
constexpr int MaxFailedGrabs = 3;
constexpr int PreviewRestartAboveMs = 400;

// The first picture of a run raises the process's priority, so that a busy desktop does not
// delay the ticks; without the privilege the request fails and nothing changes.
void raiseProcessPriority()
{
    setpriority(PRIO_PROCESS, 0, -10);
}
} // namespace

CaptureLoop::CaptureLoop(MainWindow &mainWindow, CaptureSession &session,
                         IntervalControls &interval, Messages &messages)
    : m_main(mainWindow), m_session(session), m_interval(interval), m_messages(messages),
      m_hooks(&CaptureRunHooks::none())
{
    connect(m_main.panel()->start, &QPushButton::clicked, this, &CaptureLoop::startStop);
    connect(&m_main, &MainWindow::captureTick, this, &CaptureLoop::captureTick);
    connect(&m_main, &MainWindow::startStopRequested, this, &CaptureLoop::startStop);
    connect(&m_session, &CaptureSession::pictureFailed, this, [this](const QString &message) {
        // Frames also arrive between Start and the first tick; inside a tick the tick itself
        // handles the failure.
        if (!m_inTick && m_main.state().CaptureRunning)
            stopWithError(message);
    });
    connect(&m_session.service(), &CaptureService::deviceLost, this,
            [this](const QString &reason) { deviceLost(reason); });
}

void CaptureLoop::setHooks(CaptureRunHooks *hooks)
{
    m_hooks = hooks ? hooks : &CaptureRunHooks::none();
}

void CaptureLoop::startStop()
{
    m_main.clickSound().play();
    PictureStore::CreateDirectory(1);
    if (!m_main.state().FormatChosen) {
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
    ApplicationState &state = m_main.state();
    ControlPanel *panel = m_main.panel();
    state.CaptureRunning = false;
    m_main.captureTimer().setEnabled(false);
    m_toggle = false;
    m_main.setStartCaption(QStringLiteral("start"), IdleColour);
    panel->overlay->setEnabled(true);
    m_session.ClearFrameCallback();
    m_session.PreviewOn();
    if (state.OverlayWasOn)
        panel->overlay->setChecked(true);
    m_hooks->resetMotionEventCount();
    m_main.clockTimer().start();
}

void CaptureLoop::start()
{
    ApplicationState &state = m_main.state();
    ControlPanel *panel = m_main.panel();
    m_toggle = true;
    m_main.setStartCaption(QStringLiteral("stop!"), RunningColour);
    state.CaptureRunning = true;
    m_failedGrabs = 0;
    m_main.setStatusNote({});
    m_interval.AdjustTimerPeriod();
    m_main.clockTimer().stop();
    m_hooks->disableScanTimer();
    state.refreshMonthDay(QDate::currentDate());
    m_session.SetFrameCallback();
    panel->timeBox->setText(QStringLiteral("Start time =  ") + state.clockText());
    if (panel->preview->isChecked())
        panel->overlay->setEnabled(false);
    if (panel->overlay->isChecked()) {
        panel->overlay->setEnabled(false);
        panel->preview->setChecked(true);
        state.OverlayWasOn = true;
    }
    m_main.captureTimer().setEnabled(true);
}

void CaptureLoop::pause(bool withCaption)
{
    m_main.state().CaptureRunning = false;
    if (withCaption)
        m_main.setStartCaption(QStringLiteral("Start"), IdleColour);
}

void CaptureLoop::captureTick()
{
    if (!m_main.state().CaptureRunning)
        return;
    m_inTick = true;
    try {
        tick();
    } catch (const std::exception &e) {
        stopWithError(QStringLiteral("Capture stopped: %1").arg(QString::fromLocal8Bit(e.what())));
    }
    m_inTick = false;
}

void CaptureLoop::tick()
{
    ApplicationState &state = m_main.state();
    ControlPanel *panel = m_main.panel();
    panel->picturePathBox->setText(
        PictureStore::PicturePath(state.CurrentDirectory, state.PictureCounter));

    m_session.SetFrameCallback();
    const CaptureSession::Grab grab = m_session.GrabFrame();
    m_session.ClearFrameCallback();
    if (grab.status == CaptureSession::Grab::Status::Failed) {
        // Writing again would only fail again; nothing was stored, so the number stays.
        stopWithError(QStringLiteral("Capture stopped: the picture %1").arg(grab.message));
        return;
    }
    if (!noteGrab(grab))
        return;

    const int m = state.PictureCounter + 1;
    state.PictureCounter = m;
    panel->framesBox->setText(ControlTexts::framesBox(m));
    afterPicture(PictureStore::AdvanceAfterCapture(state, [this] { grabtimePause(); }));
    if (!m_toggle || !state.CaptureRunning)
        return;
    m_hooks->TimerProgramCheck();
    m_hooks->MotionBatchCheck();
}

bool CaptureLoop::noteGrab(const CaptureSession::Grab &grab)
{
    if (grab.status != CaptureSession::Grab::Status::NoFrame) {
        m_failedGrabs = 0;
        return true;
    }
    // The number still advances, so that numbering stays in step with the ticks, but the
    // failure shows, and a camera that keeps failing ends the run.
    ++m_failedGrabs;
    m_main.setStatusNote(QStringLiteral("No frame at %1").arg(QTime::currentTime().toString()));
    if (m_failedGrabs < MaxFailedGrabs)
        return true;
    stopWithError(QStringLiteral("Capture stopped: %1 grabs in a row gave no frame (%2).")
                      .arg(MaxFailedGrabs)
                      .arg(grab.message));
    return false;
}

void CaptureLoop::afterPicture(PictureStore::Advance advance)
{
    if (advance == PictureStore::Advance::FirstPicture) {
        m_hooks->beginMotionBatch();
        raiseProcessPriority();
    } else if (advance == PictureStore::Advance::Continued &&
               m_main.captureTimer().interval() > PreviewRestartAboveMs) {
        m_session.PreviewOn(); // the grab left the live picture stopped
    }
}

void CaptureLoop::grabtimePause()
{
    ThreadedTimer &timer = m_main.captureTimer();
    timer.setEnabled(false);
    QThread::msleep(100);
    QCoreApplication::processEvents();
    QThread::msleep(100);
    // A Start/stop pressed during the pause has its effect; only a running capture resumes.
    if (m_toggle)
        timer.setEnabled(true);
}

void CaptureLoop::stopWithError(const QString &message)
{
    // The stop half of Start/stop, without its format check: a run that was paused by "Driver"
    // must still end here rather than answer with a refusal.
    if (m_toggle) {
        m_main.clickSound().play();
        stop();
    } else {
        m_main.state().CaptureRunning = false;
    }
    // Shown once the current handler has returned, never from inside a frame delivery.
    QTimer::singleShot(0, this, [this, message] { m_messages.error(message); });
}

void CaptureLoop::deviceLost(const QString &reason)
{
    if (m_toggle && m_main.state().CaptureRunning)
        stopWithError(
            QStringLiteral("Capture stopped: the video device is gone (%1).").arg(reason));
    else
        QTimer::singleShot(0, this, [this, reason] {
            m_messages.error(QStringLiteral("The video device is gone (%1).").arg(reason));
        });
}
