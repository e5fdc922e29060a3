// The bitmap file image a frame is copied into: its header bytes and the frame copy.
#include "capture/frameimage.h"
#include "capture/videoheader.h"

#include <QTest>

#include <vector>

class TestFrameImage : public QObject
{
    Q_OBJECT
private slots:
    void headerBytes_data();
    void headerBytes();
    void storesWholeFramesOnly();
    void rebuildClearsAndResizes();
};

void TestFrameImage::headerBytes_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<QByteArray>("fileHeader");
    QTest::addColumn<QByteArray>("videoHeader");
    // Sizes: 230400 = 0x38400, 230454 = 0x38436; an 81-pixel row of 243 bytes pads to 244, so
    // 244 x 60 = 14640 = 0x3930 and 14694 = 0x3966; 768 x 3 x 568 = 1308672 = 0x13F800.
    QTest::newRow("320x240") << 320 << 240 << QByteArray::fromHex("424d3684030000000000360000")
                             << QByteArray::fromHex("2800000040010000f0000000010018000000"
                                                    "000000840300");
    QTest::newRow("81x60 padded rows")
        << 81 << 60 << QByteArray::fromHex("424d6639000000000000360000")
        << QByteArray::fromHex("28000000510000003c00000001001800000000003039"
                               "0000");
    QTest::newRow("768x568") << 768 << 568 << QByteArray::fromHex("424d36f8130000000000360000")
                             << QByteArray::fromHex("28000000000300003802000001001800000000"
                                                    "0000f81300");
    QTest::newRow("1x1") << 1 << 1 << QByteArray::fromHex("424d3a00000000000000360000")
                         << QByteArray::fromHex("280000000100000001000000010018000000000004"
                                                "000000");
}

void TestFrameImage::headerBytes()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(QByteArray, fileHeader);
    QFETCH(QByteArray, videoHeader);
    // Both rows leave off trailing zeros; the rest of the 54 bytes must be zero.
    QByteArray expected = fileHeader.leftJustified(14, '\0');
    expected += videoHeader.leftJustified(40, '\0');

    const VideoHeader header = VideoHeader::make(width, height, 24);
    const FrameImage image(header);
    const auto bytes = image.bytes();
    const QByteArray head(reinterpret_cast<const char *>(bytes.data()), 54);
    QCOMPARE(head.toHex(' '), expected.toHex(' '));

    const auto info = header.bytes();
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(info.data()), 40).toHex(' '),
             videoHeader.leftJustified(40, '\0').toHex(' '));
    QCOMPARE(bytes.size(), std::size_t(54) + header.imageSize());
    QCOMPARE(image.pixelArea().data(), bytes.data() + 54);
    QCOMPARE(image.pixelArea().size(), image.imageSize());
}

// Short frames are the frame bitmap test's subject; here: a longer buffer gives exactly the
// image size and leaves the headers alone.
void TestFrameImage::storesWholeFramesOnly()
{
    FrameImage image(VideoHeader::make(81, 60, 24));
    const std::size_t size = image.imageSize();
    std::vector<std::uint8_t> longer(size + 100, 0x22);
    QVERIFY(image.storeFrame(longer));
    QCOMPARE(image.pixelArea()[size - 1], 0x22);
    QCOMPARE(image.bytes().size(), 54 + size);
    QCOMPARE(image.bytes()[0], 'B');
    QCOMPARE(image.bytes()[53], 0);
}

void TestFrameImage::rebuildClearsAndResizes()
{
    FrameImage image(VideoHeader::make(320, 240, 24));
    std::vector<std::uint8_t> frame(image.imageSize(), 0xff);
    QVERIFY(image.storeFrame(frame));

    image.rebuild(VideoHeader::make(160, 120, 24));
    QCOMPARE(image.imageSize(), std::size_t(57600));
    QCOMPARE(image.header(), VideoHeader::make(160, 120, 24));
    QCOMPARE(image.bytes()[2], std::uint8_t(0x36)); // 57654 = 0xE136
    QCOMPARE(image.bytes()[3], std::uint8_t(0xe1));
    for (std::uint8_t b : image.pixelArea())
        QCOMPARE(b, std::uint8_t(0));
    QVERIFY(!image.storeFrame(std::span(frame).first(57599)));
}

QTEST_GUILESS_MAIN(TestFrameImage)
#include "tst_frameimage.moc"
