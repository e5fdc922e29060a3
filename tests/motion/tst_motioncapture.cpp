// Motion-triggered capture in the whole program over the test scene: arming from the menu,
// the ignored first report, one batch per motion, re-arming, the program information window
// that shows the reports, and the refinements: pictures before a motion, cells to ignore
// painted in their editor, light changes that are no motion.

#include "capture/service/testsceneoptions.h"
#include "common/captureapp.h"
#include "common/fakesound.h"
#include "motion/maskeditor.h"
#include "motion/maskview.h"
#include "motion/motioncapture.h"
#include "programs/programinfowindow.h"
#include "programs/timermotionmenu.h"

#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>
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

QDateTime stored(int n)
{
    return QFileInfo(QStringLiteral("1/capture%1.jpg").arg(n)).lastModified();
}
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
    void picturesBeforeMotionComeFirst();
    void lightChangeIsNoMotion_data();
    void lightChangeIsNoMotion();
    void paintedCellsAreIgnored();
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

// Five frames of the still box, in the order and at the times they were grabbed, then the
// batch of ten as without them.
void TestMotionCapture::picturesBeforeMotionComeFirst()
{
    MotionApp a;
    QString error;
    QVERIFY2(a.ready(&error), qPrintable(error));
    a.scene().motion = false;
    a.scene().clock = false;
    QTest::qWait(150); // no frame drawn before the scene stood still is scanned
    a.state().setPictureCounter(250);
    a.panel()->prog->click();
    auto *before = part<QSpinBox>(a.menu(), "picturesBeforeMotion");
    before->setValue(5);
    // 5 frames of 320 x 240 x 3 bytes: 1.1 MB.
    QCOMPARE(part<QLabel>(a.menu(), "picturesBeforeMotionCost")->text(),
             QLocale::system().toString(1.1, 'f', 1) + " MB");
    a.arm();
    QVERIFY(!a.scanUntilCapture(8));
    const QDateTime motionAt = QDateTime::currentDateTime();
    a.scene().motion = true;
    QVERIFY(a.scanUntilCapture(3));
    QCOMPARE(a.state().PictureCounter(), 255);
    QVERIFY(a.motionReport()[4].endsWith("   start on picture no: 250"));
    for (int n = 250; n < 255; ++n) {
        QCOMPARE(CaptureApp::picture(QStringLiteral("1/capture%1.jpg").arg(n)),
                 CaptureApp::picture("1/capture250.jpg"));
        QVERIFY(stored(n) <= motionAt);
        if (n > 250)
            QVERIFY(stored(n) > stored(n - 1));
    }
    QCOMPARE(CaptureApp::picture("1/capture250.jpg").size(), QSize(320, 240));
    a.ticks(10);
    QVERIFY(!a.state().CaptureRunning());
    QCOMPARE(a.state().PictureCounter(), 265);
    QVERIFY(stored(255) > stored(254));
    QVERIFY(CaptureApp::picture("1/capture255.jpg") != CaptureApp::picture("1/capture254.jpg"));
}

void TestMotionCapture::lightChangeIsNoMotion_data()
{
    QTest::addColumn<bool>("ignored");
    QTest::newRow("light changes ignored") << true;
    QTest::newRow("not ignored: a motion") << false;
}

// The scene's light switched twice in a minute: one line in the report, no batch; a box that
// moves afterwards is a motion all the same.
void TestMotionCapture::lightChangeIsNoMotion()
{
    QFETCH(bool, ignored);
    MotionApp a;
    QString error;
    QVERIFY2(a.ready(&error), qPrintable(error));
    a.scene().motion = false;
    a.scene().clock = false;
    QTest::qWait(150); // no frame drawn before the scene stood still is scanned
    a.panel()->prog->click();
    part<QCheckBox>(a.menu(), "ignoreLightChanges")->setChecked(ignored);
    a.arm();
    QVERIFY(!a.scanUntilCapture(3));
    QCOMPARE(a.motionReport().size(), 4); // the first scan's report is no light change
    a.scene().dimmed = true;
    QCOMPARE(a.scanUntilCapture(3), !ignored);
    if (!ignored)
        return;
    a.scene().dimmed = false;
    QVERIFY(!a.scanUntilCapture(3));
    QCOMPARE(a.motionReport().size(), 5);
    QVERIFY2(a.motionReport()[4].startsWith("  light change          1   ignored date/time :  "),
             qPrintable(a.motionReport()[4]));
    a.scene().motion = true;
    QVERIFY(a.scanUntilCapture(3));
    QVERIFY(a.motionReport()[5].startsWith("  motion detection      2   start"));
}

// Cells painted in "Cells to ignore" and confirmed with "OK" are the detector's; "Cancel" keeps
// the mask it had. With every cell ignored the moving box is no motion.
void TestMotionCapture::paintedCellsAreIgnored()
{
    MotionApp a;
    QString error;
    QVERIFY2(a.ready(&error), qPrintable(error));
    a.panel()->prog->click();
    part<QCheckBox>(a.menu(), "activateMD")->setChecked(true);
    a.menu()->findChild<QSlider *>("sensitivity")->setValue(4);
    part<QPushButton>(a.menu(), "maskButton")->click();
    auto *editor = a.main().findChild<MaskEditor *>("maskEditor");
    QVERIFY(editor && editor->isVisible());
    MaskView &view = editor->maskView();
    const auto cellCentre = [&view](int column, int row) {
        return QPoint((2 * column + 1) * view.width() / 8, (2 * row + 1) * view.height() / 8);
    };
    QTest::mouseClick(&view, Qt::LeftButton, {}, cellCentre(1, 2));
    QTest::mouseClick(&view, Qt::LeftButton, {}, cellCentre(3, 0));
    QTest::mouseClick(&view, Qt::LeftButton, {}, cellCentre(3, 0)); // watched again
    part<QPushButton>(editor, "cancelButton")->click();
    QVERIFY(a.motion().mask().isEmpty());
    part<QPushButton>(a.menu(), "maskButton")->click();
    QTest::mouseClick(&view, Qt::LeftButton, {}, cellCentre(1, 2));
    part<QPushButton>(editor, "okButton")->click();
    QCOMPARE(a.motion().engine().IgnoredCells(),
             (std::vector<std::uint8_t>{0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0}));

    QImage black(8, 6, QImage::Format_Grayscale8);
    black.fill(0);
    a.motion().setMask(MotionMask::fromImage(black));
    CaptureApp::button(a.menu(), "okButton")->click();
    QVERIFY(!a.scanUntilCapture(12));
    QCOMPARE(a.motion().motionEventCount(), 0);
}

QTEST_MAIN(TestMotionCapture)
#include "tst_motioncapture.moc"
