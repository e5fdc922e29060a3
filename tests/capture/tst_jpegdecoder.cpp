// Reading stored pictures back: scaling for thumbnails, and damaged files as errors.
#include "capture/jpegdecoder.h"
#include "capture/jpegencoder.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <vector>

namespace {
QByteArray jpegOf(const QImage &image, bool grey = false)
{
    std::vector<std::uint8_t> out;
    JpegEncoder encoder(90, grey);
    if (!encoder.encode(image, out))
        return {};
    return QByteArray(reinterpret_cast<const char *>(out.data()), qsizetype(out.size()));
}

QImage gradient(int width, int height)
{
    QImage image(width, height, QImage::Format_BGR888);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(x & 0xff, y & 0xff, 128));
    return image;
}

void writeFile(const QString &name, const QByteArray &data)
{
    QFile file(name);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(data), data.size());
}
} // namespace

class TestJpegDecoder : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void readsColourAndGreyscale();
    void scalesDownForThumbnails_data();
    void scalesDownForThumbnails();
    void damagedFilesAreErrors_data();
    void damagedFilesAreErrors();
    void scrambledScanDoesNotCrash();
    void missingFileIsAnError();
    void oversizedPicturesAreRefused_data();
    void oversizedPicturesAreRefused();
    void fuzzedCopiesNeverCrash();

private:
    QTemporaryDir m_dir;
    QByteArray m_colour;
};

void TestJpegDecoder::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(QDir::setCurrent(m_dir.path()));
    m_colour = jpegOf(gradient(640, 480));
    QVERIFY(!m_colour.isEmpty());
}

void TestJpegDecoder::readsColourAndGreyscale()
{
    writeFile("colour.jpg", m_colour);
    writeFile("grey.jpg", jpegOf(gradient(640, 480), true));
    JpegDecoder decoder;
    const QImage colour = decoder.read("colour.jpg").value_or(QImage());
    QCOMPARE(colour.format(), QImage::Format_RGB888);
    QCOMPARE(colour.size(), QSize(640, 480));
    const QColor pixel = colour.pixelColor(200, 100);
    QVERIFY(qAbs(pixel.red() - 200) <= 3 && qAbs(pixel.green() - 100) <= 3);
    QVERIFY(qAbs(pixel.blue() - 128) <= 3);
    const QImage grey = decoder.read("grey.jpg").value_or(QImage());
    QCOMPARE(grey.format(), QImage::Format_Grayscale8);
    QCOMPARE(grey.size(), QSize(640, 480));

    // For painting: the same pixels in 32 bits, opaque; greyscale stays as it is.
    decoder.setForPainting(true);
    const QImage painted = decoder.read("colour.jpg").value_or(QImage());
    QCOMPARE(painted.format(), QImage::Format_RGB32);
    for (int y = 0; y < 480; y += 37)
        for (int x = 0; x < 640; x += 41)
            QCOMPARE(painted.pixel(x, y), 0xff000000u | colour.pixel(x, y));
    QCOMPARE(decoder.read("grey.jpg").value_or(QImage()).format(), QImage::Format_Grayscale8);
}

void TestJpegDecoder::scalesDownForThumbnails_data()
{
    QTest::addColumn<QSize>("box");
    QTest::addColumn<QSize>("decoded");
    QTest::newRow("no box") << QSize() << QSize(640, 480);
    QTest::newRow("exactly an eighth") << QSize(80, 60) << QSize(80, 60);
    QTest::newRow("just over an eighth") << QSize(81, 60) << QSize(160, 120);
    QTest::newRow("a quarter") << QSize(150, 100) << QSize(160, 120);
    QTest::newRow("a half") << QSize(300, 200) << QSize(320, 240);
    QTest::newRow("larger than the picture") << QSize(1000, 1000) << QSize(640, 480);
}

void TestJpegDecoder::scalesDownForThumbnails()
{
    QFETCH(QSize, box);
    QFETCH(QSize, decoded);
    JpegDecoder decoder;
    decoder.setMinimumSize(box);
    QCOMPARE(decoder.decode(m_colour)->size(), decoded);
}

void TestJpegDecoder::damagedFilesAreErrors_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("reason"); // libjpeg's own words
    const QString truncated = "Premature end of JPEG file";
    const QByteArray jpeg = jpegOf(gradient(640, 480));
    QTest::newRow("empty") << QByteArray() << "Empty input file";
    QTest::newRow("not a JPEG") << QByteArray("BM this is a bitmap, not a picture")
                                << "Not a JPEG file: starts with 0x42 0x4d";
    QTest::newRow("header only") << jpeg.left(300) << truncated;
    QTest::newRow("truncated in half") << jpeg.left(jpeg.size() / 2) << truncated;
    QTest::newRow("end marker missing") << jpeg.left(jpeg.size() - 2) << truncated;
    QByteArray noFrame = jpeg;
    noFrame[2] = char(0xff);
    noFrame[3] = char(0xd9); // end of image where the first segment should be
    QTest::newRow("end marker first") << noFrame << "JPEG datastream contains no image";
}

void TestJpegDecoder::damagedFilesAreErrors()
{
    QFETCH(QByteArray, data);
    QFETCH(QString, reason);
    writeFile("damaged.jpg", data);
    JpegDecoder decoder;
    const Result<QImage> damaged = decoder.read("damaged.jpg");
    QVERIFY(!damaged);
    QCOMPARE(damaged.error(), reason);
    // The decoder is usable again afterwards.
    QCOMPARE(decoder.decode(m_colour)->size(), QSize(640, 480));
}

// Garbage inside the entropy-coded data may or may not be detectable; either way no crash, and
// a picture that is returned has the size the header promises.
void TestJpegDecoder::scrambledScanDoesNotCrash()
{
    for (int variant = 0; variant < 20; ++variant) {
        QByteArray data = m_colour;
        for (int i = 0; i < 50; ++i) {
            const int at = 700 + (variant * 7919 + i * 104729) % (data.size() - 800);
            data[at] = char(variant * 31 + i);
        }
        JpegDecoder decoder;
        const Result<QImage> image = decoder.decode(data);
        if (image)
            QCOMPARE(image->size(), QSize(640, 480));
        else
            QVERIFY(!image.error().isEmpty());
    }
}

void TestJpegDecoder::missingFileIsAnError()
{
    JpegDecoder decoder;
    const Result<QImage> missing = decoder.read("7/capture5.jpg");
    QVERIFY(!missing && missing.error().contains("No such file"));
}

void TestJpegDecoder::oversizedPicturesAreRefused_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<bool>("refused");
    QTest::newRow("largest allowed side") << 8192 << 480 << false;
    QTest::newRow("too wide") << 8193 << 480 << true;
    QTest::newRow("too high") << 640 << 9000 << true;
    QTest::newRow("largest the format holds") << 65500 << 65500 << true;
}

// A header may claim any size; the decoder refuses before it allocates for it.
void TestJpegDecoder::oversizedPicturesAreRefused()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(bool, refused);
    QByteArray data = m_colour;
    const qsizetype frame = data.indexOf(QByteArray("\xff\xc0", 2));
    QVERIFY(frame > 0);
    // Start of frame: marker, length, precision, then height and width, high byte first.
    data[frame + 5] = char(height >> 8);
    data[frame + 6] = char(height & 0xff);
    data[frame + 7] = char(width >> 8);
    data[frame + 8] = char(width & 0xff);
    // The data behind the header stays that of a smaller picture: an allowed size fails later,
    // for the missing data.
    const Result<QImage> image = JpegDecoder().decode(data);
    QVERIFY(!image);
    QVERIFY2(image.error().contains("8192 x 8192") == refused, qPrintable(image.error()));
}

// Truncated and bit-flipped copies of a real picture: an error with its reason or a picture of
// the size the header promises, never a crash, a hang or a runaway allocation.
void TestJpegDecoder::fuzzedCopiesNeverCrash()
{
    const QByteArray original = jpegOf(gradient(320, 240));
    QList<QByteArray> copies;
    for (qsizetype length = 0; length < original.size(); length += 53)
        copies << original.left(length);
    QRandomGenerator random(20261208);
    for (int i = 0; i < 400; ++i) {
        QByteArray flipped = original;
        for (int flips = 1 + i % 4; flips > 0; --flips) {
            const auto at = qsizetype(random.bounded(int(flipped.size())));
            flipped[at] = char(flipped[at] ^ (1 << random.bounded(8)));
        }
        copies << flipped;
    }
    for (const QByteArray &copy : copies) {
        const Result<QImage> image = JpegDecoder().decode(copy);
        if (image)
            QVERIFY(image->width() <= 8192 && image->height() <= 8192 && !image->isNull());
        else
            QVERIFY(!image.error().isEmpty());
    }
}

QTEST_GUILESS_MAIN(TestJpegDecoder)
#include "tst_jpegdecoder.moc"
