// The grab time in a picture's corner: the locale's text, readable over light and dark scenes,
// sized by the picture's height, and never drawn into the frame it was given.
#include "capture/picturestamp.h"

#include <QTest>
#include <QTimeZone>

#include <cmath>

namespace {
const QDateTime Grabbed(QDate(2026, 12, 8), QTime(13, 23, 6), QTimeZone::utc());

double luminance(QRgb c)
{
    const auto linear = [](int v) {
        const double s = v / 255.0;
        return s <= 0.04045 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(qRed(c)) + 0.7152 * linear(qGreen(c)) + 0.0722 * linear(qBlue(c));
}
} // namespace

class TestPictureStamp : public QObject
{
    Q_OBJECT
private slots:
    void text_data();
    void text();
    void readableOnEveryScene_data();
    void readableOnEveryScene();
};

void TestPictureStamp::text_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("expected");
    QTest::newRow("en_US") << "en_US"
                           << "12/8/26 1:23:06 PM UTC";
    QTest::newRow("de_DE") << "de_DE"
                           << "08.12.26 13:23:06 UTC";
}

void TestPictureStamp::text()
{
    QFETCH(QString, locale);
    QFETCH(QString, expected);
    QCOMPARE(PictureStamp::text(Grabbed, QLocale(locale)), expected);
    QLocale::setDefault(QLocale(locale)); // the program's own locale, unless told otherwise
    QCOMPARE(PictureStamp::text(Grabbed), expected);
    QLocale::setDefault(QLocale::system());
}

void TestPictureStamp::readableOnEveryScene_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QColor>("scene");
    QTest::addColumn<int>("textHeight"); // rough height of "12/8/26 1:23:06 PM UTC"
    QTest::newRow("160x120 light") << QSize(160, 120) << QColor(240, 240, 230) << 10;
    QTest::newRow("320x240 dark") << QSize(320, 240) << QColor(40, 40, 50) << 12;
    QTest::newRow("320x240 light") << QSize(320, 240) << QColor(250, 250, 250) << 12;
    QTest::newRow("640x480 dark") << QSize(640, 480) << QColor(30, 60, 20) << 24;
    QTest::newRow("640x480 light") << QSize(640, 480) << QColor(255, 255, 160) << 24;
}

// The changed pixels form a dark band in the lower right corner whose height follows the
// picture's; white text on it keeps a contrast of at least 4.5:1.
void TestPictureStamp::readableOnEveryScene()
{
    QFETCH(QSize, size);
    QFETCH(QColor, scene);
    QFETCH(int, textHeight);
    QImage frame(size, QImage::Format_BGR888);
    frame.fill(scene);
    const QImage before = frame.copy();
    PictureStamp stamp;
    const QImage stamped = stamp.stamped(frame, PictureStamp::text(Grabbed, QLocale("en_US")));
    QCOMPARE(frame, before);

    QRect band;
    double darkest = 1;
    double lightest = 0;
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            const QRgb c = stamped.pixel(x, y);
            if (c == frame.pixel(x, y))
                continue;
            band |= QRect(x, y, 1, 1);
            darkest = std::min(darkest, luminance(c));
            lightest = std::max(lightest, luminance(c));
        }
    }
    QCOMPARE(band.bottomRight(), QPoint(size.width() - 1, size.height() - 1));
    QVERIFY2(band.height() >= textHeight && band.height() <= 2 * textHeight,
             qPrintable(QString::number(band.height())));
    QVERIFY2(band.width() < size.width(), qPrintable(QString::number(band.width())));
    // The band's edge holds no text: the scene behind it is darkened.
    QVERIFY(luminance(stamped.pixel(band.topLeft())) < luminance(scene.rgb()) / 2);
    QVERIFY2((lightest + 0.05) / (darkest + 0.05) >= 4.5,
             qPrintable(QStringLiteral("%1 against %2").arg(lightest).arg(darkest)));
}

QTEST_MAIN(TestPictureStamp)
#include "tst_picturestamp.moc"
