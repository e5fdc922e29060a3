#include "shell/flowlayout.h"

#include <QStyle>
#include <QWidget>

#include <algorithm>
#include <numeric>
#include <utility>

FlowLayout::FlowLayout(int maxRowsAtMinimum, QWidget *parent)
    : QLayout(parent), m_maxRowsAtMinimum(std::max(1, maxRowsAtMinimum))
{}

FlowLayout::~FlowLayout()
{
    while (QLayoutItem *item = takeAt(0))
        delete item;
}

void FlowLayout::setLeastWidths(QList<int> widths)
{
    m_leastWidths = std::move(widths);
    invalidate();
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

int FlowLayout::itemWidth(const QLayoutItem *item, bool leastWidths) const
{
    const int hint = item->sizeHint().width();
    if (!leastWidths)
        return hint;
    return std::max(hint, m_leastWidths.value(m_items.indexOf(item)));
}

int FlowLayout::leastRowWidth(const Row &row) const
{
    int width = horizontalGap() * static_cast<int>(std::max<qsizetype>(0, row.size() - 1));
    for (const QLayoutItem *item : row)
        width += itemWidth(item, true);
    return width;
}

int FlowLayout::rowHeight(const Row &row) const
{
    int height = 0;
    for (const QLayoutItem *item : row)
        height = std::max(height, item->sizeHint().height());
    return height;
}

QList<int> FlowLayout::widthsIn(const Row &row, int width) const
{
    QList<int> widths;
    for (const QLayoutItem *item : row)
        widths << item->sizeHint().width();
    int extra = std::max(0, width - rowWidth(row));
    // In one row, the width left over first brings the items up to their least widths, in
    // proportion to what each lacks...
    if (m_leastWidths.size() > 0 && width >= rowWidth(row) && row.size() == shownItems().size()) {
        QList<int> lacking;
        int lackingSum = 0;
        for (qsizetype i = 0; i < row.size(); ++i) {
            lacking << std::max(0, itemWidth(row[i], true) - widths[i]);
            lackingSum += lacking.last();
        }
        const int filled = std::min(extra, lackingSum);
        int given = 0;
        for (qsizetype i = 0; i < row.size() && lackingSum > 0; ++i) {
            const int share = i == row.size() - 1 ? filled - given
                                                  : int(qint64(filled) * lacking[i] / lackingSum);
            widths[i] += share;
            given += share;
        }
        extra -= filled;
    }
    // ... and the rest goes to the items in proportion to their width.
    const int itemsWidth = std::accumulate(widths.begin(), widths.end(), 0);
    const int spread = extra;
    for (qsizetype i = 0; i < row.size(); ++i) {
        int share = itemsWidth > 0 ? int(qint64(spread) * widths[i] / itemsWidth) : 0;
        if (i == row.size() - 1)
            share = extra;
        extra -= share;
        widths[i] += share;
    }
    return widths;
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
            const QList<int> widths = widthsIn(row, contents.width());
            int x = contents.left();
            for (qsizetype i = 0; i < row.size(); ++i) {
                row[i]->setGeometry(QRect(x, y, widths[i], height));
                x += widths[i] + horizontalGap();
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
    return QSize(leastRowWidth(all) + m.left() + m.right(), rowHeight(all) + m.top() + m.bottom());
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
