#pragma once
// The motion detector's picture with its grid, on which the user paints the cells to ignore
// with the mouse: a press on a cell ignores it or watches it again, and a drag does the same
// to every cell it passes. Ignored cells are drawn shaded.

#include "motion/motionmask.h"

#include <QImage>
#include <QWidget>

class MaskView : public QWidget
{
    Q_OBJECT
public:
    explicit MaskView(QWidget *parent = nullptr);

    /// The picture shown under the grid; a null picture shows black.
    void setPicture(const QImage &picture);
    /// The grid the cells are painted on, and the mask painted so far.
    void setMask(const MotionMask &mask, int rows, int columns);
    const MotionMask &mask() const { return m_mask; }
    /// The cell under pos, or (-1, -1) outside the view: (column, row).
    QPoint cellAt(QPoint pos) const;

    /// Shades the ignored cells (flags of a rows x columns grid, row-major) over area.
    static void paintIgnored(QPainter &painter, const QRect &area,
                             const std::vector<std::uint8_t> &cells, int rows, int columns);

    QSize sizeHint() const override;

signals:
    /// The user changed a cell.
    void maskChanged();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    void paintCell(QPoint cell);

    QImage m_picture;
    MotionMask m_mask;
    int m_rows = 1;
    int m_columns = 1;
    std::vector<std::uint8_t> m_cells; // m_mask on the grid, as painted
    bool m_ignoring = true;            // what a drag does: ignore cells, or watch them again
};
