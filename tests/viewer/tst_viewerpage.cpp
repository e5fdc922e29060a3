// The viewer's paging over a made-up store: which pictures and directory a range position
// shows, the step table, pages with gaps or damaged pictures, and the directory given back.
#include "common/storefiles.h"
#include "common/tempworkdir.h"
#include "viewer/fakepictures.h"
#include "viewer/picturetimestamp.h"
#include "viewer/viewerpage.h"

#include <QTest>

class TestViewerPage : public QObject
{
    Q_OBJECT
private slots:
    void rangeSelectsPageAndDirectory_data();
    void rangeSelectsPageAndDirectory();
    void stepTable_data();
    void stepTable();
    void incompletePage_data();
    void incompletePage();
    void vanishedFirstPictureKeepsStartTime();
    void openNeedsTheFirstTenPictures();
    void pagesSelectTheViewDirectory();
    void timeStampText_data();
    void timeStampText();
    void storedPictureTimeStamp();
};

void TestViewerPage::rangeSelectsPageAndDirectory_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("directory");
    QTest::addColumn<QString>("rangeText");
    QTest::newRow("first page") << 0 << 1 << "  Picture range 0 - 9";
    QTest::newRow("last page of 1") << 499 << 1 << "  Picture range 4990 - 4999";
    QTest::newRow("first page of 2") << 500 << 2 << "  Picture range 5000 - 5009";
    QTest::newRow("one step of 100000") << 10000 << 21 << "  Picture range 100000 - 100009";
    QTest::newRow("first page of 64") << 31500 << 64 << "  Picture range 315000 - 315009";
    QTest::newRow("last page") << 31999 << 64 << "  Picture range 319990 - 319999";
}

void TestViewerPage::rangeSelectsPageAndDirectory()
{
    QFETCH(int, position);
    QFETCH(int, directory);
    QFETCH(QString, rangeText);
    FakePictures pictures;
    const int start = 10 * position;
    pictures.add(start, start + 9);
    ViewerPage page(pictures);
    const ViewerPage::Loaded loaded = page.changeRange(position);

    QVERIFY(loaded.complete());
    QCOMPARE(page.pageStart(), start);
    QCOMPARE(page.viewDirectory(), directory);
    QCOMPARE(page.viewDirectoryBase(), (directory - 1) * 5000);
    QCOMPARE(page.rangeText(), rangeText);
    QCOMPARE(page.printRangeText(), QStringLiteral("Print range %1-%2").arg(start).arg(start + 9));
    QCOMPARE(page.startTimeText(), QStringLiteral("Start >> stamp%1     ").arg(start));
    for (int k = 1; k <= 10; ++k) {
        QCOMPARE(FakePictures::numberOf(page.slot(k).picture), start + k - 1);
        QVERIFY(page.slot(k).enabled);
    }
}

void TestViewerPage::stepTable_data()
{
    QTest::addColumn<QList<int>>("selectors"); // the step scroller's moves, in order
    QTest::addColumn<int>("rangeStep");
    QTest::addColumn<QString>("stepText");
    QTest::newRow("start") << QList<int>{} << 1 << "Step 10";
    QTest::newRow("2") << QList<int>{2} << 5 << "Step 50";
    QTest::newRow("5, thousands with a dot") << QList<int>{2, 3, 4, 5} << 100 << "Step 1.000";
    QTest::newRow("9") << QList<int>{9} << 10000 << "Step 100.000";
    QTest::newRow("10 keeps 9") << QList<int>{9, 10} << 10000 << "Step 100.000";
    QTest::newRow("10 keeps 6") << QList<int>{6, 10} << 500 << "Step 5.000";
    QTest::newRow("back to 1") << QList<int>{7, 1} << 1 << "Step 10";
}

void TestViewerPage::stepTable()
{
    QFETCH(QList<int>, selectors);
    QFETCH(int, rangeStep);
    QFETCH(QString, stepText);
    FakePictures pictures;
    ViewerPage page(pictures);
    for (int s : selectors)
        page.changeStep(s);
    QCOMPARE(page.rangeStep(), rangeStep);
    QCOMPARE(page.stepText(), stepText);
}

void TestViewerPage::incompletePage_data()
{
    QTest::addColumn<int>("lastPresent"); // of the second page, 10 to 19
    QTest::addColumn<int>("undecodable"); // -1 for none
    QTest::addColumn<int>("loaded");
    QTest::newRow("first four there") << 13 << -1 << 4;
    QTest::newRow("none there") << 9 << -1 << 0;
    QTest::newRow("third damaged") << 19 << 12 << 2;
    QTest::newRow("last damaged") << 19 << 19 << 9;
}

void TestViewerPage::incompletePage()
{
    QFETCH(int, lastPresent);
    QFETCH(int, undecodable);
    QFETCH(int, loaded);
    FakePictures pictures;
    pictures.add(0, lastPresent);
    pictures.undecodable.insert(undecodable);
    ViewerPage page(pictures);
    QVERIFY(page.changeRange(0).complete());

    const ViewerPage::Loaded result = page.changeRange(1);
    QVERIFY(!result.complete());
    QVERIFY2(result.failure.contains("1/capture"), qPrintable(result.failure));
    QCOMPARE(result.pictures, loaded);
    for (int k = 1; k <= 10; ++k) {
        QCOMPARE(page.slot(k).enabled, k <= loaded);
        QCOMPARE(FakePictures::numberOf(page.slot(k).picture), k <= loaded ? 9 + k : -1);
    }
    // The new page is selected, but its start time and print text are the last page's.
    QCOMPARE(page.pageStart(), 10);
    QCOMPARE(page.rangeText(), "  Picture range 10 - 19");
    QCOMPARE(page.startTimeText(), "Start >> stamp0     ");
    QCOMPARE(page.printRangeText(), "Print range 0-9");

    // Back to a complete page, every slot counts again.
    QVERIFY(page.changeRange(0).complete());
    QVERIFY(page.slot(10).enabled);
}

void TestViewerPage::vanishedFirstPictureKeepsStartTime()
{
    FakePictures pictures;
    pictures.add(0, 19);
    pictures.stampless.insert(10);
    ViewerPage page(pictures);
    page.changeRange(0);
    const ViewerPage::Loaded loaded = page.changeRange(1);
    QVERIFY(loaded.complete());
    QVERIFY2(loaded.stampError.contains("1/capture10.jpg"), qPrintable(loaded.stampError));
    QCOMPARE(page.startTimeText(), "Start >> stamp0     ");
    QCOMPARE(page.printRangeText(), "Print range 0-9");
}

void TestViewerPage::openNeedsTheFirstTenPictures()
{
    FakePictures pictures;
    ViewerPage page(pictures);
    pictures.add(0, 8);
    QVERIFY(!page.firstPageStored());
    pictures.add(5000, 5009); // another directory's do not count
    QVERIFY(!page.firstPageStored());
    pictures.add(9, 9);
    QVERIFY(page.firstPageStored());
}

void TestViewerPage::pagesSelectTheViewDirectory()
{
    FakePictures pictures;
    pictures.add(0, 319999);
    ViewerPage page(pictures);
    page.changeRange(3000); // directory "7"
    QCOMPARE(page.viewDirectory(), 7);
    page.changeRange(0);
    QCOMPARE(page.viewDirectory(), 1);
}

void TestViewerPage::timeStampText_data()
{
    QTest::addColumn<QTime>("modified");
    QTest::addColumn<QTime>("shown"); // invalid: the date alone
    QTest::newRow("afternoon, odd second") << QTime(13, 45, 31) << QTime(13, 45, 31);
    QTest::newRow("even second") << QTime(9, 5, 2, 999) << QTime(9, 5, 2);
    QTest::newRow("odd second and a half") << QTime(17, 25, 19, 500) << QTime(17, 25, 19);
    QTest::newRow("last of the day") << QTime(23, 59, 59, 999) << QTime(23, 59, 59);
    QTest::newRow("midnight") << QTime(0, 0) << QTime();
    QTest::newRow("within midnight's second") << QTime(0, 0, 0, 999) << QTime();
    QTest::newRow("one second after midnight") << QTime(0, 0, 1) << QTime(0, 0, 1);
    QTest::newRow("two seconds after midnight") << QTime(0, 0, 2) << QTime(0, 0, 2);
}

void TestViewerPage::timeStampText()
{
    QFETCH(QTime, modified);
    QFETCH(QTime, shown);
    const QLocale locale(QLocale::German, QLocale::Germany);
    const QDate date(2026, 12, 8);
    QString expected = "08.12.26";
    if (shown.isValid())
        expected += ' ' + locale.toString(shown, QLocale::LongFormat);
    QCOMPARE(TimeStampText(QDateTime(date, modified), locale), expected);
}

void TestViewerPage::storedPictureTimeStamp()
{
    TempWorkDir dir;
    touch("2/capture5000.jpg");
    const QDateTime modified(QDate(2026, 12, 8), QTime(7, 30, 12));
    QFile file("2/capture5000.jpg");
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(modified, QFileDevice::FileModificationTime));
    file.close();
    QCOMPARE(PictureTimeStamp(2, 5000).value_or(QString()), TimeStampText(modified));
    const Result<QString> missing = PictureTimeStamp(2, 5001);
    QVERIFY(!missing);
    QVERIFY2(missing.error().contains("\"2/capture5001.jpg\""), qPrintable(missing.error()));
}

QTEST_GUILESS_MAIN(TestViewerPage)
#include "tst_viewerpage.moc"
