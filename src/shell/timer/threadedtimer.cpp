#include "shell/timer/threadedtimer.h"

#include "shell/timer/postingtickdispatcher.h"

#include <QMetaObject>

#include <utility>

ThreadedTimer::ThreadedTimer(QObject *parent) : QObject(parent)
{
    // The worker posts each tick to this object's thread and blocks until it has run. Never
    // a blocking queued connection: the release on destruction must be able to end the wait.
    m_dispatcher = std::make_unique<PostingTickDispatcher>([this](std::function<void()> delivery) {
        QMetaObject::invokeMethod(this, std::move(delivery), Qt::QueuedConnection);
    });
    m_thread = std::make_unique<TimerThread>(*m_dispatcher, [this] { deliverTick(); });
}

ThreadedTimer::~ThreadedTimer()
{
    // The worker ends before QObject's destructor drops the ticks still queued for us.
    m_thread.reset();
}

void ThreadedTimer::setEnabled(bool enabled)
{
    if (enabled == m_enabled)
        return;
    m_enabled = enabled;
    if (!enabled)
        m_thread->suspend();
    else if (intervalUsable())
        m_thread->resume();
}

void ThreadedTimer::setAllowZero(bool allowZero)
{
    if (allowZero == m_allowZero)
        return;
    // With interval 0 this starts or stops the ticks: the worker runs exactly while the
    // timer is enabled with a usable interval.
    const bool enabled = m_enabled;
    const bool affectsWorker = m_thread->interval() == 0;
    if (affectsWorker)
        setEnabled(false);
    m_allowZero = allowZero;
    if (affectsWorker)
        setEnabled(enabled);
}

quint32 ThreadedTimer::interval() const
{
    return m_thread->interval();
}

void ThreadedTimer::setInterval(quint32 milliseconds)
{
    if (milliseconds != m_thread->interval())
        whileSuspended([&] { m_thread->setInterval(milliseconds); });
}

Pacing ThreadedTimer::pacing() const
{
    return m_thread->pacing();
}

void ThreadedTimer::setPacing(Pacing pacing)
{
    if (pacing != m_thread->pacing())
        whileSuspended([&] { m_thread->setPacing(pacing); });
}

// A change to the worker's rhythm takes effect from a fresh start, as enabling gives one.
void ThreadedTimer::whileSuspended(const std::function<void()> &change)
{
    const bool enabled = m_enabled;
    setEnabled(false);
    change();
    setEnabled(enabled);
}

void ThreadedTimer::restart()
{
    setEnabled(false);
    setEnabled(true);
}

ThreadPriority ThreadedTimer::threadPriority() const
{
    return m_thread->priority();
}

void ThreadedTimer::setThreadPriority(ThreadPriority priority)
{
    m_thread->setPriority(priority);
}

void ThreadedTimer::setOnTimer(std::function<void()> handler)
{
    m_onTimer = std::move(handler);
}

bool ThreadedTimer::intervalUsable() const
{
    return m_thread->interval() != 0 || m_allowZero;
}

void ThreadedTimer::deliverTick()
{
    if (!m_enabled || !m_onTimer)
        return;
    if (const std::uint64_t skipped = m_thread->skippedBeforeTick())
        emit ticksSkipped(skipped);
    // The skip report may have stopped the timer.
    if (!m_enabled)
        return;
    // A copy, so that the handler may replace itself or destroy the timer while it runs.
    const std::function<void()> handler = m_onTimer;
    handler();
}
