#pragma once
// The parts of the picture the motion detector ignores: an area over the detector's working
// picture, kept apart from any grid, so that a finer or coarser grid ignores the same place.

#include "shell/result.h"

#include <QImage>
#include <QString>

#include <cstdint>
#include <vector>

class MotionMask
{
public:
    /// The area's resolution: the detector's working picture, so that a cell painted on one grid
    /// maps back onto exactly that cell.
    static constexpr int Width = 320;
    static constexpr int Height = 240;

    /// Nothing is ignored.
    MotionMask();

    /// A black-and-white picture of any size, stretched over the whole area: dark pixels (grey
    /// below 128) are ignored.
    static MotionMask fromImage(const QImage &picture);
    /// The picture file at path (PGM, PNG or any format Qt reads); fails with a message that
    /// names the file and why it cannot be used.
    static Result<MotionMask> load(const QString &path);

    /// Whether nothing is ignored.
    bool isEmpty() const { return m_ignoredPixels == 0; }
    /// Ignores, or no longer ignores, the whole area of a cell of a rows x columns grid. Cells
    /// outside the grid change nothing.
    void setCell(int rows, int columns, int row, int column, bool ignored);
    /// One flag per cell of a rows x columns grid, row-major: 1 where more than half of the
    /// cell's area is ignored. Empty for a grid without cells.
    std::vector<std::uint8_t> cells(int rows, int columns) const;
    /// The area as a picture, black where ignored and white elsewhere.
    QImage image() const;

    bool operator==(const MotionMask &other) const { return m_area == other.m_area; }

private:
    std::vector<std::uint8_t> m_area; // Width x Height, 1 where ignored
    int m_ignoredPixels = 0;
};
