#include "app/application.h"

#include "app/controlpanel.h"
#include "app/mainwindow.h"
#include "app/messages.h"
#include "capture/capturecontroller.h"
#include "capture/capturepreferenceswindow.h"
#include "capture/driverdialog.h"
#include "capture/service/linuxcaptureservice.h"
#include "settings/customsettingswindow.h"
#include "settings/qtsoundbackend.h"
#include "settings/skin.h"
#include "settings/sound.h"
#include "settings/wavefile.h"
#include "store/captureloop.h"
#include "store/deletedialog.h"
#include "store/intervalcontrols.h"
#include "store/resetdialog.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPushButton>

#include <cstdio>

Application::Application(QApplication &app) : m_app(app) {}

Application::~Application()
{
    // Windows go before the services and sounds they use.
    m_captureLoop.reset();
    m_captureController.reset();
    m_intervalControls.reset();
    m_mainWindow.reset();
}

void Application::setMessages(std::unique_ptr<Messages> messages)
{
    m_messages = std::move(messages);
}

QStringList Application::soundDirectories()
{
    return {QDir::currentPath(), QCoreApplication::applicationDirPath() + "/../share/vardella"};
}

bool Application::start(QString *error)
{
    if (!loadSounds(error))
        return false;
    m_skin = std::make_unique<Skin>(m_app);
    m_skin->setActive(true);
    buildWindows();
    wirePreferences();
    m_mainWindow->show();
    return true;
}

bool Application::loadSounds(QString *error)
{
    const bool audio = audioOutputAvailable();
    if (!audio)
        std::fputs("vardella: no audio output found; sounds are off.\n", stderr);
    std::array<std::unique_ptr<Sound> *, 2> sounds{&m_click, &m_alarm};
    const std::array<const char *, 2> names{"click.wav", "alarm.wav"};
    for (std::size_t i = 0; i < names.size(); ++i) {
        const QString path = WaveFile::locate(names[i], soundDirectories());
        const WaveCheck check = WaveFile::check(path);
        if (!check.ok) {
            *error = QStringLiteral("Cannot open the sound file \"%1\": %2.")
                         .arg(QString::fromLatin1(names[i]), check.reason);
            return false;
        }
        *sounds[i] = std::make_unique<Sound>(makeSoundBackend(path, audio));
    }
    return true;
}

void Application::buildWindows()
{
    // Start-up order: the main window first; the tool windows follow as their subsystems
    // provide them, each created hidden and parented to the main window.
    m_mainWindow = std::make_unique<MainWindow>(m_state, *m_click, m_tools);
    MainWindow &main = *m_mainWindow;
    if (!m_messages)
        m_messages = std::make_unique<MessageBoxes>(&main);
    m_captureService = std::make_unique<LinuxCaptureService>();
    m_intervalControls = std::make_unique<IntervalControls>(main, m_captureSettings);
    m_captureController = std::make_unique<CaptureController>(*m_captureService, m_captureSettings,
                                                              main, m_tools, *m_messages);
    m_captureLoop = std::make_unique<CaptureLoop>(main, m_captureController->session(),
                                                  *m_intervalControls, *m_messages);
    // The tool windows are children of the main window, which owns them; each registers itself
    // or is registered here, and connects its own button on the main window.
    new DriverDialog(main, *m_captureController, *m_captureLoop, m_tools, *m_messages,
                     m_capturePeers);
    m_tools.add(ToolWindows::Role::Delete,
                new DeleteDialog(main, *m_captureLoop, m_tools, m_thumbnails));
    m_tools.add(ToolWindows::Role::Reset, new ResetDialog(main, m_tools));
    new CapturePreferencesWindow(main, *m_captureController, *m_captureLoop, m_captureSettings,
                                 m_tools, *m_messages, m_capturePeers);
    m_customSettings = new CustomSettingsWindow(*m_click, *m_alarm, *m_skin, m_mainWindow.get());
    m_tools.add(ToolWindows::Role::CustomSettings, m_customSettings);
}

void Application::wirePreferences()
{
    using Role = ToolWindows::Role;
    MainWindow *main = m_mainWindow.get();
    QObject::connect(main->panel()->pref, &QPushButton::clicked, main, [this, main] {
        m_tools.hide({Role::Delete, Role::Reset, Role::CapturePreferences, Role::TimerMotionMenu,
                      Role::Driver, Role::ProgramInfo, Role::About});
        m_click->play();
        QRect r = m_customSettings->frameGeometry();
        r.moveCenter(main->frameGeometry().center());
        m_customSettings->move(r.topLeft());
        m_customSettings->show();
    });
    QObject::connect(m_customSettings, &CustomSettingsWindow::skinSwitched, main,
                     [main](bool active) {
                         if (!active)
                             main->pictureCaption()->hide();
                         main->update();
                     });
}
