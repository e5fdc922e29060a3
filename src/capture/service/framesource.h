#pragma once
// A source of frames for the capture service: a V4L2 camera or the built-in test scene.
// open, start, stop, close and the controls are called on the user-interface thread;
// readFrame and interrupt on the capture thread, between start and stop.

#include "capture/sourcecontrol.h"
#include "capture/videoheader.h"
#include "shell/result.h"

#include <QImage>
#include <QSize>
#include <QString>

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

    virtual Result<> open() = 0;
    /// Starts delivering frames exactly as header describes them.
    virtual Result<> start(const VideoHeader &header) = 0;
    /// Writes the next frame into frame, waiting at most about 100 ms: W x H pixels as started,
    /// Format_BGR888, top row first. A frame image that someone else still shares is replaced
    /// by a fresh one rather than written into.
    virtual ReadResult readFrame(QImage &frame) = 0;
    /// Makes a waiting readFrame return soon, so that the capture thread can end.
    virtual void interrupt() {}
    virtual void stop() = 0;
    virtual void close() = 0;

    /// The frame sizes the open source can deliver as its own (as far as it tells), any order.
    virtual std::vector<QSize> frameSizes() { return {}; }
    virtual std::vector<SourceControl> controls() = 0;
    virtual Result<> setControl(std::uint32_t id, int value) = 0;

protected:
    /// Makes frame a size x BGR888 image that only the caller holds, so that writing into it
    /// neither copies it nor changes a frame handed out before. False when memory runs out.
    static bool prepareFrame(QImage &frame, QSize size);
    /// The read that could not get an image for its frame.
    static ReadResult outOfMemory(QSize size);
};
