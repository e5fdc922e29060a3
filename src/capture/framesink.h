#pragma once
// Where the frames of a capture run go: the motion scan, and whoever else watches the run's
// frames (a buffer of the moments before a motion, a live view). The session hands each frame
// to its sinks on the user-interface thread; a sink may keep it (QImage shares its pixels).

class QDateTime;
class QImage;

class FrameSink
{
public:
    virtual ~FrameSink() = default;
    /// One frame, 24-bit with the top row first, grabbed at time.
    virtual void takeFrame(const QImage &frame, const QDateTime &grabbed) = 0;
};
