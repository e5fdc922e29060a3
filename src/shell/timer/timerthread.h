#pragma once

#include "shell/timer/autoresetevent.h"
#include "shell/timer/gridschedule.h"
#include "shell/timer/threadpriority.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

class TickDispatcher;

// How the worker spaces its ticks: a full interval after each tick has been handled, or on a
// fixed grid from the moment it was resumed (tick k due at resume + k x interval).
enum class Pacing
{
    FixedDelay,
    Grid,
};

// The worker of the threaded timer: waits the interval on its wake event, then hands the
// tick to the handler's thread through the dispatcher and waits until it has been handled,
// so ticks never overlap nor queue up. It starts suspended; while suspended it is parked on
// a second wait rather than frozen. All members are called from one controlling thread
// (the user-interface thread), which is also the thread the dispatcher delivers on.
class TimerThread
{
public:
    // `onTick` runs on the handler's thread for every tick that is still current.
    TimerThread(TickDispatcher &dispatcher, std::function<void()> onTick);
    // Ends the worker and waits for it; releases a hand-over it is blocked in.
    ~TimerThread();

    TimerThread(const TimerThread &) = delete;
    TimerThread &operator=(const TimerThread &) = delete;

    // Parks the worker once its current wait or hand-over ends. A tick on its way is dropped.
    void suspend();
    // Signals the wake event and lets the worker run: its current wait, if any, ends without
    // a tick, so the next tick comes one full interval from now.
    void resume();

    // Milliseconds; 1000 at first. A new value takes effect with the next wait.
    std::uint32_t interval() const { return m_interval.load(); }
    void setInterval(std::uint32_t milliseconds) { m_interval.store(milliseconds); }

    Pacing pacing() const { return m_pacing.load(); }
    // A new pacing takes effect with the next resume.
    void setPacing(Pacing pacing) { m_pacing.store(pacing); }

    // On a grid: how many due times passed without a tick just before the tick being handled.
    // Read it from the tick's handler; 0 otherwise.
    std::uint64_t skippedBeforeTick() const { return m_skipped.load(); }

    ThreadPriority priority() const { return m_priority; }
    // Applied at once; a level the system refuses is remembered all the same.
    void setPriority(ThreadPriority priority);

private:
    void run();
    // Waits for the next tick of the pacing chosen; false when woken early (no tick).
    bool waitForTick(std::uint64_t epoch, std::chrono::steady_clock::time_point resumedAt,
                     std::uint64_t &gridEpoch, GridSchedule &grid);
    bool waitUntilRunning(std::uint64_t &epoch, std::chrono::steady_clock::time_point &resumedAt);
    bool isCurrent(std::uint64_t epoch);
    void deliver(std::uint64_t epoch);

    TickDispatcher &m_dispatcher;
    const std::function<void()> m_onTick;
    AutoResetEvent m_wake;

    std::mutex m_mutex;
    std::condition_variable m_parkChanged;
    bool m_parked = true;
    bool m_terminating = false;
    // Counts suspends and resumes, so a tick whose wait began before one is known as stale.
    std::uint64_t m_epoch = 0;
    std::chrono::steady_clock::time_point m_resumedAt; // where a grid starts

    std::atomic<std::uint32_t> m_interval{1000};
    std::atomic<Pacing> m_pacing{Pacing::FixedDelay};
    std::atomic<std::uint64_t> m_skipped{0};
    ThreadPriority m_priority = ThreadPriority::Normal;
    pid_t m_tid = 0;
    int m_normalNice = 0;
    std::thread m_thread;
};
