#include "shell/applicationstate.h"

namespace {
QString twoDigits(int v)
{
    return QString::number(v).rightJustified(2, QLatin1Char('0'));
}
} // namespace

void ApplicationState::setClock(const QTime &time)
{
    ClockHour = QString::number(time.hour());
    ClockMinute = twoDigits(time.minute());
    ClockSecond = twoDigits(time.second());
}

void ApplicationState::refreshMonthDay(const QDate &date)
{
    ClockMonthDay = twoDigits(date.month()) + QStringLiteral(" - ") + twoDigits(date.day());
}

QString ApplicationState::clockText() const
{
    return ClockHour + QLatin1Char(':') + ClockMinute + QLatin1Char(':') + ClockSecond;
}
