#pragma once
// "  Videocapture driver ": lists the capture drivers and, on "OK", connects the capture
// session to the chosen one, so that the capture preferences must be confirmed again before
// capture can start. Opened by the main window's "Driver" button.

#include "shell/capturetoolwindow.h"
#include "shell/result.h"

class CaptureController;
class CaptureRunControl;
class Messages;
class QComboBox;
class QPushButton;
class Sound;
class ToolWindows;
struct ApplicationState;

class DriverDialog : public CaptureToolWindow
{
    Q_OBJECT
public:
    /// The dialog is a child of parent, the main window; the drivers are those of the
    /// controller's capture service.
    DriverDialog(QWidget *parent, CaptureView &view, ApplicationState &state, Sound &click,
                 CaptureController &controller, CaptureRunControl &run, ToolWindows &tools,
                 Messages &messages);

    /// The main window's "Driver" button: pauses capture and shows the list, with the entry
    /// of DriverIndex selected (the first entry when that index is not in the list).
    void open();
    /// "OK": connects the selected driver.
    void confirm();
    /// "Cancel" and the close box.
    void cancel();
    /// Connects the driver listed as name as "OK" does, without a click; false when the list
    /// has no such driver.
    bool connectByName(const QString &name);
    /// The list entry of the driver last connected; empty while none was.
    QString connectedName() const { return m_connectedName; }

    QComboBox *driverList() const { return m_list; }

signals:
    /// A driver was connected (or its connection tried): motion detection is switched off.
    void driverConfirmed();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildLayout();
    void listDrivers();
    Result<> connectSelected();
    void showLivePicture();
    void connectCurrent();

    ApplicationState &m_state;
    Sound &m_click;
    CaptureController &m_controller;
    CaptureRunControl &m_run;
    ToolWindows &m_tools;
    Messages &m_messages;
    QComboBox *m_list = nullptr;
    QPushButton *m_ok = nullptr;
    QPushButton *m_cancel = nullptr;
    QString m_connectedName;
};
