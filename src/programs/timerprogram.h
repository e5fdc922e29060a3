#pragma once
// The daily timer program: capture starts when the clock reaches the start time and stops in
// the end minute (at its first picture, or at the once-a-second check), every day. Only hours
// and minutes of local time are compared; the time is always given by the caller, never read
// here. Start and end may follow the sun, computed each day for the program's place. On the
// days the clocks change, a time that the change skips acts at the first minute after the gap,
// and one that comes twice acts at its first coming only.

#include "programs/daytime.h"
#include "programs/suntimes.h"

#include <QDateTime>
#include <QTime>

#include <optional>

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
    /// What the program does on one day.
    struct Day
    {
        QDate date;
        SunTimes::Result sun;          // when a time follows the sun
        int startKey = DayTime::Never; // the time keys that act that day, or Never
        int endKey = DayTime::Never;
    };

    /// The start and end times as the menu's boxes show them.
    void setTimes(QTime start, QTime end);
    /// Clock or sun times; place is needed (and kept) when either follows the sun.
    void setTimes(const DayTime &start, const DayTime &end, std::optional<SunPlace> place);
    /// "Activate timer" as it stands.
    void setActive(bool active) { m_active = active; }
    bool active() const { return m_active; }
    /// The keys of the times as set (a time that follows the sun has none: Never).
    int startKey() const { return m_startKey; }
    int endKey() const { return m_endKey; }
    const DayTime &start() const { return m_start; }
    const DayTime &end() const { return m_end; }
    bool followsSun() const { return m_place.has_value(); }
    std::optional<SunPlace> place() const { return m_place; }

    /// The day of now as the program acts on it (computed once a day).
    const Day &dayOf(const QDateTime &now);
    /// That day in one line: the sun's times and the program's, polar days and nights said.
    QString dayText(const Day &day) const;

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
    DayTime m_start{QTime(12, 0)};
    DayTime m_end{QTime(12, 0)};
    std::optional<SunPlace> m_place;
    int m_startKey = TimeKeys::key(12, 0);
    int m_endKey = TimeKeys::key(12, 0);
    Day m_day;
    QDateTime m_lastStart;
    QDateTime m_lastEnd;
};
