#include "motion/tmj.h"

#include "motion/detectormath.h"
#include "motion/motionraster.h"

#include <QPainter>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace {

// Round(sum / count) for count > 0, halves to the even neighbour. The quotient is estimated
// with the reciprocal (one division per cell instead of three) and then made exact in integers.
std::uint8_t roundedMean(std::uint64_t sum, std::uint64_t count, double reciprocal)
{
    auto q = static_cast<std::uint64_t>(static_cast<double>(sum) * reciprocal);
    while (q > 0 && q * count > sum)
        --q;
    while ((q + 1) * count <= sum)
        ++q;
    const std::uint64_t rest = sum - q * count;
    if (rest > count - rest || (rest == count - rest && q % 2 != 0))
        ++q;
    return static_cast<std::uint8_t>(q);
}

// Round(dL x 1.725) for every brightness difference dL, looked up per cell.
std::array<int, 256> makeBrightnessMeasures()
{
    std::array<int, 256> measures{};
    for (int d = 0; d < 256; ++d)
        measures[d] = DetectorMath::brightnessMeasure(d);
    return measures;
}

const std::array<int, 256> brightnessMeasures = makeBrightnessMeasures();

// Round(sqrt(n)): sqrt of an integer is never a half, so the result is k + 1 exactly when
// n > k^2 + k with k = floor(sqrt(n)).
int roundedSqrt(int n)
{
    int k = static_cast<int>(std::sqrt(static_cast<double>(n)));
    while (k * k > n)
        --k;
    while ((k + 1) * (k + 1) <= n)
        ++k;
    return n > k * k + k ? k + 1 : k;
}

int brightness(const TMotionItem &item)
{
    return (77 * item.Red + 150 * item.Green + 29 * item.Blue) / 256;
}

} // namespace

TMJ::TMJ()
{
    SetRows(25);
    SetColumns(25);
    for (TMotionItem &item : m_itemsA)
        item.Sensitivity = 5;
    for (TMotionItem &item : m_itemsB)
        item.Sensitivity = 5;
}

QString TMJ::About() const
{
    return QStringLiteral("Grid motion detector: compares the mean colour of every cell with the "
                          "picture before.");
}

void TMJ::SetColumns(int columns)
{
    m_columns = columns;
    resizeTables();
}

void TMJ::SetRows(int rows)
{
    m_rows = rows;
    resizeTables();
}

void TMJ::SetFalloff(int falloff)
{
    if (falloff > 0)
        m_falloff = falloff;
}

void TMJ::SetSize(int width, int height)
{
    m_width = std::max(width, 0);
    m_height = std::max(height, 0);
}

std::size_t TMJ::cellCount() const
{
    if (m_rows < 1 || m_columns < 1)
        return 0;
    return static_cast<std::size_t>(m_rows) * static_cast<std::size_t>(m_columns);
}

// New cells start zeroed (black, sensitivity 0, no hold); existing ones keep their linear index.
void TMJ::resizeTables()
{
    m_itemsA.resize(cellCount());
    m_itemsB.resize(cellCount());
}

int TMJ::GetCellSensitivity(int row, int column) const
{
    if (row < 0 || row >= m_rows || column < 0 || column >= m_columns)
        return -1;
    const std::size_t i = static_cast<std::size_t>(row) * m_columns + column;
    return i < m_itemsA.size() ? m_itemsA[i].Sensitivity : -1;
}

void TMJ::Paint(QPainter &painter) const
{
    painter.drawImage(QPoint(0, 0), m_workBitmap);
}

void TMJ::SetMask(const MotionMask &mask)
{
    m_mask = mask;
    m_ignoredRows = m_ignoredColumns = 0; // resampled at the next look
}

const std::vector<std::uint8_t> &TMJ::IgnoredCells()
{
    if (m_mask.isEmpty()) {
        m_ignored.clear();
    } else if (m_ignoredRows != m_rows || m_ignoredColumns != m_columns) {
        m_ignored = m_mask.cells(m_rows, m_columns);
        m_ignoredRows = m_rows;
        m_ignoredColumns = m_columns;
    }
    return m_ignored;
}

void TMJ::ScanFrame(const QImage &picture)
{
    prepareWorkBitmap();
    if (picture.isNull() || m_columns < 1 || m_rows < 1)
        return;
    resizeTables();
    m_matrix.assign(cellCount(), TScanCell{});
    drawPicture(picture);
    const bool edges = m_showItem.testFlag(shiEdges);
    if (edges)
        MotionRaster::makeEdgeMap(m_workBitmap, m_edgeBitmap, m_edgeSensitivity);
    MotionRaster::accumulateCells(m_workBitmap, m_rows, m_columns, m_matrix);
    TMotionItems &current = m_phase ? m_itemsB : m_itemsA;
    TMotionItems &previous = m_phase ? m_itemsA : m_itemsB;
    // The means are taken; from here on the view shows the edge map instead of the picture.
    if (edges)
        std::swap(m_workBitmap, m_edgeBitmap);
    const bool motion = compareCells(current, previous);
    if (m_showItem.testFlag(shiGrid))
        MotionRaster::drawGrid(m_workBitmap, m_rows, m_columns);
    m_phase = !m_phase;
    if (m_repaint)
        m_repaint();
    raiseEvent(motion);
}

void TMJ::prepareWorkBitmap()
{
    MotionRaster::resizeKeeping(m_workBitmap, m_width, m_height);
}

void TMJ::drawPicture(const QImage &picture)
{
    const bool direct =
        picture.format() == QImage::Format_BGR888 || picture.format() == QImage::Format_RGB888;
    // A shallow copy: should the caller hand in WorkBitmap itself, drawing detaches it first.
    const QImage source = direct ? picture : picture.convertToFormat(QImage::Format_BGR888);
    if (m_windowScale == wscStretched)
        MotionRaster::drawStretched(source, m_workBitmap);
    else
        MotionRaster::drawUnscaled(source, m_workBitmap);
}

bool TMJ::compareCells(TMotionItems &current, TMotionItems &previous)
{
    const int cellWidth = m_columns > 0 ? DetectorMath::scaledTrunc(m_width, m_columns, 1) : 0;
    const int cellHeight = m_rows > 0 ? DetectorMath::scaledTrunc(m_height, m_rows, 1) : 0;
    const bool showMarked = m_showItem.testFlag(shiDetectedCell);
    const std::vector<std::uint8_t> &ignored = IgnoredCells();
    const bool masked = !ignored.empty();
    std::size_t moved = 0;
    for (int r = 0; r < m_rows; ++r) {
        for (int c = 0; c < m_columns; ++c) {
            const std::size_t i = static_cast<std::size_t>(r) * m_columns + c;
            if (compareCell(i, current[i], previous[i], masked && ignored[i] != 0))
                ++moved;
            if (previous[i].Hold > 0 && showMarked)
                markCell(r, c, cellWidth, cellHeight);
        }
    }
    m_lightChangeIgnored = false;
    if (moved > 0 && m_lightChangePercent > 0) {
        const std::size_t watched =
            cellCount() - static_cast<std::size_t>(std::count(ignored.begin(), ignored.end(), 1));
        m_lightChangeIgnored =
            moved * 100 > watched * static_cast<std::size_t>(m_lightChangePercent);
    }
    return moved > 0 && !m_lightChangeIgnored;
}

// Takes the cell's new means, updates its hold and tells whether it moved in this picture; an
// ignored cell never moves.
bool TMJ::compareCell(std::size_t i, TMotionItem &cur, TMotionItem &prev, bool ignored)
{
    TScanCell &cell = m_matrix[i];
    if (cell.PixelCount > 0) {
        const auto count = static_cast<std::uint64_t>(cell.PixelCount);
        const double reciprocal = 1.0 / cell.PixelCount;
        cur.Red = roundedMean(cell.SumRed, count, reciprocal);
        cur.Green = roundedMean(cell.SumGreen, count, reciprocal);
        cur.Blue = roundedMean(cell.SumBlue, count, reciprocal);
    }
    cell = TScanCell{};
    const int measure = changeMeasure(cur, prev);
    --prev.Hold;
    --cur.Hold;
    const int sensitivity = m_globalScan ? m_globalSensitivity : prev.Sensitivity;
    // An ignored cell keeps its means, so that it compares rightly once it is watched again.
    const bool moved = !ignored && reachesThreshold(measure, sensitivity);
    if (moved)
        prev.Hold = cur.Hold = m_falloff;
    if (prev.Hold < 0)
        prev.Hold = cur.Hold = 0;
    return moved;
}

// The colour distance when greyscale scanning is chosen, the brightness difference otherwise.
int TMJ::changeMeasure(const TMotionItem &cur, const TMotionItem &prev) const
{
    if (!m_scanType.testFlag(sctGrayscale))
        return brightnessMeasures[std::abs(brightness(prev) - brightness(cur))];
    const int dr = m_scanType.testFlag(sctRed) ? cur.Red - prev.Red : 0;
    const int dg = m_scanType.testFlag(sctGreen) ? cur.Green - prev.Green : 0;
    const int db = m_scanType.testFlag(sctBlue) ? cur.Blue - prev.Blue : 0;
    return roundedSqrt(dr * dr + dg * dg + db * db);
}

// measure >= T = 450 - 430 x log10(S + 1); for an integer measure that is measure >= ceil(T).
// Where S + 1 <= 0 the logarithm has no value and the cell never moves.
bool TMJ::reachesThreshold(int measure, int sensitivity)
{
    if (!m_thresholdValid || m_thresholdSensitivity != sensitivity) {
        // The measures lie in 0..442, so the bound's limits -1..1000 change no decision.
        m_minimumMeasure = DetectorMath::minimumMeasure(sensitivity);
        m_thresholdSensitivity = sensitivity;
        m_thresholdValid = true;
    }
    return measure >= m_minimumMeasure;
}

void TMJ::markCell(int row, int column, int cellWidth, int cellHeight)
{
    const int y0 = DetectorMath::scaledTrunc(m_height, m_rows, row);
    const int x0 = DetectorMath::scaledTrunc(m_width, m_columns, column);
    MotionRaster::brightenRect(m_workBitmap, x0, y0, x0 + cellWidth, y0 + cellHeight,
                               m_showItem.testFlag(shiEdges));
}

void TMJ::raiseEvent(bool motion)
{
    // A copy, so that a handler may replace itself while it runs.
    const TNotifyEvent handler = motion ? m_onMotion : m_onNotMotion;
    if (handler)
        handler(*this);
}
