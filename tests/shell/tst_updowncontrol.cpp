// The arrow pairs of the control panel: each press reports the old position, moves by the
// increment within the range, then reports the new one.
#include "shell/updowncontrol.h"

#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

class TestUpDownControl : public QObject
{
    Q_OBJECT
private slots:
    void press_data();
    void press();
    void changingComesBeforeClickedWithOldThenNewPosition();
    void positionFromCodeReportsNothing();
};

void TestUpDownControl::press_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("increment");
    QTest::addColumn<bool>("up");
    QTest::addColumn<int>("expected");
    QTest::newRow("max arrows up") << 25 << 25 << true << 50;
    QTest::newRow("down stops at the minimum, not 0") << 25 << 25 << false << 1;
    QTest::newRow("up stops at the maximum") << 31990 << 25 << true << 32000;
    QTest::newRow("one step") << 5 << 1 << false << 4;
    QTest::newRow("huge increment") << 2 << 2147483647 << true << 32000;
}

void TestUpDownControl::press()
{
    QFETCH(int, position);
    QFETCH(int, increment);
    QFETCH(bool, up);
    QFETCH(int, expected);
    UpDownControl arrows(1, 32000, increment, position, nullptr);
    QSignalSpy clicked(&arrows, &UpDownControl::clicked);
    QTest::mouseClick(arrows.findChild<QToolButton *>(up ? "up" : "down"), Qt::LeftButton);
    QCOMPARE(arrows.position(), expected);
    QCOMPARE(clicked.count(), 1);
}

void TestUpDownControl::changingComesBeforeClickedWithOldThenNewPosition()
{
    UpDownControl arrows(1, 999, 1, 5, nullptr);
    QStringList events;
    connect(&arrows, &UpDownControl::changing, this,
            [&](int p) { events << QString("changing %1").arg(p); });
    connect(&arrows, &UpDownControl::clicked, this,
            [&](int p) { events << QString("clicked %1").arg(p); });
    arrows.press(UpDownControl::Direction::Up);
    QCOMPARE(events, QStringList({"changing 5", "clicked 6"}));
}

void TestUpDownControl::positionFromCodeReportsNothing()
{
    UpDownControl arrows(1, 999, 1, 5, nullptr);
    QSignalSpy changing(&arrows, &UpDownControl::changing);
    QSignalSpy clicked(&arrows, &UpDownControl::clicked);
    arrows.setPosition(2000);
    QCOMPARE(arrows.position(), 999);
    QCOMPARE(changing.count() + clicked.count(), 0);
}

QTEST_MAIN(TestUpDownControl)
#include "tst_updowncontrol.moc"
