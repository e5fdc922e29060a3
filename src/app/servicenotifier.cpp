#include "app/servicenotifier.h"

#include "app/capturecore.h"
#include "capture/capturesession.h"
#include "motion/motioncapture.h"

#include <systemd/sd-daemon.h>

#include <cstdint>
#include <cstring>

namespace {
// sd_notify's own reading of the environment; NOTIFY_SOCKET alone names the listener.
bool serviceManagerListens()
{
    return !qEnvironmentVariableIsEmpty("NOTIFY_SOCKET");
}
} // namespace

ServiceNotifier::ServiceNotifier(CaptureCore &core, QObject *parent)
    : QObject(parent), m_core(core), m_listening(serviceManagerListens())
{
    if (!m_listening)
        return;
    m_core.session().addFrameSink(this);
    wire();
    connect(&m_ping, &QTimer::timeout, this, &ServiceNotifier::ping);
    if (const std::chrono::milliseconds period = pingPeriod(); period.count() > 0)
        m_ping.start(period);
}

ServiceNotifier::~ServiceNotifier()
{
    if (m_listening)
        m_core.session().removeFrameSink(this);
}

void ServiceNotifier::wire()
{
    connect(&m_core, &CaptureCore::started, this, [this] {
        alive();
        status(QStringLiteral("Capture started"));
    });
    connect(&m_core, &CaptureCore::stopped, this, [this] {
        alive();
        m_cameraLost = false; // the wait for it ended with the run
        status(QStringLiteral("Capture stopped"));
    });
    connect(&m_core, &CaptureCore::pictureWritten, this, &ServiceNotifier::pictureWritten);
    connect(&m_core, &CaptureCore::failed, this, [this](const QString &reason) {
        m_runFailed = true;
        status(QStringLiteral("Capture failed: ") + reason);
    });
    connect(&m_core, &CaptureCore::cameraLost, this, [this](const QString &reason) {
        m_cameraLost = true;
        status(QStringLiteral("Camera lost: ") + reason);
    });
    connect(&m_core, &CaptureCore::cameraBack, this, [this] {
        alive(); // the next due picture counts from now
        m_cameraLost = false;
        status(QStringLiteral("Camera back"));
    });
    connect(&m_core, &CaptureCore::motionEnded, this, [this] {
        alive();
        status(QStringLiteral("Waiting for motion"));
    });
    connect(&m_core, &CaptureCore::timerProgramStopped, this, [this](const QString &at) {
        status(QStringLiteral("Timer program stopped at %1, waiting for its next start").arg(at));
    });
}

std::chrono::milliseconds ServiceNotifier::pingPeriod() const
{
    std::uint64_t usec = 0;
    if (!m_listening || sd_watchdog_enabled(0, &usec) <= 0)
        return std::chrono::milliseconds::zero();
    return std::chrono::milliseconds(std::max<std::uint64_t>(1, usec / 2000));
}

void ServiceNotifier::ready(const QString &text)
{
    alive();
    send(QStringLiteral("READY=1\nSTATUS=") + text);
}

void ServiceNotifier::stopping()
{
    m_ping.stop();
    send(QStringLiteral("STOPPING=1"));
}

bool ServiceNotifier::healthy(Clock::time_point now) const
{
    if (m_cameraLost || m_runFailed)
        return false;
    const auto age = now - m_lastSign;
    // Frames reach the run only at its grabs: while capturing, one per interval.
    if (m_core.state().CaptureRunning())
        return age <= m_frameAge + std::chrono::milliseconds(m_core.captureTimer().interval());
    if (m_core.motion().scanArmed())
        return age <= m_frameAge;
    return true; // stopped, or waiting for the timer program: nothing is due
}

void ServiceNotifier::takeFrame(const QImage &, const QDateTime &)
{
    alive();
}

void ServiceNotifier::pictureWritten(const StoredPicture &picture)
{
    alive();
    status(QStringLiteral("Picture %1 (%2) at %3")
               .arg(picture.number)
               .arg(picture.path, picture.time.time().toString()));
}

void ServiceNotifier::status(const QString &text)
{
    QString line = text;
    line.replace(QLatin1Char('\n'), QLatin1Char(' ')); // one message line per field
    send(QStringLiteral("STATUS=") + line);
}

void ServiceNotifier::ping()
{
    if (healthy())
        send(QStringLiteral("WATCHDOG=1"));
}

void ServiceNotifier::send(const QString &message)
{
    if (!m_listening)
        return;
    const int sent = sd_notify(0, message.toUtf8().constData());
    if (sent >= 0 || m_sendFailed)
        return;
    m_sendFailed = true;
    emit notifyFailed(QString::fromLocal8Bit(std::strerror(-sent)));
}
