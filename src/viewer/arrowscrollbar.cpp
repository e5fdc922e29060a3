#include "viewer/arrowscrollbar.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QStyleOptionSlider>

#include <utility>

ArrowScrollBar::ArrowScrollBar(int minimum, int maximum, int value, QWidget *parent)
    : QScrollBar(Qt::Horizontal, parent)
{
    setRange(minimum, maximum);
    setValue(value);
    setFocusPolicy(Qt::StrongFocus);
    // A scroll bar's keys run the other way by default: here Right and Up step forward.
    setInvertedControls(false);
    // The step is applied at once, so that the position change runs before the notice.
    connect(this, &QAbstractSlider::actionTriggered, this, [this](int action) {
        if (action == SliderNoAction)
            return;
        setValue(sliderPosition());
        emit scrolled();
    });
}

void ArrowScrollBar::stopArrows()
{
    if (!m_pressed)
        return;
    m_pressed = false;
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(), QPointF(), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(this, &release);
}

QRect ArrowScrollBar::grooveRect() const
{
    QStyleOptionSlider option;
    initStyleOption(&option);
    return style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarGroove, this);
}

int ArrowScrollBar::arrowsWidth() const
{
    QStyleOptionSlider option;
    initStyleOption(&option);
    option.rect = QRect(0, 0, 1000, sizeHint().height());
    const QRect groove =
        style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarGroove, this);
    return option.rect.width() - groove.width();
}

void ArrowScrollBar::mousePressEvent(QMouseEvent *event)
{
    m_pressed = true;
    QScrollBar::mousePressEvent(event);
}

void ArrowScrollBar::mouseReleaseEvent(QMouseEvent *event)
{
    const bool ended = m_pressed && !(event->buttons() & Qt::LeftButton);
    QScrollBar::mouseReleaseEvent(event);
    if (ended) {
        m_pressed = false;
        emit scrolled();
    }
}

void ArrowScrollBar::sliderChange(SliderChange change)
{
    // The handle moves under the cover; repainting the whole bar for it would cost a step
    // through the pictures as much as the rest of the window.
    const int previous = std::exchange(m_paintedValue, value());
    if (!m_grooveCovered || change != SliderValueChange) {
        QScrollBar::sliderChange(change);
        return;
    }
    if (!atEnd(previous) && !atEnd(value()))
        return;
    QStyleOptionSlider option;
    initStyleOption(&option);
    for (const QStyle::SubControl arrow :
         {QStyle::SC_ScrollBarSubLine, QStyle::SC_ScrollBarAddLine})
        update(style()->subControlRect(QStyle::CC_ScrollBar, &option, arrow, this));
}
