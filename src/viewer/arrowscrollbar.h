#pragma once
// A horizontal scroll bar that tells each user step once its new position is in place
// (scrolled), and once more when a press on it ends. A message box opened while an arrow is
// held takes the mouse release, so the owner stops the arrows first (stopArrows): otherwise
// the arrow would go on repeating behind the box.

#include <QScrollBar>

class ArrowScrollBar : public QScrollBar
{
    Q_OBJECT
public:
    ArrowScrollBar(int minimum, int maximum, int value, QWidget *parent);

    /// Ends a held arrow or a drag as a release would, without the end-of-scroll notice.
    void stopArrows();
    /// Where the bar between the two arrows lies, in the bar's own coordinates.
    QRect grooveRect() const;
    /// How much wider the whole bar is than its groove: the two arrows.
    int arrowsWidth() const;
    /// With something opaque laid over the groove, a new value repaints only what shows: the
    /// arrows, and those only where a style may draw them differently, at either end.
    void setGrooveCovered(bool covered) { m_grooveCovered = covered; }

signals:
    /// The user moved the bar one step (its value is already the new one), or let it go.
    void scrolled();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void sliderChange(SliderChange change) override;

private:
    bool atEnd(int value) const { return value == minimum() || value == maximum(); }

    bool m_pressed = false;
    bool m_grooveCovered = false;
    int m_paintedValue = 0;
};
