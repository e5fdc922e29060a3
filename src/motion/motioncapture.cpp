#include "motion/motioncapture.h"

#include "capture/captureruncontrol.h"
#include "capture/capturesession.h"
#include "shell/applicationstate.h"
#include "shell/messages.h"
#include "shell/sound.h"

#include <QTime>

namespace {
constexpr int MaxFailedScans = 3;
// The detector's stored settings: colour channels, one threshold for every cell (9 gives a
// threshold of 20, a brightness change of 12 in a cell), nothing drawn over the picture.
constexpr int GlobalSensitivity = 9;
constexpr int EdgeSensitivity = 30;
constexpr int EngineWidth = 320;
constexpr int EngineHeight = 240;
constexpr qint64 LightNoteEveryMs = 60 * 1000;
} // namespace

MotionCapture::MotionCapture(ApplicationState &state, CaptureSession &session,
                             CaptureRunControl &run, Sound &alarm, Messages &messages)
    : m_state(state), m_session(session), m_run(run), m_alarm(alarm), m_messages(messages)
{
    m_engine.SetSize(EngineWidth, EngineHeight);
    m_engine.SetFalloff(1);
    m_engine.SetWindowScale(wscStretched);
    applySettings(DefaultGrid);
    m_engine.SetOnMotion([this](TMJ &) { onMotion(); });
    m_engine.SetOnNotMotion([this](TMJ &) { onNotMotion(); });

    m_scanTimer.setInterval(ScanPeriodMs);
    connect(&m_scanTimer, &QTimer::timeout, this, &MotionCapture::scanTick);
    m_session.setScanner(this);
    connect(&m_session.service(), &CaptureService::deviceLost, this, [this] {
        // The capture loop says that the device is gone; here only the scan ends.
        if (scanArmed()) {
            setArmed(false);
            emit indicatorBoxShown(true);
        }
    });
}

void MotionCapture::applySettings(int cells)
{
    m_engine.SetShowItem({});
    m_engine.SetScanType(sctRed | sctGreen | sctBlue);
    m_engine.SetGlobalScan(true);
    m_engine.SetGlobalSensitivity(GlobalSensitivity);
    m_engine.SetEdgeSensitivity(EdgeSensitivity);
    m_engine.SetRows(cells);
    m_engine.SetColumns(cells);
}

void MotionCapture::setGrid(int cells)
{
    applySettings(cells);
}

void MotionCapture::setPicturesBeforeMotion(int frames)
{
    m_before.setCapacity(frames);
}

double MotionCapture::megabytesBeforeMotion(int frames) const
{
    return PreCaptureRing::megabytes(frames, m_session.frameBytes());
}

void MotionCapture::setArmed(bool armed)
{
    m_failedScans = 0;
    m_scannedSinceArming = false;
    m_before.clear(); // frames from before an earlier arming tell nothing of the next motion
    // Never while capture runs: its grabs would go to the detector, and pictures would be lost.
    if (armed && !m_state.CaptureRunning())
        m_scanTimer.start();
    else
        m_scanTimer.stop();
}

void MotionCapture::setFramesAfterMotion(int frames)
{
    m_framesAfterMotion = frames;
    renewBatchEnd();
}

void MotionCapture::renewBatchEnd()
{
    m_motionBatchEnd = m_state.PictureCounter() + m_framesAfterMotion;
}

void MotionCapture::captureStarted()
{
    setArmed(false);
}

void MotionCapture::batchCheck()
{
    if (!m_activated || m_state.PictureCounter() != m_motionBatchEnd)
        return;
    m_run.startStop(); // stops the batch
    setArmed(true);
    renewBatchEnd();
    emit batchEnded();
}

void MotionCapture::scanTick()
{
    m_session.SetFrameCallback();
    const CaptureSession::GrabResult grab = m_session.GrabFrame();
    m_session.ClearFrameCallback();
    if (grab) {
        m_failedScans = 0;
        return;
    }
    // Said once in the status bar; a camera that keeps failing ends the scan with a message.
    emit statusNote(QStringLiteral("No frame at %1").arg(QTime::currentTime().toString()));
    if (++m_failedScans >= MaxFailedScans && scanArmed())
        disarmFor(QStringLiteral("%1 grabs in a row gave no frame (%2)")
                      .arg(MaxFailedScans)
                      .arg(grab.error().reason.isEmpty() ? QStringLiteral("no frame")
                                                         : grab.error().reason));
}

void MotionCapture::disarmFor(const QString &reason)
{
    setArmed(false);
    emit indicatorBoxShown(true);
    // Shown once the scan has returned, never from inside a frame delivery.
    QTimer::singleShot(0, this, [this, reason] {
        m_messages.error(QStringLiteral("Motion detection stopped: %1.").arg(reason));
    });
}

void MotionCapture::takeFrame(const QImage &frame, const QDateTime &grabbed)
{
    // The first scan after arming compares with black or with the scan before a batch: it is
    // never a light change, so that it stays the report that is ignored.
    m_engine.SetLightChangePercent(m_scannedSinceArming ? m_lightChangePercent : 0);
    m_engine.ScanFrame(frame);
    m_scannedSinceArming = true;
    // Kept after the scan: the frame that shows the motion is not one from before it.
    if (scanArmed())
        m_before.push(frame, grabbed);
}

void MotionCapture::onNotMotion()
{
    if (m_engine.LightChangeIgnored())
        noteLightChange();
    emit indicatorChanged(MotionHost::Indicator::NoMotion);
}

void MotionCapture::noteLightChange()
{
    if (m_lightNoted.isValid() && !m_lightNoted.hasExpired(LightNoteEveryMs))
        return;
    m_lightNoted.start();
    emit lightChangeIgnored();
}

void MotionCapture::onMotion()
{
    // The first report after arming compares with black or with the last scan before a
    // capture, not with what is there now.
    if (++m_motionEventCount <= 1)
        return;
    // Taken before disarming lets go of them.
    const std::vector<TimedFrame> before = m_before.take();
    emit indicatorChanged(MotionHost::Indicator::Motion);
    m_alarm.play();
    setArmed(false);
    m_session.ClearFrameCallback();
    emit motionReported();
    // They are the batch's first pictures; its FramesAfterMotion follow them.
    if (!before.empty() && m_store)
        m_store(before);
    // A batch counts from here, so pictures stored while detection was off cannot make it
    // run on past its end.
    renewBatchEnd();
    m_run.startStop();
}
