#pragma once
// The "Timer " group's interval arrows and "Fine" buttons, which set the capture timer's
// period, and the "Harddisk" group's shared box with the Max and step arrows.

#include <QObject>

class CaptureRunHooks;
class MainWindow;
struct CaptureSettings;

class IntervalControls : public QObject
{
    Q_OBJECT
public:
    IntervalControls(MainWindow &mainWindow, const CaptureSettings &settings);

    void setHooks(CaptureRunHooks *hooks);

    /// Sets the capture timer's period from the requested interval and the picture size.
    void AdjustTimerPeriod();

    double intervalSeconds() const { return m_intervalSeconds; }
    int requestedIntervalMs() const { return m_requestedMs; }
    bool stepMode() const { return m_stepMode; }

    void finePlus();
    void fineMinus();
    /// The "Step" button: switches the shared box between the maximum and the step size.
    void toggleStepMode();

private:
    void intervalArrowMoved(int position);
    void showInterval();
    void setPeriod(int milliseconds);
    void fine(double seconds);
    void maxArrowsMoved(int position, bool afterMove);
    void stepArrowsMoved(int position, bool afterMove);

    MainWindow &m_main;
    const CaptureSettings &m_settings;
    CaptureRunHooks *m_hooks;
    double m_intervalSeconds = 5;
    int m_requestedMs = 5000;
    bool m_stepMode = false;
};
