#include "app/webrunbridge.h"

#include "app/capturecore.h"
#include "motion/motioncapture.h"
#include "programs/timerprogramrunner.h"
#include "store/captureloop.h"
#include "store/intervalmodel.h"
#include "store/keepfree.h"

WebRunBridge::WebRunBridge(CaptureCore &core, StoreSpace &space, QObject *parent)
    : QObject(parent), m_core(core), m_space(space)
{
    wire();
    refresh();
}

void WebRunBridge::wire()
{
    CaptureCore *core = &m_core;
    connect(core, &CaptureCore::stateChanged, this, &WebRunBridge::refresh);
    connect(core, &CaptureCore::started, this, &WebRunBridge::restartGrid);
    connect(core, &CaptureCore::started, this, &WebRunBridge::refresh);
    connect(core, &CaptureCore::stopped, this, [this] {
        std::lock_guard lock(m_mutex);
        if (m_status.camera == WebStatus::Camera::Lost)
            m_status.camera = WebStatus::Camera::Ready; // the wait for it ended with the run
    });
    connect(core, &CaptureCore::stopped, this, &WebRunBridge::refresh);
    connect(core, &CaptureCore::pictureWritten, this, [this](const StoredPicture &picture) {
        std::lock_guard lock(m_mutex);
        m_status.lastNumber = picture.number;
        m_status.lastPath = picture.path;
        m_status.lastTime = picture.time;
    });
    connect(core, &CaptureCore::cameraLost, this, [this] {
        std::lock_guard lock(m_mutex);
        m_status.camera = WebStatus::Camera::Lost;
    });
    connect(core, &CaptureCore::cameraBack, this, [this] {
        std::lock_guard lock(m_mutex);
        m_status.camera = WebStatus::Camera::Ready;
    });
    connect(core, &CaptureCore::motionEnded, this, &WebRunBridge::refresh);
    connect(core, &CaptureCore::timerProgramStarted, this, &WebRunBridge::refresh);
    connect(core, &CaptureCore::motionStarted, this, &WebRunBridge::refresh);
    connect(core, &CaptureCore::timerProgramStopped, this, &WebRunBridge::refresh);
    connect(&m_core.motion(), &MotionCapture::indicatorBoxShown, this, &WebRunBridge::refresh);
    connect(&m_core.interval(), &IntervalModel::changed, this, &WebRunBridge::restartGrid);
    connect(&m_core.interval(), &IntervalModel::changed, this, &WebRunBridge::refresh);
}

void WebRunBridge::restartGrid()
{
    std::lock_guard lock(m_mutex);
    m_gridStart = QDateTime::currentDateTime();
}

void WebRunBridge::refresh()
{
    const ApplicationState &state = m_core.state();
    std::lock_guard lock(m_mutex);
    m_status.running = state.CaptureRunning();
    m_status.counter = state.PictureCounter();
    m_status.directory = state.CurrentDirectory();
    m_status.intervalSeconds = m_core.interval().seconds();
    m_status.motionArmed = m_core.motion().scanArmed();
    m_status.timerProgramWaiting =
        m_core.timerProgram().program().active() && !state.CaptureRunning();
    if (m_status.camera != WebStatus::Camera::Lost)
        m_status.camera = state.DriverChosen() ? WebStatus::Camera::Ready : WebStatus::Camera::None;
}

WebStatus WebRunBridge::status()
{
    WebStatus copy;
    {
        std::lock_guard lock(m_mutex);
        copy = m_status;
    }
    copy.diskFreeBytes = m_space.availableBytes(); // asked now: pictures fill the disk between
    copy.nextDue = nextDue(copy, m_gridStart, QDateTime::currentDateTime());
    return copy;
}

QDateTime WebRunBridge::nextDue(const WebStatus &status, const QDateTime &gridStart,
                                const QDateTime &now)
{
    // Pictures of a run are due on a grid from its start; motion takes them when it moves.
    if (!status.running || status.motionArmed || status.intervalSeconds <= 0 ||
        !gridStart.isValid())
        return {};
    const qint64 step = qint64(status.intervalSeconds * 1000);
    if (step <= 0)
        return {};
    const qint64 passed = std::max<qint64>(0, gridStart.msecsTo(now));
    return gridStart.addMSecs((passed / step + 1) * step);
}

void WebRunBridge::start()
{
    press(true);
}

void WebRunBridge::stop()
{
    press(false);
}

void WebRunBridge::press(bool wantRunning)
{
    // Decided on the core's thread: the toggle may have moved since the request came.
    QMetaObject::invokeMethod(
        this,
        [this, wantRunning] {
            CaptureLoop &loop = m_core.loop();
            if (loop.toggledOn() != wantRunning)
                loop.startStop();
        },
        Qt::QueuedConnection);
}
