// The motion detector's diagnostic view: the drawn picture, the edge map, the grid and the
// brightened marked cells.
#include "motion/tmj.h"
#include "motionpictures.h"

#include <QPainter>
#include <QTest>

#include <set>

using namespace MotionPictures;

namespace {
const QColor white(255, 255, 255);
const QColor black(0, 0, 0);
const QColor gridGrey(128, 128, 128);

QImage noise(int width, int height, QImage::Format format)
{
    QImage picture(width, height, format);
    quint32 state = 12345;
    for (int y = 0; y < height; ++y) {
        uchar *row = picture.scanLine(y);
        for (int x = 0; x < 3 * width; ++x) {
            state = state * 1664525u + 1013904223u;
            row[x] = static_cast<uchar>(state >> 24);
        }
    }
    return picture;
}

// Left part (x < split) in left, the rest in right.
QImage split(int width, int height, int at, QColor left, QColor right)
{
    return withRect(uniform(right, width, height), QRect(0, 0, at, height), left);
}
} // namespace

class TestTmjView : public QObject
{
    Q_OBJECT
private slots:
    void plainViewIsThePicture_data();
    void plainViewIsThePicture();
    void stretchedAndUnscaled();
    void edgeMap_data();
    void edgeMap();
    void edgeMapIgnoresHorizontalBoundaries();
    void grid_data();
    void grid();
    void markedCellsBrighten_data();
    void markedCellsBrighten();
    void markedCellsOnEdgeMapTurnYellow();
    void onlyHeldCellsAreMarked();
    void paintDrawsViewAtOrigin();
};

void TestTmjView::plainViewIsThePicture_data()
{
    QTest::addColumn<QImage::Format>("format");
    QTest::newRow("BGR888") << QImage::Format_BGR888;
    QTest::newRow("RGB888") << QImage::Format_RGB888;
}

void TestTmjView::plainViewIsThePicture()
{
    QFETCH(QImage::Format, format);
    TMJ engine;
    engine.SetShowItem({});
    const QImage picture = noise(320, 240, format);
    engine.ScanFrame(picture);
    QCOMPARE(engine.WorkBitmap().format(), QImage::Format_BGR888);
    QCOMPARE(engine.WorkBitmap(), picture.convertToFormat(QImage::Format_BGR888));
}

void TestTmjView::stretchedAndUnscaled()
{
    TMJ engine;
    engine.SetShowItem({});
    // Top-left quadrant white: stretched it is the view's top-left quadrant, unscaled all of it.
    const QImage large = withRect(grey(0, 640, 480), QRect(0, 0, 320, 240), white);
    engine.ScanFrame(large);
    QCOMPARE(engine.WorkBitmap().size(), QSize(320, 240));
    QCOMPARE(engine.WorkBitmap().pixelColor(159, 119), white);
    QCOMPARE(engine.WorkBitmap().pixelColor(160, 119), black);
    QCOMPARE(engine.WorkBitmap().pixelColor(159, 120), black);

    engine.SetWindowScale(wscNormal);
    engine.ScanFrame(large);
    QCOMPARE(engine.WorkBitmap(), grey(255));

    // A smaller picture leaves black margins at the right and bottom.
    engine.ScanFrame(grey(255, 100, 50));
    QCOMPARE(engine.WorkBitmap().pixelColor(99, 49), white);
    QCOMPARE(engine.WorkBitmap().pixelColor(100, 0), black);
    QCOMPARE(engine.WorkBitmap().pixelColor(0, 50), black);
    QCOMPARE(engine.WorkBitmap().pixelColor(319, 239), black);
}

void TestTmjView::edgeMap_data()
{
    QTest::addColumn<int>("sensitivity");
    QTest::addColumn<QColor>("right");
    QTest::addColumn<bool>("boundaryBlack");
    QTest::addColumn<bool>("flatBlack");
    // The left part is black; the distance to the right part is sqrt(r^2 + g^2 + b^2).
    QTest::newRow("distance 11 > 10") << 10 << QColor(0, 0, 11) << true << false;
    QTest::newRow("distance 10 = 10") << 10 << QColor(0, 0, 10) << false << false;
    QTest::newRow("sqrt 110 rounds to 10") << 10 << QColor(10, 3, 1) << false << false;
    QTest::newRow("sqrt 113 rounds to 11") << 10 << QColor(8, 7, 0) << true << false;
    QTest::newRow("sensitivity 0, distance 1") << 0 << QColor(1, 0, 0) << true << false;
    QTest::newRow("sensitivity 0, no boundary") << 0 << black << false << false;
    QTest::newRow("sensitivity -1, everything") << -1 << black << true << true;
    QTest::newRow("sensitivity 441 < 442") << 441 << white << true << false;
    QTest::newRow("sensitivity 442") << 442 << white << false << false;
}

void TestTmjView::edgeMap()
{
    QFETCH(int, sensitivity);
    QFETCH(QColor, right);
    QFETCH(bool, boundaryBlack);
    QFETCH(bool, flatBlack);
    TMJ engine;
    engine.SetSize(16, 4);
    engine.SetShowItem(shiEdges);
    engine.SetEdgeSensitivity(sensitivity);
    engine.ScanFrame(split(16, 4, 8, black, right));
    const QImage &view = engine.WorkBitmap();
    for (int y = 0; y < 4; ++y) {
        QCOMPARE(view.pixelColor(0, y), white);
        QCOMPARE(view.pixelColor(8, y), boundaryBlack ? black : white);
        for (int x : {1, 7, 9, 15})
            QCOMPARE(view.pixelColor(x, y), flatBlack ? black : white);
    }
}

void TestTmjView::edgeMapIgnoresHorizontalBoundaries()
{
    TMJ engine;
    engine.SetShowItem(shiEdges);
    engine.ScanFrame(withRect(grey(0), QRect(0, 120, 320, 120), white));
    QCOMPARE(engine.WorkBitmap(), grey(255));
}

void TestTmjView::grid_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("columns");
    QTest::addColumn<QList<int>>("lineRows");
    QTest::addColumn<QList<int>>("lineColumns");
    QTest::newRow("1 x 1: both lines outside")
        << QSize(320, 240) << 1 << 1 << QList<int>{} << QList<int>{};
    QTest::newRow("2 x 2") << QSize(320, 240) << 2 << 2 << QList<int>{120} << QList<int>{160};
    QTest::newRow("3 rows, 4 columns on 10 x 10")
        << QSize(10, 10) << 3 << 4 << QList<int>{3, 6} << QList<int>{2, 5, 7};
}

void TestTmjView::grid()
{
    QFETCH(QSize, size);
    QFETCH(int, rows);
    QFETCH(int, columns);
    QFETCH(QList<int>, lineRows);
    QFETCH(QList<int>, lineColumns);
    TMJ engine;
    engine.SetSize(size.width(), size.height());
    engine.SetRows(rows);
    engine.SetColumns(columns);
    engine.SetShowItem(shiGrid);
    engine.ScanFrame(grey(255, 7, 5));
    const std::set<int> ys(lineRows.begin(), lineRows.end());
    const std::set<int> xs(lineColumns.begin(), lineColumns.end());
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            const bool line = ys.count(y) || xs.count(x);
            QCOMPARE(engine.WorkBitmap().pixelColor(x, y), line ? gridGrey : white);
        }
    }
}

void TestTmjView::markedCellsBrighten_data()
{
    QTest::addColumn<QPoint>("pixel");
    QTest::addColumn<int>("redGreen");
    // 8 x 6 with 2 x 2 cells: each marked rectangle is 5 x 4 pixels, reaching into the next
    // cell or, at the edge, taking the last column or row twice. Each pass takes red (100) and
    // green (60) to the larger of both x 1.5.
    QTest::newRow("inside, once") << QPoint(1, 1) << 150;
    QTest::newRow("inside lower cell, once") << QPoint(1, 4) << 150;
    QTest::newRow("inside right cell, once") << QPoint(5, 1) << 150;
    QTest::newRow("shared column, twice") << QPoint(4, 0) << 225;
    QTest::newRow("shared row, twice") << QPoint(0, 3) << 225;
    QTest::newRow("last column clamped, twice") << QPoint(7, 1) << 225;
    QTest::newRow("last row clamped, twice") << QPoint(0, 5) << 225;
    QTest::newRow("shared corner, four times") << QPoint(4, 3) << 255;
    QTest::newRow("last corner clamped, four times") << QPoint(7, 5) << 255;
}

void TestTmjView::markedCellsBrighten()
{
    QFETCH(QPoint, pixel);
    QFETCH(int, redGreen);
    TMJ engine;
    engine.SetSize(8, 6);
    engine.SetRows(2);
    engine.SetColumns(2);
    engine.SetShowItem(shiDetectedCell);
    engine.ScanFrame(uniform(QColor(100, 60, 30), 8, 6)); // every cell moves against black
    QCOMPARE(engine.WorkBitmap().pixelColor(pixel), QColor(redGreen, redGreen, 30));
}

void TestTmjView::markedCellsOnEdgeMapTurnYellow()
{
    TMJ engine;
    engine.SetSize(8, 6);
    engine.SetRows(1);
    engine.SetColumns(1);
    engine.SetShowItem(shiEdges | shiDetectedCell);
    engine.ScanFrame(split(8, 6, 4, black, white));
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x)
            QCOMPARE(engine.WorkBitmap().pixelColor(x, y), x == 4 ? QColor(255, 255, 0) : white);
}

void TestTmjView::onlyHeldCellsAreMarked()
{
    TMJ engine;
    engine.SetSize(8, 8);
    engine.SetRows(2);
    engine.SetColumns(2);
    engine.SetGlobalSensitivity(9);
    engine.SetFalloff(2);
    engine.SetShowItem(shiDetectedCell);
    MotionPictures::EventLog log(engine);
    const QImage still = grey(100, 8, 8);
    engine.ScanFrame(still);
    engine.ScanFrame(still); // held from the first scan: still marked, yet no motion
    QCOMPARE(log.notMotion, 1);
    QCOMPARE(engine.WorkBitmap().pixelColor(1, 1), QColor(150, 150, 100));
    engine.ScanFrame(still);
    QCOMPARE(engine.WorkBitmap().pixelColor(1, 1), QColor(100, 100, 100));

    // Cell (1, 1) alone brightens by 20: only it is marked, with its rectangle's border.
    engine.ScanFrame(withRect(still, QRect(4, 4, 4, 4), QColor(120, 120, 120)));
    QCOMPARE(log.motion, 2);
    QCOMPARE(engine.WorkBitmap().pixelColor(1, 1), QColor(100, 100, 100));
    QCOMPARE(engine.WorkBitmap().pixelColor(5, 5), QColor(180, 180, 120));
    QCOMPARE(engine.WorkBitmap().pixelColor(3, 3), QColor(100, 100, 100));
}

void TestTmjView::paintDrawsViewAtOrigin()
{
    TMJ engine;
    engine.ScanFrame(noise(320, 240, QImage::Format_BGR888));
    QImage canvas(400, 300, QImage::Format_RGB32);
    canvas.fill(Qt::blue);
    {
        QPainter painter(&canvas);
        engine.Paint(painter);
    }
    QCOMPARE(canvas.copy(0, 0, 320, 240),
             engine.WorkBitmap().convertToFormat(QImage::Format_RGB32));
    QCOMPARE(canvas.pixelColor(320, 0), QColor(Qt::blue));
    QCOMPARE(canvas.pixelColor(0, 240), QColor(Qt::blue));
}

QTEST_GUILESS_MAIN(TestTmjView)
#include "tst_tmjview.moc"
