#pragma once
// " Capture  preferences": frame size, JPEG quality and colour mode. "OK" applies them to the
// connected driver; the first "OK" after a driver choice also grabs a test picture and starts
// the numbering again at 0. Opened by the main window's "Format" button.

#include "shell/capturetoolwindow.h"

class CaptureController;
class CaptureFormatControls;
class CaptureRunControl;
class Messages;
class QPushButton;
class Sound;
class ToolWindows;
struct ApplicationState;
struct CaptureSettings;

class CapturePreferencesWindow : public CaptureToolWindow
{
    Q_OBJECT
public:
    /// The window is a child of parent, the main window, and registers itself with tools as
    /// the capture preferences; settings must be the ones the controller's session uses.
    CapturePreferencesWindow(QWidget *parent, CaptureView &view, ApplicationState &state,
                             Sound &click, CaptureController &controller, CaptureRunControl &run,
                             CaptureSettings &settings, ToolWindows &tools, Messages &messages);

    /// The main window's "Format" button; refuses while no driver was chosen.
    void open();
    /// "OK".
    void confirm();
    /// "Cancel" and the close box; the values changed are kept.
    void cancel();
    /// Applies the settings as they stand, as a later "OK" does: no test picture, the
    /// numbering left alone. For a run that starts as the last one was left.
    void applyAsLeft();

    CaptureFormatControls &controls() const { return *m_controls; }

signals:
    /// The format is being applied to the driver: motion detection counts from 0 again and
    /// its activation boxes lose their hints.
    void formatApplied();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void reapply();
    void firstTimeSetUp();
    QString testGrab();
    void showStatusTexts();

    ApplicationState &m_state;
    Sound &m_click;
    CaptureController &m_controller;
    CaptureRunControl &m_run;
    CaptureSettings &m_settings;
    ToolWindows &m_tools;
    Messages &m_messages;
    CaptureFormatControls *m_controls = nullptr;
    QPushButton *m_ok = nullptr;
    QPushButton *m_cancel = nullptr;
};
