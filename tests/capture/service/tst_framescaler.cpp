// Frames come out top row first at the size wanted, whatever size the camera sent.
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

// Compares every frame pixel with the source pixel it must come from.
void checkFrame(const QImage &frame, int srcW, int srcH)
{
    for (int y = 0; y < frame.height(); ++y) {
        const std::uint8_t *row = frame.constScanLine(y);
        for (int x = 0; x < frame.width(); ++x) {
            const int sx = x * srcW / frame.width();
            const int sy = y * srcH / frame.height();
            const std::uint8_t *p = row + 3 * x;
            if (p[0] != std::uint8_t(sx) || p[1] != std::uint8_t(sy) ||
                p[2] != std::uint8_t(sx ^ sy))
                QFAIL(qPrintable(QStringLiteral("wrong pixel at %1,%2").arg(x).arg(y)));
        }
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
    QTest::newRow("odd width: padded frame rows") << 321 << 5 << 0 << 321 << 5;
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
    QImage frame(dstW, dstH, QImage::Format_BGR888);
    frame.fill(Qt::white);
    FrameScaler scaler;
    scaler.scale(src.data(), srcW, srcH, srcStride, frame);
    checkFrame(frame, srcW, srcH);
}

void TestFrameScaler::reusedForChangingSizes()
{
    // One scaler serves a camera whose format changes: its cached columns must follow.
    FrameScaler scaler;
    const std::pair<int, int> sizes[] = {{640, 320}, {320, 160}, {320, 320}, {640, 160}};
    for (const auto &[srcW, dstW] : sizes) {
        const auto src = pattern(srcW, 10, 3 * srcW);
        QImage frame(dstW, 10, QImage::Format_BGR888);
        scaler.scale(src.data(), srcW, 10, 3 * srcW, frame);
        checkFrame(frame, srcW, 10);
    }
}

QTEST_APPLESS_MAIN(TestFrameScaler)
#include "tst_framescaler.moc"
