// Storing a grabbed frame as a JPEG picture: format check, encoding and the file, together.
#include "capture/jpegdecoder.h"
#include "capture/jpegencoder.h"
#include "capture/picturewriter.h"
#include "common/exifreader.h"
#include "vardella_version.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <ctime>

namespace {
// 81 pixels: rows padded to 4 bytes.
const VideoHeader Format = VideoHeader::make(81, 60, 24);

// A frame whose picture is one colour, with a blue band on top (one block of 16 rows, so
// colour subsampling does not blend it with the rest).
QImage frameOf(QRgb colour, QSize size = Format.size())
{
    QImage frame(size, QImage::Format_BGR888);
    frame.fill(QColor(colour));
    for (int y = 0; y < 16 && y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            frame.setPixel(x, y, qRgb(0, 0, 255));
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

// The process's local time zone, for as long as it lives.
struct LocalZone
{
    const QByteArray old = qgetenv("TZ");
    explicit LocalZone(const QByteArray &zone)
    {
        qputenv("TZ", zone);
        tzset();
    }
    ~LocalZone()
    {
        old.isNull() ? qunsetenv("TZ") : qputenv("TZ", old);
        tzset();
    }
};

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
    void refusesFramesOfAnotherFormat_data();
    void refusesFramesOfAnotherFormat();
    void failedWriteKeepsOldPicture();
    void exifTellsTheGrab_data();
    void exifTellsTheGrab();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    PictureWriter m_exifWriter; // kept from row to row, as the camera changes
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
    Result<qint64> result = writer.store(frameOf(green), Format, 100, false, "1/capture0.jpg", {});
    if (!result)
        QFAIL(qPrintable(result.error()));
    JpegDecoder decoder;
    QImage picture = decoder.read("1/capture0.jpg").value_or(QImage());
    QCOMPARE(picture.size(), QSize(81, 60));
    QVERIFY(near(picture.pixelColor(40, 0), qRgb(0, 0, 255))); // the top row stays on top
    QVERIFY(near(picture.pixelColor(40, 30), green));

    const QRgb red = qRgb(220, 30, 10);
    result = writer.store(frameOf(red), Format, 50, false, "1/capture0.jpg", {});
    QVERIFY(result);
    picture = decoder.read("1/capture0.jpg").value_or(QImage());
    QVERIFY(near(picture.pixelColor(40, 30), red));
    QCOMPARE(entries("1"), QStringList{"capture0.jpg"});
    QImageReader reader("1/capture0.jpg");
    QCOMPARE(reader.format(), "jpeg");
    QCOMPARE(reader.size(), QSize(81, 60));
}

void TestPictureWriter::storesGreyscale()
{
    PictureWriter writer;
    QVERIFY(writer.store(frameOf(qRgb(200, 20, 20)), Format, 100, true, "1/capture3.jpg", {}));
    JpegDecoder decoder;
    QCOMPARE(decoder.read("1/capture3.jpg")->format(), QImage::Format_Grayscale8);
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

// Typed numbers are taken as typed, and the encoder limits them; other text is no number.
void TestPictureWriter::qualityText()
{
    QFETCH(QString, text);
    QFETCH(int, quality);
    const std::optional<int> parsed = PictureWriter::parseQuality(text);
    QCOMPARE(parsed.value_or(-1), quality);
    if (quality == -1)
        return;

    PictureWriter writer;
    const QImage frame = frameOf(qRgb(90, 120, 150));
    const Result<qint64> result = writer.store(frame, Format, quality, false, "1/capture1.jpg", {});
    QVERIFY(result);
    QCOMPARE(*result, QFileInfo("1/capture1.jpg").size());
    const int limited = std::clamp(quality, 1, 100);
    QVERIFY(writer.store(frame, Format, limited, false, "1/capture2.jpg", {}));
    QCOMPARE(contents("1/capture1.jpg"), contents("1/capture2.jpg"));
}

void TestPictureWriter::refusesFramesOfAnotherFormat_data()
{
    QTest::addColumn<QImage>("frame");
    QTest::addColumn<int>("bitCount");
    QTest::addColumn<QString>("reason");
    QTest::newRow("half the rows") << frameOf(qRgb(200, 2, 3), QSize(81, 30)) << 24
                                   << "the frame holds 7320 bytes, 14640 expected";
    QTest::newRow("narrower") << frameOf(qRgb(200, 2, 3), QSize(80, 60)) << 24
                              << "the frame holds 14400 bytes, 14640 expected";
    QTest::newRow("no frame") << QImage() << 24 << "the frame holds 0 bytes, 14640 expected";
    QTest::newRow("32-bit pixels") << frameOf(qRgb(200, 2, 3)).convertToFormat(QImage::Format_RGB32)
                                   << 24 << "the frame holds 19440 bytes, 14640 expected";
    QTest::newRow("8-bit format") << frameOf(qRgb(200, 2, 3)) << 8
                                  << "the video format is not 24-bit colour";
}

// A frame that does not match the format asked for (a format change half done) is never
// stored: neither as a new picture nor over an old one.
void TestPictureWriter::refusesFramesOfAnotherFormat()
{
    QFETCH(QImage, frame);
    QFETCH(int, bitCount);
    QFETCH(QString, reason);
    const VideoHeader format = VideoHeader::make(Format.width, Format.height, bitCount);
    PictureWriter writer;
    QVERIFY(writer.store(frameOf(qRgb(1, 2, 3)), Format, 90, false, "1/capture0.jpg", {}));
    const QByteArray old = contents("1/capture0.jpg");
    const Result<qint64> result = writer.store(frame, format, 90, false, "1/capture0.jpg", {});
    QVERIFY(!result);
    QCOMPARE(result.error(), "1/capture0.jpg: " + reason);
    QCOMPARE(contents("1/capture0.jpg"), old);
    QVERIFY(!writer.store(frame, format, 90, false, "1/capture5.jpg", {}));
    QCOMPARE(entries("1"), QStringList{"capture0.jpg"});
}

void TestPictureWriter::failedWriteKeepsOldPicture()
{
    PictureWriter good;
    QVERIFY(good.store(frameOf(qRgb(1, 2, 3)), Format, 90, false, "1/capture0.jpg", {}));
    const QByteArray old = contents("1/capture0.jpg");
    PictureWriter full(AtomicFileWriter([](int, const void *, std::size_t) {
        errno = ENOSPC;
        return ssize_t(-1);
    }));
    const Result<qint64> result =
        full.store(frameOf(qRgb(200, 2, 3)), Format, 90, false, "1/capture0.jpg", {});
    QCOMPARE(result.error(), "1/capture0.jpg: No space left on device");
    QCOMPARE(contents("1/capture0.jpg"), old);
    QCOMPARE(entries("1"), QStringList{"capture0.jpg"});
    QVERIFY(full.lastStoreOutOfSpace());

    const Result<qint64> missing =
        good.store(frameOf(qRgb(200, 2, 3)), Format, 90, false, "2/capture5000.jpg", {});
    QCOMPARE(missing.error(), "2/capture5000.jpg: No such file or directory");
    QVERIFY(!good.lastStoreOutOfSpace()); // a failure, but not for room
}

void TestPictureWriter::exifTellsTheGrab_data()
{
    QTest::addColumn<QByteArray>("zone"); // POSIX rules, so that no zone files are needed
    QTest::addColumn<QDateTime>("grabbed");
    QTest::addColumn<QString>("camera");
    QTest::addColumn<bool>("grey");
    QTest::addColumn<bool>("stamped");
    QTest::addColumn<QString>("taken"); // local date and time, milliseconds, offset
    QTest::addColumn<QString>("make");
    const auto utc = [](int y, int mo, int d, int h, int mi, int s, int ms) {
        return QDateTime(QDate(y, mo, d), QTime(h, mi, s, ms), Qt::UTC);
    };
    const QByteArray europe = "CET-1CEST,M3.5.0,M10.5.0/3";
    QTest::newRow("winter, a camera")
        << europe << utc(2024, 1, 15, 9, 20, 30, 7) << "USB Camera 6.1.7" << false << false
        << "2024:01:15 10:20:30.007+01:00"
        << "USB Camera";
    QTest::newRow("summer, past midnight, stamped")
        << europe << utc(2024, 7, 1, 22, 59, 59, 999) << "Vardella test scene" << false << true
        << "2024:07:02 00:59:59.999+02:00"
        << "Vardella test scene";
    QTest::newRow("west, the last minute before summer time, greyscale")
        << QByteArray("EST5EDT,M3.2.0,M11.1.0") << utc(2024, 3, 10, 6, 59, 0, 500) << "Cam 2.0"
        << true << false << "2024:03:10 01:59:00.500-05:00"
        << "Cam 2.0";
    QTest::newRow("half an hour east, no driver")
        << QByteArray("IST-5:30") << utc(2023, 12, 31, 18, 30, 0, 0) << "" << false << true
        << "2024:01:01 00:00:00.000+05:30"
        << "";
}

// The picture is what the encoder makes of the frame (stamped or not) plus the EXIF block, and
// exiftool reads from it what a photo manager shows.
void TestPictureWriter::exifTellsTheGrab()
{
    QFETCH(QByteArray, zone);
    QFETCH(QDateTime, grabbed);
    QFETCH(QString, camera);
    QFETCH(bool, grey);
    QFETCH(bool, stamped);
    const LocalZone localZone(zone);
    const QImage frame = frameOf(qRgb(90, 200, 150));
    const Result<qint64> stored =
        m_exifWriter.store(frame, Format, 85, grey, "1/capture7.jpg", {grabbed, camera, stamped});
    if (!stored)
        QFAIL(qPrintable(stored.error()));
    const QByteArray file = contents("1/capture7.jpg");
    QCOMPARE(*stored, file.size());
    const QImage picture =
        stamped ? PictureStamp().stamped(frame, PictureStamp::text(grabbed)) : frame;
    std::vector<std::uint8_t> plain;
    QVERIFY(JpegEncoder(85, grey).encode(picture, plain));
    const Segments split = splitApp1(file);
    QCOMPARE(split.rest,
             QByteArray(reinterpret_cast<const char *>(plain.data()), qsizetype(plain.size())));
    QCOMPARE(split.app1.size(), 1);
    QCOMPARE(split.app1Position, 1);

    if (!haveExiftool())
        QSKIP("exiftool is needed (Debian package libimage-exiftool-perl)");
    const QVariantMap tags = exifTags("1/capture7.jpg");
    QCOMPARE(tags.value("Validate").toString(), "OK");
    QFETCH(QString, taken);
    QFETCH(QString, make);
    QCOMPARE(tags.value("DateTimeOriginal").toString(), taken.left(19));
    QCOMPARE(tags.value("SubSecTimeOriginal").toString(), taken.mid(20, 3));
    QCOMPARE(tags.value("OffsetTimeOriginal").toString(), taken.mid(23));
    QCOMPARE(tags.value("SubSecDateTimeOriginal").toString(), taken);
    QCOMPARE(tags.value("Make").toString(), make);
    QCOMPARE(tags.value("Model").toString(), camera);
    QCOMPARE(tags.value("Software").toString(), QString(Product::name) + ' ' + Product::version);
    QCOMPARE(tags.value("ExifImageWidth").toInt(), Format.width);
    QCOMPARE(tags.value("ExifImageHeight").toInt(), Format.height);
}

QTEST_MAIN(TestPictureWriter)
#include "tst_picturewriter.moc"
