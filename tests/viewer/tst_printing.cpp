// Printing into PDF files, read back with poppler's pdftotext and pdftoppm: the report print
// behind the "print info" question, the picture page and the range page, and a failed print.

#include "capture/captureruncontrol.h"
#include "common/fakesound.h"
#include "common/recordedmessages.h"
#include "common/tempworkdir.h"
#include "shell/applicationstate.h"
#include "shell/toolwindows.h"
#include "viewer/pdfpages.h"
#include "viewer/printing.h"
#include "viewer/printquestion.h"

#include <QPushButton>
#include <QTest>

namespace {
struct CountingRun : CaptureRunControl
{
    int pauses = 0;
    void startStop() override {}
    void pause(bool) override { ++pauses; }
};

QImage solid(QColor colour)
{
    QImage image(640, 480, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}
} // namespace

class TestPrinting : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        if (!popplerAvailable())
            QSKIP("pdftotext and pdftoppm are needed (Debian package poppler-utils)");
    }
    void reportPrintsUnderItsHeading();
    void pictureAndRangePages();
    void failedPrintSaysWhy();

private:
    TempWorkDir m_dir;
    ApplicationState m_state;
    FakeSound m_click;
    CountingRun m_run;
    ToolWindows m_tools;
    RecordedMessages m_messages;
};

void TestPrinting::reportPrintsUnderItsHeading()
{
    QWidget window;
    Printing printing(&window, m_state, m_click.sound, m_run, m_tools, m_messages);
    printing.printer().printToFile(m_dir.path() + "/report.pdf");
    QStringList lines;
    for (int i = 0; i < 100; ++i)
        lines << QStringLiteral("line %1").arg(i);
    printing.askReport("Print motion detection report ?    ", lines, "MOTION DETECTION REPORT");
    auto *question = qobject_cast<PrintQuestion *>(m_tools.window(ToolWindows::Role::PrintInfo));
    QVERIFY(question && question->isVisible());
    QCOMPARE(question->windowTitle(), QStringLiteral("print info"));
    QCOMPARE(question->question(), QStringLiteral("Print motion detection report ?    "));
    m_state.setCaptureRunning(true); // a run started meanwhile is paused for the print
    question->findChild<QPushButton *>("okButton")->click();
    QVERIFY(!question->isVisible());
    QCOMPARE(m_run.pauses, 1);
    QVERIFY(m_messages.errors.isEmpty());

    const QStringList pages = pdfPages(m_dir.path() + "/report.pdf");
    QCOMPARE(pages.size(), 2);
    QVERIFY(pages[0].contains("line 0\n") && pages[0].contains("line 95\n"));
    QVERIFY(!pages[0].contains("line 96"));
    const QStringList second = pages[1].split('\n', Qt::SkipEmptyParts);
    QCOMPARE(second.value(0).trimmed(), QStringLiteral("MOTION DETECTION REPORT"));
    QCOMPARE(second.value(1).trimmed(), QString(25, '_'));
    QCOMPARE(second.mid(2).join('|').remove(' '), QStringLiteral("line96|line97|line98|line99"));
}

void TestPrinting::pictureAndRangePages()
{
    PagePrinter printer;
    printer.printToFile("picture.pdf");
    const PrintPage page = printer.page();
    QVERIFY(printer.print(
        PrintLayout::picturePage(page, 1234, "08.12.2026 10:00:00", solid(Qt::green), 3, 3),
        nullptr));
    // pdftotext guesses the blanks between words from their gaps: compare words.
    const QString text = pdfPages("picture.pdf").value(0).simplified();
    QVERIFY2(text.startsWith("Vardella 1.3 picture: 1234 08.12.2026 10:00:00"), qPrintable(text));
    // The picture lies below the two lines: 3 dots a pixel at 300 dpi is 2 inches from the left.
    const QImage shown = pdfImage("picture.pdf", 30);
    const auto near = [](QColor a, QColor b) {
        return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
                   std::abs(a.blue() - b.blue()) <
               12;
    };
    QVERIFY(near(shown.pixelColor(30, 30), Qt::green));
    QVERIFY(near(shown.pixelColor(200, 30), Qt::white));

    printer.printToFile("range.pdf");
    std::array<QImage, 10> pictures;
    pictures.fill(solid(Qt::blue));
    const auto range = PrintLayout::rangePage(page, 0, 0, pictures, [](int n) -> Result<QString> {
        return QStringLiteral("s%1").arg(n);
    });
    QVERIFY(printer.print(range.steps, nullptr));
    const QStringList rows = pdfPages("range.pdf").value(0).split('\n', Qt::SkipEmptyParts);
    QVERIFY(rows.value(0).contains("printing range 0-9"));
    // The labels in two columns: 0 beside 5, 1 beside 6 ...
    QStringList labels;
    for (const QString &row : rows) {
        if (row.contains("picture "))
            labels << row.simplified();
    }
    QCOMPARE(labels, QStringList({"picture 0 s0 picture 5 s5", "picture 1 s1 picture 6 s6",
                                  "picture 2 s2 picture 7 s7", "picture 3 s3 picture 8 s8",
                                  "picture 4 s4 picture 9 s9"}));
}

void TestPrinting::failedPrintSaysWhy()
{
    QWidget window;
    Printing printing(&window, m_state, m_click.sound, m_run, m_tools, m_messages);
    printing.printer().printToFile("/nonexistent/folder/report.pdf");
    printing.askReport("      Print helpfile ?    ", {"a"}, QString());
    m_tools.window(ToolWindows::Role::PrintInfo)->findChild<QPushButton *>("okButton")->click();
    QCOMPARE(m_messages.errors.size(), 1);
    QVERIFY2(m_messages.errors[0].contains("/nonexistent/folder/report.pdf"),
             qPrintable(m_messages.errors[0]));
}

QTEST_MAIN(TestPrinting)
#include "tst_printing.moc"
