#pragma once
// The printer every print goes to, chosen with the platform's print dialog, and the painting
// of laid-out pages on it. Without an installed printer a print first asks for one (a PDF file
// serves), so that printing never fails unseen; a print into a file that exists asks again.

#include "shell/result.h"
#include "viewer/printlayout.h"

#include <QPrinter>

#include <memory>

class QWidget;

class PagePrinter
{
public:
    PagePrinter();
    ~PagePrinter();

    /// "Printer Setup": the platform's print dialog chooses the printer of later prints.
    void setup(QWidget *parent);
    /// The page as layouts see it on the current printer.
    PrintPage page() const;
    /// The printer's dots per screen pixel of widget, whole numbers (600 dpi on 96 gives 6).
    QSize dotsPerScreenPixel(const QWidget *widget) const;
    /// Prints the steps as one document; the document is ended whatever happens. Fails with
    /// the reason when no document could be started, nothing was chosen to print to, or the
    /// printing service refused the pages. Into a file that exists it prints only after the
    /// print dialog has been answered.
    Result<> print(const PrintSteps &steps, QWidget *parent);

    /// Tests print into a PDF file instead of a printer.
    void printToFile(const QString &pdfPath);
    QPrinter &printer() { return *m_printer; }

private:
    bool hasTarget() const;
    bool wouldReplaceFile() const;
    QFont printFont() const;

    std::unique_ptr<QPrinter> m_printer;
};
