#pragma once

#include "shell/timer/threadpriority.h"
#include "shell/timer/timerthread.h"

#include <QObject>
#include <QtGlobal>

#include <functional>
#include <memory>

class PostingTickDispatcher;

// A periodic tick that keeps its rhythm on a worker thread of its own, yet runs its
// handler on the user-interface thread. The worker waits until the handler has returned,
// so ticks never overlap nor bunch up. With the fixed delay the real period is the interval
// plus the handler's time; on a grid it is the interval, and due times a slow handler has
// let pass are skipped and reported. Create, use and destroy it on the user-interface thread.
class ThreadedTimer : public QObject
{
    Q_OBJECT

public:
    explicit ThreadedTimer(QObject *parent = nullptr);
    // Ends the worker; does not wait for a tick that the event loop has not run yet.
    ~ThreadedTimer() override;

    bool isEnabled() const { return m_enabled; }
    // Enabling starts a full interval to the first tick. A tick on its way when disabling
    // is dropped.
    void setEnabled(bool enabled);

    // Whether an interval of 0 runs; if not, a timer with interval 0 reads enabled but
    // gives no ticks.
    bool allowZero() const { return m_allowZero; }
    void setAllowZero(bool allowZero);

    // Milliseconds, 1000 at first. A change while enabled starts a fresh full interval;
    // setting the current value again changes nothing.
    quint32 interval() const;
    void setInterval(quint32 milliseconds);

    Pacing pacing() const;
    // A change while enabled starts afresh: a full interval, or a new grid, from now.
    void setPacing(Pacing pacing);
    // Enables the timer, starting afresh from now even when it was enabled already.
    void restart();

    ThreadPriority threadPriority() const;
    // Raising above normal needs a privilege; without it the worker silently stays normal.
    void setThreadPriority(ThreadPriority priority);

    // The tick handler, called on the user-interface thread. It may change or disable the
    // timer, run a nested event loop, or destroy the timer.
    void setOnTimer(std::function<void()> handler);

signals:
    // On a grid, just before a tick: count due times passed without a tick (a slow handler,
    // a suspended machine); they are not made up.
    void ticksSkipped(quint64 count);

private:
    bool intervalUsable() const;
    void whileSuspended(const std::function<void()> &change);
    void deliverTick();

    bool m_enabled = false;
    bool m_allowZero = false;
    std::function<void()> m_onTimer;
    // Declared before the worker, which uses it until it has ended.
    std::unique_ptr<PostingTickDispatcher> m_dispatcher;
    std::unique_ptr<TimerThread> m_thread;
};
