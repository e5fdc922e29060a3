#include "app/application.h"

#include "app/eventcommands.h"
#include "app/runpresenter.h"
#include "app/startasleft.h"
#include "app/webviewhost.h"
#include "capture/capturecontroller.h"
#include "capture/capturepreferenceswindow.h"
#include "capture/driverdialog.h"
#include "capture/service/capturewidget.h"
#include "capture/service/linuxcaptureservice.h"
#include "motion/maskeditor.h"
#include "motion/motioncapture.h"
#include "programs/programinfowindow.h"
#include "programs/timermotionmenu.h"
#include "settings/aboutbox.h"
#include "settings/customsettingswindow.h"
#include "settings/qtsoundbackend.h"
#include "settings/savedsettings.h"
#include "settings/skin.h"
#include "settings/wavefile.h"
#include "shell/clocksource.h"
#include "shell/mainwindow.h"
#include "shell/messages.h"
#include "shell/sound.h"
#include "store/captureloop.h"
#include "store/deletedialog.h"
#include "store/intervalcontrols.h"
#include "store/intervalmodel.h"
#include "store/resetdialog.h"
#include "vardella_version.h"
#include "video/makevideowindow.h"
#include "video/videodefaults.h"
#include "viewer/fullscreenview.h"
#include "viewer/picturesource.h"
#include "viewer/printing.h"
#include "viewer/printrequests.h"
#include "viewer/viewerwindow.h"

#include "app/webviewhost.h"
#include <QApplication>
#include <QDateTime>

#include <QDir>

#include <cstdio>

Application::Application(QApplication &app) : m_app(app) {}

Application::~Application()
{
    m_startAsLeft.reset();
    m_webView.reset();
    // The commands still running get their grace time first, while their notes have a window.
    m_events.reset();
    // Windows go before the run and the services and sounds they use.
    m_fullScreenView.reset();
    m_captureController.reset();
    m_intervalControls.reset();
    m_presenter.reset();
    m_mainWindow.reset();
    m_core.reset();
    // Every end of the program leaves no empty picture directories behind.
    CaptureCore::closeStore();
}

void Application::setMessages(std::unique_ptr<Messages> messages)
{
    m_messages = std::move(messages);
}

void Application::setCaptureService(std::unique_ptr<CaptureService> service)
{
    m_captureService = std::move(service);
}

void Application::setClockSource(std::unique_ptr<ClockSource> clock)
{
    m_clock = std::move(clock);
}

void Application::setSounds(std::unique_ptr<Sound> click, std::unique_ptr<Sound> alarm)
{
    m_click = std::move(click);
    m_alarm = std::move(alarm);
}

QStringList Application::soundDirectories()
{
    // The installed folder is found relative to the program, so that any install prefix works.
    const QString installed = QDir::cleanPath(QCoreApplication::applicationDirPath() + '/' +
                                              QLatin1String(Product::dataDirFromBinary));
    return {QDir::currentPath(), installed};
}

bool Application::start(QString *error)
{
    CaptureCore::openStore();
    if (!(m_click && m_alarm)) {
        Result<Sounds> loaded = loadSounds();
        if (!loaded) {
            *error = loaded.error();
            return false;
        }
        m_click = std::move(loaded->click);
        m_alarm = std::move(loaded->alarm);
    }
    m_skin = std::make_unique<Skin>(m_app);
    m_skin->setActive(true);
    buildWindows();
    wireMainWindow();
    wireCaptureWindows();
    wireStore();
    wirePreferences();
    wirePrograms();
    wireViewer();
    m_mainWindow->show();
    startAsLeft();
    return true;
}

void Application::startAsLeft()
{
    m_startAsLeft = std::make_unique<StartAsLeft>(
        StartAsLeft::Parts{*m_core, *m_mainWindow, *m_driverDialog, *m_preferences,
                           *m_intervalControls, *m_timerMotionMenu, *m_customSettings},
        m_settingsFile.isEmpty() ? SavedSettings::defaultPath() : m_settingsFile);
    m_startAsLeft->restore();
    m_startAsLeft->watch();
    // Exit keeps what runs for the next start; the stop on the way out is not the user's.
    QObject::connect(m_mainWindow.get(), &MainWindow::closing, m_startAsLeft.get(),
                     &StartAsLeft::stopSaving);
}

Result<Application::Sounds> Application::loadSounds()
{
    const bool audio = audioOutputAvailable();
    if (!audio)
        std::fputs("vardella: no audio output found; sounds are off.\n", stderr);
    Sounds loaded;
    std::array<std::unique_ptr<Sound> *, 2> sounds{&loaded.click, &loaded.alarm};
    const std::array<const char *, 2> names{"click.wav", "alarm.wav"};
    for (std::size_t i = 0; i < names.size(); ++i) {
        const QString path = WaveFile::locate(names[i], soundDirectories());
        const Result<> check = WaveFile::check(path);
        if (!check) {
            return failure(QStringLiteral("Cannot open the sound file \"%1\": %2.")
                               .arg(QString::fromLatin1(names[i]), check.error()));
        }
        *sounds[i] = std::make_unique<Sound>(makeSoundBackend(path, audio));
    }
    return loaded;
}

void Application::buildWindows()
{
    // Start-up order: the main window first; the tool windows follow as their subsystems
    // provide them, each created hidden and parented to the main window, which owns them.
    if (!m_clock)
        m_clock = std::make_unique<SystemClock>();
    if (!m_captureService) {
        auto service = std::make_unique<LinuxCaptureService>();
        service->setDisplayFactory(CaptureWidget::factory());
        m_captureService = std::move(service);
    }
    // The messages reach the main window once it exists.
    auto boxes = std::make_unique<MessageBoxes>(nullptr);
    MessageBoxes *ownBoxes = m_messages ? nullptr : boxes.get();
    if (!m_messages)
        m_messages = std::move(boxes);
    m_core = std::make_unique<CaptureCore>(
        CaptureCore::Services{*m_captureService, *m_clock, *m_click, *m_alarm, *m_messages});
    ApplicationState &state = m_core->state();
    m_mainWindow = std::make_unique<MainWindow>(state, *m_click);
    m_tools.setClick(*m_click);
    MainWindow &main = *m_mainWindow;
    if (ownBoxes)
        ownBoxes->setParent(&main);
    m_presenter = std::make_unique<RunPresenter>(*m_core, main, main);
    m_events = std::make_unique<EventCommands>(*m_core, *m_clock);
    m_intervalControls =
        std::make_unique<IntervalControls>(main, state, *m_click, m_core->interval());
    m_captureController = std::make_unique<CaptureController>(
        m_core->session(), state, main, main, &main, *m_click, m_tools, *m_messages);
    CaptureLoop *loop = &m_core->loop();
    m_driverDialog = new DriverDialog(&main, main, state, *m_click, *m_captureController, *loop,
                                      m_tools, *m_messages);
    m_deleteDialog = new DeleteDialog(
        &main, main, state, *m_click, [loop] { loop->pause(true); }, m_tools);
    m_printing = new Printing(&main, state, *m_click, *loop, m_tools, *m_messages);
    m_resetDialog = new ResetDialog(&main, main, state, *m_click, m_tools);
    m_preferences = new CapturePreferencesWindow(&main, main, state, *m_click, *m_captureController,
                                                 *loop, m_core->settings(), m_tools, *m_messages);
    m_timerMotionMenu = new TimerMotionMenu(&main, main, main, state, *m_click, *loop,
                                            m_core->motion(), m_core->timerProgram(), m_tools);
    m_maskEditor =
        new MaskEditor(&main, main, m_core->motion(), m_core->session(), m_core->state());
    QObject::connect(m_timerMotionMenu, &TimerMotionMenu::maskEditorRequested, m_maskEditor,
                     &MaskEditor::open);
    m_programInfo = new ProgramInfoWindow(&main, main, state, *m_click, *loop, m_tools);
    m_about = new AboutBox(&main, m_tools);
    buildViewer();
    m_customSettings = new CustomSettingsWindow(*m_click, *m_alarm, *m_skin, &main);
    CustomSettingsWindow *custom = m_customSettings;
    m_tools.add(ToolWindows::Role::CustomSettings, custom, [custom, owner = &main] {
        QRect r = custom->frameGeometry();
        r.moveCenter(owner->frameGeometry().center());
        custom->move(r.topLeft());
        custom->show();
    });
}

void Application::wireMainWindow()
{
    MainWindow *main = m_mainWindow.get();
    CaptureCore *core = m_core.get();
    CaptureLoop *loop = &core->loop();
    QObject::connect(main, &MainWindow::startPressed, loop, &CaptureLoop::startStop);
    // A window that changes size mid-run would leave the live picture out of place.
    QObject::connect(main, &MainWindow::resized, loop, [core, loop] {
        if (core->state().CaptureRunning())
            loop->startStop();
    });
    QObject::connect(main, &MainWindow::closing, core, &CaptureCore::closeStore);
}

void Application::wireCaptureWindows()
{
    MainWindow *main = m_mainWindow.get();
    CaptureController *controller = m_captureController.get();
    QObject::connect(main, &MainWindow::previewToggled, controller,
                     &CaptureController::PreviewModeChanged);
    QObject::connect(main, &MainWindow::overlayToggled, controller,
                     &CaptureController::OverlayModeChanged);
    QObject::connect(main, &MainWindow::fitToggled, controller, &CaptureController::FitModeChanged);
    QObject::connect(main, &MainWindow::previewReactionNeeded, controller,
                     &CaptureController::PreviewModeChanged);
    QObject::connect(main, &MainWindow::overlayReactionNeeded, controller,
                     &CaptureController::OverlayModeChanged);
    QObject::connect(main, &MainWindow::inputPressed, controller,
                     &CaptureController::showInputDialog);
    QObject::connect(main, &MainWindow::driverPressed, m_driverDialog, &DriverDialog::open);
    QObject::connect(main, &MainWindow::formatPressed, m_preferences,
                     &CapturePreferencesWindow::open);
}

void Application::wireStore()
{
    MainWindow *main = m_mainWindow.get();
    IntervalControls *interval = m_intervalControls.get();
    QObject::connect(main, &MainWindow::intervalArrowsClicked, interval,
                     &IntervalControls::intervalArrowMoved);
    QObject::connect(main, &MainWindow::finePlusPressed, interval, &IntervalControls::finePlus);
    QObject::connect(main, &MainWindow::fineMinusPressed, interval, &IntervalControls::fineMinus);
    QObject::connect(main, &MainWindow::stepPressed, interval, &IntervalControls::toggleStepMode);
    QObject::connect(main, &MainWindow::maxArrowsChanging, interval,
                     [interval](int position) { interval->maxArrowsMoved(position, false); });
    QObject::connect(main, &MainWindow::maxArrowsClicked, interval,
                     [interval](int position) { interval->maxArrowsMoved(position, true); });
    QObject::connect(main, &MainWindow::stepArrowsChanging, interval,
                     [interval](int position) { interval->stepArrowsMoved(position, false); });
    QObject::connect(main, &MainWindow::stepArrowsClicked, interval,
                     [interval](int position) { interval->stepArrowsMoved(position, true); });
    QObject::connect(main, &MainWindow::clearPressed, m_deleteDialog, &DeleteDialog::clearClicked);
    QObject::connect(m_core.get(), &CaptureCore::pendingClearDue, m_deleteDialog,
                     &DeleteDialog::runPendingClear);
    QObject::connect(main, &MainWindow::resetPressed, m_resetDialog, &ResetDialog::resetClicked);
}

void Application::wirePreferences()
{
    using Role = ToolWindows::Role;
    MainWindow *main = m_mainWindow.get();
    QObject::connect(main, &MainWindow::aboutPressed, m_about, &AboutBox::open);
    QObject::connect(main, &MainWindow::prefPressed, main,
                     [this] { m_tools.open(Role::CustomSettings); });
    QObject::connect(m_customSettings, &CustomSettingsWindow::skinSwitched, main,
                     [main](bool active) {
                         if (!active)
                             main->hidePictureCaption();
                         main->update();
                     });
    CaptureSession *session = &m_core->session();
    QObject::connect(m_customSettings, &CustomSettingsWindow::timeStampSwitched, session,
                     &CaptureSession::setTimeStamp);
    EventCommands *events = m_events.get();
    QObject::connect(m_customSettings, &CustomSettingsWindow::eventCommandChanged, events,
                     &EventCommands::setCommand);
    QObject::connect(events, &EventCommands::note, main, &MainWindow::showStatusNote);
    QObject::connect(m_customSettings, &CustomSettingsWindow::keepFreeChanged, &m_core->loop(),
                     &CaptureLoop::setKeepFreeMegabytes);
    m_webView = std::make_unique<WebViewHost>(*m_core);
    CustomSettingsWindow *custom = m_customSettings;
    QObject::connect(custom, &CustomSettingsWindow::webViewChanged, custom, [this, custom, main] {
        const CustomSettingsWindow::Values v = custom->values();
        const QString note =
            m_webView->apply({v.webView, v.webAddress, v.webPort, v.webCredentials});
        custom->showWebNote(note);
        if (!note.isEmpty())
            main->showStatusNote(note);
    });
}

void Application::wirePrograms()
{
    MainWindow *main = m_mainWindow.get();
    MotionCapture *motion = &m_core->motion();
    TimerMotionMenu *menu = m_timerMotionMenu;
    ProgramInfoWindow *info = m_programInfo;
    QObject::connect(main, &MainWindow::progPressed, menu, [main, menu] {
        menu->open();
        main->setStatusBarHint(QStringLiteral("click to show or hide menu"));
    });
    QObject::connect(main, &MainWindow::infoPressed, info, &ProgramInfoWindow::open);
    QObject::connect(info, &ProgramInfoWindow::printRequested, m_printing, &Printing::askReport);
    QObject::connect(info, &ProgramInfoWindow::viewLocked, main,
                     [main](bool locked) { main->setViewEnabled(!locked); });
    QObject::connect(motion, &MotionCapture::motionReported, info,
                     [this, info] { info->writeMotionLine(m_clock->now()); });
    QObject::connect(motion, &MotionCapture::lightChangeIgnored, info,
                     [this, info] { info->writeLightChangeLine(m_clock->now()); });

    // The timer program's start and stop lines in the report.
    QObject::connect(m_core.get(), &CaptureCore::timerProgramStarted, info,
                     &ProgramInfoWindow::writeTimerStart);
    QObject::connect(m_core.get(), &CaptureCore::timerProgramStopped, info,
                     &ProgramInfoWindow::writeTimerStop);
    // A program that follows the sun says each day's times, polar days and nights included.
    QObject::connect(m_core.get(), &CaptureCore::timerProgramDay, main,
                     [main](const QString &text) { main->showStatusNote(text); });

    QObject::connect(m_preferences, &CapturePreferencesWindow::formatApplied, motion,
                     [motion, menu] {
                         motion->resetMotionEventCount();
                         menu->clearRefusalHints();
                     });
    QObject::connect(m_driverDialog, &DriverDialog::driverConfirmed, menu,
                     &TimerMotionMenu::uncheckMotionDetection);
    IntervalControls *interval = m_intervalControls.get();
    QObject::connect(interval, &IntervalControls::maxFramesChanged, menu,
                     &TimerMotionMenu::framesAfterMotionRenewed);
    QObject::connect(interval, &IntervalControls::framesStepChanged, menu,
                     &TimerMotionMenu::setFramesIncrement);
    QObject::connect(menu, &TimerMotionMenu::closedByBox, interval, [this, interval] {
        m_core->captureTimer().setEnabled(true);
        interval->finePlus();
    });
}

void Application::buildViewer()
{
    MainWindow &main = *m_mainWindow;
    m_pictures = std::make_unique<StorePictures>();
    m_viewer =
        new ViewerWindow(&main, {main, m_core->state(), *m_click, *m_messages, m_tools,
                                 m_core->loop(), m_core->session(), *m_pictures, *m_printing});
    // A child of the viewer: the main window is locked while the viewer is open.
    m_makeVideo = new MakeVideoWindow(m_viewer, main, m_tools, *m_messages);
    m_fullScreenView = std::make_unique<FullScreenView>(main, m_viewer->page(), *m_pictures,
                                                        *m_printing, *m_messages);
}

void Application::wireViewer()
{
    MainWindow *main = m_mainWindow.get();
    ViewerWindow *viewer = m_viewer;
    FullScreenView *fullScreen = m_fullScreenView.get();
    QObject::connect(main, &MainWindow::viewPressed, viewer, &ViewerWindow::open);
    QObject::connect(viewer, &ViewerWindow::thumbnailClicked, fullScreen, &FullScreenView::enter);
    QObject::connect(viewer, &ViewerWindow::makeVideoPressed, m_makeVideo, [this](int first) {
        m_makeVideo->open(first, VideoDefaults::lastOfUnbrokenRun(first));
    });
    QObject::connect(m_makeVideo, &MakeVideoWindow::videoMade, main, &MainWindow::showStatusNote);
    QObject::connect(fullScreen, &FullScreenView::returned, viewer, &ViewerWindow::showAgain);
    QObject::connect(viewer, &ViewerWindow::pageDirectorySelected, fullScreen,
                     &FullScreenView::pageDirectorySelected);
    QObject::connect(viewer, &ViewerWindow::opened, fullScreen, &FullScreenView::applyScale);
    QObject::connect(m_printing, &Printing::pictureButtonsEnabled, fullScreen,
                     &FullScreenView::setPrintButtonsEnabled);
    QObject::connect(m_printing, &Printing::rangeButtonEnabled, viewer,
                     &ViewerWindow::setPrintRangeEnabled);
    IntervalControls *interval = m_intervalControls.get();
    QObject::connect(m_printing, &Printing::picturePrintEnded, interval,
                     &IntervalControls::reapplyMaxFrames);
    QObject::connect(main, &MainWindow::maximisedResize, fullScreen,
                     &FullScreenView::stepScaleDown);
    // Deleted pictures do not stay on show in the viewer.
    QObject::connect(m_deleteDialog, &DeleteDialog::storeCleared, viewer,
                     &ViewerWindow::emptySlots);
}
