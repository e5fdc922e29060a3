// The timer program over whole days, a second at a time: when capture starts and stops.

#include "programs/timerprogram.h"

#include <QTest>
#include <QTimeZone>

namespace {
QDateTime inZone(const QDateTime &like, QDate date, QTime time)
{
    return like.timeSpec() == Qt::TimeZone ? QDateTime(date, time, like.timeZone())
                                           : QDateTime(date, time, like.timeSpec());
}
} // namespace

namespace {
// Runs days whole days from begin, a second at a time, in begin's time zone. Capture stores a
// picture every interval seconds while it runs; a stop by hand happens at handStop (when valid)
// on day one. Returns the events as "d1 start 12:00:00" and "d1 stop 12:30:00" ("hand" for the
// stop by hand), with the offset from UTC ("+02") in a zone with daylight saving.
QStringList runDays(const QDateTime &begin, int days, QTime start, QTime end, int interval,
                    QTime handStop = {})
{
    TimerProgram program;
    program.setTimes(start, end);
    program.setActive(true);
    QStringList events;
    bool running = false;
    int sinceStart = 0;
    const QDateTime last = inZone(begin, begin.date().addDays(days), QTime(0, 0));
    const qint64 seconds = begin.secsTo(last);
    for (qint64 second = 0; second < seconds; ++second) {
        const QDateTime now = begin.addSecs(second);
        const QString day = QStringLiteral("d%1 ").arg(begin.date().daysTo(now.date()) + 1);
        QString at = now.time().toString("H:mm:ss");
        if (begin.timeSpec() == Qt::TimeZone)
            at += QStringLiteral("%1%2")
                      .arg(now.offsetFromUtc() < 0 ? '-' : '+')
                      .arg(std::abs(now.offsetFromUtc()) / 3600, 2, 10, QLatin1Char('0'));
        if (!running) {
            // The clock tick runs while capture is stopped.
            if (program.startDue(now)) {
                running = true;
                sinceStart = 0;
                events << day + "start " + at;
            }
            continue;
        }
        if (handStop.isValid() && day == "d1 " && now.time() == handStop) {
            running = false;
            events << day + "hand " + at;
            continue;
        }
        if (++sinceStart % interval == 0 && program.endDue(now)) {
            running = false;
            events << day + "stop " + at;
        }
    }
    return events;
}

QStringList runTwoDays(QTime start, QTime end, int interval, QTime handStop = {})
{
    return runDays(QDateTime(QDate(2026, 12, 8), QTime(0, 0), Qt::UTC), 2, start, end, interval,
                   handStop);
}
} // namespace

class TestTimerProgram : public QObject
{
    Q_OBJECT
private slots:
    void timeKeys();
    void days_data();
    void days();
    void clocksChange_data();
    void clocksChange();
};

void TestTimerProgram::timeKeys()
{
    QCOMPARE(TimeKeys::key(QTime(12, 0)), 1200);
    QCOMPARE(TimeKeys::key(QTime(9, 5)), 905);
    QCOMPARE(TimeKeys::key(QTime(0, 0)), 0);
    QVERIFY(TimeKeys::key(QTime(1, 15)) != TimeKeys::key(QTime(11, 5)));
}

void TestTimerProgram::days_data()
{
    QTest::addColumn<QTime>("start");
    QTest::addColumn<QTime>("end");
    QTest::addColumn<int>("interval");
    QTest::addColumn<QTime>("handStop");
    QTest::addColumn<QStringList>("events");
    QTest::newRow("12:00 to 12:30") << QTime(12, 0) << QTime(12, 30) << 5 << QTime()
                                    << QStringList{"d1 start 12:00:00", "d1 stop 12:30:00",
                                                   "d2 start 12:00:00", "d2 stop 12:30:00"};
    QTest::newRow("start equals end: the first picture stops")
        << QTime(12, 0) << QTime(12, 0) << 5 << QTime()
        << QStringList{"d1 start 12:00:00", "d1 stop 12:00:05", "d2 start 12:00:00",
                       "d2 stop 12:00:05"};
    QTest::newRow("1:15 does not fire at 11:05")
        << QTime(1, 15) << QTime(1, 16) << 10 << QTime()
        << QStringList{"d1 start 1:15:00", "d1 stop 1:16:00", "d2 start 1:15:00",
                       "d2 stop 1:16:00"};
    QTest::newRow("midnight is a start time") << QTime(0, 0) << QTime(0, 2) << 30 << QTime()
                                              << QStringList{"d1 start 0:00:00", "d1 stop 0:02:00",
                                                             "d2 start 0:00:00", "d2 stop 0:02:00"};
    QTest::newRow("stopped by hand: again the next day, not at midnight")
        << QTime(12, 0) << QTime(12, 30) << 5 << QTime(12, 10)
        << QStringList{"d1 start 12:00:00", "d1 hand 12:10:00", "d2 start 12:00:00",
                       "d2 stop 12:30:00"};
    QTest::newRow("stopped by hand in the start minute: not again in it")
        << QTime(12, 0) << QTime(12, 30) << 5 << QTime(12, 0, 20)
        << QStringList{"d1 start 12:00:00", "d1 hand 12:00:20", "d2 start 12:00:00",
                       "d2 stop 12:30:00"};
    QTest::newRow("an interval longer than the end minute misses it")
        << QTime(12, 0) << QTime(12, 0) << 90 << QTime()
        << QStringList{"d1 start 12:00:00", "d2 stop 12:00:00"};
}

void TestTimerProgram::days()
{
    QFETCH(QTime, start);
    QFETCH(QTime, end);
    QFETCH(int, interval);
    QFETCH(QTime, handStop);
    QFETCH(QStringList, events);
    QCOMPARE(runTwoDays(start, end, interval, handStop), events);
}

// Three days around each change of Berlin's clocks: 29 March 2026 skips 2:00 to 2:59, 25
// October 2026 has them twice.
void TestTimerProgram::clocksChange_data()
{
    QTest::addColumn<QDate>("firstDay");
    QTest::addColumn<QTime>("start");
    QTest::addColumn<QTime>("end");
    QTest::addColumn<QStringList>("events");
    const QDate spring(2026, 3, 28);
    const QDate autumn(2026, 10, 24);
    QTest::newRow("a start in the gap acts at 3:00")
        << spring << QTime(2, 30) << QTime(4, 0)
        << QStringList{"d1 start 2:30:00+01", "d1 stop 4:00:00+01",  "d2 start 3:00:00+02",
                       "d2 stop 4:00:00+02",  "d3 start 2:30:00+02", "d3 stop 4:00:00+02"};
    QTest::newRow("an end in the gap acts at 3:00")
        << spring << QTime(1, 0) << QTime(2, 15)
        << QStringList{"d1 start 1:00:00+01", "d1 stop 2:15:00+01",  "d2 start 1:00:00+01",
                       "d2 stop 3:00:00+02",  "d3 start 1:00:00+02", "d3 stop 2:15:00+02"};
    QTest::newRow("both in the gap: a start and the first picture's stop")
        << spring << QTime(2, 10) << QTime(2, 50)
        << QStringList{"d1 start 2:10:00+01", "d1 stop 2:50:00+01",  "d2 start 3:00:00+02",
                       "d2 stop 3:00:05+02",  "d3 start 2:10:00+02", "d3 stop 2:50:00+02"};
    QTest::newRow("over the night of the spring change")
        << spring << QTime(23, 0) << QTime(6, 0)
        << QStringList{"d1 start 23:00:00+01", "d2 stop 6:00:00+02", "d2 start 23:00:00+02",
                       "d3 stop 6:00:00+02", "d3 start 23:00:00+02"};
    QTest::newRow("a start in the hour that comes twice acts once")
        << autumn << QTime(2, 30) << QTime(2, 45)
        << QStringList{"d1 start 2:30:00+02", "d1 stop 2:45:00+02",  "d2 start 2:30:00+02",
                       "d2 stop 2:45:00+02",  "d3 start 2:30:00+01", "d3 stop 2:45:00+01"};
    QTest::newRow("a run into the hour that comes twice ends at its first end")
        << autumn << QTime(1, 30) << QTime(2, 30)
        << QStringList{"d1 start 1:30:00+02", "d1 stop 2:30:00+02",  "d2 start 1:30:00+02",
                       "d2 stop 2:30:00+02",  "d3 start 1:30:00+01", "d3 stop 2:30:00+01"};
    QTest::newRow("an end that comes twice while recording acts once")
        << autumn << QTime(2, 30) << QTime(2, 15)
        << QStringList{"d1 start 2:30:00+02", "d2 stop 2:15:00+02", "d2 start 2:30:00+02",
                       "d3 stop 2:15:00+01", "d3 start 2:30:00+01"};
    QTest::newRow("over the night of the autumn change")
        << autumn << QTime(23, 0) << QTime(6, 0)
        << QStringList{"d1 start 23:00:00+02", "d2 stop 6:00:00+01", "d2 start 23:00:00+01",
                       "d3 stop 6:00:00+01", "d3 start 23:00:00+01"};
}

void TestTimerProgram::clocksChange()
{
    QFETCH(QDate, firstDay);
    QFETCH(QTime, start);
    QFETCH(QTime, end);
    QFETCH(QStringList, events);
    const QTimeZone berlin("Europe/Berlin");
    QVERIFY(berlin.isValid());
    QCOMPARE(runDays(QDateTime(firstDay, QTime(0, 0), berlin), 3, start, end, 5), events);
}

QTEST_GUILESS_MAIN(TestTimerProgram)
#include "tst_timerprogram.moc"
