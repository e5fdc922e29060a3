#pragma once
// The daily timer program: capture starts when the clock reaches the start time and stops in
// the end minute (at its first picture, or at the once-a-second check), every day. Only hours and
// minutes are compared; the time is always given by the caller, never read here.

#include <QDateTime>
#include <QTime>

namespace TimeKeys {
/// A time of day as one number, hour × 100 + minute (9:05 → 905, 0:00 → 0), so that different
/// times never share a key.
inline int key(int hour, int minute)
{
    return hour * 100 + minute;
}
inline int key(const QTime &time)
{
    return key(time.hour(), time.minute());
}
} // namespace TimeKeys

class TimerProgram
{
public:
    /// The start and end times as the menu's boxes show them.
    void setTimes(QTime start, QTime end);
    /// "Activate timer" as it stands.
    void setActive(bool active) { m_active = active; }
    bool active() const { return m_active; }
    int startKey() const { return m_startKey; }
    int endKey() const { return m_endKey; }

    /// The clock tick's check: true when capture starts now. A program starts at most once in
    /// a minute and not in the minute it ended: stopped within its start minute (by hand, or
    /// because start and end time are the same) it waits for the next day.
    bool startDue(const QDateTime &now);
    /// The check after a stored picture and once a second during capture: true when the end
    /// minute has come.
    bool endDue(const QDateTime &now);
    /// For a run that ended while the program recorded: true when now lies between the start
    /// and the end time (across midnight when the end is earlier), so that capture starts
    /// again now; counts as the day's start.
    bool resumeDue(const QDateTime &now);

private:
    bool m_active = false;
    int m_startKey = TimeKeys::key(12, 0);
    int m_endKey = TimeKeys::key(12, 0);
    QDateTime m_lastStart;
    QDateTime m_lastEnd;
};
