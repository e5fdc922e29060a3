#pragma once
// Waits for a camera that went away during a capture run: looks for it at a steady pace and
// connects it again when it is back, until a set time has passed. It knows no windows, so that
// a run without a display recovers in the same way.

#include <QObject>
#include <QString>
#include <QTime>
#include <QTimer>

#include <chrono>

class CaptureService;

class CameraRecovery : public QObject
{
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds DefaultRetryInterval{2000};
    static constexpr std::chrono::milliseconds DefaultPatience{std::chrono::minutes(10)};

    explicit CameraRecovery(CaptureService &service, QObject *parent = nullptr);

    /// How long a lost camera is waited for; takes effect at the next loss.
    void setPatience(std::chrono::milliseconds patience) { m_patience = patience; }
    /// How often the devices are looked through while waiting.
    void setRetryInterval(std::chrono::milliseconds interval);

    /// Starts waiting for the camera the service lost; reason is why it was lost. A loss
    /// while waiting already changes nothing.
    void begin(const QString &reason);
    /// Stops waiting without a word: the run ended otherwise.
    void cancel();
    bool waiting() const { return m_waiting; }
    /// The time of day of the loss being waited out, or of the last one.
    QTime lostAt() const { return m_lostAt; }

signals:
    /// The camera is connected again, with the format it had.
    void returned();
    /// The camera stayed away for the whole patience; reason is why it was lost.
    void gaveUp(const QString &reason);

private:
    void retry();
    void giveUp();

    CaptureService &m_service;
    QTimer m_retry;
    QTimer m_deadline;
    std::chrono::milliseconds m_patience = DefaultPatience;
    bool m_waiting = false;
    QString m_reason;
    QTime m_lostAt;
};
