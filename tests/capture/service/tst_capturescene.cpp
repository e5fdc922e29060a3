// The capture service with its built-in test scene, as the program drives it, headless.
#include "capture/service/capturewidget.h"
#include "capture/service/linuxcaptureservice.h"
#include "capture/service/testsceneoptions.h"
#include "fakedeviceio.h"

#include <QSignalSpy>
#include <QTest>

class TestCaptureScene : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void windowIsChildOfVideoArea();
    void grabDeliversOneWholeFrame();
    void successiveGrabsAreFresh();
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
    int connectScene();

    std::unique_ptr<QWidget> m_videoArea;
    std::unique_ptr<LinuxCaptureService> m_service;
    std::vector<QByteArray> m_frames;
};

namespace {
const VideoHeader Qvga = VideoHeader::make(320, 240, 24);
}

void TestCaptureScene::init()
{
    m_videoArea = std::make_unique<QWidget>();
    m_videoArea->resize(400, 300);
    m_videoArea->show();
    m_service = std::make_unique<LinuxCaptureService>(std::make_shared<FakeDeviceIo>());
    m_frames.clear();
}

void TestCaptureScene::cleanup()
{
    m_service.reset();
    m_videoArea.reset();
}

int TestCaptureScene::connectScene()
{
    const int index = int(m_service->driverDescriptions().indexOf("Vardella test scene"));
    if (!m_service->createWindow(m_videoArea.get(), QSize(320, 240)) ||
        !m_service->connectDriver(index) || !m_service->setVideoFormat(Qvga))
        return -1;
    m_service->setFrameCallback([this](const CapturedFrame &f) {
        m_frames.emplace_back(reinterpret_cast<const char *>(f.data), qsizetype(f.size));
    });
    return index;
}

void TestCaptureScene::windowIsChildOfVideoArea()
{
    QVERIFY(m_service->createWindow(m_videoArea.get(), QSize(800, 627)));
    QWidget *window = m_service->window();
    QVERIFY(window);
    QCOMPARE(window->parentWidget(), m_videoArea.get());
    QCOMPARE(window->geometry(), QRect(0, 0, 800, 627));
    QVERIFY(window->isVisible());
    // A second window replaces the first.
    QVERIFY(m_service->createWindow(m_videoArea.get(), QSize(100, 100)));
    QCOMPARE(m_videoArea->findChildren<CaptureWidget *>().size(), 1);
}

void TestCaptureScene::grabDeliversOneWholeFrame()
{
    QVERIFY(connectScene() >= 0);
    QVERIFY2(m_service->grabFrame(), qPrintable(m_service->lastError()));
    QCOMPARE(m_frames.size(), std::size_t(1));
    QCOMPARE(m_frames[0].size(), qsizetype(Qvga.imageSize()));
    QCOMPARE(m_frames[0].size(), 320 * 240 * 3);
    // The window shows the grabbed frame.
    const QImage shown = static_cast<CaptureWidget *>(m_service->window())->picture();
    QCOMPARE(shown.size(), QSize(320, 240));
}

void TestCaptureScene::successiveGrabsAreFresh()
{
    QVERIFY(connectScene() >= 0);
    m_service->testSceneOptions().motion = false; // the clock alone must tell frames apart
    for (int i = 0; i < 4; ++i)
        QVERIFY2(m_service->grabFrame(), qPrintable(m_service->lastError()));
    QCOMPARE(m_frames.size(), std::size_t(4));
    for (std::size_t i = 1; i < m_frames.size(); ++i)
        QVERIFY(m_frames[i] != m_frames[i - 1]);
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
    for (const QByteArray &f : m_frames)
        QCOMPARE(f.size(), qsizetype(Qvga.imageSize()));
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
    QVERIFY(m_service->grabFrame());
    QVERIFY(m_frames.back() != m_frames[m_frames.size() - 2]);
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
    QVERIFY(m_service->createWindow(m_videoArea.get(), QSize(400, 300)));
    QVERIFY(m_service->connectDriver(int(m_service->driverDescriptions().size()) - 1));
    QVERIFY(m_service->setVideoFormat(VideoHeader::make(160, 120, 24)));
    QVERIFY(m_service->grabFrame());
    QWidget *window = m_service->window();
    // Unscaled, the 160 x 120 picture sits at the top left on black.
    QImage shot = window->grab().toImage();
    QCOMPARE(shot.pixelColor(399, 299), QColor(Qt::black));
    QVERIFY(shot.pixelColor(100, 100) != QColor(Qt::black));
    QVERIFY(m_service->setScale(true));
    shot = window->grab().toImage();
    QVERIFY(shot.pixelColor(399, 299) != QColor(Qt::black));
}

void TestCaptureScene::operationsWithoutWindowFail()
{
    QVERIFY(!m_service->windowExists());
    QVERIFY(!m_service->connectDriver(0));
    QVERIFY(!m_service->lastError().isEmpty());
    QVERIFY(!m_service->disconnectDriver());
    QVERIFY(!m_service->stop());
    QVERIFY(!m_service->setVideoFormat(Qvga));
    QVERIFY(!m_service->setPreview(true));
    QVERIFY(!m_service->setPreview(false));
    QVERIFY(!m_service->setOverlay(true));
    QVERIFY(!m_service->setScale(true));
    QVERIFY(!m_service->setPreviewRate(33));
    QVERIFY(!m_service->setUserData(42));
    QCOMPARE(m_service->userData(), std::uintptr_t(0));
    QVERIFY(!m_service->setFrameCallback([](const CapturedFrame &) {}));
    QVERIFY(!m_service->grabFrame());
    QVERIFY(!m_service->showSourceDialog(nullptr));
}

void TestCaptureScene::operationsWithoutDriverFail()
{
    QVERIFY(m_service->createWindow(m_videoArea.get(), QSize(320, 240)));
    QVERIFY(!m_service->grabFrame());
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
    QVERIFY(!m_service->grabFrame());
    QVERIFY(!m_service->lastError().isEmpty());
    QVERIFY(m_service->windowExists()); // destroying it is the caller's business
    QCOMPARE(m_frames.size(), std::size_t(1));
}

void TestCaptureScene::badConnectsAndFormats()
{
    QVERIFY(m_service->createWindow(m_videoArea.get(), QSize(320, 240)));
    QVERIFY(!m_service->connectDriver(1)); // only the scene is there
    QVERIFY(m_service->lastError().contains("1"));
    QVERIFY(!m_service->connectDriver(-1));
    QVERIFY(m_service->connectDriver(0));
    QVERIFY(!m_service->setVideoFormat(VideoHeader::make(320, 240, 8)));
    QVERIFY(!m_service->setVideoFormat(VideoHeader::make(0, 240, 24)));
    QVERIFY(!m_service->setVideoFormat(VideoHeader::make(320, -240, 24)));
    QVERIFY(!m_service->setPreviewRate(0));
    // A refused format leaves the previous one working.
    QVERIFY(m_service->setFrameCallback([this](const CapturedFrame &f) {
        m_frames.emplace_back(reinterpret_cast<const char *>(f.data), qsizetype(f.size));
    }));
    QVERIFY(m_service->grabFrame());
    QCOMPARE(m_frames.back().size(), qsizetype(Qvga.imageSize()));
    QVERIFY(m_service->setVideoFormat(VideoHeader::make(161, 121, 24)));
    QVERIFY(m_service->grabFrame());
    QCOMPARE(m_frames.back().size(), qsizetype(VideoHeader::make(161, 121, 24).imageSize()));
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
    QVERIFY(m_service->setFrameCallback([&](const CapturedFrame &f) {
        ++calls;
        QCOMPARE(f.size, std::size_t(Qvga.imageSize()));
        m_service->setFrameCallback({});
        QVERIFY(!m_service->grabFrame()); // no nested grab while a frame is handed over
    }));
    QVERIFY(m_service->grabFrame());
    QVERIFY(m_service->grabFrame());
    QCOMPARE(calls, 1);
}

QTEST_MAIN(TestCaptureScene)
#include "tst_capturescene.moc"
