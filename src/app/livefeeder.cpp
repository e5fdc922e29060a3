#include "app/livefeeder.h"

#include "app/capturecore.h"
#include "capture/capturesession.h"
#include "shell/applicationstate.h"
#include "web/weblive.h"

#include <QDateTime>

namespace {
// Without a viewer the feeder only looks now and then whether one has come.
constexpr int IdleLookMs = 1000;
} // namespace

LiveFeeder::LiveFeeder(CaptureCore &core, WebLive &live) : m_core(core), m_live(live)
{
    core.session().addFrameSink(this);
    connect(&core, &CaptureCore::cameraLost, this, [this] { m_cameraLost = true; });
    connect(&core, &CaptureCore::cameraBack, this, [this] { m_cameraLost = false; });
    // The wait for a lost camera ends with the run.
    connect(&core, &CaptureCore::stopped, this, [this] { m_cameraLost = false; });
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &LiveFeeder::tick);
    m_timer.start(IdleLookMs);
}

LiveFeeder::~LiveFeeder()
{
    m_core.session().removeFrameSink(this);
}

void LiveFeeder::takeFrame(const QImage &, const QDateTime &)
{
    m_lastFrame.start();
}

void LiveFeeder::tick()
{
    const int period = int(WebLive::FramePeriod.count());
    if (m_live.viewers() == 0) {
        m_timer.setInterval(IdleLookMs);
        return;
    }
    // Just over the live picture's period, which takes no frame that comes sooner.
    m_timer.setInterval(period + 5);
    const ApplicationState &state = m_core.state();
    if (m_cameraLost || !state.DriverChosen() || !state.FormatChosen())
        return;
    if (m_lastFrame.isValid() && m_lastFrame.elapsed() < period)
        return;
    Result<QImage> frame = m_core.session().service().grabFrame();
    if (!frame)
        return; // the run's own grabs say what is wrong with the camera
    m_lastFrame.start();
    m_live.takeFrame(*frame, QDateTime::currentDateTime());
}
