// When the web view says the run's next picture is due: on the grid of due times from the
// run's start, none while stopped or while motion decides.
#include "app/webrunbridge.h"

#include <QTest>
#include <QTimeZone>

class TestWebRunBridge : public QObject
{
    Q_OBJECT
private slots:
    void nextDue_data();
    void nextDue();
};

void TestWebRunBridge::nextDue_data()
{
    QTest::addColumn<bool>("running");
    QTest::addColumn<bool>("motion");
    QTest::addColumn<double>("interval");
    QTest::addColumn<int>("sinceStartMs");
    QTest::addColumn<int>("dueAfterStartMs"); // -1: none
    QTest::newRow("just started") << true << false << 5.0 << 0 << 5000;
    QTest::newRow("between") << true << false << 5.0 << 7200 << 10000;
    QTest::newRow("on a due time: the next") << true << false << 0.5 << 1500 << 2000;
    QTest::newRow("hundredths") << true << false << 0.25 << 1010 << 1250;
    QTest::newRow("long run") << true << false << 1.0 << 86400500 << 86401000;
    QTest::newRow("stopped") << false << false << 5.0 << 7200 << -1;
    QTest::newRow("motion decides") << true << true << 5.0 << 7200 << -1;
    QTest::newRow("no interval") << true << false << 0.0 << 7200 << -1;
}

void TestWebRunBridge::nextDue()
{
    QFETCH(bool, running);
    QFETCH(bool, motion);
    QFETCH(double, interval);
    QFETCH(int, sinceStartMs);
    QFETCH(int, dueAfterStartMs);
    WebStatus status;
    status.running = running;
    status.motionArmed = motion;
    status.intervalSeconds = interval;
    const QDateTime start(QDate(2026, 12, 8), QTime(21, 40, 3, 250), QTimeZone(3600));
    const QDateTime due = WebRunBridge::nextDue(status, start, start.addMSecs(sinceStartMs));
    QCOMPARE(due.isValid(), dueAfterStartMs >= 0);
    if (due.isValid())
        QCOMPARE(start.msecsTo(due), qint64(dueAfterStartMs));
    // A run whose start is unknown has no due time either.
    QVERIFY(!WebRunBridge::nextDue(status, QDateTime(), start).isValid());
}

QTEST_GUILESS_MAIN(TestWebRunBridge)
#include "tst_webrunbridge.moc"
