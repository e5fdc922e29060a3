// The print routine for the viewer's page of ten 640 x 480 pictures into a PDF file: the time
// from "OK" until the document has been handed over, which the user interface waits for.
// Pictures carry camera-like noise, so that the PDF holds as much as a real page does.
#include "qtbenchmain.h"
#include "viewer/pageprinter.h"
#include "viewer/printlayout.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {
QImage noisyPicture(int variant)
{
    QImage picture(640, 480, QImage::Format_RGB888);
    QRandomGenerator random{quint32(variant)};
    for (int y = 0; y < picture.height(); ++y) {
        uchar *row = picture.scanLine(y);
        for (int x = 0; x < picture.width() * 3; ++x)
            row[x] = uchar((x + y) / 8 + random.bounded(24));
    }
    return picture;
}

void BM_PrintRangePage(benchmark::State &run)
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath("range.pdf");
    std::array<QImage, 10> pictures;
    for (int k = 0; k < 10; ++k)
        pictures[k] = noisyPicture(k);
    PagePrinter printer;
    printer.printToFile(pdf);
    for (auto _ : run) {
        run.PauseTiming(); // a file that is there would make the print ask first
        QFile::remove(pdf);
        run.ResumeTiming();
        const auto layout =
            PrintLayout::rangePage(printer.page(), 0, 0, pictures, [](int n) -> Result<QString> {
                return QStringLiteral("08.12.26 10:00:%1").arg(n);
            });
        if (!printer.print(layout.steps, nullptr)) {
            run.SkipWithError("the page did not print");
            return;
        }
    }
    run.counters["pdf_bytes"] = double(QFileInfo(pdf).size());
}
BENCHMARK(BM_PrintRangePage)->Unit(benchmark::kMillisecond)->Iterations(10);
} // namespace

int main(int argc, char **argv)
{
    return runQtBenchmarks(argc, argv);
}
