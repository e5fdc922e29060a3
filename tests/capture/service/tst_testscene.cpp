// The built-in scene must look alive: a moving box, a running clock, optional noise.
#include "capture/service/testscene.h"

#include <QTest>

class TestTestScene : public QObject
{
    Q_OBJECT
private slots:
    void drawsTopRowFirst_data();
    void drawsTopRowFirst();
    void boxMovesOnlyWithMotion();
    void clockIsVisible();
    void noiseFlickers();
    void boxStaysInside();
    void lightSwitchHalvesEveryByte_data();
    void lightSwitchHalvesEveryByte();
    void reusedFrameMatchesFreshOne_data();
    void reusedFrameMatchesFreshOne();
};

namespace {
using Frame = QImage;

Frame draw(TestScene &scene, QSize size, QTime clock, std::int64_t ms, TestScene::Options options)
{
    QImage frame(size, QImage::Format_BGR888);
    scene.draw(frame, clock, ms, options);
    return frame;
}

const QTime noon(12, 0, 0);
} // namespace

void TestTestScene::drawsTopRowFirst_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::newRow("320x240") << 320 << 240;
    QTest::newRow("odd width: padded rows") << 321 << 241;
    QTest::newRow("large") << 1280 << 720;
}

// The gradient's green grows downwards and its blue to the right, up to the last pixel of
// every row: a frame stored upside down, or with rows shifted, shows at once.
void TestTestScene::drawsTopRowFirst()
{
    QFETCH(int, width);
    QFETCH(int, height);
    TestScene scene;
    const QImage frame = draw(scene, QSize(width, height), noon, 0, {false, false});
    QCOMPARE(frame.format(), QImage::Format_BGR888);
    const QColor bottomRight = frame.pixelColor(width - 1, height - 1);
    QCOMPARE(bottomRight, QColor(96, 192, 255));
    QCOMPARE(frame.pixelColor(width - 1, 0).green(), 32);
    QCOMPARE(frame.pixelColor(0, height - 1).blue(), 64);
}

void TestTestScene::boxMovesOnlyWithMotion()
{
    const QSize h(320, 240);
    TestScene scene;
    QCOMPARE(draw(scene, h, noon, 0, {false, false}), draw(scene, h, noon, 700, {false, false}));
    QVERIFY(draw(scene, h, noon, 0, {true, false}) != draw(scene, h, noon, 700, {true, false}));
    int x0, y0, x1, y1;
    TestScene::boxPosition(h, 0, true, x0, y0);
    TestScene::boxPosition(h, 700, true, x1, y1);
    QVERIFY(x0 != x1 && y0 != y1);
}

void TestTestScene::clockIsVisible()
{
    const QSize h(320, 240);
    TestScene scene;
    const Frame a = draw(scene, h, noon, 0, {false, false});
    QVERIFY(a != draw(scene, h, noon.addSecs(1), 0, {false, false}));
    QVERIFY(a != draw(scene, h, noon.addMSecs(10), 0, {false, false}));
}

void TestTestScene::noiseFlickers()
{
    const QSize h(64, 48);
    TestScene scene;
    const Frame a = draw(scene, h, noon, 0, {false, true});
    const Frame b = draw(scene, h, noon, 0, {false, true});
    QVERIFY(a != b);
    // Noise is a flicker, not a new picture: every byte stays close to the still scene.
    const Frame still = draw(scene, h, noon, 0, {false, false});
    for (int y = 0; y < h.height(); ++y)
        for (int i = 0; i < 3 * h.width(); ++i)
            QVERIFY(std::abs(int(a.constScanLine(y)[i]) - int(still.constScanLine(y)[i])) <= 15);
}

void TestTestScene::boxStaysInside()
{
    const QSize h(100, 80);
    for (std::int64_t ms = 0; ms < 10000; ms += 37) {
        int x, y;
        TestScene::boxPosition(h, ms, true, x, y);
        QVERIFY(x >= 0 && x + 100 / 6 <= 100);
        QVERIFY(y >= 0 && y + 80 / 6 <= 80);
    }
    // Box and clock are larger than a tiny frame: they are cut at its edges (a sanitiser
    // build catches any write past them).
    TestScene scene;
    QCOMPARE(draw(scene, QSize(2, 2), noon, 0, {true, true}).size(), QSize(2, 2));
}

void TestTestScene::lightSwitchHalvesEveryByte_data()
{
    QTest::addColumn<QSize>("size");
    QTest::newRow("320x240") << QSize(320, 240);
    QTest::newRow("odd width: the last bytes of a row one by one") << QSize(101, 7);
}

// The whole scene, box and clock included, at half its brightness: every byte, none missed at
// the end of a row and none spilling over from its neighbour.
void TestTestScene::lightSwitchHalvesEveryByte()
{
    QFETCH(QSize, size);
    TestScene scene;
    const Frame lit = draw(scene, size, noon, 300, {true, false, true, false});
    const Frame dimmed = draw(scene, size, noon, 300, {true, false, true, true});
    for (int y = 0; y < size.height(); ++y)
        for (int i = 0; i < 3 * size.width(); ++i)
            QCOMPARE(int(dimmed.constScanLine(y)[i]), int(lit.constScanLine(y)[i]) / 2);
}

void TestTestScene::reusedFrameMatchesFreshOne_data()
{
    QTest::addColumn<bool>("motion");
    QTest::addColumn<bool>("noiseBefore");  // the frame's last drawing had noise
    QTest::addColumn<bool>("dimmedBefore"); // or was dimmed
    QTest::addColumn<bool>("touched");      // someone drew into the frame since
    QTest::addColumn<QSize>("size");
    QTest::newRow("moving box") << true << false << false << false << QSize(320, 240);
    QTest::newRow("still box, clock only") << false << false << false << false << QSize(640, 480);
    QTest::newRow("noise before") << true << true << false << false << QSize(320, 240);
    QTest::newRow("light switched before") << true << false << true << false << QSize(320, 240);
    QTest::newRow("drawn into since") << true << false << false << true << QSize(320, 240);
    QTest::newRow("box at the edge") << true << false << false << false << QSize(7, 5);
}

// A frame handed back to be drawn again holds the last scene, or whatever its user did to it:
// the new scene must come out exactly as if drawn on a fresh frame.
void TestTestScene::reusedFrameMatchesFreshOne()
{
    QFETCH(bool, motion);
    QFETCH(bool, noiseBefore);
    QFETCH(bool, dimmedBefore);
    QFETCH(bool, touched);
    QFETCH(QSize, size);
    TestScene scene;
    QImage other(size, QImage::Format_BGR888); // a second frame in circulation
    scene.draw(other, noon, 0, {motion, false});
    QImage frame(size, QImage::Format_BGR888);
    scene.draw(frame, noon.addSecs(3), 400, {motion, noiseBefore, true, dimmedBefore});
    scene.draw(other, noon.addSecs(4), 800, {motion, false});
    if (touched)
        frame.fill(Qt::red);
    scene.draw(frame, noon.addMSecs(7890), 1300, {motion, false});
    TestScene fresh;
    QCOMPARE(frame, draw(fresh, size, noon.addMSecs(7890), 1300, {motion, false}));
}

QTEST_GUILESS_MAIN(TestTestScene)
#include "tst_testscene.moc"
