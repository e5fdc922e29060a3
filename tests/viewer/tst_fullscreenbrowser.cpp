// Stepping through the store in the full-screen view, over a made-up store and a recorded
// scroller: the directory crossings, missing and damaged pictures, enter and leave; and where
// the picture and its caption go for a scale.
#include "viewer/fakepictures.h"
#include "viewer/fullscreenbrowser.h"
#include "viewer/fullscreendisplay.h"
#include "viewer/fullscreengeometry.h"
#include "viewer/viewerpage.h"

#include <QTest>

namespace {
// The picture scroller as the view has it: clamped to its range; a move from code runs the
// position change at once, as the scroll bar's valueChanged does.
struct RecordedDisplay : FullScreenDisplay
{
    FullScreenBrowser *browser = nullptr;
    int position = 0;
    int minimum = 0;
    int number = -1;
    int shown = -1; // number of the picture on show
    QString caption;
    int notPresent = 0;

    int scrollerPosition() const override { return position; }
    void setScrollerPosition(int p) override
    {
        p = std::clamp(p, minimum, FullScreenBrowser::RestartIndex);
        if (p == position)
            return;
        position = p;
        browser->positionChanged();
    }
    void setScrollerMinimum(int m) override { minimum = m; }
    void showPictureNumber(int picture) override { number = picture; }
    void showCaptionText(const QString &text) override { caption = text; }
    void recentrePicture() override {}
    void showPicture(const QImage &picture) override { shown = FakePictures::numberOf(picture); }
    void pictureNotPresent() override { ++notPresent; }
};

struct Rig
{
    FakePictures pictures;
    ViewerPage page{pictures};
    RecordedDisplay display;
    FullScreenBrowser browser{page, pictures, display};

    Rig() { display.browser = &browser; }

    /// The viewer at a range position, then a click on thumbnail k.
    QString enter(int rangePosition, int k)
    {
        page.changeRange(rangePosition);
        browser.pageDirectorySelected(page.directory());
        display.showPicture(page.slot(k).picture);
        return browser.enter(k);
    }
    /// A user's move: an arrow step (delta) or a drag of the thumb to a position, each with
    /// its scroll notification.
    void step(int delta) { moveTo(display.position + delta); }
    void moveTo(int position)
    {
        display.setScrollerPosition(position);
        browser.scrolled();
    }
};

constexpr int DragTo = 100000; // a move of the list above this is a drag to (move - DragTo)
} // namespace

class TestFullScreenBrowser : public QObject
{
    Q_OBJECT
private slots:
    void stepping_data();
    void stepping();
    void enterThenLeaveRestoresTheDirectory();
    void readsAheadTheWayItGoes_data();
    void readsAheadTheWayItGoes();
    void enterOnAVanishedPicture_data();
    void enterOnAVanishedPicture();
    void scaledBox_data();
    void scaledBox();
    void captionRule_data();
    void captionRule();
};

void TestFullScreenBrowser::stepping_data()
{
    QTest::addColumn<QList<int>>("present"); // pairs of first and last picture on disk
    QTest::addColumn<int>("undecodable");
    QTest::addColumn<int>("rangePosition");
    QTest::addColumn<int>("k");
    QTest::addColumn<QList<int>>("moves");
    QTest::addColumn<int>("picture");
    QTest::addColumn<int>("directory");
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("minimum");
    QTest::addColumn<int>("shown");
    QTest::addColumn<int>("messages");

    const QList<int> oneToThree{0, 10009};
    QTest::newRow("4999 forward into the next directory")
        << oneToThree << -1 << 499 << 10 << QList<int>{1} << 5000 << 2 << 0 << -1 << 5000 << 0;
    QTest::newRow("9999 forward to 10000")
        << oneToThree << -1 << 999 << 10 << QList<int>{1} << 10000 << 3 << 0 << -1 << 10000 << 0;
    QTest::newRow("0 of 3 back to 9999 of 2")
        << oneToThree << -1 << 1000 << 1 << QList<int>{-1} << 9999 << 2 << 4999 << -1 << 9999 << 0;
    QTest::newRow("thumb at the far right: first of the same directory")
        << oneToThree << -1 << 500 << 5 << QList<int>{DragTo + 5001} << 5000 << 2 << 0 << -1 << 5000
        << 0;
    QTest::newRow("below 0 of 1 after a crossing: 4999 of 1")
        << oneToThree << -1 << 499 << 10 << QList<int>{1, -1, DragTo + 0, -1} << 4999 << 1 << 4999
        << -1 << 4999 << 0;
    QTest::newRow("below 0 of 1 before any crossing: stays")
        << oneToThree << -1 << 0 << 1 << QList<int>{-1} << 0 << 1 << 0 << 0 << 0 << 0;
    QTest::newRow("0 to 40 on disk, forward from 40: message, back at 40")
        << QList<int>{0, 40} << -1 << 4 << 1 << QList<int>{1} << 40 << 1 << 40 << 0 << 40 << 1;
    QTest::newRow("a second step into the gap is silent")
        << QList<int>{0, 40} << -1 << 4 << 1 << QList<int>{1, 1} << 41 << 1 << 41 << 0 << 40 << 1;
    QTest::newRow("back into the store after the message")
        << QList<int>{0, 40} << -1 << 4 << 1 << QList<int>{1, -1} << 39 << 1 << 39 << 0 << 39 << 1;
    QTest::newRow("0 of 2 back into a gap: message, back at 0 of 2")
        << QList<int>{5000, 5009} << -1 << 500 << 1 << QList<int>{-1} << 5000 << 2 << 0 << -1
        << 5000 << 1;
    QTest::newRow("past 319999: message, back at 319999 through the crossing")
        << QList<int>{319990, 319999} << -1 << 31999 << 10 << QList<int>{1} << 319999 << 64 << 4999
        << -1 << 319999 << 1;
    QTest::newRow("damaged: numbers move, picture stays")
        << QList<int>{0, 20} << 11 << 1 << 1 << QList<int>{1} << 11 << 1 << 11 << 0 << 10 << 0;
}

void TestFullScreenBrowser::stepping()
{
    QFETCH(QList<int>, present);
    QFETCH(int, undecodable);
    QFETCH(int, rangePosition);
    QFETCH(int, k);
    QFETCH(QList<int>, moves);
    Rig rig;
    for (qsizetype i = 0; i + 1 < present.size(); i += 2)
        rig.pictures.add(present[i], present[i + 1]);
    rig.pictures.undecodable.insert(undecodable);
    QCOMPARE(rig.enter(rangePosition, k), QString());
    QCOMPARE(rig.browser.currentPicture(), 10 * rangePosition + k - 1);
    for (int move : moves) {
        if (move >= DragTo)
            rig.moveTo(move - DragTo);
        else
            rig.step(move);
    }

    QTEST(rig.browser.currentPicture(), "picture");
    QTEST(rig.page.viewDirectory(), "directory");
    QCOMPARE(rig.page.viewDirectoryBase(), (rig.page.viewDirectory() - 1) * 5000);
    QTEST(rig.display.position, "position");
    QTEST(rig.display.minimum, "minimum");
    QTEST(rig.display.shown, "shown");
    QTEST(rig.display.notPresent, "messages");
    QCOMPARE(rig.display.number, rig.browser.currentPicture());
    QVERIFY(rig.display.caption.startsWith(
        QStringLiteral("picture%1   ").arg(rig.browser.currentPicture())));
}

void TestFullScreenBrowser::enterThenLeaveRestoresTheDirectory()
{
    Rig rig;
    rig.pictures.add(0, 15000);
    QCOMPARE(rig.enter(999, 10), QString());
    QCOMPARE(rig.display.caption, "picture9999   stamp9999");
    QCOMPARE(rig.display.position, 4999);
    rig.step(1);
    rig.step(1);
    QCOMPARE(rig.browser.currentPicture(), 10001);
    QCOMPARE(rig.display.caption, "picture10001   stamp10001");
    rig.browser.leave();
    QCOMPARE(rig.page.viewDirectory(), 2);
    QCOMPARE(rig.page.viewDirectoryBase(), 5000);
}

void TestFullScreenBrowser::readsAheadTheWayItGoes_data()
{
    QTest::addColumn<int>("rangePosition");
    QTest::addColumn<int>("k");
    QTest::addColumn<QList<int>>("moves");
    QTest::addColumn<QList<int>>("readAheads");
    QTest::newRow("entering: the next") << 1 << 3 << QList<int>{} << QList<int>{13};
    QTest::newRow("forward, then back") << 1 << 3 << QList<int>{1, -1} << QList<int>{13, 14, 11};
    QTest::newRow("not past the directory's end") << 499 << 10 << QList<int>{} << QList<int>{};
    QTest::newRow("back onto the directory's start: forward from there")
        << 500 << 2 << QList<int>{-1} << QList<int>{5002, 5001};
    QTest::newRow("into a gap: nothing for the missing one")
        << 0 << 10 << QList<int>{1} << QList<int>{10};
}

void TestFullScreenBrowser::readsAheadTheWayItGoes()
{
    QFETCH(int, rangePosition);
    QFETCH(int, k);
    QFETCH(QList<int>, moves);
    Rig rig;
    rig.pictures.add(0, 9);
    rig.pictures.add(11, 15000);
    QCOMPARE(rig.enter(rangePosition, k), QString());
    for (int move : moves)
        rig.step(move);
    QTEST(rig.pictures.readAheads, "readAheads");
}

void TestFullScreenBrowser::enterOnAVanishedPicture_data()
{
    QTest::addColumn<int>("k");
    QTest::addColumn<int>("messages");
    QTest::addColumn<bool>("error");
    QTest::newRow("first thumbnail: not present") << 1 << 1 << false;
    QTest::newRow("third thumbnail: an error") << 3 << 0 << true;
}

void TestFullScreenBrowser::enterOnAVanishedPicture()
{
    QFETCH(int, k);
    QFETCH(int, messages);
    QFETCH(bool, error);
    Rig rig;
    rig.pictures.add(0, 9);
    rig.pictures.stampless.insert(k - 1);
    const QString failure = rig.enter(0, k);
    QCOMPARE(rig.display.notPresent, messages);
    QCOMPARE(failure.contains(QStringLiteral("1/capture%1.jpg").arg(k - 1)), error);
}

void TestFullScreenBrowser::scaledBox_data()
{
    QTest::addColumn<int>("windowWidth");
    QTest::addColumn<int>("scale");
    QTest::addColumn<QRect>("scaled");
    QTest::addColumn<QRect>("recentred");
    QTest::newRow("800 at 630") << 800 << 630 << QRect(85, 63, 630, 472) << QRect(85, 63, 630, 472);
    QTest::newRow("odd spare") << 801 << 630 << QRect(85, 63, 630, 472) << QRect(85, 64, 630, 472);
    QTest::newRow("smallest") << 800 << 80 << QRect(360, 270, 80, 60) << QRect(360, 270, 80, 60);
    QTest::newRow("wider than the window")
        << 801 << 2500 << QRect(-849, -636, 2500, 1875) << QRect(-849, -637, 2500, 1875);
}

void TestFullScreenBrowser::scaledBox()
{
    QFETCH(int, windowWidth);
    QFETCH(int, scale);
    QTEST(FullScreenGeometry::scaledBox(windowWidth, scale), "scaled");
    QTEST(FullScreenGeometry::recentredBox(windowWidth, scale), "recentred");
}

void TestFullScreenBrowser::captionRule_data()
{
    QTest::addColumn<bool>("maximised");
    QTest::addColumn<int>("scale");
    QTest::addColumn<bool>("shown");
    QTest::newRow("650") << false << 650 << true;
    QTest::newRow("651") << false << 651 << false;
    QTest::newRow("maximised 874") << true << 874 << true;
    QTest::newRow("maximised 875") << true << 875 << false;
}

void TestFullScreenBrowser::captionRule()
{
    QFETCH(bool, maximised);
    QFETCH(int, scale);
    QTEST(FullScreenGeometry::captionAllowed(maximised, scale), "shown");
}

QTEST_GUILESS_MAIN(TestFullScreenBrowser)
#include "tst_fullscreenbrowser.moc"
