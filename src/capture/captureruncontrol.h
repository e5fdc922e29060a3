#pragma once
// What the capture windows may do to a capture run: a new driver or format pauses it or ends
// it. The interval capture loop provides it.

class CaptureRunControl
{
public:
    virtual ~CaptureRunControl() = default;
    /// The Start/stop toggle.
    virtual void startStop() = 0;
    /// Ticks store nothing until Start/stop; withCaption puts back the idle caption "Start".
    virtual void pause(bool withCaption) = 0;
};
