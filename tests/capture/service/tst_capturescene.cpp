// The capture service with its built-in test scene, as the program drives it, headless.
#include "capture/service/capturewidget.h"
#include "capture/service/linuxcaptureservice.h"
#include "capture/service/testsceneoptions.h"
#include "fakedeviceio.h"

#include <QPointer>
#include <QSignalSpy>
#include <QTest>

class TestCaptureScene : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void windowIsCreatedHiddenWithoutParent();
    void grabGivesOneWholeFrame();
    void successiveGrabsAreFresh();
    void framesHeldByTheProgramStayAsTheyWere();
    void grabEndsLivePicture();
    void previewFramesReachCallback();
    void grabGivesFrameNotYetGiven();
    void overlayPaintsWithoutCallback();
    void scaleStretchesPicture();
    void operationsWithoutWindowFail();
    void operationsWithoutDriverFail();
    void disconnectThenGrabFails();
    void badConnectsAndFormats();
    void videoAreaDeletingWindow();
    void callbackMayClearItself();

private:
    bool createWindow(QSize size);
    int connectScene();

    std::unique_ptr<QWidget> m_videoArea;
    std::unique_ptr<LinuxCaptureService> m_service;
    std::vector<QImage> m_frames;
};

namespace {
const VideoHeader Qvga = VideoHeader::make(320, 240, 24);

// A frame as the program must see it: top-down BGR of the size asked for.
bool isFrameOf(const QImage &frame, QSize size)
{
    return frame.format() == QImage::Format_BGR888 && frame.size() == size;
}
} // namespace

void TestCaptureScene::init()
{
    m_videoArea = std::make_unique<QWidget>();
    m_videoArea->resize(400, 300);
    m_videoArea->show();
    m_service = std::make_unique<LinuxCaptureService>(std::make_shared<FakeDeviceIo>());
    m_service->setDisplayFactory(CaptureWidget::factory());
    m_frames.clear();
}

void TestCaptureScene::cleanup()
{
    m_service.reset();
    m_videoArea.reset();
}

// A window placed in the video area, as the capture session does it.
bool TestCaptureScene::createWindow(QSize size)
{
    if (!m_service->createWindow(size))
        return false;
    m_service->window()->setParent(m_videoArea.get());
    m_service->window()->show();
    return true;
}

int TestCaptureScene::connectScene()
{
    const int index = int(m_service->driverDescriptions().indexOf("Vardella test scene"));
    if (!createWindow(QSize(320, 240)) || !m_service->connectDriver(index) ||
        !m_service->setVideoFormat(Qvga))
        return -1;
    m_service->setFrameCallback([this](const QImage &f) { m_frames.push_back(f); });
    return index;
}

void TestCaptureScene::windowIsCreatedHiddenWithoutParent()
{
    QVERIFY(m_service->createWindow(QSize(800, 627)));
    const QPointer<QWidget> window = m_service->window();
    QVERIFY(window);
    QCOMPARE(window->parentWidget(), nullptr);
    QCOMPARE(window->size(), QSize(800, 627));
    QVERIFY(!window->isVisible());
    // A second window replaces the first.
    QVERIFY(m_service->createWindow(QSize(100, 100)));
    QVERIFY(!window);
    QCOMPARE(m_service->window()->size(), QSize(100, 100));
    QCOMPARE(m_service->createWindow(QSize(0, 100)).error(),
             QStringLiteral("A capture window needs a width and a height"));
}

void TestCaptureScene::grabGivesOneWholeFrame()
{
    QVERIFY(connectScene() >= 0);
    const Result<QImage> grab = m_service->grabFrame();
    if (!grab)
        QFAIL(qPrintable(grab.error()));
    QVERIFY(isFrameOf(*grab, QSize(320, 240)));
    QVERIFY(m_frames.empty()); // a grabbed frame is returned, not handed to the callback
    // The window shows the grabbed frame, top row on top.
    const QImage shown = static_cast<CaptureWidget *>(m_service->window())->picture();
    QCOMPARE(shown.format(), QImage::Format_RGB32);
    QCOMPARE(shown, grab->convertToFormat(QImage::Format_RGB32));
}

void TestCaptureScene::successiveGrabsAreFresh()
{
    QVERIFY(connectScene() >= 0);
    m_service->testSceneOptions().motion = false; // the clock alone must tell frames apart
    std::vector<QImage> grabs;
    for (int i = 0; i < 4; ++i) {
        const Result<QImage> grab = m_service->grabFrame();
        if (!grab)
            QFAIL(qPrintable(grab.error()));
        grabs.push_back(*grab);
    }
    for (std::size_t i = 1; i < grabs.size(); ++i)
        QVERIFY(grabs[i] != grabs[i - 1]);
    // Without its clock the scene stands still, as motion detection needs for a quiet start.
    m_service->testSceneOptions().clock = false;
    (void)m_service->grabFrame();
    const Result<QImage> first = m_service->grabFrame();
    const Result<QImage> second = m_service->grabFrame();
    QVERIFY(first && second);
    QCOMPARE(*second, *first);
}

// Frames are handed over without copying; one the program keeps must not change under it
// while later frames arrive.
void TestCaptureScene::framesHeldByTheProgramStayAsTheyWere()
{
    QVERIFY(connectScene() >= 0);
    const QImage held = *m_service->grabFrame();
    const QImage snapshot = held.copy();
    QVERIFY(m_service->setPreviewRate(1));
    QVERIFY(m_service->setPreview(true));
    QTRY_VERIFY_WITH_TIMEOUT(m_frames.size() >= 6, 3000);
    QVERIFY(m_service->grabFrame());
    QCOMPARE(held, snapshot);
    QVERIFY(m_frames.front() != m_frames.back());
}

void TestCaptureScene::grabEndsLivePicture()
{
    QVERIFY(connectScene() >= 0);
    QVERIFY(m_service->setPreview(true));
    QVERIFY(m_service->isPreviewing());
    QVERIFY(m_service->grabFrame());
    QVERIFY(!m_service->isPreviewing());
    QVERIFY(m_service->setOverlay(true));
    QVERIFY(m_service->grabFrame());
    QVERIFY(!m_service->isOverlaying());
    // No preview frames reach the callback afterwards.
    const std::size_t after = m_frames.size();
    QTest::qWait(200);
    QCOMPARE(m_frames.size(), after);
}

void TestCaptureScene::previewFramesReachCallback()
{
    QVERIFY(connectScene() >= 0);
    QVERIFY(m_service->setPreviewRate(20));
    QVERIFY(m_service->setPreview(true));
    QTRY_VERIFY_WITH_TIMEOUT(m_frames.size() >= 3, 3000);
    for (const QImage &f : m_frames)
        QVERIFY(isFrameOf(f, QSize(320, 240)));
    QVERIFY(m_frames[1] != m_frames[0]); // each preview frame is a new one
    QVERIFY(m_service->setFrameCallback({}));
    QTest::qWait(50);
    const std::size_t cleared = m_frames.size();
    QTest::qWait(200);
    QCOMPARE(m_frames.size(), cleared);
    QVERIFY(m_service->isPreviewing()); // the picture goes on without the callback
}

void TestCaptureScene::grabGivesFrameNotYetGiven()
{
    QVERIFY(connectScene() >= 0);
    QVERIFY(m_service->setPreviewRate(1));
    QVERIFY(m_service->setPreview(true));
    QTRY_VERIFY_WITH_TIMEOUT(!m_frames.empty(), 3000);
    const Result<QImage> grab = m_service->grabFrame();
    QVERIFY(grab);
    QVERIFY(*grab != m_frames.back());
}

void TestCaptureScene::overlayPaintsWithoutCallback()
{
    QVERIFY(connectScene() >= 0);
    auto *window = static_cast<CaptureWidget *>(m_service->window());
    QVERIFY(window->picture().isNull());
    QVERIFY(m_service->setPreview(true));
    QVERIFY(m_service->setOverlay(true));
    QVERIFY(!m_service->isPreviewing()); // the two exclude each other
    QTRY_VERIFY_WITH_TIMEOUT(!window->picture().isNull(), 3000);
    const QImage first = window->picture();
    QTRY_VERIFY_WITH_TIMEOUT(window->picture() != first, 3000);
    QVERIFY(m_frames.empty());
}

void TestCaptureScene::scaleStretchesPicture()
{
    QVERIFY(createWindow(QSize(400, 300)));
    QVERIFY(m_service->connectDriver(int(m_service->driverDescriptions().size()) - 1));
    QVERIFY(m_service->setVideoFormat(VideoHeader::make(160, 120, 24)));
    const QImage frame = *m_service->grabFrame();
    QWidget *window = m_service->window();
    // Unscaled, the 160 x 120 picture sits at the top left on black.
    QImage shot = window->grab().toImage();
    QCOMPARE(shot.pixelColor(399, 299), QColor(Qt::black));
    QCOMPARE(shot.pixelColor(159, 119), frame.pixelColor(159, 119));
    QCOMPARE(shot.pixelColor(160, 120), QColor(Qt::black));
    QVERIFY(m_service->setScale(true));
    shot = window->grab().toImage();
    const QColor corner = shot.pixelColor(399, 299);
    const QColor expected = frame.pixelColor(159, 119);
    QVERIFY2(qAbs(corner.blue() - expected.blue()) <= 4 &&
                 qAbs(corner.green() - expected.green()) <= 4,
             qPrintable(corner.name()));
}

void TestCaptureScene::operationsWithoutWindowFail()
{
    const QString noWindow = QStringLiteral("There is no capture window");
    QVERIFY(!m_service->windowExists());
    QCOMPARE(m_service->connectDriver(0).error(), noWindow);
    QCOMPARE(m_service->disconnectDriver().error(), noWindow);
    QVERIFY(!m_service->stop());
    QVERIFY(!m_service->setVideoFormat(Qvga));
    QVERIFY(!m_service->setPreview(true));
    QVERIFY(!m_service->setPreview(false));
    QVERIFY(!m_service->setOverlay(true));
    QVERIFY(!m_service->setScale(true));
    QVERIFY(!m_service->setPreviewRate(33));
    QVERIFY(!m_service->setUserData(42));
    QCOMPARE(m_service->userData(), std::uintptr_t(0));
    QVERIFY(!m_service->setFrameCallback([](const QImage &) {}));
    QCOMPARE(m_service->grabFrame().error(), noWindow);
    QVERIFY(!m_service->sourceSettings());
}

void TestCaptureScene::operationsWithoutDriverFail()
{
    QVERIFY(createWindow(QSize(320, 240)));
    QCOMPARE(m_service->grabFrame().error(), QStringLiteral("No capture driver is connected"));
    QVERIFY(!m_service->setPreview(true));
    QVERIFY(!m_service->setOverlay(true));
    QVERIFY(!m_service->setVideoFormat(Qvga));
    QVERIFY(!m_service->disconnectDriver());
    // Settings of the window itself need no driver.
    QVERIFY(m_service->setUserData(42));
    QCOMPARE(m_service->userData(), std::uintptr_t(42));
    QVERIFY(m_service->setScale(true));
    QVERIFY(m_service->setPreviewRate(33));
}

void TestCaptureScene::disconnectThenGrabFails()
{
    QVERIFY(connectScene() >= 0);
    QVERIFY(m_service->grabFrame());
    QVERIFY(m_service->disconnectDriver());
    const Result<QImage> grab = m_service->grabFrame();
    QVERIFY(!grab && !grab.error().isEmpty());
    QVERIFY(m_service->windowExists()); // destroying it is the caller's business
}

void TestCaptureScene::badConnectsAndFormats()
{
    QVERIFY(createWindow(QSize(320, 240)));
    const Result<> noSuchDriver = m_service->connectDriver(1); // only the scene is there
    QVERIFY(!noSuchDriver && noSuchDriver.error().contains("1"));
    QVERIFY(!m_service->connectDriver(-1));
    QVERIFY(m_service->connectDriver(0));
    QVERIFY(!m_service->setVideoFormat(VideoHeader::make(320, 240, 8)));
    QVERIFY(!m_service->setVideoFormat(VideoHeader::make(0, 240, 24)));
    QVERIFY(!m_service->setVideoFormat(VideoHeader::make(320, -240, 24)));
    QVERIFY(!m_service->setPreviewRate(0));
    // A refused format leaves the previous one working; frames follow an accepted one.
    QVERIFY(isFrameOf(*m_service->grabFrame(), QSize(320, 240)));
    QVERIFY(m_service->setVideoFormat(VideoHeader::make(161, 121, 24)));
    QVERIFY(isFrameOf(*m_service->grabFrame(), QSize(161, 121)));
}

void TestCaptureScene::videoAreaDeletingWindow()
{
    QVERIFY(connectScene() >= 0);
    QVERIFY(m_service->setPreview(true));
    delete m_service->window();
    QVERIFY(!m_service->windowExists());
    QVERIFY(!m_service->isConnected());
    QVERIFY(!m_service->grabFrame());
    QTest::qWait(100); // no frame may reach the gone window
    m_service->destroyWindow();
}

void TestCaptureScene::callbackMayClearItself()
{
    QVERIFY(connectScene() >= 0);
    int calls = 0;
    QVERIFY(m_service->setFrameCallback([&](const QImage &f) {
        ++calls;
        QVERIFY(isFrameOf(f, QSize(320, 240)));
        m_service->setFrameCallback({});
        // No nested grab, and the connection stays, while a frame is handed over.
        QCOMPARE(m_service->grabFrame().error(), QStringLiteral("A frame is being handed over"));
        QVERIFY(!m_service->disconnectDriver());
    }));
    QVERIFY(m_service->setPreviewRate(1));
    QVERIFY(m_service->setPreview(true));
    QTRY_COMPARE_WITH_TIMEOUT(calls, 1, 3000);
    QTest::qWait(100);
    QCOMPARE(calls, 1);
    QVERIFY(m_service->isConnected());
    QVERIFY(m_service->grabFrame());
}

QTEST_MAIN(TestCaptureScene)
#include "tst_capturescene.moc"
