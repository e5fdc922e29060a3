#pragma once
// " Capture  preferences": frame size, JPEG quality and colour mode. "OK" applies them to the
// connected driver; the first "OK" after a driver choice also grabs a test picture and starts
// the numbering again at 0. Opened by the main window's "Format" button, which it connects
// itself.

#include "capture/capturetoolwindow.h"

class CaptureController;
class CaptureFormatControls;
class CaptureLoop;
class CapturePeers;
class Messages;
class QPushButton;
class ToolWindows;
struct CaptureSettings;

class CapturePreferencesWindow : public CaptureToolWindow
{
    Q_OBJECT
public:
    /// The window is a child of mainWindow and registers itself with tools as the capture
    /// preferences; settings must be the ones the controller's session uses.
    CapturePreferencesWindow(MainWindow &mainWindow, CaptureController &controller,
                             CaptureLoop &loop, CaptureSettings &settings, ToolWindows &tools,
                             Messages &messages, CapturePeers &peers);

    /// The main window's "Format" button; refuses while no driver was chosen.
    void open();
    /// "OK".
    void confirm();
    /// "Cancel" and the close box; the values changed are kept.
    void cancel();

    CaptureFormatControls &controls() const { return *m_controls; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void reapply();
    void firstTimeSetUp();
    QString testGrab();
    void showStatusTexts();

    CaptureController &m_controller;
    CaptureLoop &m_loop;
    CaptureSettings &m_settings;
    ToolWindows &m_tools;
    Messages &m_messages;
    CapturePeers &m_peers;
    CaptureFormatControls *m_controls = nullptr;
    QPushButton *m_ok = nullptr;
    QPushButton *m_cancel = nullptr;
};
