#pragma once
// " Timer-motion detection menu": the daily timer program's start and end times and the
// motion detection settings, confirmed together with "OK". Timer program and motion detection
// exclude each other: checking one box clears the other.

#include "programs/timerprogramrunner.h"
#include "shell/capturetoolwindow.h"

#include <array>
#include <optional>

class CaptureRunControl;
class ClockSource;
class MotionCapture;
class MotionHost;
class QCheckBox;
class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class QSpinBox;
class Sound;
class ToolWindows;
class UpDownControl;
struct ApplicationState;

class TimerMotionMenu : public CaptureToolWindow
{
    Q_OBJECT
public:
    TimerMotionMenu(QWidget *parent, CaptureView &view, MotionHost &host, ApplicationState &state,
                    Sound &click, CaptureRunControl &run, MotionCapture &motion,
                    TimerProgramRunner &runner, ToolWindows &tools);

    /// "Prog.": hides the other tool windows and shows the menu.
    void open();
    void ok();
    void cancel();

    /// The menu's settings, as a run keeps them for the next.
    struct Values
    {
        QTime from{12, 0};
        QTime to{12, 0};
        bool timerOn = false;
        // A start or end that follows the sun at place instead of its clock time.
        std::optional<DayTime> startSun, endSun;
        std::optional<SunPlace> place;
        int framesAfterMotion = 10;
        int grid = 50;
        bool motionOn = false;
        int picturesBeforeMotion = 0;
        int ignoreLightAbove = 0; // percent of the cells; 0: light changes count as motion
    };
    Values values() const;
    /// Shows values and confirms them as "OK" does, without the click. The boxes are checked
    /// only when a driver and a format are chosen, as by hand.
    void restore(const Values &values);

    /// The frames arrows move by the main window's step.
    void setFramesIncrement(int frames);
    /// The max arrows were pressed: the batch is measured again from the current picture.
    void framesAfterMotionRenewed();
    /// A new driver clears "Activate MD".
    void uncheckMotionDetection();
    /// A confirmed format: both boxes may be checked now.
    void clearRefusalHints();

    /// The timer program as the menu sets it, with its checks of the clock.
    TimerProgramRunner &timerProgramRunner() { return m_runner; }
    const TimerProgram &timerProgram() const { return m_runner.program(); }

signals:
    /// The close box: the capture timer runs again and the interval grows by one fine step.
    void closedByBox();
    /// "OK" put the menu's settings into effect.
    void confirmed();
    /// "Cells to ignore": the user wants to paint the cells motion detection ignores.
    void maskEditorRequested();

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *buildTimerGroup();
    QWidget *buildSunGroup();
    QWidget *buildMotionGroup();
    /// The rows below the sensitivity: pictures before motion, light changes, cells to ignore.
    void buildRefinements(QGridLayout *grid, QWidget *group);
    void showBeforeMotionCost();
    void applyLightChange();
    void motionToggled(bool checked);
    void timerToggled(bool checked);
    void confirm();
    bool captureReady() const;
    void refuse(QCheckBox *box);
    void setMotionControlsEnabled(bool enabled);
    /// The program's keys follow the boxes.
    /// False, with the reason shown, while a time follows the sun at a place that is not one.
    bool updateTimes();
    DayTime sunTime(int row) const;
    void showSunDay();

    MotionHost &m_host;
    ApplicationState &m_state;
    Sound &m_click;
    CaptureRunControl &m_run;
    MotionCapture &m_motion;
    ToolWindows &m_tools;
    TimerProgramRunner &m_runner;
    // Start hours, start minutes, end hours, end minutes.
    std::array<UpDownControl *, 4> m_timeArrows{};

    QLineEdit *m_startHours = nullptr;
    QLineEdit *m_startMinutes = nullptr;
    QLineEdit *m_endHours = nullptr;
    QLineEdit *m_endMinutes = nullptr;
    QCheckBox *m_activateTimer = nullptr;
    // Start and end: clock, sunrise or sunset, and the minutes from it.
    std::array<QComboBox *, 2> m_follows{};
    std::array<QSpinBox *, 2> m_sunOffsets{};
    QLineEdit *m_place = nullptr;
    QLabel *m_sunDay = nullptr;
    QCheckBox *m_activateMD = nullptr;
    QLineEdit *m_frames = nullptr;
    UpDownControl *m_framesArrows = nullptr;
    QLabel *m_framesLabel = nullptr;
    QLabel *m_sensitivityLabel = nullptr;
    QSlider *m_sensitivity = nullptr;
    QLabel *m_sensitivityValue = nullptr;
    QLabel *m_beforeMotionLabel = nullptr;
    QSpinBox *m_beforeMotion = nullptr;
    QLabel *m_beforeMotionCost = nullptr;
    QCheckBox *m_ignoreLight = nullptr;
    QSpinBox *m_lightPercent = nullptr;
    QPushButton *m_maskButton = nullptr;
};
