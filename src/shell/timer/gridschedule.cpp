#include "shell/timer/gridschedule.h"

void GridSchedule::start(Clock::time_point origin, Clock::duration interval)
{
    m_origin = origin;
    m_interval = interval;
    m_done = 0;
}

GridSchedule::Clock::time_point GridSchedule::nextDue() const
{
    return m_origin + static_cast<Clock::rep>(m_done + 1) * m_interval;
}

std::uint64_t GridSchedule::advance(Clock::time_point now)
{
    ++m_done;
    if (m_interval.count() <= 0 || now <= nextDue())
        return 0;
    // Every grid point up to now is gone; the next tick waits for the one after them.
    const auto passed = static_cast<std::uint64_t>((now - m_origin) / m_interval);
    const std::uint64_t skipped = passed - m_done;
    m_done = passed;
    return skipped;
}
