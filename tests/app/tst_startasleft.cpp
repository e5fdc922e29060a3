// "Start as left" in the whole program over the test scene: what one run confirms and runs,
// the next start sets up and starts again, also after a kill; without the box nothing is
// written; a file that cannot be used is said and changes nothing.

#include "common/captureapp.h"
#include "motion/motioncapture.h"
#include "programs/timerprogramrunner.h"
#include "settings/customsettingswindow.h"
#include "settings/savedsettings.h"
#include "shell/controltexts.h"
#include "shell/sound.h"
#include "store/intervalmodel.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QSpinBox>
#include <QTest>

using Role = ToolWindows::Role;

class TestStartAsLeft : public QObject
{
    Q_OBJECT
private slots:
    void offWritesNothing();
    void nextStartContinues_data();
    void nextStartContinues();
    void unusableFileChangesNothing_data();
    void unusableFileChangesNothing();
};

namespace {
CustomSettingsWindow *custom(CaptureApp &a)
{
    return a.tool<CustomSettingsWindow>(Role::CustomSettings);
}

QCheckBox *startAsLeftBox(CaptureApp &a)
{
    return part<QCheckBox>(custom(a), "startAsLeft");
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
} // namespace

void TestStartAsLeft::offWritesNothing()
{
    CaptureApp a;
    QString error;
    QVERIFY2(a.ready(&error), qPrintable(error));
    QVERIFY(!startAsLeftBox(a)->isChecked());
    a.panel()->finePlus->click();
    a.startHeld();
    a.ticks(2);
    a.panel()->start->click();
    QVERIFY(!QFileInfo::exists(a.settingsFile()));
    QVERIFY(!QFileInfo::exists(QFileInfo(a.settingsFile()).path()));

    // Switched on, then off again: the file says so, and the next start is a fresh one.
    startAsLeftBox(a)->click();
    QVERIFY(contents(a.settingsFile()).contains("StartAsLeft=true"));
    startAsLeftBox(a)->click();
    QVERIFY(contents(a.settingsFile()).contains("StartAsLeft=false"));
    QVERIFY2(a.restart(&error), qPrintable(error));
    QVERIFY(!a.state().DriverChosen());
    QCOMPARE(a.app->core().interval().seconds(), 5.0);
}

void TestStartAsLeft::nextStartContinues_data()
{
    QTest::addColumn<QString>("running");
    QTest::addColumn<bool>("exitFirst"); // else killed
    QTest::addColumn<int>("next");       // the counter at the next start
    QTest::newRow("capture, killed") << "capture" << false << 3;
    QTest::newRow("capture, Exit") << "capture" << true << 3;
    QTest::newRow("motion detection") << "motion" << false << 1;
    QTest::newRow("timer program in its time") << "timer" << false << 1;
    QTest::newRow("nothing") << "nothing" << false << 1;
}

// One run sets up everything the file keeps and leaves something running; the next start
// shows and applies the same, goes on numbering after the newest picture without a test
// picture over picture 0, and starts what ran.
void TestStartAsLeft::nextStartContinues()
{
    QFETCH(QString, running);
    QFETCH(bool, exitFirst);
    QFETCH(int, next);
    CaptureApp a;
    QString error;
    QVERIFY2(a.ready(&error, 2), qPrintable(error)); // 160 x 120
    startAsLeftBox(a)->click();
    a.panel()->finePlus->click();
    CustomSettingsWindow::Values values = custom(a)->values();
    values.timeStamp = true;
    values.keepFreeMb = 300;
    values.buttonSoundOff = true;
    values.commands[0] = "true %n";
    QVERIFY(custom(a)->setValues(values).isEmpty());
    TimerMotionMenu::Values menu = a.menu()->values();
    menu.grid = 30;
    menu.framesAfterMotion = 40;
    menu.picturesBeforeMotion = 3;
    menu.ignoreLightAbove = 60;
    const QTime now = QTime::currentTime();
    menu.from = now.addSecs(-3600);
    menu.to = now.addSecs(3600);
    menu.motionOn = running == "motion";
    menu.timerOn = running == "timer";
    // The timer row keeps to clock times so that it lies in its time whenever it runs.
    const bool sun = running != "timer";
    if (sun) {
        menu.endSun = DayTime(DayTime::Anchor::Sunset, 15);
        menu.place = SunPlace{-33.87, 151.21};
    }
    a.menu()->restore(menu);
    if (running == "capture") {
        a.startHeld();
        a.ticks(3); // 0, 1, 2
    }
    const QByteArray testPicture = contents("1/capture0.jpg");
    QVERIFY(!testPicture.isEmpty());
    if (exitFirst)
        a.main().close();

    QVERIFY2(a.restart(&error), qPrintable(error));
    QVERIFY2(a.main().statusNote().isEmpty(), qPrintable(a.main().statusNote()));
    QVERIFY(a.state().DriverChosen() && a.state().FormatChosen());
    const CaptureSettings &settings = a.app->captureSettings();
    QCOMPARE(QSize(settings.FrameWidth, settings.FrameHeight), QSize(160, 120));
    QCOMPARE(a.app->core().interval().seconds(), 5.05);
    QCOMPARE(a.panel()->intervalBox->text(), ControlTexts::intervalBox(5.05, QLocale()));
    const CustomSettingsWindow::Values shown = custom(a)->values();
    QVERIFY(shown.startAsLeft && shown.timeStamp && shown.buttonSoundOff);
    QCOMPARE(part<QSpinBox>(custom(a), "keepFree")->text(), QString("300 MB"));
    QCOMPARE(shown.commands[0], QString("true %n"));
    QVERIFY(!a.app->clickSound().isOn());
    const TimerMotionMenu::Values restored = a.menu()->values();
    QCOMPARE(restored.grid, 30);
    QCOMPARE(restored.framesAfterMotion, 40);
    QCOMPARE(restored.picturesBeforeMotion, 3);
    QCOMPARE(restored.ignoreLightAbove, 60);
    QCOMPARE(a.app->motionCapture().picturesBeforeMotion(), 3);
    QCOMPARE(a.app->motionCapture().lightChangePercent(), 60);
    QCOMPARE(restored.from, QTime(menu.from.hour(), menu.from.minute()));
    QVERIFY(!restored.startSun);
    QCOMPARE(restored.endSun, menu.endSun);
    QCOMPARE(restored.place, menu.place);
    QCOMPARE(a.menu()->timerProgram().followsSun(), sun);
    QCOMPARE(contents("1/capture0.jpg"), testPicture);

    QCOMPARE(a.state().CaptureRunning(), running == "capture" || running == "timer");
    QCOMPARE(a.app->motionCapture().scanArmed(), running == "motion");
    QCOMPARE(a.menu()->timerProgram().active(), running == "timer");
    a.captureTimer().setEnabled(false);
    QCOMPARE(a.state().PictureCounter(), next);
    if (running == "capture") {
        a.ticks(1);
        QVERIFY(QFileInfo::exists("1/capture3.jpg"));
    }
}

void TestStartAsLeft::unusableFileChangesNothing_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("said");
    const QByteArray on = "[Run]\nStartAsLeft=true\nRunning=capture\n";
    QTest::newRow("nonsense") << on + "[Capture]\nDriver=Vardella test scene\nQuality=loud\n"
                              << "Capture/Quality";
    QTest::newRow("size not offered")
        << on + "[Capture]\nDriver=Vardella test scene\nSize=2560x1440\n"
        << "size";
    QTest::newRow("driver gone") << on + "[Capture]\nDriver=No such camera\n"
                                 << "\"No such camera\"";
}

// Said once in the status note, nothing set up, nothing written over the file.
void TestStartAsLeft::unusableFileChangesNothing()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, said);
    CaptureApp a;
    QVERIFY(QDir().mkpath(QFileInfo(a.settingsFile()).path()));
    QFile out(a.settingsFile());
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write(file);
    out.close();
    QString error;
    QVERIFY2(a.start(&error), qPrintable(error));
    QVERIFY2(a.main().statusNote().contains(said), qPrintable(a.main().statusNote()));
    QVERIFY(!a.state().DriverChosen() && !a.state().CaptureRunning());
    const bool driverGone = said.contains("camera");
    QCOMPARE(startAsLeftBox(a)->isChecked(), driverGone); // the rest of the file holds
    if (!driverGone) {
        a.panel()->finePlus->click();
        QCOMPARE(contents(a.settingsFile()), file);
    }
}

QTEST_MAIN(TestStartAsLeft)
#include "tst_startasleft.moc"
