#pragma once
// The "M.I." square on the control panel: green for a picture without motion, red when a motion
// started a capture. A disabled silver check box lies over it and hides it while motion
// detection is not armed. Its state is also its accessible description, for screen readers
// and for checks that do not look at pixels.

#include "shell/motionhost.h"

#include <QWidget>

class QCheckBox;

class MotionIndicator : public QWidget
{
    Q_OBJECT
public:
    using State = MotionHost::Indicator;

    explicit MotionIndicator(QWidget *parent = nullptr);

    void setState(State state);
    State state() const { return m_state; }
    /// Shows or hides the silver box that covers the square.
    void setBoxShown(bool shown);
    void setBoxChecked(bool checked);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void describe();

    QCheckBox *m_box;
    State m_state = State::Idle;
};
