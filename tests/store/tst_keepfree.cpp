// "Keep free": when a picture must restart the numbering at 0 rather than take the space kept
// free, and what the check reads from the file system to decide it.
#include "common/tempworkdir.h"
#include "store/keepfree.h"

#include <QDir>
#include <QFile>
#include <QTest>

namespace {
constexpr qint64 MB = KeepFree::BytesPerMegabyte;

struct SetSpace : StoreSpace
{
    std::optional<qint64> available;
    int asked = 0;
    std::optional<qint64> availableBytes() override
    {
        ++asked;
        return available;
    }
    QString mountPoint() override { return QStringLiteral("/media/x"); }
};

void writeBytes(const QString &path, qint64 size)
{
    QDir().mkpath(QStringLiteral("1"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(file.write(QByteArray(size, 'x')) == size);
}
} // namespace

class TestKeepFree : public QObject
{
    Q_OBJECT
private slots:
    void decision_data();
    void decision();
    void checkReadsTheStore_data();
    void checkReadsTheStore();
};

void TestKeepFree::decision_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<qint64>("available");
    QTest::addColumn<qint64>("keepFree");
    QTest::addColumn<qint64>("picture");
    QTest::addColumn<qint64>("replaced");
    QTest::addColumn<bool>("restart");
    QTest::newRow("plenty of room") << 7 << 500 * MB << 200 * MB << 50000LL << 0LL << false;
    QTest::newRow("off, disk all but full") << 7 << 1000LL << 0LL << 50000LL << 0LL << false;
    QTest::newRow("exactly at the limit")
        << 7 << 200 * MB + 50000 << 200 * MB << 50000LL << 0LL << false;
    QTest::newRow("one byte short") << 7 << 200 * MB + 49999 << 200 * MB << 50000LL << 0LL << true;
    QTest::newRow("replacement frees enough")
        << 7 << 200 * MB + 10000 << 200 * MB << 50000LL << 40000LL << false;
    QTest::newRow("replacement frees too little")
        << 7 << 200 * MB + 10000 << 200 * MB << 50000LL << 39999LL << true;
    QTest::newRow("already below the limit") << 7 << 10 * MB << 200 * MB << 50000LL << 0LL << true;
    QTest::newRow("number already 0") << 0 << 10 * MB << 200 * MB << 50000LL << 0LL << false;
    QTest::newRow("last picture of the store")
        << 319999 << 1 * MB << 2 * MB << 50000LL << 50000LL << true;
}

void TestKeepFree::decision()
{
    QFETCH(int, number);
    QFETCH(qint64, available);
    QFETCH(qint64, keepFree);
    QFETCH(qint64, picture);
    QFETCH(qint64, replaced);
    QFETCH(bool, restart);
    QCOMPARE(KeepFree::restartNeeded(number, {available, keepFree, picture, replaced}), restart);
}

// One look at the file system per picture: the free space, and the size of the picture the
// new one replaces. The next picture is expected as large as the last one, or as the frame.
void TestKeepFree::checkReadsTheStore_data()
{
    QTest::addColumn<int>("megabytes");
    QTest::addColumn<std::optional<qint64>>("available");
    QTest::addColumn<qint64>("lastPicture"); // 0: none stored yet
    QTest::addColumn<qint64>("existing");    // the size of 1/capture3.jpg; -1: none
    QTest::addColumn<bool>("restart");
    QTest::addColumn<int>("asked");
    const std::optional<qint64> unknown;
    const std::optional<qint64> justRoom = 1 * MB + 1000;
    QTest::newRow("off") << 0 << justRoom << 1000LL << -1LL << false << 0;
    QTest::newRow("last picture fits") << 1 << justRoom << 1000LL << -1LL << false << 1;
    QTest::newRow("last picture too large") << 1 << justRoom << 1001LL << -1LL << true << 1;
    QTest::newRow("frame size guessed, too large") << 1 << justRoom << 0LL << -1LL << true << 1;
    QTest::newRow("replaced file counted") << 1 << justRoom << 5000LL << 4000LL << false << 1;
    QTest::newRow("space unknown") << 1 << unknown << 1001LL << -1LL << false << 1;
}

void TestKeepFree::checkReadsTheStore()
{
    QFETCH(int, megabytes);
    QFETCH(std::optional<qint64>, available);
    QFETCH(qint64, lastPicture);
    QFETCH(qint64, existing);
    QFETCH(bool, restart);
    QFETCH(int, asked);
    TempWorkDir dir;
    const QString path = QStringLiteral("1/capture3.jpg");
    if (existing >= 0)
        writeBytes(path, existing);
    SetSpace space;
    space.available = available;
    KeepFree keepFree(space);
    QCOMPARE(keepFree.megabytes(), 200);
    keepFree.setMegabytes(megabytes);
    keepFree.pictureStored(lastPicture);
    const qint64 frameBytes = 320 * 240 * 3;
    QCOMPARE(keepFree.restartNeeded(3, path, frameBytes), restart);
    QCOMPARE(space.asked, asked);
    QVERIFY(!keepFree.restartNeeded(0, path, frameBytes)); // 0 has nowhere else to go
    QCOMPARE(space.asked, asked);
    // After a change of format, the frame stands in for the last picture again.
    keepFree.forgetPictureSize();
    if (megabytes > 0 && available && existing < 0)
        QVERIFY(keepFree.restartNeeded(3, path, frameBytes));
}

QTEST_GUILESS_MAIN(TestKeepFree)
#include "tst_keepfree.moc"
