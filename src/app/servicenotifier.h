#pragma once
// Tells the service manager (systemd) how a capture run stands: ready once it has begun, a
// status line with the last picture, and the watchdog's keep-alive only while the run is
// healthy. Without a service manager (no NOTIFY_SOCKET) it sends nothing and runs no timer.

#include "capture/framesink.h"
#include "capture/storedpicture.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>

class CaptureCore;

class ServiceNotifier : public QObject, public FrameSink
{
    Q_OBJECT
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds DefaultFrameAge{10000};

    /// Watches core's run and frames; core must outlive the notifier.
    explicit ServiceNotifier(CaptureCore &core, QObject *parent = nullptr);
    ~ServiceNotifier() override;

    /// Whether a service manager listens; without one every call here does nothing.
    bool listening() const { return m_listening; }
    /// How old the newest sign of life (a frame, a stored picture) may be beyond the time the
    /// run may wait on purpose, such as the interval between two pictures.
    void setFrameAge(std::chrono::milliseconds age) { m_frameAge = age; }
    /// The keep-alive period: half the watchdog's time-out; zero without a watchdog.
    std::chrono::milliseconds pingPeriod() const;

    /// Capture, or its wait for a motion or for the timer program, has begun; status says
    /// which.
    void ready(const QString &status);
    /// The program ends in order.
    void stopping();
    /// Whether the run is as it should be now: the camera is there, and the newest frame or
    /// picture is as recent as the run promises (at most the interval plus the frame age while
    /// capturing, the frame age while scanning for motion); waiting on purpose always is.
    bool healthy(Clock::time_point now = Clock::now()) const;

    void takeFrame(const QImage &frame, const QDateTime &grabbed) override;

signals:
    /// A message could not be sent; said once, reason is the system's.
    void notifyFailed(const QString &reason);

private:
    void wire();
    void alive() { m_lastSign = Clock::now(); }
    void status(const QString &text);
    void pictureWritten(const StoredPicture &picture);
    void ping();
    void send(const QString &message);

    CaptureCore &m_core;
    bool m_listening = false;
    bool m_sendFailed = false;
    bool m_cameraLost = false;
    bool m_runFailed = false;
    std::chrono::milliseconds m_frameAge = DefaultFrameAge;
    Clock::time_point m_lastSign = Clock::now();
    QTimer m_ping;
};
