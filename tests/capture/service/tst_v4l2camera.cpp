// A V4L2 camera as a frame source, against the fake device.
#include "capture/camerasizes.h"
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
    void ownSizesBeyondTheList_data();
    void ownSizesBeyondTheList();
};

namespace {
// The system's own words for an error, in the language the test runs in.
QString errorText(int error)
{
    return QString::fromLocal8Bit(strerror(error));
}

using Frame = QImage;

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

// Pixel (x, y) of a frame, as the bytes blue, green, red.
const std::uint8_t *pixel(const Frame &f, int x, int y)
{
    return f.constScanLine(y) + 3 * x;
}

// Checks the fake's pattern: camera pixel (cx, cy) is (k, cx, cy) as BGR.
bool showsCameraPixel(const Frame &f, int x, int y, int cx, int cy)
{
    const std::uint8_t *p = pixel(f, x, y);
    return p[1] == std::uint8_t(cx) && p[2] == std::uint8_t(cy);
}
} // namespace

void TestV4l2Camera::asksForBgr24AtTheWantedSize()
{
    auto io = fakeWith(cameraOf({{640, 480}, {320, 240}}));
    V4l2Camera camera(io, "/dev/video0");
    QVERIFY(camera.open());
    const VideoHeader h = VideoHeader::make(320, 240, 24);
    QVERIFY(camera.start(h));
    QCOMPARE(io->requestedSize("/dev/video0"), QSize(320, 240));
    QCOMPARE(io->requestedFormat("/dev/video0"), std::uint32_t(V4L2_PIX_FMT_BGR24));
    QCOMPARE(camera.deliveredSize(), QSize(320, 240));
    Frame frame;
    QCOMPARE(readOne(camera, frame).status, FrameSource::Read::Frame);
    QCOMPARE(frame.size(), h.size());
    QVERIFY(showsCameraPixel(frame, 0, 0, 0, 0));
    QVERIFY(showsCameraPixel(frame, 200, 100, 200, 100));
}

void TestV4l2Camera::biggerCameraIsScaledDown()
{
    auto io = fakeWith(cameraOf({{640, 480}}));
    V4l2Camera camera(io, "/dev/video0");
    QVERIFY(camera.open());
    const VideoHeader h = VideoHeader::make(320, 240, 24);
    QVERIFY(camera.start(h));
    QCOMPARE(camera.deliveredSize(), QSize(640, 480)); // re-read from the driver
    Frame frame;
    QCOMPARE(readOne(camera, frame).status, FrameSource::Read::Frame);
    QCOMPARE(frame.size(), h.size());
    QVERIFY(showsCameraPixel(frame, 10, 20, 20, 40));
    QVERIFY(showsCameraPixel(frame, 100, 110, 200, 220));
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
    QVERIFY(camera.open());
    const VideoHeader h = VideoHeader::make(160, 120, 24);
    QVERIFY(camera.start(h));
    Frame frame;
    QCOMPARE(readOne(camera, frame).status, FrameSource::Read::Frame);
    QCOMPARE(frame.size(), h.size());
    QVERIFY(showsCameraPixel(frame, 159, 119, 159, 119));
    QVERIFY(showsCameraPixel(frame, 7, 90, 7, 90));
}

void TestV4l2Camera::settlingFramesAreDropped()
{
    auto io = fakeWith(cameraOf({{64, 48}}));
    V4l2Camera camera(io, "/dev/video0");
    QVERIFY(camera.open());
    const VideoHeader h = VideoHeader::make(64, 48, 24);
    QVERIFY(camera.start(h));
    Frame frame;
    QCOMPARE(readOne(camera, frame).status, FrameSource::Read::Frame);
    // The blue byte carries the camera's frame number.
    QCOMPARE(int(pixel(frame, 0, 0)[0]), V4l2Camera::SettleFrames + 1);
    QCOMPARE(readOne(camera, frame).status, FrameSource::Read::Frame);
    QCOMPARE(int(pixel(frame, 0, 0)[0]), V4l2Camera::SettleFrames + 2);
}

void TestV4l2Camera::openFailureGivesReason()
{
    FakeNode node;
    node.openError = EACCES;
    auto io = fakeWith(node);
    V4l2Camera camera(io, "/dev/video0");
    const Result<> r = camera.open();
    QVERIFY(!r);
    QVERIFY2(r.error().contains("/dev/video0") && r.error().contains(errorText(EACCES)),
             qPrintable(r.error()));
    QVERIFY(!camera.start(VideoHeader::make(320, 240, 24)));
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
    const Result<> opened = camera.open();
    QCOMPARE(opened.has_value(), opens);
    if (opens) {
        const Result<> started = camera.start(VideoHeader::make(320, 240, 24));
        QVERIFY(!started);
        QVERIFY(!started.error().isEmpty());
    } else {
        QVERIFY(!opened.error().isEmpty());
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
        QVERIFY(camera.open());
        QVERIFY(camera.start(VideoHeader::make(64, 48, 24)));
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
    QVERIFY(camera.open());
    QVERIFY(camera.start(VideoHeader::make(320, 240, 24)));
    Frame frame;
    QCOMPARE(readOne(camera, frame).status, FrameSource::Read::Frame);
    const VideoHeader big = VideoHeader::make(640, 480, 24);
    QVERIFY(camera.start(big));
    QCOMPARE(camera.deliveredSize(), QSize(640, 480));
    QCOMPARE(readOne(camera, frame).status, FrameSource::Read::Frame);
    QCOMPARE(frame.size(), big.size());
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
    const Result<> r = camera.open();
    QVERIFY(!r);
    QVERIFY2(r.error().contains(path) && r.error().contains(errorText(error)),
             qPrintable(r.error()));
}

using Range = std::optional<std::array<QSize, 3>>;

void TestV4l2Camera::ownSizesBeyondTheList_data()
{
    QTest::addColumn<std::vector<QSize>>("listed");
    QTest::addColumn<Range>("range");
    QTest::addColumn<QList<QSize>>("offered");
    QTest::newRow("single sizes: small, too large and repeated ones left out")
        << std::vector<QSize>{{1920, 1080}, {640, 480}, {2560, 1440}, {800, 600},
                              {1280, 720},  {320, 240}, {800, 600},   {1920, 1200}}
        << Range() << QList<QSize>{{800, 600}, {1280, 720}, {1920, 1080}};
    QTest::newRow("only the listed sizes")
        << std::vector<QSize>{{640, 480}, {160, 120}} << Range() << QList<QSize>{};
    QTest::newRow("steps of 16 from 320 x 240 to 1280 x 720")
        << std::vector<QSize>{} << Range(std::array<QSize, 3>{{{320, 240}, {1280, 720}, {16, 16}}})
        << QList<QSize>{{720, 480}, {720, 576}, {1024, 576}, {1280, 720}};
    QTest::newRow("any size up to 1000 x 1000")
        << std::vector<QSize>{} << Range(std::array<QSize, 3>{{{100, 100}, {1000, 1000}, {1, 1}}})
        << QList<QSize>{{720, 480}, {720, 576}, {800, 600}, {960, 540}};
}

// What the camera lists for the format frames arrive in, as the size list offers it.
void TestV4l2Camera::ownSizesBeyondTheList()
{
    QFETCH(std::vector<QSize>, listed);
    QFETCH(Range, range);
    QFETCH(QList<QSize>, offered);
    FakeNode node = cameraOf(listed.empty() ? std::vector<QSize>{{640, 480}} : listed);
    node.sizeRange = range;
    V4l2Camera camera(fakeWith(node), "/dev/video0");
    QVERIFY(camera.frameSizes().empty()); // not open yet
    QVERIFY(camera.open());
    QCOMPARE(CameraSizes::beyondListed(camera.frameSizes()), offered);
}

QTEST_APPLESS_MAIN(TestV4l2Camera)
#include "tst_v4l2camera.moc"
