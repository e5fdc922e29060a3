// Motion capture's refinements in the whole program over the test scene: the pictures from
// before a motion, cells to ignore painted in their editor, and light changes that are no
// motion.

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
#include <QSlider>
#include <QSpinBox>
#include <QTest>

namespace {
struct MotionApp : CaptureApp
{
    MotionApp()
    {
        app->setSounds(std::make_unique<Sound>(std::make_unique<FakeSoundBackend>()),
                       std::make_unique<Sound>(std::make_unique<FakeSoundBackend>()));
    }

    MotionCapture &motion() { return app->motionCapture(); }
    QStringList motionReport()
    {
        return tool<ProgramInfoWindow>(ToolWindows::Role::ProgramInfo)
            ->paneLines(ProgramInfoWindow::MotionReport);
    }
    /// A scene that stands still: no box moving, no clock.
    void still()
    {
        scene().motion = false;
        scene().clock = false;
    }
    bool scanUntilCapture(int count)
    {
        for (int i = 0; i < count && !state().CaptureRunning(); ++i)
            motion().scanTick();
        captureTimer().setEnabled(false);
        return state().CaptureRunning();
    }
    static QDateTime stored(int n)
    {
        return QFileInfo(QStringLiteral("1/capture%1.jpg").arg(n)).lastModified();
    }
};
} // namespace

class TestMotionRefinements : public QObject
{
    Q_OBJECT
private slots:
    void picturesBeforeMotionComeFirst();
    void lightChangeIsNoMotion_data();
    void lightChangeIsNoMotion();
    void paintedCellsAreIgnored();
};

// Five frames of the still box, in the order and at the times they were grabbed, then the
// batch of ten as without them.
void TestMotionRefinements::picturesBeforeMotionComeFirst()
{
    MotionApp a;
    QString error;
    QVERIFY2(a.ready(&error), qPrintable(error));
    a.still();
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
        QVERIFY(MotionApp::stored(n) <= motionAt);
        if (n > 250)
            QVERIFY(MotionApp::stored(n) > MotionApp::stored(n - 1));
    }
    QCOMPARE(CaptureApp::picture("1/capture250.jpg").size(), QSize(320, 240));
    a.ticks(10);
    QVERIFY(!a.state().CaptureRunning());
    QCOMPARE(a.state().PictureCounter(), 265);
    QVERIFY(MotionApp::stored(255) > MotionApp::stored(254));
    QVERIFY(CaptureApp::picture("1/capture255.jpg") != CaptureApp::picture("1/capture254.jpg"));
    // Kept no longer than the next arming: the next batch starts with frames of its own scans.
    QCOMPARE(a.motion().picturesBeforeMotion(), 5);
}

void TestMotionRefinements::lightChangeIsNoMotion_data()
{
    QTest::addColumn<bool>("ignored");
    QTest::newRow("light changes ignored") << true;
    QTest::newRow("not ignored: a motion") << false;
}

// The scene's light switched twice in a minute: one line in the report, no batch; a box that
// moves afterwards is a motion all the same.
void TestMotionRefinements::lightChangeIsNoMotion()
{
    QFETCH(bool, ignored);
    MotionApp a;
    QString error;
    QVERIFY2(a.ready(&error), qPrintable(error));
    a.still();
    a.panel()->prog->click();
    part<QCheckBox>(a.menu(), "ignoreLightChanges")->setChecked(ignored);
    a.arm();
    QVERIFY(!a.scanUntilCapture(3));
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
void TestMotionRefinements::paintedCellsAreIgnored()
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

QTEST_MAIN(TestMotionRefinements)
#include "tst_motionrefinements.moc"
