#pragma once
// Sunrise and sunset at a place on the earth, after NOAA's solar position formulas: the sun's
// declination and the equation of time from the Julian century, and the hour angle at which
// the sun's upper limb touches the horizon through the atmosphere's refraction (90.833°).

#include "shell/result.h"

#include <QDateTime>
#include <QString>

struct SunPlace
{
    double latitude = 0;  // degrees, north positive
    double longitude = 0; // degrees, east positive

    /// "52.52,13.40": latitude and longitude in degrees, or why they cannot be used.
    static Result<SunPlace> parse(const QString &text);
    /// The place as parse reads it, with the digits it was given at most.
    QString text() const;
    bool operator==(const SunPlace &) const = default;
};

class SunTimes
{
public:
    enum class Day
    {
        RisesAndSets,
        PolarDay,  // the sun stays above the horizon all day
        PolarNight // the sun stays below it all day
    };
    struct Result
    {
        Day day = Day::RisesAndSets;
        // Both valid only when the sun rises and sets; in the time zone of the noon asked for.
        QDateTime sunrise;
        QDateTime sunset;
    };

    explicit SunTimes(SunPlace place) : m_place(place) {}
    SunPlace place() const { return m_place; }

    /// Sunrise and sunset of the solar day whose noon lies nearest to noon (usually the local
    /// noon of the day wanted), within a minute of the published tables.
    Result around(const QDateTime &noon) const;

private:
    SunPlace m_place;
};
