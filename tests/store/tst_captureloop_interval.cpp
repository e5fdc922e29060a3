// The "Timer " and "Harddisk" controls in the whole program, with a German locale pinned: the
// capture timer from start, the interval box and the period through the arrows and Start, and
// the shared Max/step box with its arrows as the window shows them.
#include "common/captureapp.h"

#include <QLocale>
#include <QTest>

using Direction = UpDownControl::Direction;

class TestCaptureLoopInterval : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void captureTimerRunsFromStart();
    void startKeepsFiveSeconds();
    void startKeepsTheRequestOfTheArrows();
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

void TestCaptureLoopInterval::captureTimerRunsFromStart()
{
    QString error;
    QVERIFY2(m_app->start(&error), qPrintable(error));
    ThreadedTimer &timer = m_app->captureTimer();
    QVERIFY(timer.isEnabled());
    QCOMPARE(timer.interval(), 5000u);
    QCOMPARE(timer.threadPriority(), ThreadPriority::Higher);
    // Its ticks store nothing until capture is started.
    timer.setInterval(20);
    QTest::qWait(100);
    QCOMPARE(m_app->state().PictureCounter(), 0);
    QVERIFY(!QFile::exists("1/capture0.jpg"));
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

// The period is the request itself, at every Start: the run keeps time on a grid.
void TestCaptureLoopInterval::startKeepsTheRequestOfTheArrows()
{
    makeReady();
    CaptureApp &a = *m_app;
    CaptureApp::press(a.panel()->intervalArrows, Direction::Up);
    QCOMPARE(intervalText(), QStringLiteral("interval  6,00 sec."));
    QCOMPARE(period(), 6000);
    a.panel()->start->click();
    QCOMPARE(period(), 6000);
    QCOMPARE(a.captureTimer().pacing(), Pacing::Grid);
    a.panel()->start->click();
    QCOMPARE(period(), 6000); // stopping leaves the period
    a.panel()->start->click();
    QCOMPARE(period(), 6000);
    QVERIFY(a.messages->informations.isEmpty());
}

void TestCaptureLoopInterval::stepModeSetsMaxIncrement()
{
    QString error;
    QVERIFY2(m_app->start(&error), qPrintable(error));
    const PanelParts *panel = m_app->panel();
    panel->step->click();
    QCOMPARE(panel->step->text(), QStringLiteral("Frms"));
    QCOMPARE(maxStepText(), QStringLiteral("Stepsize  250"));
    QVERIFY(panel->stepArrows->isVisible());
    QVERIFY(!panel->maxArrows->isVisible());
    CaptureApp::press(panel->stepArrows, Direction::Up);
    QCOMPARE(maxStepText(), QStringLiteral("Stepsize  350"));
    QCOMPARE(m_app->state().UserMaxFrames(), 250); // the step size alone changed

    panel->step->click();
    QCOMPARE(panel->step->text(), QStringLiteral("Step"));
    QCOMPARE(maxStepText(), QStringLiteral("Max.250  frms"));
    QVERIFY(panel->maxArrows->isVisible());
    CaptureApp::press(panel->maxArrows, Direction::Up);
    QCOMPARE(maxStepText(), QStringLiteral("Max.600  frms"));
    CaptureApp::press(panel->maxArrows, Direction::Up);
    QCOMPARE(maxStepText(), QStringLiteral("Max.950  frms"));
    QCOMPARE(m_app->state().MaxFrames(), 950);
}

QTEST_MAIN(TestCaptureLoopInterval)
#include "tst_captureloop_interval.moc"
