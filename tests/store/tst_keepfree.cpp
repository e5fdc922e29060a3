// "Keep free": when a picture must restart the numbering at 0 rather than take the room kept
// free. The run that follows it is in tst_captureloopview.
#include "store/keepfree.h"

#include <QTest>

class TestKeepFree : public QObject
{
    Q_OBJECT
private slots:
    void decision_data();
    void decision();
};

void TestKeepFree::decision_data()
{
    constexpr qint64 MB = KeepFree::BytesPerMegabyte;
    QTest::addColumn<int>("number");
    QTest::addColumn<qint64>("available");
    QTest::addColumn<qint64>("keepFree");
    QTest::addColumn<qint64>("replaced"); // the new picture takes 50000 bytes
    QTest::addColumn<bool>("restart");
    QTest::newRow("off, disk all but full") << 7 << 1000LL << 0LL << 0LL << false;
    QTest::newRow("exactly at the limit") << 7 << 200 * MB + 50000 << 200 * MB << 0LL << false;
    QTest::newRow("one byte short") << 7 << 200 * MB + 49999 << 200 * MB << 0LL << true;
    QTest::newRow("replacement frees enough") << 7 << 200 * MB << 200 * MB << 50000LL << false;
    QTest::newRow("replacement frees too little") << 7 << 200 * MB << 200 * MB << 49999LL << true;
    QTest::newRow("number already 0") << 0 << 10 * MB << 200 * MB << 0LL << false;
}

void TestKeepFree::decision()
{
    QFETCH(int, number);
    QFETCH(qint64, available);
    QFETCH(qint64, keepFree);
    QFETCH(qint64, replaced);
    QFETCH(bool, restart);
    QCOMPARE(KeepFree::restartNeeded(number, {available, keepFree, 50000, replaced}), restart);
}

QTEST_GUILESS_MAIN(TestKeepFree)
#include "tst_keepfree.moc"
