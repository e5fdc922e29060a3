#pragma once

#include <chrono>
#include <cstdint>

// The due times of ticks on a fixed grid: tick k is due at origin + k x interval, whatever
// each tick costs. A tick that ends after the next due time does not cause a burst: the due
// times that have passed are skipped, and counted.
class GridSchedule
{
public:
    using Clock = std::chrono::steady_clock;

    // A fresh grid: the first tick is due one interval after origin.
    void start(Clock::time_point origin, Clock::duration interval);

    Clock::time_point nextDue() const;

    // After a tick that ended at now: moves to the first due time not yet passed and returns
    // how many due times passed without a tick. An interval of 0 has no grid: never a skip.
    std::uint64_t advance(Clock::time_point now);

private:
    Clock::time_point m_origin;
    Clock::duration m_interval{};
    std::uint64_t m_done = 0; // ticks of this grid given or skipped
};
