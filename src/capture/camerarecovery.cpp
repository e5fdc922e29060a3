#include "capture/camerarecovery.h"

#include "capture/captureservice.h"

CameraRecovery::CameraRecovery(CaptureService &service, QObject *parent)
    : QObject(parent), m_service(service)
{
    m_retry.setInterval(DefaultRetryInterval);
    m_deadline.setSingleShot(true);
    connect(&m_retry, &QTimer::timeout, this, &CameraRecovery::retry);
    connect(&m_deadline, &QTimer::timeout, this, &CameraRecovery::giveUp);
}

void CameraRecovery::setRetryInterval(std::chrono::milliseconds interval)
{
    m_retry.setInterval(interval);
}

void CameraRecovery::begin(const QString &reason)
{
    if (m_waiting)
        return;
    m_waiting = true;
    m_reason = reason;
    m_lostAt = QTime::currentTime();
    // A camera that was just lost is not back yet: the first look waits a full interval.
    m_retry.start();
    m_deadline.start(m_patience);
}

void CameraRecovery::cancel()
{
    m_waiting = false;
    m_retry.stop();
    m_deadline.stop();
}

void CameraRecovery::retry()
{
    if (!m_service.reconnectLostDevice())
        return; // still away; the reason is the loss's, said already
    cancel();
    emit returned();
}

void CameraRecovery::giveUp()
{
    cancel();
    emit gaveUp(m_reason);
}
