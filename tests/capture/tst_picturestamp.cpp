// The grab time in a picture's corner: the locale's text, readable over light and dark scenes,
// sized by the picture's height, and never drawn into the frame it was given.
#include "capture/picturestamp.h"

#include <QTest>
#include <QTimeZone>

class TestPictureStamp : public QObject
{
    Q_OBJECT
private slots:
    void text();
    void readableOnEveryScene_data();
    void readableOnEveryScene();
};

void TestPictureStamp::text()
{
    const QDateTime grabbed(QDate(2026, 12, 8), QTime(13, 23, 6), QTimeZone::utc());
    QCOMPARE(PictureStamp::text(grabbed, QLocale("en_US")), "12/8/26 1:23:06 PM UTC");
    QLocale::setDefault(QLocale("de_DE")); // the program's locale unless told otherwise
    QCOMPARE(PictureStamp::text(grabbed), "08.12.26 13:23:06 UTC");
}

void TestPictureStamp::readableOnEveryScene_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QColor>("scene");
    QTest::addColumn<int>("textHeight");
    QTest::newRow("160x120 light") << QSize(160, 120) << QColor(240, 240, 230) << 10;
    QTest::newRow("320x240 dark") << QSize(320, 240) << QColor(40, 40, 50) << 12;
    QTest::newRow("640x480 light") << QSize(640, 480) << QColor(255, 255, 160) << 24;
}

// The changed pixels form a band in the lower right corner, a little higher than the text,
// darker than the scene behind it, under text far lighter than the band.
void TestPictureStamp::readableOnEveryScene()
{
    QFETCH(QSize, size);
    QFETCH(QColor, scene);
    QFETCH(int, textHeight);
    QImage frame(size, QImage::Format_BGR888);
    frame.fill(scene);
    const QImage before = frame.copy();
    const QImage stamped = PictureStamp().stamped(frame, "12/8/26 1:23:06 PM UTC");
    QCOMPARE(frame, before);
    QRect band;
    int darkest = 255;
    int lightest = 0;
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            if (const QRgb c = stamped.pixel(x, y); c != frame.pixel(x, y)) {
                band |= QRect(x, y, 1, 1);
                darkest = std::min(darkest, qGray(c));
                lightest = std::max(lightest, qGray(c));
            }
        }
    }
    QCOMPARE(band.bottomRight(), QPoint(size.width() - 1, size.height() - 1));
    QVERIFY(band.height() >= textHeight && band.height() <= 2 * textHeight);
    QVERIFY(qGray(stamped.pixel(band.topLeft())) < qGray(scene.rgb()) / 2);
    QVERIFY(lightest - darkest > 160);
}

QTEST_MAIN(TestPictureStamp)
#include "tst_picturestamp.moc"
