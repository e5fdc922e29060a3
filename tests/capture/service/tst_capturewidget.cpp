// The capture window converts a frame once, no larger than it shows it: stretched into a
// smaller window at the window's size, unscaled only the part at its top left, and a frame
// smaller than the window at its own size.
#include "capture/service/capturewidget.h"

#include <QTest>

namespace {
// A frame of 4 x 4 blocks, each of its own colour, so that any unsmoothed stretch by whole
// blocks picks the same colour for a block.
QImage blockFrame(QSize size)
{
    QImage frame(size, QImage::Format_BGR888);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            frame.setPixelColor(x, y, QColor((x / 4) % 256, (y / 4) % 256, (x / 4 + y / 4) % 256));
    return frame;
}
} // namespace

class TestCaptureWidget : public QObject
{
    Q_OBJECT
private slots:
    void convertsAtTheSizeShown_data();
    void convertsAtTheSizeShown();
};

void TestCaptureWidget::convertsAtTheSizeShown_data()
{
    QTest::addColumn<QSize>("frame");
    QTest::addColumn<QSize>("window");
    QTest::addColumn<bool>("scaled");
    QTest::addColumn<QSize>("converted");
    QTest::addColumn<int>("step"); // frame pixels per converted pixel, 0 for the top-left part
    QTest::newRow("1920x1080 stretched, a quarter")
        << QSize(1920, 1080) << QSize(480, 270) << true << QSize(480, 270) << 4;
    QTest::newRow("640x480 stretched, an eighth")
        << QSize(640, 480) << QSize(80, 60) << true << QSize(80, 60) << 8;
    QTest::newRow("smaller frame stretched keeps its size")
        << QSize(320, 240) << QSize(784, 482) << true << QSize(320, 240) << 1;
    QTest::newRow("same size") << QSize(320, 240) << QSize(320, 240) << true << QSize(320, 240)
                               << 1;
    QTest::newRow("unscaled, the part shown")
        << QSize(1280, 720) << QSize(784, 482) << false << QSize(784, 482) << 1;
    QTest::newRow("unscaled, smaller frame whole")
        << QSize(320, 240) << QSize(784, 482) << false << QSize(320, 240) << 1;
}

void TestCaptureWidget::convertsAtTheSizeShown()
{
    QFETCH(QSize, frame);
    QFETCH(QSize, window);
    QFETCH(bool, scaled);
    QFETCH(QSize, converted);
    QFETCH(int, step);
    CaptureWidget widget;
    widget.resize(window);
    widget.setScaled(scaled);
    const QImage source = blockFrame(frame);
    widget.showFrame(source);
    const QImage &shown = widget.picture();
    QCOMPARE(shown.format(), QImage::Format_RGB32);
    QCOMPARE(shown.size(), converted);
    for (int y = 0; y < converted.height(); y += 3) {
        for (int x = 0; x < converted.width(); x += 5) {
            const QRgb expected = source.pixel(x * step + step / 2, y * step + step / 2);
            if (shown.pixel(x, y) != expected)
                QFAIL(qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
        }
    }
    // A second frame of the same size reuses the picture and shows the new pixels.
    QImage next = source;
    next.fill(Qt::darkCyan);
    widget.showFrame(next);
    QCOMPARE(widget.picture().size(), converted);
    QCOMPARE(widget.picture().pixel(converted.width() - 1, converted.height() - 1),
             QColor(Qt::darkCyan).rgb());
}

QTEST_MAIN(TestCaptureWidget)
#include "tst_capturewidget.moc"
