#include "shell/timer/threadpriority.h"

#include <algorithm>
#include <cerrno>
#include <sys/resource.h>

namespace {

// Linux keeps a nice value per thread, and setpriority() on a thread id changes just that
// thread, which is the only priority knob an ordinary (SCHED_OTHER) std::thread has. The
// levels are offsets from the process's own nice value, so that "normal" means "like the
// rest of the program" even when the program was started with nice:
//   idle           19 (the weakest there is)
//   lowest         normal + 10
//   lower          normal + 5
//   normal         normal
//   higher         normal - 5
//   highest        normal - 10
//   time-critical  -20 (the strongest there is)
// Lowering always works; raising needs CAP_SYS_NICE or a matching RLIMIT_NICE and otherwise
// fails, which callers accept silently.
int niceValueFor(ThreadPriority priority, int normalNice)
{
    constexpr int weakest = 19;
    constexpr int strongest = -20;
    int nice = normalNice;
    switch (priority) {
    case ThreadPriority::Idle:
        return weakest;
    case ThreadPriority::Lowest:
        nice += 10;
        break;
    case ThreadPriority::Lower:
        nice += 5;
        break;
    case ThreadPriority::Normal:
        break;
    case ThreadPriority::Higher:
        nice -= 5;
        break;
    case ThreadPriority::Highest:
        nice -= 10;
        break;
    case ThreadPriority::TimeCritical:
        return strongest;
    }
    return std::clamp(nice, strongest, weakest);
}

} // namespace

bool applyThreadPriority(pid_t tid, ThreadPriority priority, int normalNice)
{
    return setpriority(PRIO_PROCESS, static_cast<id_t>(tid), niceValueFor(priority, normalNice)) ==
           0;
}

int threadNiceValue(pid_t tid)
{
    // -1 is a valid nice value, so only errno tells a failure apart.
    errno = 0;
    const int nice = getpriority(PRIO_PROCESS, static_cast<id_t>(tid));
    return errno == 0 ? nice : 0;
}
