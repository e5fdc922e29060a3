#include "programs/daytime.h"

#include <QRegularExpression>

#include <algorithm>

namespace {
constexpr int MinutesPerDay = 24 * 60;
}

bool DayTime::namesSun(const QString &text)
{
    const QString t = text.trimmed().toLower();
    return t.startsWith(QLatin1String("sunrise")) || t.startsWith(QLatin1String("sunset"));
}

Result<DayTime> DayTime::parseSun(const QString &text)
{
    static const QRegularExpression form(
        QStringLiteral("^(sunrise|sunset)(?:([+-])([0-9]{1,4}))?$"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = form.match(text.trimmed());
    const int offset = match.hasMatch() ? match.captured(3).toInt() : 0;
    if (!match.hasMatch() || offset > MaxOffsetMinutes)
        return failure(QStringLiteral("\"%1\" is not sunrise or sunset with an offset of at most "
                                      "%2 minutes (sunrise-30, sunset+15).")
                           .arg(text)
                           .arg(MaxOffsetMinutes));
    const Anchor anchor =
        match.captured(1).toLower() == QLatin1String("sunrise") ? Anchor::Sunrise : Anchor::Sunset;
    return DayTime(anchor, match.captured(2) == QLatin1String("-") ? -offset : offset);
}

QString DayTime::text() const
{
    if (m_anchor == Anchor::Clock)
        return m_clock.toString(QStringLiteral("H:mm"));
    QString name =
        m_anchor == Anchor::Sunrise ? QStringLiteral("sunrise") : QStringLiteral("sunset");
    if (m_offset != 0)
        name += (m_offset > 0 ? QLatin1Char('+') : QLatin1Char('-')) +
                QString::number(std::abs(m_offset));
    return name;
}

int DayTime::minuteOn(QDate date, const SunTimes::Result &sun) const
{
    if (m_anchor == Anchor::Clock)
        return m_clock.hour() * 60 + m_clock.minute();
    const bool rising = m_anchor == Anchor::Sunrise;
    if (sun.day != SunTimes::Day::RisesAndSets) {
        const bool alreadyThere = (sun.day == SunTimes::Day::PolarDay) == rising;
        return alreadyThere ? 0 : Never;
    }
    // The event to the nearest minute, as the published tables give it.
    const QDateTime event = (rising ? sun.sunrise : sun.sunset).addSecs(30);
    const int minute = int(date.daysTo(event.date())) * MinutesPerDay + event.time().hour() * 60 +
                       event.time().minute() + m_offset;
    return std::clamp(minute, 0, MinutesPerDay - 1);
}
