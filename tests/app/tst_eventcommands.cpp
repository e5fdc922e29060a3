// The event commands with real processes: what each event tells its command, at most four at
// once with a bounded queue per event, the time limit, a failure said once, and the end.
#include "app/capturecore.h"
#include "app/eventcommands.h"
#include "common/fakecaptureservice.h"
#include "common/fakesound.h"
#include "common/recordedmessages.h"
#include "common/tempworkdir.h"
#include "shell/clocksource.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

#include <cerrno>
#include <sys/wait.h>

using namespace std::chrono_literals;

namespace {
struct SetClock : ClockSource
{
    QDateTime time{QDate(2026, 12, 8), QTime(21, 40, 3, 250)};
    QDateTime now() const override { return time; }
};

// A core to emit the run's signals from, and the commands attached to it.
struct Rig
{
    TempWorkDir dir;
    FakeCaptureService service;
    SetClock clock;
    FakeSound click, alarm;
    RecordedMessages messages;
    CaptureCore core{{service, clock, click.sound, alarm.sound, messages}};
    EventCommands commands;
    QSignalSpy notes{&commands, &EventCommands::note};

    explicit Rig(EventCommands::Limits limits = {}) : commands(core, clock, limits) {}
    void set(RunEvent event, const QString &line)
    {
        commands.setCommand(event, *EventCommand::parse(line));
    }
    bool idle()
    {
        return QTest::qWaitFor([this] { return commands.running() == 0; }, 10000);
    }
};

QStringList linesOf(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList lines = QString::fromUtf8(file.readAll()).split('\n');
    if (lines.last().isEmpty())
        lines.removeLast(); // after the last line's end
    return lines;
}
} // namespace

class TestEventCommands : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { qputenv("TZ", "XYZ-1"); } // one hour east of UTC, no DST
    void valuesOfEachEvent_data();
    void valuesOfEachEvent();
    void fourAtOnceAndBoundedQueue();
    void failureSaidOnce_data();
    void failureSaidOnce();
    void endGivesGraceThenEnds();
};

void TestEventCommands::valuesOfEachEvent_data()
{
    QTest::addColumn<int>("event");
    QTest::addColumn<QString>("picture"); // below the store, or empty
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("time");
    const QString clock = "2026-12-08T21:40:03.250+01:00";
    QTest::newRow("picture") << int(RunEvent::Picture) << "1/capture7.jpg"
                             << "7"
                             << "2026-12-08T21:39:00.000+01:00";
    QTest::newRow("motion: its first picture") << int(RunEvent::Motion) << "2/capture5000.jpg"
                                               << "5000" << clock;
    for (RunEvent event : {RunEvent::MotionEnd, RunEvent::Start, RunEvent::Stop,
                           RunEvent::CameraLost, RunEvent::CameraBack, RunEvent::Failure})
        QTest::newRow(qPrintable(runEventName(event))) << int(event) << ""
                                                       << "" << clock;
}

void TestEventCommands::valuesOfEachEvent()
{
    QFETCH(int, event);
    QFETCH(QString, picture);
    QFETCH(QString, number);
    QFETCH(QString, time);
    Rig rig;
    QFile script("args.sh");
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write("printf '%s\\n' \"$@\" \"$VARDELLA_EVENT\" \"$VARDELLA_PICTURE\" "
                 "\"$VARDELLA_NUMBER\" \"$VARDELLA_TIME\" \"$HOME\" > out\n");
    script.close();
    const RunEvent e = RunEvent(event);
    rig.set(e, R"(sh args.sh %e "%f" %n %t "50%% %x")");
    CaptureCore &core = rig.core;
    switch (e) {
    case RunEvent::Picture:
        emit core.pictureWritten(
            {7, "1/capture7.jpg", QDateTime(QDate(2026, 12, 8), QTime(21, 39)), 9});
        break;
    case RunEvent::Motion:
        emit core.motionStarted(5000);
        break;
    case RunEvent::MotionEnd:
        emit core.motionEnded();
        break;
    case RunEvent::Start:
        emit core.started();
        break;
    case RunEvent::Stop:
        emit core.stopped();
        break;
    case RunEvent::CameraLost:
        emit core.cameraLost("unplugged");
        break;
    case RunEvent::CameraBack:
        emit core.cameraBack();
        break;
    case RunEvent::Failure:
        emit core.failed("disk full");
        break;
    }
    QVERIFY(rig.idle());
    const QString path = picture.isEmpty() ? "" : rig.dir.path() + '/' + picture;
    const QString name = runEventName(e);
    QCOMPARE(linesOf("out"), QStringList({name, path, number, time, "50% %x", name, path, number,
                                          time, qEnvironmentVariable("HOME")}));
    QCOMPARE(rig.notes.count(), 0);
}

void TestEventCommands::fourAtOnceAndBoundedQueue()
{
    EventCommands::Limits limits;
    limits.waitingPerEvent = 3;
    Rig rig(limits);
    // Each run waits for the gate, then logs its number.
    const QString gated = R"(sh -c "while [ ! -e gate ]; do sleep 0.02; done; echo %e%n >> ran")";
    rig.set(RunEvent::Picture, gated);
    rig.set(RunEvent::Stop, gated);
    for (int n = 0; n < 9; ++n)
        emit rig.core.pictureWritten({n, QString("1/capture%1.jpg").arg(n), {}, 0});
    emit rig.core.stopped(); // waits too: the four are shared by every event
    QCOMPARE(rig.commands.running(), 4);
    QCOMPARE(rig.commands.waiting(RunEvent::Picture), 3);
    QCOMPARE(rig.commands.waiting(RunEvent::Stop), 1);
    QCOMPARE(rig.notes.count(), 0); // the drops are said when the backlog is over
    QFile gate("gate");
    QVERIFY(gate.open(QIODevice::WriteOnly));
    QVERIFY(rig.idle());
    QTRY_COMPARE(rig.commands.running(), 0);
    QStringList ran = linesOf("ran");
    ran.sort();
    // The oldest waiting ones, 4 and 5, were dropped.
    QCOMPARE(ran, QStringList({"picture0", "picture1", "picture2", "picture3", "picture6",
                               "picture7", "picture8", "stop"}));
    QCOMPARE(rig.notes.count(), 1);
    QCOMPARE(
        rig.notes.first().first().toString(),
        QString("Event command \"sh\" (picture) cannot keep up: 2 waiting runs were dropped."));
}

void TestEventCommands::failureSaidOnce_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("note");
    QTest::newRow("missing program")
        << "no-such-program-here %n"
        << "Event command \"no-such-program-here\" (picture) failed: it cannot be started (";
    QTest::newRow("exit status") << "false"
                                 << "\"false\" (picture) failed: it ended with exit status 1.";
    QTest::newRow("killed") << R"(sh -c "kill -9 $$")"
                            << "failed: it was ended by signal 9.";
    QTest::newRow("over time") << "sleep 5"
                               << "failed: it ran longer than 0.3 s and was ended.";
    QTest::newRow("over time, deaf to the request") << R"(sh -c "trap '' TERM; sleep 2")"
                                                    << "failed: it ran longer than 0.3 s";
}

void TestEventCommands::failureSaidOnce()
{
    QFETCH(QString, line);
    QFETCH(QString, note);
    EventCommands::Limits limits;
    limits.timeout = 300ms;
    limits.killAfter = 300ms;
    Rig rig(limits);
    rig.set(RunEvent::Picture, line);
    QElapsedTimer took;
    took.start();
    for (int n = 0; n < 3; ++n) {
        emit rig.core.pictureWritten({n, "1/capture0.jpg", {}, 0});
        QVERIFY(rig.idle());
    }
    QVERIFY(took.elapsed() < 3 * 1500);
    QCOMPARE(rig.notes.count(), 1);
    QVERIFY2(rig.notes.first().first().toString().contains(note),
             qPrintable(rig.notes.first().first().toString()));

    // Said again only after a success in between: here the exit status is the number.
    rig.set(RunEvent::Picture, R"(sh -c "exit $0" %n)");
    rig.notes.clear();
    for (int n : {1, 2, 0, 3}) {
        emit rig.core.pictureWritten({n, "1/capture0.jpg", {}, 0});
        QVERIFY(rig.idle());
    }
    QCOMPARE(rig.notes.count(), 2);
    QVERIFY(rig.notes.last().first().toString().endsWith("exit status 3."));
}

void TestEventCommands::endGivesGraceThenEnds()
{
    EventCommands::Limits limits;
    limits.endGrace = 300ms;
    limits.killAfter = 300ms;
    Rig rig(limits);
    rig.set(RunEvent::Start, R"(sh -c "sleep 0.1; echo done > quick")");
    rig.set(RunEvent::Stop, R"(sh -c "trap '' TERM; sleep 3")");
    emit rig.core.started();
    emit rig.core.stopped();
    QElapsedTimer took;
    took.start();
    rig.commands.finish();
    QVERIFY(took.elapsed() < 1500);
    QCOMPARE(rig.commands.running(), 0);
    QCOMPARE(linesOf("quick"), QStringList{"done"}); // it ended within the grace time
    QCOMPARE(rig.notes.count(), 1);
    QVERIFY(rig.notes.first().first().toString().contains(
        "\"sh\" (stop) failed: it was still running at the end and was ended."));
    // Reaped: no child is left, not even a zombie.
    QCOMPARE(::waitpid(-1, nullptr, WNOHANG), -1);
    QCOMPARE(errno, ECHILD);
    emit rig.core.started(); // nothing starts once it has ended
    QCOMPARE(rig.commands.running(), 0);
}

QTEST_GUILESS_MAIN(TestEventCommands)
#include "tst_eventcommands.moc"
