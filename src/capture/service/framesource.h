#pragma once
// A source of frames for the capture service: a V4L2 camera or the built-in test scene.
// open, start, stop, close and the controls are called on the user-interface thread;
// readFrame and interrupt on the capture thread, between start and stop.

#include "capture/service/captureresult.h"
#include "capture/service/sourcecontrol.h"
#include "capture/videoheader.h"

#include <cstdint>
#include <vector>

class FrameSource
{
public:
    enum class Read
    {
        Frame,   // frame holds a fresh frame
        NoFrame, // nothing yet (time-out, a frame dropped); try again
        Lost,    // the device went away; reason says why
    };
    struct ReadResult
    {
        Read status = Read::NoFrame;
        QString reason;
    };

    virtual ~FrameSource() = default;

    virtual CaptureResult open() = 0;
    /// Starts delivering frames exactly as header describes them.
    virtual CaptureResult start(const VideoHeader &header) = 0;
    /// Fills frame (header.imageSize() bytes) with the next frame, waiting at most about 100 ms.
    virtual ReadResult readFrame(std::vector<std::uint8_t> &frame) = 0;
    /// Makes a waiting readFrame return soon, so that the capture thread can end.
    virtual void interrupt() {}
    virtual void stop() = 0;
    virtual void close() = 0;

    virtual std::vector<SourceControl> controls() = 0;
    virtual CaptureResult setControl(std::uint32_t id, int value) = 0;
};
