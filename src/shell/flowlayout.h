#pragma once
// Lays its items out in rows that wrap when the width runs short, as few rows as will do and the
// items shared evenly among them. Each row is stretched to the full width, so a wide window
// leaves no gap at the end; a narrow one gets more rows instead of cut or hidden items.

#include <QLayout>
#include <QList>

class FlowLayout : public QLayout
{
public:
    /// The layout's minimum width is the one at which the items still fit in maxRowsAtMinimum
    /// rows, so that a window never grows taller than that when made as narrow as it allows.
    explicit FlowLayout(int maxRowsAtMinimum, QWidget *parent = nullptr);
    ~FlowLayout() override;

    /// Widths that the items, in the order added, get at least while all of them fit in one row
    /// so: the stated sizes of a wide window. A narrower one falls back to the items' own.
    void setLeastWidths(QList<int> widths);

    void addItem(QLayoutItem *item) override;
    int count() const override { return static_cast<int>(m_items.size()); }
    QLayoutItem *itemAt(int index) const override;
    QLayoutItem *takeAt(int index) override;

    Qt::Orientations expandingDirections() const override { return Qt::Horizontal; }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    /// One row, at the least widths where those are wider.
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    void setGeometry(const QRect &rect) override;

private:
    using Row = QList<QLayoutItem *>;

    QList<QLayoutItem *> shownItems() const;
    /// The rows at contentsWidth: the fewest rows of equal item count in which every row fits.
    QList<Row> rowsFor(int contentsWidth) const;
    int rowWidth(const Row &row) const;
    /// An item's width in a row of its own hint, or its least width when leastWidths holds.
    int itemWidth(const QLayoutItem *item, bool leastWidths) const;
    int leastRowWidth(const Row &row) const;
    /// The items' widths in a row of the given width, which they fill.
    QList<int> widthsIn(const Row &row, int width) const;
    int rowHeight(const Row &row) const;
    /// Height of the rows, contents margins included; places them inside rect when apply is set.
    int arrange(const QRect &rect, bool apply) const;
    int horizontalGap() const;
    int verticalGap() const;

    QList<QLayoutItem *> m_items;
    QList<int> m_leastWidths;
    int m_maxRowsAtMinimum;
};
