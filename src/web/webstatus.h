#pragma once
// How the capture run stands, as the web view reports it (/api/status), and what the web view
// may ask of the run. Both are used from the server's threads.

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <optional>

struct WebStatus
{
    enum class Camera
    {
        None, // no capture driver connected
        Ready,
        Lost, // gone during a run; the run waits for it
    };

    bool running = false;
    bool motionArmed = false;
    bool timerProgramWaiting = false; // a timer program is set and capture waits for its start
    int counter = 0;
    int directory = 1;
    double intervalSeconds = 5;
    Camera camera = Camera::None;
    // The last picture stored by this run; number -1: none yet.
    int lastNumber = -1;
    QString lastPath; // relative to the store: "1/capture0.jpg"
    QDateTime lastTime;
    std::optional<qint64> diskFreeBytes; // none: the file system cannot be asked
    QDateTime nextDue;                   // when the run's next picture is due; invalid: none

    /// One word for the whole: "camera lost", "running", "waiting for motion", "waiting for the
    /// timer program" or "stopped".
    QString stateText() const;
    /// The status as a JSON object; times as ISO 8601 with milliseconds and offset.
    QByteArray toJson() const;
};

/// The run as the web view sees it; every function may be called from any thread.
class WebRun
{
public:
    virtual ~WebRun() = default;
    virtual WebStatus status() = 0;
    /// Asks for what Start/stop does when capture is stopped; nothing when it runs.
    virtual void start() = 0;
    /// Asks for what Start/stop does when capture runs; nothing when it is stopped.
    virtual void stop() = 0;
};
