// The motion detector's decisions: thresholds, the two change measures, the cell tables, Phase
// and the events.
#include "motion/tmj.h"
#include "motionpictures.h"

#include <QTest>

#include <climits>

using namespace MotionPictures;

Q_DECLARE_METATYPE(TScanTypes)

namespace {
const TScanTypes rgb = TScanTypes(sctRed | sctGreen | sctBlue);

// This system's engine: 50 x 50 cells, sensitivity 9, nothing shown.
void useSystemSettings(TMJ &engine)
{
    engine.SetShowItem({});
    engine.SetRows(50);
    engine.SetColumns(50);
    engine.SetGlobalSensitivity(9);
}

int markedCells(const TMotionItems &items)
{
    return static_cast<int>(std::count_if(items.begin(), items.end(),
                                          [](const TMotionItem &item) { return item.Hold > 0; }));
}
} // namespace

class TestTmjDetection : public QObject
{
    Q_OBJECT
private slots:
    void construction();
    void thresholdBySensitivity_data();
    void thresholdBySensitivity();
    void firstPictureComparesWithBlack_data();
    void firstPictureComparesWithBlack();
    void scanTypeChoosesMeasure_data();
    void scanTypeChoosesMeasure();
    void systemSettingsSeeOneCell_data();
    void systemSettingsSeeOneCell();
    void identicalPicturesNeverMove_data();
    void identicalPicturesNeverMove();
    void tablesAlternateWithPhase();
    void incompleteScanChangesNothing_data();
    void incompleteScanChangesNothing();
    void resizeKeepsElementsByLinearIndex();
    void cellSensitivity_data();
    void cellSensitivity();
    void perCellSensitivityOfNewCellsNeverMoves();
    void falloffHoldsMarkWithoutEvent();
    void meanRoundsHalfToEven_data();
    void meanRoundsHalfToEven();
    void inputFormats_data();
    void inputFormats();
    void oneByOneGridAveragesWholePicture();
    void cellBordersFollowExtendedPrecision();
    void cellsWithoutPixelsKeepTheirMeans();
    void zeroSizeControlStillCompletesScan();
    void hugeCellDoesNotWrapItsSums();
};

void TestTmjDetection::construction()
{
    TMJ engine;
    QCOMPARE(engine.Rows(), 25);
    QCOMPARE(engine.Columns(), 25);
    QCOMPARE(engine.Falloff(), 1);
    QCOMPARE(engine.ScanType(), rgb);
    QCOMPARE(engine.ShowItem(), TShowItems(shiGrid | shiEdges | shiDetectedCell));
    QCOMPARE(engine.GlobalSensitivity(), 5);
    QCOMPARE(engine.EdgeSensitivity(), 10);
    QVERIFY(engine.GlobalScan());
    QCOMPARE(engine.WindowScale(), wscStretched);
    QCOMPARE(engine.Width(), 320);
    QCOMPARE(engine.Height(), 240);
    QVERIFY(!engine.Phase());
    QCOMPARE(engine.ItemsA().size(), 625u);
    QCOMPARE(engine.ItemsB(), engine.ItemsA());
    QCOMPARE(engine.ItemsA().back(), (TMotionItem{0, 0, 0, 5, 0}));

    const QString about = engine.About();
    QVERIFY(!about.isEmpty());
    engine.SetAbout(QStringLiteral("changed"));
    QCOMPARE(engine.About(), about);
}

// Second scan of (first, second) after a first picture; T = 450 - 430 log10(S + 1).
void TestTmjDetection::thresholdBySensitivity_data()
{
    QTest::addColumn<int>("sensitivity");
    QTest::addColumn<TScanTypes>("scanType");
    QTest::addColumn<QColor>("first");
    QTest::addColumn<QColor>("second");
    QTest::addColumn<bool>("motion");
    const TScanTypes distance = rgb | sctGrayscale;
    const QColor black(0, 0, 0), white(255, 255, 255), grey(100, 100, 100);
    QTest::newRow("S=0, black to white (m 440)") << 0 << rgb << black << white << false;
    QTest::newRow("S=0, black to white by distance (m 442)")
        << 0 << distance << black << white << false;
    QTest::newRow("S=11, unchanged") << 11 << rgb << grey << grey << true;
    QTest::newRow("S=10, unchanged") << 10 << rgb << grey << grey << false;
    QTest::newRow("S=10, dL 2 (m 3)") << 10 << rgb << grey << QColor(102, 102, 102) << true;
    QTest::newRow("S=10, dL 1 (m 2)") << 10 << rgb << grey << QColor(101, 101, 101) << false;
    QTest::newRow("S=1, dL 186 (m 321)") << 1 << rgb << black << QColor(186, 186, 186) << true;
    QTest::newRow("S=1, dL 185 (m 319)") << 1 << rgb << black << QColor(185, 185, 185) << false;
    QTest::newRow("S=9, distance 20 reaches T 20")
        << 9 << distance << grey << QColor(120, 100, 100) << true;
    QTest::newRow("S=9, distance 19") << 9 << distance << grey << QColor(119, 100, 100) << false;
    QTest::newRow("S=-1, log undefined") << -1 << rgb << black << white << false;
    QTest::newRow("S=INT_MIN") << INT_MIN << rgb << black << white << false;
    QTest::newRow("S=INT_MAX, unchanged") << INT_MAX << rgb << grey << grey << true;
}

void TestTmjDetection::thresholdBySensitivity()
{
    QFETCH(int, sensitivity);
    QFETCH(TScanTypes, scanType);
    QFETCH(QColor, first);
    QFETCH(QColor, second);
    QFETCH(bool, motion);
    TMJ engine;
    engine.SetShowItem({});
    engine.SetScanType(scanType);
    engine.SetGlobalSensitivity(sensitivity);
    engine.ScanFrame(uniform(first));
    EventLog log(engine);
    engine.ScanFrame(uniform(second));
    QCOMPARE(log.motion, motion ? 1 : 0);
    QCOMPARE(log.notMotion, motion ? 0 : 1);
    QVERIFY(!log.wrongSender);
}

void TestTmjDetection::firstPictureComparesWithBlack_data()
{
    QTest::addColumn<int>("sensitivity");
    QTest::addColumn<bool>("motion");
    QTest::newRow("S=3, T 191.11") << 3 << true;
    QTest::newRow("S=2, T 244.84") << 2 << false;
}

// A uniform grey 128 against the black tables of a new engine: m = Round(128 x 1.725) = 221.
void TestTmjDetection::firstPictureComparesWithBlack()
{
    QFETCH(int, sensitivity);
    QFETCH(bool, motion);
    TMJ engine;
    engine.SetGlobalSensitivity(sensitivity);
    EventLog log(engine);
    engine.ScanFrame(grey(128));
    QCOMPARE(log.motion, motion ? 1 : 0);
    QCOMPARE(log.total(), 1);
    QCOMPARE(markedCells(engine.ItemsA()), motion ? 625 : 0);
}

void TestTmjDetection::scanTypeChoosesMeasure_data()
{
    QTest::addColumn<TScanTypes>("scanType");
    QTest::addColumn<QColor>("second");
    QTest::addColumn<bool>("motion");
    const QColor white(255, 255, 255);
    // (255, 40, 0) has the brightness 100 of the first picture, grey 100.
    const QColor sameBrightness(255, 40, 0);
    QTest::newRow("grayscale alone: no channel, never")
        << TScanTypes(sctGrayscale) << white << false;
    QTest::newRow("red alone: red change counts through brightness")
        << TScanTypes(sctRed) << QColor(200, 100, 100) << true;
    QTest::newRow("red alone: blue change counts through brightness too")
        << TScanTypes(sctRed) << QColor(100, 100, 255) << true;
    QTest::newRow("no channel, no grayscale: brightness") << TScanTypes() << white << true;
    QTest::newRow("red and grayscale: blue change unseen")
        << TScanTypes(sctRed | sctGrayscale) << QColor(100, 100, 255) << false;
    QTest::newRow("blue and grayscale: blue change seen")
        << TScanTypes(sctBlue | sctGrayscale) << QColor(100, 100, 255) << true;
    QTest::newRow("rgb: equal brightness is no change") << rgb << sameBrightness << false;
    QTest::newRow("rgb and grayscale: colour distance sees it")
        << (rgb | sctGrayscale) << sameBrightness << true;
}

void TestTmjDetection::scanTypeChoosesMeasure()
{
    QFETCH(TScanTypes, scanType);
    QFETCH(QColor, second);
    QFETCH(bool, motion);
    TMJ engine;
    useSystemSettings(engine);
    engine.SetScanType(scanType);
    engine.ScanFrame(grey(100));
    EventLog log(engine);
    engine.ScanFrame(uniform(second));
    QCOMPARE(log.motion, motion ? 1 : 0);
    QCOMPARE(log.total(), 1);
}

void TestTmjDetection::systemSettingsSeeOneCell_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<QRect>("cell");
    QTest::addColumn<int>("change");
    QTest::addColumn<bool>("motion");
    // On 320 x 240 the 50 x 50 cells are 6.4 pixels wide and 4.8 high.
    const QRect first(0, 0, 7, 5);
    const QRect last(314, 236, 6, 4);
    QTest::newRow("first cell +12 (m 21)") << 0 << 0 << first << 12 << true;
    QTest::newRow("first cell +11 (m 19)") << 0 << 0 << first << 11 << false;
    QTest::newRow("first cell -12") << 0 << 0 << first << -12 << true;
    QTest::newRow("last cell +12") << 49 << 49 << last << 12 << true;
    QTest::newRow("last cell +11") << 49 << 49 << last << 11 << false;
}

void TestTmjDetection::systemSettingsSeeOneCell()
{
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(QRect, cell);
    QFETCH(int, change);
    QFETCH(bool, motion);
    TMJ engine;
    useSystemSettings(engine);
    engine.ScanFrame(grey(100));
    EventLog log(engine);
    const int level = 100 + change;
    engine.ScanFrame(withRect(grey(100), cell, QColor(level, level, level)));
    QCOMPARE(log.motion, motion ? 1 : 0);
    QCOMPARE(log.total(), 1);
    QCOMPARE(markedCells(engine.ItemsA()), motion ? 1 : 0);
    QCOMPARE(engine.ItemsA()[row * 50 + column].Hold, motion ? 1 : 0);
}

void TestTmjDetection::identicalPicturesNeverMove_data()
{
    QTest::addColumn<int>("sensitivity");
    QTest::newRow("S=5") << 5;
    QTest::newRow("S=10") << 10;
}

void TestTmjDetection::identicalPicturesNeverMove()
{
    QFETCH(int, sensitivity);
    TMJ engine;
    engine.SetGlobalSensitivity(sensitivity);
    QImage picture = grey(30);
    picture = withRect(picture, QRect(40, 30, 100, 90), QColor(250, 10, 90));
    picture = withRect(picture, QRect(200, 100, 60, 130), QColor(0, 255, 0));
    engine.ScanFrame(picture);
    EventLog log(engine);
    engine.ScanFrame(picture);
    engine.ScanFrame(picture);
    QCOMPARE(log.notMotion, 2);
    QCOMPARE(log.motion, 0);
}

void TestTmjDetection::tablesAlternateWithPhase()
{
    TMJ engine;
    engine.SetFalloff(2);
    engine.ScanFrame(grey(128));
    QVERIFY(engine.Phase());
    QCOMPARE(engine.ItemsA().front(), (TMotionItem{128, 128, 128, 5, 2}));
    QCOMPARE(engine.ItemsB().front(), (TMotionItem{0, 0, 0, 5, 2}));

    engine.ScanFrame(grey(60));
    QVERIFY(!engine.Phase());
    QCOMPARE(engine.ItemsB().back(), (TMotionItem{60, 60, 60, 5, 2}));
    QCOMPARE(engine.ItemsA().back(), (TMotionItem{128, 128, 128, 5, 2}));

    EventLog log(engine);
    engine.ScanFrame(grey(60));
    QCOMPARE(log.notMotion, 1);
    QCOMPARE(engine.ItemsA().back(), (TMotionItem{60, 60, 60, 5, 1}));
    QCOMPARE(engine.ItemsB().back().Hold, 1);
}

void TestTmjDetection::incompleteScanChangesNothing_data()
{
    QTest::addColumn<bool>("absent");
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("columns");
    QTest::newRow("null picture") << true << 25 << 25;
    QTest::newRow("no rows") << false << 0 << 25;
    QTest::newRow("negative columns") << false << 25 << -3;
    QTest::newRow("both negative") << false << -5 << -5;
}

void TestTmjDetection::incompleteScanChangesNothing()
{
    QFETCH(bool, absent);
    QFETCH(int, rows);
    QFETCH(int, columns);
    TMJ engine;
    engine.ScanFrame(grey(128));
    engine.SetRows(rows);
    engine.SetColumns(columns);
    engine.SetSize(100, 50);
    const TMotionItems a = engine.ItemsA();
    const TMotionItems b = engine.ItemsB();
    const QImage before = engine.WorkBitmap();
    EventLog log(engine);
    engine.ScanFrame(absent ? QImage() : grey(200));
    QCOMPARE(log.total(), 0);
    QVERIFY(engine.Phase());
    QCOMPARE(engine.ItemsA(), a);
    QCOMPARE(engine.ItemsB(), b);
    // Only the view takes the new control size, keeping its top-left part.
    QCOMPARE(engine.WorkBitmap().size(), QSize(100, 50));
    QCOMPARE(engine.WorkBitmap(), before.copy(0, 0, 100, 50));
}

void TestTmjDetection::resizeKeepsElementsByLinearIndex()
{
    TMJ engine;
    engine.SetShowItem({});
    QImage picture(320, 240, QImage::Format_BGR888);
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x)
            picture.setPixelColor(x, y, QColor(x * 255 / 319, y, 7));
    engine.ScanFrame(picture);
    const TMotionItems old = engine.ItemsA();

    engine.SetColumns(30);
    QCOMPARE(engine.ItemsA().size(), 750u);
    QCOMPARE(engine.ItemsB().size(), 750u);
    QVERIFY(std::equal(old.begin(), old.end(), engine.ItemsA().begin()));
    for (std::size_t i = 625; i < 750; ++i)
        QCOMPARE(engine.ItemsA()[i], TMotionItem{});
    QCOMPARE(engine.GetCellSensitivity(24, 29), 0);
    QCOMPARE(engine.GetCellSensitivity(20, 24), 5);

    engine.SetRows(20);
    QCOMPARE(engine.ItemsA().size(), 600u);
    QVERIFY(std::equal(engine.ItemsA().begin(), engine.ItemsA().end(), old.begin()));
    engine.SetRows(25);
    engine.SetColumns(25);
    QCOMPARE(engine.ItemsA()[599], old[599]);
    QCOMPARE(engine.ItemsA()[600], TMotionItem{});
}

void TestTmjDetection::cellSensitivity_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("sensitivity");
    QTest::newRow("first") << 0 << 0 << 5;
    QTest::newRow("last") << 24 << 24 << 5;
    QTest::newRow("row = Rows") << 25 << 0 << -1;
    QTest::newRow("column = Columns") << 0 << 25 << -1;
    QTest::newRow("negative row") << -1 << 0 << -1;
    QTest::newRow("negative column") << 0 << -1 << -1;
}

void TestTmjDetection::cellSensitivity()
{
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(int, sensitivity);
    TMJ engine;
    QCOMPARE(engine.GetCellSensitivity(row, column), sensitivity);
}

// Per-cell mode: the cells that enlarging the grid added have sensitivity 0 and never move.
void TestTmjDetection::perCellSensitivityOfNewCellsNeverMoves()
{
    TMJ engine;
    engine.SetShowItem({});
    engine.SetGlobalScan(false);
    engine.SetColumns(26); // adds the elements 625..649: row 24, columns 1 to 25
    engine.ScanFrame(grey(0));
    EventLog log(engine);
    // Row 24 of 25 starts at y 231, column 1 of 26 at x 13.
    engine.ScanFrame(withRect(grey(0), QRect(13, 231, 307, 9), Qt::white));
    QCOMPARE(log.notMotion, 1);
    engine.ScanFrame(grey(255));
    QCOMPARE(log.motion, 1);
    QCOMPARE(markedCells(engine.ItemsA()), 625);
}

void TestTmjDetection::falloffHoldsMarkWithoutEvent()
{
    TMJ engine;
    engine.SetShowItem({});
    engine.SetFalloff(3);
    engine.SetFalloff(0);
    engine.SetFalloff(-5);
    QCOMPARE(engine.Falloff(), 3);
    engine.ScanFrame(grey(0));
    EventLog log(engine);
    engine.ScanFrame(grey(255));
    QCOMPARE(log.motion, 1);
    for (int hold : {3, 2, 1, 0, 0}) {
        QCOMPARE(engine.ItemsA()[300].Hold, hold);
        QCOMPARE(engine.ItemsB()[300].Hold, hold);
        engine.ScanFrame(grey(255));
    }
    QCOMPARE(log.motion, 1);
    QCOMPARE(log.notMotion, 5);
}

void TestTmjDetection::meanRoundsHalfToEven_data()
{
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("right");
    QTest::addColumn<int>("mean");
    QTest::newRow("0.5") << 0 << 1 << 0;
    QTest::newRow("1.5") << 1 << 2 << 2;
    QTest::newRow("2.5") << 2 << 3 << 2;
    QTest::newRow("3.5") << 4 << 3 << 4;
    QTest::newRow("254.5") << 254 << 255 << 254;
}

void TestTmjDetection::meanRoundsHalfToEven()
{
    QFETCH(int, left);
    QFETCH(int, right);
    QFETCH(int, mean);
    TMJ engine;
    engine.SetSize(2, 1);
    engine.SetRows(1);
    engine.SetColumns(1);
    QImage picture(2, 1, QImage::Format_BGR888);
    picture.setPixelColor(0, 0, QColor(left, 9, 0));
    picture.setPixelColor(1, 0, QColor(right, 9, 0));
    engine.ScanFrame(picture);
    QCOMPARE(int(engine.ItemsA()[0].Red), mean);
    QCOMPARE(int(engine.ItemsA()[0].Green), 9);
}

void TestTmjDetection::inputFormats_data()
{
    QTest::addColumn<QImage::Format>("format");
    QTest::addColumn<QSize>("size");
    QTest::newRow("BGR888") << QImage::Format_BGR888 << QSize(320, 240);
    QTest::newRow("RGB888") << QImage::Format_RGB888 << QSize(320, 240);
    QTest::newRow("RGB888 stretched") << QImage::Format_RGB888 << QSize(640, 480);
    QTest::newRow("RGB32") << QImage::Format_RGB32 << QSize(160, 120);
    QTest::newRow("ARGB32") << QImage::Format_ARGB32 << QSize(320, 240);
}

void TestTmjDetection::inputFormats()
{
    QFETCH(QImage::Format, format);
    QFETCH(QSize, size);
    TMJ engine;
    engine.ScanFrame(uniform(QColor(200, 50, 10), size.width(), size.height(), format));
    QCOMPARE(engine.ItemsA()[312], (TMotionItem{10, 50, 200, 5, 1}));
}

void TestTmjDetection::oneByOneGridAveragesWholePicture()
{
    TMJ engine;
    engine.SetRows(1);
    engine.SetColumns(1);
    // Left half black, right half white: one cell of mean 127.5, rounded to 128.
    engine.ScanFrame(withRect(grey(0), QRect(160, 0, 160, 240), Qt::white));
    QCOMPARE(engine.ItemsA().size(), 1u);
    QCOMPARE(engine.ItemsA()[0], (TMotionItem{128, 128, 128, 5, 1}));
    EventLog log(engine);
    engine.ScanFrame(withRect(grey(255), QRect(0, 0, 160, 240), Qt::black));
    QCOMPARE(log.notMotion, 1);
}

// Cell column of pixel x: Trunc((84 / 320) x 240) is 62 in extended precision, although the
// exact product is 63. Cell 62 thus holds the pixel columns 237 to 240.
void TestTmjDetection::cellBordersFollowExtendedPrecision()
{
    TMJ engine;
    engine.SetRows(1);
    engine.SetColumns(84);
    engine.ScanFrame(withRect(grey(0), QRect(240, 0, 1, 240), Qt::white));
    QCOMPARE(int(engine.ItemsA()[62].Red), 64); // one white column of four
    QCOMPARE(int(engine.ItemsA()[63].Red), 0);
}

void TestTmjDetection::cellsWithoutPixelsKeepTheirMeans()
{
    TMJ engine;
    engine.SetSize(10, 10);
    engine.SetRows(1);
    engine.SetColumns(20); // pixel column x falls into cell 2x: the odd cells get no pixel
    engine.ScanFrame(grey(255));
    QCOMPARE(int(engine.ItemsA()[4].Red), 255);
    QCOMPARE(int(engine.ItemsA()[5].Red), 0);
    engine.ScanFrame(grey(255));
    QCOMPARE(int(engine.ItemsB()[4].Red), 255);
    QCOMPARE(int(engine.ItemsB()[5].Red), 0);
}

// Without pixels every cell keeps comparing the means its two tables hold.
void TestTmjDetection::zeroSizeControlStillCompletesScan()
{
    TMJ engine;
    engine.ScanFrame(grey(255));
    engine.SetSize(0, 10);
    EventLog log(engine);
    engine.ScanFrame(grey(255));
    QCOMPARE(log.motion, 1); // the black of construction against the white of the first scan
    QVERIFY(!engine.Phase());
    QVERIFY(engine.WorkBitmap().isNull());
    engine.SetSize(0, 0);
    engine.ScanFrame(grey(255));
    QCOMPARE(log.motion, 2);
    QCOMPARE(log.total(), 2);
}

// A single cell of 17.2 million pixels: 32-bit sums would wrap and give a wrong mean.
void TestTmjDetection::hugeCellDoesNotWrapItsSums()
{
    TMJ engine;
    engine.SetShowItem({});
    engine.SetSize(4200, 4100);
    engine.SetRows(1);
    engine.SetColumns(1);
    engine.ScanFrame(uniform(Qt::white, 1, 1, QImage::Format_RGB888));
    QCOMPARE(engine.ItemsA()[0], (TMotionItem{255, 255, 255, 5, 1}));
}

QTEST_GUILESS_MAIN(TestTmjDetection)
#include "tst_tmjdetection.moc"
