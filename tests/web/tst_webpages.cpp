// The web view's pages of the store: which files count as pictures and in what order, how they
// are paged, and how a picture's page links its neighbours; and the live picture's rules
// (nothing compressed without a viewer, at most one frame per period).
#include "common/tempworkdir.h"
#include "web/weblive.h"
#include "web/webpages.h"
#include "web/webpictureindex.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTest>
#include <QTimeZone>

#include <atomic>
#include <thread>

namespace {
QByteArray storeRoot()
{
    return QFile::encodeName(QDir::currentPath()) + '/';
}

QStringList names(const WebPictureIndex::Entries &list)
{
    QStringList out;
    for (const WebPictureIndex::Entry &e : list)
        out << QStringLiteral("%1/%2").arg(e.directory).arg(e.number);
    return out;
}

// "path@age" a file modified age seconds ago, "path->target" a link, "path/" a directory.
bool make(const QString &entry, const QDateTime &now)
{
    if (entry.endsWith('/'))
        return QDir().mkpath(entry);
    if (entry.contains("->")) {
        const QStringList parts = entry.split("->");
        QDir().mkpath(QFileInfo(parts[0]).path());
        return QFile::link(parts[1], parts[0]);
    }
    const QStringList parts = entry.split('@');
    QDir().mkpath(QFileInfo(parts[0]).path());
    QFile file(parts[0]);
    return file.open(QIODevice::WriteOnly) && file.write("x") == 1 && file.flush() &&
           file.setFileTime(now.addSecs(-parts[1].toInt()), QFileDevice::FileModificationTime);
}

WebPictureIndex::Entries madeUp(int count)
{
    // Newest first, one a minute, numbered downwards across directories.
    const QDateTime newest(QDate(2026, 12, 8), QTime(21, 40, 3), QTimeZone::utc());
    WebPictureIndex::Entries list;
    for (int i = 0; i < count; ++i) {
        const int number = 5010 - i;
        list.push_back(
            {number / 5000 + 1, number, newest.addSecs(-60 * i).toMSecsSinceEpoch() * 1000000});
    }
    return list;
}

class CountingViewer : public WebLive::Viewer
{
public:
    void wake() override { ++wakes; }
    std::atomic<int> wakes = 0;
};
} // namespace

class TestWebPages : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { qputenv("TZ", "UTC"); }
    void ordersNewestFirst_data();
    void ordersNewestFirst();
    void followsTheStore();
    void pagesThroughTheStore_data();
    void pagesThroughTheStore();
    void linksNeighbours_data();
    void linksNeighbours();
    void compressesOnlyForViewers();
};

void TestWebPages::ordersNewestFirst_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("across directories")
        << QStringList{"1/capture0.jpg@30", "2/capture5000.jpg@10", "64/capture319999.jpg@20"}
        << QStringList{"2/5000", "64/319999", "1/0"};
    QTest::newRow("same time: higher number first")
        << QStringList{"3/capture10000.jpg@5", "3/capture10001.jpg@5"}
        << QStringList{"3/10001", "3/10000"};
    QTest::newRow("ring wrapped") << QStringList{"64/capture319999.jpg@2", "1/capture0.jpg@1"}
                                  << QStringList{"1/0", "64/319999"};
    QTest::newRow("numbered plain files only")
        << QStringList{"1/capture0.jpg@1",     "1/capture00.jpg@1",
                       "1/notes.txt@1",        "1/.capture1.jpg.x.tmp@1",
                       "1/capture2.jpeg@1",    "1/Capture3.jpg@1",
                       "65/capture1.jpg@1",    "01/capture1.jpg@1",
                       "capture4.jpg@1",       "1/capture5.jpg->capture0.jpg",
                       "1/capture6.jpg/",      "0/capture7.jpg@1",
                       "1/capture320000.jpg@1"}
        << QStringList{"1/0"};
    QTest::newRow("directory that is a link")
        << QStringList{"1/capture0.jpg@3", "5/capture20000.jpg@1", "2->5"}
        << QStringList{"5/20000", "1/0"};
    QTest::newRow("empty store") << QStringList{} << QStringList{};
}

void TestWebPages::ordersNewestFirst()
{
    TempWorkDir dir;
    QFETCH(QStringList, files);
    const QDateTime now = QDateTime::currentDateTime();
    for (const QString &entry : files)
        QVERIFY2(make(entry, now), qPrintable(entry));
    WebPictureIndex index(storeRoot());
    QTEST(names(*index.newestFirst()), "expected");
}

void TestWebPages::followsTheStore()
{
    TempWorkDir dir;
    const QDateTime now = QDateTime::currentDateTime();
    QVERIFY(make("1/capture0.jpg@20", now) && make("7/capture30000.jpg@10", now));
    WebPictureIndex index(storeRoot());
    const auto before = index.newestFirst();
    QCOMPARE(names(*before), (QStringList{"7/30000", "1/0"}));
    QCOMPARE(index.newestFirst(), before); // nothing changed: the same list

    // A new picture, as the writer puts it in place: renamed into its directory.
    QVERIFY(make("7/.tmp@0", now) && QFile::rename("7/.tmp", "7/capture30001.jpg"));
    QCOMPARE(names(*index.newestFirst()), (QStringList{"7/30001", "7/30000", "1/0"}));
    QCOMPARE(names(*before), (QStringList{"7/30000", "1/0"})); // handed out: unchanged
    QVERIFY(QFile::remove("7/capture30000.jpg"));
    QCOMPARE(names(*index.newestFirst()), (QStringList{"7/30001", "1/0"}));
    QVERIFY(QDir("7").removeRecursively());
    QCOMPARE(names(*index.newestFirst()), QStringList{"1/0"});

    const auto list = index.newestFirst();
    QCOMPARE(WebPictureIndex::find(*list, 1, 0), std::optional<std::size_t>(0));
    QCOMPARE(WebPictureIndex::find(*list, 7, 30001), std::nullopt);
    QVERIFY(WebPictureIndex(QByteArray()).newestFirst()->empty()); // a store not found
}

void TestWebPages::pagesThroughTheStore_data()
{
    QTest::addColumn<int>("pictures");
    QTest::addColumn<int>("page");
    QTest::addColumn<int>("shown"); // -1: no such page
    QTest::addColumn<QByteArrayList>("links");
    QTest::newRow("empty store") << 0 << 1 << 0 << QByteArrayList{};
    QTest::newRow("empty store, page 2") << 0 << 2 << -1 << QByteArrayList{};
    QTest::newRow("one full page") << 20 << 1 << 20 << QByteArrayList{};
    QTest::newRow("one more") << 21 << 1 << 20
                              << QByteArrayList{"/pictures/2\" rel=\"next\">Older"};
    QTest::newRow("its second page")
        << 21 << 2 << 1 << QByteArrayList{"/pictures\">Newest", "/pictures\" rel=\"prev\">Newer"};
    QTest::newRow("middle") << 61 << 2 << 20
                            << QByteArrayList{"/pictures\" rel=\"prev\">Newer",
                                              "/pictures/3\" rel=\"next\">Older",
                                              "/pictures/4\">Oldest", "Page 2 of 4"};
    QTest::newRow("past the last") << 21 << 3 << -1 << QByteArrayList{};
    QTest::newRow("page 0") << 21 << 0 << -1 << QByteArrayList{};
}

void TestWebPages::pagesThroughTheStore()
{
    QFETCH(int, pictures);
    QFETCH(int, page);
    QFETCH(int, shown);
    QFETCH(QByteArrayList, links);
    const WebPages pages{QLocale(QLocale::English, QLocale::UnitedKingdom)};
    const WebPictureIndex::Entries list = madeUp(pictures);
    const std::optional<QByteArray> html = pages.gallery(list, page);
    QCOMPARE(html.has_value(), shown >= 0);
    if (!html)
        return;
    QCOMPARE(int(html->count("<li>")), shown);
    QCOMPARE(html->contains("holds no pictures"), pictures == 0);
    for (const QByteArray &link : links)
        QVERIFY2(html->contains(link), link.constData());
    QCOMPARE(html->contains("rel=\"next\""), links.join().contains("next"));
    QCOMPARE(html->contains("rel=\"prev\""), links.join().contains("prev"));
    if (shown > 0) {
        // The page's first picture, newest of its page, with its number and time.
        const WebPictureIndex::Entry &first = list[std::size_t(page - 1) * WebPages::PerPage];
        const QByteArray name = QByteArray::number(first.directory) + "/capture" +
                                QByteArray::number(first.number) + ".jpg";
        QVERIFY(html->contains("<a href=\"/picture/" + name + "\"><img src=\"/thumbs/" + name));
        QVERIFY(html->contains("class=\"number\">" + QByteArray::number(first.number) + "<"));
        const QTime time = QDateTime::fromMSecsSinceEpoch(first.modified / 1000000).time();
        QVERIFY(html->contains(time.toString("HH:mm:ss").toLatin1()));
    }
}

void TestWebPages::linksNeighbours_data()
{
    QTest::addColumn<int>("at");           // in the list of 25; -1: a picture not in it
    QTest::addColumn<QByteArray>("newer"); // empty: no link
    QTest::addColumn<QByteArray>("older");
    QTest::addColumn<QByteArray>("all");
    QTest::newRow("newest") << 0 << QByteArray() << QByteArray("2/capture5009.jpg")
                            << QByteArray("/pictures\"");
    // 5000 is the first of directory 2, 4999 the last of 1.
    QTest::newRow("across directories")
        << 10 << QByteArray("2/capture5001.jpg") << QByteArray("1/capture4999.jpg")
        << QByteArray("/pictures\"");
    QTest::newRow("second page") << 20 << QByteArray("1/capture4991.jpg")
                                 << QByteArray("1/capture4989.jpg") << QByteArray("/pictures/2\"");
    QTest::newRow("oldest") << 24 << QByteArray("1/capture4987.jpg") << QByteArray()
                            << QByteArray("/pictures/2\"");
    QTest::newRow("not in the store") << -1 << QByteArray() << QByteArray() << QByteArray();
}

void TestWebPages::linksNeighbours()
{
    QFETCH(int, at);
    const WebPages pages;
    const WebPictureIndex::Entries list = madeUp(25);
    const WebPictureIndex::Entry e = at >= 0 ? list[std::size_t(at)] : WebPictureIndex::Entry{1, 7};
    const std::optional<QByteArray> html = pages.picture(list, e.directory, e.number);
    QCOMPARE(html.has_value(), at >= 0);
    if (!html)
        return;
    const QByteArray name =
        QByteArray::number(e.directory) + "/capture" + QByteArray::number(e.number) + ".jpg";
    QVERIFY(html->contains("src=\"/store/" + name + '"'));
    QVERIFY(html->contains("<a href=\"/store/" + name + "\" download="));
    QFETCH(QByteArray, newer);
    QFETCH(QByteArray, older);
    QFETCH(QByteArray, all);
    QCOMPARE(html->contains("rel=\"prev\""), !newer.isEmpty());
    QCOMPARE(html->contains("rel=\"next\""), !older.isEmpty());
    if (!newer.isEmpty())
        QVERIFY(html->contains("/picture/" + newer + "\" rel=\"prev\""));
    if (!older.isEmpty())
        QVERIFY(html->contains("/picture/" + older + "\" rel=\"next\""));
    QVERIFY(html->contains("<a href=\"" + all + ">All pictures"));
}

void TestWebPages::compressesOnlyForViewers()
{
    WebLive live;
    QImage frame(64, 48, QImage::Format_RGB888);
    frame.fill(Qt::green);
    const QDateTime now = QDateTime::currentDateTime();
    QCOMPARE(live.latest()->sequence, quint64(0)); // the stand-in
    for (int i = 0; i < 5; ++i)
        live.takeFrame(frame, now);
    QTest::qWait(300);
    QCOMPARE(live.encodedFrames(), quint64(0)); // nobody watches

    // The first viewer sees the newest frame that came while nobody watched.
    auto viewer = std::make_shared<CountingViewer>();
    frame.fill(Qt::blue);
    live.takeFrame(frame, now);
    live.addViewer(viewer);
    QTRY_COMPARE(live.encodedFrames(), quint64(1));
    QTRY_VERIFY(viewer->wakes > 0);
    const std::shared_ptr<const WebLive::Frame> first = live.latest();
    QCOMPARE(first->sequence, quint64(1));
    const QImage shown = QImage::fromData(first->jpeg, "JPEG");
    QCOMPARE(shown.size(), frame.size());
    QVERIFY(qBlue(shown.pixel(10, 10)) > 200);
    // A burst well inside one period: only its first frame is kept.
    for (int i = 0; i < 10; ++i)
        live.takeFrame(frame, now);
    QTRY_COMPARE(live.encodedFrames(), quint64(2));
    QTest::qWait(int(WebLive::FramePeriod.count()) + 50);
    live.takeFrame(frame, now);
    QTRY_COMPARE(live.encodedFrames(), quint64(3));
    // Woken once a second without a frame as well.
    const int wakes = viewer->wakes;
    QTRY_VERIFY_WITH_TIMEOUT(viewer->wakes > wakes, 3000);

    live.removeViewer(viewer.get());
    live.waitForWakes();
    QCOMPARE(live.viewers(), 0);
    QTest::qWait(int(WebLive::FramePeriod.count()) + 50);
    live.takeFrame(frame, now);
    live.takeFrame(frame, now);
    QTest::qWait(300);
    QCOMPARE(live.encodedFrames(), quint64(3));
    live.addViewer(viewer);
    QTRY_COMPARE(live.encodedFrames(), quint64(4)); // once, however many came
    QTest::qWait(300);
    QCOMPARE(live.encodedFrames(), quint64(4));
}

QTEST_GUILESS_MAIN(TestWebPages)
#include "tst_webpages.moc"
