#pragma once
// Where the live picture is shown: the main window's video area takes the capture window as
// its child. The capture subsystem sees this much of the main window and nothing more.

#include <QSize>

class QWidget;

class VideoHost
{
public:
    virtual ~VideoHost() = default;
    /// Makes window a child of the video area, filling it, and shows it; it follows the area's
    /// size from then.
    virtual void embedCaptureWindow(QWidget *window) = 0;
    /// The size a new capture window is created with (the main window's outer size), before it
    /// takes the video area's.
    virtual QSize captureWindowSize() const = 0;
};
