// The clock and date texts that the time box and the reports are built from.
#include "shell/applicationstate.h"

#include <QTest>

class TestApplicationState : public QObject
{
    Q_OBJECT
private slots:
    void clock_data();
    void clock();
    void monthDay_data();
    void monthDay();
};

void TestApplicationState::clock_data()
{
    QTest::addColumn<QTime>("time");
    QTest::addColumn<QString>("text");
    QTest::newRow("morning") << QTime(9, 5, 7) << "9:05:07";
    QTest::newRow("midnight") << QTime(0, 0, 0) << "0:00:00";
    QTest::newRow("afternoon") << QTime(13, 10, 59) << "13:10:59";
}

void TestApplicationState::clock()
{
    QFETCH(QTime, time);
    QFETCH(QString, text);
    ApplicationState state;
    state.setClock(time);
    QCOMPARE(state.clockText(), text);
}

void TestApplicationState::monthDay_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("text");
    QTest::newRow("leading zeros") << QDate(2026, 3, 7) << "03 - 07";
    QTest::newRow("two digits") << QDate(2026, 12, 24) << "12 - 24";
}

void TestApplicationState::monthDay()
{
    QFETCH(QDate, date);
    QFETCH(QString, text);
    ApplicationState state;
    state.refreshMonthDay(date);
    QCOMPARE(state.ClockMonthDay(), text);
}

QTEST_GUILESS_MAIN(TestApplicationState)
#include "tst_applicationstate.moc"
