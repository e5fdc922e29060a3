// A camera unplugged during a run and plugged in again under another device node: the run
// waits for it and goes on with the same numbering and settings, or ends when it stays away.
#include "app/capturecore.h"
#include "app/runpresenter.h"
#include "capture/capturesession.h"
#include "capture/jpegdecoder.h"
#include "capture/service/fakedeviceio.h"
#include "capture/service/linuxcaptureservice.h"
#include "common/fakesound.h"
#include "common/fakestoreview.h"
#include "common/recordedmessages.h"
#include "common/tempworkdir.h"
#include "shell/clocksource.h"
#include "store/captureloop.h"

#include <QTest>

using namespace std::chrono_literals;

class TestCameraComesBack : public QObject
{
    Q_OBJECT
private slots:
    void replugged_data();
    void replugged();
};

void TestCameraComesBack::replugged_data()
{
    QTest::addColumn<QString>("card");
    QTest::addColumn<bool>("userStops");
    QTest::newRow("same camera") << "Fake Camera" << false;
    QTest::newRow("another camera") << "Other Camera" << false;
    QTest::newRow("stopped while waiting") << "Fake Camera" << true;
}

void TestCameraComesBack::replugged()
{
    QFETCH(QString, card);
    QFETCH(bool, userStops);
    const bool resumes = card == "Fake Camera" && !userStops;
    TempWorkDir dir;
    auto io = std::make_shared<FakeDeviceIo>();
    io->addNode({.path = "/dev/video0", .controls = {}});
    LinuxCaptureService service(io);
    FakeStoreView view;
    NoMotionView motionView;
    FakeSound click;
    FakeSound alarm;
    SystemClock clock;
    RecordedMessages messages;
    CaptureCore core({service, clock, click.sound, alarm.sound, messages});
    RunPresenter presenter(core, view, motionView);
    CaptureSettings &settings = core.settings();
    settings.FrameWidth = 160;
    settings.FrameHeight = 120;
    settings.Greyscale = true;
    ApplicationState &state = core.state();
    CaptureSession &session = core.session();
    ThreadedTimer &timer = core.captureTimer();
    CaptureLoop &loop = core.loop();
    loop.cameraRecovery().setRetryInterval(20ms);
    loop.cameraRecovery().setPatience(resumes ? 20s : 500ms);
    QVERIFY(session.ConnectDriver(false, true, false));
    state.setFormatChosen(true);

    loop.startStop();
    timer.setEnabled(false); // the test gives the ticks
    loop.captureTick();
    loop.captureTick();
    io->unplug("/dev/video0");
    QTRY_VERIFY2(view.statusNote.startsWith("Camera lost at "), qPrintable(view.statusNote));
    // More ticks than failed grabs may end a run: they store nothing and keep the number.
    for (int i = 0; i < 4; ++i)
        loop.captureTick();
    QVERIFY(view.statusNote.endsWith(", waiting for it to come back; 4 pictures skipped"));
    QCOMPARE(state.PictureCounter(), 2);
    QVERIFY(state.CaptureRunning());
    if (userStops)
        loop.startStop();

    io->addNode({.path = "/dev/video2", .card = card, .controls = {}});
    if (!resumes) {
        const QString gone = "/dev/video0 went away: " + qt_error_string(ENODEV);
        const QStringList expected{"Capture stopped: the video device is gone (" + gone + ")."};
        QTest::qWait(600);
        QCOMPARE(messages.errors, userStops ? QStringList() : expected);
        QVERIFY(!state.CaptureRunning());
        QVERIFY(io->requestedSize("/dev/video2").isEmpty()); // never taken
        return;
    }
    QTRY_VERIFY2(view.statusNote.contains(", back at "), qPrintable(view.statusNote));
    QVERIFY(service.isPreviewing());
    loop.captureTick();
    QCOMPARE(state.PictureCounter(), 3);
    const QImage picture = JpegDecoder().read("1/capture2.jpg").value_or(QImage());
    QCOMPARE(picture.size(), QSize(160, 120));
    QCOMPARE(picture.format(), QImage::Format_Grayscale8);
    QCOMPARE(io->openDescriptors(), 1); // the lost camera's is closed
}

QTEST_MAIN(TestCameraComesBack)
#include "tst_cameracomesback.moc"
