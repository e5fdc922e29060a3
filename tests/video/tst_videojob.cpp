// A video from stored pictures, decoded back: frames, size, rate and colours in order; pictures
// skipped and counted; no file left by a cancel, a write error or a range without pictures.
#include "common/tempworkdir.h"
#include "video/videojob.h"
#include "videopictures.h"

#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {
std::atomic<bool> notCancelled{false};

VideoSettings range(int first, int last, const QString &output = "video/out.mp4")
{
    VideoSettings settings;
    settings.first = first;
    settings.last = last;
    settings.output = output;
    return settings;
}

// What is left in the output folder: the video, and nothing else (no work file).
QStringList outputFolder()
{
    return QDir("video").entryList(QDir::Files | QDir::Hidden);
}
} // namespace

class TestVideoJob : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { ::umask(022); }
    void init()
    {
        m_dir = std::make_unique<TempWorkDir>();
        QVERIFY(QDir().mkdir("video"));
    }
    void cleanup() { m_dir.reset(); }

    void acrossDirectoryBoundary()
    {
        for (int n = 4990; n <= 5019; ++n)
            QVERIFY(writePicture(n, QSize(160, 120)));
        QList<int> done;
        const Result<VideoSummary> made =
            VideoJob(range(4990, 5019)).run([&](int d, int) { done << d; }, notCancelled);
        QVERIFY2(made, qPrintable(made.error()));
        QCOMPARE(made->frames, 30);
        QCOMPARE(made->skipped(), 0);
        QCOMPARE(done.size(), 30);
        QCOMPARE(done.last(), 30);
        QCOMPARE(outputFolder(), QStringList{"out.mp4"});
        QVERIFY(QFileInfo("video/out.mp4").permissions() & QFile::ReadOther); // as any new file

        const VideoContents video = readVideo("video/out.mp4");
        QVERIFY2(video.error.isEmpty(), qPrintable(video.error));
        QCOMPARE(video.codec, QString("h264"));
        QCOMPARE(video.pixelFormat, QString("yuv420p"));
        QCOMPARE(video.size, QSize(160, 120));
        QCOMPARE(video.framesPerSecond, 25.0);
        QCOMPARE(video.colours.size(), 30);
        for (int i = 0; i < 30; ++i)
            QVERIFY2(nearColour(video.colours[i], pictureColour(4990 + i)),
                     qPrintable(QString::number(i)));
    }

    // Odd sides lose a column or row; later pictures of another size are fitted into the first's.
    void sizes_data()
    {
        QTest::addColumn<QSize>("first");
        QTest::addColumn<QSize>("later");
        QTest::addColumn<QSize>("video");
        QTest::newRow("even") << QSize(64, 48) << QSize(64, 48) << QSize(64, 48);
        QTest::newRow("odd, cropped") << QSize(65, 49) << QSize(65, 49) << QSize(64, 48);
        QTest::newRow("smaller later") << QSize(128, 96) << QSize(64, 48) << QSize(128, 96);
        QTest::newRow("larger later, odd") << QSize(63, 47) << QSize(320, 240) << QSize(62, 46);
    }
    void sizes()
    {
        QFETCH(QSize, first);
        QFETCH(QSize, later);
        QFETCH(QSize, video);
        QVERIFY(writePicture(0, first));
        for (int n = 1; n < 4; ++n)
            QVERIFY(writePicture(n, later));
        const Result<VideoSummary> made = VideoJob(range(0, 3)).run({}, notCancelled);
        QVERIFY2(made, qPrintable(made.error()));
        const VideoContents contents = readVideo("video/out.mp4");
        QCOMPARE(contents.size, video);
        QCOMPARE(contents.colours.size(), 4);
        for (int i = 0; i < 4; ++i)
            QVERIFY(nearColour(contents.colours[i], pictureColour(i)));
    }

    // A picture of another size keeps its proportions: scaled to fit, centred, black around it.
    // Lossless, so that the bars' edges are exact in every plane.
    void otherSizeIsFittedWithBars_data()
    {
        QTest::addColumn<QSize>("first");
        QTest::addColumn<QSize>("later");
        QTest::addColumn<bool>("grey");
        QTest::addColumn<QRect>("fitted");
        QTest::newRow("wider, bars above and below")
            << QSize(640, 480) << QSize(1280, 720) << false << QRect(0, 60, 640, 360);
        QTest::newRow("wider greyscale")
            << QSize(640, 480) << QSize(1280, 720) << true << QRect(0, 60, 640, 360);
        QTest::newRow("taller, bars left and right")
            << QSize(640, 480) << QSize(720, 1280) << false << QRect(184, 0, 270, 480);
        QTest::newRow("smaller after an odd first")
            << QSize(641, 481) << QSize(320, 180) << false << QRect(0, 60, 640, 360);
        QTest::newRow("as large as its place, unscaled")
            << QSize(640, 480) << QSize(640, 360) << false << QRect(0, 60, 640, 360);
    }
    void otherSizeIsFittedWithBars()
    {
        QFETCH(QSize, first);
        QFETCH(QSize, later);
        QFETCH(bool, grey);
        QFETCH(QRect, fitted);
        const QColor bright(250, 230, 30);
        QImage image(later, QImage::Format_RGB888);
        image.fill(bright);
        QVERIFY(writePicture(0, first));
        QVERIFY(writePicture(1, image, grey));
        VideoSettings settings = range(0, 1);
        settings.crf = 0;
        QVERIFY2(VideoJob(settings).run({}, notCancelled), "no video");
        const VideoContents video = readVideo("video/out.mp4", true);
        QCOMPARE(video.size, QSize(640, 480));
        QCOMPARE(video.pixelFormat, QString("yuv420p"));
        QCOMPARE(video.planes.size(), 2);

        // BT.601 in limited range; a greyscale picture has its luma and no colour.
        const double r = bright.red(), g = bright.green(), b = bright.blue();
        const std::array<double, 3> inside{
            16 + (65.481 * r + 128.553 * g + 24.966 * b) / 255,
            grey ? 128 : 128 + (-37.797 * r - 74.203 * g + 112 * b) / 255,
            grey ? 128 : 128 + (112 * r - 93.786 * g - 18.214 * b) / 255};
        const std::array<int, 3> black{16, 128, 128};
        for (std::size_t c = 0; c < 3; ++c) {
            const QImage &plane = video.planes[1][c];
            const int shift = c ? 1 : 0;
            const QRect area(fitted.x() >> shift, fitted.y() >> shift, fitted.width() >> shift,
                             fitted.height() >> shift);
            for (int y = 0; y < plane.height(); ++y) {
                const uchar *row = plane.constScanLine(y);
                for (int x = 0; x < plane.width(); ++x) {
                    const bool in = area.contains(x, y);
                    const bool right = in ? std::abs(row[x] - inside[c]) <= 4 : row[x] == black[c];
                    QVERIFY2(right, qPrintable(QString("plane %1 at %2, %3: %4 %5")
                                                   .arg(c)
                                                   .arg(x)
                                                   .arg(y)
                                                   .arg(row[x])
                                                   .arg(in ? "in the picture" : "in a bar")));
                }
            }
        }
    }

    // Colour files go to the video as their planes, greyscale ones through a decoded picture.
    void greyscaleAmongColour()
    {
        for (int n = 0; n < 3; ++n)
            QVERIFY(writePicture(n, QSize(64, 48), false, n == 1));
        QVERIFY(VideoJob(range(0, 2)).run({}, notCancelled));
        const VideoContents video = readVideo("video/out.mp4");
        QCOMPARE(video.colours.size(), 3);
        const int level = qGray(pictureColour(1).rgb());
        QVERIFY(nearColour(video.colours[0], pictureColour(0)));
        QVERIFY(nearColour(video.colours[1], QColor(level, level, level)));
        QVERIFY(nearColour(video.colours[2], pictureColour(2)));
    }

    void skippedPicturesAreCounted()
    {
        // 0 missing (the video starts at 1), 3 and 7 missing, 4 truncated, 8 not a JPEG.
        for (int n : {1, 2, 4, 5, 6, 8, 9})
            QVERIFY(writePicture(n, QSize(64, 48)));
        QFile truncated(PictureStore::PicturePath(1, 4));
        QVERIFY(truncated.resize(200));
        QFile garbage(PictureStore::PicturePath(1, 8));
        QVERIFY(garbage.open(QIODevice::WriteOnly) && garbage.write("not a picture") > 0);
        garbage.close();

        const Result<VideoSummary> made = VideoJob(range(0, 9)).run({}, notCancelled);
        QVERIFY2(made, qPrintable(made.error()));
        QCOMPARE(made->frames, 5);
        QCOMPARE(made->missing, 3);
        QCOMPARE(made->unreadable, 2);
        const VideoContents video = readVideo("video/out.mp4");
        QCOMPARE(video.colours.size(), 5);
        const QList<int> kept{1, 2, 5, 6, 9};
        for (int i = 0; i < 5; ++i)
            QVERIFY(nearColour(video.colours[i], pictureColour(kept[i])));
    }

    void noPictureNoFile()
    {
        QVERIFY(QDir().mkdir("1"));
        QFile garbage(PictureStore::PicturePath(1, 2));
        QVERIFY(garbage.open(QIODevice::WriteOnly) && garbage.write("x") > 0);
        const Result<VideoSummary> made = VideoJob(range(0, 4)).run({}, notCancelled);
        QVERIFY(!made);
        QVERIFY2(made.error().contains("4 missing, 1 unreadable"), qPrintable(made.error()));
        QCOMPARE(outputFolder(), QStringList());
    }

    void cancelLeavesNoFile()
    {
        for (int n = 0; n < 20; ++n)
            QVERIFY(writePicture(n, QSize(64, 48)));
        std::atomic<bool> cancel{false};
        const Result<VideoSummary> made =
            VideoJob(range(0, 19)).run([&](int done, int) { cancel = done == 5; }, cancel);
        QVERIFY2(made, qPrintable(made.error()));
        QVERIFY(made->cancelled);
        QCOMPARE(outputFolder(), QStringList());
    }

    // A full disk as the file size limit: the write fails with its reason and nothing is left.
    void writeErrorLeavesNoFile()
    {
        for (int n = 0; n < 10; ++n)
            QVERIFY(writePicture(n, QSize(320, 240), true));
        rlimit previous{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &previous), 0);
        const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = previous;
        small.rlim_cur = 16 * 1024;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        const Result<VideoSummary> made = VideoJob(range(0, 9)).run({}, notCancelled);
        setrlimit(RLIMIT_FSIZE, &previous);
        std::signal(SIGXFSZ, previousHandler);

        QVERIFY(!made);
        QVERIFY2(made.error().contains("out.mp4") && made.error().contains("File too large"),
                 qPrintable(made.error()));
        QCOMPARE(outputFolder(), QStringList());
    }

    // Pictures that are light and dark by turns, as under a flickering lamp: the average over
    // a few pictures evens them out, the frames stay as many.
    void deflickerEvensOutBrightness_data()
    {
        QTest::addColumn<int>("pictures");
        QTest::newRow("over 2") << 2;
        QTest::newRow("the default 5") << VideoSettings::DefaultDeflicker;
        QTest::newRow("over more than the video") << 40;
    }
    void deflickerEvensOutBrightness()
    {
        QFETCH(int, pictures);
        for (int n = 0; n < 30; ++n) {
            QImage image(QSize(64, 48), QImage::Format_RGB888);
            image.fill(n % 2 ? QColor(90, 100, 80) : QColor(150, 160, 140));
            QVERIFY(writePicture(n, image));
        }
        // The mean change of brightness from frame to frame.
        const auto swing = [](const QString &output, int deflicker) -> double {
            VideoSettings settings = range(0, 29, output);
            settings.deflicker = deflicker;
            const Result<VideoSummary> made = VideoJob(settings).run({}, notCancelled);
            const VideoContents video = readVideo(output);
            if (!made || video.colours.size() != 30 || made->frames != 30)
                return -1;
            double sum = 0;
            for (int i = 1; i < video.colours.size(); ++i)
                sum += std::abs(qGray(video.colours[i].rgb()) - qGray(video.colours[i - 1].rgb()));
            return sum / (video.colours.size() - 1);
        };
        const double flickering = swing("video/plain.mp4", 0);
        const double even = swing("video/even.mp4", pictures);
        QVERIFY2(flickering > 50, qPrintable(QString::number(flickering)));
        QVERIFY2(even >= 0 && even < flickering / 4, qPrintable(QString::number(even)));
    }

    void existingFileIsReplacedOnlyWhenAgreed()
    {
        QVERIFY(writePicture(0, QSize(64, 48)));
        QFile earlier("video/out.mp4");
        QVERIFY(earlier.open(QIODevice::WriteOnly) && earlier.write("earlier") == 7);
        earlier.close();
        VideoSettings settings = range(0, 0);
        QVERIFY(!VideoJob(settings).run({}, notCancelled));
        QCOMPARE(QFileInfo("video/out.mp4").size(), 7);
        settings.replace = true;
        QVERIFY(VideoJob(settings).run({}, notCancelled));
        QCOMPARE(readVideo("video/out.mp4").colours.size(), 1);
        QCOMPARE(outputFolder(), QStringList{"out.mp4"});
    }

private:
    std::unique_ptr<TempWorkDir> m_dir;
};

QTEST_GUILESS_MAIN(TestVideoJob)
#include "tst_videojob.moc"
