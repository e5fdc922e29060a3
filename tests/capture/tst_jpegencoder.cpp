// JPEG compression of a frame bitmap: the exact libjpeg settings, greyscale, quality limits.
#include "capture/jpegdecoder.h"
#include "capture/jpegencoder.h"
#include "common/exifreader.h"

#include <QBuffer>
#include <QImageReader>
#include <QRandomGenerator>
#include <QTest>

#include <cstdio>
#include <jpeglib.h>
#include <vector>

namespace {
using Bytes = std::vector<std::uint8_t>;

// A camera-like picture: gradients with some noise, in the bitmap's byte order.
QImage cameraPicture(int width, int height)
{
    QImage image(width, height, QImage::Format_BGR888);
    QRandomGenerator random(42);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int n = int(random.bounded(6));
            image.setPixel(x, y,
                           qRgb((x * 255 / width + n) & 0xff, (y * 255 / height) & 0xff,
                                ((x + y) / 2 + n) & 0xff));
        }
    return image;
}

// The settings the stored pictures must have, written out with plain libjpeg from RGB rows.
Bytes referenceJpeg(const QImage &picture, int quality, bool grey, J_DCT_METHOD dct)
{
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char *buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = JDIMENSION(rgb.width());
    cinfo.image_height = JDIMENSION(rgb.height());
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    cinfo.dct_method = dct;
    jpeg_set_quality(&cinfo, quality, TRUE);
    if (grey)
        jpeg_set_colorspace(&cinfo, JCS_GRAYSCALE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(rgb.constScanLine(int(cinfo.next_scanline)));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    Bytes out(buffer, buffer + size);
    std::free(buffer);
    return out;
}

Bytes encode(const QImage &image, int quality, bool grey)
{
    Bytes out;
    if (const Result<> encoded = JpegEncoder(quality, grey).encode(image, out); !encoded)
        qWarning() << encoded.error();
    return out;
}

QByteArray asByteArray(const Bytes &bytes)
{
    return QByteArray(reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size()));
}

struct FrameMarker
{
    int marker = 0;     // 0xC0 baseline, 0xC2 progressive ...
    int components = 0; // from the frame header
};

// Walks the marker segments up to the first start-of-frame.
FrameMarker startOfFrame(const Bytes &jpeg)
{
    std::size_t pos = 2;
    while (pos + 4 <= jpeg.size() && jpeg[pos] == 0xff) {
        const int marker = jpeg[pos + 1];
        const std::size_t length = std::size_t(jpeg[pos + 2]) << 8 | jpeg[pos + 3];
        if (marker >= 0xc0 && marker <= 0xcf && marker != 0xc4 && marker != 0xc8 &&
            marker != 0xcc && pos + 9 < jpeg.size())
            return {marker, jpeg[pos + 9]};
        pos += 2 + length;
    }
    return {};
}

// Grey as JPEG defines it (ITU-R BT.601 luma), which is not quite Qt's qGray.
QImage luma(const QImage &picture)
{
    QImage grey(picture.size(), QImage::Format_Grayscale8);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const QRgb c = picture.pixel(x, y);
            const double v = 0.299 * qRed(c) + 0.587 * qGreen(c) + 0.114 * qBlue(c);
            grey.scanLine(y)[x] = uchar(qRound(v));
        }
    return grey;
}

int meanDifference(const QImage &a, const QImage &b)
{
    const QImage x = a.convertToFormat(QImage::Format_RGB888);
    const QImage y = b.convertToFormat(QImage::Format_RGB888);
    qint64 sum = 0;
    for (int row = 0; row < x.height(); ++row)
        for (int i = 0; i < x.width() * 3; ++i)
            sum += qAbs(int(x.constScanLine(row)[i]) - int(y.constScanLine(row)[i]));
    return int(sum / (qint64(x.width()) * x.height() * 3));
}
} // namespace

class TestJpegEncoder : public QObject
{
    Q_OBJECT
private slots:
    void matchesPlainLibjpeg_data();
    void matchesPlainLibjpeg();
    void colourAndGreyscale_data();
    void colourAndGreyscale();
    void qualityIsLimited_data();
    void qualityIsLimited();
    void reusesTheOutputBuffer();
    void reportsLibraryErrors();
    void app1FollowsTheJfifHeader_data();
    void app1FollowsTheJfifHeader();
};

void TestJpegEncoder::matchesPlainLibjpeg_data()
{
    QTest::addColumn<int>("quality");
    QTest::addColumn<bool>("grey");
    QTest::newRow("colour 100") << 100 << false;
    QTest::newRow("colour 50") << 50 << false;
    QTest::newRow("greyscale 100") << 100 << true;
    QTest::newRow("greyscale 75") << 75 << true;
}

// Byte for byte what libjpeg writes from RGB rows with the required settings; the
// floating-point DCT matters (the integer DCT gives other bytes for the same picture).
void TestJpegEncoder::matchesPlainLibjpeg()
{
    QFETCH(int, quality);
    QFETCH(bool, grey);
    const QImage picture = cameraPicture(161, 97);
    const Bytes ours = encode(picture, quality, grey);
    QVERIFY(ours == referenceJpeg(picture, quality, grey, JDCT_FLOAT));
    QVERIFY(ours != referenceJpeg(picture, quality, grey, JDCT_ISLOW));
    QVERIFY(encode(picture.convertToFormat(QImage::Format_RGB888), quality, grey) == ours);
    QVERIFY(encode(picture.convertToFormat(QImage::Format_RGB32), quality, grey) == ours);
}

void TestJpegEncoder::colourAndGreyscale_data()
{
    QTest::addColumn<int>("quality");
    QTest::addColumn<bool>("grey");
    QTest::newRow("colour 100") << 100 << false;
    QTest::newRow("colour 50") << 50 << false;
    QTest::newRow("greyscale 100") << 100 << true;
    QTest::newRow("greyscale 50") << 50 << true;
}

void TestJpegEncoder::colourAndGreyscale()
{
    QFETCH(int, quality);
    QFETCH(bool, grey);
    const QImage picture = cameraPicture(320, 240);
    const Bytes jpeg = encode(picture, quality, grey);

    QCOMPARE(QByteArray(reinterpret_cast<const char *>(jpeg.data()) + 6, 5), QByteArray("JFIF", 5));
    const FrameMarker frame = startOfFrame(jpeg);
    QCOMPARE(frame.marker, 0xc0); // baseline, not progressive
    QCOMPARE(frame.components, grey ? 1 : 3);

    JpegDecoder decoder;
    const Result<QImage> decodedResult = decoder.decode(asByteArray(jpeg));
    if (!decodedResult)
        QFAIL(qPrintable(decodedResult.error()));
    const QImage &decoded = *decodedResult;
    QCOMPARE(decoded.size(), picture.size());
    QCOMPARE(decoded.format(), grey ? QImage::Format_Grayscale8 : QImage::Format_RGB888);
    const QImage expected = grey ? luma(picture) : picture;
    QVERIFY(meanDifference(decoded, expected) <= (quality == 100 ? 2 : 8));

    QByteArray data = asByteArray(jpeg);
    QBuffer buffer(&data);
    QImageReader reader(&buffer, "jpeg");
    const QImage byQt = reader.read();
    QVERIFY2(!byQt.isNull(), qPrintable(reader.errorString()));
    QCOMPARE(byQt.size(), picture.size());
    QCOMPARE(byQt.isGrayscale(), grey);
}

void TestJpegEncoder::qualityIsLimited_data()
{
    QTest::addColumn<int>("given");
    QTest::addColumn<int>("used");
    QTest::newRow("-5") << -5 << 1;
    QTest::newRow("0") << 0 << 1;
    QTest::newRow("500") << 500 << 100;
    QTest::newRow("101") << 101 << 100;
}

void TestJpegEncoder::qualityIsLimited()
{
    QFETCH(int, given);
    QFETCH(int, used);
    const QImage picture = cameraPicture(64, 48);
    const Bytes jpeg = encode(picture, given, false);
    QVERIFY(!jpeg.empty());
    QVERIFY(jpeg == encode(picture, used, false));
    QVERIFY(jpeg != encode(picture, used == 1 ? 2 : 99, false));
}

// The output grows past its first allocation for a large noisy picture, and a second
// picture into the same vector gives the same bytes as into a fresh one.
void TestJpegEncoder::reusesTheOutputBuffer()
{
    const QImage large = cameraPicture(768, 568);
    const QImage small = cameraPicture(80, 60);
    Bytes out;
    JpegEncoder encoder(100, false);
    QVERIFY(encoder.encode(large, out));
    QVERIFY(out.size() > 64 * 1024);
    JpegDecoder decoder;
    QCOMPARE(decoder.decode(asByteArray(out))->size(), large.size());
    QVERIFY(encoder.encode(small, out));
    QVERIFY(out == encode(small, 100, false));
}

void TestJpegEncoder::reportsLibraryErrors()
{
    Bytes out;
    JpegEncoder encoder;
    const Result<> empty = encoder.encode(QImage(), out);
    QVERIFY(!empty && empty.error().contains("Empty JPEG image"));
    const Result<> tooWide = encoder.encode(QImage(70000, 1, QImage::Format_BGR888), out);
    QVERIFY(!tooWide && !tooWide.error().isEmpty());
    // The encoder still works after an error.
    QVERIFY(encoder.encode(cameraPicture(16, 16), out));
}

void TestJpegEncoder::app1FollowsTheJfifHeader_data()
{
    QTest::addColumn<bool>("grey");
    QTest::addColumn<int>("length");
    QTest::newRow("colour, EXIF-sized") << false << 400;
    QTest::newRow("greyscale, one byte") << true << 1;
    QTest::newRow("the longest segment") << false << 65533;
    QTest::newRow("none") << false << 0;
    QTest::newRow("one byte too long") << true << 65534;
}

// The segment goes in whole right after APP0, its 0xff bytes unstuffed, and leaves every other
// byte as it was; one too long for its length field is refused.
void TestJpegEncoder::app1FollowsTheJfifHeader()
{
    QFETCH(bool, grey);
    QFETCH(int, length);
    const QImage picture = cameraPicture(161, 97);
    Bytes payload(static_cast<std::size_t>(length));
    for (std::size_t i = 0; i < payload.size(); ++i)
        payload[i] = std::uint8_t(i * 37 + 0xff);
    Bytes out;
    const Result<> encoded = JpegEncoder(90, grey).encode(picture, out, payload);
    if (length > 65533) {
        QVERIFY(!encoded && encoded.error().contains("Bogus marker length"));
        return;
    }
    QVERIFY(encoded);
    const Segments split = splitApp1(asByteArray(out));
    QCOMPARE(split.rest, asByteArray(encode(picture, 90, grey)));
    QCOMPARE(split.app1, length ? QList<QByteArray>{asByteArray(payload)} : QList<QByteArray>{});
    QCOMPARE(split.app1Position, length ? 1 : -1);
    QCOMPARE(JpegDecoder().decode(asByteArray(out))->size(), picture.size());
}

QTEST_MAIN(TestJpegEncoder)
#include "tst_jpegencoder.moc"
