#pragma once
// The composition root: creates every window once, in the fixed start-up order, wires them
// together and owns what no window owns. Nothing else creates windows or shared services.

#include "app/applicationstate.h"
#include "app/toolwindows.h"

#include <QString>

#include <memory>

class QApplication;
class CustomSettingsWindow;
class MainWindow;
class Skin;
class Sound;

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
    ApplicationState &state() { return m_state; }
    Sound &clickSound() { return *m_click; }
    Sound &alarmSound() { return *m_alarm; }

    /// Where the sounds are looked for: the working directory, then the installed data folder.
    static QStringList soundDirectories();

private:
    bool loadSounds(QString *error);
    void buildWindows();
    void wirePreferences();

    QApplication &m_app;
    ApplicationState m_state;
    ToolWindows m_tools;
    std::unique_ptr<Skin> m_skin;
    std::unique_ptr<Sound> m_click;
    std::unique_ptr<Sound> m_alarm;
    // Destroyed first: the windows refer to the sounds and the state above.
    std::unique_ptr<MainWindow> m_mainWindow;
    CustomSettingsWindow *m_customSettings = nullptr; // owned by the main window
};
