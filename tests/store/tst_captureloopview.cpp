// The capture core, without widgets, against a recorded view and a capture service without a
// window: what Start/stop shows and switches, the pictures a run stores, and how a run ends
// when a picture cannot be written or the device goes away.
#include "app/capturecore.h"
#include "app/runpresenter.h"
#include "capture/capturesession.h"
#include "common/fakecaptureservice.h"
#include "common/fakesound.h"
#include "common/fakestoreview.h"
#include "common/recordedmessages.h"
#include "common/tempworkdir.h"
#include "shell/clocksource.h"
#include "store/captureloop.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>

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
    void press() { loop().startStop(); }
    CaptureLoop &loop() { return m_core->loop(); }
    ApplicationState &state() { return m_core->state(); }
    ThreadedTimer &timer() { return m_core->captureTimer(); }

    std::unique_ptr<TempWorkDir> m_dir;
    FakeStoreView m_view;
    NoMotionView m_motionView;
    FakeSound m_click;
    FakeSound m_alarm;
    SystemClock m_clock;
    FakeCaptureService m_service;
    RecordedMessages m_messages;
    std::unique_ptr<CaptureCore> m_core;
    std::unique_ptr<RunPresenter> m_presenter;
};

void TestCaptureLoopView::init()
{
    m_dir = std::make_unique<TempWorkDir>();
    m_view = {};
    m_messages = {};
    m_core = std::make_unique<CaptureCore>(
        CaptureCore::Services{m_service, m_clock, m_click.sound, m_alarm.sound, m_messages});
    m_presenter = std::make_unique<RunPresenter>(*m_core, m_view, m_motionView);
    state().setFormatChosen(true);
    m_service.setUserData(reinterpret_cast<std::uintptr_t>(&m_core->session()));
}

void TestCaptureLoopView::cleanup()
{
    m_presenter.reset();
    m_core.reset();
    m_dir.reset();
}

void TestCaptureLoopView::startAndStopShowTheRun()
{
    QSignalSpy started(&loop(), &CaptureLoop::started);
    QSignalSpy stopped(&loop(), &CaptureLoop::stopped);
    press();
    QCOMPARE(m_view.startCaption, QStringLiteral("stop!"));
    QCOMPARE(m_view.startColour, 235);
    QVERIFY(state().CaptureRunning());
    QVERIFY(!m_core->clockRunning());
    QVERIFY(m_view.timeText.startsWith(QStringLiteral("Start time =  ")));
    QVERIFY(!m_view.overlayEnabled); // "Preview" is checked
    QVERIFY(timer().isEnabled());
    QCOMPARE(started.count(), 1);

    press();
    QCOMPARE(m_view.startCaption, QStringLiteral("start"));
    QCOMPARE(m_view.startColour, 1);
    QVERIFY(!state().CaptureRunning());
    QVERIFY(m_core->clockRunning());
    QVERIFY(m_view.overlayEnabled);
    QVERIFY(!timer().isEnabled());
    QVERIFY(m_service.previewing);
    QCOMPARE(stopped.count(), 1);
    QVERIFY(m_messages.errors.isEmpty());
}

void TestCaptureLoopView::overlayRunShowsPreviewAndComesBack()
{
    m_view.preview = false;
    m_view.overlay = true;
    press();
    QVERIFY(state().OverlayWasOn());
    press();
    QCOMPARE(m_view.boxChanges, QStringList({"preview:1", "overlay:1"}));
}

void TestCaptureLoopView::ticksStoreNumberedPictures()
{
    QSignalSpy first(&loop(), &CaptureLoop::firstPictureStored);
    QSignalSpy stored(&loop(), &CaptureLoop::pictureStored);
    press();
    loop().captureTick();
    loop().captureTick();
    QVERIFY(m_dir->exists("1/capture0.jpg"));
    QVERIFY(m_dir->exists("1/capture1.jpg"));
    QCOMPARE(state().PictureCounter(), 2);
    QCOMPARE(m_view.framesText, QStringLiteral("2 frms captured"));
    QCOMPARE(m_view.picturePath, QStringLiteral("1/capture1.jpg"));
    QCOMPARE(first.count(), 1);
    QCOMPARE(stored.count(), 2);

    press();
    loop().captureTick(); // stopped: nothing is stored
    QCOMPARE(state().PictureCounter(), 2);
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
    QCOMPARE(state().PictureCounter(), 0);
    loop().captureTick();
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
        loop().captureTick();
    QVERIFY(!state().CaptureRunning());
    QVERIFY(!loop().toggledOn());
    QCOMPARE(m_view.startCaption, QStringLiteral("start"));
    // Nothing was stored under that number, so the next run tries it again.
    QCOMPARE(state().PictureCounter(), 0);
    QTRY_COMPARE(m_messages.errors.size(), 1);
    QVERIFY2(m_messages.errors.first().startsWith(
                 QStringLiteral("Capture stopped: the picture 1/capture0.jpg: ")),
             qPrintable(m_messages.errors.first()));
}

void TestCaptureLoopView::lostDeviceEndsTheRun()
{
    loop().cameraRecovery().setPatience(std::chrono::milliseconds(50));
    m_service.deviceAbsent = true;
    press();
    emit m_service.deviceLost(QStringLiteral("unplugged"));
    QTRY_VERIFY(!state().CaptureRunning()); // once it has not come back in time
    QCOMPARE(m_view.startCaption, QStringLiteral("start"));
    QTRY_COMPARE(m_messages.errors,
                 QStringList{"Capture stopped: the video device is gone (unplugged)."});
}

// Due times a run could not keep are not made up; the status bar says how many went by.
void TestCaptureLoopView::skippedPicturesAreShown()
{
    emit timer().ticksSkipped(2);
    QVERIFY(m_view.statusNote.isEmpty()); // not while stopped
    press();
    QCOMPARE(timer().pacing(), Pacing::Grid);
    emit timer().ticksSkipped(1);
    QVERIFY(m_view.statusNote.startsWith(QStringLiteral("1 picture skipped at ")));
    emit timer().ticksSkipped(3);
    QVERIFY(m_view.statusNote.startsWith(QStringLiteral("3 pictures skipped at ")));
    loop().captureTick();
    QCOMPARE(state().PictureCounter(), 1); // the numbers stay consecutive
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
    loop().captureTick();
    QVERIFY(m_view.statusNote.isEmpty()); // a new picture replaces nothing
    loop().captureTick();
    const QString note =
        QStringLiteral("Overwriting pictures of an earlier run from 1/capture1.jpg");
    QCOMPARE(m_view.statusNote, note);
    QVERIFY(state().CaptureRunning()); // capture goes on
    loop().captureTick();
    QCOMPARE(m_view.statusNote, note); // said once, and it stays
    press();
    press();
    QVERIFY(m_view.statusNote.isEmpty()); // until the next Start
}

QTEST_GUILESS_MAIN(TestCaptureLoopView)
#include "tst_captureloopview.moc"
