#pragma once
// Printed pages as lists of drawing steps: text at a point, a picture stretched into a
// rectangle, a new page. Positions are device pixels of a page at 300 dots per inch, scaled to
// the printer's own resolution, so that a page looks the same on every printer and in a PDF.

#include "shell/result.h"

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <vector>

struct PrintStep
{
    enum class Kind
    {
        Text,    // text with its top-left corner at at
        Picture, // picture stretched into rect
        NewPage,
    };
    Kind kind = Kind::Text;
    QPoint at;
    QString text;
    QRect rect;
    QImage picture;
};
using PrintSteps = std::vector<PrintStep>;

/// What a layout needs to know of the printer.
struct PrintPage
{
    int resolution = 300;   // dots per inch
    QSize size{2480, 3508}; // the paper in device pixels
    int lineHeight = 35;    // of the printing font, in device pixels
};

namespace PrintLayout {

/// The product line printed on the picture page.
inline constexpr const char *ProductLine = "Vardella 1.3";

/// One picture: the product line, "picture: " + number + the time stamp, and the picture at
/// the printer's dots per screen pixel (kx, ky), its proportions kept and shrunk to the paper
/// when it would not fit.
PrintSteps picturePage(const PrintPage &page, int number, const QString &timeStamp,
                       const QImage &picture, int kx, int ky);

/// The viewer's page of ten in two columns of five, from pageStart, headed by the range
/// N to N + 9 (N = 10 × the range position). timeStamp gives each picture's stamp; the page ends
/// at the first picture whose stamp cannot be formed, and that reason is returned beside what
/// was laid out. Empty slots (null pictures) draw nothing but their label.
struct RangeLayout
{
    PrintSteps steps;
    QString failure;
};
RangeLayout rangePage(const PrintPage &page, int rangeStart, int pageStart,
                      const std::array<QImage, 10> &pictures,
                      const std::function<Result<QString>(int)> &timeStamp);

/// The lines of a report, one below the other. With a heading (the two reports) a new page
/// starts after lines 95, 190, ... 1045, under the heading, its underscore row and a blank row;
/// without one (the help text) the lines only break where the paper ends. Lines that would fall
/// off the paper go on a new page in both cases.
PrintSteps reportPages(const PrintPage &page, const QStringList &lines, const QString &heading);

} // namespace PrintLayout
