// A V4L2 camera as a frame source, against the fake device.
#include "capture/service/libv4l2deviceio.h"
#include "capture/service/v4l2camera.h"
#include "fakedeviceio.h"

#include <QElapsedTimer>
#include <QTest>

#include <cstring>

class TestV4l2Camera : public QObject
{
    Q_OBJECT
private slots:
    void asksForBgr24AtTheWantedSize();
    void biggerCameraIsScaledDown();
    void paddedRowsAndReadOnlyDevices_data();
    void paddedRowsAndReadOnlyDevices();
    void settlingFramesAreDropped();
    void openFailureGivesReason();
    void unusableDevicesAreRefused_data();
    void unusableDevicesAreRefused();
    void vanishedDeviceIsLost();
    void formatChangeWhileOpen();
    void libv4l2RefusesWhatIsNoCamera_data();
    void libv4l2RefusesWhatIsNoCamera();
};

namespace {
// The system's own words for an error, in the language the test runs in.
QString errorText(int error)
{
    return QString::fromLocal8Bit(strerror(error));
}

using Frame = std::vector<std::uint8_t>;

std::shared_ptr<FakeDeviceIo> fakeWith(FakeNode node)
{
    auto io = std::make_shared<FakeDeviceIo>();
    if (node.path.isEmpty())
        node.path = QStringLiteral("/dev/video0");
    io->addNode(node);
    return io;
}

FakeNode cameraOf(std::vector<QSize> sizes)
{
    FakeNode node;
    node.sizes = std::move(sizes);
    return node;
}

// Reads until a frame comes, as the capture thread does; fails after two seconds.
FrameSource::ReadResult readOne(FrameSource &source, Frame &frame)
{
    QElapsedTimer clock;
    clock.start();
    FrameSource::ReadResult r;
    while (clock.elapsed() < 2000) {
        r = source.readFrame(frame);
        if (r.status != FrameSource::Read::NoFrame)
            return r;
    }
    return r;
}

// Pixel (x, y) from the top of a bottom-up frame.
const std::uint8_t *pixel(const Frame &f, const VideoHeader &h, int x, int y)
{
    return &f[(h.height - 1 - y) * h.rowStride() + 3 * x];
}

// Checks the fake's pattern: camera pixel (cx, cy) is (k, cx, cy) as BGR.
bool showsCameraPixel(const Frame &f, const VideoHeader &h, int x, int y, int cx, int cy)
{
    const std::uint8_t *p = pixel(f, h, x, y);
    return p[1] == std::uint8_t(cx) && p[2] == std::uint8_t(cy);
}
} // namespace

void TestV4l2Camera::asksForBgr24AtTheWantedSize()
{
    auto io = fakeWith(cameraOf({{640, 480}, {320, 240}}));
    V4l2Camera camera(io, "/dev/video0");
    QVERIFY(camera.open().ok);
    const VideoHeader h = VideoHeader::make(320, 240, 24);
    QVERIFY(camera.start(h).ok);
    QCOMPARE(io->requestedSize("/dev/video0"), QSize(320, 240));
    QCOMPARE(io->requestedFormat("/dev/video0"), std::uint32_t(V4L2_PIX_FMT_BGR24));
    QCOMPARE(camera.deliveredSize(), QSize(320, 240));
    Frame frame;
    QCOMPARE(readOne(camera, frame).status, FrameSource::Read::Frame);
    QCOMPARE(frame.size(), std::size_t(h.imageSize()));
    QVERIFY(showsCameraPixel(frame, h, 0, 0, 0, 0));
    QVERIFY(showsCameraPixel(frame, h, 200, 100, 200, 100));
}

void TestV4l2Camera::biggerCameraIsScaledDown()
{
    auto io = fakeWith(cameraOf({{640, 480}}));
    V4l2Camera camera(io, "/dev/video0");
    QVERIFY(camera.open().ok);
    const VideoHeader h = VideoHeader::make(320, 240, 24);
    QVERIFY(camera.start(h).ok);
    QCOMPARE(camera.deliveredSize(), QSize(640, 480)); // re-read from the driver
    Frame frame;
    QCOMPARE(readOne(camera, frame).status, FrameSource::Read::Frame);
    QCOMPARE(frame.size(), std::size_t(h.imageSize()));
    QVERIFY(showsCameraPixel(frame, h, 10, 20, 20, 40));
    QVERIFY(showsCameraPixel(frame, h, 100, 110, 200, 220));
}

void TestV4l2Camera::paddedRowsAndReadOnlyDevices_data()
{
    QTest::addColumn<int>("padding");
    QTest::addColumn<bool>("readOnly");
    QTest::newRow("padded rows") << 32 << false;
    QTest::newRow("read() only") << 0 << true;
    QTest::newRow("read() with padded rows") << 12 << true;
}

void TestV4l2Camera::paddedRowsAndReadOnlyDevices()
{
    QFETCH(int, padding);
    QFETCH(bool, readOnly);
    FakeNode node = cameraOf({{160, 120}});
    node.rowPadding = padding;
    if (readOnly)
        node.deviceCaps = node.capabilities = V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_READWRITE;
    auto io = fakeWith(node);
    V4l2Camera camera(io, "/dev/video0");
    QVERIFY(camera.open().ok);
    const VideoHeader h = VideoHeader::make(160, 120, 24);
    QVERIFY(camera.start(h).ok);
    Frame frame;
    QCOMPARE(readOne(camera, frame).status, FrameSource::Read::Frame);
    QCOMPARE(frame.size(), std::size_t(h.imageSize()));
    QVERIFY(showsCameraPixel(frame, h, 159, 119, 159, 119));
    QVERIFY(showsCameraPixel(frame, h, 7, 90, 7, 90));
}

void TestV4l2Camera::settlingFramesAreDropped()
{
    auto io = fakeWith(cameraOf({{64, 48}}));
    V4l2Camera camera(io, "/dev/video0");
    QVERIFY(camera.open().ok);
    const VideoHeader h = VideoHeader::make(64, 48, 24);
    QVERIFY(camera.start(h).ok);
    Frame frame;
    QCOMPARE(readOne(camera, frame).status, FrameSource::Read::Frame);
    // The blue byte carries the camera's frame number.
    QCOMPARE(int(pixel(frame, h, 0, 0)[0]), V4l2Camera::SettleFrames + 1);
    QCOMPARE(readOne(camera, frame).status, FrameSource::Read::Frame);
    QCOMPARE(int(pixel(frame, h, 0, 0)[0]), V4l2Camera::SettleFrames + 2);
}

void TestV4l2Camera::openFailureGivesReason()
{
    FakeNode node;
    node.openError = EACCES;
    auto io = fakeWith(node);
    V4l2Camera camera(io, "/dev/video0");
    const CaptureResult r = camera.open();
    QVERIFY(!r.ok);
    QVERIFY2(r.reason.contains("/dev/video0") && r.reason.contains(errorText(EACCES)),
             qPrintable(r.reason));
    QVERIFY(!camera.start(VideoHeader::make(320, 240, 24)).ok);
}

void TestV4l2Camera::unusableDevicesAreRefused_data()
{
    QTest::addColumn<std::uint32_t>("deviceCaps");
    QTest::addColumn<std::uint32_t>("pixelFormat");
    QTest::addColumn<bool>("opens");
    QTest::newRow("metadata node") << std::uint32_t(V4L2_CAP_META_CAPTURE | V4L2_CAP_STREAMING)
                                   << std::uint32_t(V4L2_PIX_FMT_BGR24) << false;
    QTest::newRow("no way to read")
        << std::uint32_t(V4L2_CAP_VIDEO_CAPTURE) << std::uint32_t(V4L2_PIX_FMT_BGR24) << false;
    QTest::newRow("format not converted")
        << std::uint32_t(V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_STREAMING)
        << std::uint32_t(V4L2_PIX_FMT_H264) << true;
}

void TestV4l2Camera::unusableDevicesAreRefused()
{
    QFETCH(std::uint32_t, deviceCaps);
    QFETCH(std::uint32_t, pixelFormat);
    QFETCH(bool, opens);
    FakeNode node;
    node.deviceCaps = deviceCaps;
    node.pixelFormat = pixelFormat;
    auto io = fakeWith(node);
    V4l2Camera camera(io, "/dev/video0");
    const CaptureResult opened = camera.open();
    QCOMPARE(opened.ok, opens);
    if (opens) {
        const CaptureResult started = camera.start(VideoHeader::make(320, 240, 24));
        QVERIFY(!started.ok);
        QVERIFY(!started.reason.isEmpty());
    } else {
        QVERIFY(!opened.reason.isEmpty());
        QCOMPARE(io->openDescriptors(), 0);
    }
}

void TestV4l2Camera::vanishedDeviceIsLost()
{
    FakeNode node = cameraOf({{64, 48}});
    node.loseAfterFrames = V4l2Camera::SettleFrames + 2;
    auto io = fakeWith(node);
    {
        V4l2Camera camera(io, "/dev/video0");
        QVERIFY(camera.open().ok);
        QVERIFY(camera.start(VideoHeader::make(64, 48, 24)).ok);
        Frame frame;
        QCOMPARE(readOne(camera, frame).status, FrameSource::Read::Frame);
        QCOMPARE(readOne(camera, frame).status, FrameSource::Read::Frame);
        const FrameSource::ReadResult r = readOne(camera, frame);
        QCOMPARE(r.status, FrameSource::Read::Lost);
        QVERIFY2(r.reason.contains(errorText(ENODEV)), qPrintable(r.reason));
        camera.stop(); // every call on the vanished device fails: no crash, no hang
    }
    QCOMPARE(io->openDescriptors(), 0);
}

void TestV4l2Camera::formatChangeWhileOpen()
{
    auto io = fakeWith(cameraOf({{640, 480}, {320, 240}}));
    V4l2Camera camera(io, "/dev/video0");
    QVERIFY(camera.open().ok);
    QVERIFY(camera.start(VideoHeader::make(320, 240, 24)).ok);
    Frame frame;
    QCOMPARE(readOne(camera, frame).status, FrameSource::Read::Frame);
    const VideoHeader big = VideoHeader::make(640, 480, 24);
    QVERIFY(camera.start(big).ok);
    QCOMPARE(camera.deliveredSize(), QSize(640, 480));
    QCOMPARE(readOne(camera, frame).status, FrameSource::Read::Frame);
    QCOMPARE(frame.size(), std::size_t(big.imageSize()));
}

void TestV4l2Camera::libv4l2RefusesWhatIsNoCamera_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("error");
    QTest::newRow("not a video device") << QStringLiteral("/dev/null") << ENOTTY;
    QTest::newRow("no such node") << QStringLiteral("/dev/video-none") << ENOENT;
}

// The real libv4l2 path, on nodes every machine has (or has not).
void TestV4l2Camera::libv4l2RefusesWhatIsNoCamera()
{
    QFETCH(QString, path);
    QFETCH(int, error);
    V4l2Camera camera(std::make_shared<LibV4l2DeviceIo>(), path);
    const CaptureResult r = camera.open();
    QVERIFY(!r.ok);
    QVERIFY2(r.reason.contains(path) && r.reason.contains(errorText(error)), qPrintable(r.reason));
}

QTEST_APPLESS_MAIN(TestV4l2Camera)
#include "tst_v4l2camera.moc"
