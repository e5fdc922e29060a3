#pragma once
// The main window: control panel, video area and status bar. It is a view: it tells what the user
// did through its signals and shows what it is told through the narrow interfaces below; none of
// its widgets is handed out.

#include "shell/captureview.h"
#include "shell/motionhost.h"
#include "shell/storeview.h"
#include "shell/videohost.h"
#include "shell/viewerhost.h"

#include <QMainWindow>
#include <QPointer>

#include <array>

struct ApplicationState;
class ControlPanel;
class QLabel;
class QPlainTextEdit;
class Sound;

class MainWindow : public QMainWindow,
                   public StoreView,
                   public CaptureView,
                   public VideoHost,
                   public MotionHost,
                   public ViewerHost
{
    Q_OBJECT
public:
    static constexpr int OuterWidth = 800;
    static constexpr int OuterHeight = 627;

    MainWindow(ApplicationState &state, Sound &click);
    ~MainWindow() override;

    // StoreView and CaptureView
    void showPicturePath(const QString &text) override;
    void showFramesText(const QString &text) override;
    void showTimeText(const QString &text) override;
    void showIntervalText(const QString &text) override;
    void showMaxStepText(const QString &text) override;
    void showStartCaption(const QString &caption, int colourValue) override;
    void showStatusNote(const QString &text) override;
    bool isPreviewChecked() const override;
    void setPreviewChecked(bool checked) override;
    bool isOverlayChecked() const override;
    void setOverlayChecked(bool checked) override;
    void setOverlayEnabled(bool enabled) override;
    bool isFitChecked() const override;
    void setFitEnabled(bool enabled) override;
    void setIntervalArrowsPosition(int position) override;
    void showStepMode(const QString &stepCaption, bool stepArrowsShown) override;
    int maxArrowsIncrement() const override;
    int maxArrowsPosition() const override;
    void setMaxArrowsPosition(int position) override;
    void setMaxArrowsIncrement(int increment) override;
    void setStartAndAboutEnabled(bool enabled) override;
    void setPanelEnabled(bool enabled) override;
    void setVideoAreaVisible(bool visible) override;
    void repaintVideoArea() override;
    void redrawVideoArea() override;
    void blackVideoArea() override;
    void fillVideoArea() override;
    bool isMaximized() const override { return QMainWindow::isMaximized(); }
    void uncoverVideoArea() override;
    void setLoadingShown(bool shown) override;
    void showStatusPanel(int index, const QString &text) override;
    void setDriverEnabled(bool enabled) override;
    void setProgCaptionColour(int colourValue) override;
    QPoint centre() const override;

    // MotionHost
    void showMotionIndicator(Indicator state) override;
    void setMotionIndicatorBoxShown(bool shown) override;
    void setMotionIndicatorBoxChecked(bool checked) override;
    void setStartEnabled(bool enabled) override;

    /// "View" is locked while the program information window is open.
    void setViewEnabled(bool enabled);
    /// The hint of the status bar.
    void setStatusBarHint(const QString &hint);

    // VideoHost
    void embedCaptureWindow(QWidget *window) override;
    QSize captureWindowSize() const override;

    // ViewerHost
    QPoint topLeft() const override { return frameGeometry().topLeft(); }
    int outerWidth() const override { return frameGeometry().width(); }
    void setInputEnabled(bool enabled) override;
    void embedFullScreenView(QWidget *pictureArea, QWidget *toolbar) override;
    void showFullScreenView(bool shown) override;
    void setPictureCaption(const QString &text, QPoint topLeft) override;
    void setPictureCaptionShown(bool shown) override;

    QString statusPanel(int index) const;
    QString statusNote() const;
    void hidePictureCaption();

    /// Hides the control panel and lets the video area fill the window.
    void hideControlPanel();
    void statusBarClicked();
    /// What every activation of the window does.
    void activated();
    /// "Exit": click, close.
    void exitRoutine();

signals:
    // What the user did on the control panel.
    void previewToggled(bool checked);
    void overlayToggled(bool checked);
    void fitToggled(bool checked);
    void inputPressed();
    void formatPressed();
    void driverPressed();
    void finePlusPressed();
    void fineMinusPressed();
    void startPressed();
    /// The interval arrows moved to position.
    void intervalArrowsClicked(int position);
    void stepPressed();
    void clearPressed();
    void resetPressed();
    /// The max-frames arrows: changing before a press moves them, clicked after.
    void maxArrowsChanging(int position);
    void maxArrowsClicked(int position);
    void stepArrowsChanging(int position);
    void stepArrowsClicked(int position);
    void aboutPressed();
    void infoPressed();
    void progPressed();
    void prefPressed();
    void viewPressed();

    /// The live picture must be set up again for the "Overlay" or "Preview" box as it stands.
    void overlayReactionNeeded();
    void previewReactionNeeded();
    /// The window was resized (a run ends then).
    void resized();
    /// The window closes: the program ends.
    void closing();
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
    void connectIntents();
    void placeOnScreen();
    void placeFullScreenView();

    ApplicationState &m_state;
    Sound &m_click;
    ControlPanel *m_panel = nullptr;
    QWidget *m_videoArea = nullptr;
    QPlainTextEdit *m_videoCover = nullptr;
    QLabel *m_pictureCaption = nullptr;
    QWidget *m_loadingPanel = nullptr;
    QPointer<QWidget> m_captureWindow;
    QPointer<QWidget> m_fullScreenArea;
    QPointer<QWidget> m_fullScreenToolbar;
    std::array<QLabel *, 4> m_statusPanels{};
    QLabel *m_statusNote = nullptr;
    bool m_placed = false;
    // The width the program gave the window; another one was chosen by the user.
    int m_placedWidth = 0;
    bool m_fullScreenPictureVisible = false;
};
