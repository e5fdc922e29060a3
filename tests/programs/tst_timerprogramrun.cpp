// The timer program in the whole program over the test scene, on a clock the test sets: the
// menu's time boxes, "Activate timer", and a program that captures for one minute a day.

#include "common/captureapp.h"
#include "programs/programinfowindow.h"
#include "programs/timermotionmenu.h"
#include "shell/clocksource.h"

#include <QComboBox>
#include <QLabel>
#include <QSpinBox>
#include <QStatusBar>
#include <QTest>

using Role = ToolWindows::Role;

namespace {
struct SetClock : ClockSource
{
    QDateTime time;
    QDateTime now() const override { return time; }
};

struct TimerApp : CaptureApp
{
    SetClock *clock = new SetClock;

    TimerApp()
    {
        clock->time = QDateTime(QDate::currentDate(), QTime(9, 59, 30));
        app->setClockSource(std::unique_ptr<ClockSource>(clock));
    }
    QString box(const char *name) { return part<QLineEdit>(menu(), name)->text(); }
    void press(const char *arrows, UpDownControl::Direction direction, int times)
    {
        CaptureApp::press(part<UpDownControl>(menu(), arrows), direction, times);
    }
    QCheckBox *activateTimer() { return part<QCheckBox>(menu(), "activateTimer"); }
    /// "Prog.", a program from 10:00 to 10:01 set with the arrows, "Activate timer", "OK".
    void programFromTen()
    {
        panel()->prog->click();
        press("startHoursArrows", UpDownControl::Direction::Down, 2);
        press("endHoursArrows", UpDownControl::Direction::Down, 2);
        press("endMinutesArrows", UpDownControl::Direction::Up, 1);
        activateTimer()->setChecked(true);
        CaptureApp::button(menu(), "okButton")->click();
    }
    QStringList report()
    {
        return tool<ProgramInfoWindow>(Role::ProgramInfo)
            ->paneLines(ProgramInfoWindow::TimerReport);
    }
    /// Sets the clock and waits for the next one-second tick of the main window.
    void tickAt(const QTime &time, int dayOffset = 0)
    {
        clock->time = QDateTime(QDate::currentDate().addDays(dayOffset), time);
        QTRY_COMPARE_WITH_TIMEOUT(state().clockText(), time.toString("H:mm:ss"), 3000);
    }
};

using Dir = UpDownControl::Direction;
} // namespace

class TestTimerProgramRun : public QObject
{
    Q_OBJECT
private slots:
    void boxesWrapAndCancelKeepsThem();
    void programCapturesItsMinuteEveryDay();
    void endComesWithoutPicture();
    void sunChoiceNeedsItsPlace();
};

void TestTimerProgramRun::boxesWrapAndCancelKeepsThem()
{
    TimerApp a;
    QString error;
    QVERIFY2(a.ready(&error), qPrintable(error));
    a.panel()->prog->click();
    QCOMPARE(a.main().statusBar()->toolTip(), QStringLiteral("click to show or hide menu"));
    a.press("startHoursArrows", Dir::Up, 12); // 12 ... 23, 0
    a.press("startMinutesArrows", Dir::Down, 1);
    a.press("endHoursArrows", Dir::Down, 13); // 12 ... 0, 23
    a.press("endMinutesArrows", Dir::Up, 5);
    QCOMPARE(a.box("startHours"), QStringLiteral("0"));
    QCOMPARE(a.box("startMinutes"), QStringLiteral("59"));
    QCOMPARE(a.box("endHours"), QStringLiteral("23"));
    QCOMPARE(a.box("endMinutes"), QStringLiteral("05"));
    QCOMPARE(a.menu()->timerProgram().startKey(), 59);
    QCOMPARE(a.menu()->timerProgram().endKey(), 2305);

    // Checking the box during capture stops it; "Cancel" keeps everything as set.
    CaptureApp::button(a.menu(), "cancelButton")->click();
    a.startHeld();
    a.panel()->prog->click();
    a.activateTimer()->setChecked(true);
    QVERIFY(!a.state().CaptureRunning());
    CaptureApp::button(a.menu(), "cancelButton")->click();
    a.panel()->prog->click();
    QVERIFY(a.activateTimer()->isChecked());
    QCOMPARE(a.box("startMinutes"), QStringLiteral("59"));
    QVERIFY(a.menu()->timerProgram().active());

    // The close box runs the capture timer again and adds one fine step to the interval.
    a.captureTimer().setEnabled(false);
    const int interval = a.app->intervalControls().requestedIntervalMs();
    a.menu()->close();
    QVERIFY(a.captureTimer().isEnabled());
    QCOMPARE(a.app->intervalControls().requestedIntervalMs(), interval + 50);
}

void TestTimerProgramRun::programCapturesItsMinuteEveryDay()
{
    TimerApp a;
    QString error;
    QVERIFY2(a.ready(&error), qPrintable(error));
    a.programFromTen();

    a.tickAt(QTime(9, 59, 59));
    QVERIFY(!a.state().CaptureRunning());
    a.tickAt(QTime(10, 0, 0));
    QVERIFY(a.state().CaptureRunning());
    a.captureTimer().setEnabled(false); // the test gives the capture ticks from here
    const int first = a.state().PictureCounter();
    a.clock->time = a.clock->time.addSecs(30);
    a.ticks(3);
    QVERIFY(a.state().CaptureRunning());
    a.clock->time = QDateTime(QDate::currentDate(), QTime(10, 1, 0));
    a.ticks(1);
    QVERIFY(!a.state().CaptureRunning());
    const int last = first + 3;
    QCOMPARE(a.state().PictureCounter(), last + 1);
    QVERIFY(QFile::exists(QStringLiteral("1/capture%1.jpg").arg(last)));
    QVERIFY(!QFile::exists(QStringLiteral("1/capture%1.jpg").arg(last + 1)));
    const QString day = QDate::currentDate().toString("MM - dd");
    QCOMPARE(a.report().mid(4),
             QStringList({"  Start date/time =  " + day + "  10:00:00  first picture no  :  0",
                          "  Stop date/time =  " + day +
                              "  10:01:00  last picture no   :  " + QString::number(last),
                          ""}));

    // Not again that day; the same again the next.
    a.tickAt(QTime(10, 1, 1));
    QVERIFY(!a.state().CaptureRunning());
    a.tickAt(QTime(10, 0, 0), 1);
    QVERIFY(a.state().CaptureRunning());
    QCOMPARE(a.report().size(), 9);
    QVERIFY(a.report()[7].startsWith("  Start date/time =  "));
}

// A long interval leaves no picture in the end minute: the check once a second ends the run.
void TestTimerProgramRun::endComesWithoutPicture()
{
    TimerApp a;
    QString error;
    QVERIFY2(a.ready(&error), qPrintable(error));
    a.programFromTen();
    a.tickAt(QTime(10, 0, 0));
    QVERIFY(a.state().CaptureRunning());
    a.captureTimer().setEnabled(false); // no picture from here
    a.clock->time = QDateTime(QDate::currentDate(), QTime(10, 0, 59));
    QTest::qWait(1500);
    QVERIFY(a.state().CaptureRunning());
    a.clock->time = QDateTime(QDate::currentDate(), QTime(10, 1, 0));
    QTRY_VERIFY_WITH_TIMEOUT(!a.state().CaptureRunning(), 1500);
    const QString day = QDate::currentDate().toString("MM - dd");
    QVERIFY2(a.report().value(5).startsWith("  Stop date/time =  " + day + "  10:01:00  "),
             qPrintable(a.report().join('|')));
}

QTEST_MAIN(TestTimerProgramRun)
#include "tst_timerprogramrun.moc"

// Beside the clock times, a start that follows the sun: refused without a place that is one,
// and then today's times shown, a polar day said as such.
void TestTimerProgramRun::sunChoiceNeedsItsPlace()
{
    TimerApp a;
    QString error;
    QVERIFY2(a.ready(&error), qPrintable(error));
    a.clock->time = QDateTime(QDate(2026, 6, 21), QTime(9, 0));
    a.panel()->prog->click();
    auto *follows = part<QComboBox>(a.menu(), "startFollows");
    auto *offset = part<QSpinBox>(a.menu(), "startSunOffset");
    auto *place = part<QLineEdit>(a.menu(), "sunPlace");
    auto *day = part<QLabel>(a.menu(), "sunDay");
    QVERIFY(!offset->isEnabled() && !place->isEnabled());
    follows->setCurrentIndex(1); // sunrise
    offset->setValue(-30);
    QVERIFY(offset->isEnabled() && place->isEnabled());

    const auto typePlace = [&](const QString &text) {
        place->clear();
        QTest::keyClicks(place, text);
        CaptureApp::button(a.menu(), "okButton")->click();
    };
    typePlace("");
    QVERIFY(a.menu()->isVisible());
    QCOMPARE(day->text(), QStringLiteral("Give the place as latitude,longitude."));
    QVERIFY(!a.menu()->timerProgram().followsSun());
    typePlace("91,13.40");
    QVERIFY(a.menu()->isVisible());
    QVERIFY2(day->text().contains("\"91,13.40\""), qPrintable(day->text()));

    typePlace("52.52,13.40");
    QVERIFY(!a.menu()->isVisible());
    QVERIFY(a.menu()->timerProgram().followsSun());
    QVERIFY2(day->text().startsWith("2026-06-21 sunrise ") &&
                 day->text().contains(" at 52.52,13.4;"),
             qPrintable(day->text()));
    const TimerMotionMenu::Values values = a.menu()->values();
    QCOMPARE(values.startSun, DayTime(DayTime::Anchor::Sunrise, -30));
    QVERIFY(!values.endSun);
    QCOMPARE(values.from, QTime(12, 0)); // the clock boxes stay as they were

    // Svalbard at midsummer: the sun does not set.
    a.panel()->prog->click();
    typePlace("78.22,15.65");
    QVERIFY2(day->text().contains("polar day"), qPrintable(day->text()));
}
