#pragma once
// A pair of arrow buttons holding a position within a range, moved by an increment per press.
// Each press first reports the old position (changing), then moves and reports the new one
// (clicked); positions set from code report nothing.

#include <QWidget>

class QToolButton;

class UpDownControl : public QWidget
{
    Q_OBJECT
public:
    enum class Direction
    {
        Up,
        Down
    };

    UpDownControl(int minimum, int maximum, int increment, int position, QWidget *parent);

    int position() const { return m_position; }
    void setPosition(int position);
    int minimum() const { return m_minimum; }
    int maximum() const { return m_maximum; }
    void setMaximum(int maximum);
    int increment() const { return m_increment; }
    void setIncrement(int increment) { m_increment = increment; }

    /// What a press in direction does: the new position, clamped to the range.
    int stepped(Direction direction) const;
    /// A press, as by the user.
    void press(Direction direction);

signals:
    void changing(int oldPosition, UpDownControl::Direction direction);
    void clicked(int newPosition, UpDownControl::Direction direction);

private:
    int m_minimum;
    int m_maximum;
    int m_increment;
    int m_position;
    QToolButton *m_up;
    QToolButton *m_down;
};
