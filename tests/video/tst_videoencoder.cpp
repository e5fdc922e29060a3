// Where a picture of another size goes in the video's frame: its proportions kept, centred,
// on even pixels for the 4:2:0 chroma.
#include "video/videoencoder.h"

#include <QTest>

class TestVideoEncoder : public QObject
{
    Q_OBJECT
private slots:
    void fittedRect_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QSize>("frame");
        QTest::addColumn<QRect>("fitted");
        const QSize vga(640, 480);
        QTest::newRow("same proportions, larger")
            << QSize(1280, 960) << vga << QRect(0, 0, 640, 480);
        QTest::newRow("same proportions, smaller")
            << QSize(320, 240) << vga << QRect(0, 0, 640, 480);
        QTest::newRow("odd, nearly the same proportions")
            << QSize(642, 482) << vga << QRect(0, 0, 640, 480);
        QTest::newRow("wider, larger: bars above and below")
            << QSize(1280, 720) << vga << QRect(0, 60, 640, 360);
        QTest::newRow("wider, smaller") << QSize(320, 180) << vga << QRect(0, 60, 640, 360);
        QTest::newRow("taller, larger: bars left and right, offset down to even")
            << QSize(720, 1280) << vga << QRect(184, 0, 270, 480);
        QTest::newRow("taller, smaller") << QSize(240, 480) << vga << QRect(200, 0, 240, 480);
        QTest::newRow("4:3 in 16:9") << vga << QSize(1280, 720) << QRect(160, 0, 960, 720);
        QTest::newRow("odd sides, height to the nearest even")
            << QSize(101, 37) << QSize(64, 48) << QRect(0, 12, 64, 24);
        QTest::newRow("one pixel high") << QSize(640, 1) << vga << QRect(0, 238, 640, 2);
        QTest::newRow("one pixel high, very wide")
            << QSize(5000, 1) << vga << QRect(0, 238, 640, 2);
        QTest::newRow("one pixel wide") << QSize(1, 640) << vga << QRect(318, 0, 2, 480);
        QTest::newRow("sides whose product exceeds 32 bits")
            << QSize(60000, 50000) << QSize(60000, 40000) << QRect(6000, 0, 48000, 40000);
        QTest::newRow("smallest frame") << QSize(3, 1) << QSize(2, 2) << QRect(0, 0, 2, 2);
        QTest::newRow("no picture") << QSize() << vga << QRect();
    }
    void fittedRect()
    {
        QFETCH(QSize, picture);
        QFETCH(QSize, frame);
        QFETCH(QRect, fitted);
        QCOMPARE(VideoEncoder::fittedRect(picture, frame), fitted);
    }
};

QTEST_GUILESS_MAIN(TestVideoEncoder)
#include "tst_videoencoder.moc"
