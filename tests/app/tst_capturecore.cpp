// The capture core without widgets: the one-second clock's order of work, and what the store
// holds after the program's start and end.
#include "app/capturecore.h"
#include "common/fakecaptureservice.h"
#include "common/fakesound.h"
#include "common/recordedmessages.h"
#include "common/storefiles.h"
#include "common/tempworkdir.h"
#include "programs/timerprogramrunner.h"
#include "shell/clocksource.h"

#include <QSignalSpy>
#include <QTest>

namespace {
struct SetClock : ClockSource
{
    QDateTime time{QDate(2026, 12, 8), QTime(10, 0, 0)};
    QDateTime now() const override { return time; }
};
} // namespace

class TestCaptureCore : public QObject
{
    Q_OBJECT
private slots:
    void clockTickOrder();
    void storeAtStartAndEnd();
};

void TestCaptureCore::clockTickOrder()
{
    TempWorkDir dir;
    FakeCaptureService service;
    SetClock clock;
    FakeSound click, alarm;
    RecordedMessages messages;
    CaptureCore core({service, clock, click.sound, alarm.sound, messages});
    ApplicationState &state = core.state();
    QVERIFY(core.clockRunning());
    TimerProgram &program = core.timerProgram().program();
    program.setTimes(QTime(11, 0), QTime(12, 0));
    program.setActive(true);
    QStringList order;
    connect(&core, &CaptureCore::pendingClearDue, this,
            [&] { order << "clear:" + state.ClockHour(); });
    connect(&core, &CaptureCore::clockTicked, this, [&] { order << "clock:" + state.ClockHour(); });
    connect(&core, &CaptureCore::timerProgramStarted, this, [&] { order << "program"; });

    QSignalSpy changes(&core, &CaptureCore::stateChanged);
    core.clockTick();
    QCOMPARE(order, QStringList{"clock:10"});
    QCOMPARE(changes.count(), 1); // the clock fields, announced once
    core.clockTick();             // the same second: nothing changed
    QCOMPARE(changes.count(), 1);
    QCOMPARE(state.clockText(), QStringLiteral("10:00:00"));
    // A pending clear runs before the clock fields change; the program's start check after.
    state.setClearConfirmed(true);
    clock.time.setTime(QTime(11, 0, 5));
    core.clockTick();
    QCOMPARE(order, QStringList({"clock:10", "clock:10", "clear:10", "clock:11", "program"}));
}

void TestCaptureCore::storeAtStartAndEnd()
{
    TempWorkDir dir;
    touch("2/.capture5.jpg.a1b2.tmp"); // a write a killed run left half done
    CaptureCore::openStore();
    QVERIFY(dir.exists("1"));
    QVERIFY(!dir.exists("2/.capture5.jpg.a1b2.tmp"));

    touch("1/capture.jpg");
    QDir().mkdir("3");
    touch("4/capture15000.jpg");
    QDir().mkdir("65"); // not a picture directory
    CaptureCore::closeStore();
    QVERIFY(!dir.exists("1"));
    QVERIFY(!dir.exists("2"));
    QVERIFY(!dir.exists("3"));
    QVERIFY(dir.exists("4/capture15000.jpg"));
    QVERIFY(dir.exists("65"));
}

QTEST_GUILESS_MAIN(TestCaptureCore)
#include "tst_capturecore.moc"
