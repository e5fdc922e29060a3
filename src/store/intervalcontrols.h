#pragma once
// The "Timer " group's interval arrows and "Fine" buttons, which set the capture timer's
// period, and the "Harddisk" group's shared box with the Max and step arrows.

#include <QObject>

class IntervalModel;
class Sound;
class StoreView;
struct ApplicationState;

class IntervalControls : public QObject
{
    Q_OBJECT
public:
    /// The boxes show the interval whenever the model changes, whoever changed it.
    IntervalControls(StoreView &view, ApplicationState &state, Sound &click,
                     IntervalModel &interval);

    double intervalSeconds() const;
    int requestedIntervalMs() const;
    bool stepMode() const { return m_stepMode; }

    /// The interval arrows moved to position (whole seconds).
    void intervalArrowMoved(int position);
    void finePlus();
    void fineMinus();
    /// The "Step" button: switches the shared box between the maximum and the step size.
    void toggleStepMode();
    /// The Max arrows: afterMove is false for the report before a press moves them.
    void maxArrowsMoved(int position, bool afterMove);
    void stepArrowsMoved(int position, bool afterMove);
    /// After a picture or page print: the maximum follows the Max arrows again, and the box
    /// shows it.
    void reapplyMaxFrames();

    /// The maximum and the step as the user set them, in pictures.
    int maxFrames() const;
    int framesStep() const;
    /// Sets both as the arrows would (in tens of pictures, within the arrows' range), without
    /// a click; the motion batch follows as after a press.
    void restoreMaxAndStep(int maxFrames, int framesStep);

signals:
    /// The Max arrows were pressed: a motion batch is measured again from the current picture.
    void maxFramesChanged();
    /// The step size changed: motion batches move by frames per arrow press.
    void framesStepChanged(int frames);

private:
    void showInterval(double seconds);
    void fine(double seconds);
    QString stepCaption() const;

    StoreView &m_view;
    ApplicationState &m_state;
    Sound &m_click;
    IntervalModel &m_interval;
    bool m_stepMode = false;
};
