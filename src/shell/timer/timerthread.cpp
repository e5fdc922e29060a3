#include "shell/timer/timerthread.h"

#include "shell/timer/tickdispatcher.h"

#include <chrono>
#include <future>
#include <unistd.h>
#include <utility>

TimerThread::TimerThread(TickDispatcher &dispatcher, std::function<void()> onTick)
    : m_dispatcher(dispatcher), m_onTick(std::move(onTick))
{
    // The thread id is needed to set the worker's priority from the controlling thread.
    std::promise<pid_t> started;
    std::future<pid_t> tid = started.get_future();
    m_thread = std::thread([this, started = std::move(started)]() mutable {
        started.set_value(gettid());
        run();
    });
    m_tid = tid.get();
    m_normalNice = threadNiceValue(m_tid);
}

TimerThread::~TimerThread()
{
    {
        std::lock_guard lock(m_mutex);
        m_terminating = true;
    }
    m_parkChanged.notify_all();
    m_wake.signal();
    m_dispatcher.release();
    m_thread.join();
}

void TimerThread::suspend()
{
    std::lock_guard lock(m_mutex);
    m_parked = true;
    ++m_epoch;
}

void TimerThread::resume()
{
    // Signalled before the worker may run on, so its interrupted wait ends without a tick.
    m_wake.signal();
    {
        std::lock_guard lock(m_mutex);
        m_parked = false;
        ++m_epoch;
        m_resumedAt = std::chrono::steady_clock::now();
    }
    m_parkChanged.notify_all();
}

void TimerThread::setPriority(ThreadPriority priority)
{
    m_priority = priority;
    applyThreadPriority(m_tid, priority, m_normalNice);
}

void TimerThread::run()
{
    std::uint64_t epoch = 0;
    std::chrono::steady_clock::time_point resumedAt;
    std::uint64_t gridEpoch = 0; // the epoch the grid was laid out for; 0: none yet
    GridSchedule grid;
    while (waitUntilRunning(epoch, resumedAt)) {
        if (!waitForTick(epoch, resumedAt, gridEpoch, grid))
            continue; // woken early: no tick, the next wait is a fresh interval or grid
        if (isCurrent(epoch))
            m_dispatcher.runAndWait([this, epoch] { deliver(epoch); });
        m_skipped = 0;
        if (gridEpoch == epoch)
            m_skipped = grid.advance(std::chrono::steady_clock::now());
    }
}

bool TimerThread::waitForTick(std::uint64_t epoch, std::chrono::steady_clock::time_point resumedAt,
                              std::uint64_t &gridEpoch, GridSchedule &grid)
{
    const std::chrono::milliseconds interval(m_interval.load());
    if (m_pacing.load() == Pacing::FixedDelay) {
        gridEpoch = 0;
        return !m_wake.waitFor(interval);
    }
    // Every resume lays out a fresh grid from its moment.
    if (gridEpoch != epoch) {
        grid.start(resumedAt, interval);
        gridEpoch = epoch;
        m_skipped = 0;
    }
    return !m_wake.waitUntil(grid.nextDue());
}

// Blocks while parked; returns false once the worker is to end, otherwise the current epoch
// and when it began.
bool TimerThread::waitUntilRunning(std::uint64_t &epoch,
                                   std::chrono::steady_clock::time_point &resumedAt)
{
    std::unique_lock lock(m_mutex);
    m_parkChanged.wait(lock, [this] { return m_terminating || !m_parked; });
    epoch = m_epoch;
    resumedAt = m_resumedAt;
    return !m_terminating;
}

bool TimerThread::isCurrent(std::uint64_t epoch)
{
    std::lock_guard lock(m_mutex);
    return !m_terminating && !m_parked && epoch == m_epoch;
}

void TimerThread::deliver(std::uint64_t epoch)
{
    // Checked again on the handler's thread: the timer may have been stopped or restarted
    // while the tick was on its way.
    if (!isCurrent(epoch))
        return;
    // A copy: the handler may destroy this worker's owner, and with it m_onTick.
    const std::function<void()> onTick = m_onTick;
    onTick();
}
