#include "motion/motionraster.h"

#include "motion/detectormath.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace MotionRaster {

namespace {

// Byte positions of red and blue in a source pixel; green is always the middle byte.
struct ChannelOrder
{
    int red;
    int blue;
};

ChannelOrder orderOf(const QImage &picture)
{
    if (picture.format() == QImage::Format_RGB888)
        return {0, 2};
    return {2, 0};
}

// Round(v x 1.5) limited to 255, for every byte value; x 1.5 is exact, halves go to even.
std::array<std::uint8_t, 256> makeBrightenTable()
{
    std::array<std::uint8_t, 256> table{};
    for (int v = 0; v < 256; ++v) {
        int r = (3 * v) / 2;
        if ((3 * v) % 2 != 0 && r % 2 != 0)
            ++r;
        table[v] = static_cast<std::uint8_t>(std::min(r, 255));
    }
    return table;
}

const std::array<std::uint8_t, 256> &brightenTable()
{
    static const auto table = makeBrightenTable();
    return table;
}

// Cell index of every pixel column (or row): computed once per scan, not per pixel.
std::vector<int> cellIndices(int cells, int pixels)
{
    std::vector<int> index(static_cast<std::size_t>(pixels));
    for (int p = 0; p < pixels; ++p)
        index[p] = std::min(DetectorMath::scaledTrunc(cells, pixels, p), cells - 1);
    return index;
}

// A run of neighbouring pixel columns that fall into the same cell column.
struct ColumnRun
{
    int cell;
    int first;
    int end;
};

std::vector<ColumnRun> columnRuns(int columns, int width)
{
    const std::vector<int> index = cellIndices(columns, width);
    std::vector<ColumnRun> runs;
    for (int x = 0; x < width; ++x) {
        if (runs.empty() || runs.back().cell != index[x])
            runs.push_back({index[x], x, x + 1});
        else
            runs.back().end = x + 1;
    }
    return runs;
}

// Adds the column sums of bandRows rows to the cells of one cell row.
void addBand(const std::uint32_t *band, int bandRows, const std::vector<ColumnRun> &runs,
             TScanCell *cells)
{
    for (const ColumnRun &run : runs) {
        std::uint64_t blue = 0, green = 0, red = 0;
        for (int x = run.first; x < run.end; ++x) {
            blue += band[3 * x];
            green += band[3 * x + 1];
            red += band[3 * x + 2];
        }
        TScanCell &cell = cells[run.cell];
        cell.SumBlue += blue;
        cell.SumGreen += green;
        cell.SumRed += red;
        cell.PixelCount += (run.end - run.first) * bandRows;
    }
}

void fillBlack(QImage &image)
{
    if (!image.isNull())
        std::memset(image.bits(), 0, static_cast<std::size_t>(image.sizeInBytes()));
}

// Copies count pixels, taking source byte offsets from offsets (or consecutive pixels).
void copyPixels(const uchar *src, uchar *dst, int count, const int *offsets, ChannelOrder order)
{
    for (int x = 0; x < count; ++x, dst += 3) {
        const uchar *s = src + (offsets ? offsets[x] : 3 * x);
        dst[0] = s[order.blue];
        dst[1] = s[1];
        dst[2] = s[order.red];
    }
}

} // namespace

void resizeKeeping(QImage &image, int width, int height)
{
    if (image.width() == width && image.height() == height &&
        (image.isNull() || image.format() == QImage::Format_BGR888))
        return;
    QImage resized(width, height, QImage::Format_BGR888);
    fillBlack(resized);
    const int rows = std::min(height, image.height());
    const int bytes = 3 * std::min(width, image.width());
    if (!resized.isNull() && !image.isNull() && image.format() == QImage::Format_BGR888) {
        for (int y = 0; y < rows; ++y)
            std::memcpy(resized.scanLine(y), image.constScanLine(y), bytes);
    }
    image = resized;
}

void drawStretched(const QImage &picture, QImage &target)
{
    const int w = target.width();
    const int h = target.height();
    const long long sw = picture.width();
    const long long sh = picture.height();
    const ChannelOrder order = orderOf(picture);
    const bool plainCopy = sw == w && picture.format() == QImage::Format_BGR888;
    std::vector<int> offsets(static_cast<std::size_t>(w));
    for (int x = 0; x < w; ++x)
        offsets[x] = static_cast<int>(3 * (((2LL * x + 1) * sw) / (2LL * w)));
    const qsizetype srcStride = picture.bytesPerLine();
    const qsizetype dstStride = target.bytesPerLine();
    const uchar *src = picture.constBits();
    uchar *dst = target.bits();
    for (int y = 0; y < h; ++y) {
        const long long sy = ((2LL * y + 1) * sh) / (2LL * h);
        const uchar *row = src + sy * srcStride;
        if (plainCopy)
            std::memcpy(dst + y * dstStride, row, static_cast<std::size_t>(3 * w));
        else
            copyPixels(row, dst + y * dstStride, w, offsets.data(), order);
    }
}

void drawUnscaled(const QImage &picture, QImage &target)
{
    fillBlack(target);
    const int w = std::min(target.width(), picture.width());
    const int h = std::min(target.height(), picture.height());
    const ChannelOrder order = orderOf(picture);
    const bool plainCopy = picture.format() == QImage::Format_BGR888;
    for (int y = 0; y < h; ++y) {
        const uchar *src = picture.constScanLine(y);
        uchar *dst = target.scanLine(y);
        if (plainCopy)
            std::memcpy(dst, src, static_cast<std::size_t>(3 * w));
        else
            copyPixels(src, dst, w, nullptr, order);
    }
}

void makeEdgeMap(const QImage &picture, QImage &edges, int sensitivity)
{
    resizeKeeping(edges, picture.width(), picture.height());
    // Round(sqrt(n)) > s  <=>  n > s^2 + s for s >= 0, as sqrt(n) of an integer n is never a
    // half; a negative s is exceeded by every distance.
    const long long s = sensitivity;
    const long long limit = s < 0 ? -1 : s * s + s;
    const int w = picture.width();
    const qsizetype srcStride = picture.bytesPerLine();
    const qsizetype dstStride = edges.bytesPerLine();
    const uchar *src = picture.constBits();
    uchar *dst = edges.bits();
    for (int y = 0; y < picture.height(); ++y) {
        const uchar *p = src + y * srcStride;
        uchar *e = dst + y * dstStride;
        if (w > 0)
            std::memset(e, 255, 3);
        for (int x = 1; x < w; ++x) {
            const int db = p[3 * x] - p[3 * x - 3];
            const int dg = p[3 * x + 1] - p[3 * x - 2];
            const int dr = p[3 * x + 2] - p[3 * x - 1];
            const uchar v = db * db + dg * dg + dr * dr > limit ? 0 : 255;
            std::memset(e + 3 * x, v, 3);
        }
    }
}

void accumulateCells(const QImage &picture, int rows, int columns, TScanMatrix &matrix)
{
    const int height = picture.height();
    const std::size_t bytes = 3 * static_cast<std::size_t>(picture.width());
    const std::vector<ColumnRun> runs = columnRuns(columns, picture.width());
    const std::vector<int> rowCell = cellIndices(rows, height);
    const qsizetype stride = picture.bytesPerLine();
    const uchar *bits = picture.constBits();
    // The rows of one cell row are first summed byte by byte (a loop the compiler vectorises),
    // then each cell takes its columns of that sum.
    std::vector<std::uint32_t> band(bytes);
    int bandRows = 0;
    for (int y = 0; y < height; ++y) {
        const uchar *row = bits + y * stride;
        for (std::size_t i = 0; i < bytes; ++i)
            band[i] += row[i];
        ++bandRows;
        if (y + 1 == height || rowCell[y + 1] != rowCell[y]) {
            TScanCell *cells = matrix.data() + static_cast<std::size_t>(rowCell[y]) * columns;
            addBand(band.data(), bandRows, runs, cells);
            std::fill(band.begin(), band.end(), 0);
            bandRows = 0;
        }
    }
}

void brightenRect(QImage &image, int x0, int y0, int x1, int y1, bool edgeMap)
{
    const int w = image.width();
    const int h = image.height();
    if (w < 1 || h < 1)
        return;
    const auto &bright = brightenTable();
    const qsizetype stride = image.bytesPerLine();
    uchar *bits = image.bits();
    for (int y = y0; y <= y1; ++y) {
        uchar *row = bits + std::min(y, h - 1) * stride;
        for (int x = x0; x <= x1; ++x) {
            uchar *p = row + 3 * std::min(x, w - 1);
            if (edgeMap) {
                p[1] = p[2] = 255;
            } else {
                p[1] = p[2] = std::max(bright[p[2]], bright[p[1]]);
            }
        }
    }
}

void drawGrid(QImage &image, int rows, int columns)
{
    const int w = image.width();
    const int h = image.height();
    if (w < 1 || h < 1)
        return;
    constexpr uchar grey = 128;
    const qsizetype stride = image.bytesPerLine();
    uchar *bits = image.bits();
    for (int i = 1; i <= rows; ++i) {
        const int y = DetectorMath::scaledTrunc(h, rows, i);
        if (y >= 0 && y < h)
            std::memset(bits + y * stride, grey, static_cast<std::size_t>(3 * w));
    }
    for (int j = 1; j <= columns; ++j) {
        const int x = DetectorMath::scaledTrunc(w, columns, j);
        if (x < 0 || x >= w)
            continue;
        for (int y = 0; y < h; ++y)
            std::memset(bits + y * stride + 3 * x, grey, 3);
    }
}

} // namespace MotionRaster
