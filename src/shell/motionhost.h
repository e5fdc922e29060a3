#pragma once
// What motion-triggered capture and the timer-motion menu see of the main window: the "M.I."
// indicator with its silver cover box, the "Start" button that "OK" enables, and the status
// bar note where a failed scan shows its time. Implemented by the main window.

#include <QString>

class MotionHost
{
public:
    enum class Indicator
    {
        Idle,     // as at start
        Armed,    // green
        NoMotion, // green
        Motion,   // red
    };

    virtual ~MotionHost() = default;

    virtual void showMotionIndicator(Indicator state) = 0;
    /// The silver "Motion indicator" box covers the indicator while detection is not armed.
    virtual void setMotionIndicatorBoxShown(bool shown) = 0;
    virtual void setMotionIndicatorBoxChecked(bool checked) = 0;
    virtual void setStartEnabled(bool enabled) = 0;
    virtual void showStatusNote(const QString &text) = 0;
};
