// A camera unplugged during a run and plugged in again under another device node: the run
// waits for it and goes on with the same numbering and settings, or ends when it stays away.
#include "capture/capturesession.h"
#include "capture/capturesettings.h"
#include "capture/jpegdecoder.h"
#include "capture/service/fakedeviceio.h"
#include "capture/service/linuxcaptureservice.h"
#include "common/fakesound.h"
#include "common/fakestoreview.h"
#include "common/recordedmessages.h"
#include "common/tempworkdir.h"
#include "shell/applicationstate.h"
#include "shell/timer/threadedtimer.h"
#include "shell/videohost.h"
#include "store/captureloop.h"
#include "store/intervalcontrols.h"

#include <QTest>

#include <cstring>

using namespace std::chrono_literals;

namespace {
struct NoVideoHost : VideoHost
{
    void embedCaptureWindow(QWidget *) override {}
    QSize captureWindowSize() const override { return {800, 627}; }
};

FakeNode camera(const QString &path, const QString &card)
{
    FakeNode node;
    node.path = path;
    node.card = card;
    return node;
}
} // namespace

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
    QTest::addColumn<bool>("resumes");
    QTest::newRow("same camera") << "Fake Camera" << true;
    QTest::newRow("another camera") << "Other Camera" << false;
}

void TestCameraComesBack::replugged()
{
    QFETCH(QString, card);
    QFETCH(bool, resumes);
    TempWorkDir dir;
    auto io = std::make_shared<FakeDeviceIo>();
    io->addNode(camera("/dev/video0", "Fake Camera"));
    LinuxCaptureService service(io);
    FakeStoreView view;
    ApplicationState state;
    FakeSound click;
    ThreadedTimer timer; // held: the test gives the ticks
    CaptureSettings settings;
    settings.FrameWidth = 160;
    settings.FrameHeight = 120;
    settings.Greyscale = true;
    NoVideoHost host;
    RecordedMessages messages;
    CaptureSession session(service, state, settings, host);
    IntervalControls interval(view, state, click.sound, timer);
    CaptureLoop loop(view, state, click.sound, timer, session, interval, messages);
    loop.cameraRecovery().setRetryInterval(20ms);
    loop.cameraRecovery().setPatience(resumes ? 20s : 500ms);
    QVERIFY(session.ConnectDriver(false, true, false));
    state.FormatChosen = true;

    loop.startStop();
    timer.setEnabled(false);
    loop.captureTick();
    loop.captureTick();
    io->unplug("/dev/video0");
    QTRY_VERIFY2(view.statusNote.startsWith("Camera lost at "), qPrintable(view.statusNote));
    // Ticks while it is away store nothing, keep the number and do not end the run.
    for (int i = 0; i < 4; ++i)
        loop.captureTick();
    QVERIFY(view.statusNote.endsWith(", waiting for it to come back; 4 pictures skipped"));
    QCOMPARE(state.PictureCounter, 2);
    QVERIFY(state.CaptureRunning);

    io->addNode(camera("/dev/video2", card));
    if (!resumes) {
        const QString gone = QStringLiteral("/dev/video0 went away: ") + strerror(ENODEV);
        QTRY_COMPARE(messages.errors,
                     QStringList{"Capture stopped: the video device is gone (" + gone + ")."});
        QVERIFY(!state.CaptureRunning);
        QCOMPARE(view.startCaption, QStringLiteral("start"));
        return;
    }
    QTRY_VERIFY2(view.statusNote.contains(", back at "), qPrintable(view.statusNote));
    QVERIFY(service.isPreviewing());
    loop.captureTick();
    QCOMPARE(state.PictureCounter, 3);
    const QImage picture = JpegDecoder().read("1/capture2.jpg").value_or(QImage());
    QCOMPARE(picture.size(), QSize(160, 120));
    QCOMPARE(picture.format(), QImage::Format_Grayscale8);
    QCOMPARE(io->requestedSize("/dev/video2"), QSize(160, 120));
    QVERIFY(messages.errors.isEmpty());
    loop.startStop();
    session.DisconnectDriver();
    QCOMPARE(io->openDescriptors(), 0);
}

QTEST_MAIN(TestCameraComesBack)
#include "tst_cameracomesback.moc"
