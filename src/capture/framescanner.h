#pragma once
// Where grabbed frames go instead of the picture store while motion scanning is armed.

class QImage;

class FrameScanner
{
public:
    virtual ~FrameScanner() = default;
    /// Whether the motion scan is armed: frames are then analysed and never stored.
    virtual bool scanArmed() const = 0;
    /// Analyses one frame bitmap (24-bit, top-down rows).
    virtual void scanFrame(const QImage &bitmap) = 0;
};
