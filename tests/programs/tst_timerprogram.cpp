// The timer program over whole days, a second at a time: when capture starts and stops.

#include "programs/timerprogram.h"

#include <QTest>

namespace {
// Runs two days from 0:00 of day one. Capture stores a picture every interval seconds while it
// runs; a stop by hand happens at handStop (when valid) on day one. Returns the events as
// "d1 start 12:00:00" and "d1 stop 12:30:00" ("hand" for the stop by hand).
QStringList runTwoDays(QTime start, QTime end, int interval, QTime handStop = {})
{
    TimerProgram program;
    program.setTimes(start, end);
    program.setActive(true);
    QStringList events;
    bool running = false;
    int sinceStart = 0;
    const QDateTime begin(QDate(2026, 12, 8), QTime(0, 0), Qt::UTC);
    for (int second = 0; second < 2 * 86400; ++second) {
        const QDateTime now = begin.addSecs(second);
        const QString day = now.date() == begin.date() ? "d1 " : "d2 ";
        const QString at = now.time().toString("H:mm:ss");
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
} // namespace

class TestTimerProgram : public QObject
{
    Q_OBJECT
private slots:
    void timeKeys();
    void days_data();
    void days();
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

QTEST_GUILESS_MAIN(TestTimerProgram)
#include "tst_timerprogram.moc"
