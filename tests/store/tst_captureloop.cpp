// Start/stop and the capture tick in the whole program: the refusal without a format, the
// caption and clock while running and after, "Clear" pausing a run, ticks while stopped, and
// what a run does when a picture cannot be written or the grab brings no frame.
#include "capture/framescanner.h"
#include "capture/service/testsceneoptions.h"
#include "common/captureapp.h"
#include "motion/motioncapture.h"
#include "shell/clocksource.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTest>

namespace {
QColor captionColour(QPushButton *start)
{
    return start->palette().color(QPalette::ButtonText);
}

struct FixedClock : ClockSource
{
    QDateTime time{QDate(2026, 12, 8), QTime(13, 23, 6)};
    QDateTime now() const override { return time; }
};

// Takes the frames meant for the motion scan, as armed motion detection does.
struct ScanProbe : FrameScanner
{
    QImage frame;
    bool scanArmed() const override { return true; }
    void takeFrame(const QImage &bitmap, const QDateTime &) override { frame = bitmap.copy(); }
};
} // namespace

class TestCaptureLoop : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void startRefusedWithoutFormat_data();
    void startRefusedWithoutFormat();
    void startShowsRunningAndSecondPressStops();
    void clearDuringCaptureNeedsTwoPresses();
    void tickWhileStoppedStoresNothing();
    void unwritablePictureStopsCapture_data();
    void unwritablePictureStopsCapture();
    void missingFrameAdvancesAndIsShown();
    void threeMissingFramesInARowStopCapture();
    void timeStampOnStoredPicturesOnly();

private:
    /// Started, with the test scene connected and the format confirmed.
    void makeReady();

    std::unique_ptr<CaptureApp> m_app;
};

void TestCaptureLoop::init()
{
    m_app = std::make_unique<CaptureApp>();
    QVERIFY(m_app->dir.isValid());
}

void TestCaptureLoop::cleanup()
{
    m_app.reset();
}

void TestCaptureLoop::makeReady()
{
    QString error;
    QVERIFY2(m_app->ready(&error), qPrintable(error));
}

void TestCaptureLoop::startRefusedWithoutFormat_data()
{
    QTest::addColumn<bool>("driverChosen");
    QTest::newRow("no driver") << false;
    QTest::newRow("driver but no format") << true;
}

void TestCaptureLoop::startRefusedWithoutFormat()
{
    QFETCH(bool, driverChosen);
    CaptureApp &a = *m_app;
    QString error;
    QVERIFY2(a.start(&error), qPrintable(error));
    if (driverChosen)
        QVERIFY(a.chooseTestScene());
    QDir("1").removeRecursively();

    a.panel()->start->click();
    QCOMPARE(a.messages->informations, QStringList{"Select a videoformat first!"});
    QCOMPARE(a.panel()->start->text(), QStringLiteral("Start"));
    QVERIFY(!a.state().CaptureRunning());
    QVERIFY(!a.loop().toggledOn());
    QVERIFY(a.app->core().clockRunning());
    QVERIFY(QFileInfo("1").isDir()); // created before the format is checked
}

void TestCaptureLoop::startShowsRunningAndSecondPressStops()
{
    makeReady();
    CaptureApp &a = *m_app;
    QPushButton *start = a.panel()->start;
    a.state().setClock(QTime(9, 5, 7)); // as the last clock tick left it

    start->click();
    QCOMPARE(start->text(), QStringLiteral("stop!"));
    QCOMPARE(captionColour(start), QColor(235, 0, 0));
    QCOMPARE(a.panel()->timeBox->text(), QStringLiteral("Start time =  9:05:07"));
    QVERIFY(a.state().CaptureRunning());
    QVERIFY(a.captureTimer().isEnabled());
    QVERIFY(!a.app->core().clockRunning());

    start->click();
    QCOMPARE(start->text(), QStringLiteral("start"));
    QCOMPARE(captionColour(start), QColor(1, 0, 0));
    QVERIFY(!a.state().CaptureRunning());
    QVERIFY(!a.captureTimer().isEnabled());
    QVERIFY(a.app->core().clockRunning());
    QVERIFY(a.messages->informations.isEmpty());

    // A window that changes size ends the run.
    start->click();
    a.main().resize(a.main().size() + QSize(40, 30));
    QTRY_COMPARE(start->text(), QStringLiteral("start"));
    QVERIFY(!a.state().CaptureRunning());
}

void TestCaptureLoop::clearDuringCaptureNeedsTwoPresses()
{
    makeReady();
    CaptureApp &a = *m_app;
    QPushButton *start = a.panel()->start;
    a.startHeld();
    a.ticks(2);

    a.panel()->clear->click();
    QWidget *dialog = a.app->toolWindows().window(ToolWindows::Role::Delete);
    QVERIFY(dialog && dialog->isVisible());
    QVERIFY(!start->isEnabled());
    QCOMPARE(start->text(), QStringLiteral("Start"));
    a.ticks(1); // paused: nothing stored
    QCOMPARE(a.state().PictureCounter(), 2);
    CaptureApp::button(dialog, "cancel")->click();
    QVERIFY(start->isEnabled());

    start->click(); // completes the stop
    QCOMPARE(start->text(), QStringLiteral("start"));
    QVERIFY(!a.state().CaptureRunning());
    QVERIFY(a.app->core().clockRunning());
    a.ticks(1);
    QCOMPARE(a.state().PictureCounter(), 2);

    a.startHeld();
    QCOMPARE(start->text(), QStringLiteral("stop!"));
    a.ticks(1);
    QCOMPARE(a.state().PictureCounter(), 3);
    QVERIFY(QFileInfo::exists("1/capture2.jpg"));
}

void TestCaptureLoop::tickWhileStoppedStoresNothing()
{
    makeReady();
    CaptureApp &a = *m_app;
    QVERIFY(QFile::remove("1/capture0.jpg")); // the test picture
    const QString framesShown = a.panel()->framesBox->text();

    a.ticks(3);
    QVERIFY(!QFileInfo::exists("1/capture0.jpg"));
    QCOMPARE(a.state().PictureCounter(), 0);
    QCOMPARE(a.panel()->framesBox->text(), framesShown);
    QCOMPARE(a.panel()->picturePathBox->text(), QStringLiteral("1/capture.jpg"));

    // Stopped after a run, too.
    a.startHeld();
    a.panel()->start->click();
    a.ticks(1);
    QVERIFY(!QFileInfo::exists("1/capture0.jpg"));
    QCOMPARE(a.state().PictureCounter(), 0);
}

void TestCaptureLoop::unwritablePictureStopsCapture_data()
{
    // Permissions do not stop root, so the store is blocked by what stands in its way.
    QTest::addColumn<bool>("directoryIsFile");
    QTest::newRow("picture path is a directory") << false;
    QTest::newRow("directory 1 is a file") << true;
}

void TestCaptureLoop::unwritablePictureStopsCapture()
{
    QFETCH(bool, directoryIsFile);
    makeReady();
    CaptureApp &a = *m_app;
    a.startHeld();
    a.ticks(1);
    if (directoryIsFile) {
        QVERIFY(QDir("1").removeRecursively());
        QFile file("1");
        QVERIFY(file.open(QIODevice::WriteOnly));
    } else {
        QVERIFY(QDir().mkdir("1/capture1.jpg"));
    }

    a.ticks(1);
    QCOMPARE(a.panel()->start->text(), QStringLiteral("start"));
    QVERIFY(!a.state().CaptureRunning());
    QVERIFY(!a.captureTimer().isEnabled());
    QTRY_COMPARE(a.messages->errors.size(), 1);
    const QString message = a.messages->errors.first();
    QVERIFY2(message.contains(QRegularExpression("1/capture1\\.jpg: \\w")), qPrintable(message));
    // Nothing was stored under that number, so the next run tries it again.
    QCOMPARE(a.state().PictureCounter(), 1);
}

void TestCaptureLoop::missingFrameAdvancesAndIsShown()
{
    makeReady();
    CaptureApp &a = *m_app;
    a.startHeld();
    a.app->core().session().DisconnectDriver();

    a.ticks(1);
    QCOMPARE(a.state().PictureCounter(), 1);
    QCOMPARE(a.panel()->framesBox->text(), QStringLiteral("1 frms captured"));
    QVERIFY2(QRegularExpression("^No frame at \\d{1,2}:\\d\\d:\\d\\d")
                 .match(a.main().statusNote())
                 .hasMatch(),
             qPrintable(a.main().statusNote()));
    QVERIFY(a.state().CaptureRunning());
    QVERIFY(!QFileInfo::exists("1/capture1.jpg"));

    // The note goes with the next Start.
    a.panel()->start->click();
    a.startHeld();
    QVERIFY(a.main().statusNote().isEmpty());
    QVERIFY(a.messages->errors.isEmpty());
}

void TestCaptureLoop::threeMissingFramesInARowStopCapture()
{
    makeReady();
    CaptureApp &a = *m_app;
    CaptureSession &session = a.app->core().session();
    a.startHeld();
    session.DisconnectDriver();
    a.ticks(2);
    // A frame in between starts the count again.
    QVERIFY(session.ConnectDriver(false, true, false));
    a.ticks(1);
    QVERIFY(QFileInfo::exists("1/capture2.jpg"));
    session.DisconnectDriver();
    a.ticks(2);
    QVERIFY(a.state().CaptureRunning());
    QCOMPARE(a.state().PictureCounter(), 5);

    a.ticks(1);
    QVERIFY(!a.state().CaptureRunning());
    QCOMPARE(a.panel()->start->text(), QStringLiteral("start"));
    QTRY_COMPARE(a.messages->errors.size(), 1);
    QVERIFY2(a.messages->errors.first().contains("3 grabs in a row"),
             qPrintable(a.messages->errors.first()));
}

// "Time stamp on pictures", off at start and checked by keyboard, puts the clock's time on the
// pictures the run stores, not on the frames for the motion scan; unchecked, pictures are plain.
void TestCaptureLoop::timeStampOnStoredPicturesOnly()
{
    CaptureApp &a = *m_app;
    auto *clock = new FixedClock;
    a.app->setClockSource(std::unique_ptr<ClockSource>(clock));
    makeReady();
    TestSceneOptions &scene = a.scene();
    scene.motion = scene.clock = false; // a still scene: every frame alike
    auto *box =
        a.tool<QWidget>(ToolWindows::Role::CustomSettings)->findChild<QCheckBox *>("timeStamp");
    CaptureSession &session = a.app->core().session();
    ScanProbe probe;
    a.startHeld();
    a.ticks(1);
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Space);
    a.ticks(1);
    session.setScanner(&probe);
    QVERIFY(session.GrabFrame());
    session.setScanner(&a.app->motionCapture());
    box->click();
    a.ticks(1);
    const VideoHeader format = VideoHeader::make(320, 240, 24);
    QVERIFY(PictureWriter().store(probe.frame, format, 100, false, "plain.jpg"));
    QVERIFY(PictureWriter().store(probe.frame, format, 100, false, "stamped.jpg", clock->time));
    for (const char *plain : {"1/capture0.jpg", "1/capture2.jpg"})
        QCOMPARE(CaptureApp::picture(plain), CaptureApp::picture("plain.jpg"));
    QCOMPARE(CaptureApp::picture("1/capture1.jpg"), CaptureApp::picture("stamped.jpg"));
}

QTEST_MAIN(TestCaptureLoop)
#include "tst_captureloop.moc"
