#include "app/headless.h"

#include "app/application.h"
#include "app/capturecore.h"
#include "app/eventcommands.h"
#include "app/livefeeder.h"
#include "app/servicenotifier.h"
#include "app/terminationsignals.h"
#include "app/webrunbridge.h"
#include "capture/camerasizes.h"
#include "capture/capturesession.h"
#include "capture/capturesettings.h"
#include "capture/service/linuxcaptureservice.h"
#include "motion/motioncapture.h"
#include "programs/timerprogramrunner.h"
#include "settings/qtsoundbackend.h"
#include "settings/savedsettings.h"
#include "shell/applicationstate.h"
#include "shell/clocksource.h"
#include "shell/messages.h"
#include "shell/motionhost.h"
#include "shell/picturenames.h"
#include "shell/sound.h"
#include "store/captureloop.h"
#include "store/intervalmodel.h"
#include "store/picturestore.h"
#include "vardella_version.h"
#include "web/weblive.h"
#include "web/webpictures.h"
#include "web/webserver.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QLocale>
#include <QTimer>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {
// The sizes the capture preferences offer.
constexpr std::array<QSize, 4> OfferedSizes{QSize(640, 480), QSize(320, 240), QSize(160, 120),
                                            QSize(80, 60)};

// Why asked is refused, naming the sizes to choose from: the listed ones, then the camera's.
QString sizeRefusal(const QString &asked, const QList<QSize> &cameraSizes)
{
    QStringList names;
    for (const QSize &s : OfferedSizes)
        names.append(QStringLiteral("%1x%2").arg(s.width()).arg(s.height()));
    for (const QSize &s : cameraSizes)
        names.append(QStringLiteral("%1x%2").arg(s.width()).arg(s.height()));
    const QString last = names.takeLast();
    return QStringLiteral("The size \"%1\" is not offered; choose %2 or %3.")
        .arg(asked, names.join(QStringLiteral(", ")), last);
}

void printLine(std::FILE *to, const QString &text)
{
    std::fprintf(to, "%s\n", qPrintable(text));
    std::fflush(to);
}

QString now()
{
    return QTime::currentTime().toString(QStringLiteral("HH:mm:ss.zzz"));
}

// What the windows would show, as lines on standard output with --verbose; errors always go to
// standard error and end the program with status 1 once the failing handler has returned.
class Console : public Messages
{
public:
    /// Detection goes off: said once it had been armed.
    void armingShown(bool boxShown)
    {
        if (boxShown && m_armedSaid)
            say(QStringLiteral("motion detection off"));
        m_armedSaid = !boxShown;
    }

    explicit Console(bool verbose) : m_verbose(verbose) {}

    void say(const QString &text) const
    {
        if (m_verbose)
            printLine(stdout, now() + QLatin1Char(' ') + text);
    }

    void information(const QString &text) override { printLine(stderr, "vardella: " + text); }
    void error(const QString &text) override
    {
        printLine(stderr, "vardella: " + text);
        QCoreApplication::exit(1);
    }

    /// Lines for what the run does.
    void present(CaptureCore &core);

private:
    void statusNote(const QString &text) const
    {
        // A lost camera is worth a word even without --verbose: capture waits for it. So is a
        // store that holds fewer pictures than asked, for lack of room.
        if (text.startsWith(QLatin1String("Camera lost")) ||
            text.startsWith(QLatin1String("Store limited")))
            printLine(stderr, "vardella: " + text);
        else if (!text.isEmpty())
            say(text);
    }

    bool m_verbose;
    bool m_armedSaid = false;
};

void Console::present(CaptureCore &core)
{
    QObject *context = &core;
    QObject::connect(&core.loop(), &CaptureLoop::statusNote, context,
                     [this](const QString &text) { statusNote(text); });
    QObject::connect(&core.motion(), &MotionCapture::statusNote, context,
                     [this](const QString &text) { statusNote(text); });
    QObject::connect(&core.motion(), &MotionCapture::indicatorChanged, context,
                     [this](MotionHost::Indicator state) {
                         if (state == MotionHost::Indicator::Motion)
                             say(QStringLiteral("motion"));
                     });
    QObject::connect(&core.motion(), &MotionCapture::lightChangeIgnored, context,
                     [this] { say(QStringLiteral("light change ignored")); });
    QObject::connect(&core.motion(), &MotionCapture::indicatorBoxShown, context,
                     [this](bool shown) { armingShown(shown); });
    QObject::connect(&core, &CaptureCore::pictureWritten, context,
                     [this](const StoredPicture &picture) { say("picture " + picture.path); });
    QObject::connect(&core, &CaptureCore::started, context,
                     [this] { say(QStringLiteral("capture started")); });
    QObject::connect(&core, &CaptureCore::stopped, context,
                     [this] { say(QStringLiteral("capture stopped")); });
    MotionCapture *motion = &core.motion();
    QObject::connect(&core, &CaptureCore::motionStarted, context, [this, motion](int first) {
        say(QStringLiteral("motion: %1 pictures from picture %2")
                .arg(motion->framesAfterMotion())
                .arg(first));
    });
    QObject::connect(&core, &CaptureCore::timerProgramStarted, context,
                     [this] { say(QStringLiteral("timer program: start")); });
    QObject::connect(&core, &CaptureCore::timerProgramStopped, context, [this](const QString &at) {
        say(QStringLiteral("timer program: stop at ") + at);
    });
    // A day without sunrise or sunset changes what the program does: said even when quiet.
    QObject::connect(&core, &CaptureCore::timerProgramDay, context,
                     [this](const QString &text, bool polar) {
                         if (polar)
                             information(QStringLiteral("timer program: ") + text);
                         else
                             say(QStringLiteral("timer program: ") + text);
                     });
}

// A whole number option in a range, or why not.
Result<int> number(const QCommandLineParser &parser, const QString &name, int low, int high)
{
    bool ok = false;
    const int v = parser.value(name).toInt(&ok);
    if (!ok || v < low || v > high)
        return failure(QStringLiteral("--%1 must be a whole number from %2 to %3, not \"%4\".")
                           .arg(name)
                           .arg(low)
                           .arg(high)
                           .arg(parser.value(name)));
    return v;
}

Result<DayTime> timeOfDay(const QCommandLineParser &parser, const QString &name)
{
    if (DayTime::namesSun(parser.value(name))) {
        const Result<DayTime> sun = DayTime::parseSun(parser.value(name));
        if (!sun)
            return failure(QStringLiteral("--%1: %2").arg(name, sun.error()));
        return sun;
    }
    const QTime t = QTime::fromString(parser.value(name), QStringLiteral("H:mm"));
    if (!t.isValid())
        return failure(QStringLiteral("--%1 must be a time of day as HH:MM, not \"%2\".")
                           .arg(name, parser.value(name)));
    return DayTime(t);
}

QString eventOptionHelp(RunEvent event)
{
    switch (event) {
    case RunEvent::Picture:
        return QStringLiteral("Run CMD for each stored picture: %f its path, %n its number, %t "
                              "its time, %e the event (CMD is no shell line).");
    case RunEvent::Motion:
        return QStringLiteral("Run CMD when a motion starts a batch (%f, %n: its first picture).");
    case RunEvent::MotionEnd:
        return QStringLiteral("Run CMD when a motion batch has ended.");
    case RunEvent::Start:
        return QStringLiteral("Run CMD when capture starts.");
    case RunEvent::Stop:
        return QStringLiteral("Run CMD when capture stops.");
    case RunEvent::CameraLost:
        return QStringLiteral("Run CMD when the camera is lost.");
    case RunEvent::CameraBack:
        return QStringLiteral("Run CMD when the camera is back.");
    case RunEvent::Failure:
        return QStringLiteral("Run CMD when a failure stops capture.");
    }
    return {};
}

// "--on-picture CMD" and the like, in the order of RunEvents.
std::vector<QCommandLineOption> eventOptions()
{
    std::vector<QCommandLineOption> options;
    for (RunEvent event : RunEvents)
        options.emplace_back("on-" + runEventName(event), eventOptionHelp(event), "CMD");
    return options;
}
} // namespace

struct HeadlessCommandLine::Options
{
    QCommandLineOption headless{"headless", "Capture without a display, as the options say."};
    QCommandLineOption driver{"driver",
                              "The capture driver: its name in the driver list or its "
                              "index (default: the first camera, else the test scene).",
                              "NAME|INDEX"};
    QCommandLineOption size{"size",
                            "The picture size: 640x480, 320x240, 160x120 or 80x60 "
                            "(default 320x240), or one of the camera's own up to 1920x1080.",
                            "WxH"};
    QCommandLineOption quality{"quality", "JPEG quality, 1 to 100 (default 100).", "Q"};
    QCommandLineOption grey{"grey", "Store greyscale pictures."};
    QCommandLineOption interval{
        "interval", "Seconds between pictures, 0.1 to 999 with two decimals (default 5).",
        "SECONDS"};
    QCommandLineOption max{"max", "Pictures before the numbering starts again.", "FRAMES"};
    QCommandLineOption motion{"motion", "Capture FRAMES pictures (10 to 30000) after each motion.",
                              "FRAMES"};
    QCommandLineOption grid{"grid", "The motion grid: N x N cells, 1 to 100 (default 50).", "N"};
    QCommandLineOption sensitivity{"sensitivity",
                                   "Motion sensitivity as the windows' slider sets it: the grid "
                                   "of N x N cells, 1 to 100 (default 50), as --grid. Higher is "
                                   "more sensitive: smaller cells notice smaller movements.",
                                   "N"};
    QCommandLineOption mask{"mask",
                            "Cells the motion detection ignores: a black-and-white picture "
                            "(PGM or PNG, any size, stretched over the grid); black is ignored.",
                            "FILE"};
    QCommandLineOption lightSwitch{"light-switch",
                                   "Ignore light changes above P %: when more than P % (1 to "
                                   "100) of the cells not ignored change at once, it is no "
                                   "motion (default: off).",
                                   "P"};
    QCommandLineOption preCapture{"pre-capture",
                                  "Store the N frames (0 to 50, default 0) scanned just before "
                                  "a motion first, as the batch's first pictures.",
                                  "N"};
    QCommandLineOption from{"from", "Daily timer program: start capture at HH:MM.", "HH:MM"};
    QCommandLineOption to{"to", "Daily timer program: stop capture at HH:MM.", "HH:MM"};
    QCommandLineOption where{"where",
                             "The place for --from and --to given as sunrise or sunset with "
                             "an offset in minutes (sunrise-30, sunset+15), computed each day: "
                             "latitude and longitude in degrees, north and east positive.",
                             "LAT,LON"};
    QCommandLineOption count{"count", "Stop after N pictures.", "N"};
    QCommandLineOption keepFree{"keep-free",
                                "Keep MB megabytes free on the store's disk: numbering starts "
                                "again at 0 before a picture would use them (0: off, default "
                                "200).",
                                "MB"};
    QCommandLineOption verbose{"verbose", "One line per stored picture or event on standard "
                                          "output."};
    QCommandLineOption timestamp{"timestamp", "Draw the date and time into each picture."};
    QCommandLineOption sounds{"sounds", "Play the click and alarm sounds."};
    QCommandLineOption config{"config",
                              "Take the settings from FILE (the keys of the windows' saved "
                              "settings); the options given here win.",
                              "FILE"};
    QCommandLineOption web{"web",
                           "Serve the web view at ADDRESS:PORT (only a port: on 127.0.0.1, for "
                           "this machine alone; port 0: any free one). Other addresses need "
                           "--web-password-file.",
                           "ADDRESS:PORT"};
    QCommandLineOption webPassword{"web-password-file",
                                   "The web view's password: the first line of FILE (user name "
                                   "vardella).",
                                   "FILE"};
    QCommandLineOption webCert{"web-cert",
                               "Serve the web view by https with the PEM certificate in FILE "
                               "(with --web-key).",
                               "FILE"};
    QCommandLineOption webKey{"web-key", "The PEM private key of --web-cert.", "FILE"};
    std::vector<QCommandLineOption> onEvent = eventOptions();

    std::array<const QCommandLineOption *, 25> headlessOnly() const
    {
        return {&driver, &size,        &quality,  &grey,        &interval,   &max,    &motion,
                &grid,   &sensitivity, &mask,     &lightSwitch, &preCapture, &from,   &to,
                &where,  &count,       &keepFree, &verbose,     &timestamp,  &sounds, &config,
                &web,    &webPassword, &webCert,  &webKey};
    }
};

HeadlessCommandLine::HeadlessCommandLine(QCommandLineParser &parser)
    : m_parser(parser), m_options(std::make_unique<Options>())
{
    m_parser.addOption(m_options->headless);
    for (const QCommandLineOption *o : m_options->headlessOnly())
        m_parser.addOption(*o);
    for (const QCommandLineOption &o : m_options->onEvent)
        m_parser.addOption(o);
}

HeadlessCommandLine::~HeadlessCommandLine() = default;

bool HeadlessCommandLine::headless() const
{
    return m_parser.isSet(m_options->headless);
}

bool HeadlessCommandLine::anyHeadlessOption() const
{
    for (const QCommandLineOption *o : m_options->headlessOnly()) {
        if (m_parser.isSet(*o))
            return true;
    }
    return std::any_of(m_options->onEvent.begin(), m_options->onEvent.end(),
                       [this](const QCommandLineOption &o) { return m_parser.isSet(o); });
}

namespace {
// The place of a program that follows the sun, which it needs; none for clock times.
Result<> sunPlace(const QCommandLineParser &parser, const QCommandLineOption &where,
                  const DayTime &from, const DayTime &to, HeadlessOptions &options)
{
    if (!from.followsSun() && !to.followsSun())
        return {};
    if (!parser.isSet(where))
        return failure(QStringLiteral("A timer program by sunrise or sunset needs the place: "
                                      "--where LATITUDE,LONGITUDE (52.52,13.40)."));
    const Result<SunPlace> place = SunPlace::parse(parser.value(where));
    if (!place)
        return failure(QStringLiteral("--where: ") + place.error());
    options.where = *place;
    return {};
}

bool listed(QSize size)
{
    return std::find(OfferedSizes.begin(), OfferedSizes.end(), size) != OfferedSizes.end();
}

// A listed size, or one a camera may offer; which it does is known once it is connected.
bool offered(QSize size)
{
    return listed(size) ||
           (size.width() > 0 && size.height() > 0 && size.boundedTo(CameraSizes::Largest) == size &&
            (size.width() > 640 || size.height() > 480));
}

// The settings of a saved file as the options they stand for; what the command line gives
// replaces them afterwards.
Result<HeadlessOptions> savedOptions(const QString &path)
{
    const Result<SavedSettings> loaded = SavedSettings::load(path);
    if (!loaded)
        return failure(loaded.error());
    const SavedSettings &s = *loaded;
    const QString bad = QStringLiteral("The settings file \"%1\" %2; it is ignored.");
    if (!offered(s.size))
        return failure(bad.arg(path, QStringLiteral("holds a size that is not offered")));
    const bool motion = s.motionOn || s.running == SavedSettings::Running::Motion;
    const bool timer =
        s.timerFrom.isValid() && (s.timerOn || s.running == SavedSettings::Running::TimerProgram);
    if (motion && timer)
        return failure(
            bad.arg(path, QStringLiteral("switches on both motion detection and a timer program")));
    HeadlessOptions options;
    options.driver = s.driver;
    options.size = s.size;
    options.quality = s.quality;
    options.grey = s.greyscale;
    options.timestamp = s.timeStamp;
    options.intervalSeconds = s.intervalSeconds;
    options.maxFrames = s.maxFrames;
    options.keepFreeMegabytes = s.keepFreeMb;
    options.grid = s.grid;
    options.motionFrames = motion ? s.framesAfterMotion : 0;
    options.picturesBeforeMotion = s.picturesBeforeMotion;
    options.lightChangePercent = s.ignoreLightAbove;
    if (timer) {
        options.from = s.timerStartSun.value_or(DayTime(s.timerFrom));
        options.to = s.timerEndSun.value_or(DayTime(s.timerTo));
        if (s.timerStartSun || s.timerEndSun)
            options.where = s.timerPlace;
    }
    options.continueNumbering = s.startAsLeft;
    for (std::size_t i = 0; i < RunEvents.size(); ++i) {
        const QString line = s.eventCommands.value(runEventName(RunEvents[i]));
        if (line.isEmpty())
            continue;
        const Result<EventCommand> command = EventCommand::parse(line);
        if (!command)
            return failure(bad.arg(path, QStringLiteral("holds a command for %1 that cannot be "
                                                        "run: %2")
                                             .arg(runEventName(RunEvents[i]), command.error())));
        options.commands[i] = *command;
    }
    return options;
}
} // namespace

Result<> HeadlessCommandLine::webOptions(const QCommandLineParser &p, const Options &o,
                                         HeadlessOptions &options)
{
    for (const QCommandLineOption *option : {&o.webPassword, &o.webCert, &o.webKey})
        if (p.isSet(*option) && !p.isSet(o.web))
            return failure(QStringLiteral("--%1 goes with --web.").arg(option->names().first()));
    if (p.isSet(o.webCert) != p.isSet(o.webKey))
        return failure(QStringLiteral("--web-cert and --web-key go together."));
    if (!p.isSet(o.web))
        return {};
    const Result<WebAddress> address = WebAddress::parse(p.value(o.web));
    if (!address)
        return failure(address.error());
    options.web = *address;
    if (p.isSet(o.webPassword)) {
        Result<WebCredentials> credentials = WebCredentials::fromFile(p.value(o.webPassword));
        if (!credentials)
            return failure(credentials.error());
        options.webCredentials = std::move(*credentials);
    } else if (!address->loopback()) {
        return failure(QStringLiteral("--web %1 could be reached from other machines: give it a "
                                      "password with --web-password-file FILE.")
                           .arg(p.value(o.web)));
    }
    if (p.isSet(o.webCert)) {
        Result<WebTls> tls = WebTls::fromFiles(p.value(o.webCert), p.value(o.webKey));
        if (!tls)
            return failure(tls.error());
        options.webTls = std::move(*tls);
    }
    return {};
}

// What refines motion detection needs it switched on, here or in the --config file.
Result<> HeadlessCommandLine::motionOptions(const QCommandLineParser &p, const Options &o,
                                            HeadlessOptions &options)
{
    if (p.isSet(o.mask)) {
        Result<MotionMask> mask = MotionMask::load(p.value(o.mask));
        if (!mask)
            return failure(QStringLiteral("--mask: ") + mask.error());
        options.mask = std::move(*mask);
    }
    for (const QCommandLineOption *refinement : {&o.mask, &o.lightSwitch, &o.preCapture}) {
        if (p.isSet(*refinement) && options.motionFrames == 0)
            return failure(
                QStringLiteral("--%1 goes with --motion.").arg(refinement->names().first()));
    }
    return {};
}

// --sensitivity is the slider's name for the grid; given with --grid, both must agree.
Result<> HeadlessCommandLine::sensitivityOption(const QCommandLineParser &p, const Options &o,
                                                HeadlessOptions &options)
{
    if (!p.isSet(o.sensitivity))
        return {};
    const Result<int> v = number(p, o.sensitivity.names().first(), 1, 100);
    if (!v)
        return failure(v.error());
    if (p.isSet(o.grid) && *v != options.grid)
        return failure(QStringLiteral("--sensitivity and --grid set the same grid: give one of "
                                      "them, or the same number."));
    options.grid = *v;
    return {};
}

Result<HeadlessOptions> HeadlessCommandLine::options() const
{
    const Options &o = *m_options;
    const QCommandLineParser &p = m_parser;
    HeadlessOptions options;
    if (p.isSet(o.config)) {
        // A file that cannot be used is said once and the run goes on without it.
        Result<HeadlessOptions> saved = savedOptions(p.value(o.config));
        if (saved)
            options = *saved;
        else
            options.configNote = saved.error();
    }
    if (p.isSet(o.driver))
        options.driver = p.value(o.driver);
    if (p.isSet(o.size)) {
        const QStringList wh = p.value(o.size).split(QLatin1Char('x'));
        const QSize asked = wh.size() == 2 ? QSize(wh[0].toInt(), wh[1].toInt()) : QSize();
        if (!offered(asked))
            return failure(sizeRefusal(p.value(o.size), {}));
        options.size = asked;
    }
    if (p.isSet(o.quality)) {
        const Result<int> q = number(p, o.quality.names().first(), 1, 100);
        if (!q)
            return failure(q.error());
        options.quality = *q;
    }
    options.grey = options.grey || p.isSet(o.grey);
    if (p.isSet(o.interval)) {
        bool ok = false;
        const double seconds = QLocale::c().toDouble(p.value(o.interval), &ok);
        const double hundredths = seconds * 100;
        if (!ok || seconds < 0.1 || seconds > 999 ||
            std::abs(hundredths - std::round(hundredths)) > 1e-6)
            return failure(QStringLiteral("--interval must be 0.1 to 999 seconds with at most two "
                                          "decimals, not \"%1\".")
                               .arg(p.value(o.interval)));
        options.intervalSeconds = std::round(hundredths) / 100;
    }
    const std::array<std::tuple<const QCommandLineOption *, int *, int, int>, 7> numbers{{
        {&o.max, &options.maxFrames, 1,
         PictureStore::DirectoryCount * PictureStore::PicturesPerDirectory},
        {&o.motion, &options.motionFrames, 10, 30000},
        {&o.grid, &options.grid, 1, 100},
        {&o.count, &options.count, 1, 1000000000},
        {&o.keepFree, &options.keepFreeMegabytes, 0, KeepFree::MaxMegabytes},
        {&o.lightSwitch, &options.lightChangePercent, 1, 100},
        {&o.preCapture, &options.picturesBeforeMotion, 0, PreCaptureRing::MaxFrames},
    }};
    for (const auto &[option, field, low, high] : numbers) {
        if (!p.isSet(*option))
            continue;
        const Result<int> v = number(p, option->names().first(), low, high);
        if (!v)
            return failure(v.error());
        *field = *v;
    }
    if (Result<> grid = sensitivityOption(p, o, options); !grid)
        return failure(grid.error());
    if (p.isSet(o.from) != p.isSet(o.to))
        return failure(QStringLiteral("A timer program needs both --from and --to."));
    if (p.isSet(o.from)) {
        const Result<DayTime> from = timeOfDay(p, QStringLiteral("from"));
        const Result<DayTime> to = timeOfDay(p, QStringLiteral("to"));
        if (!from || !to)
            return failure(!from ? from.error() : to.error());
        if (const Result<> place = sunPlace(p, o.where, *from, *to, options); !place)
            return failure(place.error());
        if (p.isSet(o.motion))
            return failure(QStringLiteral("--motion and a timer program (--from, --to) exclude "
                                          "each other."));
        options.from = *from;
        options.to = *to;
        options.motionFrames = 0; // the command line's program replaces the file's detection
    } else if (p.isSet(o.motion)) {
        options.from = options.to = DayTime(); // and its detection the file's program
    }
    if (p.isSet(o.where) && !options.where)
        return failure(QStringLiteral("--where goes with --from or --to given as sunrise or "
                                      "sunset."));
    if (Result<> motion = motionOptions(p, o, options); !motion)
        return failure(motion.error());
    if (Result<> web = webOptions(p, o, options); !web)
        return failure(web.error());
    options.verbose = p.isSet(o.verbose);
    options.timestamp = options.timestamp || p.isSet(o.timestamp);
    options.sounds = p.isSet(o.sounds);
    for (std::size_t i = 0; i < RunEvents.size(); ++i) {
        if (!p.isSet(o.onEvent[i]))
            continue;
        const QString line = p.value(o.onEvent[i]);
        const Result<EventCommand> command = EventCommand::parse(line);
        if (!command)
            return failure(QStringLiteral("The command \"%1\" of --%2 cannot be run: %3.")
                               .arg(line, o.onEvent[i].names().first(), command.error()));
        options.commands[i] = *command;
    }
    return options;
}

namespace {
// The driver list's entry for the --driver option.
Result<int> driverIndex(const QStringList &drivers, const QString &asked)
{
    if (asked.isEmpty())
        return 0;
    if (const int found = drivers.indexOf(asked); found >= 0)
        return found;
    bool ok = false;
    const int index = asked.toInt(&ok);
    if (ok && index >= 0 && index < drivers.size())
        return index;
    return failure(QStringLiteral("There is no capture driver \"%1\"; the drivers are: %2.")
                       .arg(asked, drivers.join(QStringLiteral(", "))));
}

std::unique_ptr<Sound> silentSound()
{
    return std::make_unique<Sound>(std::make_unique<SilentSoundBackend>());
}
} // namespace

int runHeadless(const HeadlessOptions &options)
{
    if (!options.configNote.isEmpty())
        printLine(stderr, "vardella: " + options.configNote);
    CaptureCore::openStore();
    Application::Sounds sounds{silentSound(), silentSound()};
    if (options.sounds) {
        Result<Application::Sounds> loaded = Application::loadSounds();
        if (!loaded) {
            printLine(stderr, "vardella: " + loaded.error());
            return 1;
        }
        sounds = std::move(*loaded);
    }

    Console console(options.verbose);
    SystemClock clock;
    LinuxCaptureService service; // with no display factory: no widget is made
    CaptureCore core({service, clock, *sounds.click, *sounds.alarm, console});
    console.present(core);
    // Ends before the core and the console: running commands get their grace time, and what
    // becomes of them is still said.
    EventCommands commands(core, clock);
    QObject::connect(&commands, &EventCommands::note, &core,
                     [&console](const QString &text) { console.information(text); });
    for (std::size_t i = 0; i < RunEvents.size(); ++i)
        commands.setCommand(RunEvents[i], options.commands[i]);
    ApplicationState &state = core.state();
    CaptureSettings &settings = core.settings();
    settings.FrameWidth = options.size.width();
    settings.FrameHeight = options.size.height();
    settings.JpegQuality = options.quality;
    settings.Greyscale = options.grey;
    CaptureSession &session = core.session();
    session.setTimeStamp(options.timestamp);
    CaptureLoop &loop = core.loop();
    MotionCapture &motion = core.motion();

    const Result<int> index = driverIndex(service.driverDescriptions(), options.driver);
    if (!index) {
        printLine(stderr, "vardella: " + index.error());
        return 1;
    }
    state.setDriverIndex(*index);
    state.setDriverChosen(true);
    if (const Result<> connected = session.ConnectDriver(false, false, false); !connected) {
        printLine(stderr, QStringLiteral("vardella: cannot connect the capture driver \"%1\": %2")
                              .arg(service.driverDescriptions().value(*index), connected.error()));
        return 1;
    }
    if (!listed(options.size) && !service.cameraSizes().contains(options.size)) {
        printLine(
            stderr,
            QStringLiteral("vardella: ") +
                sizeRefusal(
                    QStringLiteral("%1x%2").arg(options.size.width()).arg(options.size.height()),
                    service.cameraSizes()));
        return 1;
    }
    session.ApplyVideoFormat();
    state.setFormatChosen(true);
    state.setFormatApplied(true);
    core.interval().setSeconds(options.intervalSeconds);
    loop.setKeepFreeMegabytes(options.keepFreeMegabytes);
    if (options.maxFrames > 0) {
        state.setMaxFrames(options.maxFrames);
        state.setUserMaxFrames(options.maxFrames);
    }
    if (options.continueNumbering) {
        const int next = PictureStore::ContinueAfterNewest(state);
        console.say(QStringLiteral("numbering goes on at %1").arg(next));
    }

    // Run as a service, the service manager hears how the run stands.
    ServiceNotifier notifier(core);
    // The web view, when asked for; one that cannot listen is said and capture goes on.
    WorkingDirectorySpace webSpace;
    std::unique_ptr<WebRunBridge> webRun;
    std::unique_ptr<WebPictures> webPictures;
    std::unique_ptr<WebLive> webLive;
    std::unique_ptr<LiveFeeder> liveFeeder;
    std::unique_ptr<WebServer> web;
    if (options.web) {
        webRun = std::make_unique<WebRunBridge>(core, webSpace);
        webPictures = std::make_unique<WebPictures>(QDir::currentPath());
        webLive = std::make_unique<WebLive>();
        session.addFrameSink(webLive.get());
        liveFeeder = std::make_unique<LiveFeeder>(core, *webLive);
        web = std::make_unique<WebServer>(*webRun, *webPictures, *webLive, *options.web,
                                          options.webCredentials);
        if (options.webTls)
            web->useTls(*options.webTls);
        if (const Result<> listening = web->listen(); listening)
            console.information(QStringLiteral("Web view at ") + web->url());
        else
            console.information(listening.error());
    }
    QObject::connect(&notifier, &ServiceNotifier::notifyFailed, &core, [&](const QString &why) {
        console.information(QStringLiteral("Cannot notify the service manager: ") + why);
    });

    // The end: stop a run, tidy the store as the windows' "Exit" does, leave with status.
    bool ending = false;
    const auto end = [&](int status) {
        if (ending)
            return;
        ending = true;
        if (web) {
            web->close(); // no request reaches a run that ends
            liveFeeder.reset();
            session.removeFrameSink(webLive.get());
        }
        notifier.stopping();
        if (loop.toggledOn())
            loop.startStop();
        motion.setArmed(false);
        session.DisconnectDriver();
        CaptureCore::closeStore();
        QCoreApplication::exit(status);
    };
    TerminationSignals onSignal([&] {
        console.say(QStringLiteral("signal: ending"));
        end(0);
    });

    int stored = 0;
    QObject::connect(&core, &CaptureCore::pictureWritten, &core, [&] {
        if (options.count > 0 && ++stored >= options.count)
            QTimer::singleShot(0, &core, [&] { end(0); });
    });

    if (options.motionFrames > 0) {
        motion.setGrid(options.grid);
        motion.setActivated(true);
        motion.setFramesAfterMotion(options.motionFrames);
        motion.setMask(options.mask);
        motion.setLightChangePercent(options.lightChangePercent);
        motion.setPicturesBeforeMotion(options.picturesBeforeMotion);
        motion.setArmed(true);
        console.armingShown(false);
        console.say(QStringLiteral("motion detection armed"));
        notifier.ready(QStringLiteral("Waiting for motion"));
    } else if (options.from.isValid()) {
        TimerProgram &program = core.timerProgram().program();
        program.setTimes(options.from, options.to, options.where);
        program.setActive(true);
        const QString from = options.from.text();
        console.say(QStringLiteral("timer program: waiting for %1").arg(from));
        core.timerProgram().announceDay();
        notifier.ready(QStringLiteral("Waiting for the timer program to start at %1").arg(from));
    } else {
        loop.startStop();
        notifier.ready(QStringLiteral("Capture started"));
    }
    const int status = QCoreApplication::exec();
    core.captureTimer().setEnabled(false);
    end(status);
    return status;
}
