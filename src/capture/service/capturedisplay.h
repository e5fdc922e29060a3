#pragma once
// Where the capture service paints the live picture: a widget that the windows provide. The
// service itself knows no widgets, so that a program without a display runs it as it is.

#include "capture/framesink.h"

#include <QSize>

#include <functional>

class QImage;
class QObject;
class QWidget;

/// The live picture is one of the frame sinks: the service gives it each frame it shows.
class CaptureDisplay : public FrameSink
{
public:
    virtual ~CaptureDisplay() = default;
    /// The object whose destruction (with the video area, say) ends the connection.
    virtual QObject *displayObject() = 0;
    virtual QWidget *displayWidget() = 0;
    /// On: stretched to the display's size; off: unscaled at its top left.
    virtual void setScaled(bool on) = 0;
    /// Repaints what it shows (after a dialog covered it).
    virtual void repaint() = 0;
};

/// Makes a new display of the given size, hidden and without a parent.
using CaptureDisplayFactory = std::function<CaptureDisplay *(QSize size)>;
