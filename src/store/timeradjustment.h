#pragma once
// The timer adjustment: the capture timer waits its period after each tick has finished, so
// the period is set below the requested interval by an amount that grows with the picture
// size. The values are tuned to measured grab times, not derived from a formula.

namespace TimerAdjustment {

/// The entries of the capture preferences' size list, as SizeListIndex counts them.
enum SizeEntry
{
    None = -1,
    Size640x480 = 0,
    Size320x240 = 1,
    Size160x120 = 2,
    Size80x60 = 3
};

/// The capture timer period for a requested interval of requestedMs milliseconds, with the
/// size list's selected entry and the frame width in force.
int AdjustTimerPeriod(int requestedMs, int sizeListIndex, int frameWidth);

} // namespace TimerAdjustment
