// Motion-triggered capture in the whole program over the test scene: arming from the menu,
// the ignored first report, one batch per motion, re-arming, and the program information
// window that shows the reports.

#include "capture/service/testsceneoptions.h"
#include "common/captureapp.h"
#include "common/fakesound.h"
#include "motion/motioncapture.h"
#include "programs/programinfowindow.h"
#include "programs/timermotionmenu.h"

#include <QSignalSpy>
#include <QTabBar>
#include <QTest>

using Role = ToolWindows::Role;

namespace {
struct MotionApp : CaptureApp
{
    FakeSoundBackend *alarm = new FakeSoundBackend;

    MotionApp()
    {
        app->setSounds(std::make_unique<Sound>(std::make_unique<FakeSoundBackend>()),
                       std::make_unique<Sound>(std::unique_ptr<SoundBackend>(alarm)));
    }

    MotionCapture &motion() { return app->motionCapture(); }
    ProgramInfoWindow *info() { return tool<ProgramInfoWindow>(Role::ProgramInfo); }
    QCheckBox *menuBox(const char *name) { return part<QCheckBox>(menu(), name); }
    QString indicator() { return part(&main(), "motionIndicator")->accessibleDescription(); }

    /// Scans until capture runs, at most count times; true when it runs.
    bool scanUntilCapture(int count)
    {
        for (int i = 0; i < count && !state().CaptureRunning(); ++i)
            motion().scanTick();
        // The test gives the capture ticks itself.
        captureTimer().setEnabled(false);
        return state().CaptureRunning();
    }
    QStringList motionReport() { return info()->paneLines(ProgramInfoWindow::MotionReport); }
};
} // namespace

class TestMotionCapture : public QObject
{
    Q_OBJECT
private slots:
    void stillSceneIgnoresTheFirstReport();
    void motionCapturesOneBatchAndRearms();
    void scanThatCannotGrabDisarmsWithAMessage();
    void menuRefusesWithoutDriverAndStopsCapture();
    void programInfoTabs();
};

void TestMotionCapture::stillSceneIgnoresTheFirstReport()
{
    MotionApp a;
    QString error;
    QVERIFY2(a.ready(&error), qPrintable(error));
    a.scene().motion = false;
    a.scene().clock = false;
    QCOMPARE(a.indicator(), QStringLiteral("not armed"));
    a.arm();
    QVERIFY(a.motion().scanArmed());
    QVERIFY(a.panel()->motionIndicatorBox->isHidden());
    QCOMPARE(a.indicator(), QStringLiteral("armed"));
    QVERIFY(!a.scanUntilCapture(4)); // the first scan compares with black: ignored
    QCOMPARE(a.motion().motionEventCount(), 1);
    QCOMPARE(a.indicator(), QStringLiteral("no motion"));
    QCOMPARE(a.motionReport().size(), 4);
    QCOMPARE(a.alarm->plays, 0);
}

void TestMotionCapture::motionCapturesOneBatchAndRearms()
{
    MotionApp a;
    QString error;
    QVERIFY2(a.ready(&error), qPrintable(error));
    a.scene().motion = false;
    a.scene().clock = false;
    a.state().setPictureCounter(250);
    a.arm();
    QVERIFY(!a.scanUntilCapture(2));

    a.scene().motion = true;
    QVERIFY(a.scanUntilCapture(3));
    QCOMPARE(a.indicator(), QStringLiteral("motion"));
    QCOMPARE(a.alarm->plays, 1);
    QVERIFY(!a.motion().scanArmed());
    QCOMPARE(a.motionReport().size(), 5);
    QVERIFY(a.motionReport()[4].startsWith("  motion detection      1   start date/time :  "));
    QVERIFY(a.motionReport()[4].endsWith("   start on picture no: 250"));

    a.ticks(9);
    QVERIFY(a.state().CaptureRunning());
    a.ticks(1);
    QVERIFY(!a.state().CaptureRunning()); // stopped at 260
    QCOMPARE(a.state().PictureCounter(), 260);
    for (int n = 250; n < 260; ++n)
        QVERIFY2(!CaptureApp::picture(QStringLiteral("1/capture%1.jpg").arg(n)).isNull(),
                 qPrintable(QString::number(n)));
    QVERIFY(!QFile::exists("1/capture260.jpg"));
    QVERIFY(a.motion().scanArmed());
    QCOMPARE(a.motion().motionBatchEnd(), 270);
    QCOMPARE(a.motion().motionEventCount(), 0);

    // Scanning again: the first report is ignored even though the box still moves.
    a.alarm->playing = false;
    a.motion().scanTick();
    QVERIFY(!a.state().CaptureRunning());
    QVERIFY(a.scanUntilCapture(1));
    QCOMPARE(a.alarm->plays, 2);
    QVERIFY(a.motionReport()[5].endsWith("   start on picture no: 260"));
}

void TestMotionCapture::scanThatCannotGrabDisarmsWithAMessage()
{
    MotionApp a;
    QString error;
    QVERIFY2(a.ready(&error), qPrintable(error));
    a.arm();
    QVERIFY(a.app->captureService().disconnectDriver());
    for (int i = 0; i < 3; ++i)
        a.motion().scanTick();
    QVERIFY(!a.motion().scanArmed());
    QVERIFY(!a.panel()->motionIndicatorBox->isHidden());
    QVERIFY(a.main().statusNote().startsWith("No frame at "));
    QTRY_COMPARE(a.messages->errors.size(), 1);
    QVERIFY(a.messages->errors[0].startsWith("Motion detection stopped: 3 grabs in a row"));
}

void TestMotionCapture::menuRefusesWithoutDriverAndStopsCapture()
{
    MotionApp a;
    QString error;
    QVERIFY(a.start(&error));
    a.panel()->prog->click();
    QVERIFY(a.menu()->isVisible());
    for (const char *name : {"activateMD", "activateTimer"}) {
        QCheckBox *box = a.menuBox(name);
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(4, box->height() / 2));
        QVERIFY(!box->isChecked());
        QCOMPARE(box->toolTip(), QStringLiteral("choose a video driver and/or format first!"));
        QCOMPARE(box->cursor().shape(), Qt::WhatsThisCursor);
    }

    QVERIFY(a.chooseTestScene() && a.confirmFormat());
    QCOMPARE(a.menuBox("activateMD")->toolTip(), QString());
    a.startHeld();
    QVERIFY(a.state().CaptureRunning());
    a.menuBox("activateMD")->setChecked(true); // as the keyboard toggles it
    QVERIFY(!a.state().CaptureRunning());
    QVERIFY(a.panel()->motionIndicatorBox->isHidden());
    // The timer program and motion detection exclude each other.
    a.menuBox("activateTimer")->setChecked(true);
    QVERIFY(!a.menuBox("activateMD")->isChecked());
    QVERIFY(!a.panel()->motionIndicatorBox->isHidden());
    a.menuBox("activateMD")->setChecked(true);
    QVERIFY(!a.menuBox("activateTimer")->isChecked());
    // "Cancel" arms nothing; Escape acts as "Cancel".
    CaptureApp::button(a.menu(), "cancelButton")->click();
    QVERIFY(!a.menu()->isVisible());
    QVERIFY(!a.motion().scanArmed());
    QVERIFY(a.menuBox("activateMD")->isChecked());
    // "OK" during a run started by hand leaves the run storing its pictures.
    a.startHeld();
    a.panel()->prog->click();
    CaptureApp::button(a.menu(), "okButton")->click();
    QVERIFY(!a.motion().scanArmed());
    const int next = a.state().PictureCounter();
    a.ticks(1);
    QVERIFY(QFile::exists(QStringLiteral("1/capture%1.jpg").arg(next)));
}

void TestMotionCapture::programInfoTabs()
{
    MotionApp a;
    QString error;
    QVERIFY2(a.ready(&error), qPrintable(error));
    a.panel()->prog->click();
    a.panel()->info->click();
    ProgramInfoWindow *info = a.info();
    QVERIFY(info->isVisible());
    QVERIFY(!a.menu()->isVisible());
    QVERIFY(!a.panel()->view->isEnabled());
    auto *tabs = part<QTabBar>(info, "programInfoTabs");
    QCOMPARE(tabs->count(), 5);
    QCOMPARE(tabs->tabText(3), QStringLiteral("    print      "));
    QCOMPARE(info->visiblePane(), ProgramInfoWindow::Help);

    tabs->setCurrentIndex(ProgramInfoWindow::MotionTab);
    QCOMPARE(info->visiblePane(), ProgramInfoWindow::MotionReport);
    QVERIFY(part(info, "motionReportPane")->isVisible());

    QSignalSpy print(info, &ProgramInfoWindow::printRequested);
    a.startHeld();
    tabs->setCurrentIndex(ProgramInfoWindow::PrintTab);
    QVERIFY(!a.state().CaptureRunning()); // stopped before the question
    QCOMPARE(print.size(), 1);
    QCOMPARE(print[0][0].toString(), QStringLiteral("Print motion detection report ?    "));
    QCOMPARE(print[0][2].toString(), QStringLiteral("MOTION DETECTION REPORT"));
    QCOMPARE(tabs->currentIndex(), int(ProgramInfoWindow::PrintTab));

    tabs->setCurrentIndex(ProgramInfoWindow::CloseTab);
    QVERIFY(!info->isVisible());
    QVERIFY(a.panel()->view->isEnabled());
    QCOMPARE(tabs->currentIndex(), int(ProgramInfoWindow::MotionTab));

    // Entry 101 closes the window.
    a.panel()->info->click();
    for (int i = 0; i < 100; ++i)
        info->writeMotionLine(QDateTime::currentDateTime());
    QVERIFY(info->isVisible());
    info->writeMotionLine(QDateTime::currentDateTime());
    QVERIFY(!info->isVisible());
    QVERIFY(a.panel()->view->isEnabled());
}

QTEST_MAIN(TestMotionCapture)
#include "tst_motioncapture.moc"
