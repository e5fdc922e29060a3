#include "programs/timerprogram.h"

#include <QTimeZone>

namespace {
bool sameMinute(const QDateTime &a, const QDateTime &b)
{
    return a.isValid() && a.date() == b.date() &&
           TimeKeys::key(a.time()) == TimeKeys::key(b.time());
}

// date and time in the time zone (or offset) that like is given in.
QDateTime inZoneOf(const QDateTime &like, QDate date, QTime time)
{
    switch (like.timeSpec()) {
    case Qt::TimeZone:
        return QDateTime(date, time, like.timeZone());
    case Qt::OffsetFromUTC:
        return QDateTime(date, time, Qt::OffsetFromUTC, like.offsetFromUtc());
    default:
        return QDateTime(date, time, like.timeSpec());
    }
}

// The key of the minute at which a time acts on now's day: the minute itself, or, when the
// clocks skip it that day, the first minute after the gap.
int actingKey(const QDateTime &now, int minuteOfDay)
{
    if (minuteOfDay == DayTime::Never)
        return DayTime::Never;
    for (int minute = minuteOfDay; minute < 24 * 60; ++minute) {
        const QTime time(minute / 60, minute % 60);
        const QDateTime there = inZoneOf(now, now.date(), time);
        if (there.isValid() && there.time() == time)
            return TimeKeys::key(time);
    }
    return TimeKeys::key(minuteOfDay / 60, minuteOfDay % 60);
}

int keyOf(const DayTime &time)
{
    return time.followsSun() ? DayTime::Never : TimeKeys::key(time.clock());
}

QString keyText(int key)
{
    return QStringLiteral("%1:%2").arg(key / 100).arg(key % 100, 2, 10, QLatin1Char('0'));
}
} // namespace

void TimerProgram::setTimes(QTime start, QTime end)
{
    setTimes(DayTime(start), DayTime(end), std::nullopt);
}

void TimerProgram::setTimes(const DayTime &start, const DayTime &end, std::optional<SunPlace> place)
{
    m_start = start;
    m_end = end;
    m_place = start.followsSun() || end.followsSun() ? place : std::nullopt;
    m_startKey = keyOf(start);
    m_endKey = keyOf(end);
    m_day = Day();
}

const TimerProgram::Day &TimerProgram::dayOf(const QDateTime &now)
{
    if (m_day.date == now.date())
        return m_day;
    m_day = Day();
    m_day.date = now.date();
    if (m_place)
        m_day.sun = SunTimes(*m_place).around(inZoneOf(now, now.date(), QTime(12, 0)));
    m_day.startKey = actingKey(now, m_start.minuteOn(now.date(), m_day.sun));
    m_day.endKey = actingKey(now, m_end.minuteOn(now.date(), m_day.sun));
    return m_day;
}

QString TimerProgram::dayText(const Day &day) const
{
    QString sun;
    if (m_place) {
        const QString at = m_place->text();
        switch (day.sun.day) {
        case SunTimes::Day::RisesAndSets:
            sun = QStringLiteral("sunrise %1, sunset %2 at %3; ")
                      .arg(day.sun.sunrise.addSecs(30).time().toString(QStringLiteral("H:mm")),
                           day.sun.sunset.addSecs(30).time().toString(QStringLiteral("H:mm")), at);
            break;
        case SunTimes::Day::PolarDay:
            sun = QStringLiteral("polar day at %1: the sun does not set; ").arg(at);
            break;
        case SunTimes::Day::PolarNight:
            sun = QStringLiteral("polar night at %1: the sun does not rise; ").arg(at);
            break;
        }
    }
    const QString from = day.startKey == DayTime::Never
                             ? QStringLiteral("no start today")
                             : QStringLiteral("from ") + keyText(day.startKey);
    const QString to = day.endKey == DayTime::Never ? QStringLiteral("no end today")
                                                    : QStringLiteral("to ") + keyText(day.endKey);
    const bool both = day.startKey != DayTime::Never && day.endKey != DayTime::Never;
    return day.date.toString(Qt::ISODate) + QLatin1Char(' ') + sun + from +
           (both ? QStringLiteral(" ") : QStringLiteral(", ")) + to;
}

bool TimerProgram::startDue(const QDateTime &now)
{
    if (!m_active)
        return false;
    const int key = TimeKeys::key(now.time());
    // The same minute twice (the clocks going back) is one start: the date and key match.
    if (key != dayOf(now).startKey || sameMinute(m_lastStart, now) || sameMinute(m_lastEnd, now))
        return false;
    m_lastStart = now;
    return true;
}

bool TimerProgram::endDue(const QDateTime &now)
{
    if (!m_active || TimeKeys::key(now.time()) != dayOf(now).endKey)
        return false;
    // An end minute that comes again an hour later, the clocks gone back, has already acted.
    if (sameMinute(m_lastEnd, now) && m_lastEnd.secsTo(now) >= 60)
        return false;
    m_lastEnd = now;
    return true;
}

bool TimerProgram::resumeDue(const QDateTime &now)
{
    if (!m_active)
        return false;
    const Day &day = dayOf(now);
    const int key = TimeKeys::key(now.time());
    const int start = day.startKey;
    const int end = day.endKey == DayTime::Never ? TimeKeys::key(24, 0) : day.endKey;
    const bool within = start < end ? key >= start && key < end : key >= start || key < end;
    if (start == DayTime::Never || start == end || !within)
        return false;
    m_lastStart = now;
    return true;
}
