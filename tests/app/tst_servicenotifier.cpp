// What a service manager hears of a run: ready, status lines, and the watchdog's keep-alive,
// which stops while the camera sends nothing and comes back with its pictures.
#include "app/capturecore.h"
#include "app/programrun.h"
#include "app/servicenotifier.h"
#include "capture/capturesession.h"
#include "capture/service/linuxcaptureservice.h"
#include "capture/service/testsceneoptions.h"
#include "common/fakecaptureservice.h"
#include "common/fakesound.h"
#include "common/recordedmessages.h"
#include "common/tempworkdir.h"
#include "motion/motioncapture.h"
#include "shell/clocksource.h"
#include "store/captureloop.h"
#include "store/intervalmodel.h"

#include <QDeadlineTimer>
#include <QRegularExpression>
#include <QSignalSpy>

#include <cstddef>
#include <cstring>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {
// The service manager's end: an abstract datagram socket, named in NOTIFY_SOCKET.
struct NotifySocket
{
    QByteArray name = "@vardella-notify-" + QByteArray::number(getpid());
    int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);

    NotifySocket()
    {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path + 1, name.constData() + 1, std::size_t(name.size() - 1));
        const auto length = socklen_t(offsetof(sockaddr_un, sun_path) + std::size_t(name.size()));
        if (bind(fd, reinterpret_cast<sockaddr *>(&address), length) != 0)
            fd = (close(fd), -1);
    }
    ~NotifySocket() { close(fd); }

    /// Reads, as a service manager does, until a message matches pattern or the time is up;
    /// seen gets every message read.
    bool waitFor(const QString &pattern, int milliseconds = 5000, QStringList *seen = nullptr)
    {
        const QRegularExpression wanted(pattern);
        QStringList read;
        char buffer[4096];
        for (QDeadlineTimer deadline(milliseconds); !deadline.hasExpired(); QTest::qWait(20)) {
            for (ssize_t n; (n = recv(fd, buffer, sizeof buffer, 0)) > 0;)
                read << QString::fromUtf8(buffer, int(n));
            if (!read.filter(wanted).isEmpty())
                break;
        }
        if (seen)
            *seen = read;
        return !read.filter(wanted).isEmpty();
    }
};

// A core with its camera connected, as the program without a display makes it.
struct Run
{
    FakeSound click, alarm;
    RecordedMessages messages;
    SystemClock clock;
    CaptureCore core;

    explicit Run(CaptureService &camera) : core({camera, clock, click.sound, alarm.sound, messages})
    {
        const int scene = camera.driverDescriptions().indexOf(LinuxCaptureService::TestSceneName);
        core.state().setDriverIndex(std::max(scene, 0));
        core.state().setDriverChosen(true);
        core.session().ConnectDriver(false, false, false);
        core.state().setFormatChosen(true);
    }
};

const QString Picture = QStringLiteral("^STATUS=Picture \\d+ \\(1/capture\\d+\\.jpg\\) at "
                                       "\\d\\d:\\d\\d:\\d\\d$");
} // namespace

class TestServiceNotifier : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void healthRule_data();
    void healthRule();
    void watchdogFollowsTheCamera();
    void programTellsItsRun();

private:
    std::unique_ptr<NotifySocket> m_manager;
};

void TestServiceNotifier::init()
{
    m_manager.reset(); // its name is free again before the next takes it
    m_manager = std::make_unique<NotifySocket>();
    QVERIFY(m_manager->fd >= 0);
    qputenv("NOTIFY_SOCKET", m_manager->name);
    qputenv("WATCHDOG_USEC", "100000"); // a keep-alive every 50 ms
}

// The run's promise: a picture per interval while capturing, frames while scanning for motion;
// nothing while waiting on purpose; never while the camera is away.
void TestServiceNotifier::healthRule_data()
{
    QTest::addColumn<QString>("run");
    QTest::addColumn<double>("interval");
    QTest::addColumn<int>("ageMs"); // since the last frame or picture
    QTest::addColumn<bool>("healthy");
    QTest::newRow("stopped long ago") << "stopped" << 5.0 << 3600000 << true;
    QTest::newRow("long interval, picture due later") << "capture" << 999.0 << 990000 << true;
    QTest::newRow("long interval, picture overdue") << "capture" << 999.0 << 1000500 << false;
    QTest::newRow("short interval, no picture") << "capture" << 0.1 << 1000 << false;
    QTest::newRow("motion scan, no frame") << "motion" << 999.0 << 600 << false;
    QTest::newRow("camera lost") << "lost" << 5.0 << 0 << false;
}

void TestServiceNotifier::healthRule()
{
    QFETCH(QString, run);
    QFETCH(double, interval);
    QFETCH(int, ageMs);
    QFETCH(bool, healthy);
    TempWorkDir dir;
    FakeCaptureService camera;
    camera.deviceAbsent = true; // a lost camera stays away
    Run r(camera);
    ServiceNotifier notifier(r.core);
    notifier.setFrameAge(500ms);
    r.core.interval().setSeconds(interval);
    if (run == "capture" || run == "lost")
        r.core.loop().startStop();
    if (run == "lost")
        emit camera.deviceLost("gone");
    if (run == "motion")
        r.core.motion().setArmed(true);
    QCOMPARE(notifier.healthy(ServiceNotifier::Clock::now() + std::chrono::milliseconds(ageMs)),
             healthy);
}

void TestServiceNotifier::watchdogFollowsTheCamera()
{
    TempWorkDir dir;
    LinuxCaptureService camera;
    camera.setSilenceLimit(300ms);
    Run run(camera);
    CaptureLoop &loop = run.core.loop();
    loop.cameraRecovery().setRetryInterval(100ms);
    run.core.interval().setSeconds(0.1);
    QSignalSpy notes(&loop, &CaptureLoop::statusNote);
    ServiceNotifier notifier(run.core);
    notifier.setFrameAge(300ms);
    QCOMPARE(notifier.pingPeriod(), 50ms); // half the watchdog's time
    loop.startStop();
    QVERIFY(m_manager->waitFor(Picture));
    QVERIFY(m_manager->waitFor("^WATCHDOG=1$"));

    // The scene freezes: lost as an unplugged camera is, and no keep-alive while it lasts.
    camera.testSceneOptions().frozen = true;
    QVERIFY(m_manager->waitFor("^STATUS=Camera lost: The camera stopped sending pictures"));
    QVERIFY(!m_manager->waitFor("^WATCHDOG=1$|" + Picture, 600));
    QVERIFY(notes.last().at(0).toString().startsWith("Camera lost at "));
    QVERIFY(run.core.state().CaptureRunning());

    camera.testSceneOptions().frozen = false;
    QVERIFY(m_manager->waitFor("^STATUS=Camera back$"));
    QVERIFY(notes.last().at(0).toString().contains(", back at "));
    QVERIFY(m_manager->waitFor(Picture));
    QVERIFY(m_manager->waitFor("^WATCHDOG=1$"));
    notifier.stopping();
    QVERIFY(m_manager->waitFor("^STOPPING=1$", 100));
}

void TestServiceNotifier::programTellsItsRun()
{
    TempWorkDir dir;
    qputenv("WATCHDOG_USEC", "20000");
    QProcess process;
    process.start(program(), {"--headless", "--interval", "0.1", "--count", "3", "store"});
    QStringList seen;
    QVERIFY(m_manager->waitFor("^STOPPING=1$", 30000, &seen));
    QTRY_COMPARE_WITH_TIMEOUT(process.state(), QProcess::NotRunning, 10000);
    QCOMPARE(process.exitCode(), 0);
    QVERIFY2(
        seen.contains("READY=1\nSTATUS=Capture started") && seen.contains("WATCHDOG=1") &&
            !seen.filter(QRegularExpression("^STATUS=Picture 2 \\(1/capture2\\.jpg\\)")).isEmpty(),
        qPrintable(seen.join('|')));
}

QTEST_GUILESS_MAIN(TestServiceNotifier)
#include "tst_servicenotifier.moc"
