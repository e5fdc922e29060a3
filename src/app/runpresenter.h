#pragma once
// What the main window shows of the capture run: the boxes, the "Start" caption, the status
// note, the "M.I." indicator and the "Tv-video" boxes that a run switches. It turns the
// core's signals into the view's texts; the program without a display has its console instead.

#include <QObject>

class CaptureCore;
class MotionHost;
class StoreView;

class RunPresenter : public QObject
{
    Q_OBJECT
public:
    RunPresenter(CaptureCore &core, StoreView &view, MotionHost &motionView);

private:
    void runStarted();
    void runStopped();

    CaptureCore &m_core;
    StoreView &m_view;
};
