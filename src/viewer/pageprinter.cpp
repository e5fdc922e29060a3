#include "viewer/pageprinter.h"

#include <QFileInfo>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinterInfo>
#include <QWidget>

namespace {
// A report page holds its heading and 95 lines, or 96 on the first page, with room to spare.
constexpr int LinesPerPage = 100;
} // namespace

PagePrinter::PagePrinter() : m_printer(std::make_unique<QPrinter>(QPrinter::HighResolution))
{
    // Device position (0, 0) is the corner of the paper, as the layouts assume.
    m_printer->setFullPage(true);
}

PagePrinter::~PagePrinter() = default;

void PagePrinter::setup(QWidget *parent)
{
    QPrintDialog dialog(m_printer.get(), parent);
    dialog.exec(); // Cancel keeps the printer as it was
    m_printer->setFullPage(true);
}

void PagePrinter::printToFile(const QString &pdfPath)
{
    m_printer->setOutputFormat(QPrinter::PdfFormat);
    m_printer->setOutputFileName(pdfPath);
}

bool PagePrinter::hasTarget() const
{
    return m_printer->outputFormat() == QPrinter::PdfFormat
               ? !m_printer->outputFileName().isEmpty()
               : !QPrinterInfo::availablePrinters().isEmpty() ||
                     !m_printer->outputFileName().isEmpty();
}

QFont PagePrinter::printFont() const
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    const int pageHeight = m_printer->pageLayout().fullRectPixels(m_printer->resolution()).height();
    // Sized in the printer's pixels so that a report page holds its lines on any paper.
    font.setPixelSize(std::max(8, pageHeight / LinesPerPage * 4 / 5));
    return font;
}

PrintPage PagePrinter::page() const
{
    PrintPage page;
    page.resolution = m_printer->resolution();
    page.size = m_printer->pageLayout().fullRectPixels(page.resolution).size();
    page.lineHeight = QFontMetrics(printFont(), m_printer.get()).height();
    return page;
}

QSize PagePrinter::dotsPerScreenPixel(const QWidget *widget) const
{
    const int screenX = std::max(1, widget->logicalDpiX());
    const int screenY = std::max(1, widget->logicalDpiY());
    return {std::max(1, m_printer->resolution() / screenX),
            std::max(1, m_printer->resolution() / screenY)};
}

bool PagePrinter::wouldReplaceFile() const
{
    const QString file = m_printer->outputFileName();
    return !file.isEmpty() && QFileInfo::exists(file);
}

Result<> PagePrinter::print(const PrintSteps &steps, QWidget *parent)
{
    if (!hasTarget() || wouldReplaceFile()) {
        // No printer installed: the dialog offers printing into a PDF file. A file printed
        // before is never replaced unasked: the dialog offers another name, or asks before
        // it replaces the file.
        QPrintDialog dialog(m_printer.get(), parent);
        if (dialog.exec() != QDialog::Accepted)
            return failure(QStringLiteral("No printer was chosen, so nothing was printed."));
        m_printer->setFullPage(true);
    }
    QPainter painter;
    if (!painter.begin(m_printer.get()))
        return failure(QStringLiteral("The printer \"%1\" cannot start a document.")
                           .arg(m_printer->outputFileName().isEmpty()
                                    ? m_printer->printerName()
                                    : m_printer->outputFileName()));
    painter.setFont(printFont());
    painter.setPen(Qt::black);
    const int ascent = painter.fontMetrics().ascent();
    bool pagesAccepted = true;
    for (const PrintStep &step : steps) {
        switch (step.kind) {
        case PrintStep::Kind::Text:
            painter.drawText(step.at + QPoint(0, ascent), step.text);
            break;
        case PrintStep::Kind::Picture:
            painter.drawImage(step.rect, step.picture);
            break;
        case PrintStep::Kind::NewPage:
            pagesAccepted = m_printer->newPage() && pagesAccepted;
            break;
        }
    }
    const bool ended = painter.end();
    if (!ended || !pagesAccepted || m_printer->printerState() == QPrinter::Error)
        return failure(QStringLiteral("The printing service did not accept the document."));
    return {};
}
