#include "shell/applicationstate.h"

namespace {
QString twoDigits(int v)
{
    return QString::number(v).rightJustified(2, QLatin1Char('0'));
}
} // namespace

void ApplicationState::setClock(const QTime &time)
{
    const QString hour = QString::number(time.hour());
    const QString minute = twoDigits(time.minute());
    const QString second = twoDigits(time.second());
    if (hour == m_clockHour && minute == m_clockMinute && second == m_clockSecond)
        return;
    m_clockHour = hour;
    m_clockMinute = minute;
    m_clockSecond = second;
    if (m_listener)
        m_listener(Field::Clock);
}

void ApplicationState::refreshMonthDay(const QDate &date)
{
    set(m_clockMonthDay, twoDigits(date.month()) + QStringLiteral(" - ") + twoDigits(date.day()),
        Field::MonthDay);
}

QString ApplicationState::clockText() const
{
    return m_clockHour + QLatin1Char(':') + m_clockMinute + QLatin1Char(':') + m_clockSecond;
}
