#pragma once
// " Program info": the quick-start help and the two reports in three panes, one visible at a
// time, chosen on a tab strip that also prints the visible pane and closes the window. The
// window owns the reports; the timer program and motion capture write through it.

#include "programs/reports.h"
#include "shell/capturetoolwindow.h"

#include <array>

class CaptureRunControl;
class QPlainTextEdit;
class QStackedWidget;
class QTabBar;
class Sound;
class ToolWindows;
struct ApplicationState;

class ProgramInfoWindow : public CaptureToolWindow
{
    Q_OBJECT
public:
    enum Pane
    {
        Help,
        TimerReport,
        MotionReport,
    };
    enum Tab
    {
        HelpTab,
        TimerTab,
        MotionTab,
        PrintTab,
        CloseTab,
    };

    ProgramInfoWindow(QWidget *parent, CaptureView &view, ApplicationState &state, Sound &click,
                      CaptureRunControl &run, ToolWindows &tools);

    /// "Info": hides the other tool windows and shows this one.
    void open();
    /// A choice on the tab strip, as by the user.
    void chooseTab(int tab);
    Pane visiblePane() const;
    QStringList paneLines(Pane pane) const;

    /// The time recording start line, from the clock fields as they stand.
    void writeTimerStart();
    /// The time recording stop line; stopTime as "9:05:03".
    void writeTimerStop(const QString &stopTime);
    /// The motion detection line, stamped with now.
    void writeMotionLine(const QDateTime &now);
    /// The line of a light change that was not taken for motion, stamped now.
    void writeLightChangeLine(const QDateTime &now);

signals:
    /// "View" is locked while this window is open.
    void viewLocked(bool locked);
    /// "    print      ": the question for the visible pane and what would be printed.
    void printRequested(const QString &question, const QStringList &lines, const QString &heading);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void showPane(Pane pane);
    void refresh(Pane pane);
    void closeWindow();

    ApplicationState &m_state;
    Sound &m_click;
    CaptureRunControl &m_run;
    ToolWindows &m_tools;
    TimeRecordingReport m_timerReport;
    ::MotionReport m_motionReport;
    QStackedWidget *m_panes;
    std::array<QPlainTextEdit *, 3> m_texts{};
    QTabBar *m_tabs;
};
