// Sunrise and sunset against published tables, and places that the parser refuses.
//
// Reference times, rounded to the minute by their publishers:
// - Berlin (52.52 N, 13.41 E), 2026: 1 January 8:18 and 16:03 CET, 1 July 4:48 and 21:33
//   CEST (whattime.city's table of first days).
// - Melbourne, 1 January 2026: 6:01 and 20:45 AEDT (timeandtool.com's monthly table).
// - Sydney, 1 June 2026: 6:52 and 16:55 AEST (whattime.city's table of first days).
// - Tromsø (69.5 N, 19.0 E), 2014, UT + 1 h: 1 April 4:50 and 18:49, 17 May 0:29 and 23:06,
//   then the sun stays up from 18 May to 25 July (US Naval Observatory, "Sun and Moon Data
//   for One Day"); no sun from 28 November to 15 January.
// - McMurdo Station (77.85 S): midnight sun in December, polar night in June.

#include "programs/suntimes.h"

#include <QTest>
#include <QTimeZone>

using Day = SunTimes::Day;

class TestSunTimes : public QObject
{
    Q_OBJECT
private slots:
    void publishedTimes_data();
    void publishedTimes();
    void places_data();
    void places();
};

void TestSunTimes::publishedTimes_data()
{
    QTest::addColumn<double>("latitude");
    QTest::addColumn<double>("longitude");
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QTimeZone>("zone");
    QTest::addColumn<Day>("day");
    QTest::addColumn<QTime>("sunrise");
    QTest::addColumn<QTime>("sunset");
    const QTimeZone berlin("Europe/Berlin");
    const QTimeZone plusOne(3600);
    QTest::newRow("Berlin new year") << 52.52 << 13.41 << QDate(2026, 1, 1) << berlin
                                     << Day::RisesAndSets << QTime(8, 18) << QTime(16, 3);
    QTest::newRow("Berlin in summer time") << 52.52 << 13.41 << QDate(2026, 7, 1) << berlin
                                           << Day::RisesAndSets << QTime(4, 48) << QTime(21, 33);
    QTest::newRow("Melbourne new year")
        << -37.81 << 144.96 << QDate(2026, 1, 1) << QTimeZone("Australia/Melbourne")
        << Day::RisesAndSets << QTime(6, 1) << QTime(20, 45);
    QTest::newRow("Sydney early winter")
        << -33.87 << 151.21 << QDate(2026, 6, 1) << QTimeZone("Australia/Sydney")
        << Day::RisesAndSets << QTime(6, 52) << QTime(16, 55);
    QTest::newRow("Tromsø in April") << 69.5 << 19.0 << QDate(2014, 4, 1) << plusOne
                                     << Day::RisesAndSets << QTime(4, 50) << QTime(18, 49);
    QTest::newRow("Tromsø the day before the midnight sun")
        << 69.5 << 19.0 << QDate(2014, 5, 17) << plusOne << Day::RisesAndSets << QTime(0, 29)
        << QTime(23, 6);
    QTest::newRow("Tromsø midsummer")
        << 69.5 << 19.0 << QDate(2014, 6, 21) << plusOne << Day::PolarDay << QTime() << QTime();
    QTest::newRow("Tromsø midwinter") << 69.65 << 18.96 << QDate(2011, 12, 21) << plusOne
                                      << Day::PolarNight << QTime() << QTime();
    QTest::newRow("McMurdo in December")
        << -77.85 << 166.67 << QDate(2026, 12, 21) << QTimeZone("Antarctica/McMurdo")
        << Day::PolarDay << QTime() << QTime();
    QTest::newRow("McMurdo in June")
        << -77.85 << 166.67 << QDate(2026, 6, 21) << QTimeZone("Antarctica/McMurdo")
        << Day::PolarNight << QTime() << QTime();
}

void TestSunTimes::publishedTimes()
{
    QFETCH(double, latitude);
    QFETCH(double, longitude);
    QFETCH(QDate, date);
    QFETCH(QTimeZone, zone);
    QFETCH(Day, day);
    QFETCH(QTime, sunrise);
    QFETCH(QTime, sunset);
    const SunTimes sun(SunPlace{latitude, longitude});
    const SunTimes::Result result = sun.around(QDateTime(date, QTime(12, 0), zone));
    QCOMPARE(result.day, day);
    if (day != Day::RisesAndSets) {
        QVERIFY(!result.sunrise.isValid() && !result.sunset.isValid());
        return;
    }
    // Within a minute of the published minute, on the day asked for, in its zone.
    for (const auto &[computed, published] :
         {std::pair{result.sunrise, sunrise}, std::pair{result.sunset, sunset}}) {
        QCOMPARE(computed.date(), date);
        QCOMPARE(computed.timeZone(), zone);
        const int off = std::abs(published.secsTo(computed.time()));
        QVERIFY2(off <= 60,
                 qPrintable(computed.toString(Qt::ISODate) + " for " + published.toString("H:mm")));
    }
}

void TestSunTimes::places_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("error"); // empty: accepted
    QTest::addColumn<double>("latitude");
    QTest::addColumn<double>("longitude");
    QTest::newRow("Berlin") << "52.52,13.40"
                            << "" << 52.52 << 13.40;
    QTest::newRow("south and west, blanks") << " -33.9 , -70.5"
                                            << "" << -33.9 << -70.5;
    QTest::newRow("the poles' edge") << "90,-180"
                                     << "" << 90.0 << -180.0;
    QTest::newRow("one number") << "52.52"
                                << "is not two numbers" << 0.0 << 0.0;
    QTest::newRow("a decimal comma") << "52,52,13,40"
                                     << "is not two numbers" << 0.0 << 0.0;
    QTest::newRow("words") << "north,east"
                           << "is not two numbers" << 0.0 << 0.0;
    QTest::newRow("latitude") << "90.5,0"
                              << "latitude beyond 90" << 0.0 << 0.0;
    QTest::newRow("longitude") << "0,181"
                               << "longitude beyond 180" << 0.0 << 0.0;
}

void TestSunTimes::places()
{
    QFETCH(QString, text);
    QFETCH(QString, error);
    QFETCH(double, latitude);
    QFETCH(double, longitude);
    const Result<SunPlace> place = SunPlace::parse(text);
    if (!error.isEmpty()) {
        QVERIFY(!place);
        QVERIFY2(place.error().contains(error), qPrintable(place.error()));
        QVERIFY(place.error().contains(text));
        return;
    }
    QVERIFY2(place, qPrintable(place ? QString() : place.error()));
    QCOMPARE(place->latitude, latitude);
    QCOMPARE(place->longitude, longitude);
    QCOMPARE(SunPlace::parse(place->text())->latitude, latitude);
}

QTEST_GUILESS_MAIN(TestSunTimes)
#include "tst_suntimes.moc"
