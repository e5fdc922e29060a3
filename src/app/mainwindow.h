#pragma once
// The main window: control panel, video area, status bar and the one-second clock. It owns the
// application state; the subsystems reach it and its controls through this class.

#include "app/timer/threadedtimer.h"

#include <QMainWindow>
#include <QTimer>

#include <array>

struct ApplicationState;
class ControlPanel;
class QLabel;
class QPlainTextEdit;
class QProgressBar;
class Sound;
class ToolWindows;

class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    static constexpr int OuterWidth = 800;
    static constexpr int OuterHeight = 627;

    MainWindow(ApplicationState &state, Sound &click, ToolWindows &tools);
    ~MainWindow() override;

    ApplicationState &state() { return m_state; }
    Sound &clickSound() { return m_click; }
    ControlPanel *panel() const { return m_panel; }
    QWidget *videoArea() const { return m_videoArea; }
    QPlainTextEdit *videoCover() const { return m_videoCover; }
    QLabel *pictureCaption() const { return m_pictureCaption; }
    QWidget *loadingPanel() const { return m_loadingPanel; }
    QTimer &clockTimer() { return m_clockTimer; }
    /// The capture timer; its ticks arrive as captureTick().
    ThreadedTimer &captureTimer() { return m_captureTimer; }

    QString statusPanel(int index) const;
    void setStatusPanel(int index, const QString &text);

    /// A note at the right of the status bar, e.g. the time of the last failed grab; empty hides
    /// it.
    void setStatusNote(const QString &text);
    QString statusNote() const;

    /// The caption and caption colour of "Start" ("Start", "stop!", "start"; colour value 1 or
    /// 235).
    void setStartCaption(const QString &caption, int colourValue);

    /// One clock tick at the given time of day.
    void clockTick(const QTime &now);
    /// Hides the control panel and lets the video area fill the window.
    void hideControlPanel();
    void statusBarClicked();
    /// Makes the video area fill the client area below the control panel.
    void fillVideoArea();
    /// What every activation of the window does.
    void activated();
    /// "Exit": click, remove the empty picture directories, close.
    void exitRoutine();
    /// The full-screen picture view tells whether it is showing, for the caption line.
    void setFullScreenPictureVisible(bool visible) { m_fullScreenPictureVisible = visible; }

signals:
    /// A tick of the capture timer, on the user-interface thread.
    void captureTick();
    /// Clock tick, first step: a confirmed clear of the store is pending.
    void pendingClearDue();
    /// Clock tick, last step: the timer program may start capture.
    void timerProgramStartCheck();
    /// The live picture must be set up again for the "Overlay" or "Preview" box as it stands.
    void overlayReactionNeeded();
    void previewReactionNeeded();
    /// Start/stop must be pressed (the window was resized while capture runs).
    void startStopRequested();
    /// The window was maximised; the full-screen view moves its scale one step.
    void maximisedResize();

protected:
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildVideoArea(QWidget *central);
    void buildStatusBar();
    void buildLoadingPanel(QWidget *central);
    void placeOnScreen();

    ApplicationState &m_state;
    Sound &m_click;
    ToolWindows &m_tools;
    ControlPanel *m_panel = nullptr;
    QWidget *m_videoArea = nullptr;
    QPlainTextEdit *m_videoCover = nullptr;
    QLabel *m_pictureCaption = nullptr;
    QWidget *m_loadingPanel = nullptr;
    std::array<QLabel *, 4> m_statusPanels{};
    QLabel *m_statusNote = nullptr;
    QTimer m_clockTimer;
    ThreadedTimer m_captureTimer;
    bool m_placed = false;
    bool m_fullScreenPictureVisible = false;
};
