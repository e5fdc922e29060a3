#pragma once
// "  Videocapture driver ": lists the capture drivers and, on "OK", connects the capture
// session to the chosen one, so that the capture preferences must be confirmed again before
// capture can start. Opened by the main window's "Driver" button, which it connects itself.

#include "capture/capturetoolwindow.h"

class CaptureController;
class CaptureLoop;
class CapturePeers;
class Messages;
class QComboBox;
class QPushButton;
class ToolWindows;

class DriverDialog : public CaptureToolWindow
{
    Q_OBJECT
public:
    /// The dialog is a child of mainWindow and registers itself with tools as the driver
    /// window; the drivers are those of the controller's capture service.
    DriverDialog(MainWindow &mainWindow, CaptureController &controller, CaptureLoop &loop,
                 ToolWindows &tools, Messages &messages, CapturePeers &peers);

    /// The main window's "Driver" button: pauses capture and shows the list, with the entry
    /// of DriverIndex selected (the first entry when that index is not in the list).
    void open();
    /// "OK": connects the selected driver.
    void confirm();
    /// "Cancel" and the close box.
    void cancel();

    QComboBox *driverList() const { return m_list; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildLayout();
    void listDrivers();
    bool connectSelected();
    void showLivePicture();

    CaptureController &m_controller;
    CaptureLoop &m_loop;
    ToolWindows &m_tools;
    Messages &m_messages;
    CapturePeers &m_peers;
    QComboBox *m_list = nullptr;
    QPushButton *m_ok = nullptr;
    QPushButton *m_cancel = nullptr;
};
