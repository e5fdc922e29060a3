#include "programs/suntimes.h"

#include <QLocale>
#include <QStringList>
#include <QTimeZone>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {
constexpr double MsecsPerDay = 86400000.0;
constexpr double MsecsPerMinute = 60000.0;
// The sun's centre this far below the horizon: its radius and the refraction at the horizon.
constexpr double HorizonZenith = 90.833;

double radians(double degrees)
{
    return degrees * std::numbers::pi / 180.0;
}

double degrees(double radians)
{
    return radians * 180.0 / std::numbers::pi;
}

// What the sun's place does at one instant.
struct SolarState
{
    double declination = 0;    // radians
    double equationOfTime = 0; // minutes
};

SolarState solarState(qint64 msecsSinceEpoch)
{
    const double julianDay = double(msecsSinceEpoch) / MsecsPerDay + 2440587.5;
    const double t = (julianDay - 2451545.0) / 36525.0; // Julian centuries since J2000.0
    const double meanLongitude = std::fmod(280.46646 + t * (36000.76983 + t * 0.0003032), 360.0);
    const double meanAnomaly = 357.52911 + t * (35999.05029 - 0.0001537 * t);
    const double eccentricity = 0.016708634 - t * (0.000042037 + 0.0000001267 * t);
    const double m = radians(meanAnomaly);
    const double centre = std::sin(m) * (1.914602 - t * (0.004817 + 0.000014 * t)) +
                          std::sin(2 * m) * (0.019993 - 0.000101 * t) + std::sin(3 * m) * 0.000289;
    const double omega = radians(125.04 - 1934.136 * t);
    const double apparentLongitude = meanLongitude + centre - 0.00569 - 0.00478 * std::sin(omega);
    const double meanObliquity =
        23.0 + (26.0 + (21.448 - t * (46.815 + t * (0.00059 - t * 0.001813))) / 60.0) / 60.0;
    const double obliquity = radians(meanObliquity + 0.00256 * std::cos(omega));

    SolarState state;
    state.declination = std::asin(std::sin(obliquity) * std::sin(radians(apparentLongitude)));
    const double y = std::pow(std::tan(obliquity / 2), 2);
    const double l0 = radians(meanLongitude);
    state.equationOfTime = 4 * degrees(y * std::sin(2 * l0) - 2 * eccentricity * std::sin(m) +
                                       4 * eccentricity * y * std::sin(m) * std::cos(2 * l0) -
                                       0.5 * y * y * std::sin(4 * l0) -
                                       1.25 * eccentricity * eccentricity * std::sin(2 * m));
    return state;
}

// The cosine of the hour angle at sunrise: above 1 the sun never rises, below -1 it never sets.
double cosHourAngle(double latitude, double declination)
{
    const double phi = radians(std::clamp(latitude, -89.9999, 89.9999));
    return std::cos(radians(HorizonZenith)) / (std::cos(phi) * std::cos(declination)) -
           std::tan(phi) * std::tan(declination);
}

// Minutes after the day's 0:00 UTC at which the sun crosses the place's meridian.
double noonMinutes(double longitude, const SolarState &state)
{
    return 720.0 - 4.0 * longitude - state.equationOfTime;
}

// An instant shown in the zone that like is given in.
QDateTime inZoneOf(const QDateTime &utc, const QDateTime &like)
{
    switch (like.timeSpec()) {
    case Qt::TimeZone:
        return utc.toTimeZone(like.timeZone());
    case Qt::OffsetFromUTC:
        return utc.toOffsetFromUtc(like.offsetFromUtc());
    default:
        return utc.toTimeSpec(like.timeSpec());
    }
}

qint64 at(qint64 dayStart, double minutes)
{
    return dayStart + qint64(std::llround(minutes * MsecsPerMinute));
}
} // namespace

Result<SunPlace> SunPlace::parse(const QString &text)
{
    const auto bad = [&text](const QString &why) {
        return failure(QStringLiteral("The place \"%1\" %2; give it as LATITUDE,LONGITUDE in "
                                      "degrees, north and east positive (52.52,13.40).")
                           .arg(text, why));
    };
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 2)
        return bad(QStringLiteral("is not two numbers"));
    bool latitudeOk = false;
    bool longitudeOk = false;
    const QLocale c = QLocale::c();
    SunPlace place{c.toDouble(parts[0].trimmed(), &latitudeOk),
                   c.toDouble(parts[1].trimmed(), &longitudeOk)};
    if (!latitudeOk || !longitudeOk)
        return bad(QStringLiteral("is not two numbers"));
    if (std::abs(place.latitude) > 90)
        return bad(QStringLiteral("has a latitude beyond 90°"));
    if (std::abs(place.longitude) > 180)
        return bad(QStringLiteral("has a longitude beyond 180°"));
    return place;
}

QString SunPlace::text() const
{
    const QLocale c = QLocale::c();
    return c.toString(latitude, 'g', 8) + QLatin1Char(',') + c.toString(longitude, 'g', 8);
}

SunTimes::Result SunTimes::around(const QDateTime &noon) const
{
    const qint64 guess = noon.toMSecsSinceEpoch();
    const double longitude = m_place.longitude;
    // The UTC day whose solar noon lies nearest to the guess.
    qint64 dayStart = guess - guess % qint64(MsecsPerDay);
    if (guess < 0 && guess % qint64(MsecsPerDay) != 0)
        dayStart -= qint64(MsecsPerDay);
    qint64 solarNoon = at(dayStart, noonMinutes(longitude, solarState(guess)));
    if (solarNoon - guess > MsecsPerDay / 2)
        dayStart -= qint64(MsecsPerDay);
    else if (guess - solarNoon > MsecsPerDay / 2)
        dayStart += qint64(MsecsPerDay);
    for (int i = 0; i < 2; ++i)
        solarNoon = at(dayStart, noonMinutes(longitude, solarState(solarNoon)));

    Result result;
    const double atNoon = cosHourAngle(m_place.latitude, solarState(solarNoon).declination);
    if (atNoon > 1 || atNoon < -1) {
        result.day = atNoon > 1 ? Day::PolarNight : Day::PolarDay;
        return result;
    }
    // Each event with the sun's place at its own instant: a few rounds settle it to seconds.
    const auto event = [&](double sign) {
        qint64 when = solarNoon;
        double hourAngle = degrees(std::acos(atNoon));
        for (int i = 0; i < 4; ++i) {
            const SolarState state = solarState(when);
            const double c = cosHourAngle(m_place.latitude, state.declination);
            if (c <= 1 && c >= -1) // near a polar day's edge the noon's angle stands
                hourAngle = degrees(std::acos(c));
            when = at(dayStart, noonMinutes(longitude, state) + sign * 4.0 * hourAngle);
        }
        return when;
    };
    result.sunrise = inZoneOf(QDateTime::fromMSecsSinceEpoch(event(-1), Qt::UTC), noon);
    result.sunset = inZoneOf(QDateTime::fromMSecsSinceEpoch(event(+1), Qt::UTC), noon);
    return result;
}
