// The driver list: capture devices in device-number order, then the test scene, ten at most.
#include "capture/service/capturedevicelist.h"
#include "capture/service/linuxcaptureservice.h"
#include "fakedeviceio.h"

#include <QTest>

class TestCaptureDeviceList : public QObject
{
    Q_OBJECT
private slots:
    void ascendingDeviceNumbers();
    void onlyVideoCaptureNodesAreListed();
    void oldDriverWithoutDeviceCaps();
    void testSceneComesLast();
    void atMostTenEntries();
};

namespace {
FakeNode camera(const QString &path, const QString &card = QStringLiteral("Fake Camera"))
{
    FakeNode node;
    node.path = path;
    node.card = card;
    return node;
}
} // namespace

void TestCaptureDeviceList::ascendingDeviceNumbers()
{
    FakeDeviceIo io;
    io.addNode(camera("/dev/video10", "Ten"));
    io.addNode(camera("/dev/video2", "Two"));
    io.addNode(camera("/dev/video0", "Zero"));
    const auto found = CaptureDeviceList::find(io);
    QCOMPARE(found.size(), std::size_t(3));
    QCOMPARE(found[0].path, QStringLiteral("/dev/video0"));
    QCOMPARE(found[1].path, QStringLiteral("/dev/video2"));
    QCOMPARE(found[2].path, QStringLiteral("/dev/video10"));
    QCOMPARE(found[0].description, QStringLiteral("Zero 6.1.7"));
    QCOMPARE(io.openDescriptors(), 0);
}

void TestCaptureDeviceList::onlyVideoCaptureNodesAreListed()
{
    FakeDeviceIo io;
    io.addNode(camera("/dev/video0", "Webcam"));
    // The same camera's metadata node: the device as a whole can capture, this node cannot.
    FakeNode meta = camera("/dev/video1", "Webcam");
    meta.capabilities = V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_META_CAPTURE | V4L2_CAP_STREAMING;
    meta.deviceCaps = V4L2_CAP_META_CAPTURE | V4L2_CAP_STREAMING;
    io.addNode(meta);
    FakeNode locked = camera("/dev/video2", "Locked");
    locked.openError = EACCES;
    io.addNode(locked);
    FakeNode output = camera("/dev/video3", "Output");
    output.deviceCaps = output.capabilities = V4L2_CAP_VIDEO_OUTPUT | V4L2_CAP_STREAMING;
    io.addNode(output);
    io.addNode(camera("/dev/video-legacy", "Odd name"));
    const auto found = CaptureDeviceList::find(io);
    QCOMPARE(found.size(), std::size_t(1));
    QCOMPARE(found[0].description, QStringLiteral("Webcam 6.1.7"));
}

void TestCaptureDeviceList::oldDriverWithoutDeviceCaps()
{
    FakeDeviceIo io;
    FakeNode old = camera("/dev/video0", "Old");
    old.hasDeviceCaps = false;
    old.version = 0x020612;
    io.addNode(old);
    const auto found = CaptureDeviceList::find(io);
    QCOMPARE(found.size(), std::size_t(1));
    QCOMPARE(found[0].description, QStringLiteral("Old 2.6.18"));
}

void TestCaptureDeviceList::testSceneComesLast()
{
    auto io = std::make_shared<FakeDeviceIo>();
    LinuxCaptureService none(io);
    QCOMPARE(none.driverDescriptions(), QStringList{"Vardella test scene"});
    io->addNode(camera("/dev/video0", "USB Camera"));
    QCOMPARE(none.driverDescriptions(), (QStringList{"USB Camera 6.1.7", "Vardella test scene"}));
}

void TestCaptureDeviceList::atMostTenEntries()
{
    auto io = std::make_shared<FakeDeviceIo>();
    for (int i = 0; i < 9; ++i)
        io->addNode(camera(QStringLiteral("/dev/video%1").arg(i), QStringLiteral("Cam %1").arg(i)));
    LinuxCaptureService service(io);
    QStringList list = service.driverDescriptions();
    QCOMPARE(list.size(), 10);
    QCOMPARE(list.last(), QStringLiteral("Vardella test scene"));
    io->addNode(camera("/dev/video9", "Cam 9"));
    io->addNode(camera("/dev/video10", "Cam 10"));
    list = service.driverDescriptions();
    QCOMPARE(list.size(), 10);
    QCOMPARE(list.last(), QStringLiteral("Cam 9 6.1.7"));
}

QTEST_MAIN(TestCaptureDeviceList)
#include "tst_capturedevicelist.moc"
