#include "store/intervalmodel.h"

#include "shell/timer/threadedtimer.h"

#include <algorithm>
#include <cmath>

IntervalModel::IntervalModel(ThreadedTimer &timer) : m_timer(timer) {}

void IntervalModel::setSeconds(double seconds)
{
    m_seconds = seconds;
    // The seconds only ever hold multiples of 50 ms; rounding drops the binary fraction error
    // that truncation would turn into a lost millisecond (5.05 s is 5049.999... ms).
    m_requestedMs = static_cast<int>(std::llround(seconds * 1000));
    AdjustTimerPeriod();
    emit changed(m_seconds);
}

void IntervalModel::AdjustTimerPeriod()
{
    // The timer keeps the run on a grid of the requested interval, so the wait is the request
    // itself: nothing is taken off for the time a tick costs.
    m_timer.setInterval(static_cast<quint32>(std::max(m_requestedMs, 0)));
}
