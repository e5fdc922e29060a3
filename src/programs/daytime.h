#pragma once
// A time of day as a timer program takes it: a clock time, or sunrise or sunset with an offset
// in minutes ("sunrise-30", "sunset+15"), which falls on another minute every day.

#include "programs/suntimes.h"
#include "shell/result.h"

#include <QTime>

class DayTime
{
public:
    enum class Anchor
    {
        Clock,
        Sunrise,
        Sunset
    };
    static constexpr int MaxOffsetMinutes = 720;
    /// A minute of the day at which nothing acts: the sun does not rise or set that day.
    static constexpr int Never = -1;

    DayTime() = default;
    explicit DayTime(QTime clock) : m_clock(clock) {}
    DayTime(Anchor sun, int offsetMinutes) : m_anchor(sun), m_offset(offsetMinutes) {}

    /// "sunrise", "sunset", either with "+N" or "-N" minutes (up to 720), or why not. Clock
    /// times are the caller's to read.
    static Result<DayTime> parseSun(const QString &text);
    /// Whether text names the sun rather than a clock time.
    static bool namesSun(const QString &text);

    bool isValid() const { return m_anchor != Anchor::Clock || m_clock.isValid(); }
    bool followsSun() const { return m_anchor != Anchor::Clock; }
    Anchor anchor() const { return m_anchor; }
    QTime clock() const { return m_clock; }
    int offsetMinutes() const { return m_offset; }
    /// As parseSun reads it, or the clock time as "7:05".
    QString text() const;
    bool operator==(const DayTime &) const = default;

    /// The minute of date (0 to 1439) at which this time acts given that day's sun: a sun time
    /// of a polar day or night acts at 0:00 when the sun is already where it would bring it
    /// (sunrise on a polar day, sunset on a polar night), else never. Sun times whose offset
    /// leaves the day act at its first or last minute.
    int minuteOn(QDate date, const SunTimes::Result &sun) const;

private:
    Anchor m_anchor = Anchor::Clock;
    QTime m_clock;
    int m_offset = 0;
};
