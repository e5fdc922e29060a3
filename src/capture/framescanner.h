#pragma once
// Where grabbed frames go instead of the picture store while motion scanning is armed.

#include "capture/framesink.h"

class FrameScanner : public FrameSink
{
public:
    /// Whether the motion scan is armed: live frames are then analysed and never stored.
    virtual bool scanArmed() const = 0;
};
