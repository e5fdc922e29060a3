#pragma once
// The platform's capture window service: one capture window showing one device, as the rest
// of the program needs it. Every operation on a capture window that does not exist is skipped
// and fails. Failures carry their reason, worded for the user. All calls are made on the
// user-interface thread.

#include "capture/sourcecontrol.h"
#include "capture/videoheader.h"
#include "shell/result.h"

#include <QImage>
#include <QObject>
#include <QSize>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <vector>

class QWidget;

class CaptureService : public QObject
{
    Q_OBJECT
public:
    /// Receives a frame: a Format_BGR888 image of the size set with setVideoFormat(), top row
    /// first. The image is the caller's to keep; the service never writes into it again.
    using FrameCallback = std::function<void(const QImage &frame)>;

    using QObject::QObject;
    ~CaptureService() override = default;

    /// The drivers that can be connected, in index order, at most 10: "name version".
    /// connectDriver() takes an index into the list returned last.
    virtual QStringList driverDescriptions() = 0;
    /// The connected driver as driverDescriptions() lists it ("USB Camera 6.1.7"); empty while
    /// none is connected.
    virtual QString connectedDriver() const = 0;
    /// The connected driver's own frame sizes beyond 640 x 480, up to 1920 x 1080, smallest
    /// first; empty while none is connected or it offers none.
    virtual QList<QSize> cameraSizes() const { return {}; }

    /// Creates the capture window with the given size, hidden and without a parent: the caller
    /// puts it where it belongs and shows it. An earlier window is destroyed first.
    virtual Result<> createWindow(QSize size) = 0;
    virtual bool windowExists() const = 0;
    /// The capture window widget, or nullptr.
    virtual QWidget *window() const = 0;
    /// Destroys the capture window (disconnecting its driver first).
    virtual void destroyWindow() = 0;

    /// Connects the driver and starts its frames (320 x 240 until setVideoFormat()). A failed
    /// connect leaves the window as it is; destroying it is the caller's business.
    virtual Result<> connectDriver(int index) = 0;
    virtual Result<> disconnectDriver() = 0;
    /// Stops any streaming the window does for preview or overlay.
    virtual Result<> stop() = 0;
    /// Frames are W x H at 24 bits whatever the device delivers; other bit counts fail.
    virtual Result<> setVideoFormat(const VideoHeader &header) = 0;
    /// Preview and overlay exclude each other: switching one on switches the other off.
    virtual Result<> setPreview(bool on) = 0;
    virtual Result<> setOverlay(bool on) = 0;
    /// On: the picture is stretched to the window's size; off: drawn unscaled at its top left.
    virtual Result<> setScale(bool on) = 0;
    virtual Result<> setPreviewRate(int milliseconds) = 0;

    /// An opaque value the window keeps for its owner (0 = none).
    virtual Result<> setUserData(std::uintptr_t value) = 0;
    virtual std::uintptr_t userData() const = 0;

    /// Registers (or with an empty function clears) the callback that receives each preview
    /// frame the window shows while it is registered.
    virtual Result<> setFrameCallback(FrameCallback callback) = 0;

    /// The newest frame not given to the program before (by a grab or the frame callback),
    /// waiting for one only when there is none; the window shows it, and preview and overlay
    /// are off afterwards. Fails with the reason when no frame came, and while a frame is
    /// being handed to the callback (no nested grabs).
    virtual Result<QImage> grabFrame() = 0;

    /// After deviceLost: connects the same device again, found by its card name under any
    /// device node, keeping the format, scale, preview rate, user data and frame callback; the
    /// live picture stays off. Succeeds at once when nothing was lost; fails with the reason
    /// while the device is absent. A device that stopped sending frames is opened again, and
    /// this fails until a frame has come from it.
    virtual Result<> reconnectLostDevice() = 0;

    /// The connected source's own settings (the device's controls; the test scene's options),
    /// as its settings dialog shows and changes them.
    struct SourceSettings
    {
        QString name;
        std::function<std::vector<SourceControl>()> read;
        std::function<Result<>(std::uint32_t id, int value)> write;
    };
    /// Fails with the reason while no driver is connected.
    virtual Result<SourceSettings> sourceSettings() = 0;

signals:
    /// The connected device went away or stopped delivering; emitted once per connection, on
    /// the user-interface thread. The live picture is off then and grabs fail until the next
    /// connect.
    void deviceLost(const QString &reason);
};
