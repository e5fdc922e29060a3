// Cells to ignore and light changes: what the detector leaves out, on any grid.
#include "motion/motionmask.h"
#include "motion/tmj.h"
#include "motionpictures.h"

#include <QTemporaryDir>
#include <QTest>

using namespace MotionPictures;

namespace {
// This system's engine on a rows x rows grid.
void useSystemSettings(TMJ &engine, int rows)
{
    engine.SetShowItem({});
    engine.SetRows(rows);
    engine.SetColumns(rows);
    engine.SetGlobalSensitivity(9);
}

QList<int> ignoredIndices(const std::vector<std::uint8_t> &cells)
{
    QList<int> indices;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (cells[i] != 0)
            indices.append(static_cast<int>(i));
    }
    return indices;
}
} // namespace

class TestMotionMask : public QObject
{
    Q_OBJECT
private slots:
    void ignoredCellsNeverMove_data();
    void ignoredCellsNeverMove();
    void gridChangeKeepsTheArea_data();
    void gridChangeKeepsTheArea();
    void pictureFilesScaleToTheArea();
    void lightChangesAreNoMotion_data();
    void lightChangesAreNoMotion();
};

void TestMotionMask::ignoredCellsNeverMove_data()
{
    QTest::addColumn<QRect>("moved");
    QTest::addColumn<QList<QPoint>>("ignored"); // (column, row) on the 10 x 10 grid
    QTest::addColumn<bool>("motion");
    const QRect inCell23(3 * 32 + 4, 2 * 24 + 4, 20, 14); // inside column 3, row 2
    QTest::newRow("no mask") << inCell23 << QList<QPoint>{} << true;
    QTest::newRow("that cell ignored") << inCell23 << QList<QPoint>{{3, 2}} << false;
    QTest::newRow("its neighbour ignored") << inCell23 << QList<QPoint>{{4, 2}} << true;
    QTest::newRow("over two cells, one ignored")
        << QRect(3 * 32 + 4, 2 * 24 + 4, 40, 14) << QList<QPoint>{{3, 2}} << true;
    QTest::newRow("over two cells, both ignored")
        << QRect(3 * 32 + 4, 2 * 24 + 4, 40, 14) << QList<QPoint>{{3, 2}, {4, 2}} << false;
}

// A box that appears moves its cells only where they are watched; the engine's tables still
// take the new means, so the following still picture shows no motion either.
void TestMotionMask::ignoredCellsNeverMove()
{
    QFETCH(QRect, moved);
    QFETCH(QList<QPoint>, ignored);
    QFETCH(bool, motion);
    TMJ engine;
    useSystemSettings(engine, 10);
    MotionMask mask;
    for (const QPoint &cell : ignored)
        mask.setCell(10, 10, cell.y(), cell.x(), true);
    engine.SetMask(mask);
    EventLog log(engine);
    const QImage still = grey(100);
    engine.ScanFrame(still);
    engine.ScanFrame(still);
    log.clear();
    const QImage changed = withRect(still, moved, Qt::white);
    engine.ScanFrame(changed);
    QCOMPARE(log.motion, motion ? 1 : 0);
    engine.ScanFrame(changed);
    QCOMPARE(log.total(), 2);
    QCOMPARE(log.motion, motion ? 1 : 0);
}

void TestMotionMask::gridChangeKeepsTheArea_data()
{
    QTest::addColumn<int>("grid");
    QTest::addColumn<QList<int>>("ignored");
    // Painted: column 1, row 0 of a 10 x 10 grid (pixels 32..63 x 0..23 of 320 x 240).
    QTest::newRow("the grid it was painted on") << 10 << QList<int>{1};
    QTest::newRow("twice as fine") << 20 << QList<int>{2, 3, 22, 23};
    QTest::newRow("five times as fine")
        << 50 << QList<int>{5,   6,   7,   8,   9,   55,  56,  57,  58,  59,  105, 106, 107,
                            108, 109, 155, 156, 157, 158, 159, 205, 206, 207, 208, 209};
    // Its 32 x 24 pixels cover less than half of any cell of a 5 x 5 grid (64 x 48).
    QTest::newRow("coarser than the area") << 5 << QList<int>{};
}

void TestMotionMask::gridChangeKeepsTheArea()
{
    QFETCH(int, grid);
    QFETCH(QList<int>, ignored);
    MotionMask mask;
    mask.setCell(10, 10, 0, 1, true);
    QCOMPARE(ignoredIndices(mask.cells(grid, grid)), ignored);
    // The engine looks the flags up again when its grid changes, whatever came before.
    TMJ engine;
    engine.SetMask(mask);
    useSystemSettings(engine, 7);
    QVERIFY(engine.IgnoredCells().size() == 49);
    useSystemSettings(engine, grid);
    QCOMPARE(ignoredIndices(engine.IgnoredCells()), ignored);
    // Painted back on its own grid, the area is free again.
    mask.setCell(10, 10, 0, 1, false);
    QVERIFY(mask.isEmpty());
    QVERIFY(mask.cells(-1, 10).empty());
}

// Any size, stretched over the area; black is ignored, white and light grey are not. A file
// that is no picture is named in the refusal.
void TestMotionMask::pictureFilesScaleToTheArea()
{
    QTemporaryDir dir;
    QImage picture(4, 2, QImage::Format_Grayscale8);
    picture.fill(255);
    picture.setPixelColor(0, 0, Qt::black); // the top left quarter of the picture
    picture.setPixelColor(3, 1, QColor(200, 200, 200));
    for (const char *name : {"mask.pgm", "mask.png"}) {
        const QString path = dir.filePath(name);
        QVERIFY(picture.save(path));
        const Result<MotionMask> mask = MotionMask::load(path);
        QVERIFY2(mask, qPrintable(mask ? QString() : mask.error()));
        QCOMPARE(ignoredIndices(mask->cells(2, 4)), QList<int>{0});
        QCOMPARE(ignoredIndices(mask->cells(4, 8)), (QList<int>{0, 1, 8, 9}));
        QCOMPARE(MotionMask::fromImage(mask->image()), *mask);
    }
    QFile text(dir.filePath("notes.png"));
    QVERIFY(text.open(QIODevice::WriteOnly) && text.write("not a picture") > 0);
    text.close();
    const Result<MotionMask> refused = MotionMask::load(text.fileName());
    QVERIFY(!refused && refused.error().startsWith("The mask \"" + text.fileName() + "\" cannot"));
}

void TestMotionMask::lightChangesAreNoMotion_data()
{
    QTest::addColumn<int>("percent");
    QTest::addColumn<int>("changedColumns"); // of 10, from the left
    QTest::addColumn<int>("ignoredColumns"); // of 10, from the right
    QTest::addColumn<bool>("motion");
    QTest::newRow("off: the whole picture brighter") << 0 << 10 << 0 << true;
    QTest::newRow("whole picture over 60 %") << 60 << 10 << 0 << false;
    QTest::newRow("60 % exactly is not above 60 %") << 60 << 6 << 0 << true;
    QTest::newRow("70 % over 60 %") << 60 << 7 << 0 << false;
    QTest::newRow("one column") << 60 << 1 << 0 << true;
    // Half the picture ignored: five changed columns are all the watched cells.
    QTest::newRow("ignored cells do not count") << 60 << 5 << 5 << false;
    QTest::newRow("100 % is never exceeded") << 100 << 10 << 0 << true;
}

// Brighter columns of cells: a light change when they are more than percent % of the cells
// watched. The picture after it is compared with the brighter one, so it moves nothing.
void TestMotionMask::lightChangesAreNoMotion()
{
    QFETCH(int, percent);
    QFETCH(int, changedColumns);
    QFETCH(int, ignoredColumns);
    QFETCH(bool, motion);
    TMJ engine;
    useSystemSettings(engine, 10);
    engine.SetLightChangePercent(percent);
    MotionMask mask;
    for (int c = 10 - ignoredColumns; c < 10; ++c)
        for (int r = 0; r < 10; ++r)
            mask.setCell(10, 10, r, c, true);
    engine.SetMask(mask);
    EventLog log(engine);
    engine.ScanFrame(grey(80));
    engine.ScanFrame(grey(80));
    log.clear();
    const QImage lit =
        withRect(grey(80), QRect(0, 0, 32 * changedColumns, 240), QColor(160, 160, 160));
    engine.ScanFrame(lit);
    QCOMPARE(log.motion, motion ? 1 : 0);
    QCOMPARE(engine.LightChangeIgnored(), !motion);
    engine.ScanFrame(lit);
    QCOMPARE(log.motion, motion ? 1 : 0);
    QVERIFY(!engine.LightChangeIgnored());
    // A box that appears afterwards is motion again.
    engine.ScanFrame(withRect(lit, QRect(4, 4, 20, 14), Qt::black));
    QCOMPARE(log.motion, motion ? 2 : 1);
}

QTEST_GUILESS_MAIN(TestMotionMask)
#include "tst_motionmask.moc"
