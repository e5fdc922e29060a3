#pragma once
// The platform's capture window service: one capture window showing one device, as the rest
// of the program needs it. Every operation on a capture window that does not exist is skipped
// and returns false. All calls are made on the user-interface thread.

#include "capture/videoheader.h"

#include <QObject>
#include <QSize>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <functional>

class QWidget;

/// One frame as the program receives it: exactly VideoHeader::imageSize() bytes of
/// bottom-up BGR rows, padded to 4 bytes, described by the header set with setVideoFormat().
/// The data is valid only while the frame callback runs.
struct CapturedFrame
{
    const std::uint8_t *data = nullptr;
    std::size_t size = 0;
};

class CaptureService : public QObject
{
    Q_OBJECT
public:
    using FrameCallback = std::function<void(const CapturedFrame &)>;

    using QObject::QObject;
    ~CaptureService() override = default;

    /// The drivers that can be connected, in index order, at most 10: "name version".
    /// connectDriver() takes an index into the list returned last.
    virtual QStringList driverDescriptions() = 0;

    /// Creates the capture window as a child widget of parent, at (0, 0) with the given size,
    /// visible. An earlier window is destroyed first.
    virtual bool createWindow(QWidget *parent, QSize size) = 0;
    virtual bool windowExists() const = 0;
    /// The capture window widget, or nullptr.
    virtual QWidget *window() const = 0;
    /// Destroys the capture window (disconnecting its driver first).
    virtual void destroyWindow() = 0;

    /// Connects the driver and starts its frames (320 x 240 until setVideoFormat()). A failed
    /// connect leaves the window as it is; destroying it is the caller's business.
    virtual bool connectDriver(int index) = 0;
    virtual bool disconnectDriver() = 0;
    /// Stops any streaming the window does for preview or overlay.
    virtual bool stop() = 0;
    /// Frames are W x H at 24 bits whatever the device delivers; other bit counts fail.
    virtual bool setVideoFormat(const VideoHeader &header) = 0;
    /// Preview and overlay exclude each other: switching one on switches the other off.
    virtual bool setPreview(bool on) = 0;
    virtual bool setOverlay(bool on) = 0;
    /// On: the picture is stretched to the window's size; off: drawn unscaled at its top left.
    virtual bool setScale(bool on) = 0;
    virtual bool setPreviewRate(int milliseconds) = 0;

    /// An opaque value the window keeps for its owner (0 = none).
    virtual bool setUserData(std::uintptr_t value) = 0;
    virtual std::uintptr_t userData() const = 0;

    /// Registers (or with an empty function clears) the callback that receives every frame the
    /// window shows while it is registered: the frame of grabFrame() and each preview frame.
    virtual bool setFrameCallback(FrameCallback callback) = 0;

    /// Hands a fresh frame to the registered callback before returning, then switches preview
    /// and overlay off. Returns false when no frame came (the reason is in lastError()).
    /// Fails while a frame is being handed to the callback (no nested grabs).
    virtual bool grabFrame() = 0;

    /// The device's own settings dialog (modal); the test scene's options for the test scene.
    virtual bool showSourceDialog(QWidget *parent) = 0;

    /// Why the last operation that returned false failed, for messages to the user.
    virtual QString lastError() const = 0;

signals:
    /// The connected device went away or stopped delivering; emitted once per connection, on
    /// the user-interface thread. The live picture is off then and grabs fail until the next
    /// connect.
    void deviceLost(const QString &reason);
};
