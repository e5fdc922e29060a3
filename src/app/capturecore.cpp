#include "app/capturecore.h"

#include "capture/capturesession.h"
#include "motion/motioncapture.h"
#include "programs/timerprogramrunner.h"
#include "shell/clocksource.h"
#include "shell/picturenames.h"
#include "store/captureloop.h"
#include "store/intervalmodel.h"
#include "store/keepfree.h"

#include <QFile>

namespace {
std::unique_ptr<StoreSpace> spaceUnlessGiven(StoreSpace *given)
{
    return given ? nullptr : std::make_unique<WorkingDirectorySpace>();
}
} // namespace

CaptureCore::CaptureCore(const Services &services)
    : m_clock(services.clock), m_ownSpace(spaceUnlessGiven(services.storeSpace)),
      m_session(std::make_unique<CaptureSession>(services.camera, m_state, m_settings)),
      m_interval(std::make_unique<IntervalModel>(m_captureTimer)),
      m_loop(std::make_unique<CaptureLoop>(
          m_state, services.click, m_captureTimer, *m_session, *m_interval, services.messages,
          services.storeSpace ? *services.storeSpace : *m_ownSpace)),
      m_motion(std::make_unique<MotionCapture>(m_state, *m_session, *m_loop, services.alarm,
                                               services.messages)),
      m_timerProgram(std::make_unique<TimerProgramRunner>(m_state, *m_loop, m_clock))
{
    m_state.setListener([this](ApplicationState::Field field) { emit stateChanged(field); });
    m_session->setClock(m_clock);
    wireRun();

    // The capture timer runs from start; its ticks do nothing until capture is started.
    m_captureTimer.setEnabled(true);
    m_captureTimer.setInterval(5000);
    m_captureTimer.setThreadPriority(ThreadPriority::Higher);
    CaptureLoop *loop = m_loop.get();
    m_captureTimer.setOnTimer([loop] { loop->captureTick(); });

    // The one-second clock runs while capture is stopped.
    m_clockTimer.setInterval(1000);
    connect(&m_clockTimer, &QTimer::timeout, this, &CaptureCore::clockTick);
    m_clockTimer.start();

    // While capture runs, the timer program's end is checked once a second as well as after
    // each picture: a long interval may leave no picture in the end minute.
    m_endCheckTimer.setInterval(1000);
    connect(&m_endCheckTimer, &QTimer::timeout, this, [this] {
        if (m_state.CaptureRunning()) // not while a new driver or format pauses it
            m_timerProgram->endCheck();
    });
    connect(loop, &CaptureLoop::started, &m_endCheckTimer, qOverload<>(&QTimer::start));
    connect(loop, &CaptureLoop::stopped, &m_endCheckTimer, &QTimer::stop);
}

CaptureCore::~CaptureCore()
{
    // No tick may reach the loop once it is gone.
    m_captureTimer.setEnabled(false);
    m_captureTimer.setOnTimer({});
    m_clockTimer.stop();
    m_endCheckTimer.stop();
    m_timerProgram.reset();
    m_motion.reset();
    m_loop.reset();
    m_session->DisconnectDriver();
}

// The parts that take part in a run, connected to its moments in the order the capture tick
// needs them: the timer program's end check before the motion batch check.
void CaptureCore::wireRun()
{
    CaptureLoop *loop = m_loop.get();
    MotionCapture *motion = m_motion.get();
    TimerProgramRunner *timer = m_timerProgram.get();
    connect(loop, &CaptureLoop::started, motion, &MotionCapture::captureStarted);
    connect(loop, &CaptureLoop::stopped, motion, &MotionCapture::captureStopped);
    connect(loop, &CaptureLoop::firstPictureStored, motion, &MotionCapture::numberingRestarted);
    connect(loop, &CaptureLoop::pictureStored, timer, &TimerProgramRunner::endCheck);
    // The program's end time still ends a run whose camera is away.
    connect(loop, &CaptureLoop::pictureSkipped, timer, &TimerProgramRunner::endCheck);
    connect(loop, &CaptureLoop::pictureStored, motion, &MotionCapture::batchCheck);
    // The frames before a motion take the store's own path: numbering, keep free, events.
    motion->setFrameStore(
        [loop](const std::vector<TimedFrame> &frames) { loop->storeEarlierFrames(frames); });

    connect(loop, &CaptureLoop::started, &m_clockTimer, qOverload<>(&QTimer::stop));
    connect(loop, &CaptureLoop::stopped, &m_clockTimer, qOverload<>(&QTimer::start));

    // What the run announces to every consumer.
    connect(loop, &CaptureLoop::started, this, &CaptureCore::started);
    connect(loop, &CaptureLoop::stopped, this, &CaptureCore::stopped);
    connect(loop, &CaptureLoop::pictureWritten, this, &CaptureCore::pictureWritten);
    connect(loop, &CaptureLoop::failed, this, &CaptureCore::failed);
    connect(&m_captureTimer, &ThreadedTimer::ticksSkipped, this, [this](quint64 count) {
        if (m_state.CaptureRunning())
            emit ticksSkipped(count);
    });
    connect(loop, &CaptureLoop::cameraLost, this, &CaptureCore::cameraLost);
    connect(loop, &CaptureLoop::cameraBack, this, &CaptureCore::cameraBack);
    connect(motion, &MotionCapture::motionReported, this,
            [this] { emit motionStarted(m_state.PictureCounter()); });
    connect(motion, &MotionCapture::batchEnded, this, &CaptureCore::motionEnded);
    connect(timer, &TimerProgramRunner::starting, this, &CaptureCore::timerProgramStarted);
    connect(timer, &TimerProgramRunner::stopped, this, &CaptureCore::timerProgramStopped);
    connect(timer, &TimerProgramRunner::dayPlanned, this, &CaptureCore::timerProgramDay);
}

void CaptureCore::clockTick()
{
    if (m_state.ClearConfirmed())
        emit pendingClearDue();
    m_state.setClock(m_clock.now().time());
    emit clockTicked();
    m_timerProgram->startCheck();
}

void CaptureCore::openStore()
{
    PictureStore::RemoveLeftoverTemporaries();
    PictureStore::CreateDirectory(1);
}

void CaptureCore::closeStore()
{
    QFile::remove(QStringLiteral("1/capture.jpg"));
    PictureStore::RemoveLeftoverTemporaries();
    PictureStore::RemoveEmptyDirectories();
}
