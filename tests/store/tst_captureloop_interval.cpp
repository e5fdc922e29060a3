// The "Timer " and "Harddisk" controls in the whole program, with a German locale pinned: the
// interval box and the capture timer's period through the arrows, "Fine" and Start, and the
// shared Max/step box with its arrows.
#include "captureapp.h"

#include <QLocale>

using Direction = UpDownControl::Direction;

class TestCaptureLoopInterval : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void startKeepsFiveSeconds();
    void wholeSecondsLoseThreeMillisecondsOnce();
    void finePlusAddsFiftyMilliseconds();
    void fineMinusStopsAtATenth();
    void maxArrowsSetMaximumInTens();
    void stepModeSetsMaxIncrement();

private:
    void makeReady(int sizeEntry = -1);
    QString intervalText() const { return m_app->panel()->intervalBox->text(); }
    QString maxStepText() const { return m_app->panel()->maxStepBox->text(); }
    int period() const { return int(m_app->captureTimer().interval()); }

    QLocale m_previousLocale;
    std::unique_ptr<CaptureApp> m_app;
};

void TestCaptureLoopInterval::init()
{
    m_previousLocale = QLocale();
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    m_app = std::make_unique<CaptureApp>();
    QVERIFY(m_app->dir.isValid());
}

void TestCaptureLoopInterval::cleanup()
{
    m_app.reset();
    QLocale::setDefault(m_previousLocale);
}

void TestCaptureLoopInterval::makeReady(int sizeEntry)
{
    QString error;
    QVERIFY2(m_app->ready(&error, sizeEntry), qPrintable(error));
}

void TestCaptureLoopInterval::startKeepsFiveSeconds()
{
    makeReady();
    QCOMPARE(intervalText(), QStringLiteral("interval  5,00 sec."));
    QCOMPARE(period(), 5000);
    m_app->panel()->start->click();
    QCOMPARE(period(), 5000);
    QCOMPARE(intervalText(), QStringLiteral("interval  5,00 sec."));
}

// The adjustment takes 3 ms off the request once; a later Start does not take off more.
void TestCaptureLoopInterval::wholeSecondsLoseThreeMillisecondsOnce()
{
    makeReady();
    CaptureApp &a = *m_app;
    CaptureApp::press(a.panel()->intervalArrows, Direction::Up);
    QCOMPARE(intervalText(), QStringLiteral("interval  6,00 sec."));
    QCOMPARE(period(), 6000);
    a.panel()->start->click();
    QCOMPARE(period(), 5997);
    a.panel()->start->click();
    QCOMPARE(period(), 5997); // stopping leaves the period
    a.panel()->start->click();
    QCOMPARE(period(), 5997);
    QVERIFY(a.messages->informations.isEmpty());
}

void TestCaptureLoopInterval::finePlusAddsFiftyMilliseconds()
{
    QString error;
    QVERIFY2(m_app->start(&error), qPrintable(error));
    m_app->panel()->finePlus->click();
    QCOMPARE(intervalText(), QStringLiteral("interval  5,05 sec."));
    QCOMPARE(period(), 5047);
    m_app->panel()->finePlus->click();
    QCOMPARE(intervalText(), QStringLiteral("interval  5,10 sec."));
    QCOMPARE(period(), 5097);
}

void TestCaptureLoopInterval::fineMinusStopsAtATenth()
{
    makeReady(1); // "320 x 240"
    CaptureApp &a = *m_app;
    CaptureApp::press(a.panel()->intervalArrows, Direction::Down, 4);
    QCOMPARE(intervalText(), QStringLiteral("interval  1,00 sec."));
    a.panel()->fineMinus->click();
    QCOMPARE(intervalText(), QStringLiteral("interval  0,95 sec."));
    QCOMPARE(period(), 918); // the row of 901 to 950 ms
    for (int i = 0; i < 24; ++i)
        a.panel()->fineMinus->click();
    QCOMPARE(intervalText(), QStringLiteral("interval  0,10 sec."));
    QCOMPARE(a.app->intervalControls().requestedIntervalMs(), 100);
    QCOMPARE(period(), 72);
    QCOMPARE(a.panel()->intervalArrows->position(), 1);
}

void TestCaptureLoopInterval::maxArrowsSetMaximumInTens()
{
    QString error;
    QVERIFY2(m_app->start(&error), qPrintable(error));
    CaptureApp &a = *m_app;
    QCOMPARE(maxStepText(), QStringLiteral("Max.250  frms"));
    CaptureApp::press(a.panel()->maxArrows, Direction::Up);
    QCOMPARE(maxStepText(), QStringLiteral("Max.500  frms"));
    QCOMPARE(a.state().MaxFrames, 500);
    QCOMPARE(a.state().UserMaxFrames, 500);
    CaptureApp::press(a.panel()->maxArrows, Direction::Down, 2);
    QCOMPARE(maxStepText(), QStringLiteral("Max.10  frms"));
    QCOMPARE(a.state().MaxFrames, 10);
    CaptureApp::press(a.panel()->maxArrows, Direction::Down);
    QCOMPARE(maxStepText(), QStringLiteral("Max.10  frms"));
    // Every activation of the main window takes the maximum from the arrows again.
    a.state().MaxFrames = 77;
    a.main().activated();
    QCOMPARE(a.state().MaxFrames, 10);
}

void TestCaptureLoopInterval::stepModeSetsMaxIncrement()
{
    QString error;
    QVERIFY2(m_app->start(&error), qPrintable(error));
    ControlPanel *panel = m_app->panel();
    panel->step->click();
    QCOMPARE(panel->step->text(), QStringLiteral("Frms"));
    QCOMPARE(maxStepText(), QStringLiteral("Stepsize  250"));
    QVERIFY(panel->stepArrows->isVisible());
    QVERIFY(!panel->maxArrows->isVisible());
    CaptureApp::press(panel->stepArrows, Direction::Up);
    QCOMPARE(maxStepText(), QStringLiteral("Stepsize  350"));
    QCOMPARE(m_app->state().UserMaxFrames, 250); // the step size alone changed

    panel->step->click();
    QCOMPARE(panel->step->text(), QStringLiteral("Step"));
    QCOMPARE(maxStepText(), QStringLiteral("Max.250  frms"));
    QVERIFY(panel->maxArrows->isVisible());
    CaptureApp::press(panel->maxArrows, Direction::Up);
    QCOMPARE(maxStepText(), QStringLiteral("Max.600  frms"));
    CaptureApp::press(panel->maxArrows, Direction::Up);
    QCOMPARE(maxStepText(), QStringLiteral("Max.950  frms"));
    QCOMPARE(m_app->state().MaxFrames, 950);
}

QTEST_MAIN(TestCaptureLoopInterval)
#include "tst_captureloop_interval.moc"
