#include "viewer/printlayout.h"

#include <algorithm>

namespace {
constexpr int LayoutResolution = 300;
constexpr int LinesPerReportPage = 95;
constexpr int LastReportBreak = 1045;

// A position of the 300-dpi layout on the page's printer.
int scaled(const PrintPage &page, int v)
{
    return v * page.resolution / LayoutResolution;
}

QPoint scaled(const PrintPage &page, int x, int y)
{
    return {scaled(page, x), scaled(page, y)};
}

PrintStep text(QPoint at, const QString &line)
{
    return {PrintStep::Kind::Text, at, line, {}, {}};
}

PrintStep picture(const QRect &rect, const QImage &image)
{
    return {PrintStep::Kind::Picture, {}, {}, rect, image};
}

PrintStep newPage()
{
    return {PrintStep::Kind::NewPage, {}, {}, {}, {}};
}
} // namespace

PrintSteps PrintLayout::picturePage(const PrintPage &page, int number, const QString &timeStamp,
                                    const QImage &image, int kx, int ky)
{
    PrintSteps steps{text(scaled(page, 0, 5), QString::fromLatin1(ProductLine)),
                     text(scaled(page, 0, 50), QStringLiteral("picture: ") +
                                                   QString::number(number) +
                                                   QStringLiteral("    ") + timeStamp)};
    if (image.isNull())
        return steps;
    const int top = scaled(page, 90);
    QSize size(image.width() * std::max(1, kx), image.height() * std::max(1, ky));
    const QSize room(page.size.width(), page.size.height() - top);
    if (size.width() > room.width() || size.height() > room.height())
        size.scale(room, Qt::KeepAspectRatio);
    steps.push_back(picture(QRect(QPoint(0, top), size), image));
    return steps;
}

PrintLayout::RangeLayout
PrintLayout::rangePage(const PrintPage &page, int rangeStart, int pageStart,
                       const std::array<QImage, 10> &pictures,
                       const std::function<Result<QString>(int)> &timeStamp)
{
    struct Row
    {
        int labelY, top, bottom;
    };
    static constexpr std::array<Row, 5> Rows{{{45, 80, 650},
                                              {675, 710, 1290},
                                              {1315, 1350, 1920},
                                              {1945, 1980, 2550},
                                              {2575, 2610, 3180}}};
    static constexpr std::array<int, 2> Columns{50, 1200};
    static constexpr int PictureWidth = 770;

    RangeLayout layout;
    layout.steps = {
        text(scaled(page, 50, 5), QStringLiteral("Vardella grabber version 1.3")),
        text(scaled(page, 850, 5),
             QStringLiteral("printing range %1-%2").arg(rangeStart).arg(rangeStart + 9))};
    for (int k = 0; k < 10; ++k) {
        const int n = pageStart + k;
        const Result<QString> stamp = timeStamp(n);
        if (!stamp) {
            layout.failure = stamp.error();
            break;
        }
        const int x = Columns[k / 5];
        const Row &row = Rows[k % 5];
        layout.steps.push_back(text(scaled(page, x, row.labelY),
                                    QStringLiteral("picture %1    %2").arg(n).arg(*stamp)));
        if (!pictures[k].isNull())
            layout.steps.push_back(
                picture(QRect(scaled(page, x, row.top), scaled(page, x + PictureWidth, row.bottom)),
                        pictures[k]));
    }
    return layout;
}

PrintSteps PrintLayout::reportPages(const PrintPage &page, const QStringList &lines,
                                    const QString &heading)
{
    PrintSteps steps;
    int y = 0;
    const auto line = [&](const QString &s) {
        steps.push_back(text(QPoint(0, y), s));
        y += page.lineHeight;
    };
    const auto startPage = [&] {
        steps.push_back(newPage());
        y = 0;
        if (heading.isEmpty())
            return;
        line(heading);
        // The rows under the title reach a character past it on either side.
        line(QString(heading.size() + 2, QLatin1Char('_')));
        line(QString(heading.size() + 2, QLatin1Char(' ')));
    };
    for (int i = 0; i < lines.size(); ++i) {
        if (y + page.lineHeight > page.size.height() && y > 0)
            startPage();
        line(lines[i]);
        const bool more = i + 1 < lines.size();
        if (!heading.isEmpty() && more && i > 0 && i % LinesPerReportPage == 0 &&
            i <= LastReportBreak)
            startPage();
    }
    return steps;
}
