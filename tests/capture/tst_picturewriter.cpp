// Storing a grabbed frame as a JPEG picture: frame copy, encoding and the file, together.
#include "capture/jpegdecoder.h"
#include "capture/picturewriter.h"

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <vector>

namespace {
const VideoHeader Format = VideoHeader::make(81, 60, 24);

// A bottom-up frame whose picture is one colour, with a blue band on top (one block of 16
// rows, so colour subsampling does not blend it with the rest).
std::vector<std::uint8_t> frameOf(QRgb colour)
{
    std::vector<std::uint8_t> frame(Format.imageSize(), 0);
    for (int y = 0; y < Format.height; ++y) {
        const QRgb c = y < 16 ? qRgb(0, 0, 255) : colour;
        std::uint8_t *row = frame.data() + std::size_t(Format.height - 1 - y) * Format.rowStride();
        for (int x = 0; x < Format.width; ++x) {
            row[3 * x] = std::uint8_t(qBlue(c));
            row[3 * x + 1] = std::uint8_t(qGreen(c));
            row[3 * x + 2] = std::uint8_t(qRed(c));
        }
    }
    return frame;
}

QByteArray contents(const QString &name)
{
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList entries(const QString &dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

bool near(const QColor &a, QRgb b)
{
    return qAbs(a.red() - qRed(b)) <= 4 && qAbs(a.green() - qGreen(b)) <= 4 &&
           qAbs(a.blue() - qBlue(b)) <= 4;
}
} // namespace

class TestPictureWriter : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void storesAndReplaces();
    void storesGreyscale();
    void qualityText_data();
    void qualityText();
    void refusesShortFrames();
    void failedWriteKeepsOldPicture();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    FrameBuffers m_buffers{Format};
};

void TestPictureWriter::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QVERIFY(QDir::setCurrent(m_dir->path()));
    QVERIFY(QDir().mkdir("1"));
}

void TestPictureWriter::storesAndReplaces()
{
    PictureWriter writer;
    const QRgb green = qRgb(20, 200, 40);
    WriteResult result = writer.store(frameOf(green), m_buffers, 100, false, "1/capture0.jpg");
    QVERIFY2(result.ok(), qPrintable(result.message()));
    JpegDecoder decoder;
    QImage picture = decoder.read("1/capture0.jpg");
    QCOMPARE(picture.size(), QSize(81, 60));
    QVERIFY(near(picture.pixelColor(40, 0), qRgb(0, 0, 255))); // the top row stays on top
    QVERIFY(near(picture.pixelColor(40, 30), green));

    const QRgb red = qRgb(220, 30, 10);
    result = writer.store(frameOf(red), m_buffers, QStringLiteral("50"), false, "1/capture0.jpg");
    QVERIFY(result.ok());
    picture = decoder.read("1/capture0.jpg");
    QVERIFY(near(picture.pixelColor(40, 30), red));
    QCOMPARE(entries("1"), QStringList{"capture0.jpg"});
    QImageReader reader("1/capture0.jpg");
    QCOMPARE(reader.format(), "jpeg");
    QCOMPARE(reader.size(), QSize(81, 60));
}

void TestPictureWriter::storesGreyscale()
{
    PictureWriter writer;
    QVERIFY(writer.store(frameOf(qRgb(200, 20, 20)), m_buffers, 100, true, "1/capture3.jpg").ok());
    JpegDecoder decoder;
    QCOMPARE(decoder.read("1/capture3.jpg").format(), QImage::Format_Grayscale8);
}

void TestPictureWriter::qualityText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("quality"); // -1: not a quality
    QTest::newRow("100") << "100" << 100;
    QTest::newRow("with blanks") << " 75 " << 75;
    QTest::newRow("below 1") << "-5" << -5;
    QTest::newRow("above 100") << "500" << 500;
    QTest::newRow("empty") << "" << -1;
    QTest::newRow("letters") << "abc" << -1;
    QTest::newRow("fraction") << "7.5" << -1;
    QTest::newRow("too large for an int") << "99999999999" << -1;
}

// Typed numbers are used as typed (the encoder limits them); other text stores nothing.
void TestPictureWriter::qualityText()
{
    QFETCH(QString, text);
    QFETCH(int, quality);
    const std::optional<int> parsed = PictureWriter::parseQuality(text);
    QCOMPARE(parsed.value_or(-1), quality);

    PictureWriter writer;
    const auto frame = frameOf(qRgb(90, 120, 150));
    const WriteResult result = writer.store(frame, m_buffers, text, false, "1/capture1.jpg");
    if (quality == -1) {
        QVERIFY(!result.ok());
        QCOMPARE(result.fileName, "1/capture1.jpg");
        QVERIFY(result.reason.contains(text));
        QVERIFY(entries("1").isEmpty());
        return;
    }
    QVERIFY(result.ok());
    const int limited = std::clamp(quality, 1, 100);
    QVERIFY(writer.store(frame, m_buffers, limited, false, "1/capture2.jpg").ok());
    QCOMPARE(contents("1/capture1.jpg"), contents("1/capture2.jpg"));
}

void TestPictureWriter::refusesShortFrames()
{
    PictureWriter writer;
    QVERIFY(writer.store(frameOf(qRgb(1, 2, 3)), m_buffers, 90, false, "1/capture0.jpg").ok());
    const QByteArray old = contents("1/capture0.jpg");
    std::vector<std::uint8_t> shortFrame = frameOf(qRgb(200, 2, 3));
    shortFrame.resize(Format.imageSize() / 2);
    const WriteResult result = writer.store(shortFrame, m_buffers, 90, false, "1/capture0.jpg");
    QVERIFY(!result.ok());
    QCOMPARE(result.fileName, "1/capture0.jpg");
    QCOMPARE(result.reason, "the frame holds 7320 bytes, 14640 expected");
    QCOMPARE(contents("1/capture0.jpg"), old);
    QVERIFY(!writer.store(shortFrame, m_buffers, 90, false, "1/capture5.jpg").ok());
    QCOMPARE(entries("1"), QStringList{"capture0.jpg"});
}

void TestPictureWriter::failedWriteKeepsOldPicture()
{
    PictureWriter good;
    QVERIFY(good.store(frameOf(qRgb(1, 2, 3)), m_buffers, 90, false, "1/capture0.jpg").ok());
    const QByteArray old = contents("1/capture0.jpg");
    PictureWriter full(AtomicFileWriter([](int, const void *, std::size_t) {
        errno = ENOSPC;
        return ssize_t(-1);
    }));
    const WriteResult result =
        full.store(frameOf(qRgb(200, 2, 3)), m_buffers, 90, false, "1/capture0.jpg");
    QCOMPARE(result.message(), "1/capture0.jpg: No space left on device");
    QCOMPARE(contents("1/capture0.jpg"), old);
    QCOMPARE(entries("1"), QStringList{"capture0.jpg"});

    const WriteResult missing =
        good.store(frameOf(qRgb(200, 2, 3)), m_buffers, 90, false, "2/capture5000.jpg");
    QCOMPARE(missing.message(), "2/capture5000.jpg: No such file or directory");
}

QTEST_GUILESS_MAIN(TestPictureWriter)
#include "tst_picturewriter.moc"
