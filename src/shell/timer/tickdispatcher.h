#pragma once

#include <functional>

// How the timer's worker hands a tick to the thread that runs the tick handler.
class TickDispatcher
{
public:
    virtual ~TickDispatcher() = default;

    // Called on the worker: runs `delivery` on the handler's thread and returns once it has
    // run, or once release() was called.
    virtual void runAndWait(const std::function<void()> &delivery) = 0;

    // Ends a hand-over the worker is blocked in and makes every later one return at once
    // without running its delivery. Called on the handler's thread, so that a delivery is
    // never started after release() has returned.
    virtual void release() = 0;
};
