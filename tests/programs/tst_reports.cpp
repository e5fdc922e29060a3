// The two reports: where each line lands, what it says, and how the numbering wraps.

#include "programs/reports.h"
#include "shell/applicationstate.h"

#include <QTest>

class TestReports : public QObject
{
    Q_OBJECT
private slots:
    void timerRunsFillBlocksOfThree();
    void timerLineTexts();
    void timerPositionWrapsAfterRun168();
    void motionLines_data();
    void motionLines();
    void motionEntry101ReplacesTheOldest();
    void lightChangesShareTheNumbering();
    void linePastTheEndFillsTheGap();
};

namespace {
ApplicationState stampedAt(const QDateTime &at, int pictureCounter)
{
    ApplicationState state;
    state.setClock(at.time());
    state.refreshMonthDay(at.date());
    state.setPictureCounter(pictureCounter);
    return state;
}

const QDateTime July12(QDate(2026, 7, 12), QTime(9, 5, 3));
} // namespace

void TestReports::timerRunsFillBlocksOfThree()
{
    TimeRecordingReport report;
    QCOMPARE(report.lines(), QStringList({"", "  Timer report", "   _________", "", ""}));
    ApplicationState state = stampedAt(July12, 250);
    for (int run = 1; run <= 2; ++run) {
        report.writeStart(state);
        state.setPictureCounter(state.PictureCounter() + 10);
        report.writeStop(state, "9:35:00");
        const int first = 3 * run + 1; // lines 4, 5, 6 and then 7, 8, 9
        QVERIFY(report.lines()[first].startsWith("  Start date/time"));
        QVERIFY(report.lines()[first + 1].startsWith("  Stop date/time"));
        QCOMPARE(report.lines().size(), first + 3);
        QCOMPARE(report.lines()[first + 2], QString()); // the two-space line, emptied
    }
    // A run stopped by hand leaves its start line alone; the next run goes on below it.
    report.writeStart(state);
    report.writeStart(state);
    QCOMPARE(report.position(), 11);
    QVERIFY(report.lines()[13].startsWith("  Start date/time"));
    QCOMPARE(report.lines().size(), 15);

    // No start line while there is no picture number.
    TimeRecordingReport none;
    ApplicationState unnumbered = stampedAt(July12, -1);
    none.writeStart(unnumbered);
    QCOMPARE(none.lines().size(), 5);
    QCOMPARE(none.position(), 0);
}

void TestReports::timerLineTexts()
{
    TimeRecordingReport report;
    ApplicationState state = stampedAt(July12, 250);
    report.writeStart(state);
    QCOMPARE(report.lines()[4],
             QStringLiteral("  Start date/time =  07 - 12  9:05:03  first picture no  :  250"));
    state.setPictureCounter(0); // numbering began again during the run
    report.writeStop(state, "9:35:00");
    QCOMPARE(state.PictureCounter(), 1);
    QCOMPARE(report.lines()[5],
             QStringLiteral("  Stop date/time =  07 - 12  9:35:00  last picture no   :  0"));
}

void TestReports::timerPositionWrapsAfterRun168()
{
    TimeRecordingReport report;
    ApplicationState state = stampedAt(July12, 1);
    for (int run = 1; run <= 168; ++run) {
        report.writeStart(state);
        report.writeStop(state, "9:35:00");
    }
    QCOMPARE(report.position(), 0);
    const int length = report.lines().size();
    report.writeStart(state);
    // Run 169 writes over the first run's block, and still appends its two-space line.
    QCOMPARE(report.position(), 2);
    QVERIFY(report.lines()[4].startsWith("  Start date/time"));
    QCOMPARE(report.lines().size(), length + 1);
}

void TestReports::motionLines_data()
{
    QTest::addColumn<int>("entry");
    QTest::addColumn<QString>("numberPart");
    QTest::newRow("9") << 9 << "  motion detection      9   start";
    QTest::newRow("10") << 10 << "  motion detection    10   start";
    QTest::newRow("99") << 99 << "  motion detection    99   start";
    QTest::newRow("100") << 100 << "  motion detection  100   start";
}

void TestReports::motionLines()
{
    QFETCH(int, entry);
    QFETCH(QString, numberPart);
    MotionReport report;
    ApplicationState state = stampedAt(July12, 250);
    for (int i = 1; i < entry; ++i)
        QVERIFY(!report.write(state));
    QVERIFY(!report.write(state));
    QCOMPARE(report.number(), entry);
    QCOMPARE(report.lines().size(), entry + 4);
    QCOMPARE(report.lines()[entry + 3],
             numberPart + " date/time :  07 - 12 9:05:03   start on picture no: 250");
}

void TestReports::motionEntry101ReplacesTheOldest()
{
    MotionReport report;
    QCOMPARE(report.lines(),
             QStringList({"", "  Motion detection  report", "  ___________________", ""}));
    ApplicationState state = stampedAt(July12, 0);
    for (int i = 0; i < 100; ++i)
        report.write(state);
    state.setPictureCounter(777);
    QVERIFY(report.write(state)); // the window closes
    QCOMPARE(report.number(), 1);
    QCOMPARE(report.lines().size(), 104);
    QVERIFY(report.lines()[4].startsWith("  motion detection      1 "));
    QVERIFY(report.lines()[4].endsWith(": 777"));
    QVERIFY(report.lines()[5].endsWith(": 0"));
}

// A light change takes the next entry, its number in the column of the motions' numbers.
void TestReports::lightChangesShareTheNumbering()
{
    MotionReport report;
    ApplicationState state = stampedAt(July12, 250);
    report.write(state);
    QVERIFY(!report.writeLightChange(state));
    report.write(state);
    QCOMPARE(report.number(), 3);
    QCOMPARE(report.lines()[5], "  light change          2   ignored date/time :  07 - 12 9:05:03");
    QCOMPARE(report.lines()[5].indexOf('2'), report.lines()[6].indexOf('3'));
    QVERIFY(report.lines()[6].startsWith("  motion detection      3   start"));
}

void TestReports::linePastTheEndFillsTheGap()
{
    ReportLines lines({"a"});
    lines.put(1, "b"); // appended
    lines.put(0, "c"); // replaced
    lines.put(4, "d");
    QCOMPARE(lines.lines(), QStringList({"c", "b", "", "", "d"}));
}

QTEST_GUILESS_MAIN(TestReports)
#include "tst_reports.moc"
