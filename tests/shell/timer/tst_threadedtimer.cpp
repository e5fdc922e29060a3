// The threaded timer as the program uses it: ticks on the user-interface thread, with every
// change of its settings taking effect at once and no tick ever overlapping another.
// Timing checks are lower bounds and orderings only, with generous waits.
#include "shell/timer/threadedtimer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QList>
#include <QPointer>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <memory>

namespace {

// Records when each tick arrived and whether a handler ever ran inside another.
struct TickLog
{
    explicit TickLog(ThreadedTimer &timer)
    {
        clock.start();
        timer.setOnTimer([this] { onTick(); });
    }

    void onTick()
    {
        at.append(clock.elapsed());
        onOtherThread =
            onOtherThread || QThread::currentThread() != QCoreApplication::instance()->thread();
        ++depth;
        maxDepth = std::max(maxDepth, depth);
        if (handler)
            handler();
        --depth;
    }

    QElapsedTimer clock;
    QList<qint64> at;
    std::function<void()> handler;
    bool onOtherThread = false;
    int depth = 0;
    int maxDepth = 0;
};

constexpr int longWait = 10000;

// Blocks the user-interface thread so that the worker's tick waits in the event queue.
void blockEventLoop()
{
    QThread::msleep(300);
}

} // namespace

class TestThreadedTimer : public QObject
{
    Q_OBJECT
private slots:
    void ticksComeOnUiThreadOneFullIntervalApart();
    void settingTheSameIntervalDoesNotRestart();
    void changesStartAFullInterval_data();
    void changesStartAFullInterval();
    void mainWindowSettingsWaitTheNewInterval();
    void shorterIntervalTakesEffectAtOnce();
    void tickOnItsWayIsDropped_data();
    void tickOnItsWayIsDropped();
    void slowHandlerDelaysTheNextTick();
    void zeroIntervalWithoutAllowZeroGivesNoTicks_data();
    void zeroIntervalWithoutAllowZeroGivesNoTicks();
    void zeroIntervalWithAllowZeroTicksAsFastAsTaken();
    void handlerMayRunNestedLoopAndReconfigure();
    void destroyWhileDisabledEndsCleanly();
    void destroyWhileDeliveryIsQueuedDoesNotHang();
    void handlerMayDestroyTheTimer();
};

void TestThreadedTimer::ticksComeOnUiThreadOneFullIntervalApart()
{
    ThreadedTimer timer;
    QVERIFY(!timer.isEnabled());
    QVERIFY(!timer.allowZero());
    QCOMPARE(timer.interval(), 1000u);
    QCOMPARE(timer.threadPriority(), ThreadPriority::Normal);
    TickLog log(timer);
    QTest::qWait(200);
    QVERIFY(log.at.isEmpty()); // created disabled

    timer.setInterval(150);
    const qint64 enabledAt = log.clock.elapsed();
    timer.setEnabled(true);
    QTRY_VERIFY_WITH_TIMEOUT(log.at.size() >= 3, longWait);
    QVERIFY(!log.onOtherThread);
    QVERIFY(log.at[0] - enabledAt >= 150);
    QVERIFY(log.at[1] - log.at[0] >= 150);
    QVERIFY(log.at[2] - log.at[1] >= 150);
}

void TestThreadedTimer::settingTheSameIntervalDoesNotRestart()
{
    ThreadedTimer timer;
    TickLog log(timer);
    timer.setInterval(300);
    timer.setEnabled(true);
    // Were each of these a restart, no 300 ms wait could ever complete.
    QTimer nudge;
    QObject::connect(&nudge, &QTimer::timeout, [&timer] { timer.setInterval(300); });
    nudge.start(50);
    QTRY_VERIFY_WITH_TIMEOUT(log.at.size() >= 2, longWait);
}

void TestThreadedTimer::changesStartAFullInterval_data()
{
    QTest::addColumn<bool>("reenable");
    QTest::addColumn<quint32>("newInterval");
    QTest::newRow("disable and enable") << true << 1000u;
    QTest::newRow("new interval") << false << 1300u;
}

void TestThreadedTimer::changesStartAFullInterval()
{
    QFETCH(bool, reenable);
    QFETCH(quint32, newInterval);
    ThreadedTimer timer;
    TickLog log(timer);
    timer.setInterval(1000);
    timer.setEnabled(true);
    QTest::qWait(200);
    QVERIFY(log.at.isEmpty());

    const qint64 changedAt = log.clock.elapsed();
    if (reenable) {
        timer.setEnabled(false);
        timer.setEnabled(true);
    } else {
        timer.setInterval(newInterval);
    }
    QTRY_VERIFY_WITH_TIMEOUT(log.at.size() >= 1, longWait);
    QVERIFY2(log.at[0] - changedAt >= newInterval,
             qPrintable(QString::number(log.at[0] - changedAt)));
}

void TestThreadedTimer::mainWindowSettingsWaitTheNewInterval()
{
    // The order in which the main window applies its settings: the 1000 ms wait begun by
    // enabling is replaced by a 5000 ms one.
    ThreadedTimer timer;
    timer.setEnabled(true);
    timer.setInterval(5000);
    TickLog log(timer);
    timer.setThreadPriority(ThreadPriority::Higher);
    QCOMPARE(timer.threadPriority(), ThreadPriority::Higher);
    QTest::qWait(1500);
    QVERIFY(log.at.isEmpty());
    QVERIFY(timer.isEnabled());
    QCOMPARE(timer.interval(), 5000u);
}

void TestThreadedTimer::shorterIntervalTakesEffectAtOnce()
{
    ThreadedTimer timer;
    TickLog log(timer);
    timer.setInterval(60000);
    timer.setEnabled(true);
    QTest::qWait(50);
    timer.setInterval(100);
    QTRY_VERIFY_WITH_TIMEOUT(!log.at.isEmpty(), longWait); // not after the minute has passed
}

void TestThreadedTimer::tickOnItsWayIsDropped_data()
{
    QTest::addColumn<bool>("reenable");
    QTest::newRow("disabled") << false;
    QTest::newRow("restarted with a new interval") << true;
}

void TestThreadedTimer::tickOnItsWayIsDropped()
{
    QFETCH(bool, reenable);
    ThreadedTimer timer;
    TickLog log(timer);
    timer.setInterval(20);
    timer.setEnabled(true);
    blockEventLoop();
    if (reenable) {
        timer.setInterval(60000);
    } else {
        timer.setEnabled(false);
    }
    QTest::qWait(300);
    QVERIFY(log.at.isEmpty());
}

void TestThreadedTimer::slowHandlerDelaysTheNextTick()
{
    ThreadedTimer timer;
    TickLog log(timer);
    log.handler = [] { QThread::msleep(200); };
    timer.setInterval(50);
    timer.setEnabled(true);
    QTRY_VERIFY_WITH_TIMEOUT(log.at.size() >= 4, longWait);
    for (qsizetype i = 1; i < log.at.size(); ++i)
        QVERIFY(log.at[i] - log.at[i - 1] >= 250);
    QCOMPARE(log.maxDepth, 1);
}

void TestThreadedTimer::zeroIntervalWithoutAllowZeroGivesNoTicks_data()
{
    QTest::addColumn<bool>("allowZeroLater");
    QTest::newRow("then allow zero") << true;
    QTest::newRow("then a usable interval") << false;
}

void TestThreadedTimer::zeroIntervalWithoutAllowZeroGivesNoTicks()
{
    QFETCH(bool, allowZeroLater);
    ThreadedTimer timer;
    TickLog log(timer);
    timer.setInterval(0);
    timer.setEnabled(true);
    QVERIFY(timer.isEnabled());
    QTest::qWait(300);
    QVERIFY(log.at.isEmpty());

    // The worker must not stay stopped once the interval is usable.
    if (allowZeroLater) {
        timer.setAllowZero(true);
    } else {
        timer.setInterval(50);
    }
    QTRY_VERIFY_WITH_TIMEOUT(log.at.size() >= 3, longWait);
}

void TestThreadedTimer::zeroIntervalWithAllowZeroTicksAsFastAsTaken()
{
    ThreadedTimer timer;
    TickLog log(timer);
    timer.setAllowZero(true);
    timer.setInterval(0);
    timer.setEnabled(true);
    QTRY_VERIFY_WITH_TIMEOUT(log.at.size() >= 50, longWait);
    QCOMPARE(log.maxDepth, 1);

    // Forbidding zero again stops the ticks, as if it had been forbidden all along.
    timer.setAllowZero(false);
    QTest::qWait(50);
    const qsizetype stopped = log.at.size();
    QTest::qWait(300);
    QCOMPARE(log.at.size(), stopped);
    QVERIFY(timer.isEnabled());
}

void TestThreadedTimer::handlerMayRunNestedLoopAndReconfigure()
{
    ThreadedTimer timer;
    TickLog log(timer);
    log.handler = [&] {
        if (log.at.size() == 1) {
            // What a modal dialog does: run the event loop from inside the handler.
            QEventLoop dialog;
            QTimer::singleShot(300, &dialog, &QEventLoop::quit);
            dialog.exec();
            timer.setInterval(100);
        } else if (log.at.size() == 3) {
            timer.setEnabled(false);
        }
    };
    timer.setInterval(30);
    timer.setEnabled(true);
    QTRY_VERIFY_WITH_TIMEOUT(log.at.size() >= 3, longWait);
    QTest::qWait(500);
    QCOMPARE(log.at.size(), 3);
    QCOMPARE(log.maxDepth, 1);
    QVERIFY(log.at[1] - log.at[0] >= 400); // the dialog's time plus the new interval
    QVERIFY(!timer.isEnabled());
}

void TestThreadedTimer::destroyWhileDisabledEndsCleanly()
{
    auto timer = std::make_unique<ThreadedTimer>();
    TickLog log(*timer);
    timer->setInterval(20);
    timer->setEnabled(true);
    QTRY_VERIFY_WITH_TIMEOUT(!log.at.isEmpty(), longWait);
    timer->setEnabled(false);
    QElapsedTimer clock;
    clock.start();
    timer.reset();
    std::make_unique<ThreadedTimer>().reset(); // never enabled at all
    QVERIFY(clock.elapsed() < 5000);
}

void TestThreadedTimer::destroyWhileDeliveryIsQueuedDoesNotHang()
{
    auto timer = std::make_unique<ThreadedTimer>();
    TickLog log(*timer);
    timer->setInterval(10);
    timer->setEnabled(true);
    blockEventLoop(); // the worker now waits for a delivery that has not run
    QElapsedTimer clock;
    clock.start();
    timer.reset();
    QVERIFY(clock.elapsed() < 5000);
    QTest::qWait(100); // the queued tick, if any is left, must not reach the log
    QVERIFY(log.at.isEmpty());
}

void TestThreadedTimer::handlerMayDestroyTheTimer()
{
    QPointer<ThreadedTimer> timer = new ThreadedTimer;
    TickLog log(*timer);
    log.handler = [&timer] { delete timer; };
    timer->setInterval(20);
    timer->setEnabled(true);
    QTRY_VERIFY_WITH_TIMEOUT(timer.isNull(), longWait);
    QTest::qWait(100);
    QCOMPARE(log.at.size(), 1);
}

QTEST_GUILESS_MAIN(TestThreadedTimer)
#include "tst_threadedtimer.moc"
