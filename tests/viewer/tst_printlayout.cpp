// The printed pages as drawing steps: where every text and picture lands, and where pages end.

#include "viewer/printlayout.h"

#include <QTest>

using Kind = PrintStep::Kind;

namespace {
PrintPage page(int resolution)
{
    PrintPage p;
    p.resolution = resolution;
    p.size = QSize(2480, 3508) * resolution / 300;
    p.lineHeight = 33 * resolution / 300;
    return p;
}

QStringList texts(const PrintSteps &steps)
{
    QStringList out;
    for (const PrintStep &s : steps)
        out << (s.kind == Kind::NewPage ? QStringLiteral("<page>") : s.text);
    return out;
}

QImage solid(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    return image;
}
} // namespace

class TestPrintLayout : public QObject
{
    Q_OBJECT
private slots:
    void picturePage();
    void rangePagePositions_data();
    void rangePagePositions();
    void rangePageEndsAtAMissingPicture();
    void reportPages_data();
    void reportPages();
};

void TestPrintLayout::picturePage()
{
    // At 1200 dpi every 300-dpi position is four times as far.
    const PrintSteps steps =
        PrintLayout::picturePage(page(1200), 1234, "08.12.26 10:00:00", solid({1280, 960}), 12, 12);
    QCOMPARE(texts(steps),
             QStringList({"Vardella 1.3", "picture: 1234    08.12.26 10:00:00", QString()}));
    QCOMPARE(steps[0].at, QPoint(0, 20));
    QCOMPARE(steps[1].at, QPoint(0, 200));
    // 1280 x 960 at 12 dots a pixel is wider than the paper: shrunk, in proportion, from y 360.
    QCOMPARE(steps[2].kind, Kind::Picture);
    QCOMPARE(steps[2].rect.topLeft(), QPoint(0, 360));
    QCOMPARE(steps[2].rect.width(), 9920);
    QCOMPARE(steps[2].rect.height(), 7440);
    // One that fits keeps its size: 320 x 240 at 3 dots a pixel on 300 dpi.
    const PrintSteps small = PrintLayout::picturePage(page(300), 7, "x", solid({320, 240}), 3, 3);
    QCOMPARE(small[2].rect, QRect(0, 90, 960, 720));
}

void TestPrintLayout::rangePagePositions_data()
{
    QTest::addColumn<int>("k");
    QTest::addColumn<QPoint>("label");
    QTest::addColumn<QRect>("picture");
    const int x[2] = {50, 1200};
    const int rows[5][3] = {{45, 80, 650},
                            {675, 710, 1290},
                            {1315, 1350, 1920},
                            {1945, 1980, 2550},
                            {2575, 2610, 3180}};
    for (int k = 0; k < 10; ++k) {
        const int *row = rows[k % 5];
        QTest::addRow("slot %d", k)
            << k << QPoint(x[k / 5], row[0])
            << QRect(QPoint(x[k / 5], row[1]), QPoint(x[k / 5] + 770, row[2]));
    }
}

void TestPrintLayout::rangePagePositions()
{
    QFETCH(int, k);
    QFETCH(QPoint, label);
    QFETCH(QRect, picture);
    std::array<QImage, 10> pictures;
    pictures.fill(solid({64, 48}));
    const auto layout =
        PrintLayout::rangePage(page(300), 5000, 5000, pictures, [](int n) -> Result<QString> {
            return QStringLiteral("stamp%1").arg(n);
        });
    QVERIFY(layout.failure.isEmpty());
    QCOMPARE(layout.steps.size(), std::size_t(2 + 2 * 10));
    QCOMPARE(layout.steps[1].text, QStringLiteral("printing range 5000-5009"));
    QCOMPARE(layout.steps[1].at, QPoint(850, 5));
    const PrintStep &text = layout.steps[2 + 2 * k];
    QCOMPARE(text.text, QStringLiteral("picture %1    stamp%1").arg(5000 + k));
    QCOMPARE(text.at, label);
    QCOMPARE(layout.steps[3 + 2 * k].rect, picture);
}

void TestPrintLayout::rangePageEndsAtAMissingPicture()
{
    std::array<QImage, 10> pictures;
    pictures[0] = solid({64, 48}); // slot 1 is empty: its label only
    const auto layout =
        PrintLayout::rangePage(page(300), 0, 0, pictures, [](int n) -> Result<QString> {
            if (n == 3)
                return failure(QStringLiteral("1/capture3.jpg is gone"));
            return QStringLiteral("s");
        });
    QCOMPARE(layout.failure, QStringLiteral("1/capture3.jpg is gone"));
    QCOMPARE(texts(layout.steps),
             QStringList({"Vardella grabber version 1.3", "printing range 0-9", "picture 0    s",
                          QString(), "picture 1    s", "picture 2    s"}));
}

void TestPrintLayout::reportPages_data()
{
    QTest::addColumn<int>("lines");
    QTest::addColumn<QString>("heading");
    QTest::addColumn<QStringList>("pageStarts"); // the first text of every page
    const QString timer = "TIME RECORDING REPORT";
    QTest::newRow("100 lines") << 100 << timer << QStringList{"0", timer};
    QTest::newRow("96 lines: no empty last page") << 96 << timer << QStringList{"0"};
    QTest::newRow("help: one page") << 59 << QString() << QStringList{"0"};
    QTest::newRow("long help: as the paper ends")
        << 250 << QString() << QStringList{"0", "106", "212"};
    QStringList report{"0"};
    for (int i = 0; i < 11; ++i)
        report << "MOTION DETECTION REPORT";
    report << "MOTION DETECTION REPORT"; // lines after 1045 run onto a further page
    QTest::newRow("after 1045") << 1200 << "MOTION DETECTION REPORT" << report;
}

void TestPrintLayout::reportPages()
{
    QFETCH(int, lines);
    QFETCH(QString, heading);
    QFETCH(QStringList, pageStarts);
    QStringList text;
    for (int i = 0; i < lines; ++i)
        text << QString::number(i);
    const PrintPage p = page(300);
    const PrintSteps steps = PrintLayout::reportPages(p, text, heading);
    QStringList starts{steps.front().text};
    for (std::size_t i = 0; i + 1 < steps.size(); ++i) {
        if (steps[i].kind == Kind::NewPage)
            starts << steps[i + 1].text;
        // Nothing falls off the paper.
        QVERIFY(steps[i].at.y() + p.lineHeight <= p.size.height());
    }
    QCOMPARE(starts, pageStarts);
    if (!heading.isEmpty() && lines > 96) {
        // The heading's rows, then line 96 below them.
        const auto page2 = std::find_if(steps.begin(), steps.end(),
                                        [](const PrintStep &s) { return s.kind == Kind::NewPage; });
        QCOMPARE(page2[2].text, QString(heading.size() + 2, '_'));
        QCOMPARE(page2[3].text, QString(heading.size() + 2, ' '));
        QCOMPARE(page2[4].text, QStringLiteral("96"));
        QCOMPARE(page2[4].at.y(), 3 * p.lineHeight);
    }
    QCOMPARE(texts(steps).count(QStringLiteral("99")), lines > 99 ? 1 : 0);
}

QTEST_GUILESS_MAIN(TestPrintLayout)
#include "tst_printlayout.moc"
