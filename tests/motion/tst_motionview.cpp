// The widget that shows the motion detector's view: its size is the detector's working size,
// and it is repainted after each analysed picture, before the detector's event.
#include "motion/motionview.h"
#include "motion/tmj.h"
#include "motionpictures.h"

#include <QTest>

using namespace MotionPictures;

namespace {
class PaintCounter : public QObject
{
public:
    int paints = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};
} // namespace

class TestMotionView : public QObject
{
    Q_OBJECT
private slots:
    void sizeIsTheEngineSize();
    void repaintsAtOnceBeforeTheEvent();
    void engineOutlivesItsView();
};

void TestMotionView::sizeIsTheEngineSize()
{
    TMJ engine;
    MotionView view(engine);
    QCOMPARE(view.size(), QSize(320, 240));
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    view.resize(200, 150);
    QTRY_COMPARE(engine.Width(), 200);
    QCOMPARE(engine.Height(), 150);
    engine.ScanFrame(grey(90, 640, 480));
    QCOMPARE(engine.WorkBitmap().size(), QSize(200, 150));
}

void TestMotionView::repaintsAtOnceBeforeTheEvent()
{
    TMJ engine;
    engine.SetShowItem({});
    MotionView view(engine);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    PaintCounter counter;
    view.installEventFilter(&counter);
    int paintsAtEvent = -1;
    engine.SetOnMotion([&](TMJ &) { paintsAtEvent = counter.paints; });
    engine.ScanFrame(uniform(QColor(250, 120, 10)));
    QCOMPARE(paintsAtEvent, 1);
    const QImage shown = view.grab().toImage().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(shown.pixelColor(160, 120), QColor(250, 120, 10));
    QCOMPARE(shown, engine.WorkBitmap().convertToFormat(QImage::Format_RGB32));
}

void TestMotionView::engineOutlivesItsView()
{
    TMJ engine;
    auto view = std::make_unique<MotionView>(engine);
    view->show();
    view.reset();
    EventLog log(engine);
    engine.ScanFrame(grey(200));
    QCOMPARE(log.total(), 1);
}

QTEST_MAIN(TestMotionView)
#include "tst_motionview.moc"
