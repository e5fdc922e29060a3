#include "motion/maskview.h"

#include <QMouseEvent>
#include <QPainter>

namespace {
// Left edge of column c of columns over length pixels.
int edge(int c, int columns, int length)
{
    return static_cast<int>(static_cast<qint64>(c) * length / columns);
}
} // namespace

MaskView::MaskView(QWidget *parent) : QWidget(parent), m_cells(m_mask.cells(m_rows, m_columns))
{
    setObjectName(QStringLiteral("maskView"));
    setAccessibleName(QStringLiteral("Cells to ignore"));
    setMinimumSize(MotionMask::Width / 2, MotionMask::Height / 2);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setCursor(Qt::CrossCursor);
}

QSize MaskView::sizeHint() const
{
    return {MotionMask::Width, MotionMask::Height};
}

void MaskView::setPicture(const QImage &picture)
{
    m_picture = picture;
    update();
}

void MaskView::setMask(const MotionMask &mask, int rows, int columns)
{
    m_mask = mask;
    m_rows = std::max(rows, 1);
    m_columns = std::max(columns, 1);
    m_cells = m_mask.cells(m_rows, m_columns);
    update();
}

QPoint MaskView::cellAt(QPoint pos) const
{
    if (!rect().contains(pos))
        return {-1, -1};
    return {static_cast<int>(static_cast<qint64>(pos.x()) * m_columns / width()),
            static_cast<int>(static_cast<qint64>(pos.y()) * m_rows / height())};
}

void MaskView::paintIgnored(QPainter &painter, const QRect &area,
                            const std::vector<std::uint8_t> &cells, int rows, int columns)
{
    if (cells.size() != static_cast<std::size_t>(rows) * static_cast<std::size_t>(columns))
        return;
    const QBrush shade(QColor(0, 0, 0, 180));
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            if (cells[static_cast<std::size_t>(r) * columns + c] == 0)
                continue;
            const int x0 = area.left() + edge(c, columns, area.width());
            const int y0 = area.top() + edge(r, rows, area.height());
            const int x1 = area.left() + edge(c + 1, columns, area.width());
            const int y1 = area.top() + edge(r + 1, rows, area.height());
            painter.fillRect(QRect(x0, y0, x1 - x0, y1 - y0), shade);
        }
    }
}

void MaskView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (m_picture.isNull())
        painter.fillRect(rect(), Qt::black);
    else
        painter.drawImage(rect(), m_picture);
    paintIgnored(painter, rect(), m_cells, m_rows, m_columns);
    painter.setPen(QColor(128, 128, 128));
    for (int c = 1; c < m_columns; ++c)
        painter.drawLine(edge(c, m_columns, width()), 0, edge(c, m_columns, width()), height());
    for (int r = 1; r < m_rows; ++r)
        painter.drawLine(0, edge(r, m_rows, height()), width(), edge(r, m_rows, height()));
}

void MaskView::mousePressEvent(QMouseEvent *event)
{
    const QPoint cell = cellAt(event->position().toPoint());
    if (cell.x() < 0)
        return;
    m_ignoring = m_cells[static_cast<std::size_t>(cell.y()) * m_columns + cell.x()] == 0;
    paintCell(cell);
}

void MaskView::mouseMoveEvent(QMouseEvent *event)
{
    if (event->buttons() != Qt::NoButton)
        paintCell(cellAt(event->position().toPoint()));
}

void MaskView::paintCell(QPoint cell)
{
    if (cell.x() < 0)
        return;
    std::uint8_t &flag = m_cells[static_cast<std::size_t>(cell.y()) * m_columns + cell.x()];
    if (flag == (m_ignoring ? 1 : 0))
        return;
    flag = m_ignoring ? 1 : 0;
    m_mask.setCell(m_rows, m_columns, cell.y(), cell.x(), m_ignoring);
    update();
    emit maskChanged();
}
