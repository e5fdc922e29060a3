#pragma once
// What the capture windows ask of the motion-detection and timer-program windows when a driver
// or a format is confirmed. Every call does nothing until those windows are wired in.

class CapturePeers
{
public:
    virtual ~CapturePeers() = default;
    /// Unchecks "Activate MD" in the timer-motion menu; its reaction runs.
    virtual void deactivateMotionDetection() {}
    /// The motion detection window's count of motion events starts again at 0.
    virtual void resetMotionEventCount() {}
    /// "Activate MD" and "Activate timer" lose their hints and get the ordinary arrow cursor.
    virtual void clearActivationHints() {}
};
