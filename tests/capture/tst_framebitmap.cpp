// Decoding a frame (bottom-up, padded BGR rows) into the top-down bitmap, and the reuse of the
// frame buffers from frame to frame.
#include "capture/framebuffers.h"

#include <QTest>

#include <vector>

namespace {
// The colour the frame shows at (x, y), y counted from the top of the picture.
QRgb colourAt(int x, int y, int variant)
{
    if (y == 0)
        return qRgb(255, 0, 0); // a pure red top row: any channel swap shows
    return qRgb((x * 7 + variant) & 0xff, (y * 13) & 0xff, (x + y + variant) & 0xff);
}

// A frame as the capture service delivers it: bottom row first, rows padded with junk.
std::vector<std::uint8_t> makeFrame(const VideoHeader &header, int variant)
{
    std::vector<std::uint8_t> frame(header.imageSize(), 0xee);
    const int w = header.width;
    const int h = header.height;
    for (int y = 0; y < h; ++y) {
        std::uint8_t *row = frame.data() + std::size_t(h - 1 - y) * header.rowStride();
        for (int x = 0; x < w; ++x) {
            const QRgb c = colourAt(x, y, variant);
            row[3 * x] = std::uint8_t(qBlue(c));
            row[3 * x + 1] = std::uint8_t(qGreen(c));
            row[3 * x + 2] = std::uint8_t(qRed(c));
        }
    }
    return frame;
}

bool showsFrame(const QImage &image, int variant)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != colourAt(x, y, variant))
                return false;
    return true;
}
} // namespace

class TestFrameBitmap : public QObject
{
    Q_OBJECT
private slots:
    void decodesBottomUpRows_data();
    void decodesBottomUpRows();
    void reusesOneBuffer();
    void keepsCopiesHeldByOthers();
    void refusesShortFrames();
    void refusesOtherBitDepths();
    void followsFormatChanges();
};

void TestFrameBitmap::decodesBottomUpRows_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::newRow("320x240") << 320 << 240;
    QTest::newRow("81x60, padded rows") << 81 << 60;
    QTest::newRow("1x2") << 1 << 2;
}

void TestFrameBitmap::decodesBottomUpRows()
{
    QFETCH(int, width);
    QFETCH(int, height);
    const VideoHeader header = VideoHeader::make(width, height, 24);
    FrameBuffers buffers(header);
    QCOMPARE(buffers.copyFrame(makeFrame(header, 3)), FrameBuffers::CopyResult::Copied);

    const QImage &bitmap = buffers.bitmap();
    QCOMPARE(bitmap.format(), QImage::Format_BGR888);
    QCOMPARE(bitmap.size(), QSize(width, height));
    QCOMPARE(bitmap.pixelColor(0, 0), QColor(Qt::red));
    QCOMPARE(bitmap.pixelColor(width - 1, 0), QColor(Qt::red));
    QVERIFY(showsFrame(bitmap, 3));
}

void TestFrameBitmap::reusesOneBuffer()
{
    const VideoHeader header = VideoHeader::make(81, 60, 24);
    FrameBuffers buffers(header);
    QVERIFY(buffers.copyFrame(makeFrame(header, 1)) == FrameBuffers::CopyResult::Copied);
    const uchar *bits = buffers.bitmap().constBits();
    const std::uint8_t *pixels = buffers.frameImage().pixelArea().data();
    QVERIFY(buffers.copyFrame(makeFrame(header, 2)) == FrameBuffers::CopyResult::Copied);
    QCOMPARE(buffers.bitmap().constBits(), bits);
    QCOMPARE(buffers.frameImage().pixelArea().data(), pixels);
    QVERIFY(showsFrame(buffers.bitmap(), 2));
}

void TestFrameBitmap::keepsCopiesHeldByOthers()
{
    const VideoHeader header = VideoHeader::make(81, 60, 24);
    FrameBuffers buffers(header);
    QVERIFY(buffers.copyFrame(makeFrame(header, 1)) == FrameBuffers::CopyResult::Copied);
    const QImage held = buffers.bitmap(); // e.g. a viewer that keeps the last frame
    QVERIFY(buffers.copyFrame(makeFrame(header, 2)) == FrameBuffers::CopyResult::Copied);
    QVERIFY(showsFrame(held, 1));
    QVERIFY(showsFrame(buffers.bitmap(), 2));
}

void TestFrameBitmap::refusesShortFrames()
{
    const VideoHeader header = VideoHeader::make(320, 240, 24);
    FrameBuffers buffers(header);
    QVERIFY(buffers.copyFrame(makeFrame(header, 1)) == FrameBuffers::CopyResult::Copied);

    // Exactly as long as what is delivered, so a sanitiser build would catch an over-read.
    std::vector<std::uint8_t> shortFrame = makeFrame(header, 2);
    shortFrame.resize(shortFrame.size() - 1);
    shortFrame.shrink_to_fit();
    QCOMPARE(buffers.copyFrame(shortFrame), FrameBuffers::CopyResult::ShortFrame);
    QCOMPARE(buffers.copyFrame({}), FrameBuffers::CopyResult::ShortFrame);
    QVERIFY(showsFrame(buffers.bitmap(), 1));
}

void TestFrameBitmap::refusesOtherBitDepths()
{
    const VideoHeader header = VideoHeader::make(32, 16, 32);
    FrameBuffers buffers(header);
    std::vector<std::uint8_t> frame(header.imageSize(), 0);
    QCOMPARE(buffers.copyFrame(frame), FrameBuffers::CopyResult::UnsupportedFormat);
    QVERIFY(buffers.bitmap().isNull());
}

void TestFrameBitmap::followsFormatChanges()
{
    FrameBuffers buffers(VideoHeader::make(320, 240, 24));
    const VideoHeader small = VideoHeader::make(80, 60, 24);
    buffers.rebuild(small);
    QCOMPARE(buffers.bitmap().size(), QSize(80, 60));
    QCOMPARE(buffers.copyFrame(makeFrame(small, 4)), FrameBuffers::CopyResult::Copied);
    QVERIFY(showsFrame(buffers.bitmap(), 4));
}

QTEST_GUILESS_MAIN(TestFrameBitmap)
#include "tst_framebitmap.moc"
