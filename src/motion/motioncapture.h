#pragma once
// Motion-triggered capture: while armed, one frame every 100 ms goes to the motion detector
// instead of the store; a motion (other than the first report after arming) disarms, sounds
// the alarm, asks for a report line and starts interval capture, which stops again after a
// batch of frames and re-arms. Owns the detector, the scan timer and the motion counters.

#include "capture/framescanner.h"
#include "motion/precapturering.h"
#include "motion/tmj.h"
#include "shell/motionhost.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <vector>

class CaptureRunControl;
class CaptureSession;
class Messages;
class Sound;
struct ApplicationState;

class MotionCapture : public QObject, public FrameScanner
{
    Q_OBJECT
public:
    static constexpr int ScanPeriodMs = 100;
    static constexpr int DefaultGrid = 50;
    static constexpr int DefaultFramesAfterMotion = 10;

    /// run is the Start/stop toggle of interval capture.
    MotionCapture(ApplicationState &state, CaptureSession &session, CaptureRunControl &run,
                  Sound &alarm, Messages &messages);

    // FrameScanner: armed exactly while the scan timer runs.
    bool scanArmed() const override { return m_scanTimer.isActive(); }
    void takeFrame(const QImage &frame, const QDateTime &grabbed) override;

    void setArmed(bool armed);
    /// "Activate MD" as it stands: stored pictures are checked against the batch end only
    /// while it is checked.
    void setActivated(bool checked) { m_activated = checked; }
    bool activated() const { return m_activated; }

    /// The detection grid: cells × cells.
    void setGrid(int cells);
    /// Cells to ignore, kept over grid changes.
    void setMask(const MotionMask &mask) { m_engine.SetMask(mask); }
    const MotionMask &mask() const { return m_engine.Mask(); }
    /// "Ignore light changes above P %"; 0: light changes are motion like any other.
    void setLightChangePercent(int percent) { m_lightChangePercent = std::max(percent, 0); }
    int lightChangePercent() const { return m_lightChangePercent; }
    /// "Pictures before motion": the last frames scanned while armed are stored first in a
    /// batch, oldest first (0 to PreCaptureRing::MaxFrames; 0: none).
    void setPicturesBeforeMotion(int frames);
    int picturesBeforeMotion() const { return m_before.capacity(); }
    /// What keeping frames frames of the chosen format costs, in megabytes.
    double megabytesBeforeMotion(int frames) const;
    /// Stores the frames before a motion as pictures, oldest first, from PictureCounter on.
    using FrameStore = std::function<void(const std::vector<TimedFrame> &frames)>;
    void setFrameStore(FrameStore store) { m_store = std::move(store); }
    /// FramesAfterMotion, and the batch end from the next picture on.
    void setFramesAfterMotion(int frames);
    int framesAfterMotion() const { return m_framesAfterMotion; }
    int motionBatchEnd() const { return m_motionBatchEnd; }
    /// MotionBatchEnd := PictureCounter + FramesAfterMotion.
    void renewBatchEnd();
    int motionEventCount() const { return m_motionEventCount; }
    void resetMotionEventCount() { m_motionEventCount = 0; }

    // The capture run's moments.
    /// A run started: grabs store pictures from now on.
    void captureStarted();
    /// A run ended: the next motion report after re-arming is ignored again.
    void captureStopped() { resetMotionEventCount(); }
    /// Numbering began again at the start of the store.
    void numberingRestarted() { m_motionBatchEnd = m_framesAfterMotion; }
    /// After each stored picture: ends a batch at MotionBatchEnd and re-arms.
    void batchCheck();

    /// One scan: grab a frame for the detector.
    void scanTick();

    TMJ &engine() { return m_engine; }

signals:
    /// A motion started a capture: its report line is due (PictureCounter is the first picture).
    void motionReported();
    /// A motion batch ended at its last picture; detection is armed again.
    void batchEnded();
    /// What the "M.I." indicator shows now.
    void indicatorChanged(MotionHost::Indicator state);
    /// The silver box covers the indicator while detection is not armed.
    void indicatorBoxShown(bool shown);
    /// A word for the status bar (a scan that gave no frame).
    void statusNote(const QString &text);
    /// A light change was not taken for motion: said at most once a minute.
    void lightChangeIgnored();

private:
    void applySettings(int cells);
    void onMotion();
    void onNotMotion();
    void disarmFor(const QString &reason);
    void noteLightChange();

    ApplicationState &m_state;
    CaptureSession &m_session;
    CaptureRunControl &m_run;
    Sound &m_alarm;
    Messages &m_messages;
    TMJ m_engine;
    QTimer m_scanTimer;
    bool m_activated = false;
    int m_motionEventCount = 0;
    int m_framesAfterMotion = DefaultFramesAfterMotion;
    int m_motionBatchEnd = DefaultFramesAfterMotion;
    int m_failedScans = 0;
    PreCaptureRing m_before;
    FrameStore m_store;
    QElapsedTimer m_lightNoted; // since the last light change was said
    int m_lightChangePercent = 0;
    bool m_scannedSinceArming = false;
};
