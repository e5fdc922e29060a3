#include "app/startasleft.h"

#include "app/capturecore.h"
#include "capture/captureformatcontrols.h"
#include "capture/capturepreferenceswindow.h"
#include "capture/driverdialog.h"
#include "motion/motioncapture.h"
#include "programs/timermotionmenu.h"
#include "programs/timerprogramrunner.h"
#include "settings/customsettingswindow.h"
#include "shell/mainwindow.h"
#include "store/captureloop.h"
#include "store/intervalcontrols.h"
#include "store/intervalmodel.h"
#include "store/picturestore.h"

#include <cstdio>

StartAsLeft::StartAsLeft(const Parts &parts, const QString &path) : m_parts(parts), m_path(path) {}

Result<SavedSettings> StartAsLeft::load() const
{
    Result<SavedSettings> loaded = SavedSettings::load(m_path);
    if (loaded && loaded->startAsLeft &&
        !CaptureFormatControls::offers(loaded->size.width(), loaded->size.height()))
        return failure(QStringLiteral("The settings file \"%1\" holds a size that is not "
                                      "offered; it is ignored.")
                           .arg(m_path));
    return loaded;
}

void StartAsLeft::restore()
{
    const Result<SavedSettings> loaded = load();
    if (!loaded) {
        note(loaded.error());
        return;
    }
    const SavedSettings &s = *loaded;
    m_wasOn = s.startAsLeft;
    if (!s.startAsLeft)
        return;
    CaptureCore &core = m_parts.core;

    CustomSettingsWindow::Values custom;
    custom.buttonSoundOff = s.buttonSoundOff;
    custom.motionSound = s.motionSound;
    custom.skin = s.skin;
    custom.timeStamp = s.timeStamp;
    custom.keepFreeMb = s.keepFreeMb;
    custom.startAsLeft = true;
    custom.webView = s.webOn;
    custom.webAddress = s.webAddress;
    custom.webPort = s.webPort;
    custom.webCredentials =
        WebCredentials::fromHash(s.webRealm.toUtf8(), QByteArray::fromHex(s.webHash.toLatin1()));
    for (std::size_t i = 0; i < RunEvents.size(); ++i)
        custom.commands[i] = s.eventCommands.value(runEventName(RunEvents[i]));
    if (const QString refused = m_parts.custom.setValues(custom); !refused.isEmpty())
        note(QStringLiteral("A saved command is left out: ") + refused);

    core.interval().setSeconds(s.intervalSeconds);
    const IntervalControls &interval = m_parts.interval;
    m_parts.interval.restoreMaxAndStep(s.maxFrames > 0 ? s.maxFrames : interval.maxFrames(),
                                       s.framesStep > 0 ? s.framesStep : interval.framesStep());

    bool ready = false;
    if (!s.driver.isEmpty()) {
        if (m_parts.driver.connectByName(s.driver)) {
            CaptureSettings &settings = core.settings();
            settings.FrameWidth = s.size.width();
            settings.FrameHeight = s.size.height();
            settings.JpegQuality = s.quality;
            settings.Greyscale = s.greyscale;
            m_parts.preferences.applyAsLeft();
            PictureStore::ContinueAfterNewest(core.state());
            ready = true;
        } else {
            note(QStringLiteral("The capture driver \"%1\" of the last run is not there; "
                                "choose one with \"Driver\".")
                     .arg(s.driver));
        }
    }

    TimerMotionMenu::Values menu;
    if (s.timerFrom.isValid()) {
        menu.from = s.timerFrom;
        menu.to = s.timerTo;
    }
    menu.timerOn = s.timerOn;
    menu.startSun = s.timerStartSun;
    menu.endSun = s.timerEndSun;
    menu.place = s.timerPlace;
    menu.framesAfterMotion = s.framesAfterMotion;
    menu.grid = s.grid;
    menu.motionOn = s.motionOn;
    menu.picturesBeforeMotion = s.picturesBeforeMotion;
    menu.ignoreLightAbove = s.ignoreLightAbove;
    m_parts.menu.restore(menu);

    if (!ready)
        return;
    using Running = SavedSettings::Running;
    if (s.running == Running::TimerProgram)
        core.timerProgram().resume();
    else if (s.running == Running::Capture && !core.state().CaptureRunning())
        core.loop().startStop();
}

void StartAsLeft::watch()
{
    m_saving = true;
    const auto save = [this] { this->save(); };
    CaptureCore &core = m_parts.core;
    connect(&m_parts.driver, &DriverDialog::driverConfirmed, this, save);
    connect(&m_parts.preferences, &CapturePreferencesWindow::formatApplied, this, save);
    connect(&core.interval(), &IntervalModel::changed, this, save);
    connect(&m_parts.interval, &IntervalControls::maxFramesChanged, this, save);
    connect(&m_parts.interval, &IntervalControls::framesStepChanged, this, save);
    connect(&m_parts.menu, &TimerMotionMenu::confirmed, this, save);
    connect(&m_parts.custom, &CustomSettingsWindow::valuesChanged, this, save);
    connect(&m_parts.custom, &CustomSettingsWindow::startAsLeftSwitched, this, save);
    // What runs is part of what the next start continues.
    connect(&core, &CaptureCore::started, this, save);
    connect(&core, &CaptureCore::stopped, this, save);
}

SavedSettings StartAsLeft::collect() const
{
    CaptureCore &core = m_parts.core;
    const ApplicationState &state = core.state();
    const CustomSettingsWindow::Values custom = m_parts.custom.values();
    const TimerMotionMenu::Values menu = m_parts.menu.values();
    SavedSettings s;
    s.startAsLeft = custom.startAsLeft;
    // The driver only once its format was confirmed too, so that the next start is ready to
    // capture as this one was.
    if (state.DriverChosen() && state.FormatChosen())
        s.driver = m_parts.driver.connectedName();
    const CaptureSettings &settings = core.settings();
    s.size = QSize(settings.FrameWidth, settings.FrameHeight);
    s.quality = settings.JpegQuality;
    s.greyscale = settings.Greyscale;
    s.timeStamp = custom.timeStamp;
    s.intervalSeconds = core.interval().seconds();
    s.maxFrames = m_parts.interval.maxFrames();
    s.framesStep = m_parts.interval.framesStep();
    s.keepFreeMb = custom.keepFreeMb;
    s.grid = menu.grid;
    s.framesAfterMotion = menu.framesAfterMotion;
    s.motionOn = menu.motionOn;
    s.picturesBeforeMotion = menu.picturesBeforeMotion;
    s.ignoreLightAbove = menu.ignoreLightAbove;
    s.timerFrom = menu.from;
    s.timerTo = menu.to;
    s.timerOn = menu.timerOn;
    s.timerStartSun = menu.startSun;
    s.timerEndSun = menu.endSun;
    s.timerPlace = menu.place;
    s.buttonSoundOff = custom.buttonSoundOff;
    s.motionSound = custom.motionSound;
    s.skin = custom.skin;
    s.webOn = custom.webView;
    s.webAddress = custom.webAddress;
    s.webPort = custom.webPort;
    if (custom.webCredentials) {
        s.webRealm = QString::fromUtf8(custom.webCredentials->realm());
        s.webHash = QString::fromLatin1(custom.webCredentials->hash().toHex());
    }
    for (std::size_t i = 0; i < RunEvents.size(); ++i) {
        if (!custom.commands[i].isEmpty())
            s.eventCommands.insert(runEventName(RunEvents[i]), custom.commands[i]);
    }
    using Running = SavedSettings::Running;
    const MotionCapture &motion = core.motion();
    if (core.timerProgram().program().active())
        s.running = Running::TimerProgram;
    else if (motion.activated() && (motion.scanArmed() || state.CaptureRunning()))
        s.running = Running::Motion;
    else if (state.CaptureRunning())
        s.running = Running::Capture;
    return s;
}

void StartAsLeft::save()
{
    if (!m_saving)
        return;
    const SavedSettings s = collect();
    // Off and never on: nothing is written, as without the box.
    if (!s.startAsLeft && !m_wasOn)
        return;
    const Result<> saved = s.save(m_path);
    if (!saved) {
        if (!m_saveFailed)
            note(saved.error());
        m_saveFailed = true;
        return;
    }
    m_saveFailed = false;
    m_wasOn = s.startAsLeft;
}

void StartAsLeft::note(const QString &text)
{
    m_parts.main.showStatusNote(text);
    std::fprintf(stderr, "vardella: %s\n", qPrintable(text));
}
