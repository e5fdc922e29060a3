// The capture service with a (fake) V4L2 camera: scaling, failures, an unplugged camera.
#include "capture/service/capturewidget.h"
#include "capture/service/linuxcaptureservice.h"
#include "capture/service/v4l2camera.h"
#include "fakedeviceio.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

#include <cstring>

#include <thread>

class TestCaptureCamera : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void frameOfBiggerCameraIsScaled();
    void failingDeviceGivesReason();
    void unpluggedCameraIsReportedOnce();
    void unplugDuringGrabDoesNotHang();
    void stalledCameraTimesOut();
    void reconnectAfterLoss();
    void silentCameraIsLostAndOpenedAgain();

private:
    void connectCamera(int index = 0);

    std::shared_ptr<FakeDeviceIo> m_io;
    std::unique_ptr<QWidget> m_videoArea;
    std::unique_ptr<LinuxCaptureService> m_service;
    std::vector<QImage> m_frames;
};

namespace {
// The system's own words for an error, in the language the test runs in.
QString errorText(int error)
{
    return QString::fromLocal8Bit(strerror(error));
}

const VideoHeader Qvga = VideoHeader::make(320, 240, 24);

FakeNode camera(const QString &path)
{
    FakeNode node;
    node.path = path;
    node.sizes = {{640, 480}};
    return node;
}
} // namespace

void TestCaptureCamera::init()
{
    m_io = std::make_shared<FakeDeviceIo>();
    m_videoArea = std::make_unique<QWidget>();
    m_service = std::make_unique<LinuxCaptureService>(m_io);
    m_service->setDisplayFactory(CaptureWidget::factory());
    m_frames.clear();
}

void TestCaptureCamera::cleanup()
{
    m_service.reset();
    m_videoArea.reset();
    QCOMPARE(m_io->openDescriptors(), 0);
}

void TestCaptureCamera::connectCamera(int index)
{
    QVERIFY(m_service->createWindow(QSize(320, 240)));
    m_service->window()->setParent(m_videoArea.get());
    const Result<> connected = m_service->connectDriver(index);
    if (!connected)
        QFAIL(qPrintable(connected.error()));
    QVERIFY(m_service->setVideoFormat(Qvga));
    QVERIFY(m_service->setFrameCallback([this](const QImage &f) { m_frames.push_back(f); }));
}

void TestCaptureCamera::frameOfBiggerCameraIsScaled()
{
    m_io->addNode(camera("/dev/video0"));
    connectCamera();
    const Result<QImage> grab = m_service->grabFrame();
    if (!grab)
        QFAIL(qPrintable(grab.error()));
    const QImage &f = *grab;
    QCOMPARE(f.size(), QSize(320, 240));
    QCOMPARE(f.format(), QImage::Format_BGR888);
    // Frame pixel (x, y) shows camera pixel (2x, 2y): green 2x, red 2y.
    QCOMPARE(f.pixelColor(50, 60).green(), 100);
    QCOMPARE(f.pixelColor(50, 60).red(), 120);
    QCOMPARE(f.pixelColor(100, 0).green(), 200);
    QCOMPARE(f.pixelColor(100, 0).red(), 0);
}

void TestCaptureCamera::failingDeviceGivesReason()
{
    FakeNode &node = m_io->addNode(camera("/dev/video0"));
    QVERIFY(m_service->createWindow(QSize(320, 240)));
    QCOMPARE(m_service->driverDescriptions().size(), 2);
    // Listed a moment ago, busy now: connect names the device and the reason.
    node.openError = EBUSY;
    const Result<> connected = m_service->connectDriver(0);
    QVERIFY(!connected);
    QVERIFY2(connected.error().contains("/dev/video0") &&
                 connected.error().contains(errorText(EBUSY)),
             qPrintable(connected.error()));
    QVERIFY(!m_service->isConnected());
    QVERIFY(m_service->windowExists());
    QVERIFY(!m_service->grabFrame());
    // A device that cannot be opened is not offered at all.
    QCOMPARE(m_service->driverDescriptions(), QStringList{"Vardella test scene"});
}

void TestCaptureCamera::unpluggedCameraIsReportedOnce()
{
    FakeNode node = camera("/dev/video0");
    node.loseAfterFrames = V4l2Camera::SettleFrames + 3;
    m_io->addNode(node);
    QSignalSpy lost(m_service.get(), &CaptureService::deviceLost);
    connectCamera();
    QVERIFY(m_service->setPreview(true));
    QVERIFY(lost.wait(3000));
    QTest::qWait(300);
    QCOMPARE(lost.count(), 1);
    QVERIFY(lost.at(0).at(0).toString().contains(errorText(ENODEV)));
    QVERIFY(!m_service->isPreviewing());
    const Result<QImage> grab = m_service->grabFrame();
    QVERIFY(!grab);
    QVERIFY2(grab.error().contains(errorText(ENODEV)), qPrintable(grab.error()));
    QVERIFY(!m_service->setVideoFormat(VideoHeader::make(160, 120, 24)));
    QTest::qWait(100);
    QCOMPARE(lost.count(), 1);
    QVERIFY(m_service->disconnectDriver());
}

void TestCaptureCamera::unplugDuringGrabDoesNotHang()
{
    FakeNode node = camera("/dev/video0");
    node.stalled = true;
    m_io->addNode(node);
    QSignalSpy lost(m_service.get(), &CaptureService::deviceLost);
    connectCamera();
    m_service->setGrabTimeout(std::chrono::seconds(20));
    std::thread unplug([io = m_io] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        io->unplug("/dev/video0");
    });
    QElapsedTimer clock;
    clock.start();
    QVERIFY(!m_service->grabFrame());
    unplug.join();
    QVERIFY2(clock.elapsed() < 5000, "the grab waited for the full time-out");
    QCOMPARE(lost.count(), 1); // said by the grab that met the loss
}

void TestCaptureCamera::stalledCameraTimesOut()
{
    FakeNode node = camera("/dev/video0");
    node.stalled = true;
    m_io->addNode(node);
    connectCamera();
    m_service->setGrabTimeout(std::chrono::milliseconds(150));
    const Result<QImage> grab = m_service->grabFrame();
    QVERIFY(!grab);
    QCOMPARE(grab.error(), QStringLiteral("No frame arrived within 150 ms"));
    QVERIFY(m_frames.empty());
}

void TestCaptureCamera::reconnectAfterLoss()
{
    FakeNode node = camera("/dev/video0");
    node.loseAfterFrames = V4l2Camera::SettleFrames + 1;
    m_io->addNode(node);
    m_io->addNode(camera("/dev/video1"));
    QSignalSpy lost(m_service.get(), &CaptureService::deviceLost);
    connectCamera(0);
    QVERIFY(lost.wait(3000));
    QVERIFY(!m_service->connectDriver(0));               // the list read before: the lost camera
    QCOMPARE(m_service->driverDescriptions().size(), 2); // read again: video1 and the scene
    QVERIFY(m_service->connectDriver(0));
    QVERIFY(m_service->setVideoFormat(Qvga));
    const Result<QImage> grab = m_service->grabFrame();
    QVERIFY(grab);
    QCOMPARE(grab->size(), QSize(320, 240));
    QCOMPARE(lost.count(), 1);
}

void TestCaptureCamera::silentCameraIsLostAndOpenedAgain()
{
    m_io->addNode(camera("/dev/video0"));
    m_service->setSilenceLimit(std::chrono::milliseconds(300));
    QSignalSpy lost(m_service.get(), &CaptureService::deviceLost);
    connectCamera();
    QVERIFY(m_service->grabFrame());
    m_io->setStalled("/dev/video0", true); // the device stays, its frames stop
    QVERIFY(lost.wait(3000));
    QVERIFY(lost.at(0).at(0).toString().startsWith("The camera stopped sending pictures"));
    // Opened again, and again once that stays silent too: not back, and said only once.
    QVERIFY(!m_service->reconnectLostDevice());
    QTest::qWait(600);
    QVERIFY(!m_service->reconnectLostDevice());
    QCOMPARE(m_io->openDescriptors(), 1);
    // Back with its first frame; lost again, and said again, when it hangs again.
    m_io->setStalled("/dev/video0", false);
    QTRY_VERIFY_WITH_TIMEOUT(m_service->reconnectLostDevice(), 3000);
    QVERIFY(m_service->grabFrame());
    QCOMPARE(lost.count(), 1);
    m_io->setStalled("/dev/video0", true);
    QVERIFY(lost.wait(3000));
}

QTEST_MAIN(TestCaptureCamera)
#include "tst_capturecamera.moc"
