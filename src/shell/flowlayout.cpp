#include "shell/flowlayout.h"

#include <QStyle>
#include <QWidget>

#include <algorithm>

FlowLayout::FlowLayout(int maxRowsAtMinimum, QWidget *parent)
    : QLayout(parent), m_maxRowsAtMinimum(std::max(1, maxRowsAtMinimum))
{}

FlowLayout::~FlowLayout()
{
    while (QLayoutItem *item = takeAt(0))
        delete item;
}

void FlowLayout::addItem(QLayoutItem *item)
{
    m_items << item;
    invalidate();
}

QLayoutItem *FlowLayout::itemAt(int index) const
{
    return index >= 0 && index < m_items.size() ? m_items.at(index) : nullptr;
}

QLayoutItem *FlowLayout::takeAt(int index)
{
    if (index < 0 || index >= m_items.size())
        return nullptr;
    invalidate();
    return m_items.takeAt(index);
}

QList<QLayoutItem *> FlowLayout::shownItems() const
{
    QList<QLayoutItem *> shown;
    for (QLayoutItem *item : m_items) {
        if (!item->isEmpty())
            shown << item;
    }
    return shown;
}

QList<FlowLayout::Row> FlowLayout::rowsFor(int contentsWidth) const
{
    const QList<QLayoutItem *> items = shownItems();
    const auto n = items.size();
    for (qsizetype rows = 1; rows <= n; ++rows) {
        const qsizetype perRow = (n + rows - 1) / rows;
        QList<Row> result;
        for (qsizetype first = 0; first < n; first += perRow)
            result << items.mid(first, perRow);
        const bool fits = std::all_of(result.begin(), result.end(), [&](const Row &row) {
            return rowWidth(row) <= contentsWidth;
        });
        if (fits || perRow == 1)
            return result;
    }
    return {};
}

int FlowLayout::rowWidth(const Row &row) const
{
    int width = horizontalGap() * static_cast<int>(std::max<qsizetype>(0, row.size() - 1));
    for (const QLayoutItem *item : row)
        width += item->sizeHint().width();
    return width;
}

int FlowLayout::rowHeight(const Row &row) const
{
    int height = 0;
    for (const QLayoutItem *item : row)
        height = std::max(height, item->sizeHint().height());
    return height;
}

int FlowLayout::arrange(const QRect &rect, bool apply) const
{
    const QMargins margins = contentsMargins();
    const QRect contents = rect.marginsRemoved(margins);
    int y = contents.top();
    bool first = true;
    for (const Row &row : rowsFor(contents.width())) {
        if (!first)
            y += verticalGap();
        first = false;
        const int height = rowHeight(row);
        if (apply) {
            // The width left over goes to the items in proportion to their own width.
            const int natural = rowWidth(row);
            const int extra = std::max(0, contents.width() - natural);
            const int itemsWidth = natural - horizontalGap() * static_cast<int>(row.size() - 1);
            int x = contents.left();
            int given = 0;
            for (qsizetype i = 0; i < row.size(); ++i) {
                const int hint = row[i]->sizeHint().width();
                int share = itemsWidth > 0 ? extra * hint / itemsWidth : 0;
                if (i == row.size() - 1)
                    share = extra - given;
                given += share;
                row[i]->setGeometry(QRect(x, y, hint + share, height));
                x += hint + share + horizontalGap();
            }
        }
        y += height;
    }
    return y - contents.top() + margins.top() + margins.bottom();
}

int FlowLayout::heightForWidth(int width) const
{
    return arrange(QRect(0, 0, width, 0), false);
}

QSize FlowLayout::sizeHint() const
{
    const Row all = shownItems();
    const QMargins m = contentsMargins();
    return QSize(rowWidth(all) + m.left() + m.right(), rowHeight(all) + m.top() + m.bottom());
}

QSize FlowLayout::minimumSize() const
{
    const QList<QLayoutItem *> items = shownItems();
    const qsizetype perRow =
        std::max<qsizetype>(1, (items.size() + m_maxRowsAtMinimum - 1) / m_maxRowsAtMinimum);
    int width = 0;
    for (qsizetype first = 0; first < items.size(); first += perRow)
        width = std::max(width, rowWidth(items.mid(first, perRow)));
    const QMargins m = contentsMargins();
    width += m.left() + m.right();
    return QSize(width, heightForWidth(width));
}

void FlowLayout::setGeometry(const QRect &rect)
{
    QLayout::setGeometry(rect);
    arrange(rect, true);
}

int FlowLayout::horizontalGap() const
{
    if (spacing() >= 0)
        return spacing();
    const QWidget *owner = parentWidget();
    return owner ? std::max(0, owner->style()->pixelMetric(QStyle::PM_LayoutHorizontalSpacing)) : 0;
}

int FlowLayout::verticalGap() const
{
    if (spacing() >= 0)
        return spacing();
    const QWidget *owner = parentWidget();
    return owner ? std::max(0, owner->style()->pixelMetric(QStyle::PM_LayoutVerticalSpacing)) : 0;
}
