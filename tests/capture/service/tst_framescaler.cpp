// Frames come out exactly as the video header describes them, whatever size the camera sent.
#include "capture/service/framescaler.h"

#include <QTest>

class TestFrameScaler : public QObject
{
    Q_OBJECT
private slots:
    void scale_data();
    void scale();
    void reusedForChangingSizes();
};

namespace {

// Source pixel (x, y) from the top: (x, y, x ^ y) as BGR, rows `stride` bytes apart.
std::vector<std::uint8_t> pattern(int w, int h, int stride)
{
    std::vector<std::uint8_t> src(std::size_t(stride) * std::size_t(h), 0xee);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            std::uint8_t *p = &src[std::size_t(y * stride + 3 * x)];
            p[0] = std::uint8_t(x);
            p[1] = std::uint8_t(y);
            p[2] = std::uint8_t(x ^ y);
        }
    }
    return src;
}

// Compares every frame pixel with the source pixel it must come from; padding must be zero.
void checkFrame(const std::vector<std::uint8_t> &frame, const VideoHeader &header, int srcW,
                int srcH)
{
    const int stride = int(header.rowStride());
    for (int y = 0; y < header.height; ++y) {
        const int row = header.height - 1 - y; // bottom-up
        for (int x = 0; x < header.width; ++x) {
            const int sx = x * srcW / header.width;
            const int sy = y * srcH / header.height;
            const std::uint8_t *p = &frame[std::size_t(row * stride + 3 * x)];
            if (p[0] != std::uint8_t(sx) || p[1] != std::uint8_t(sy) ||
                p[2] != std::uint8_t(sx ^ sy))
                QFAIL(qPrintable(QStringLiteral("wrong pixel at %1,%2").arg(x).arg(y)));
        }
        for (int i = 3 * header.width; i < stride; ++i)
            QCOMPARE(frame[std::size_t(row * stride + i)], std::uint8_t(0));
    }
}

} // namespace

void TestFrameScaler::scale_data()
{
    QTest::addColumn<int>("srcW");
    QTest::addColumn<int>("srcH");
    QTest::addColumn<int>("srcPadding");
    QTest::addColumn<int>("dstW");
    QTest::addColumn<int>("dstH");
    QTest::newRow("same size") << 320 << 240 << 0 << 320 << 240;
    QTest::newRow("odd width needs row padding") << 321 << 5 << 0 << 321 << 5;
    QTest::newRow("camera pads its rows") << 64 << 48 << 20 << 64 << 48;
    QTest::newRow("camera too big: halved") << 640 << 480 << 0 << 320 << 240;
    QTest::newRow("camera too small: doubled") << 160 << 120 << 0 << 320 << 240;
    QTest::newRow("other aspect") << 640 << 360 << 8 << 352 << 288;
    QTest::newRow("single pixel") << 1 << 1 << 0 << 3 << 2;
}

void TestFrameScaler::scale()
{
    QFETCH(int, srcW);
    QFETCH(int, srcH);
    QFETCH(int, srcPadding);
    QFETCH(int, dstW);
    QFETCH(int, dstH);
    const int srcStride = 3 * srcW + srcPadding;
    const auto src = pattern(srcW, srcH, srcStride);
    const VideoHeader header = VideoHeader::make(dstW, dstH, 24);
    std::vector<std::uint8_t> frame(header.imageSize(), 0x55);
    FrameScaler scaler;
    scaler.scale(src.data(), srcW, srcH, srcStride, frame.data(), header);
    checkFrame(frame, header, srcW, srcH);
}

void TestFrameScaler::reusedForChangingSizes()
{
    // One scaler serves a camera whose format changes: its cached columns must follow.
    FrameScaler scaler;
    const std::pair<int, int> sizes[] = {{640, 320}, {320, 160}, {320, 320}, {640, 160}};
    for (const auto &[srcW, dstW] : sizes) {
        const auto src = pattern(srcW, 10, 3 * srcW);
        const VideoHeader header = VideoHeader::make(dstW, 10, 24);
        std::vector<std::uint8_t> frame(header.imageSize());
        scaler.scale(src.data(), srcW, 10, 3 * srcW, frame.data(), header);
        checkFrame(frame, header, srcW, 10);
    }
}

QTEST_APPLESS_MAIN(TestFrameScaler)
#include "tst_framescaler.moc"
