#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

// An auto-reset event: signal() lets exactly one wait end early; a wait that sees the signal
// consumes it. Several signals before a wait count as one.
class AutoResetEvent
{
public:
    void signal();

    // Waits at most `timeout`. Returns true when the event was signalled (and resets it),
    // false when the time ran out.
    bool waitFor(std::chrono::milliseconds timeout);
    // Waits until `deadline` on the monotonic clock, which a change of the wall clock does not
    // move. Returns as waitFor does.
    bool waitUntil(std::chrono::steady_clock::time_point deadline);

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_signalled = false;
};
