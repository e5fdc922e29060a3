#pragma once
// Where the program reads the time of day: the one-second clock tick and the timer program's
// checks. The program uses the system clock; tests set the time themselves.

#include <QDateTime>

class ClockSource
{
public:
    virtual ~ClockSource() = default;
    virtual QDateTime now() const = 0;
};

class SystemClock final : public ClockSource
{
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};
