// The viewer's thumbnails decoded on worker threads: page order whatever order the decodes end
// in, the page ending at a damaged picture, and a new page dropping what was left of the last.
#include "viewer/fakepictures.h"
#include "viewer/thumbnailloader.h"

#include <QSemaphore>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

namespace {
using Delays = QMap<int, int>; // picture number to milliseconds

// A made-up store whose decodes take their time: picture n sleeps delays[n] ms, and the
// pictures of a held page wait until the test lets them go.
struct SlowPictures : FakePictures
{
    Delays delays;
    int heldBelow = -1; // pictures below this number wait for release
    mutable QSemaphore release;

    Result<QImage> loadScaled(int directory, int n, QSize) const override
    {
        if (n < heldBelow)
            release.acquire();
        QThread::msleep(ulong(delays.value(n)));
        return load(directory, n);
    }
};

QList<int> deliveredNumbers(const QSignalSpy &ready)
{
    QList<int> numbers;
    for (const QList<QVariant> &call : ready)
        numbers << FakePictures::numberOf(call.at(1).value<QImage>());
    return numbers;
}

QList<int> range(int first, int count)
{
    QList<int> numbers;
    for (int n = first; n < first + count; ++n)
        numbers << n;
    return numbers;
}
} // namespace

class TestThumbnailLoader : public QObject
{
    Q_OBJECT
private slots:
    void deliversInPageOrder_data();
    void deliversInPageOrder();
    void newPageDropsTheLast();
    void cancelDeliversNothing();
};

void TestThumbnailLoader::deliversInPageOrder_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("damaged"); // -1 for none
    QTest::addColumn<Delays>("delays");
    QTest::addColumn<QList<int>>("delivered");
    QTest::newRow("ten") << 10 << -1 << Delays{} << range(20, 10);
    QTest::newRow("first decode slowest") << 10 << -1 << Delays{{20, 150}} << range(20, 10);
    QTest::newRow("four present") << 4 << -1 << Delays{{21, 80}} << range(20, 4);
    QTest::newRow("third damaged, later ones quicker")
        << 10 << 22 << Delays{{20, 60}, {21, 60}, {22, 60}} << range(20, 2);
    QTest::newRow("first damaged") << 10 << 20 << Delays{} << QList<int>{};
    QTest::newRow("none") << 0 << -1 << Delays{} << QList<int>{};
}

void TestThumbnailLoader::deliversInPageOrder()
{
    QFETCH(int, count);
    QFETCH(int, damaged);
    QFETCH(Delays, delays);
    QFETCH(QList<int>, delivered);
    SlowPictures pictures;
    pictures.add(0, 4999);
    pictures.undecodable.insert(damaged);
    pictures.delays = delays;
    ThumbnailLoader loader(pictures);
    QSignalSpy ready(&loader, &ThumbnailLoader::pictureReady);
    QSignalSpy failed(&loader, &ThumbnailLoader::pictureFailed);
    QSignalSpy finished(&loader, &ThumbnailLoader::finished);
    loader.load(1, 20, count, QSize(120, 105));
    QTRY_VERIFY(!loader.loading());
    QTest::qWait(50); // late deliveries would show here

    QCOMPARE(deliveredNumbers(ready), delivered);
    for (int i = 0; i < ready.size(); ++i)
        QCOMPARE(ready.at(i).at(0).toInt(), i);
    QCOMPARE(finished.size(), damaged < 0 ? 1 : 0);
    QCOMPARE(failed.size(), damaged < 0 ? 0 : 1);
    if (damaged >= 0) {
        QCOMPARE(failed.at(0).at(0).toInt(), damaged - 20);
        QVERIFY(failed.at(0).at(1).toString().contains("damaged"));
    }
}

// A loader whose first page of ten is under way on the workers, its decodes held.
struct PageUnderWay
{
    SlowPictures pictures;
    ThumbnailLoader loader{pictures};
    QSignalSpy ready{&loader, &ThumbnailLoader::pictureReady};
    QSignalSpy finished{&loader, &ThumbnailLoader::finished};
    PageUnderWay()
    {
        pictures.add(0, 4999);
        pictures.heldBelow = 10;
        loader.load(1, 0, 10, QSize(120, 105));
        QTest::qWait(30); // the workers have taken pictures of the first page
    }
};

// The user pages on while the first page's decodes are under way: none of it shows.
void TestThumbnailLoader::newPageDropsTheLast()
{
    PageUnderWay page;
    page.loader.load(1, 10, 10, QSize(120, 105));
    page.pictures.release.release(10);
    QTRY_VERIFY(!page.loader.loading());
    QTest::qWait(50);
    QCOMPARE(deliveredNumbers(page.ready), range(10, 10));
    QCOMPARE(page.finished.size(), 1);
}

void TestThumbnailLoader::cancelDeliversNothing()
{
    PageUnderWay page;
    page.loader.cancel();
    QVERIFY(!page.loader.loading());
    page.pictures.release.release(10);
    QTest::qWait(100);
    QCOMPARE(page.ready.size(), 0);
    QCOMPARE(page.finished.size(), 0);
}

QTEST_GUILESS_MAIN(TestThumbnailLoader)
#include "tst_thumbnailloader.moc"
