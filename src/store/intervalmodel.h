#pragma once
// The interval between pictures as the user asked for it, and the capture timer's period that
// follows from it. The windows' arrows and "Fine" buttons and the command line set it alike.

#include <QObject>

class ThreadedTimer;

class IntervalModel : public QObject
{
    Q_OBJECT
public:
    explicit IntervalModel(ThreadedTimer &timer);

    double seconds() const { return m_seconds; }
    int requestedMs() const { return m_requestedMs; }
    /// Sets the interval (multiples of 50 ms) and the timer's period to it.
    void setSeconds(double seconds);
    /// Sets the capture timer's period to the requested interval.
    void AdjustTimerPeriod();

signals:
    void changed(double seconds);

private:
    ThreadedTimer &m_timer;
    double m_seconds = 5;
    int m_requestedMs = 5000;
};
