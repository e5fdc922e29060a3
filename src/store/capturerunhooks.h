#pragma once
// What the capture loop asks of the subsystems that take part in a capture run (motion-
// triggered capture and the daily timer program). Every hook does nothing until the subsystem
// that provides it is wired in.

class CaptureRunHooks
{
public:
    virtual ~CaptureRunHooks() = default;
    /// Hooks that do nothing, for as long as no subsystem provides its own.
    static CaptureRunHooks &none()
    {
        static CaptureRunHooks nothing;
        return nothing;
    }
    /// Start: the motion scan timer stops, so that grabs store pictures.
    virtual void disableScanTimer() {}
    /// Stop: the count of motion events starts again.
    virtual void resetMotionEventCount() {}
    /// The first picture since numbering restarted begins a new motion batch.
    virtual void beginMotionBatch() {}
    /// After each stored picture, when the timer program is active; may press Start/stop.
    virtual void TimerProgramCheck() {}
    /// After each stored picture, when motion detection is active; may press Start/stop.
    virtual void MotionBatchCheck() {}
    /// The Max arrows moved: the motion batch is measured again from the current picture.
    virtual void restartMotionBatch() {}
    /// The step size changed: the motion frame count moves by frames per arrow press.
    virtual void setMotionFramesStep(int frames) { (void)frames; }
};
