// The capture period the adjustment table gives for a requested interval and picture size.
#include "store/timeradjustment.h"

#include <QTest>

using namespace TimerAdjustment;

class TestTimerAdjustment : public QObject
{
    Q_OBJECT
private slots:
    void period_data();
    void period();
};

void TestTimerAdjustment::period_data()
{
    QTest::addColumn<int>("request");
    QTest::addColumn<int>("sizeEntry");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("period");
    QTest::newRow("5000 is kept") << 5000 << int(Size640x480) << 768 << 5000;
    QTest::newRow("100 default") << 100 << int(Size320x240) << 320 << 72;
    QTest::newRow("below the first row") << 50 << int(Size320x240) << 320 << 72;
    QTest::newRow("100 custom size") << 100 << int(None) << 400 << 72;
    QTest::newRow("100 at 640") << 100 << int(Size640x480) << 640 << 69;
    QTest::newRow("100 at 160") << 100 << int(Size160x120) << 160 << 85;
    QTest::newRow("100 at 80") << 100 << int(Size80x60) << 80 << 90;
    QTest::newRow("101 starts the next row") << 101 << int(Size320x240) << 320 << 123;
    QTest::newRow("200 at 640") << 200 << int(Size640x480) << 640 << 130;
    QTest::newRow("400 at 80") << 400 << int(Size80x60) << 80 << 300;
    QTest::newRow("651 at 160") << 651 << int(Size160x120) << 160 << 672;
    QTest::newRow("1000 at 640") << 1000 << int(Size640x480) << 640 << 945;
    QTest::newRow("1000 width 768") << 1000 << int(None) << 768 << 910;
    QTest::newRow("width 768 beats 160") << 150 << int(Size160x120) << 768 << 100;
    QTest::newRow("1001 ignores size") << 1001 << int(Size640x480) << 768 << 1025;
    QTest::newRow("1500") << 1500 << int(Size80x60) << 80 << 1493;
    QTest::newRow("1501") << 1501 << int(Size320x240) << 320 << 1498;
    QTest::newRow("6000") << 6000 << int(Size320x240) << 320 << 5997;
    QTest::newRow("5050 after Fine +") << 5050 << int(Size320x240) << 320 << 5047;
    QTest::newRow("empty entry keeps default") << 300 << 4 << 320 << 196;
}

void TestTimerAdjustment::period()
{
    QFETCH(int, request);
    QFETCH(int, sizeEntry);
    QFETCH(int, width);
    QFETCH(int, period);
    QCOMPARE(AdjustTimerPeriod(request, sizeEntry, width), period);
    // The period depends on the request alone, not on how often the adjustment ran.
    QCOMPARE(AdjustTimerPeriod(request, sizeEntry, width), period);
}

QTEST_GUILESS_MAIN(TestTimerAdjustment)
#include "tst_timeradjustment.moc"
