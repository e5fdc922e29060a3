#pragma once

#include <sys/types.h>

// The seven scheduling levels a timer's worker can be given, lowest first.
enum class ThreadPriority
{
    Idle,
    Lowest,
    Lower,
    Normal,
    Higher,
    Highest,
    TimeCritical
};

// Gives the thread `tid` of this process the nice value that `priority` stands for, where
// `normalNice` is the nice value the process runs its threads at. Returns false when the
// system refused, typically when raising above normal without the privilege to do so.
bool applyThreadPriority(pid_t tid, ThreadPriority priority, int normalNice);

// The current nice value of the thread `tid` of this process.
int threadNiceValue(pid_t tid);
