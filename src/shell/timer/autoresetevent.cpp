#include "shell/timer/autoresetevent.h"

void AutoResetEvent::signal()
{
    {
        std::lock_guard lock(m_mutex);
        m_signalled = true;
    }
    m_changed.notify_one();
}

bool AutoResetEvent::waitFor(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(m_mutex);
    // The predicate form absorbs spurious wake-ups and measures against the steady clock.
    const bool signalled = m_changed.wait_for(lock, timeout, [this] { return m_signalled; });
    m_signalled = false;
    return signalled;
}

bool AutoResetEvent::waitUntil(std::chrono::steady_clock::time_point deadline)
{
    std::unique_lock lock(m_mutex);
    const bool signalled = m_changed.wait_until(lock, deadline, [this] { return m_signalled; });
    m_signalled = false;
    return signalled;
}
