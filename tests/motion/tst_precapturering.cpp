// The frames kept before a motion: how many, in which order, and without copying their pixels.
#include "motion/precapturering.h"

#include <QTest>

class TestPreCaptureRing : public QObject
{
    Q_OBJECT
private slots:
    void keepsTheNewestOldestFirst_data();
    void keepsTheNewestOldestFirst();
    void framesAreSharedNotCopied();
    void megabytes_data();
    void megabytes();
};

namespace {
const QDateTime Start(QDate(2026, 12, 9), QTime(10, 0));
}

void TestPreCaptureRing::keepsTheNewestOldestFirst_data()
{
    QTest::addColumn<int>("capacity");
    QTest::addColumn<int>("pushed");
    QTest::addColumn<QList<int>>("kept"); // the frames' numbers, oldest first
    QTest::newRow("none kept") << 0 << 3 << QList<int>{};
    QTest::newRow("fewer than it holds") << 5 << 3 << QList<int>{0, 1, 2};
    QTest::newRow("exactly full") << 3 << 3 << QList<int>{0, 1, 2};
    QTest::newRow("wrapped round") << 3 << 7 << QList<int>{4, 5, 6};
    QTest::newRow("one frame") << 1 << 4 << QList<int>{3};
    QTest::newRow("limited to 50") << 80 << 2 << QList<int>{0, 1};
}

// Each frame is told by its grab time; taking empties the ring for the next motion.
void TestPreCaptureRing::keepsTheNewestOldestFirst()
{
    QFETCH(int, capacity);
    QFETCH(int, pushed);
    QFETCH(QList<int>, kept);
    PreCaptureRing ring;
    ring.setCapacity(capacity);
    QCOMPARE(ring.capacity(), std::min(capacity, PreCaptureRing::MaxFrames));
    const QImage frame(4, 3, QImage::Format_BGR888);
    for (int n = 0; n < pushed; ++n)
        ring.push(frame, Start.addMSecs(100 * n));
    QCOMPARE(ring.size(), int(kept.size()));
    QList<int> taken;
    for (const TimedFrame &f : ring.take())
        taken.append(int(Start.msecsTo(f.grabbed) / 100));
    QCOMPARE(taken, kept);
    QCOMPARE(ring.size(), 0);
    QVERIFY(ring.take().empty());
    ring.push(frame, Start);
    QCOMPARE(ring.size(), capacity > 0 ? 1 : 0);
}

// A kept frame is the grabbed one itself; a full ring lets go of its oldest.
void TestPreCaptureRing::framesAreSharedNotCopied()
{
    PreCaptureRing ring;
    ring.setCapacity(2);
    QImage first(64, 48, QImage::Format_BGR888);
    const QImage second(64, 48, QImage::Format_BGR888);
    const QImage third(64, 48, QImage::Format_BGR888);
    ring.push(first, Start);
    QVERIFY(!first.isDetached()); // the ring holds it too
    ring.push(second, Start);
    ring.push(third, Start);
    QVERIFY(first.isDetached()); // the oldest went
    const std::vector<TimedFrame> kept = ring.take();
    QCOMPARE(kept.size(), std::size_t(2));
    QCOMPARE(kept[0].frame.constBits(), second.constBits());
    QCOMPARE(kept[1].frame.constBits(), third.constBits());
    ring.push(first, Start);
    ring.clear();
    QVERIFY(first.isDetached());
}

void TestPreCaptureRing::megabytes_data()
{
    QTest::addColumn<int>("frames");
    QTest::addColumn<qint64>("frameBytes");
    QTest::addColumn<double>("megabytes");
    QTest::newRow("none") << 0 << qint64(230400) << 0.0;
    QTest::newRow("five at 320 x 240, rounded up") << 5 << qint64(230400) << 1.1;
    QTest::newRow("one at 640 x 480") << 1 << qint64(921600) << 0.9;
    QTest::newRow("fifty at full HD") << 50 << qint64(6220800) << 296.7;
    QTest::newRow("a mebibyte exactly") << 4 << qint64(262144) << 1.0;
}

void TestPreCaptureRing::megabytes()
{
    QFETCH(int, frames);
    QFETCH(qint64, frameBytes);
    QFETCH(double, megabytes);
    QCOMPARE(PreCaptureRing::megabytes(frames, frameBytes), megabytes);
}

QTEST_GUILESS_MAIN(TestPreCaptureRing)
#include "tst_precapturering.moc"
