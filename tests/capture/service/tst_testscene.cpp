// The built-in scene must look alive: a moving box, a running clock, optional noise.
#include "capture/service/testscene.h"

#include <QTest>

class TestTestScene : public QObject
{
    Q_OBJECT
private slots:
    void fillsExactlyTheFrame_data();
    void fillsExactlyTheFrame();
    void boxMovesOnlyWithMotion();
    void clockIsVisible();
    void noiseFlickers();
    void boxStaysInside();
};

namespace {
using Frame = std::vector<std::uint8_t>;

Frame draw(TestScene &scene, const VideoHeader &h, QTime clock, std::int64_t ms,
           TestScene::Options options)
{
    Frame frame(h.imageSize() + 16, 0xab); // the bytes past the frame must stay untouched
    scene.draw(frame.data(), h, clock, ms, options);
    for (std::size_t i = h.imageSize(); i < frame.size(); ++i) {
        if (frame[i] != 0xab)
            qFatal("the scene wrote past the frame");
    }
    frame.resize(h.imageSize());
    return frame;
}

const QTime noon(12, 0, 0);
} // namespace

void TestTestScene::fillsExactlyTheFrame_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::newRow("320x240") << 320 << 240;
    QTest::newRow("odd width") << 321 << 241;
    QTest::newRow("tiny") << 2 << 2;
    QTest::newRow("large") << 1280 << 720;
}

void TestTestScene::fillsExactlyTheFrame()
{
    QFETCH(int, width);
    QFETCH(int, height);
    const VideoHeader h = VideoHeader::make(width, height, 24);
    TestScene scene;
    const Frame frame = draw(scene, h, noon, 0, {true, true});
    const std::size_t rowBytes = std::size_t(width) * 3;
    for (int row = 0; row < height; ++row) {
        for (std::size_t i = rowBytes; i < h.rowStride(); ++i)
            QCOMPARE(frame[row * h.rowStride() + i], std::uint8_t(0));
    }
}

void TestTestScene::boxMovesOnlyWithMotion()
{
    const VideoHeader h = VideoHeader::make(320, 240, 24);
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
    const VideoHeader h = VideoHeader::make(320, 240, 24);
    TestScene scene;
    const Frame a = draw(scene, h, noon, 0, {false, false});
    QVERIFY(a != draw(scene, h, noon.addSecs(1), 0, {false, false}));
    QVERIFY(a != draw(scene, h, noon.addMSecs(10), 0, {false, false}));
}

void TestTestScene::noiseFlickers()
{
    const VideoHeader h = VideoHeader::make(64, 48, 24);
    TestScene scene;
    const Frame a = draw(scene, h, noon, 0, {false, true});
    const Frame b = draw(scene, h, noon, 0, {false, true});
    QVERIFY(a != b);
    // Noise is a flicker, not a new picture: every byte stays close to the still scene.
    const Frame still = draw(scene, h, noon, 0, {false, false});
    for (std::size_t i = 0; i < a.size(); ++i)
        QVERIFY(std::abs(int(a[i]) - int(still[i])) <= 15);
}

void TestTestScene::boxStaysInside()
{
    const VideoHeader h = VideoHeader::make(100, 80, 24);
    for (std::int64_t ms = 0; ms < 10000; ms += 37) {
        int x, y;
        TestScene::boxPosition(h, ms, true, x, y);
        QVERIFY(x >= 0 && x + 100 / 6 <= 100);
        QVERIFY(y >= 0 && y + 80 / 6 <= 80);
    }
}

QTEST_APPLESS_MAIN(TestTestScene)
#include "tst_testscene.moc"
