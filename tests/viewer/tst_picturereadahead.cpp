// The full-screen view's read-ahead: a picture decoded ahead, and its time stamp, are used only for
// the same picture, box and file, and any picture comes at the size it is drawn at in its box; a
// replaced file, a source that cannot tell, or a clear() make it read anew; a step that comes while
// the decode runs waits for it instead of decoding twice.
#include "viewer/fakepictures.h"
#include "viewer/picturereadahead.h"

#include <QTest>
#include <QThread>

#include <atomic>
#include <semaphore>
#include <thread>

namespace {
// Pictures of 40 x 30 whose one colour tells the number and the file's version; a decode may
// be held until the test lets it go.
struct VersionedPictures : FakePictures
{
    mutable std::atomic<int> decodes{0};
    mutable std::atomic<int> decodedElsewhere{0}; // not on the thread that made this
    mutable std::atomic<int> stampReads{0};
    std::atomic<int> version{0};
    std::atomic<bool> identities{true};
    std::atomic<bool> hold{false};
    mutable std::atomic<int> held{0};
    mutable std::counting_semaphore<> release{0}; // the standard one, which TSan sees through
    QThread *home = QThread::currentThread();

    Result<QImage> loadScaled(int directory, int n, QSize) const override
    {
        if (!exists(directory, n))
            return failure(QStringLiteral("missing"));
        if (hold) {
            ++held;
            release.acquire();
        }
        ++decodes;
        decodedElsewhere += QThread::currentThread() != home;
        QImage picture(40, 30, QImage::Format_RGB32);
        picture.fill(uint(1000 * version + n));
        return picture;
    }
    QByteArray fileIdentity(int directory, int n) const override
    {
        if (!identities || !exists(directory, n))
            return {};
        return QByteArray::number(n) + ':' + QByteArray::number(version.load());
    }
    Result<QString> timeStamp(int directory, int n) const override
    {
        ++stampReads;
        if (!exists(directory, n))
            return failure(QStringLiteral("gone"));
        return QStringLiteral("%1 version %2").arg(n).arg(version.load());
    }
    static int codeOf(const QImage &picture) { return int(picture.pixel(0, 0) & 0xffffff); }
};

enum Change
{
    Nothing,
    Replaced,
    CannotTell,
    Cleared
};
} // namespace
Q_DECLARE_METATYPE(Change)

class TestPictureReadAhead : public QObject
{
    Q_OBJECT
private slots:
    void usesOnlyTheSamePicture_data();
    void usesOnlyTheSamePicture();
    void aStepDuringTheDecodeWaitsForIt();
};

void TestPictureReadAhead::usesOnlyTheSamePicture_data()
{
    QTest::addColumn<int>("asked");
    QTest::addColumn<QSize>("box");
    QTest::addColumn<Change>("change");
    QTest::addColumn<int>("decodes");
    QTest::addColumn<int>("code");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("stampReads"); // the one ahead included
    QTest::addColumn<QString>("stamp");
    const QSize box(20, 20);
    QTest::newRow("the same: decoded once, ahead")
        << 5 << box << Nothing << 1 << 5 << QSize(20, 15) << 1 << "5 version 0";
    QTest::newRow("another picture")
        << 6 << box << Nothing << 2 << 6 << QSize(20, 15) << 2 << "6 version 0";
    QTest::newRow("another box: the stamp still holds")
        << 5 << QSize(80, 80) << Nothing << 2 << 5 << QSize(80, 60) << 1 << "5 version 0";
    QTest::newRow("the file replaced meanwhile: the new one")
        << 5 << box << Replaced << 2 << 1005 << QSize(20, 15) << 2 << "5 version 1";
    QTest::newRow("a source that cannot tell: every time")
        << 5 << box << CannotTell << 2 << 5 << QSize(20, 15) << 3 << "5 version 0";
    QTest::newRow("cleared") << 5 << box << Cleared << 2 << 5 << QSize(20, 15) << 2
                             << "5 version 0";
}

void TestPictureReadAhead::usesOnlyTheSamePicture()
{
    QFETCH(int, asked);
    QFETCH(QSize, box);
    QFETCH(Change, change);
    QFETCH(int, decodes);
    VersionedPictures pictures;
    pictures.add(0, 9);
    PictureReadAhead ahead(pictures);
    ahead.readAhead(1, 5, QSize(20, 20));
    QTRY_COMPARE(pictures.decodes.load(), 1);
    QCOMPARE(pictures.decodedElsewhere.load(), 1);
    if (change == Replaced)
        pictures.version = 1;
    if (change == CannotTell)
        pictures.identities = false;
    if (change == Cleared)
        ahead.clear();

    // A step asks for the time stamp twice, then for the picture.
    for (int ask = 0; ask < 2; ++ask)
        QTEST(ahead.timeStamp(1, asked).value_or(QString()), "stamp");
    QTEST(pictures.stampReads.load(), "stampReads");
    const Result<QImage> shown = ahead.loadScaled(1, asked, box);
    QVERIFY(shown);
    QCOMPARE(pictures.decodes.load(), decodes);
    QTEST(VersionedPictures::codeOf(*shown), "code");
    QTEST(shown->size(), "size");
    // Used once: the next ask reads the file.
    QVERIFY(ahead.loadScaled(1, asked, box));
    QCOMPARE(pictures.decodes.load(), decodes + 1);
    // A stamp that is gone is reported, whatever was read before.
    pictures.ranges.clear();
    QCOMPARE(ahead.timeStamp(1, asked).error(), QStringLiteral("gone"));
}

void TestPictureReadAhead::aStepDuringTheDecodeWaitsForIt()
{
    VersionedPictures pictures;
    pictures.add(0, 9);
    pictures.hold = true;
    PictureReadAhead ahead(pictures);
    ahead.readAhead(1, 3, QSize(40, 30));
    // The worker is inside the decode when the step asks for the same picture.
    QTRY_COMPARE(pictures.held.load(), 1);
    std::thread letGo([&] {
        QThread::msleep(50);
        pictures.release.release();
    });
    const Result<QImage> shown = ahead.loadScaled(1, 3, QSize(40, 30));
    letGo.join();
    QVERIFY(shown);
    QCOMPARE(VersionedPictures::codeOf(*shown), 3);
    QCOMPARE(pictures.decodes.load(), 1);
    QCOMPARE(pictures.decodedElsewhere.load(), 1);
    // A failed read ahead is left to the step, which reports it.
    pictures.hold = false;
    ahead.readAhead(1, 12, QSize(40, 30));
    QCOMPARE(ahead.loadScaled(1, 12, QSize(40, 30)).error(), QStringLiteral("missing"));
}

QTEST_GUILESS_MAIN(TestPictureReadAhead)
#include "tst_picturereadahead.moc"
