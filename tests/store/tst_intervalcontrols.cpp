// The interval, "Fine" and Max/step controls against a recorded view, without a window: the
// texts they show, the capture timer's period they set (the request itself) and what they
// tell the motion batch.
#include "common/fakesound.h"
#include "common/fakestoreview.h"
#include "shell/applicationstate.h"
#include "shell/timer/threadedtimer.h"
#include "store/intervalcontrols.h"
#include "store/intervalmodel.h"

#include <QSignalSpy>
#include <QTest>

class TestIntervalControls : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }
    void init();
    void cleanup()
    {
        m_controls.reset();
        m_interval.reset();
    }

    void finePresses_data();
    void finePresses();
    void maxArrowsSetMaximumInTens();
    void stepModeSharesTheBox();

private:
    FakeStoreView m_view;
    ApplicationState m_state;
    FakeSound m_click;
    ThreadedTimer m_timer;
    std::unique_ptr<IntervalModel> m_interval;
    std::unique_ptr<IntervalControls> m_controls;
};

void TestIntervalControls::init()
{
    m_view = {};
    m_state = {};
    m_timer.setInterval(5000);
    m_interval = std::make_unique<IntervalModel>(m_timer);
    m_controls = std::make_unique<IntervalControls>(m_view, m_state, m_click.sound, *m_interval);
}

void TestIntervalControls::finePresses_data()
{
    QTest::addColumn<int>("arrowSeconds"); // the interval arrows' position first
    QTest::addColumn<int>("plus");
    QTest::addColumn<int>("minus");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("requestMs");
    QTest::addColumn<int>("arrowPosition");
    QTest::newRow("one plus") << 5 << 1 << 0 << "interval  5,05 sec." << 5050 << 5;
    QTest::newRow("two plus") << 5 << 2 << 0 << "interval  5,10 sec." << 5100 << 5;
    QTest::newRow("below a second") << 1 << 0 << 1 << "interval  0,95 sec." << 950 << 1;
    QTest::newRow("never below a tenth") << 1 << 0 << 25 << "interval  0,10 sec." << 100 << 0;
    QTest::newRow("rounded to the arrows") << 2 << 0 << 11 << "interval  1,45 sec." << 1450 << 1;
}

void TestIntervalControls::finePresses()
{
    QFETCH(int, arrowSeconds);
    QFETCH(int, plus);
    QFETCH(int, minus);
    QFETCH(int, requestMs);
    m_controls->intervalArrowMoved(arrowSeconds);
    for (int i = 0; i < plus; ++i)
        m_controls->finePlus();
    for (int i = 0; i < minus; ++i)
        m_controls->fineMinus();
    QTEST(m_view.intervalText, "shown");
    QCOMPARE(m_controls->requestedIntervalMs(), requestMs);
    QCOMPARE(int(m_timer.interval()), requestMs); // nothing is taken off the request
    QTEST(m_view.intervalPosition, "arrowPosition");
}

void TestIntervalControls::maxArrowsSetMaximumInTens()
{
    QSignalSpy changed(m_controls.get(), &IntervalControls::maxFramesChanged);
    m_controls->maxArrowsMoved(25, false); // the report before the press moves them
    m_controls->maxArrowsMoved(50, true);
    QCOMPARE(m_view.maxStepText, QStringLiteral("Max.500  frms"));
    QCOMPARE(m_state.MaxFrames(), 500);
    QCOMPARE(m_state.UserMaxFrames(), 500);
    QCOMPARE(changed.count(), 1);
    QVERIFY(!m_view.stepArrowsShown);
}

void TestIntervalControls::stepModeSharesTheBox()
{
    QSignalSpy step(m_controls.get(), &IntervalControls::framesStepChanged);
    m_state.setUserMaxFrames(250);
    m_controls->toggleStepMode();
    QCOMPARE(m_view.stepCaption, QStringLiteral("Frms"));
    QVERIFY(m_view.stepArrowsShown);
    QCOMPARE(m_view.maxStepText, QStringLiteral("Stepsize  250"));
    m_controls->stepArrowsMoved(35, true);
    QCOMPARE(m_view.maxStepText, QStringLiteral("Stepsize  350"));
    QCOMPARE(m_view.maxIncrement, 35);
    QCOMPARE(step.takeFirst().at(0).toInt(), 350);
    QCOMPARE(m_state.UserMaxFrames(), 250); // the step size alone changed

    m_controls->toggleStepMode();
    QCOMPARE(m_view.stepCaption, QStringLiteral("Step"));
    QVERIFY(!m_view.stepArrowsShown);
    QCOMPARE(m_view.maxStepText, QStringLiteral("Max.250  frms"));
}

QTEST_GUILESS_MAIN(TestIntervalControls)
#include "tst_intervalcontrols.moc"
