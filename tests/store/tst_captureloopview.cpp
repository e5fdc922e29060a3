// The capture loop against a recorded view and a capture service without a window: what
// Start/stop shows and switches, the pictures a run stores, and how a run ends when a picture
// cannot be written or the device goes away.
#include "capture/capturesession.h"
#include "capture/capturesettings.h"
#include "common/fakecaptureservice.h"
#include "common/fakesound.h"
#include "common/fakestoreview.h"
#include "common/recordedmessages.h"
#include "common/tempworkdir.h"
#include "shell/applicationstate.h"
#include "shell/timer/threadedtimer.h"
#include "shell/videohost.h"
#include "store/captureloop.h"
#include "store/intervalcontrols.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>

namespace {
struct NoVideoHost : VideoHost
{
    void embedCaptureWindow(QWidget *) override {}
    QSize captureWindowSize() const override { return {800, 627}; }
};
} // namespace

class TestCaptureLoopView : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void startAndStopShowTheRun();
    void overlayRunShowsPreviewAndComesBack();
    void ticksStoreNumberedPictures();
    void previewFramesRewriteTheFirstPicture();
    void unwritablePictureEndsTheRun_data();
    void unwritablePictureEndsTheRun();
    void lostDeviceEndsTheRun();
    void skippedPicturesAreShown();
    void overwritingAnEarlierRunIsSaidOnce();

private:
    void press() { m_loop->startStop(); }

    std::unique_ptr<TempWorkDir> m_dir;
    FakeStoreView m_view;
    ApplicationState m_state;
    FakeSound m_click;
    ThreadedTimer m_timer;
    CaptureSettings m_settings;
    FakeCaptureService m_service;
    NoVideoHost m_host;
    RecordedMessages m_messages;
    std::unique_ptr<CaptureSession> m_session;
    std::unique_ptr<IntervalControls> m_interval;
    std::unique_ptr<CaptureLoop> m_loop;
};

void TestCaptureLoopView::init()
{
    m_dir = std::make_unique<TempWorkDir>();
    m_view = {};
    m_state = {};
    m_state.FormatChosen = true;
    m_messages = {};
    m_session = std::make_unique<CaptureSession>(m_service, m_state, m_settings, m_host);
    m_service.setUserData(reinterpret_cast<std::uintptr_t>(m_session.get()));
    m_interval = std::make_unique<IntervalControls>(m_view, m_state, m_click.sound, m_timer);
    m_loop = std::make_unique<CaptureLoop>(m_view, m_state, m_click.sound, m_timer, *m_session,
                                           *m_interval, m_messages);
}

void TestCaptureLoopView::cleanup()
{
    m_loop.reset();
    m_interval.reset();
    m_session.reset();
    m_dir.reset();
}

void TestCaptureLoopView::startAndStopShowTheRun()
{
    QSignalSpy started(m_loop.get(), &CaptureLoop::started);
    QSignalSpy stopped(m_loop.get(), &CaptureLoop::stopped);
    press();
    QCOMPARE(m_view.startCaption, QStringLiteral("stop!"));
    QCOMPARE(m_view.startColour, 235);
    QVERIFY(m_state.CaptureRunning);
    QVERIFY(!m_view.clockRunning);
    QVERIFY(m_view.timeText.startsWith(QStringLiteral("Start time =  ")));
    QVERIFY(!m_view.overlayEnabled); // "Preview" is checked
    QVERIFY(m_timer.isEnabled());
    QCOMPARE(started.count(), 1);

    press();
    QCOMPARE(m_view.startCaption, QStringLiteral("start"));
    QCOMPARE(m_view.startColour, 1);
    QVERIFY(!m_state.CaptureRunning);
    QVERIFY(m_view.clockRunning);
    QVERIFY(m_view.overlayEnabled);
    QVERIFY(!m_timer.isEnabled());
    QVERIFY(m_service.previewing);
    QCOMPARE(stopped.count(), 1);
    QVERIFY(m_messages.errors.isEmpty());
}

void TestCaptureLoopView::overlayRunShowsPreviewAndComesBack()
{
    m_view.preview = false;
    m_view.overlay = true;
    press();
    QVERIFY(m_state.OverlayWasOn);
    press();
    QCOMPARE(m_view.boxChanges, QStringList({"preview:1", "overlay:1"}));
}

void TestCaptureLoopView::ticksStoreNumberedPictures()
{
    QSignalSpy first(m_loop.get(), &CaptureLoop::firstPictureStored);
    QSignalSpy stored(m_loop.get(), &CaptureLoop::pictureStored);
    press();
    m_loop->captureTick();
    m_loop->captureTick();
    QVERIFY(m_dir->exists("1/capture0.jpg"));
    QVERIFY(m_dir->exists("1/capture1.jpg"));
    QCOMPARE(m_state.PictureCounter, 2);
    QCOMPARE(m_view.framesText, QStringLiteral("2 frms captured"));
    QCOMPARE(m_view.picturePath, QStringLiteral("1/capture1.jpg"));
    QCOMPARE(first.count(), 1);
    QCOMPARE(stored.count(), 2);

    press();
    m_loop->captureTick(); // stopped: nothing is stored
    QCOMPARE(m_state.PictureCounter, 2);
    QVERIFY(!m_dir->exists("1/capture2.jpg"));
}

// Between Start and the first tick the live picture goes on rewriting the picture to come.
void TestCaptureLoopView::previewFramesRewriteTheFirstPicture()
{
    m_service.deliverPreview(FakeCaptureService::frame());
    QVERIFY(!m_dir->exists("1/capture0.jpg")); // not while stopped
    press();
    m_service.deliverPreview(FakeCaptureService::frame(40));
    QVERIFY(m_dir->exists("1/capture0.jpg"));
    QCOMPARE(m_state.PictureCounter, 0);
    m_loop->captureTick();
    QVERIFY(!m_service.callback); // cleared by the tick
}

void TestCaptureLoopView::unwritablePictureEndsTheRun_data()
{
    QTest::addColumn<bool>("byPreview");
    QTest::newRow("grabbed frame") << false;
    QTest::newRow("preview frame before the first tick") << true;
}

void TestCaptureLoopView::unwritablePictureEndsTheRun()
{
    QFETCH(bool, byPreview);
    QVERIFY(QDir().mkpath("1/capture0.jpg")); // a directory where the picture should go
    press();
    if (byPreview)
        m_service.deliverPreview(FakeCaptureService::frame());
    else
        m_loop->captureTick();
    QVERIFY(!m_state.CaptureRunning);
    QVERIFY(!m_loop->toggledOn());
    QCOMPARE(m_view.startCaption, QStringLiteral("start"));
    // Nothing was stored under that number, so the next run tries it again.
    QCOMPARE(m_state.PictureCounter, 0);
    QTRY_COMPARE(m_messages.errors.size(), 1);
    QVERIFY2(m_messages.errors.first().startsWith(
                 QStringLiteral("Capture stopped: the picture 1/capture0.jpg: ")),
             qPrintable(m_messages.errors.first()));
}

void TestCaptureLoopView::lostDeviceEndsTheRun()
{
    m_loop->cameraRecovery().setPatience(std::chrono::milliseconds(50));
    m_service.deviceAbsent = true;
    press();
    emit m_service.deviceLost(QStringLiteral("unplugged"));
    QTRY_VERIFY(!m_state.CaptureRunning); // once it has not come back in time
    QCOMPARE(m_view.startCaption, QStringLiteral("start"));
    QTRY_COMPARE(m_messages.errors,
                 QStringList{"Capture stopped: the video device is gone (unplugged)."});
}

// Due times a run could not keep are not made up; the status bar says how many went by.
void TestCaptureLoopView::skippedPicturesAreShown()
{
    emit m_timer.ticksSkipped(2);
    QVERIFY(m_view.statusNote.isEmpty()); // not while stopped
    press();
    QCOMPARE(m_timer.pacing(), Pacing::Grid);
    emit m_timer.ticksSkipped(1);
    QVERIFY(m_view.statusNote.startsWith(QStringLiteral("1 picture skipped at ")));
    emit m_timer.ticksSkipped(3);
    QVERIFY(m_view.statusNote.startsWith(QStringLiteral("3 pictures skipped at ")));
    m_loop->captureTick();
    QCOMPARE(m_state.PictureCounter, 1); // the numbers stay consecutive
}

void TestCaptureLoopView::overwritingAnEarlierRunIsSaidOnce()
{
    const QDateTime old = QDateTime::currentDateTime().addDays(-1);
    for (const char *path : {"1/capture1.jpg", "1/capture2.jpg"}) {
        QDir().mkpath("1");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.setFileTime(old, QFileDevice::FileModificationTime));
    }
    press();
    m_loop->captureTick();
    QVERIFY(m_view.statusNote.isEmpty()); // a new picture replaces nothing
    m_loop->captureTick();
    const QString note =
        QStringLiteral("Overwriting pictures of an earlier run from 1/capture1.jpg");
    QCOMPARE(m_view.statusNote, note);
    QVERIFY(m_state.CaptureRunning); // capture goes on
    m_loop->captureTick();
    QCOMPARE(m_view.statusNote, note); // said once, and it stays
    press();
    press();
    QVERIFY(m_view.statusNote.isEmpty()); // until the next Start
}

QTEST_GUILESS_MAIN(TestCaptureLoopView)
#include "tst_captureloopview.moc"
