#pragma once
// Grid motion detector: compares the mean colour of every grid cell of a picture with the same
// cell of the picture before, and keeps a diagnostic view of the last picture it analysed.

#include "motion/motionmask.h"

#include <QFlags>
#include <QImage>
#include <QString>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <vector>

class QPainter;

enum TScanType : std::uint8_t
{
    sctRed = 0x1,
    sctGreen = 0x2,
    sctBlue = 0x4,
    sctGrayscale = 0x8
};
Q_DECLARE_FLAGS(TScanTypes, TScanType)
Q_DECLARE_OPERATORS_FOR_FLAGS(TScanTypes)

enum TShowItem : std::uint8_t
{
    shiGrid = 0x1,
    shiEdges = 0x2,
    shiDetectedCell = 0x4
};
Q_DECLARE_FLAGS(TShowItems, TShowItem)
Q_DECLARE_OPERATORS_FOR_FLAGS(TShowItems)

enum TWindowScale
{
    wscStretched,
    wscNormal
};

/// What the engine remembers of one cell between scans.
struct TMotionItem
{
    std::uint8_t Blue = 0;
    std::uint8_t Green = 0;
    std::uint8_t Red = 0;
    std::int32_t Sensitivity = 0; // used when GlobalScan is off
    std::int32_t Hold = 0;        // further scans during which the cell stays marked

    bool operator==(const TMotionItem &) const = default;
};
using TMotionItems = std::vector<TMotionItem>;

/// The pixel sums of one cell during a scan. 64-bit, so that a cell of more than 16 million
/// pixels cannot wrap round and produce a wrong mean.
struct TScanCell
{
    std::uint64_t SumRed = 0;
    std::uint64_t SumGreen = 0;
    std::uint64_t SumBlue = 0;
    std::int32_t PixelCount = 0;
};
using TScanMatrix = std::vector<TScanCell>;

class TMJ
{
public:
    using TNotifyEvent = std::function<void(TMJ &sender)>;

    TMJ();
    TMJ(const TMJ &) = delete;
    TMJ &operator=(const TMJ &) = delete;

    QString About() const;
    void SetAbout(const QString &) {} // the text is fixed
    int Columns() const { return m_columns; }
    void SetColumns(int columns);
    int Rows() const { return m_rows; }
    void SetRows(int rows);
    int Falloff() const { return m_falloff; }
    /// Keeps the old value unless falloff >= 1.
    void SetFalloff(int falloff);
    TScanTypes ScanType() const { return m_scanType; }
    void SetScanType(TScanTypes scanType) { m_scanType = scanType; }
    TShowItems ShowItem() const { return m_showItem; }
    void SetShowItem(TShowItems showItem) { m_showItem = showItem; }
    int GlobalSensitivity() const { return m_globalSensitivity; }
    void SetGlobalSensitivity(int sensitivity) { m_globalSensitivity = sensitivity; }
    int EdgeSensitivity() const { return m_edgeSensitivity; }
    void SetEdgeSensitivity(int sensitivity) { m_edgeSensitivity = sensitivity; }
    bool GlobalScan() const { return m_globalScan; }
    void SetGlobalScan(bool globalScan) { m_globalScan = globalScan; }
    const TNotifyEvent &OnMotion() const { return m_onMotion; }
    void SetOnMotion(TNotifyEvent handler) { m_onMotion = std::move(handler); }
    const TNotifyEvent &OnNotMotion() const { return m_onNotMotion; }
    void SetOnNotMotion(TNotifyEvent handler) { m_onNotMotion = std::move(handler); }
    TWindowScale WindowScale() const { return m_windowScale; }
    void SetWindowScale(TWindowScale scale) { m_windowScale = scale; }

    /// Cells to ignore: they never count as moved, whatever the grid. Empty: none.
    void SetMask(const MotionMask &mask);
    const MotionMask &Mask() const { return m_mask; }
    /// Light changes: a picture in which more than percent % of the cells not ignored moved at
    /// once is no motion (OnNotMotion); the next picture is compared with it. 0: off.
    void SetLightChangePercent(int percent) { m_lightChangePercent = std::max(percent, 0); }
    int LightChangePercent() const { return m_lightChangePercent; }
    /// Whether the last analysed picture was such a light change.
    bool LightChangeIgnored() const { return m_lightChangeIgnored; }
    /// The ignored flags of the current grid's cells, row-major; empty without a mask.
    const std::vector<std::uint8_t> &IgnoredCells();

    /// The control size W x H: the size of the working picture. Negative values count as 0.
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    void SetSize(int width, int height);

    /// Analyses one picture, renews the diagnostic view and raises exactly one of OnMotion and
    /// OnNotMotion. A null picture (or a grid without cells) only resizes the view: no event.
    /// Format_BGR888 and Format_RGB888 are read directly, other formats are converted first.
    /// wscStretched scales by nearest neighbour onto exactly Width() x Height() pixels.
    void ScanFrame(const QImage &picture);
    /// Sensitivity of the cell, or -1 outside the grid.
    int GetCellSensitivity(int row, int column) const;
    /// Draws the diagnostic view at (0, 0).
    void Paint(QPainter &painter) const;
    /// Called after every analysed picture, before the event, so that a view can repaint at once.
    void SetRepaintHandler(std::function<void()> handler) { m_repaint = std::move(handler); }

    // Read-only state, for the view and for diagnosis.
    const QImage &WorkBitmap() const { return m_workBitmap; }
    bool Phase() const { return m_phase; }
    const TMotionItems &ItemsA() const { return m_itemsA; }
    const TMotionItems &ItemsB() const { return m_itemsB; }

private:
    std::size_t cellCount() const;
    void resizeTables();
    void prepareWorkBitmap();
    void drawPicture(const QImage &picture);
    bool compareCells(TMotionItems &current, TMotionItems &previous);
    bool compareCell(std::size_t i, TMotionItem &cur, TMotionItem &prev, bool ignored);
    int changeMeasure(const TMotionItem &cur, const TMotionItem &prev) const;
    bool reachesThreshold(int measure, int sensitivity);
    void markCell(int row, int column, int cellWidth, int cellHeight);
    void raiseEvent(bool motion);

    int m_columns = 0;
    int m_rows = 0;
    int m_falloff = 1;
    TScanTypes m_scanType = TScanTypes(sctRed | sctGreen | sctBlue);
    TShowItems m_showItem = TShowItems(shiGrid | shiEdges | shiDetectedCell);
    int m_globalSensitivity = 5;
    int m_edgeSensitivity = 10;
    bool m_globalScan = true;
    TNotifyEvent m_onMotion;
    TNotifyEvent m_onNotMotion;
    TWindowScale m_windowScale = wscStretched;
    int m_width = 320;
    int m_height = 240;

    QImage m_workBitmap;
    QImage m_edgeBitmap;
    TMotionItems m_itemsA;
    TMotionItems m_itemsB;
    bool m_phase = false;
    TScanMatrix m_matrix;
    std::function<void()> m_repaint;

    MotionMask m_mask;
    std::vector<std::uint8_t> m_ignored; // m_mask on the grid m_ignoredRows x m_ignoredColumns
    int m_ignoredRows = 0;
    int m_ignoredColumns = 0;
    int m_lightChangePercent = 0;
    bool m_lightChangeIgnored = false;

    // The threshold of the last sensitivity asked for: the sensitivity rarely changes per cell.
    int m_thresholdSensitivity = 0;
    int m_minimumMeasure = 0;
    bool m_thresholdValid = false;
};
