// The threaded timer's worker and hand-over, driven without Qt so that ThreadSanitizer sees
// every access. The test's main thread plays the user-interface thread: it pumps a queue
// that the worker posts its ticks to.
#include "shell/timer/autoresetevent.h"
#include "shell/timer/gridschedule.h"
#include "shell/timer/postingtickdispatcher.h"
#include "shell/timer/threadpriority.h"
#include "shell/timer/timerthread.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <functional>
#include <iterator>
#include <memory>
#include <mutex>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Ms = std::chrono::milliseconds;

namespace {

int g_failedChecks = 0;

void report(bool ok, const char *what, const char *file, int line)
{
    if (ok)
        return;
    ++g_failedChecks;
    std::printf("  FAIL %s:%d: %s\n", file, line, what);
}

#define CHECK(cond) report((cond), #cond, __FILE__, __LINE__)

long long msSince(Clock::time_point start, Clock::time_point end = Clock::now())
{
    return std::chrono::duration_cast<Ms>(end - start).count();
}

// Stands in for the user-interface thread's event queue.
class EventQueue
{
public:
    void post(std::function<void()> function)
    {
        std::lock_guard lock(m_mutex);
        m_pending.push_back(std::move(function));
        m_maxPending = std::max(m_maxPending, m_pending.size());
        m_posted.notify_all();
    }

    // Runs posted functions on the calling thread until `done` holds or `timeout` passed.
    // `done` may depend on other threads, so it is polled as well.
    bool runUntil(const std::function<bool()> &done, Ms timeout)
    {
        const auto deadline = Clock::now() + timeout;
        while (!done()) {
            if (Clock::now() >= deadline)
                return false;
            std::unique_lock lock(m_mutex);
            const auto until = std::min(deadline, Clock::now() + 5ms);
            if (!m_posted.wait_until(lock, until, [this] { return !m_pending.empty(); }))
                continue;
            auto function = std::move(m_pending.front());
            m_pending.pop_front();
            lock.unlock();
            runGuarded(function);
        }
        return true;
    }

    void runFor(Ms duration)
    {
        runUntil([] { return false; }, duration);
    }

    std::size_t pending()
    {
        std::lock_guard lock(m_mutex);
        return m_pending.size();
    }

    std::size_t maxPending()
    {
        std::lock_guard lock(m_mutex);
        return m_maxPending;
    }

    int exceptions() const { return m_exceptions; }

private:
    void runGuarded(const std::function<void()> &function)
    {
        try {
            function();
        } catch (const std::exception &) {
            ++m_exceptions;
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_posted;
    std::deque<std::function<void()>> m_pending;
    std::size_t m_maxPending = 0;
    int m_exceptions = 0;
};

// A worker wired to an event queue; the queue outlives the worker.
struct Harness
{
    explicit Harness(std::uint32_t interval)
    {
        thread = std::make_unique<TimerThread>(dispatcher, [this] { onTick(); });
        thread->setInterval(interval);
    }

    void onTick()
    {
        ticks.push_back(Clock::now());
        if (handler)
            handler();
    }

    bool runUntilTicks(std::size_t count, Ms timeout = 10s)
    {
        return queue.runUntil([&] { return ticks.size() >= count; }, timeout);
    }

    EventQueue queue;
    PostingTickDispatcher dispatcher{[this](std::function<void()> f) { queue.post(std::move(f)); }};
    std::vector<Clock::time_point> ticks;
    std::function<void()> handler;
    std::unique_ptr<TimerThread> thread;
};

// ---- the wake event

void wakeEventIsAutoReset()
{
    AutoResetEvent event;
    const auto start = Clock::now();
    CHECK(!event.waitFor(50ms));
    CHECK(msSince(start) >= 50);

    event.signal();
    event.signal(); // signals do not add up
    CHECK(event.waitFor(0ms));
    CHECK(!event.waitFor(20ms));

    std::atomic<bool> woken{false};
    std::thread waiter([&] { woken = event.waitFor(20s); });
    std::this_thread::sleep_for(50ms);
    event.signal();
    waiter.join();
    CHECK(woken);
}

// ---- the hand-over

void handOverBlocksUntilDeliveredOnQueueThread()
{
    EventQueue queue;
    PostingTickDispatcher dispatcher([&](std::function<void()> f) { queue.post(std::move(f)); });
    std::thread::id deliveredOn;
    std::atomic<bool> returned{false};
    std::thread worker([&] {
        dispatcher.runAndWait([&] { deliveredOn = std::this_thread::get_id(); });
        returned = true;
    });
    std::this_thread::sleep_for(100ms);
    CHECK(!returned); // nobody ran the queue yet
    CHECK(queue.runUntil([&] { return returned.load(); }, 10s));
    worker.join();
    CHECK(deliveredOn == std::this_thread::get_id());
}

void releaseEndsHandOverAndDropsItsDelivery()
{
    EventQueue queue;
    PostingTickDispatcher dispatcher([&](std::function<void()> f) { queue.post(std::move(f)); });
    int delivered = 0;
    std::thread worker([&] { dispatcher.runAndWait([&] { ++delivered; }); });
    while (queue.pending() == 0)
        std::this_thread::sleep_for(1ms);
    dispatcher.release();
    worker.join(); // would hang if release left the worker waiting
    queue.runFor(50ms);
    CHECK(delivered == 0);

    dispatcher.runAndWait([&] { ++delivered; }); // returns at once after release
    queue.runFor(50ms);
    CHECK(delivered == 0);
    CHECK(queue.pending() == 0);
}

void throwingDeliveryStillReleasesWorker()
{
    EventQueue queue;
    PostingTickDispatcher dispatcher([&](std::function<void()> f) { queue.post(std::move(f)); });
    std::atomic<bool> returned{false};
    std::thread worker([&] {
        dispatcher.runAndWait([] { throw std::runtime_error("handler failed"); });
        returned = true;
    });
    CHECK(queue.runUntil([&] { return returned.load(); }, 10s));
    if (!returned)
        dispatcher.release(); // fail rather than hang
    worker.join();
    CHECK(queue.exceptions() == 1);
}

// ---- the worker

void ticksComeOneFullIntervalApart()
{
    Harness h(100);
    h.queue.runFor(200ms);
    CHECK(h.ticks.empty()); // created suspended

    const auto resumed = Clock::now();
    h.thread->resume();
    CHECK(h.runUntilTicks(3));
    for (std::size_t i = 0; i < h.ticks.size(); ++i)
        CHECK(msSince(i == 0 ? resumed : h.ticks[i - 1], h.ticks[i]) >= 100);
}

void everyResumeStartsAFreshInterval()
{
    Harness h(300);
    h.thread->resume();
    h.queue.runFor(200ms);
    const auto resumedAgain = Clock::now(); // in the middle of the first wait
    h.thread->resume();
    CHECK(h.runUntilTicks(1));
    CHECK(!h.ticks.empty() && msSince(resumedAgain, h.ticks[0]) >= 300);

    h.queue.runFor(100ms);
    h.thread->suspend();
    h.thread->setInterval(400);
    const auto changed = Clock::now();
    h.thread->resume();
    const std::size_t before = h.ticks.size();
    CHECK(h.runUntilTicks(before + 1));
    CHECK(h.ticks.size() > before && msSince(changed, h.ticks[before]) >= 400);
}

void resumeCutsALongWaitShort()
{
    Harness h(60000);
    h.thread->resume();
    h.queue.runFor(50ms);
    h.thread->suspend();
    h.thread->setInterval(50);
    h.thread->resume();
    CHECK(h.runUntilTicks(1)); // not a minute later
}

void slowHandlerDelaysTheNextTick()
{
    Harness h(20);
    h.handler = [] { std::this_thread::sleep_for(100ms); };
    h.thread->resume();
    CHECK(h.runUntilTicks(5));
    for (std::size_t i = 1; i < h.ticks.size(); ++i)
        CHECK(msSince(h.ticks[i - 1], h.ticks[i]) >= 120);
    CHECK(h.queue.maxPending() == 1); // never more than one tick on its way
}

void zeroIntervalTicksAsFastAsTheyAreTaken()
{
    Harness h(0);
    h.thread->resume();
    h.queue.runFor(300ms);
    CHECK(h.ticks.size() >= 20);
    CHECK(h.queue.maxPending() == 1);
}

void tickOnItsWayIsDropped()
{
    for (const bool restart : {false, true}) {
        Harness h(10);
        h.thread->resume();
        while (h.queue.pending() == 0) // the worker has posted a tick and waits for it
            std::this_thread::sleep_for(1ms);
        h.thread->suspend();
        if (restart) {
            h.thread->setInterval(60000);
            h.thread->resume();
        }
        h.queue.runFor(200ms);
        CHECK(h.ticks.empty());
    }
}

// ---- ending the worker; a hang here ends in the test's time-out

void destroyEndsPromptly(Harness &h)
{
    const auto start = Clock::now();
    h.thread.reset();
    CHECK(msSince(start) < 5000);
}

void destroyNeverHangs()
{
    Harness suspended(10);
    suspended.thread->resume();
    CHECK(suspended.runUntilTicks(1));
    suspended.thread->suspend();
    destroyEndsPromptly(suspended);

    Harness longWait(60000);
    longWait.thread->resume();
    std::this_thread::sleep_for(50ms);
    destroyEndsPromptly(longWait);

    Harness unserved(10);
    unserved.thread->resume();
    while (unserved.queue.pending() == 0) // the worker waits for a delivery nobody runs
        std::this_thread::sleep_for(1ms);
    destroyEndsPromptly(unserved);
    unserved.queue.runFor(50ms); // the orphaned delivery does nothing
    CHECK(unserved.ticks.empty());
}

void handlerMayDestroyTheWorker()
{
    Harness h(10);
    h.handler = [&h] { h.thread.reset(); };
    h.thread->resume();
    CHECK(h.runUntilTicks(1));
    CHECK(!h.thread);
    h.queue.runFor(100ms);
    CHECK(h.ticks.size() == 1);
}

// ---- priorities

// The kernel thread ids of this process.
std::set<pid_t> threadIds()
{
    std::set<pid_t> ids;
    for (const auto &entry : std::filesystem::directory_iterator("/proc/self/task"))
        ids.insert(std::stoi(entry.path().filename().string()));
    return ids;
}

void priorityChangesOnlyTheGivenThread()
{
    const pid_t mainTid = gettid();
    const int mainNice = threadNiceValue(mainTid);
    std::atomic<pid_t> tid{0};
    AutoResetEvent done;
    std::thread other([&] {
        tid = gettid();
        done.waitFor(20s);
    });
    while (tid == 0)
        std::this_thread::sleep_for(1ms);

    // As in a program started with "nice -n 2": the levels count from there. Lowering is
    // always allowed; raising may be refused without privilege.
    constexpr int normal = 2;
    CHECK(applyThreadPriority(tid, ThreadPriority::Lower, normal));
    CHECK(threadNiceValue(tid) == 7);
    CHECK(applyThreadPriority(tid, ThreadPriority::Lowest, normal));
    CHECK(threadNiceValue(tid) == 12);
    CHECK(applyThreadPriority(tid, ThreadPriority::Idle, normal));
    CHECK(threadNiceValue(tid) == 19);
    if (applyThreadPriority(tid, ThreadPriority::Higher, normal))
        CHECK(threadNiceValue(tid) == -3);
    CHECK(threadNiceValue(mainTid) == mainNice);
    done.signal();
    other.join();
}

void workerRunsAtTheRequestedPriority()
{
    const std::set<pid_t> before = threadIds();
    Harness h(1000);
    std::vector<pid_t> added;
    const std::set<pid_t> after = threadIds();
    std::set_difference(after.begin(), after.end(), before.begin(), before.end(),
                        std::back_inserter(added));
    CHECK(added.size() == 1);
    if (added.size() != 1)
        return;
    const pid_t worker = added.front();
    const int normal = threadNiceValue(worker);

    h.thread->setPriority(ThreadPriority::Lower);
    CHECK(h.thread->priority() == ThreadPriority::Lower);
    CHECK(threadNiceValue(worker) == std::min(normal + 5, 19));
    h.thread->setPriority(ThreadPriority::Higher); // may be refused, still remembered
    CHECK(h.thread->priority() == ThreadPriority::Higher);
}

// ---- the grid

void gridSkipsTheDueTimesThatPassed()
{
    struct Case
    {
        const char *name;
        long long interval;
        std::vector<long long> tickEnds; // when each tick ended, ms after the grid's origin
        std::vector<std::uint64_t> skipped;
        long long nextDue;
    };
    const Case cases[] = {
        {"cheap ticks", 100, {130, 210, 305}, {0, 0, 0}, 400},
        {"a tick past the next due time", 100, {130, 350}, {0, 1}, 400},
        {"ending right on the next due time", 100, {200}, {0}, 200},
        {"a machine that slept", 100, {130, 1050, 1110}, {0, 8, 0}, 1200},
        {"no interval, no grid", 0, {5, 9}, {0, 0}, 0},
    };
    for (const Case &c : cases) {
        GridSchedule grid;
        const auto origin = Clock::now();
        grid.start(origin, Ms(c.interval));
        for (std::size_t i = 0; i < c.tickEnds.size(); ++i) {
            const std::uint64_t skipped = grid.advance(origin + Ms(c.tickEnds[i]));
            if (skipped != c.skipped[i])
                std::printf("  %s, tick %zu: %llu skipped\n", c.name, i + 1,
                            static_cast<unsigned long long>(skipped));
            CHECK(skipped == c.skipped[i]);
        }
        CHECK(grid.nextDue() == origin + Ms(c.nextDue));
        grid.start(origin + Ms(5000), Ms(c.interval)); // a fresh grid forgets the old one
        CHECK(grid.nextDue() == origin + Ms(5000 + c.interval));
    }
}

// A handler that costs 60 ms of a 100 ms interval: on a grid the ticks stay 100 ms apart, where
// the fixed delay would make them 160 ms.
void gridTicksKeepTheirDueTimes()
{
    Harness h(100);
    h.thread->setPacing(Pacing::Grid);
    h.handler = [] { std::this_thread::sleep_for(60ms); };
    const auto resumed = Clock::now();
    h.thread->resume();
    CHECK(h.runUntilTicks(6));
    const long long span = msSince(resumed, h.ticks[5]);
    CHECK(span >= 600 && span < 600 + 90);
    CHECK(h.thread->skippedBeforeTick() == 0);
}

// A tick that overruns two due times: they are skipped and reported, never made up in a burst.
void gridSkipsInsteadOfBursting()
{
    Harness h(100);
    h.thread->setPacing(Pacing::Grid);
    std::vector<std::uint64_t> skipped;
    h.handler = [&] {
        skipped.push_back(h.thread->skippedBeforeTick());
        if (skipped.size() == 2)
            std::this_thread::sleep_for(250ms);
    };
    h.thread->resume();
    CHECK(h.runUntilTicks(4));
    CHECK(skipped.size() >= 4 && skipped[1] == 0 && skipped[2] == 2 && skipped[3] == 0);
    for (std::size_t i = 2; i < h.ticks.size(); ++i)
        CHECK(msSince(h.ticks[i - 1], h.ticks[i]) >= 50);
}

#define TEST(function)                                                                             \
    TestCase                                                                                       \
    {                                                                                              \
#function, function                                                                        \
    }

struct TestCase
{
    const char *name;
    void (*run)();
};

const TestCase tests[] = {
    TEST(wakeEventIsAutoReset),
    TEST(handOverBlocksUntilDeliveredOnQueueThread),
    TEST(releaseEndsHandOverAndDropsItsDelivery),
    TEST(throwingDeliveryStillReleasesWorker),
    TEST(ticksComeOneFullIntervalApart),
    TEST(everyResumeStartsAFreshInterval),
    TEST(resumeCutsALongWaitShort),
    TEST(slowHandlerDelaysTheNextTick),
    TEST(zeroIntervalTicksAsFastAsTheyAreTaken),
    TEST(tickOnItsWayIsDropped),
    TEST(gridSkipsTheDueTimesThatPassed),
    TEST(gridTicksKeepTheirDueTimes),
    TEST(gridSkipsInsteadOfBursting),
    TEST(destroyNeverHangs),
    TEST(handlerMayDestroyTheWorker),
    TEST(priorityChangesOnlyTheGivenThread),
    TEST(workerRunsAtTheRequestedPriority),
};

} // namespace

int main()
{
    int passed = 0;
    int failed = 0;
    for (const TestCase &test : tests) {
        const int before = g_failedChecks;
        test.run();
        const bool ok = g_failedChecks == before;
        std::printf("%s %s\n", ok ? "PASS" : "FAIL", test.name);
        std::fflush(stdout);
        ok ? ++passed : ++failed;
    }
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}
