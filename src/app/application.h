#pragma once
// The composition root: creates every window once, in the fixed start-up order, wires them
// together and owns what no window owns. Nothing else creates windows or shared services.

#include "app/capturecore.h"
#include "shell/result.h"
#include "shell/toolwindows.h"

#include <QString>

#include <memory>

class QApplication;
class AboutBox;
class CaptureController;
class ClockSource;
class CaptureLoop;
class CaptureService;
class CapturePreferencesWindow;
class CustomSettingsWindow;
class DeleteDialog;
class DriverDialog;
class EventCommands;
class FullScreenView;
class IntervalControls;
class MainWindow;
class MakeVideoWindow;
class MotionCapture;
class MaskEditor;
class ProgramInfoWindow;
class Printing;
class TimerMotionMenu;
class Messages;
class PictureSource;
class PrintRequests;
class ResetDialog;
class RunPresenter;
class StartAsLeft;
class Skin;
class Sound;
class ViewerWindow;
class WebViewHost;

class Application
{
public:
    explicit Application(QApplication &app);
    ~Application();

    /// Finds and checks the sounds and builds the windows. On failure returns false and fills
    /// error with a message that names the file and the reason.
    bool start(QString *error);

    MainWindow &mainWindow() { return *m_mainWindow; }
    ToolWindows &toolWindows() { return m_tools; }
    CaptureCore &core() { return *m_core; }
    ApplicationState &state() { return m_core->state(); }
    Sound &clickSound() { return *m_click; }
    Sound &alarmSound() { return *m_alarm; }
    CaptureSettings &captureSettings() { return m_core->settings(); }
    CaptureService &captureService() { return *m_captureService; }
    CaptureController &captureController() { return *m_captureController; }
    CaptureLoop &captureLoop() { return m_core->loop(); }
    IntervalControls &intervalControls() { return *m_intervalControls; }
    MotionCapture &motionCapture() { return m_core->motion(); }
    Printing &printing() { return *m_printing; }
    ViewerWindow &viewer() { return *m_viewer; }
    FullScreenView &fullScreenView() { return *m_fullScreenView; }
    /// The capture timer: its ticks are the capture loop's; it runs from start.
    ThreadedTimer &captureTimer() { return m_core->captureTimer(); }

    /// Replaces the message boxes (tests record the messages instead); call before start().
    void setMessages(std::unique_ptr<Messages> messages);
    /// Replaces the V4L2 and test scene service (tests use a probe of it); call before start().
    void setCaptureService(std::unique_ptr<CaptureService> service);
    /// Replaces the system clock (tests set the time of day); call before start().
    void setClockSource(std::unique_ptr<ClockSource> clock);
    const ClockSource &clockSource() const { return *m_clock; }
    /// Where "Start as left" keeps the settings (tests use their own file); call before
    /// start(). The XDG config folder's "Vardella/vardella.conf" otherwise.
    void setSettingsFile(const QString &path) { m_settingsFile = path; }
    /// Replaces the two wave sounds (tests count the plays); call before start().
    void setSounds(std::unique_ptr<Sound> click, std::unique_ptr<Sound> alarm);

    /// Where the sounds are looked for: the working directory, then the installed data folder.
    static QStringList soundDirectories();
    struct Sounds
    {
        std::unique_ptr<Sound> click;
        std::unique_ptr<Sound> alarm;
    };
    /// Finds and checks "click.wav" and "alarm.wav"; fails naming the file and the reason.
    static Result<Sounds> loadSounds();

private:
    void buildWindows();
    void wireMainWindow();
    void wireCaptureWindows();
    void wireStore();
    void wirePreferences();
    void wirePrograms();
    void buildViewer();
    void wireViewer();
    void startAsLeft();

    QApplication &m_app;
    ToolWindows m_tools;
    std::unique_ptr<Skin> m_skin;
    std::unique_ptr<Sound> m_click;
    std::unique_ptr<Sound> m_alarm;
    std::unique_ptr<Messages> m_messages;
    std::unique_ptr<ClockSource> m_clock;
    std::unique_ptr<CaptureService> m_captureService;
    QString m_settingsFile;
    // Destroyed before the above, in reverse order: they refer to everything declared earlier.
    std::unique_ptr<CaptureCore> m_core;
    std::unique_ptr<EventCommands> m_events;
    std::unique_ptr<MainWindow> m_mainWindow;
    std::unique_ptr<RunPresenter> m_presenter;
    std::unique_ptr<IntervalControls> m_intervalControls;
    std::unique_ptr<CaptureController> m_captureController;
    std::unique_ptr<PictureSource> m_pictures;
    // Its widgets belong to the main window.
    std::unique_ptr<FullScreenView> m_fullScreenView;
    // Goes first: it reads the windows whenever the run changes.
    std::unique_ptr<StartAsLeft> m_startAsLeft;
    std::unique_ptr<WebViewHost> m_webView; // served from the run: goes before it
    // Tool windows, owned by the main window.
    DriverDialog *m_driverDialog = nullptr;
    CapturePreferencesWindow *m_preferences = nullptr;
    DeleteDialog *m_deleteDialog = nullptr;
    ResetDialog *m_resetDialog = nullptr;
    CustomSettingsWindow *m_customSettings = nullptr;
    Printing *m_printing = nullptr;
    AboutBox *m_about = nullptr;
    MakeVideoWindow *m_makeVideo = nullptr;
    TimerMotionMenu *m_timerMotionMenu = nullptr;
    ProgramInfoWindow *m_programInfo = nullptr;
    MaskEditor *m_maskEditor = nullptr; // "Cells to ignore", opened from the menu
    ViewerWindow *m_viewer = nullptr;
};
